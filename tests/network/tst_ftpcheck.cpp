// Connection checks of the FTP and SFTP settings against real servers on
// 127.0.0.1, a silent server for the time-out, and the URL and port rules.

#include "network/curlupload.h"
#include "network/handleftpupload.h"
#include "network/handlesftpupload.h"
#include "support/testsupport.h"
#include "support/uploadservers.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QtConcurrent/QtConcurrentRun>
#include <QtTest>

using pryx::CurlProtocol;

class TestFtpCheck : public QObject
{
    Q_OBJECT
    pryx::test::ScriptServer ftp_;
    pryx::test::ScriptServer sftp_;
    const QString user_ = QStringLiteral("check:er");
    const QString password_ = QStringLiteral("s3cret");

    QString check(bool sftp, const QString &user, const QString &password, const QString &path,
                  int port)
    {
        return sftp ? HandleSFTPUpload::cCheckSftpConnect(user, password, "127.0.0.1", path, port)
                    : HandleFTPUpload::cCheckFtpConnect(user, password, "127.0.0.1", path, port);
    }

private slots:
    void initTestCase()
    {
        const QString root = pryx::test::testRoot();
        QDir().mkpath(root + "/froot/upload/inner");
        QDir().mkpath(root + "/sroot/upload/inner");
        QString err;
        pryx::test::FtpServerOptions fo;
        fo.root = root + "/froot";
        fo.user = user_;
        fo.password = password_;
        QVERIFY2(pryx::test::startFtpServer(ftp_, fo, &err), qPrintable(err));
        pryx::test::SftpServerOptions so;
        so.root = root + "/sroot";
        so.hostKey = root + "/key";
        so.user = user_;
        so.password = password_;
        QVERIFY2(pryx::test::startSftpServer(sftp_, so, &err), qPrintable(err));
    }

    void table_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("rightPort");
        QTest::addColumn<QString>("expected");   // empty: reachable
        for (bool s : {false, true}) {
            const QString p = s ? "sftp/" : "ftp/";
            QTest::newRow(qPrintable(p + "right credentials")) << s << password_ << "upload" << true << "";
            QTest::newRow(qPrintable(p + "trailing slash")) << s << password_ << "upload/" << true << "";
            QTest::newRow(qPrintable(p + "nested folder")) << s << password_ << "upload/inner" << true << "";
            QTest::newRow(qPrintable(p + "empty path")) << s << password_ << "" << true << "";
            QTest::newRow(qPrintable(p + "wrong password")) << s << "nope" << "upload" << true
                                                            << "Login denied";
            QTest::newRow(qPrintable(p + "missing folder")) << s << password_ << "missing" << true
                                                            << (s ? "Remote file not found"
                                                                  : "Access denied to remote resource");
            QTest::newRow(qPrintable(p + "refused port")) << s << password_ << "upload" << false
                                                          << "Couldn't connect to server";
        }
    }
    void table()
    {
        QFETCH(bool, sftp);
        QFETCH(QString, password);
        QFETCH(QString, path);
        QFETCH(bool, rightPort);
        QFETCH(QString, expected);
        const int port = rightPort ? (sftp ? sftp_.port() : ftp_.port()) : 1;
        const QString result = check(sftp, user_, password, path, port);
        QCOMPARE(result, expected);
    }

    // The check runs on the pool and reports on the GUI thread.
    void asyncCheck_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::newRow("ftp") << false;
        QTest::newRow("sftp") << true;
    }
    void asyncCheck()
    {
        QFETCH(bool, sftp);
        QThread *reportThread = nullptr;
        QString result = "<none>";
        if (sftp) {
            auto *c = new HandleSFTPUpload(this);
            connect(c, &HandleSFTPUpload::checkConnectFinished, this, [&, c] {
                reportThread = QThread::currentThread();
                result = c->checkResult();
                c->deleteLater();
            });
            QCOMPARE(c->checkConnect(user_, password_, "127.0.0.1", "upload", sftp_.port()), QString());
        } else {
            auto *c = new HandleFTPUpload(this);
            connect(c, &HandleFTPUpload::checkConnectFinished, this, [&, c] {
                reportThread = QThread::currentThread();
                result = c->checkResult();
                c->deleteLater();
            });
            QCOMPARE(c->checkConnect(user_, password_, "127.0.0.1", "upload", ftp_.port()), QString());
        }
        QTRY_VERIFY_WITH_TIMEOUT(reportThread != nullptr, 15000);
        QCOMPARE(reportThread, qApp->thread());
        QCOMPARE(result, QString());
    }

    // A server that accepts the connection and never answers: both checks
    // end after the 10-second time-out with libcurl's text.
    void silentServerTimesOut()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const int port = silent.serverPort();
        QElapsedTimer t;
        t.start();
        auto f = QtConcurrent::run(&HandleFTPUpload::cCheckFtpConnect, user_, password_,
                                   QString("127.0.0.1"), QString("x"), port);
        auto s = QtConcurrent::run(&HandleSFTPUpload::cCheckSftpConnect, user_, password_,
                                   QString("127.0.0.1"), QString("x"), port);
        while (!f.isFinished() || !s.isFinished())
            QTest::qWait(50);
        const qint64 elapsed = t.elapsed();
        QCOMPARE(f.result(), QString("Timeout was reached"));
        QCOMPARE(s.result(), QString("Timeout was reached"));
        QVERIFY2(elapsed >= 9500 && elapsed < 14000, qPrintable(QString::number(elapsed)));
    }

    void defaultPorts_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("used");
        QTest::newRow("ftp unset") << false << 0 << 21;
        QTest::newRow("ftp negative") << false << -3 << 21;
        QTest::newRow("ftp 2121") << false << 2121 << 2121;
        QTest::newRow("ftp 1") << false << 1 << 1;
        QTest::newRow("sftp unset") << true << 0 << 22;
        QTest::newRow("sftp 2222") << true << 2222 << 2222;
    }
    void defaultPorts()
    {
        QFETCH(bool, sftp);
        QFETCH(int, stored);
        QFETCH(int, used);
        QCOMPARE(pryx::effectivePort(sftp ? CurlProtocol::Sftp : CurlProtocol::Ftp, stored), used);
    }

    void urls_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("folderUrl");
        // FTP paths start in the login folder; a first empty step is the root.
        QTest::newRow("ftp relative") << false << 21 << "up" << "a.png" << "ftp://h/up/a.png" << "ftp://h/up/";
        QTest::newRow("ftp empty: login folder") << false << 21 << "" << "a.png" << "ftp://h/a.png" << "ftp://h/";
        QTest::newRow("ftp home") << false << 21 << "~" << "a.png" << "ftp://h/a.png" << "ftp://h/";
        QTest::newRow("ftp below home") << false << 21 << "~/up/" << "a.png" << "ftp://h/up/a.png" << "ftp://h/up/";
        QTest::newRow("ftp absolute") << false << 21 << "/srv/up" << "a.png" << "ftp://h//srv/up/a.png" << "ftp://h//srv/up/";
        QTest::newRow("ftp root") << false << 21 << "/" << "a.png" << "ftp://h//a.png" << "ftp://h//";
        QTest::newRow("ftp port") << false << 2121 << "" << "a.png" << "ftp://h:2121/a.png" << "ftp://h:2121/";
        QTest::newRow("ftp unset port") << false << 0 << "up" << "a.png" << "ftp://h/up/a.png" << "ftp://h/up/";
        QTest::newRow("cyrillic") << false << 21 << "снимки" << "ж.png"
                                  << "ftp://h/%D1%81%D0%BD%D0%B8%D0%BC%D0%BA%D0%B8/%D0%B6.png"
                                  << "ftp://h/%D1%81%D0%BD%D0%B8%D0%BC%D0%BA%D0%B8/";
        // SFTP paths start at the root; "~/" is the login folder.
        QTest::newRow("sftp blanks") << true << 22 << "my shots" << "x 2024-03-05 at 14.07.09.zip"
                                << "sftp://h/~/my%20shots/x%202024-03-05%20at%2014.07.09.zip"
                                << "sftp://h/~/my%20shots/";
        QTest::newRow("sftp empty: login folder") << true << 22 << "" << "f" << "sftp://h/~/f" << "sftp://h/~/";
        QTest::newRow("sftp nested with slashes") << true << 22 << "a//b/" << "c#?.txt" << "sftp://h/~/a/b/c%23%3F.txt" << "sftp://h/~/a/b/";
        QTest::newRow("sftp home") << true << 22 << "~/up" << "f" << "sftp://h/~/up/f" << "sftp://h/~/up/";
        QTest::newRow("sftp absolute") << true << 22 << "/srv/up" << "f" << "sftp://h/srv/up/f" << "sftp://h/srv/up/";
        QTest::newRow("sftp root") << true << 22 << "/" << "f" << "sftp://h/f" << "sftp://h/";
        QTest::newRow("sftp port") << true << 2222 << "~" << "f" << "sftp://h:2222/~/f" << "sftp://h:2222/~/";
    }
    void urls()
    {
        QFETCH(bool, sftp);
        QFETCH(int, port);
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, url);
        QFETCH(QString, folderUrl);
        const CurlProtocol p = sftp ? CurlProtocol::Sftp : CurlProtocol::Ftp;
        QCOMPARE(pryx::transferUrl(p, "h", port, path, name), url);
        QCOMPARE(pryx::checkUrl(p, "h", port, path), folderUrl);
    }

    void links_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("link");
        QTest::newRow("no slash") << "http://s.example/shots" << "http://s.example/shots/a%20b.png";
        QTest::newRow("one slash cut") << "http://s.example/shots/" << "http://s.example/shots/a%20b.png";
        QTest::newRow("two slashes keep one") << "http://s.example/shots//" << "http://s.example/shots//a%20b.png";
        QTest::newRow("empty: the transfer URL") << "" << "ftp://h/up/a%20b.png";
    }
    void links()
    {
        QFETCH(QString, base);
        QFETCH(QString, link);
        QCOMPARE(pryx::uploadLink(base, "ftp://h/up/a%20b.png", "a b.png"), link);
    }
};

QTEST_MAIN(TestFtpCheck)
#include "tst_ftpcheck.moc"
