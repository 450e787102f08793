// FTP logins kept by the settings store through restarts, logins and a
// logout, used by real uploads to the FTP test server on 127.0.0.1. Each
// step is a process of its own (this program with "--driver"), so every
// restart is real.
#include "core/base/setting.h"
#include "network/autorization.h"
#include "network/networkexchange.h"
#include "network/uploadmodel.h"
#include "network/uploadservices.h"
#include "support/testsupport.h"
#include "support/uploadservers.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

// type HOST PORT USER PASSWORD: what the FTP page's Accept stores
// login TOKEN | logout (the account's own logout) | upload FILE | get KEY
static int runDriver(const QStringList &args)
{
    Setting *s = Setting::instance();
    UploadModel model;
    pryx::net::services().uploadModel = [&model] { return &model; };
    int shown = 0;
    pryx::net::services().showError = [&shown](const QString &t) {
        ++shown;
        std::printf("SHOWN %s\n", qPrintable(t));
    };
    pryx::net::services().appTitle = [] { return QStringLiteral("Pryx test"); };
    for (int i = 0; i < args.size(); ++i) {
        const QString &cmd = args.at(i);
        if (cmd == "type") {
            s->setValue("type_upload", "ftp");
            s->setValue("is_sftp", false);
            s->setValue("ftp_host", args.at(i + 1));
            s->setValue("ftp_port", args.at(i + 2));
            s->setValue("ftp_user", args.at(i + 3), true);
            s->setValue("ftp_password", args.at(i + 4), true);
            s->setValue("ftp_path", "up");
            s->setValue("ftp_base_url", "http://files.test/up");
            s->setValue("is_ftp_error_upload_pryx", false);
            // The upload limit, as the account's info of an earlier login left it.
            s->setValue("max_post_size", "1000000000");
            i += 4;
        } else if (cmd == "login") {
            s->setValue("token", args.at(i + 1));
            i += 1;
        } else if (cmd == "logout") {
            Autorization account;
            account.exit();
        } else if (cmd == "get") {
            std::printf("VALUE %s=%s\n", qPrintable(args.at(i + 1)), qPrintable(s->getValue(args.at(i + 1)).toString()));
            i += 1;
        } else if (cmd == "upload") {
            NetworkExchange ex;
            QSignalSpy errors(&ex, &NetworkExchange::error);
            QSignalSpy done(&model, &UploadModel::uploadComplete);
            ex.uploadFiles({args.at(i + 1)});
            if (!QTest::qWaitFor([&] { return done.count() + errors.count() + shown > 0; }, 30000))
                std::printf("NO ANSWER\n");
            if (!errors.isEmpty())
                std::printf("ERROR %s\n", qPrintable(errors.first().first().toString()));
            else if (!done.isEmpty())
                std::printf("UPLOADED\n");
            i += 1;
        }
    }
    std::fflush(stdout);
    _exit(s->flush(10000) ? 0 : 3);
}

class TestFtpCredentials : public QObject
{
    Q_OBJECT
    pryx::test::ScriptServer ftp_;
    QString root_;
    QString home_;
    int uploads_ = 0;

    pryx::test::ChildResult driver(const QStringList &commands)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", home_);
        env.insert("XDG_CONFIG_HOME", home_ + "/config");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return pryx::test::runChild(QCoreApplication::applicationFilePath(), QStringList{"--driver"} + commands,
                                    60000, env);
    }

    // One upload in a fresh process; the bytes must arrive on the server.
    void uploadArrives()
    {
        const QString name = QString("shot%1.png").arg(++uploads_);
        const QString file = pryx::test::makeDataFile(pryx::test::testRoot() + "/src/" + name, 5000, quint32(uploads_));
        const auto r = driver({"upload", file});
        QVERIFY2(r.exitCode == 0 && r.out.contains("UPLOADED\n"), (r.out + r.err).constData());
        QFile sent(root_ + "/up/" + name), original(file);
        QVERIFY(sent.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
        QVERIFY(sent.readAll() == original.readAll());
    }

    QByteArray databaseBytes()
    {
        QFile f(home_ + "/Pryx/setting");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        root_ = pryx::test::testRoot() + "/ftproot";
        home_ = pryx::test::testRoot() + "/home-data";
        QVERIFY(QDir().mkpath(root_ + "/up"));
        pryx::test::FtpServerOptions o;
        o.root = root_;
        o.user = "uploader";
        o.password = "pass word:1";
        QString err;
        QVERIFY2(pryx::test::startFtpServer(ftp_, o, &err), qPrintable(err));
    }

    void typedWithoutLoginThenLoginsAndLogout()
    {
        const QString port = QString::number(ftp_.port());
        // Typed with no service login at all.
        auto r = driver({"type", "127.0.0.1", port, "uploader", "pass word:1"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(!databaseBytes().contains("pass word:1"));
        QVERIFY(!databaseBytes().contains("uploader"));
        uploadArrives();
        QFileInfo key(home_ + "/Pryx/setting.key");
        QVERIFY(key.exists());
        QCOMPARE(int(key.permissions() & 0x7077), int(QFile::ReadOwner | QFile::WriteOwner));

        // A login, then another one with a new token: the logins still work.
        QCOMPARE(driver({"login", "first-token"}).exitCode, 0);
        uploadArrives();
        QCOMPARE(driver({"login", "second-token"}).exitCode, 0);
        uploadArrives();

        // The account's logout clears the FTP settings; typed again and a
        // login with yet another token, they are kept as before.
        r = driver({"logout", "get", "ftp_host", "get", "ftp_password"});
        QVERIFY2(r.out.contains("VALUE ftp_host=\n") && r.out.contains("VALUE ftp_password=\n"), r.out.constData());
        QCOMPARE(driver({"login", "third-token", "type", "127.0.0.1", port, "uploader", "pass word:1"}).exitCode, 0);
        uploadArrives();
        QVERIFY(!databaseBytes().contains("pass word:1"));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--driver") == 0)
        return runDriver(app.arguments().mid(2));
    TestFtpCredentials test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ftpcredentials.moc"
