#include <QtTest>

#include "core/base/logging.h"
#include "core/base/paths.h"

#include <sys/stat.h>

// A fixed "now" for the expiry rule.
static const QDateTime kNow(QDate(2026, 3, 15), QTime(12, 30, 45));

class TestLogging : public QObject
{
    Q_OBJECT
private:
    static QByteArray readLog()
    {
        QFile f(pryx::logFilePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void writeLog(const QByteArray &bytes)
    {
        QDir().mkpath(pryx::dataPath());
        QFile f(pryx::logFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray stamp(const QDateTime &t)
    {
        return t.toString("dd-MM-yyyy hh:mm:ss").toUtf8();
    }

private slots:
    void init()
    {
        Logging::setClock([] { return kNow; });
        QFile::remove(pryx::logFilePath());
    }
    void cleanupTestCase() { Logging::setClock({}); }

    void newFileHoldsJustTheEntry()
    {
        Logging log;
        log.writeMessage("first");
        QCOMPARE(readLog(), QByteArray("15-03-2026 12:30:45\tfirst\r\n"));
    }

    void multiLineMessage_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("LF") << QString("line one\nline two")
                            << QByteArray("15-03-2026 12:30:45\tline one\r\n\t\t\t\t\tline two\r\n");
        QTest::newRow("CR LF") << QString("a\r\nb\r\nc")
                               << QByteArray("15-03-2026 12:30:45\ta\r\n\t\t\t\t\tb\r\n\t\t\t\t\tc\r\n");
        QTest::newRow("UTF-8") << QString::fromUtf8("\xd0\xbe\xd1\x88\xd0\xb8\xd0\xb1\xd0\xba\xd0\xb0")
                               << QByteArray("15-03-2026 12:30:45\t\xd0\xbe\xd1\x88\xd0\xb8\xd0\xb1\xd0\xba\xd0\xb0\r\n");
    }
    void multiLineMessage()
    {
        QFETCH(QString, message);
        QFETCH(QByteArray, bytes);
        Logging log;
        log.writeMessage(message);
        QCOMPARE(readLog(), bytes);
    }

    void entriesAppendInOrder()
    {
        Logging log;
        log.writeMessage("one");
        Logging::setClock([] { return kNow.addSecs(1); });
        Logging().writeMessage("two");
        QCOMPARE(readLog(), QByteArray("15-03-2026 12:30:45\tone\r\n15-03-2026 12:30:46\ttwo\r\n"));
    }

    void expiryKeepsContinuationsWithTheirEntry()
    {
        const QByteArray old = stamp(kNow.addDays(-8)) + "\told entry\n\t\t\t\t\told continuation\n";
        const QByteArray edge = stamp(kNow.addDays(-7).addSecs(1)) + "\tseven days less a second\r\n";
        const QByteArray young = stamp(kNow.addDays(-6)) + "\tyoung entry\r\n\t\t\t\t\tyoung continuation\r\n";
        writeLog("foreign first line\n" + old + edge + young);
        Logging().writeMessage("new");
        QCOMPARE(readLog(), QByteArray("foreign first line\r\n") + edge
                                + young + "15-03-2026 12:30:45\tnew\r\n");
    }

    void exactlySevenDaysStays()
    {
        // Dropped only when its time plus 7 days is earlier than now.
        const QByteArray seven = stamp(kNow.addDays(-7)) + "\texactly seven\r\n";
        const QByteArray older = stamp(kNow.addDays(-7).addSecs(-1)) + "\ta second more\r\n";
        writeLog(older + seven);
        Logging().writeMessage("x");
        QCOMPARE(readLog(), seven + "15-03-2026 12:30:45\tx\r\n");
    }

    void rewriteGoesThroughRenameAndIsPrivate()
    {
        writeLog(stamp(kNow.addDays(-30)) + "\tancient\r\n");
        QFile::setPermissions(pryx::logFilePath(), QFile::ReadOwner | QFile::WriteOwner
                                                       | QFile::ReadGroup | QFile::ReadOther);
        struct stat before;
        QCOMPARE(::stat(QFile::encodeName(pryx::logFilePath()).constData(), &before), 0);
        Logging().writeMessage("x");
        struct stat after;
        QCOMPARE(::stat(QFile::encodeName(pryx::logFilePath()).constData(), &after), 0);
        QVERIFY2(before.st_ino != after.st_ino, "the file was rewritten in place");
        QCOMPARE(after.st_mode & 0777, mode_t(0600));
        QCOMPARE(readLog(), QByteArray("15-03-2026 12:30:45\tx\r\n"));
        // No temporary files left beside it.
        const QStringList left = QDir(pryx::dataPath()).entryList({"pryx.log*"}, QDir::Files | QDir::Hidden);
        QCOMPARE(left, QStringList{"pryx.log"});
    }

    void newFileIsPrivate()
    {
        Logging().writeMessage("x");
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(pryx::logFilePath()).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));
    }
};

QTEST_GUILESS_MAIN(TestLogging)
#include "tst_logging.moc"
