// The windows the real Core creates: which it keeps and shows again, which
// it frees after closed(), the upload and last-upload windows by their
// settings, the reminder, and the save offer after a missing network.
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTcpServer>
#include <QTimer>
#include "network/analyticsevent.h"
// The test plants the temporary capture file, which only a capture upload sets.
#define private public
#include "core/core.h"
#undef private

#include "core/base/paths.h"
#include "core/base/setting.h"
#include "network/autorization.h"
#include "network/dropboxauth.h"
#include "windows/autorizationwidget.h"
#include "windows/errorwidget.h"
#include "windows/lastuploadwidget.h"
#include "windows/maintoolwidget.h"
#include "windows/messagedialog.h"
#include "windows/proxywidget.h"
#include "windows/settingwidget.h"
#include "windows/uploadwidget.h"

#include "network/handlerupload.h"
#include "network/networkexchange.h"
#include "network/uploadmodel.h"
#include "support/dialoganswerer.h"
#include "support/standin.h"
#include "support/testsupport.h"
#include "support/topwindows.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonObject>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

using pryx::test::DialogAnswerer;
using pryx::test::onlyWindow;
using pryx::test::StandIn;
using pryx::test::windowsOf;

namespace {
QStringList g_log;
QtMessageHandler g_previous = nullptr;
void collect(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    g_log << text;
    if (g_previous)
        g_previous(type, context, text);
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
Setting *st() { return Setting::instance(); }

} // namespace

class TstCoreWindows : public QObject
{
    Q_OBJECT
    Core *core_ = nullptr;
    StandIn standIn_;

    void startStandIn()
    {
        if (standIn_.port() == 0) {
            QVERIFY2(standIn_.start(), qPrintable(standIn_.error()));
            core_->setApiHost(standIn_.host());
        }
        standIn_.clearLog();
    }
    // Stops what still runs and hides what the uploads showed.
    void endUploads()
    {
        core_->cancelUpload();
        flushDeletes();
        QTRY_COMPARE(core_->uploadModel()->rowCount(), 0);
        for (LastUploadWidget *w : windowsOf<LastUploadWidget>())
            w->hide();
        standIn_.setScript({});
    }

    // Uploads a 16x16 capture whose bytes request the stand-in holds under
    // holdName (then drops when close is set); returns its created id. Later
    // uploads pass through.
    QString startHeldCapture(const QString &holdName, bool close, Qt::GlobalColor colour)
    {
        QJsonObject hold{{"method", "PUT"}, {"hold", holdName}};
        if (close)
            hold.insert("close", true);
        standIn_.setScript(QJsonArray{hold});
        const int before = standIn_.requests().size();
        QPixmap pxm(16, 16);
        pxm.fill(colour);
        core_->screenUpload(0, false, pxm);
        if (!standIn_.waitForRequests(before + 1))
            return QString();
        const QString id = standIn_.requests().at(before).created;
        // Only this job's bytes are held from now on.
        hold.insert("path", "/" + id);
        standIn_.setScript(QJsonArray{hold});
        return id;
    }

    MessageDialog *visibleQuestion()
    {
        for (MessageDialog *d : windowsOf<MessageDialog>())
            if (d->isVisible())
                return d;
        return nullptr;
    }
    QString tempCapture(const QString &name)
    {
        const QString dir = pryx::dataPath() + "/tmp/";
        QDir().mkpath(dir);
        const QString path = dir + name;
        QImage img(8, 8, QImage::Format_RGB32);
        img.fill(Qt::red);
        img.save(path, "PNG");
        return path;
    }

private slots:
    void initTestCase()
    {
        g_previous = qInstallMessageHandler(collect);
        core_ = Core::instance();
        QVERIFY(core_);
        // The main tool window comes 500 ms after start on its own.
        QTRY_VERIFY_WITH_TIMEOUT(onlyWindow<MainToolWidget>() && onlyWindow<MainToolWidget>()->isVisible(),
                                 3000);
    }

    void mainWindowIsKeptAndReused()
    {
        MainToolWidget *first = onlyWindow<MainToolWidget>();
        QVERIFY(first);
        QCOMPARE(first->objectName(), QStringLiteral("MainWidget"));
        first->close();
        flushDeletes();
        QVERIFY(!first->isVisible());
        core_->showMainWindow();
        QCOMPARE(onlyWindow<MainToolWidget>(), first);
        QVERIFY(first->isVisible());
        // Logged out: the login panel only, 300 high (plus the shadow margin
        // while a compositor runs).
        QCOMPARE(first->rootObject()->height(), 300.0 + 2 * first->shadowMargin());
    }

    void settingWindowIsFreedOnClose()
    {
        core_->showSetting();
        QPointer<SettingWidget> first = onlyWindow<SettingWidget>();
        QVERIFY(first);
        QVERIFY(first->isVisible());
        core_->showSetting();
        QCOMPARE(onlyWindow<SettingWidget>(), first.data());
        first->close();
        flushDeletes();
        QVERIFY(first.isNull());
        QVERIFY(windowsOf<SettingWidget>().isEmpty());
        core_->showSetting();
        SettingWidget *second = onlyWindow<SettingWidget>();
        QVERIFY(second);
        QVERIFY(second->isVisible());
        second->close();
        flushDeletes();
    }

    void proxyWindowIsKeptAndRelaysClosed()
    {
        QSignalSpy closedSpy(core_, SIGNAL(closeProxyWindow()));
        core_->showProxyWidget();
        ProxyWidget *proxy = onlyWindow<ProxyWidget>();
        QVERIFY(proxy);
        QVERIFY(proxy->isVisible());
        proxy->close();
        flushDeletes();
        QCOMPARE(closedSpy.count(), 1);
        core_->showProxyWidget();
        QCOMPARE(onlyWindow<ProxyWidget>(), proxy);
        QVERIFY(proxy->isVisible());
        proxy->close();
        QCOMPARE(closedSpy.count(), 2);
    }

    void furtherErrorsReplaceTheOpenWindowsText()
    {
        core_->showErrorWidget("first error");
        ErrorWidget *first = onlyWindow<ErrorWidget>();
        QVERIFY(first && first->isVisible());
        core_->showErrorWidget("second error");
        core_->showErrorWidget("third error");
        QCOMPARE(onlyWindow<ErrorWidget>(), first);
        QCOMPARE(first->errorText(), QStringLiteral("third error"));
        QVERIFY(first->isVisible());
        first->close();
        flushDeletes();
        QVERIFY(windowsOf<ErrorWidget>().isEmpty());
        // Once closed, the next error opens a window of its own.
        core_->showErrorWidget("fourth error");
        ErrorWidget *next = onlyWindow<ErrorWidget>();
        QVERIFY(next && next->isVisible());
        QCOMPARE(next->errorText(), QStringLiteral("fourth error"));
        next->close();
        flushDeletes();
        QVERIFY(windowsOf<ErrorWidget>().isEmpty());
    }

    void uploadWindowBySetting_data()
    {
        QTest::addColumn<bool>("show");
        QTest::newRow("shown") << true;
        QTest::newRow("hidden by the setting") << false;
    }
    void uploadWindowBySetting()
    {
        QFETCH(bool, show);
        st()->setValue("show_upload", show ? 1 : 0);
        core_->showMainWindow();
        MainToolWidget *main = onlyWindow<MainToolWidget>();
        QVERIFY(main->isVisible());
        core_->showUploadPage();
        QVERIFY(!main->isVisible());
        UploadWidget *upload = onlyWindow<UploadWidget>();
        QCOMPARE(upload && upload->isVisible(), show);
        if (upload)
            upload->hide();
        st()->setValue("show_upload", 1);
    }

    void lastUploadWindowBySetting_data()
    {
        QTest::addColumn<bool>("show");
        QTest::newRow("shown") << true;
        QTest::newRow("hidden by the setting") << false;
    }
    void lastUploadWindowBySetting()
    {
        QFETCH(bool, show);
        st()->setValue("show_last_upload", show ? 1 : 0);
        core_->showUploadPage();
        UploadWidget *upload = onlyWindow<UploadWidget>();
        QVERIFY(upload && upload->isVisible());
        core_->showLastUploadPage();
        QVERIFY(!upload->isVisible());
        QVERIFY(!onlyWindow<MainToolWidget>()->isVisible());
        LastUploadWidget *last = onlyWindow<LastUploadWidget>();
        QCOMPARE(last && last->isVisible(), show);
        if (last)
            last->hide();
        st()->setValue("show_last_upload", 1);
    }

    void lastUploadWindowHidesAfterTenSeconds()
    {
        core_->showUploadPage();
        core_->showLastUploadPage();
        LastUploadWidget *last = onlyWindow<LastUploadWidget>();
        QVERIFY(last && last->isVisible());
        QVERIFY(last->hideTimer()->isActive());
        QCOMPARE(last->hideTimer()->interval(), 10000);
        QTest::qWait(300);
        // A second call keeps it open for another ten seconds.
        core_->showLastUploadPage();
        QCOMPARE(onlyWindow<LastUploadWidget>(), last);
        QVERIFY(last->hideTimer()->remainingTime() > 9700);
        last->hideTimer()->start(1);
        QTRY_VERIFY(!last->isVisible());
    }

    void cancelDoesNotAnnounceCompletion()
    {
        core_->showUploadPage();
        UploadWidget *upload = onlyWindow<UploadWidget>();
        QVERIFY(upload->isVisible());
        core_->cancelUpload();
        QVERIFY(!upload->isVisible());
        // The model reports "all over" once the stopped jobs are gone.
        core_->showLastUploadPage();
        LastUploadWidget *last = onlyWindow<LastUploadWidget>();
        QVERIFY(!last || !last->isVisible());
        // The next upload that completes is announced again.
        core_->showUploadPage();
        core_->showLastUploadPage();
        last = onlyWindow<LastUploadWidget>();
        QVERIFY(last && last->isVisible());
        last->hide();
    }

    void reminder_data()
    {
        QTest::addColumn<int>("daysAgo");   // -1: never stored
        QTest::addColumn<bool>("balloon");
        QTest::newRow("empty") << -1 << false;
        QTest::newRow("9 days") << 9 << false;
        QTest::newRow("10 days less a minute") << 10 << false;
        QTest::newRow("11 days") << 11 << true;
        QTest::newRow("11 days, no tray") << -11 << false;
    }
    void reminder()
    {
        QFETCH(int, daysAgo);
        QFETCH(bool, balloon);
        QVERIFY(core_->trayIcon());
        QSystemTrayIcon *const tray = core_->trayIcon_;
        if (daysAgo < -1) {   // no tray: nothing to show a balloon on
            core_->trayIcon_ = nullptr;
            daysAgo = -daysAgo;
        }
        const QDateTime now = QDateTime::currentDateTime();
        QDateTime stored;
        if (daysAgo == 10)
            stored = now.addDays(-10).addSecs(60);
        else if (daysAgo > 0)
            stored = now.addDays(-daysAgo);
        st()->setValue("date_last_screen", stored.isValid() ? QVariant(stored) : QVariant());
        g_log.clear();
        core_->showReminderMessage();
        core_->trayIcon_ = tray;
        QCOMPARE(g_log.filter("reminder since").size(), balloon ? 1 : 0);
        if (daysAgo < 0) {
            const QDateTime set = st()->getValue("date_last_screen").toDateTime();
            QVERIFY(set.isValid());
            QVERIFY(qAbs(set.secsTo(now)) < 60);
        }
    }

    // A failure that has no capture of its own to save is reported, not asked.
    void noQuestionWithoutCaptureFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("files upload") << QString();
        QTest::newRow("capture gone") << pryx::dataPath() + "/tmp/missing.png";
    }
    void noQuestionWithoutCaptureFile()
    {
        QFETCH(QString, file);
        core_->lastCaptureFile_ = tempCapture("earlier.png");
        core_->internetNotAvailable(file);
        QVERIFY(!visibleQuestion());
        ErrorWidget *error = onlyWindow<ErrorWidget>();
        QVERIFY(error);
        QCOMPARE(error->errorText(), QStringLiteral("Internet is not available"));
        error->close();
        flushDeletes();
    }

    void questionCancelMovesNothing()
    {
        const QString source = tempCapture("cancel.png");
        core_->internetNotAvailable(source);
        MessageDialog *question = visibleQuestion();
        QVERIFY(question);
        QCOMPARE(question->data("type").toString(), QStringLiteral("questions"));
        QCOMPARE(question->data("title").toString(), QStringLiteral("Warning"));
        QCOMPARE(question->data("message").toString(),
                 QStringLiteral("Internet is not available. Save file to disk ?"));
        DialogAnswerer answer;   // no name: a dialog would be cancelled
        answer.start();
        question->done(1);
        flushDeletes();
        QVERIFY(!answer.sawSaveDialog);
        QVERIFY(QFile::exists(source));
        QVERIFY(windowsOf<MessageDialog>().isEmpty());
    }

    void saveMovesTheCapture_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("new name") << false;
        QTest::newRow("replaces an existing file") << true;
    }
    void saveMovesTheCapture()
    {
        QFETCH(bool, existing);
        const QString source = tempCapture("capture.png");
        const QString target = pryx::test::testRoot() + "/saved.png";
        QFile::remove(target);
        if (existing) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old");
        }
        core_->internetNotAvailable(source);
        MessageDialog *question = visibleQuestion();
        QVERIFY(question);
        DialogAnswerer answer;
        answer.name = target;
        answer.start();
        question->done(0);
        flushDeletes();
        QVERIFY(answer.sawSaveDialog);
        QCOMPARE(answer.dialogTitle, QStringLiteral("Save file"));
        QCOMPARE(answer.dialogFilter, QStringLiteral("PNG (*.png);;JPG (*.jpg);;JPEG (*.jpeg)"));
        QCOMPARE(answer.sawOverwriteQuestion, existing);
        QVERIFY(!QFile::exists(source));
        QImage saved(target);
        QCOMPARE(saved.size(), QSize(8, 8));
        QVERIFY(windowsOf<ErrorWidget>().isEmpty());
    }

    // A target that cannot be written is reported and the capture stays; an
    // existing target that cannot be replaced keeps its content.
    void saveFailureIsReported_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("text");
        QTest::newRow("folder is a file") << pryx::test::testRoot() + "/plain.txt/saved.png"
                                          << "Cannot save the file ";
        // Even root cannot remove or overwrite it.
        QTest::newRow("existing, not replaceable") << "/proc/version" << "Cannot replace the file ";
    }
    void saveFailureIsReported()
    {
        QFETCH(QString, target);
        QFETCH(QString, text);
        {
            QFile plain(pryx::test::testRoot() + "/plain.txt");
            QVERIFY(plain.open(QIODevice::WriteOnly));
            plain.write("a regular file");
        }
        QFile before(target);
        const QByteArray old = before.open(QIODevice::ReadOnly) ? before.readAll() : QByteArray();
        before.close();
        const QString source = tempCapture("unsaved.png");
        core_->internetNotAvailable(source);
        MessageDialog *question = visibleQuestion();
        QVERIFY(question);
        DialogAnswerer answer;
        answer.name = target;
        answer.start();
        question->done(0);
        flushDeletes();
        QVERIFY(answer.sawSaveDialog);
        ErrorWidget *error = onlyWindow<ErrorWidget>();
        QVERIFY(error);
        QCOMPARE(error->errorText(), text + target);
        QVERIFY(QFile::exists(source));
        QFile after(target);
        QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), old);
        error->close();
        flushDeletes();
    }

    void saveDialogCancelledMovesNothing()
    {
        const QString source = tempCapture("kept.png");
        core_->internetNotAvailable(source);
        MessageDialog *question = visibleQuestion();
        QVERIFY(question);
        DialogAnswerer answer;
        answer.start();
        question->done(0);
        flushDeletes();
        QVERIFY(answer.sawSaveDialog);
        QVERIFY(QFile::exists(source));
        QVERIFY(windowsOf<ErrorWidget>().isEmpty());
    }

    void vanishedCaptureIsReported()
    {
        const QString source = tempCapture("gone.png");
        core_->internetNotAvailable(source);
        MessageDialog *question = visibleQuestion();
        QVERIFY(question);
        QFile::remove(source);   // the temporary folder was cleared meanwhile
        question->done(0);
        ErrorWidget *error = onlyWindow<ErrorWidget>();
        QVERIFY(error);
        QVERIFY(error->isVisible());
        QVERIFY(!error->errorText().isEmpty());
        error->close();
        flushDeletes();
    }

    // Real uploads to the stand-in that drops the connection. Two captures
    // run at once: the first one's failure offers to save the first capture,
    // not the later one that Core remembers as its last.
    void failedCaptureUploadOffersItsOwnFile()
    {
        startStandIn();
        st()->setValue("type_upload", "pryx");
        QVERIFY(!startHeldCapture("first", true, Qt::red).isEmpty());
        const QString first = core_->lastCaptureFile();
        QVERIFY(QFile::exists(first));
        QPixmap blue(24, 24);
        blue.fill(Qt::blue);
        core_->screenUpload(0, false, blue);
        const QString second = core_->lastCaptureFile();
        QVERIFY(second != first);
        QVERIFY(standIn_.waitForRequests(3));   // the second one went through
        QVERIFY(!visibleQuestion());
        standIn_.release("first");
        QTRY_VERIFY_WITH_TIMEOUT(visibleQuestion(), 15000);
        const QString target = pryx::test::testRoot() + "/first.png";
        QFile::remove(target);
        DialogAnswerer answer;
        answer.name = target;
        answer.start();
        visibleQuestion()->done(0);
        flushDeletes();
        QVERIFY(!QFile::exists(first));
        QCOMPARE(QImage(target).size(), QSize(16, 16));
        QVERIFY(QFile::exists(second));
        QVERIFY(windowsOf<ErrorWidget>().isEmpty());
        endUploads();
    }

    // A files upload that fails the same way says so and offers no save,
    // even with an earlier capture still in the temporary folder.
    void failedFilesUploadOffersNoSave()
    {
        startStandIn();
        standIn_.setScript(QJsonArray{
            QJsonObject{{"method", "POST"}, {"path", "^/drive/v1/files"}, {"close", true}}});
        st()->setValue("type_upload", "pryx");
        st()->setValue("max_post_size", "1000000000");
        st()->setValue("token", QStringLiteral("stored-token"));
        const QString earlier = tempCapture("earlier capture.png");
        core_->lastCaptureFile_ = earlier;
        const QString own = pryx::test::testRoot() + "/notes.txt";
        {
            QFile f(own);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("the user's own file");
        }
        core_->uploadData({own});
        QTRY_VERIFY_WITH_TIMEOUT(onlyWindow<ErrorWidget>(), 15000);
        QCOMPARE(onlyWindow<ErrorWidget>()->errorText(), QStringLiteral("Internet is not available"));
        QVERIFY(standIn_.requests().size() >= 1);
        QCOMPARE(standIn_.requests().first().answer, QStringLiteral("closed"));
        QVERIFY(!visibleQuestion());
        QVERIFY(QFile::exists(earlier));
        QVERIFY(QFile::exists(own));
        onlyWindow<ErrorWidget>()->close();
        flushDeletes();
        st()->setValue("token", QString());
        endUploads();
    }

    // Cancel stops jobs that are really running (their bytes held by the
    // stand-in) and announces no completion; the next upload that completes
    // is announced again.
    void cancelStopsRunningUploads()
    {
        startStandIn();
        st()->setValue("type_upload", "pryx");
        st()->setValue("show_upload", 1);
        st()->setValue("show_last_upload", 1);
        st()->setValue("max_post_size", "1000000000");
        st()->setValue("token", QStringLiteral("stored-token"));
        standIn_.setScript(QJsonArray{QJsonObject{{"method", "PUT"}, {"hold", "cancel"}}});
        QPixmap pxm(16, 16);
        pxm.fill(Qt::green);
        core_->screenUpload(0, false, pxm);
        const QString own = pryx::test::testRoot() + "/held.txt";
        {
            QFile f(own);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("held by the stand-in");
        }
        core_->uploadData({own});
        UploadModel *model = core_->uploadModel();
        QCOMPARE(model->rowCount(), 2);
        QVERIFY(standIn_.waitForRequests(2));   // both created, bytes held
        const QList<HandlerUpload *> jobs = core_->networkExchange()->jobs();
        QCOMPARE(jobs.size(), 2);
        QList<QPointer<HandlerUpload>> alive;
        QSignalSpy stopped0(jobs.at(0), &HandlerUpload::uploadStoped);
        QSignalSpy stopped1(jobs.at(1), &HandlerUpload::uploadStoped);
        for (HandlerUpload *job : jobs)
            alive << job;
        // The links arrive just after the stand-in logs the creates.
        QTRY_VERIFY(onlyWindow<UploadWidget>() && onlyWindow<UploadWidget>()->isVisible());
        UploadWidget *upload = onlyWindow<UploadWidget>();
        QSignalSpy over(model, SIGNAL(uploadComplete()));

        core_->cancelUpload();
        QVERIFY(!upload->isVisible());
        QVERIFY(core_->networkExchange()->jobs().isEmpty());
        QTRY_COMPARE(stopped0.count() + stopped1.count(), 2);
        QTRY_COMPARE(model->rowCount(), 0);
        QTRY_COMPARE(over.count(), 1);   // the model's "all over" came...
        flushDeletes();
        for (const QPointer<HandlerUpload> &job : alive)
            QVERIFY(job.isNull());
        LastUploadWidget *last = onlyWindow<LastUploadWidget>();
        QVERIFY(!last || !last->isVisible());   // ...and is no completion
        standIn_.release("cancel");
        QTest::qWait(300);
        QVERIFY(windowsOf<ErrorWidget>().isEmpty());
        QVERIFY(!visibleQuestion());

        standIn_.setScript({});
        core_->screenUpload(0, false, pxm);
        QTRY_VERIFY_WITH_TIMEOUT(onlyWindow<LastUploadWidget>() && onlyWindow<LastUploadWidget>()->isVisible(),
                                 15000);
        st()->setValue("token", QString());
        endUploads();
    }

    // Without a stored login the login window comes (one, kept); with one
    // nothing is shown.
    void loginCheckShowsTheLoginWindowOnlyWithoutLogin()
    {
        Setting::instance()->setValue("token", QString());
        QVERIFY(!core_->checkAutorization());
        AutorizationWidget *login = onlyWindow<AutorizationWidget>();
        QVERIFY(login);
        QTRY_VERIFY(login->isVisible());
        login->hide();
        QVERIFY(!core_->checkAutorization());
        QCOMPARE(onlyWindow<AutorizationWidget>(), login);
        QVERIFY(login->isVisible());
        login->hide();

        Setting::instance()->setValue("token", QStringLiteral("stored-token"));
        QVERIFY(core_->checkAutorization());
        QVERIFY(!login->isVisible());
        Setting::instance()->setValue("token", QString());
    }

    // A Dropbox authorisation that cannot listen for its redirect says so.
    void dropboxListenerFailureIsShown()
    {
        QTcpServer squatter;
        QVERIFY(squatter.listen(QHostAddress::LocalHost, 6609));
        QVERIFY(core_->account());
        core_->account()->dropBoxAuth()->authorization();
        ErrorWidget *error = onlyWindow<ErrorWidget>();
        QVERIFY(error);
        QVERIFY(error->isVisible());
        QVERIFY2(error->errorText().contains("127.0.0.1:6609"), qPrintable(error->errorText()));
        error->close();
        flushDeletes();
    }

    void registrationDestroyClosesAndFreesTheLoginWindow()
    {
        Setting::instance()->setValue("token", QString());
        QVERIFY(!core_->checkAutorization());
        QPointer<AutorizationWidget> login = onlyWindow<AutorizationWidget>();
        QVERIFY(login);
        QTRY_VERIFY(login->isVisible());
        QSignalSpy closed(login.data(), SIGNAL(closed()));
        core_->registrationWidgetDestroy();
        QVERIFY(!login->isVisible());
        QCOMPARE(closed.count(), 1);
        flushDeletes();
        QVERIFY(login.isNull());
        QVERIFY(windowsOf<AutorizationWidget>().isEmpty());
        // The next need of a login makes a new one.
        QVERIFY(!core_->checkAutorization());
        QVERIFY(onlyWindow<AutorizationWidget>());
        QTRY_VERIFY(onlyWindow<AutorizationWidget>()->isVisible());
        core_->registrationWidgetDestroy();
        flushDeletes();
    }

    void registrationDestroyWithoutWindowIsHarmless()
    {
        core_->registrationWidgetDestroy();
        core_->registrationWidgetDestroy();
    }

    void helpBoxHasItsThreeParts()
    {
        QString title, text, informative;
        int buttons = 0;
        QTimer::singleShot(100, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            text = box->text();
            informative = box->informativeText();
            buttons = box->buttons().size();
            box->button(QMessageBox::Ok)->click();
        });
        core_->openHelp();
        QCOMPARE(title, QStringLiteral("Support"));
        QCOMPARE(text, QStringLiteral("Support and Help"));
        QCOMPARE(buttons, 1);
        QVERIFY(informative.contains("t.me/"));
        QVERIFY(informative.contains("mailto:"));
        QVERIFY(informative.contains("forum"));
    }
};

QTEST_MAIN(TstCoreWindows)
#include "tst_corewindows.moc"
