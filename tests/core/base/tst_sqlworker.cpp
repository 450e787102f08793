#include <QtTest>

#include "core/base/sqldatabase.h"
#include "core/base/sqlworker.h"
#include "support/sqlfile.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QSemaphore>

#include <sys/stat.h>

#include <chrono>
#include <thread>

// One database thread per process (it owns Qt's default connection), so this
// program serves one fresh file for all its cases.
class TestSqlWorker : public QObject
{
    Q_OBJECT
private:
    SqlDatabase *db_ = nullptr;
    QString path_;

    QStringList inspect(const QString &sql) { return pryx::test::sqlRows(path_, sql); }

    // The file change counter of the database header (big-endian, offset 24).
    quint32 changeCounter()
    {
        QFile f(path_);
        if (!f.open(QIODevice::ReadOnly) || !f.seek(24))
            return 0;
        const QByteArray b = f.read(4);
        if (b.size() != 4)
            return 0;
        return (quint32(quint8(b[0])) << 24) | (quint32(quint8(b[1])) << 16)
            | (quint32(quint8(b[2])) << 8) | quint32(quint8(b[3]));
    }

    // Blocks the database thread until the returned semaphore is released.
    std::shared_ptr<QSemaphore> holdWorker()
    {
        auto gate = std::make_shared<QSemaphore>(0);
        QMetaObject::invokeMethod(db_->worker(), [gate] { gate->acquire(); }, Qt::QueuedConnection);
        return gate;
    }

private slots:
    void initTestCase()
    {
        path_ = pryx::test::testRoot() + "/db/setting";
        db_ = new SqlDatabase();   // lives as long as the process, like the program's
        QVERIFY(db_->connectToDatabase(path_));
    }

    void newDatabaseHoldsTheDefaultRows()
    {
        const QStringList tables = inspect("SELECT name, sql FROM sqlite_master WHERE type = 'table'");
        QCOMPARE(tables, QStringList{"Settings|CREATE TABLE \"Settings\" (\"name\" VARCHAR PRIMARY KEY  NOT NULL , \"value\" TEXT)"});
        const QStringList expected = {
            "fragmentScreen|1|text", "quickFragmentScreen|1|text", "snapshotFull|1|text",
            "sendScreen|1|text", "show_upload|1|text", "show_last_upload|1|text", "useProxy|0|text",
            "qualityImage|1|text", "useSaveScreen|0|text", "saveScreenFolder||text",
            "widthColorLine|2|text", "widthTextLine|6|text", "widthBlureLine|9|text",
            "widthBlackoutLine|9|text", "visibleColorPanel|1|text", "showActiveWindow|1|text",
            "showCloseSurfaceWindow|1|text", "colorColorLine|7|text", "autostart|1|text",
            "keyFragmentScreen|Ctrl + Print|text", "keyQuickFragmentScreen|Shift + Print|text",
            "keySnapshotScreen|Ctrl + Shift + Print|text", "keySendScreen|Ctrl + Enter|text"};
        QCOMPARE(inspect("SELECT name, value, typeof(value) FROM Settings ORDER BY rowid"), expected);
        QCOMPARE(inspect("SELECT typeof(name) FROM Settings GROUP BY typeof(name)"), QStringList{"text"});
    }

    void fileAndFolderArePrivate()
    {
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(path_).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));
        QCOMPARE(::stat(QFile::encodeName(QFileInfo(path_).absolutePath()).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0700));
    }

    void readMissingKeyIsNull()
    {
        const QVariant v = db_->getData("no such key");
        QVERIFY(v.isNull());
        QVERIFY(!db_->getData("saveScreenFolder").isNull());   // the empty text is a value
    }

    void writeThenReadAtOnce()
    {
        db_->execute("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)", {"k", 42});
        QCOMPARE(db_->getData("k"), QVariant("42"));
    }

    void keysAreBoundNotPasted_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("double quote") << QString("a\"b");
        QTest::newRow("single quote") << QString("it's");
        QTest::newRow("injection") << QString("x\" OR name = \"fragmentScreen");
        QTest::newRow("semicolon") << QString("k; DROP TABLE Settings; --");
    }
    void keysAreBoundNotPasted()
    {
        QFETCH(QString, key);
        QVERIFY(db_->getData(key).isNull());
        db_->execute("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)", {key, "v:" + key});
        QCOMPARE(db_->getData(key).toString(), "v:" + key);
        QCOMPARE(db_->getData("fragmentScreen").toString(), QString("1"));
    }

    // A read blocks until the worker answers and runs no events meanwhile:
    // a timer that falls due during a read waits until it has returned, and
    // the value is the read's own even while the worker is held.
    void readRunsNoEvents()
    {
        db_->execute("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)", {"outer", "outer value"});
        QVERIFY(db_->flush());
        auto gate = holdWorker();
        std::thread release([gate] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            gate->release();
        });
        bool fired = false;
        QTimer::singleShot(0, this, [&] { fired = true; });
        QElapsedTimer clock;
        clock.start();
        const QVariant outer = db_->getData("outer");
        const qint64 waited = clock.elapsed();
        const bool firedDuringRead = fired;
        release.join();
        QCOMPARE(outer.toString(), QString("outer value"));
        QVERIFY2(waited >= 90, qPrintable(QString::number(waited)));
        QVERIFY(!firedDuringRead);
        QTRY_VERIFY(fired);
    }

    void flushWaitsForQueuedWrites()
    {
        auto gate = holdWorker();
        for (int i = 0; i < 50; ++i)
            db_->execute("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)", {QString("queued%1").arg(i), i});
        QVERIFY(!db_->flush(50));   // the worker is held: bounded, reports the timeout
        gate->release();
        QVERIFY(db_->flush(5000));
        QCOMPARE(inspect("SELECT count(*) FROM Settings WHERE name GLOB 'queued*'"), QStringList{"50"});
    }

    // The sqlite3 command line takes the file while the program runs: writes
    // wait in order and reach the file once it is free, reads of them are
    // answered from the waiting writes, other reads say "unknown" at once
    // instead of "missing", and nothing is moved aside.
    void writesWaitForALockedFile()
    {
        db_->execute("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)", {"lockKey", "before"});
        QVERIFY(db_->flush());
        QProcess holder;
        QVERIFY(pryx::test::holdSqliteLock(holder, path_,
                                           "UPDATE Settings SET value = 'other' WHERE name = 'widthTextLine';\n"));

        for (int i = 0; i < 20; ++i)
            db_->execute("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)", {"lockKey", QString("during %1").arg(i)});
        db_->execute("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)", {"lockOther", "x"});
        bool answered = true;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(db_->getData("fragmentScreen", &answered).isNull());
        QVERIFY(!answered);
        QCOMPARE(db_->getData("lockKey", &answered).toString(), QString("during 19"));
        QVERIFY(answered);
        QVERIFY(db_->getData("keySendScreen", &answered).isNull());
        QVERIFY(!answered);
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!db_->flush(300));   // the writes wait

        holder.write("COMMIT;\n.quit\n");
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        QVERIFY(db_->flush(10000));
        QCOMPARE(db_->getData("fragmentScreen", &answered).toString(), QString("1"));
        QVERIFY(answered);
        QCOMPARE(inspect("SELECT value FROM Settings WHERE name = 'lockKey'"), QStringList{"during 19"});
        QCOMPARE(inspect("SELECT value FROM Settings WHERE name = 'lockOther'"), QStringList{"x"});
        QCOMPARE(inspect("SELECT value FROM Settings WHERE name = 'widthTextLine'"), QStringList{"other"});
        QVERIFY(QDir(QFileInfo(path_).absolutePath()).entryList({"setting.damaged-*"}).isEmpty());
    }

    // A write reaches the file by itself, without a flush.
    void writeIsCommittedWithoutFlush()
    {
        db_->execute("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)", {"alone", "committed"});
        QTRY_COMPARE_WITH_TIMEOUT(inspect("SELECT value FROM Settings WHERE name = 'alone'"),
                                  QStringList{"committed"}, 10000);
    }

    // A burst of writes is committed together, not synced to the disk one by
    // one (on a busy disk a thousand syncs outlast the wait at exit): the
    // file's change counter, which SQLite raises once per commit, moves by
    // far less than the number of writes.
    void burstOfWritesIsCommittedTogether()
    {
        QVERIFY(db_->flush());
        const quint32 before = changeCounter();
        auto gate = holdWorker();
        for (int i = 0; i < 2000; ++i)
            db_->execute("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)", {QString("burst%1").arg(i), i});
        gate->release();
        QVERIFY(db_->flush());
        QCOMPARE(inspect("SELECT count(*) FROM Settings WHERE name GLOB 'burst*'"), QStringList{"2000"});
        const quint32 commits = changeCounter() - before;
        QVERIFY2(commits >= 1 && commits <= 5, qPrintable(QString::number(commits)));
    }

    void countsStatements()
    {
        const quint64 before = db_->worker()->statementCount();
        db_->execute("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)", {"c", 1});
        db_->getData("c");
        QCOMPARE(db_->worker()->statementCount() - before, quint64(2));
    }
};

QTEST_GUILESS_MAIN(TestSqlWorker)
#include "tst_sqlworker.moc"
