// Where an upload lands on real servers (vsftpd and OpenSSH's sshd, not
// chrooted, one local user with a password): an empty folder is the login
// folder, a relative one is below it, an absolute one and "~/" as the
// command-line clients take them. The reference is what curl (FTP) and
// OpenSSH's sftp (SFTP; curl for "~/") do with the same folder; the link carries the port
// and gives the same bytes back to curl.

#include "network/curlupload.h"
#include "support/systemservers.h"
#include "support/testsupport.h"
#include "support/uploadjobprobe.h"
#include "support/uploadservers.h"

#include <QDirIterator>
#include <QFile>
#include <QtTest>

using pryx::test::LocalAccount;
using pryx::test::SystemServer;
using pryx::test::UploadJobProbe;

class TestRemoteFolders : public QObject
{
    Q_OBJECT

    LocalAccount account_;
    SystemServer vsftpd_;
    SystemServer sshd_;
    QString dir_;
    QString src_;

    // Every file of that name the user could have written.
    QStringList landed(const QString &name) const
    {
        QStringList found;
        QDirIterator it(dir_, {name}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }

    // The folder as the user types it, for this row.
    QString folderFor(const QString &kind, bool sftp) const
    {
        if (kind == "empty")
            return QString();
        if (kind == "relative")
            return QStringLiteral("shots/2026 May");
        if (kind == "absolute")
            return dir_ + (sftp ? "/abs/s folder" : "/abs/f folder");
        return QStringLiteral("~/tilde/x");
    }
    // Where the user expects it.
    QString expectedDir(const QString &kind, bool sftp) const
    {
        if (kind == "empty")
            return account_.home;
        if (kind == "relative")
            return account_.home + "/shots/2026 May";
        if (kind == "absolute")
            return folderFor(kind, sftp);
        return account_.home + "/tilde/x";
    }

    QString askPassScript() const { return dir_ + "/askpass.sh"; }

    // The command-line client's upload of file into folder. OpenSSH's sftp
    // takes "~" as a folder name (it has no tilde expansion for put), so the
    // reference for "~/" over SFTP is curl, which reads it as the login folder.
    bool clientUpload(bool sftp, const QString &file, const QString &folder, QString *out)
    {
        if (sftp && folder.startsWith("~/")) {
            const QString url = QStringLiteral("sftp://127.0.0.1:%1/").arg(sshd_.port())
                                + pryx::encodePath(folder) + "/";
            return pryx::test::runClient("curl", {"-sS", "--insecure", "-u",
                                                  account_.user + ":" + account_.password,
                                                  "-T", file, url}, out);
        }
        if (!sftp) {
            QString url = QStringLiteral("ftp://127.0.0.1:%1/").arg(vsftpd_.port());
            if (!folder.isEmpty())
                url += pryx::encodePath(folder) + "/";
            return pryx::test::runClient("curl", {"-sS", "-u", account_.user + ":" + account_.password,
                                                  "-T", file, url}, out);
        }
        QString put = "put \"" + file + "\"";
        if (!folder.isEmpty())
            put += " \"" + folder + "/\"";
        return pryx::test::runClient(
            "sftp",
            {"-o", "StrictHostKeyChecking=no", "-o", "UserKnownHostsFile=/dev/null",
             "-o", "PubkeyAuthentication=no", "-o", "NumberOfPasswordPrompts=1",
             "-P", QString::number(sshd_.port()), account_.user + "@127.0.0.1"},
            out, {"SSH_ASKPASS=" + askPassScript(), "SSH_ASKPASS_REQUIRE=force", "DISPLAY=none"},
            (put + "\nquit\n").toUtf8());
    }

private slots:
    void initTestCase()
    {
        dir_ = pryx::test::testRoot() + "/servers";
        src_ = pryx::test::testRoot() + "/src";
        QString err;
        QVERIFY2(pryx::test::prepareAccount(account_, dir_, &err), qPrintable(err));
        QVERIFY2(vsftpd_.startVsftpd(account_, dir_ + "/vsftpd", &err), qPrintable(err));
        QVERIFY2(pryx::test::makeHostKey(dir_ + "/sshd/host_key", &err), qPrintable(err));
        QVERIFY2(sshd_.startSshd(account_, dir_ + "/sshd", dir_ + "/sshd/host_key", &err), qPrintable(err));
        QFile script(askPassScript());
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' '" + account_.password.toUtf8() + "'\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        pryx::setCurlDebug(false);
    }

    void landsWhereClientsPutIt_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"empty", "relative", "absolute", "home"}) {
            QTest::newRow(qPrintable(QString("ftp/") + kind)) << false << QString(kind);
            QTest::newRow(qPrintable(QString("sftp/") + kind)) << true << QString(kind);
        }
    }
    void landsWhereClientsPutIt()
    {
        QFETCH(bool, sftp);
        QFETCH(QString, kind);
        const QString folder = folderFor(kind, sftp);
        const QString target = expectedDir(kind, sftp);
        QVERIFY(pryx::test::giveToAccount(account_, QFileInfo(target).path()));
        QVERIFY(pryx::test::giveToAccount(account_, target));
        const QString name = QStringLiteral("%1 %2 shot.png").arg(sftp ? "s" : "f", kind);
        const QString file = pryx::test::makeDataFile(src_ + "/" + name, 300000 + kind.size(), 9);
        const QByteArray sha = pryx::test::sha256Of(file);
        const int port = sftp ? sshd_.port() : vsftpd_.port();

        UploadJobProbe job(sftp);
        job.upload({file}, account_.user, account_.password, "127.0.0.1", folder, port, QString(), false);
        QVERIFY(job.waitEnded());
        QVERIFY2(job.errors.isEmpty(), qPrintable(job.errors.join('\n') + "\n" + (sftp ? sshd_ : vsftpd_).log()));
        const QStringList ours = landed(name);
        QCOMPARE(ours, QStringList{target + "/" + name});
        QCOMPARE(pryx::test::sha256Of(ours.first()), sha);

        // The link keeps the port and gives the file back.
        QCOMPARE(job.links.size(), 1);
        const QString link = job.links.first();
        QVERIFY2(link.startsWith(QStringLiteral("%1://127.0.0.1:%2/").arg(sftp ? "sftp" : "ftp").arg(port)),
                 qPrintable(link));
        QString out;
        const QString back = src_ + "/back-" + name;
        QStringList get{"-sS", "-u", account_.user + ":" + account_.password, "-o", back, link};
        if (sftp)
            get.prepend("--insecure");
        QVERIFY2(pryx::test::runClient("curl", get, &out), qPrintable(link + ": " + out));
        QCOMPARE(pryx::test::sha256Of(back), sha);

        // The command-line client, same folder text, same place.
        QVERIFY(QFile::remove(ours.first()));
        QVERIFY2(clientUpload(sftp, file, folder, &out), qPrintable(out));
        const QStringList theirs = landed(name);
        QVERIFY2(theirs == ours, qPrintable(theirs.join(", ") + " / " + out));
        QCOMPARE(pryx::test::sha256Of(theirs.first()), sha);
    }

    // The connection check lists the same folder the upload would use.
    void checkSeesTheFolder_data()
    {
        QTest::addColumn<bool>("sftp");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("reachable");
        QTest::newRow("ftp empty") << false << "" << true;
        QTest::newRow("ftp relative") << false << "shots/2026 May" << true;
        QTest::newRow("ftp missing") << false << "no such" << false;
        QTest::newRow("sftp empty") << true << "" << true;
        QTest::newRow("sftp relative") << true << "shots/2026 May" << true;
        QTest::newRow("sftp missing") << true << "no such" << false;
    }
    void checkSeesTheFolder()
    {
        QFETCH(bool, sftp);
        QFETCH(QString, folder);
        QFETCH(bool, reachable);
        QVERIFY(pryx::test::giveToAccount(account_, account_.home + "/shots/2026 May"));
        const QString result = pryx::checkCurlConnection(
            sftp ? pryx::CurlProtocol::Sftp : pryx::CurlProtocol::Ftp, account_.user,
            account_.password, "127.0.0.1", folder, sftp ? sshd_.port() : vsftpd_.port(), false);
        QVERIFY2(result.isEmpty() == reachable, qPrintable(result));
    }
};

QTEST_MAIN(TestRemoteFolders)
#include "tst_remotefolders.moc"
