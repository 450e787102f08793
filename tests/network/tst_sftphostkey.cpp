// The SFTP host key is trusted on first use and kept in the data folder; a
// changed key is refused with a clear error, by uploads and checks alike.

#include "core/base/paths.h"
#include "network/curlupload.h"
#include "support/testsupport.h"
#include "support/uploadjobprobe.h"
#include "support/uploadservers.h"

#include <QtTest>

class TestSftpHostKey : public QObject
{
    Q_OBJECT
private slots:
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
