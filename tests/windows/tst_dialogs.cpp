// Message and error dialogs, the application windows' set-up, and the
// language switch of an open page.
#include "core/base/setting.h"
#include "windows/autorizationwidget.h"
#include "windows/cursorshapearea.h"
#include "windows/errorwidget.h"
#include "windows/lastuploadwidget.h"
#include "windows/maintoolwidget.h"
#include "windows/messagedialog.h"
#include "windows/proxywidget.h"
#include "windows/settingwidget.h"
#include "windows/uploadwidget.h"

#include "support/qmlstandins.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QQuickItem>
#include <QScreen>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

class TstDialogs : public QObject
{
    Q_OBJECT
    CoreStandIn core_;
    pryx::test::WarningCollector warnings_;

    static QQuickItem *item(QQuickView &v, const char *name)
    {
        return v.rootObject() ? v.rootObject()->findChild<QQuickItem *>(QLatin1String(name)) : nullptr;
    }
    static void click(QQuickItem *button) { QMetaObject::invokeMethod(button, "click"); }

    static QString shotPath(const QString &name)
    {
        const QString dir = QStringLiteral(PRYX_BINARY_DIR) + "/screenshots";
        QDir().mkpath(dir);
        return dir + "/" + name;
    }

private slots:
    void initTestCase()
    {
        BasicWindow::setCoreObject(&core_);
        Setting::instance()->setValue(QStringLiteral("username"), QStringLiteral("anna"));
    }
    void cleanup() { QCOMPARE(warnings_.take(), QStringList()); }

    void informationHasOnlyOk()
    {
        MessageDialog d;
        QSignalSpy result(&d, &MessageDialog::result);
        QSignalSpy closed(&d, &BasicWindow::closed);
        d.showInformation(QStringLiteral("Upload"), QStringLiteral("The file was sent."));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QQuickItem *ok = item(d, "okButton");
        QQuickItem *cancel = item(d, "cancelButton");
        QVERIFY(ok && cancel);
        QVERIFY(ok->isVisible());
        QVERIFY(!cancel->isVisible());
        QCOMPARE(ok->property("text").toString(), QStringLiteral("Ok"));
        QCOMPARE(item(d, "messageText")->property("text").toString(), QStringLiteral("The file was sent."));
        QCOMPARE(item(d, "titleText")->property("text").toString(), QStringLiteral("Pryx - Upload"));
        click(ok);
        QCOMPARE(result.count(), 1);
        QCOMPARE(result.at(0).at(0).toInt(), 0);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!d.isVisible());
    }

    void question_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("expected");
        QTest::newRow("Ok is yes") << "okButton" << 0;
        QTest::newRow("Cancel is no") << "cancelButton" << 1;
    }
    void question()
    {
        QFETCH(QString, button);
        QFETCH(int, expected);
        MessageDialog d;
        QSignalSpy result(&d, &MessageDialog::result);
        d.showQuestion(QString(), QStringLiteral("Save the capture to disk?"));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(item(d, "titleText")->property("text").toString(), QStringLiteral("Pryx"));
        QQuickItem *b = item(d, button.toLatin1().constData());
        QVERIFY(b && b->isVisible());
        QCOMPARE(item(d, "cancelButton")->property("text").toString(), QStringLiteral("Cancel"));
        click(b);
        QCOMPARE(result.count(), 1);
        QCOMPARE(result.at(0).at(0).toInt(), expected);
    }

    void escapeClosesWithoutResult()
    {
        MessageDialog d;
        QSignalSpy result(&d, &MessageDialog::result);
        QSignalSpy closed(&d, &BasicWindow::closed);
        d.showQuestion(QStringLiteral("Exit"), QStringLiteral("Quit?"));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QTest::keyClick(&d, Qt::Key_Escape);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(result.count(), 0);
    }

    void messageWindowSetUp()
    {
        MessageDialog d;
        QCOMPARE(d.objectName(), QStringLiteral("MessagePage"));
        QCOMPARE(d.title(), QStringLiteral("Message"));
        // On top like the error window: both open in the corner, where the
        // main tool window (on top) would otherwise hide them.
        QVERIFY(d.flags() & Qt::WindowStaysOnTopHint);
        QVERIFY(d.flags() & Qt::FramelessWindowHint);
        QCOMPARE(d.size(), QSize(241, 200) + QSize(2, 2) * d.shadowMargin());
    }

    void errorTextReplacedWhileOpen()
    {
        ErrorWidget e(QStringLiteral("Uncknown error"));
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        QCOMPARE(e.objectName(), QStringLiteral("ErrorWidget"));
        QVERIFY(e.flags() & Qt::WindowStaysOnTopHint);
        QQuickItem *label = item(e, "errorLabel");
        QVERIFY(label);
        QCOMPARE(label->property("text").toString(), QStringLiteral("Uncknown error"));
        QVERIFY(label->isVisible());
        const int m = 2 * e.shadowMargin();
        QCOMPARE(e.height(), 230 + m);
        e.setErrorText(QStringLiteral("Host not found"));
        QCOMPARE(label->property("text").toString(), QStringLiteral("Host not found"));
        // A long text makes the window taller than the 230-pixel frame.
        e.setErrorText(QString("Connection to the server was refused. ").repeated(8));
        QTRY_VERIFY(e.height() > 230 + m);
        QCOMPARE(e.height(), int(label->height()) + 80 + m);
    }

    // The error page shows its text whether or not an account is logged in.
    void errorShownWithoutLogin()
    {
        core_.account_.setAuth(false);
        ErrorWidget e(QStringLiteral("Error start socket"));
        QVERIFY(item(e, "errorLabel")->isVisible());
        core_.account_.setAuth(true);
    }

    void windowsSetUp_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("onTop");
        QTest::addColumn<bool>("movable");
        QTest::addColumn<QString>("page");
        QTest::newRow("main") << "main" << "MainWidget" << "" << true << true << "MainToolPage.qml";
        QTest::newRow("setting") << "setting" << "SettingWidget" << "Settings - anna" << false << true << "SettingPage.qml";
        QTest::newRow("login") << "login" << "AutorizationWidget" << "" << true << true << "RegistrationPage.qml";
        QTest::newRow("upload") << "upload" << "UploadWidget" << "Upload - anna" << true << false << "UploadPage.qml";
        QTest::newRow("last") << "last" << "LastUploadWidget" << "Upload - anna" << true << false << "LastUploadPage.qml";
        QTest::newRow("proxy") << "proxy" << "" << "" << false << false << "ProxyPage.qml";
        QTest::newRow("error") << "error" << "ErrorWidget" << "Error" << true << false << "ErrorDialog.qml";
    }
    void windowsSetUp()
    {
        QFETCH(QString, kind);
        QFETCH(QString, objectName);
        QFETCH(QString, title);
        QFETCH(bool, onTop);
        QFETCH(bool, movable);
        QFETCH(QString, page);
        QScopedPointer<BasicWindow> w;
        if (kind == "main") w.reset(new MainToolWidget);
        else if (kind == "setting") w.reset(new SettingWidget);
        else if (kind == "login") w.reset(new AutorizationWidget);
        else if (kind == "upload") w.reset(new UploadWidget);
        else if (kind == "last") w.reset(new LastUploadWidget);
        else if (kind == "proxy") w.reset(new ProxyWidget);
        else w.reset(new ErrorWidget(QStringLiteral("x")));
        QCOMPARE(w->status(), QQuickView::Ready);
        QCOMPARE(w->source(), QUrl("qrc:/qml/qml/Window/" + page));
        QCOMPARE(w->objectName(), objectName);
        QCOMPARE(w->title(), title);
        QCOMPARE(bool(w->flags() & Qt::WindowStaysOnTopHint), onTop);
        QVERIFY(w->flags() & Qt::FramelessWindowHint);
        QCOMPARE(w->isMovable(), movable);
    }

    void lastUploadHidesTenSecondsAfterLastShow()
    {
        LastUploadWidget w;
        w.showTimed();
        QVERIFY(w.hideTimer()->isActive());
        QCOMPARE(w.hideTimer()->interval(), 10000);
        QTest::qWait(300);
        QVERIFY(w.hideTimer()->remainingTime() < 9900);
        w.showTimed();
        QVERIFY(w.hideTimer()->remainingTime() > 9900);
        QSignalSpy hided(&w, &BasicWindow::hided);
        w.hideTimer()->start(30);   // stands for the ten seconds running out
        QTRY_COMPARE(hided.count(), 1);
        QVERIFY(!w.isVisible());
    }

    void settingWindowStaysWhereDragged()
    {
        SettingWidget w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        // The card's top 285 px above the middle (the window's 315 with the
        // margin).
        const int m = w.shadowMargin();
        const QPoint placed(area.left() + area.width() / 2 - w.width() / 2, area.top() + area.height() / 2 - 285 - m);
        QCOMPARE(w.position(), placed);
        auto send = [&](QEvent::Type t, QPoint p) {
            QMouseEvent e(t, p, w.mapToGlobal(p), Qt::LeftButton,
                          t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&w, &e);
        };
        send(QEvent::MouseButtonPress, QPoint(100, m + 20));
        send(QEvent::MouseMove, QPoint(40, m + 10));
        send(QEvent::MouseButtonRelease, QPoint(40, m + 10));
        const QPoint dragged = w.position();
        QCOMPARE(dragged, placed + QPoint(-60, -10));
        w.hide();
        w.show();
        QCOMPARE(w.position(), dragged);
    }

    void cursorShapeArea()
    {
        CursorShapeArea a;
        QCOMPARE(a.cursorShape(), Qt::ArrowCursor);
        QSignalSpy changed(&a, &CursorShapeArea::cursorShapeChanged);
        a.setCursorShape(Qt::PointingHandCursor);
        a.setCursorShape(Qt::PointingHandCursor);
        QCOMPARE(a.cursorShape(), Qt::PointingHandCursor);
        QCOMPARE(changed.count(), 1);
    }

    // An open page is translated again when the language changes.
    void languageSwitchRetranslatesOpenPage()
    {
        ErrorWidget e(QStringLiteral("x"));
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        QQuickItem *title = item(e, "titleText");
        QVERIFY(title);
        QTranslator ru;
        QVERIFY(ru.load(QStringLiteral(":/translate/pryx.qm")));
        QCoreApplication::installTranslator(&ru);
        emit core_.languageChanged();
        QCOMPARE(title->property("text").toString(), QString::fromUtf8("Pryx - Ошибка"));
        QCoreApplication::removeTranslator(&ru);
        QTranslator en;
        QVERIFY(en.load(QStringLiteral(":/translate/pryx_en.qm")));
        QCoreApplication::installTranslator(&en);
        emit core_.languageChanged();
        QCOMPARE(title->property("text").toString(), QStringLiteral("Pryx - Error"));
        QCoreApplication::removeTranslator(&en);
    }

    void russianDialogTexts()
    {
        QTranslator ru;
        QVERIFY(ru.load(QStringLiteral(":/translate/pryx.qm")));
        QCoreApplication::installTranslator(&ru);
        MessageDialog d;
        d.showQuestion(QString::fromUtf8("Сохранение"), QString::fromUtf8("Нет соединения с интернетом. Сохранить снимок на диск?"));
        QCOMPARE(d.title(), QString::fromUtf8("Сообщение"));
        QCOMPARE(item(d, "okButton")->property("text").toString(), QString::fromUtf8("ОК"));
        QCOMPARE(item(d, "cancelButton")->property("text").toString(), QString::fromUtf8("Отмена"));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QTest::qWait(100);
        QVERIFY(d.grabWindow().save(shotPath("message_question_ru.png")));
        QCoreApplication::removeTranslator(&ru);
    }

    void screenshots()
    {
        MessageDialog d;
        d.showInformation(QStringLiteral("Upload"), QStringLiteral("The link is in the clipboard."));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        ErrorWidget e(QStringLiteral("Host not found: the upload server did not answer. Check the connection and the proxy settings."));
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        QTest::qWait(100);
        QVERIFY(d.grabWindow().save(shotPath("message_information.png")));
        QVERIFY(e.grabWindow().save(shotPath("error.png")));
    }
};

QTEST_MAIN(TstDialogs)
#include "tst_dialogs.moc"
