// Crash dump: the GUI thread's fatal signals write "pryx.dmp" and the child
// still dies by the same signal; other threads and crashes before Core
// exists write none.

#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <csignal>
#include <unistd.h>

#include "core/base/paths.h"
#include "support/testsupport.h"

class TestCrashDump : public QObject
{
    Q_OBJECT

    QString dump() const { return pryx::dumpFilePath(); }

    pryx::test::ChildResult crash(const QString &kind)
    {
        return pryx::test::runChild(PRYX_CORE_DRIVER, {"crash", kind}, 30000);
    }

    QByteArray readDump() const
    {
        QFile f(dump());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void init() { QFile::remove(dump()); }

    void guiThreadCrashWritesDump_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("name");
        QTest::newRow("null pointer") << "segv" << SIGSEGV << "SIGSEGV";
        QTest::newRow("abort") << "abort" << SIGABRT << "SIGABRT";
        QTest::newRow("division by zero") << "fpe" << SIGFPE << "SIGFPE";
        QTest::newRow("illegal instruction") << "ill" << SIGILL << "SIGILL";
        QTest::newRow("bus error") << "bus" << SIGBUS << "SIGBUS";
        QTest::newRow("unbounded recursion") << "recursion" << SIGSEGV << "SIGSEGV";
    }
    void guiThreadCrashWritesDump()
    {
        QFETCH(QString, kind);
        QFETCH(int, signal);
        QFETCH(QString, name);
        const pryx::test::ChildResult r = crash(kind);
        QVERIFY2(!r.timedOut, r.err.constData());
        QVERIFY2(r.out.contains("CORE READY"), r.err.constData());
        QVERIFY2(r.crashed, r.out.constData());
        QCOMPARE(r.exitCode, signal);   // QProcess reports the terminating signal

        const QByteArray text = readDump();
        QVERIFY2(!text.isEmpty(), "no dump written");
        QVERIFY(text.startsWith("PRYX CRASH DUMP 1\n"));
        QVERIFY(text.contains(QStringLiteral("\nsignal: %1 %2\n").arg(signal).arg(name).toUtf8()));
        QVERIFY(text.contains("\naddress: 0x"));
        QVERIFY(QRegularExpression("\npid: [1-9][0-9]*\n").match(QString::fromUtf8(text)).hasMatch());
        const qint64 when = QRegularExpression("\ntime: ([0-9]+)\n")
                                .match(QString::fromUtf8(text)).captured(1).toLongLong();
        QVERIFY(qAbs(QDateTime::currentSecsSinceEpoch() - when) < 120);
        // Frames of the crashing program, then its memory map with the program itself.
        const int bt = text.indexOf("--- backtrace ---\n");
        const int maps = text.indexOf("--- maps ---\n");
        QVERIFY(bt > 0 && maps > bt);
        QVERIFY(text.mid(bt, maps - bt).count('\n') > 3);
        QVERIFY(text.mid(maps).contains("pryx_coredriver"));
        QVERIFY(text.endsWith("--- end ---\n"));
        QCOMPARE(QFileInfo(dump()).permissions() & (QFile::ReadOther | QFile::ReadGroup),
                 QFile::Permissions());
    }

    void otherThreadWritesNoDump()
    {
        const pryx::test::ChildResult r = crash("thread");
        QVERIFY2(r.out.contains("CORE READY"), r.err.constData());
        QVERIFY(r.crashed);
        QCOMPARE(r.exitCode, SIGSEGV);
        QVERIFY(!QFile::exists(dump()));
    }

    void crashBeforeCoreWritesNoDump()
    {
        const pryx::test::ChildResult r = crash("before-core");
        QVERIFY(r.crashed);
        QCOMPARE(r.exitCode, SIGSEGV);
        QVERIFY(!QFile::exists(dump()));
    }

    void secondCrashReplacesDump()
    {
        QVERIFY(crash("abort").crashed);
        QVERIFY(readDump().contains("SIGABRT"));
        QVERIFY(crash("segv").crashed);
        const QByteArray text = readDump();
        QCOMPARE(text.count("PRYX CRASH DUMP"), 1);
        QVERIFY(text.contains("signal: 11 SIGSEGV"));
        QVERIFY(!text.contains("SIGABRT"));
    }
};

QTEST_GUILESS_MAIN(TestCrashDump)
#include "tst_crashdump.moc"
