// Start-up empties the temporary folder only when no other instance runs.

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QtTest>

#include "core/base/paths.h"
#include "support/pryxchild.h"
#include "support/testsupport.h"

namespace {
const QByteArray kLoopStarted = "QApplication is valid, starting event loop...";

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}
} // namespace

class TestTempLock : public QObject
{
    Q_OBJECT

private slots:
    void secondInstanceKeepsFirstOnesFiles()
    {
        const QString old = pryx::tmpPath() + "old.jpg";
        const QString oldAudio = pryx::audioTmpPath() + "old.wav";
        touch(old);
        touch(oldAudio);

        pryx::test::RunningChild first;
        QVERIFY(first.start(pryx::test::programPath(), {"-debug"}));
        QVERIFY2(first.waitFor(kLoopStarted), first.output().constData());
        QVERIFY(!QFile::exists(old));
        QVERIFY(!QFile::exists(oldAudio));
        QVERIFY(QDir(pryx::tmpPath()).exists());   // folders stay

        // An upload of the first instance in progress; a second start hands
        // its command line over and leaves the folder alone.
        const QString upload = pryx::tmpPath() + "1700000000000.png";
        touch(upload);
        pryx::test::RunningChild second;
        QVERIFY(second.start(pryx::test::programPath(), {"-debug"}));
        QVERIFY(second.waitForExit(15000));
        QVERIFY2(second.output().contains("the command line was handed to it"), second.output().constData());
        QVERIFY(QFile::exists(upload));
        first.stop();

        // It ended without unlocking: the next start sees a stale lock and
        // empties the folder.
        pryx::test::RunningChild third;
        QVERIFY(third.start(pryx::test::programPath(), {"-debug"}));
        QVERIFY2(third.waitFor(kLoopStarted), third.output().constData());
        QVERIFY(!third.output().contains("another instance runs"));
        QVERIFY(!QFile::exists(upload));
    }

    // A lock holder that does not answer on the socket (a program of an
    // earlier version): the start runs beside it, as a second instance that
    // keeps the holder's files.
    void holderThatDoesNotAnswer()
    {
        const QString upload = pryx::tmpPath() + "1700000000001.png";
        touch(upload);
        QLockFile lock(pryx::dataPath() + "pryx.lock");
        QVERIFY(lock.tryLock(0));
        pryx::test::RunningChild second;
        QVERIFY(second.start(pryx::test::programPath(), {"-debug"}));
        QVERIFY2(second.waitFor(kLoopStarted, 20000), second.output().constData());
        QVERIFY(second.output().contains("another instance runs but does not answer"));
        QVERIFY(second.output().contains("another instance runs, temporary folder kept"));
        QVERIFY(QFile::exists(upload));
        second.stop();
        lock.unlock();
    }
};

QTEST_GUILESS_MAIN(TestTempLock)
#include "tst_templock.moc"
