// The SFTP host key is trusted on first use and kept in the data folder; a
// changed key is refused with a clear error, by uploads and checks alike.
// Servers on ports other than 22 are stored as "[host]:port", as OpenSSH
// does, so two servers on one host keep their own keys (real sshd).

#include "core/base/paths.h"
#include "network/curlupload.h"
#include "support/systemservers.h"
#include "support/testsupport.h"
#include "support/uploadjobprobe.h"
#include "support/uploadservers.h"

#include <QtTest>

using pryx::test::SystemServer;
using pryx::test::UploadJobProbe;

class TestSftpHostKey : public QObject
{
    Q_OBJECT

    pryx::test::LocalAccount account_;
    QString dir_;
    QString file_;

    QByteArray publicKey(const QString &key) const
    {
        QFile f(key + ".pub");
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray();
        const QList<QByteArray> fields = f.readAll().simplified().split(' ');
        return fields.size() >= 2 ? fields.at(0) + ' ' + fields.at(1) : QByteArray();
    }
    QByteArray knownHosts() const
    {
        QFile f(pryx::knownHostsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeKnownHosts(const QByteArray &text)
    {
        QFile f(pryx::knownHostsPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    // One upload to the server; the errors it ended with.
    QStringList upload(int port, const QString &folder)
    {
        UploadJobProbe job(true);
        job.upload({file_}, account_.user, account_.password, "127.0.0.1", folder, port, QString(), false);
        if (!job.waitEnded())
            return {"did not end"};
        return job.errors;
    }
    // What the server saw of a password: nothing when the client left first.
    static bool sawPassword(const SystemServer &server)
    {
        const QString log = server.log();
        return log.contains("Accepted password") || log.contains("Failed password");
    }

private slots:
    void initTestCase()
    {
        dir_ = pryx::test::testRoot() + "/real";
        QString err;
        QVERIFY2(pryx::test::prepareAccount(account_, dir_, &err), qPrintable(err));
        for (const char *k : {"a", "b", "c"})
            QVERIFY2(pryx::test::makeHostKey(dir_ + "/key-" + k, &err), qPrintable(err));
        file_ = pryx::test::makeDataFile(dir_ + "/src/shot.png", 40000);
        QVERIFY(pryx::test::giveToAccount(account_, account_.home + "/a"));
        QVERIFY(pryx::test::giveToAccount(account_, account_.home + "/b"));
    }

    // Two servers on two ports with their own keys: both trusted on first
    // use, each under its port. A third key on the first port is refused
    // before the password is sent.
    void twoPortsTwoKeys()
    {
        QFile::remove(pryx::knownHostsPath());
        QString err;
        SystemServer first;
        SystemServer second;
        QVERIFY2(first.startSshd(account_, dir_ + "/sshd-a", dir_ + "/key-a", &err), qPrintable(err));
        QVERIFY2(second.startSshd(account_, dir_ + "/sshd-b", dir_ + "/key-b", &err), qPrintable(err));
        for (int round = 0; round < 2; ++round) {   // first use, then the stored keys
            QCOMPARE(upload(first.port(), "a"), QStringList());
            QCOMPARE(upload(second.port(), "b"), QStringList());
        }
        QCOMPARE(pryx::test::sha256Of(account_.home + "/a/shot.png"), pryx::test::sha256Of(file_));
        QCOMPARE(pryx::test::sha256Of(account_.home + "/b/shot.png"), pryx::test::sha256Of(file_));
        const QByteArray known = knownHosts();
        QVERIFY2(known.contains(QStringLiteral("[127.0.0.1]:%1 ").arg(first.port()).toUtf8()
                                + publicKey(dir_ + "/key-a")),
                 known.constData());
        QVERIFY2(known.contains(QStringLiteral("[127.0.0.1]:%1 ").arg(second.port()).toUtf8()
                                + publicKey(dir_ + "/key-b")),
                 known.constData());
        QCOMPARE(known.count("ssh-ed25519"), 2);

        const int port = first.port();
        first.stop();
        SystemServer impostor;
        QVERIFY2(impostor.startSshd(account_, dir_ + "/sshd-c", dir_ + "/key-c", &err, port), qPrintable(err));
        QFile::remove(account_.home + "/a/shot.png");
        const QStringList errors = upload(port, "a");
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains("host key has changed"), qPrintable(errors.first()));
        QVERIFY(!QFile::exists(account_.home + "/a/shot.png"));
        QVERIFY2(!sawPassword(impostor), qPrintable(impostor.log()));
        QCOMPARE(knownHosts(), known);   // the changed key is not stored
        // The other server is still trusted.
        QCOMPARE(upload(second.port(), "b"), QStringList());
    }

    // Lines already stored: a line without a port is still honoured for a
    // server that has no line of its own (its key is then stored under the
    // port); hashed lines as OpenSSH writes them are read too.
    void storedLines_data()
    {
        QTest::addColumn<QString>("line");     // %1: the port, A/B/C: the keys
        QTest::addColumn<bool>("hash");        // ssh-keygen -H over the file first
        QTest::addColumn<bool>("accepted");
        QTest::newRow("old line, same key") << "127.0.0.1 A" << false << true;
        QTest::newRow("old line, other key") << "127.0.0.1 B" << false << false;
        QTest::newRow("port line, other key") << "[127.0.0.1]:%1 B" << false << false;
        QTest::newRow("hashed port line, same key") << "[127.0.0.1]:%1 A" << true << true;
        QTest::newRow("hashed port line, other key") << "[127.0.0.1]:%1 B" << true << false;
        QTest::newRow("port 22 line of the new store") << "MARK\n127.0.0.1 B" << false << true;
        QTest::newRow("another port's line") << "[127.0.0.1]:1 B" << false << true;
    }
    void storedLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, hash);
        QFETCH(bool, accepted);
        QString err;
        SystemServer server;
        QVERIFY2(server.startSshd(account_, dir_ + "/sshd-lines", dir_ + "/key-a", &err), qPrintable(err));
        QByteArray text = (line.contains("%1") ? line.arg(server.port()) : line).toUtf8();
        text.replace("MARK", "# pryx: from here on a name without [host]:port means port 22");
        text.replace(" A", " " + publicKey(dir_ + "/key-a"));
        text.replace(" B", " " + publicKey(dir_ + "/key-b"));
        writeKnownHosts(text + "\n");
        if (hash) {
            QString out;
            QVERIFY2(pryx::test::runClient("ssh-keygen", {"-H", "-f", pryx::knownHostsPath()}, &out),
                     qPrintable(out));
            QVERIFY(!knownHosts().contains("127.0.0.1"));
        }
        const QByteArray before = knownHosts();
        QFile::remove(account_.home + "/a/shot.png");
        const QStringList errors = upload(server.port(), "a");
        if (accepted) {
            QCOMPARE(errors, QStringList());
            QVERIFY(knownHosts().startsWith(before));   // old lines kept
        } else {
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors.first().contains("host key has changed"), qPrintable(errors.first()));
            QVERIFY2(!sawPassword(server), qPrintable(server.log()));
            QCOMPARE(knownHosts(), before);
        }
        QCOMPARE(QFile::exists(account_.home + "/a/shot.png"), accepted);
    }

    void changedKeyIsRefused()
    {
        const QString root = pryx::test::testRoot();
        const QString file = pryx::test::makeDataFile(root + "/src/k.bin", 5000);
        QFile::remove(pryx::knownHostsPath());
        pryx::test::SftpServerOptions o;
        o.root = root + "/sroot";
        o.hostKey = root + "/key-a";
        QString err;
        int port = 0;
        {
            pryx::test::ScriptServer server;
            QVERIFY2(pryx::test::startSftpServer(server, o, &err), qPrintable(err));
            port = server.port();
            for (int i = 0; i < 2; ++i) {   // first use adds the key, the second matches it
                pryx::test::UploadJobProbe job(true);
                job.upload({file}, o.user, o.password, "127.0.0.1", "", port, QString(), false);
                QVERIFY(job.waitEnded());
                QCOMPARE(job.errors, QStringList());
                QVERIFY(QFile::exists(pryx::knownHostsPath()));
            }
            QFile known(pryx::knownHostsPath());
            QVERIFY(known.open(QIODevice::ReadOnly));
            QVERIFY(known.readAll().contains("127.0.0.1"));
        }
        QFile::remove(o.root + "/k.bin");
        // The same address with another key.
        o.hostKey = root + "/key-b";
        o.port = port;
        pryx::test::ScriptServer impostor;
        QVERIFY2(pryx::test::startSftpServer(impostor, o, &err), qPrintable(err));
        pryx::test::UploadJobProbe job(true);
        job.upload({file}, o.user, o.password, "127.0.0.1", "", impostor.port(), QString(), false);
        QVERIFY(job.waitEnded());
        QCOMPARE(job.completes, 0);
        QCOMPARE(job.errors.size(), 1);
        QVERIFY2(job.errors.first().contains("host key has changed"), qPrintable(job.errors.first()));
        QVERIFY(job.errors.first().contains(pryx::knownHostsPath()));
        QVERIFY(!QFile::exists(o.root + "/k.bin"));
        QVERIFY(!QFile::exists(o.root + "/k.bin.part"));
        const QString check = HandleSFTPUpload::cCheckSftpConnect(o.user, o.password, "127.0.0.1",
                                                                 "", impostor.port());
        QVERIFY2(check.contains("host key has changed"), qPrintable(check));
    }
};

QTEST_MAIN(TestSftpHostKey)
#include "tst_sftphostkey.moc"
