// The login window of the real Core behind a proxy that is the only way out:
// in a network namespace of the test's own, a firewall rule refuses every
// direct connection to the stand-ins (the web service and Dropbox), so only
// tinyproxy, running as its own user, reaches them. The first e-mail check
// fails, the page offers the proxy form, its blue Next saves the proxy, and
// from then on every request of the program goes through it, in the same run:
// the e-mail check and registration, the internet check of the social logins, the
// update check, analytics, an upload to the service and one to Dropbox.
#include "core/base/setting.h"
#include "core/core.h"
#include "network/analyticsevent.h"
#include "network/autorization.h"
#include "network/updater.h"
#include "windows/autorizationwidget.h"

#include "support/dropboxstandin.h"
#include "support/quickitems.h"
#include "support/standin.h"
#include "support/testsupport.h"
#include "support/topwindows.h"
#include "support/uploadservers.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProcess>
#include <QQuickItem>
#include <QTcpSocket>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

#include <vector>

using pryx::test::StandIn;

class TstLoginProxy : public QObject, public pryx::test::PageDriver
{
    Q_OBJECT
    StandIn service_;
    pryx::test::DropboxStandin dropbox_;
    pryx::test::TinyProxy proxy_;
    Core *core_ = nullptr;
    QPointer<AutorizationWidget> w_;
    QString src_;

    QQuickView *pageView() const override { return w_.data(); }
    // The requests the service stand-in received whose path starts so.
    int served(const QByteArray &path) const
    {
        int n = 0;
        for (const auto &r : service_.requests())
            n += r.path.startsWith(path) ? 1 : 0;
        return n;
    }
    static bool refusedDirectly(int port)
    {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, quint16(port));
        s.waitForConnected(5000);
        return s.error() == QAbstractSocket::ConnectionRefusedError;
    }

private slots:
    void initTestCase()
    {
        const struct passwd *pw = ::getpwnam("tinyproxy");
        if (!pw)
            QSKIP("tinyproxy cannot run as a user of its own: there is no user \"tinyproxy\"");
        src_ = pryx::test::testRoot() + "/src";
        service_.addRouteFile(pryx::test::supportDir() + "/authroutes.py");
        service_.addRouteFile(pryx::test::supportDir() + "/updateroutes.py");
        QDir().mkpath(pryx::test::testRoot() + "/feed");
        qputenv("PRYX_UPDATE_ROUTES_DIR", QFile::encodeName(pryx::test::testRoot() + "/feed"));
        QVERIFY2(service_.start(), qPrintable(service_.error()));
        QString err;
        QVERIFY2(dropbox_.start(&err), qPrintable(err));
        const QByteArray host = service_.host().toLatin1();
        for (const char *v : {"PRYX_AUTH_HOST", "PRYX_API_HOST", "PRYX_SUPPORT_HOST",
                              "PRYX_UPDATE_HOST", "PRYX_ANALYTICS_HOST"})
            qputenv(v, host);
        proxy_.setRunAs(QStringLiteral("tinyproxy"));
        QVERIFY2(proxy_.start(), qPrintable(proxy_.error()));

        // Only tinyproxy's user may connect to the stand-ins.
        const QList<int> ports{service_.port(), dropbox_.webPort(), dropbox_.apiPort(),
                               dropbox_.contentPort()};
        QStringList list;
        for (int p : ports)
            list << QString::number(p);
        const QString rules = QStringLiteral(
            "table inet pryx_only_proxy {\n chain out {\n"
            "  type filter hook output priority 0; policy accept;\n"
            "  ip daddr 127.0.0.1 tcp dport { %1 } meta skuid != %2 reject with tcp reset\n"
            " }\n}\n").arg(list.join(", ")).arg(pw->pw_uid);
        QProcess nft;
        nft.setProcessChannelMode(QProcess::MergedChannels);
        nft.start(QStringLiteral("nft"), {"-f", "-"});
        nft.write(rules.toUtf8());
        nft.closeWriteChannel();
        QVERIFY2(nft.waitForFinished(10000) && nft.exitCode() == 0, nft.readAll().constData());
        for (int p : ports)
            QVERIFY2(refusedDirectly(p), qPrintable(QString::number(p)));

        Setting *s = Setting::instance();
        for (const char *key : {"token", "proxy_host", "proxy_port", "proxy_user", "proxy_password"})
            s->setValue(QLatin1String(key), QString());
        s->setValue("useProxy", "false");
        core_ = Core::instance();
        QVERIFY(core_ && core_->account());
    }
    void cleanupTestCase() { QVERIFY(Setting::instance()->flush()); }

    // The page follows the account into the internet error and saves the
    // proxy with its blue Next; the next e-mail check goes through it.
    void proxyFormInTheSameRun()
    {
        QVERIFY(!core_->checkAutorization());
        w_ = pryx::test::windowsOf<AutorizationWidget>().value(0);
        QVERIFY(w_);
        QVERIFY(QTest::qWaitForWindowExposed(w_.data()));
        QVERIFY(pryx::test::activateWindow(w_.data()));

        typeInto("email", "maria@mail.test");
        clickOn("nextButton");
        QTRY_VERIFY_WITH_TIMEOUT(shown("proxyForm"), 30000);
        QCOMPARE(text("proxyError"), QStringLiteral("Internet connect not found"));
        QCOMPARE(service_.requests().size(), 0);   // nothing got through directly

        typeInto("proxyHost", "127.0.0.1");
        typeInto("proxyPort", QString::number(proxy_.port()));
        clickOn("nextButton");
        QTRY_VERIFY(shown("form"));
        QVERIFY(!shown("proxyForm"));
        Setting *s = Setting::instance();
        QVERIFY(s->flag("useProxy"));
        QCOMPARE(s->getValue("proxy_host").toString(), QStringLiteral("127.0.0.1"));
        QCOMPARE(s->getValue("proxy_port").toString(), QString::number(proxy_.port()));

        typeInto("email", "maria@mail.test");
        QTest::keyClick(w_.data(), Qt::Key_Return);
        // A new e-mail for the service: the registration step.
        QTRY_COMPARE_WITH_TIMEOUT(text("nextButton"), QStringLiteral("Registration"), 30000);
        QCOMPARE(served("/join/email/check.xml"), 1);
        QVERIFY2(proxy_.logText().contains("CONNECT " + service_.host()), qPrintable(proxy_.logText()));

        QTRY_VERIFY(item("password")->property("inputFocus").toBool());
        type("one");
        QTest::keyClick(w_.data(), Qt::Key_Return);   // the empty confirmation takes the focus
        QTRY_VERIFY(item("confirm")->property("inputFocus").toBool());
        type("one");
        QTest::keyClick(w_.data(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(shown("welcomeView"), 30000);
        QVERIFY(core_->account()->isAuth());
        clickOn("startButton");
    }

    // The other managers of the program take the saved proxy as well.
    void everyRequestGoesThroughTheProxy()
    {
        QVERIFY(core_->account()->isAuth());
        // The social logins' internet check.
        QVERIFY(core_->account()->checkInternetAccess());
        QCOMPARE(served("/ping"), 1);

        core_->updater()->startUpdate();
        QTRY_VERIFY_WITH_TIMEOUT(served("/current_version_") >= 1, 30000);

        new AnalyticsEvent(AnalyticsEvent::CategoryApp, AnalyticsEvent::ActionClick, true,
                           QStringLiteral("proxy"));
        QTRY_COMPARE_WITH_TIMEOUT(served("/collect"), 1, 30000);

        Setting *s = Setting::instance();
        s->setValue("max_post_size", "1000000000");
        s->setValue("type_upload", "pryx");
        core_->uploadData({pryx::test::makeDataFile(src_ + "/to service.bin", 200000, 3)});
        QTRY_VERIFY_WITH_TIMEOUT(served("/upload/drive/v1/files") >= 1, 30000);

        // Dropbox: the upload thread's manager reads the copy of the settings.
        s->setValue("drop_box_token_apiv2", dropbox_.token(), true);
        s->setValue("type_upload", "dropbox");
        core_->uploadData({pryx::test::makeDataFile(src_ + "/to dropbox.bin", 150000, 4)});
        QTRY_VERIFY_WITH_TIMEOUT(!dropbox_.requests("/2/files/upload").isEmpty(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dropbox_.root() + "/to dropbox.bin"), 30000);

        // Still no way around the proxy.
        QVERIFY(refusedDirectly(service_.port()));
    }
};

int main(int argc, char **argv)
{
    // The firewall rule must not touch anyone else: run in a network
    // namespace of our own (the X server is reached by its socket file).
    if (!qEnvironmentVariableIsSet("PRYX_TEST_OWN_NETNS")) {
        qputenv("PRYX_TEST_OWN_NETNS", "1");
        std::vector<char *> args{const_cast<char *>("unshare"), const_cast<char *>("-n"),
                                 const_cast<char *>("sh"), const_cast<char *>("-c"),
                                 const_cast<char *>("ip link set lo up && exec \"$0\" \"$@\""),
                                 const_cast<char *>("/proc/self/exe")};
        char self[4096];
        const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
        if (n > 0) {
            self[n] = 0;
            args.back() = self;
        }
        for (int i = 1; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        ::execvp("unshare", args.data());
        perror("unshare");
        return 99;
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TstLoginProxy test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_loginproxy.moc"
