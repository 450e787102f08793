// The main tool page in its real window: which panels show logged out and
// logged in, the height with and without a last link, and what each button
// calls.
#include "core/base/setting.h"
#include "windows/maintoolwidget.h"

#include "support/pagestandins.h"
#include "support/qmlstandins.h"
#include "support/quickitems.h"

#include <QDir>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

class TstMainTool : public QObject
{
    Q_OBJECT
    PageCore core_;
    QScopedPointer<MainToolWidget> w_;
    pryx::test::WarningCollector warnings_;

    QQuickItem *item(const char *name)
    {
        return w_->rootObject()->findChild<QQuickItem *>(QLatin1String(name));
    }
    bool shown(const char *name)
    {
        QQuickItem *i = item(name);
        return i && i->isVisible();
    }
    void open()
    {
        w_.reset(new MainToolWidget);
        QCOMPARE(w_->status(), QQuickView::Ready);
        w_->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_.data()));
    }
    void click(const char *name)
    {
        QTest::qWait(30);   // positioners lay out on the next frame
        QQuickItem *i = item(name);
        QVERIFY2(i, name);
        pryx::test::clickItem(w_.data(), i);
    }

private slots:
    void initTestCase() { BasicWindow::setCoreObject(&core_); }
    // Queued settings writes must not meet the database's teardown at exit.
    void cleanupTestCase() { QVERIFY(Setting::instance()->flush()); }
    void init()
    {
        core_.calls.clear();
        core_.account_.setAuth(false);
        core_.setLastLink(QString());
    }
    void cleanup()
    {
        w_.reset();
        QCOMPARE(warnings_.take(), QStringList());
    }

    void panels_data()
    {
        QTest::addColumn<bool>("auth");
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("tools");
        QTest::addColumn<bool>("lastUpload");
        QTest::addColumn<int>("height");
        QTest::newRow("logged out") << false << "" << false << false << 300;
        QTest::newRow("logged out, old link stored") << false << "https://x/1" << false << false << 300;
        QTest::newRow("logged in") << true << "" << true << false << 300;
        QTest::newRow("logged in with a link") << true << "https://x/1" << true << true << 430;
    }
    void panels()
    {
        QFETCH(bool, auth);
        QFETCH(QString, link);
        QFETCH(bool, tools);
        QFETCH(bool, lastUpload);
        QFETCH(int, height);
        core_.account_.setAuth(auth);
        core_.setLastLink(link);
        open();
        QCOMPARE(shown("toolPanel"), tools);
        QCOMPARE(shown("lastUploadPanel"), lastUpload);
        QCOMPARE(shown("loginPanel"), !auth);
        QVERIFY(shown("exitLink"));
        QVERIFY(shown("helpLink"));
        const int m = 2 * w_->shadowMargin();
        QCOMPARE(int(w_->rootObject()->width()), 241 + m);
        QCOMPARE(int(w_->rootObject()->height()), height + m);
        QTRY_COMPARE(w_->height(), height + m);
        if (lastUpload)
            QCOMPARE(item("lastUploadLabel")->property("text").toString(), QStringLiteral("Last upload"));
    }

    void growsWithTheFirstLink()
    {
        core_.account_.setAuth(true);
        open();
        const int m = 2 * w_->shadowMargin();
        QCOMPARE(int(w_->rootObject()->height()), 300 + m);
        core_.setLastLink("https://x/first");
        QCOMPARE(int(w_->rootObject()->height()), 430 + m);
        QVERIFY(shown("openButton"));
        QVERIFY(shown("copyButton"));
    }

    void buttons_data()
    {
        QTest::addColumn<bool>("auth");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("after");   // "shown", "hidden" or "closed"
        QTest::newRow("fragment") << true << "fragmentButton" << "screen:0:0" << "shown";
        QTest::newRow("full screen") << true << "fullScreenButton" << "screen:1:0" << "shown";
        QTest::newRow("history") << true << "historyButton" << "openHistory" << "hidden";
        QTest::newRow("settings") << true << "settingsButton" << "showSetting" << "closed";
        QTest::newRow("open") << true << "openButton" << "openLastLink" << "hidden";
        QTest::newRow("copy") << true << "copyButton" << "copyLastLink" << "hidden";
        QTest::newRow("login") << false << "loginButton" << "checkAutorization" << "closed";
        QTest::newRow("exit") << true << "exitLink" << "exitApp" << "hidden";
        QTest::newRow("help") << false << "helpLink" << "openHelp" << "hidden";
    }
    void buttons()
    {
        QFETCH(bool, auth);
        QFETCH(QString, button);
        QFETCH(QString, call);
        QFETCH(QString, after);
        core_.account_.setAuth(auth);
        core_.setLastLink("https://x/1");
        open();
        QSignalSpy closed(w_.data(), SIGNAL(closed()));
        QSignalSpy hided(w_.data(), SIGNAL(hided()));
        click(button.toLatin1().constData());
        QTRY_COMPARE(core_.calls, QStringList{call});
        QCOMPARE(w_->isVisible(), after == "shown");
        QCOMPARE(closed.count(), after == "closed" ? 1 : 0);
        QCOMPARE(hided.count(), after == "hidden" ? 1 : 0);
    }

    void loginChangeClosesTheWindow()
    {
        open();
        QSignalSpy closed(w_.data(), SIGNAL(closed()));
        core_.account_.setAuth(true);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!w_->isVisible());
        // Shown again, it has the tool panel.
        w_->show();
        QVERIFY(shown("toolPanel"));
        QVERIFY(!shown("loginPanel"));
    }

    void withoutLoginObject()
    {
        core_.withAccount = false;
        emit core_.accountChange(nullptr);
        open();
        QVERIFY(shown("loginPanel"));
        QVERIFY(!shown("toolPanel"));
        core_.withAccount = true;
        emit core_.accountChange(&core_.account_);
    }

    void toolTipAfterHover()
    {
        core_.account_.setAuth(true);
        open();
        QQuickItem *b = item("fragmentButton");
        const QPointF c = b->mapToScene(QPointF(b->width() / 2, b->height() / 2));
        QTest::mouseMove(w_.data(), c.toPoint());
        QTRY_VERIFY_WITH_TIMEOUT([&] {
            for (QQuickItem *i : w_->rootObject()->findChildren<QQuickItem *>())
                if (QString(i->metaObject()->className()).startsWith("ToolTip") && i->isVisible())
                    return i->property("text").toString() == "Capture fragment screen";
            return false;
        }(), 3000);
    }

    void screenshots()
    {
        const QString dir = QStringLiteral(PRYX_BINARY_DIR) + "/screenshots";
        QDir().mkpath(dir);
        open();
        QTest::qWait(100);
        QVERIFY(w_->grabWindow().save(dir + "/maintool-logged-out.png"));
        core_.account_.setAuth(true);
        core_.setLastLink("https://x/1");
        open();
        QTest::qWait(100);
        QVERIFY(w_->grabWindow().save(dir + "/maintool-logged-in.png"));
    }
};

QTEST_MAIN(TstMainTool)
#include "tst_maintool.moc"
