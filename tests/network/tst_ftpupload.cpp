// Uploads through the FTP and SFTP threads to real servers on 127.0.0.1
// (pyftpdlib and a paramiko SFTP server), read back from the servers' folders.

#include "core/base/paths.h"
#include "network/curlupload.h"
#include "platform/privatedir.h"
#include "support/testsupport.h"
#include "support/uploadjobprobe.h"
#include "support/uploadservers.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

using pryx::test::UploadJobProbe;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Entry name -> bytes of a zip archive (folders with empty contents).
QMap<QString, QByteArray> readZip(const QString &path)
{
    QMap<QString, QByteArray> out;
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return out;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFile f(&zip);
        f.open(QIODevice::ReadOnly);
        out.insert(zip.getCurrentFileName(), f.readAll());
        f.close();
    }
    return out;
}

} // namespace

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QStringList urls;
    bool offGui = false;
public slots:
    void open(const QUrl &url)
    {
        if (QThread::currentThread() != qApp->thread())
            offGui = true;
        urls << url.toString(QUrl::FullyEncoded);
    }
};

class TestFtpUpload : public QObject
{
    Q_OBJECT

    pryx::test::ScriptServer ftp_;
    pryx::test::ScriptServer sftp_;
    QString ftpRoot_;
    QString sftpRoot_;
    QString src_;
    const QString user_ = QStringLiteral("up:loader");   // a ":" in the name must work
    const QString password_ = QStringLiteral("pa:ss w0rd");

    int portOf(bool sftp) const { return sftp ? sftp_.port() : ftp_.port(); }
    // Where a relative remote folder starts: the login folder (the FTP
    // server's is its root).
    QString rootOf(bool sftp) const { return sftp ? sftpRoot_ + "/home/tester" : ftpRoot_; }

    void addProtocolRows(const char *name)
    {
        QTest::newRow(qPrintable(QString("ftp/") + name)) << false;
        QTest::newRow(qPrintable(QString("sftp/") + name)) << true;
    }

    // A fresh remote folder for one test row.
    QString remoteFolder(bool sftp, const QString &name)
    {
        QDir(rootOf(sftp)).mkpath(name);
        return name;
    }

private slots:
    void initTestCase()
    {
        const QString root = pryx::test::testRoot();
        ftpRoot_ = root + "/ftproot";
        sftpRoot_ = root + "/sftproot";
        src_ = root + "/src";
        QString err;
        pryx::test::FtpServerOptions fo;
        fo.root = ftpRoot_;
        fo.user = user_;
        fo.password = password_;
        QVERIFY2(pryx::test::startFtpServer(ftp_, fo, &err), qPrintable(err));
        pryx::test::SftpServerOptions so;
        so.root = sftpRoot_;
        so.hostKey = root + "/sftp_host_key";
        so.home = "/home/tester";   // "~" is not the root
        so.user = user_;
        so.password = password_;
        QVERIFY2(pryx::test::startSftpServer(sftp_, so, &err), qPrintable(err));
        pryx::setCurlDebug(false);
    }

    void oneFile_data()
    {
        QTest::addColumn<bool>("sftp");
        addProtocolRows("one file");
    }
    // One file, archive flag off: sent under its own name, no archive, link
    // from the base URL, progress up to the file's size.
    void oneFile()
    {
        QFETCH(bool, sftp);
        const QString name = QStringLiteral("снимок экрана 1.png");
        const QString file = pryx::test::makeDataFile(src_ + "/one/" + name, 3 * 1048576 + 17);
        const QString folder = remoteFolder(sftp, "one file");
        UploadJobProbe job(sftp);
        job.upload({file}, user_, password_, "127.0.0.1", folder, portOf(sftp),
                   "https://files.example.org/shots/", false);
        QVERIFY(job.waitEnded());
        QCOMPARE(job.errors, QStringList());
        QCOMPARE(job.completes, 1);
        QVERIFY(!job.offGuiThread);
        QCOMPARE(job.links, QStringList{"https://files.example.org/shots/"
                                        "%D1%81%D0%BD%D0%B8%D0%BC%D0%BE%D0%BA%20"
                                        "%D1%8D%D0%BA%D1%80%D0%B0%D0%BD%D0%B0%201.png"});
        QCOMPARE(job.events.first(), QString("link"));
        QVERIFY(!job.events.contains("archive on"));
        QCOMPARE(job.events.last(), QString("complete"));
        QVERIFY(!job.progress.isEmpty());
        QCOMPARE(job.progress.last(), qMakePair(QFileInfo(file).size(), QFileInfo(file).size()));
        QCOMPARE(readAll(rootOf(sftp) + "/" + folder + "/" + name), readAll(file));
        // Only the finished file is left on the server.
        QCOMPARE(QDir(rootOf(sftp) + "/" + folder).entryList(QDir::Files), QStringList{name});
    }

    void homeRelativePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("below");   // below the login folder
        QTest::newRow("home") << "~" << "";
        QTest::newRow("below home") << "~/shots/2024" << "/shots/2024";
    }
    // A path from "~" puts the file in the login folder, where the rename
    // after the transfer also looks; a second upload replaces the first.
    void homeRelativePath()
    {
        QFETCH(QString, path);
        QFETCH(QString, below);
        const QString home = sftpRoot_ + "/home/tester";
        QDir(home).mkpath("." + below);
        for (quint32 seed : {21u, 22u}) {
            const QString file = pryx::test::makeDataFile(src_ + "/home/h s.bin", 70000, seed);
            UploadJobProbe job(true);
            job.upload({file}, user_, password_, "127.0.0.1", path, sftp_.port(), QString(), false);
            QVERIFY(job.waitEnded());
            QCOMPARE(job.errors, QStringList());
            QCOMPARE(job.completes, 1);
            QCOMPARE(readAll(home + below + "/h s.bin"), readAll(file));
            QCOMPARE(QDir(home + below).entryList(QDir::Files), QStringList{"h s.bin"});
        }
        QVERIFY(!QFileInfo::exists(sftpRoot_ + "/~"));
    }

    void archives_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"several files", "folder", "zip of one file"}) {
            QTest::newRow(qPrintable(QString("ftp/") + kind)) << false << QString(kind);
            QTest::newRow(qPrintable(QString("sftp/") + kind)) << true << QString(kind);
        }
    }
    // Several files, a folder and an asked-for archive all go in one zip,
    // whose entries equal the sources.
    void archives()
    {
        QFETCH(bool, sftp);
        QFETCH(QString, kind);
        const QString base = src_ + "/" + (sftp ? "s " : "f ") + kind;
        const QString a = pryx::test::makeDataFile(base + "/Отчёт за май.txt", 2 * 1048576 + 5, 2);
        const QString b = pryx::test::makeDataFile(base + "/b c.bin", 1000, 3);
        const QString deep = pryx::test::makeDataFile(base + "/Папка 2/deep file.dat", 4096, 4);
        QStringList files;
        bool archive = false;
        QMap<QString, QByteArray> expected;
        if (kind == "several files") {
            files = QStringList{a, b};
            expected = {{"Отчёт за май.txt", readAll(a)}, {"b c.bin", readAll(b)}};
        } else if (kind == "folder") {
            files = QStringList{base};
            archive = true;
            const QString top = QFileInfo(base).fileName();
            expected = {{top + "/", QByteArray()},
                        {top + "/Отчёт за май.txt", readAll(a)},
                        {top + "/b c.bin", readAll(b)},
                        {top + "/Папка 2/", QByteArray()},
                        {top + "/Папка 2/deep file.dat", readAll(deep)}};
        } else {
            files = QStringList{a};
            archive = true;
            expected = {{"Отчёт за май.txt", readAll(a)}};
        }
        const QString folder = remoteFolder(sftp, "arch " + kind);
        UploadJobProbe job(sftp);
        job.upload(files, user_, password_, "127.0.0.1", folder, portOf(sftp), QString(), archive);
        QVERIFY(job.waitEnded());
        QCOMPARE(job.errors, QStringList());
        QCOMPARE(job.completes, 1);
        QVERIFY(!job.offGuiThread);
        // archive on, link (before any byte is zipped), archive off, progress, complete
        QCOMPARE(job.events.mid(0, 3), (QStringList{"archive on", "link", "archive off"}));
        QCOMPARE(job.events.last(), QString("complete"));
        QCOMPARE(job.archivePercents.first(), 0);
        QCOMPARE(job.archivePercents.last(), 100);
        const QStringList sent = QDir(rootOf(sftp) + "/" + folder).entryList(QDir::Files);
        QCOMPARE(sent.size(), 1);
        QVERIFY2(sent.first().endsWith(".zip"), qPrintable(sent.first()));
        // No base URL: the link is the transfer URL, with no credentials in it.
        const QString scheme = sftp ? "sftp" : "ftp";
        QCOMPARE(job.links.first(), pryx::transferUrl(sftp ? pryx::CurlProtocol::Sftp
                                                           : pryx::CurlProtocol::Ftp,
                                                      "127.0.0.1", portOf(sftp), folder, sent.first()));
        QVERIFY2(job.links.first().startsWith(scheme + "://127.0.0.1:" + QString::number(portOf(sftp))
                                              + (sftp ? "/~/arch%20" : "/arch%20")),
                 qPrintable(job.links.first()));
        QVERIFY(!job.links.first().contains("loader"));
        QCOMPARE(readZip(rootOf(sftp) + "/" + folder + "/" + sent.first()), expected);
    }

    void failures_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("port");   // -1: the server's
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");
        for (bool s : {false, true}) {
            const QString p = s ? "sftp/" : "ftp/";
            QTest::newRow(qPrintable(p + "wrong password")) << s << "wrong" << -1 << "fail"
                                                            << "Login denied";
            QTest::newRow(qPrintable(p + "refused port")) << s << password_ << 1 << "fail"
                                                          << "Couldn't connect to server";
            QTest::newRow(qPrintable(p + "missing remote folder"))
                << s << password_ << -1 << "no such folder/below"
                << (s ? "Remote file not found (Upload failed: No such file or directory"
                      : "Access denied to remote resource (Server denied you to change to the given directory)");
        }
    }
    // Each failure ends in error with a clear text; nothing is reported as
    // complete, and the server holds no file.
    void failures()
    {
        QFETCH(bool, sftp);
        QFETCH(QString, password);
        QFETCH(int, port);
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        const QString file = pryx::test::makeDataFile(src_ + "/fail/x.bin", 10000);
        if (folder == "fail")
            remoteFolder(sftp, folder);
        UploadJobProbe job(sftp);
        job.upload({file}, user_, password, "127.0.0.1", folder, port < 0 ? portOf(sftp) : port,
                   QString(), false);
        QVERIFY(job.waitEnded());
        QCOMPARE(job.completes, 0);
        QCOMPARE(job.errors.size(), 1);
        QVERIFY(!job.offGuiThread);
        QVERIFY2(job.errors.first().startsWith(sftp ? "SFTP upload failed: " : "FTP upload failed: "),
                 qPrintable(job.errors.first()));
        QVERIFY2(job.errors.first().contains(expected), qPrintable(job.errors.first()));
        QVERIFY(!job.errors.first().contains(password_));
        QVERIFY(!QFile::exists(rootOf(sftp) + "/fail/x.bin"));
        QVERIFY(!QFileInfo::exists(rootOf(sftp) + "/no such folder"));
    }

    void serverGone_data()
    {
        QTest::addColumn<bool>("sftp");
        addProtocolRows("server gone mid-transfer");
    }
    void serverGone()
    {
        QFETCH(bool, sftp);
        pryx::test::ScriptServer slow;
        const QString root = pryx::test::testRoot() + (sftp ? "/gone-s" : "/gone-f");
        QString err;
        bool ok;
        if (sftp) {
            pryx::test::SftpServerOptions o;
            o.root = root;
            o.hostKey = pryx::test::testRoot() + "/sftp_host_key";   // one host, one key
            o.throttle = 2 * 1048576;
            ok = pryx::test::startSftpServer(slow, o, &err);
        } else {
            pryx::test::FtpServerOptions o;
            o.root = root;
            o.throttle = 2 * 1048576;
            ok = pryx::test::startFtpServer(slow, o, &err);
        }
        QVERIFY2(ok, qPrintable(err));
        const QString file = pryx::test::makeDataFile(src_ + "/gone/big.bin", 32 * 1048576);
        UploadJobProbe job(sftp);
        job.upload({file}, "tester", "secret", "127.0.0.1", "", slow.port(), QString(), false);
        QTRY_VERIFY_WITH_TIMEOUT(job.sent() > 2 * 1048576, 20000);
        slow.kill();
        QVERIFY(job.waitEnded());
        QCOMPARE(job.completes, 0);
        QCOMPARE(job.errors.size(), 1);
        QVERIFY2(job.errors.first().contains("upload failed"), qPrintable(job.errors.first()));
    }

    void cancel_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<bool>("deleteWhileRunning");
        QTest::newRow("ftp/cancel") << false << false;
        QTest::newRow("sftp/cancel") << true << false;
        QTest::newRow("ftp/delete running job") << false << true;
        QTest::newRow("sftp/delete running job") << true << true;
    }
    // Cancel stops the transfer: the thread ends soon, with neither complete
    // nor error; deleting a running job waits for its thread.
    void cancel()
    {
        QFETCH(bool, sftp);
        QFETCH(bool, deleteWhileRunning);
        pryx::test::ScriptServer slow;
        const QString root = pryx::test::testRoot() + (sftp ? "/slow-s" : "/slow-f");
        QString err;
        bool ok;
        if (sftp) {
            pryx::test::SftpServerOptions o;
            o.root = root;
            o.hostKey = pryx::test::testRoot() + "/sftp_host_key";   // one host, one key
            o.throttle = 1048576;
            ok = pryx::test::startSftpServer(slow, o, &err);
        } else {
            pryx::test::FtpServerOptions o;
            o.root = root;
            o.throttle = 1048576;
            ok = pryx::test::startFtpServer(slow, o, &err);
        }
        QVERIFY2(ok, qPrintable(err));
        const QString file = pryx::test::makeDataFile(src_ + "/cancel/big.bin", 32 * 1048576);
        auto *job = new UploadJobProbe(sftp);
        job->upload({file}, "tester", "secret", "127.0.0.1", "", slow.port(), QString(), false);
        QTRY_VERIFY_WITH_TIMEOUT(job->sent() > 1048576, 20000);
        QElapsedTimer t;
        t.start();
        if (deleteWhileRunning) {
            delete job;   // the thread must be ended first, not destroyed while running
            QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
            return;
        }
        job->cancel();
        QTRY_VERIFY_WITH_TIMEOUT(!job->thread()->isRunning(), 5000);
        QTest::qWait(300);
        QCOMPARE(job->completes, 0);
        QCOMPARE(job->errors, QStringList());
        QVERIFY(job->sent() < QFileInfo(file).size());
        delete job;
    }

    void twoJobsSideBySide_data()
    {
        QTest::addColumn<bool>("sftp");
        addProtocolRows("two jobs");
    }
    void twoJobsSideBySide()
    {
        QFETCH(bool, sftp);
        const QString a = pryx::test::makeDataFile(src_ + "/two/a.bin", 6 * 1048576, 7);
        const QString b = pryx::test::makeDataFile(src_ + "/two/b.bin", 1048576 + 3, 8);
        const QString folder = remoteFolder(sftp, "two");
        UploadJobProbe first(sftp);
        UploadJobProbe second(sftp);
        first.upload({a}, user_, password_, "127.0.0.1", folder, portOf(sftp), QString(), false);
        second.upload({b}, user_, password_, "127.0.0.1", folder, portOf(sftp), QString(), false);
        QVERIFY(first.waitEnded());
        QVERIFY(second.waitEnded());
        QCOMPARE(first.completes + second.completes, 2);
        for (const auto &p : first.progress)
            QCOMPARE(p.second, QFileInfo(a).size());
        for (const auto &p : second.progress)
            QCOMPARE(p.second, QFileInfo(b).size());
        QCOMPARE(first.progress.last().first, QFileInfo(a).size());
        QCOMPARE(second.progress.last().first, QFileInfo(b).size());
        QCOMPARE(readAll(rootOf(sftp) + "/two/a.bin"), readAll(a));
        QCOMPARE(readAll(rootOf(sftp) + "/two/b.bin"), readAll(b));
    }

    void sameNameTwice_data()
    {
        QTest::addColumn<bool>("sftp");
        addProtocolRows("same name twice");
    }
    // A second upload of the same name replaces the first.
    void sameNameTwice()
    {
        QFETCH(bool, sftp);
        const QString folder = remoteFolder(sftp, "again");
        for (quint32 seed : {11u, 12u}) {
            const QString f = pryx::test::makeDataFile(src_ + "/again/same.bin", 5000, seed);
            UploadJobProbe job(sftp);
            job.upload({f}, user_, password_, "127.0.0.1", folder, portOf(sftp), QString(), false);
            QVERIFY(job.waitEnded());
            QCOMPARE(job.errors, QStringList());
            QCOMPARE(readAll(rootOf(sftp) + "/again/same.bin"), readAll(f));
        }
    }

    void emptyHost()
    {
        const QString file = pryx::test::makeDataFile(src_ + "/h/x.bin", 10);
        UploadJobProbe f(false);
        f.upload({file}, user_, password_, "", "", 21, QString(), false);
        QVERIFY(f.waitEnded());
        QCOMPARE(f.errors, QStringList{"FTP host is null"});
        QCOMPARE(f.events, QStringList{"error"});
        // SFTP checks the host before any thread runs.
        UploadJobProbe s(true);
        s.upload({file}, user_, password_, "", "", 22, QString(), false);
        QCOMPARE(s.errors, QStringList{"SFTP host is null"});
        QVERIFY(!s.thread()->isRunning());
        QTest::qWait(100);
        QCOMPARE(s.events, QStringList{"error"});
    }

    void missingLocalFile_data()
    {
        QTest::addColumn<bool>("sftp");
        addProtocolRows("missing local file");
    }
    void missingLocalFile()
    {
        QFETCH(bool, sftp);
        const QString path = src_ + "/nowhere/gone.bin";
        UploadJobProbe job(sftp);
        job.upload({path}, user_, password_, "127.0.0.1", "", portOf(sftp), QString(), false);
        QVERIFY(job.waitEnded());
        QCOMPARE(job.errors, QStringList{"Couldnt open file " + path});
        QCOMPARE(job.completes, 0);
    }

    void zipFailure_data()
    {
        QTest::addColumn<bool>("sftp");
        addProtocolRows("zip failure");
    }
    // An archive that cannot be written is an error, not a silent end.
    void zipFailure()
    {
        QFETCH(bool, sftp);
        const QString a = pryx::test::makeDataFile(src_ + "/zf/a.bin", 100);
        const QString b = pryx::test::makeDataFile(src_ + "/zf/b.bin", 100);
        QDir(pryx::tmpPath()).removeRecursively();
        QVERIFY(pryx::platform::ensurePrivateDir(pryx::dataPath()));
        {
            QFile blocker(pryx::dataPath() + "tmp");   // a file where the folder should be
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        UploadJobProbe job(sftp);
        job.upload({a, b}, user_, password_, "127.0.0.1", "", portOf(sftp), QString(), false);
        const bool ended = job.waitEnded();
        QFile::remove(pryx::dataPath() + "tmp");
        QVERIFY(ended);
        QCOMPARE(job.completes, 0);
        QCOMPARE(job.errors.size(), 1);
        QVERIFY2(job.errors.first().startsWith("Could not build the archive"),
                 qPrintable(job.errors.first()));
        QCOMPARE(job.events, (QStringList{"archive on", "link", "archive off", "error"}));
    }

    void shareStep_data()
    {
        QTest::addColumn<bool>("sftp");
        addProtocolRows("mail");
    }
    // The share step runs on the GUI thread with the job's link, before
    // complete is seen.
    void shareStep()
    {
        QFETCH(bool, sftp);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("mailto", &catcher, "open");
        const QString file = pryx::test::makeDataFile(src_ + "/share/s.png", 100);
        const QString folder = remoteFolder(sftp, "share");
        UploadJobProbe job(sftp);
        int urlsAtComplete = -1;
        auto seen = [&] { urlsAtComplete = catcher.urls.size(); };
        if (sftp)
            connect(job.sftpJob, &HandleSFTPUpload::complete, &catcher, seen);
        else
            connect(job.ftp, &HandleFTPUpload::complete, &catcher, seen);
        job.upload({file}, user_, password_, "127.0.0.1", folder, portOf(sftp),
                   "http://example.org", false, 5);
        QVERIFY(job.waitEnded());
        QDesktopServices::unsetUrlHandler("mailto");
        QCOMPARE(job.completes, 1);
        // The link goes percent-encoded into the mail body.
        QCOMPARE(catcher.urls, QStringList{"mailto:?body=http%3A%2F%2Fexample.org%2Fs.png"});
        QCOMPARE(urlsAtComplete, 1);
        QVERIFY(!catcher.offGui);
    }

    void debugTrace_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<bool>("debug");
        QTest::newRow("ftp/debug") << false << true;
        QTest::newRow("sftp/debug") << true << true;
        QTest::newRow("ftp/quiet") << false << false;
        QTest::newRow("sftp/quiet") << true << false;
    }
    // libcurl's trace appears only in debug mode and never shows the password.
    void debugTrace()
    {
        QFETCH(bool, sftp);
        QFETCH(bool, debug);
        static QStringList lines;
        lines.clear();
        pryx::setCurlDebug(debug);
        auto old = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &m) {
            lines << m;
        });
        const QString file = pryx::test::makeDataFile(src_ + "/dbg/d.bin", 70000);
        const QString folder = remoteFolder(sftp, "dbg");
        UploadJobProbe job(sftp);
        job.upload({file}, user_, password_, "127.0.0.1", folder, portOf(sftp), QString(), false);
        const bool ended = job.waitEnded();
        qInstallMessageHandler(old);
        pryx::setCurlDebug(false);
        QVERIFY(ended);
        QCOMPARE(job.completes, 1);
        const QString all = lines.join('\n');
        QVERIFY(!all.contains(password_));
        QVERIFY(!all.contains("ss w0rd"));
        if (debug) {
            QVERIFY2(all.contains("*** We read "), qPrintable(all.left(2000)));
            QVERIFY(all.contains("127.0.0.1"));
            if (!sftp)
                QVERIFY2(all.contains("PASS ****"), qPrintable(all.left(3000)));
        } else {
            QVERIFY2(!all.contains("We read") && !all.contains("127.0.0.1"), qPrintable(all.left(2000)));
        }
    }

    // A stored port below 1 means the protocol's default port.
    void defaultPortIsUsed()
    {
        const QString file = pryx::test::makeDataFile(src_ + "/port/p.bin", 10);
        for (bool sftp : {false, true}) {
            UploadJobProbe job(sftp);
            job.upload({file}, "tester", "secret", "127.0.0.1", "", 0, QString(), false);
            QVERIFY(job.waitEnded());
            QCOMPARE(job.completes, 0);
            QVERIFY2(job.errors.value(0).contains(sftp ? "port 22" : "port 21"),
                     qPrintable(job.errors.value(0)));
        }
    }
};

QTEST_MAIN(TestFtpUpload)
#include "tst_ftpupload.moc"
