#include <QtTest>

#include "core/base/crypto.h"
#include "core/base/paths.h"
#include "core/base/servicehosts.h"
#include "core/base/setting.h"
#include "core/base/sqldatabase.h"
#include "core/base/sqlworker.h"
#include "platform/autostart.h"
#include "platform/filedialogs.h"
#include "platform/registry.h"
#include "support/sqlfile.h"
#include "support/testsupport.h"

#include <QRandomGenerator>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <QElapsedTimer>
#include <QSemaphore>

#include <chrono>
#include <cstdio>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

using pryx::test::holdSqliteLock;
using pryx::test::sqlRows;

// This program is its own driver: "--driver <commands>" runs the settings
// store in a child process, so restarts and the exit path are real.
//   set K V | setenc K V | get K | getenc K | hold MS | many N | flush MS
//   exit (flush, then end at once)
//   noflush-exit (end at once without flushing) | return (leave main, so the
//   application object ends, without flushing first)
static int runDriver(const QStringList &args)
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &msg) {
        if (type >= QtWarningMsg)
            std::fprintf(stderr, "WARNING: %s\n", qPrintable(msg));
    });
    Setting *s = Setting::instance();
    if (!s->databaseErrorText().isEmpty())
        std::printf("ERROR-TEXT: %s\n", qPrintable(s->databaseErrorText()));
    for (int i = 0; i < args.size(); ++i) {
        const QString &cmd = args.at(i);
        if (cmd == "set") {
            s->setValue(args.at(i + 1), args.at(i + 2));
            i += 2;
        } else if (cmd == "setenc") {
            s->setValue(args.at(i + 1), args.at(i + 2), true);
            i += 2;
        } else if (cmd == "get" || cmd == "getenc") {
            const QVariant v = s->getValue(args.at(i + 1), cmd == "getenc");
            std::printf("VALUE %s=%s%s\n", qPrintable(args.at(i + 1)), qPrintable(v.toString()),
                        v.isNull() ? "<null>" : "");
            i += 1;
        } else if (cmd == "hold") {
            // Keeps the database thread busy, so the following writes queue up.
            const int ms = args.at(i + 1).toInt();
            s->flush();
            QMetaObject::invokeMethod(s->database()->worker(), [ms] { QThread::msleep(ms); },
                                      Qt::QueuedConnection);
            i += 1;
        } else if (cmd == "many") {
            const int n = args.at(i + 1).toInt();
            for (int k = 0; k < n; ++k)
                s->setValue(QString("many%1").arg(k), QString("value %1").arg(k));
            i += 1;
        } else if (cmd == "flush") {
            // Waits (bounded) until every change is in the file, also through
            // a lock, while the event loop runs as the program's would.
            QElapsedTimer clock;
            clock.start();
            bool done = false;
            while (!done && clock.elapsed() < args.at(i + 1).toInt()) {
                QCoreApplication::processEvents();
                done = s->flush(100);
            }
            QCoreApplication::processEvents();
            std::printf("FLUSHED %d\n", done ? 1 : 0);
            i += 1;
        } else if (cmd == "exit") {
            std::fflush(stdout);
            _exit(s->flush(10000) ? 0 : 3);
        } else if (cmd == "noflush-exit") {
            std::fflush(stdout);
            _exit(0);
        } else if (cmd == "return") {
            std::fflush(stdout);
            return 0;
        }
    }
    std::fflush(stdout);
    s->flush();
    return 0;
}

class TestSetting : public QObject
{
    Q_OBJECT
private:
    int dirs_ = 0;

    // A data folder of its own for one child scenario.
    QString freshDataHome() { return pryx::test::testRoot() + QString("/child%1").arg(++dirs_); }

    static pryx::test::ChildResult driver(const QString &dataHome, const QStringList &commands)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dataHome);
        env.insert("XDG_CONFIG_HOME", dataHome + "/config");
        return pryx::test::runChild(QCoreApplication::applicationFilePath(),
                                     QStringList{"--driver"} + commands, 30000, env);
    }
    static QString dbFile(const QString &dataHome) { return dataHome + "/Pryx/setting"; }

    static QString stored(const QString &file, const QString &key)
    {
        const QStringList v = sqlRows(file, QString("SELECT value FROM Settings WHERE name = '%1'").arg(key));
        return v.isEmpty() ? QString("<no row>") : v.first();
    }
    static QByteArray fileBytes(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static int mode(const QString &path)
    {
        struct stat st;
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
    }

    // The driver as a process of its own that runs while the test goes on.
    static void startDriver(QProcess &p, const QString &dataHome, const QStringList &commands)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dataHome);
        env.insert("XDG_CONFIG_HOME", dataHome + "/config");
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(), QStringList{"--driver"} + commands);
    }


    // Row ids on a table leaf page of a database file (SQLite's file format:
    // page header, cell pointers, then per cell the payload size and row id).
    static QSet<qint64> rowidsOnLeaf(const QByteArray &file, int pageSize, int page)
    {
        QSet<qint64> ids;
        const int base = (page - 1) * pageSize;
        const int header = base + (page == 1 ? 100 : 0);
        if (quint8(file.at(header)) != 13)
            return ids;
        auto be16 = [&](int at) { return (quint8(file.at(at)) << 8) | quint8(file.at(at + 1)); };
        auto varint = [&](int &at) {
            qint64 v = 0;
            for (int n = 0; n < 9; ++n) {
                const quint8 b = quint8(file.at(at++));
                if (n == 8)
                    return (v << 8) | b;
                v = (v << 7) | (b & 0x7f);
                if (!(b & 0x80))
                    break;
            }
            return v;
        };
        const int cells = be16(header + 3);
        for (int i = 0; i < cells; ++i) {
            int at = base + be16(header + 8 + 2 * i);
            varint(at);   // payload size
            ids.insert(varint(at));
        }
        return ids;
    }

    Setting *s() { return Setting::instance(); }
    quint64 statements() { return s()->database()->worker()->statementCount(); }

private slots:
    // ---- restarts and the file, in child processes ----

    void newDatabaseAndSecondStart()
    {
        const QString home = freshDataHome();
        auto r = driver(home, {"exit"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(!r.out.contains("ERROR"), r.out.constData());
        // The 23 default rows, then the upload target the store adds itself.
        const QStringList first = sqlRows(dbFile(home), "SELECT name, value, typeof(value) FROM Settings ORDER BY rowid");
        QCOMPARE(first.size(), 24);
        QCOMPARE(first.first(), QString("fragmentScreen|1|text"));
        QCOMPARE(first.at(22), QString("keySendScreen|Ctrl + Enter|text"));
        QCOMPARE(first.last(), QString("type_upload|pryx|text"));
        QCOMPARE(mode(dbFile(home)), 0600);
        for (const char *dir : {"/Pryx", "/Pryx/tmp", "/Pryx/tmp/audio"})
            QCOMPARE(mode(home + dir), 0700);

        r = driver(home, {"exit"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(sqlRows(dbFile(home), "SELECT name, value, typeof(value) FROM Settings ORDER BY rowid"), first);
    }

    void valueSurvivesRestart()
    {
        const QString home = freshDataHome();
        QCOMPARE(driver(home, {"set", "qualityImage", "2", "set", "token", "T0K", "setenc",
                               "drop_box_token_apiv2", "dropbox secret", "set", "ftp_password", "ftp pw",
                               "exit"}).exitCode, 0);
        const auto r = driver(home, {"get", "qualityImage", "getenc", "drop_box_token_apiv2", "get",
                                     "ftp_password", "get", "sftp_user", "get", "nothing"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("VALUE qualityImage=2\n"), r.out.constData());
        QVERIFY2(r.out.contains("VALUE drop_box_token_apiv2=dropbox secret\n"), r.out.constData());
        QVERIFY2(r.out.contains("VALUE ftp_password=ftp pw\n"), r.out.constData());
        QVERIFY2(r.out.contains("VALUE sftp_user=\n"), r.out.constData());   // encrypted: "" not null
        QVERIFY2(r.out.contains("VALUE nothing=<null>\n"), r.out.constData());

        // Only ciphertext stands in the file.
        const QByteArray bytes = fileBytes(dbFile(home));
        QVERIFY(!bytes.contains("dropbox secret"));
        QVERIFY(!bytes.contains("ftp pw"));
        QCOMPARE(pryx::decryptWithKey(stored(dbFile(home), "ftp_password"), fileBytes(home + "/Pryx/setting.key")),
                 QString("ftp pw"));
    }

    // Logins typed without a service login are kept (under the key of this
    // installation, in its own 0600 file) and read back after a restart,
    // also after a login with a token and another one after it.
    void credentialsWithoutLoginSurvive()
    {
        const QString home = freshDataHome();
        auto r = driver(home, {"set", "ftp_user", "alice", "set", "ftp_password", "s3cret pw", "set",
                               "proxy_password", "proxy pw", "setenc", "drop_box_token_apiv2", "dbx-token", "exit"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(!r.err.contains("not kept"), r.err.constData());
        const QString keyFile = home + "/Pryx/setting.key";
        QCOMPARE(mode(keyFile), 0600);
        QCOMPARE(fileBytes(keyFile).size(), 32);
        for (const QString &token : {QString(), QString("first-token"), QString("second-token")}) {
            QStringList commands;
            if (!token.isEmpty())
                commands << "set" << "token" << token;
            commands << "get" << "ftp_user" << "get" << "ftp_password" << "get" << "proxy_password"
                     << "get" << "drop_box_token_apiv2" << "exit";
            r = driver(home, commands);
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(r.out.contains("VALUE ftp_user=alice\n"), r.out.constData());
            QVERIFY2(r.out.contains("VALUE ftp_password=s3cret pw\n"), r.out.constData());
            QVERIFY2(r.out.contains("VALUE proxy_password=proxy pw\n"), r.out.constData());
            QVERIFY2(r.out.contains("VALUE drop_box_token_apiv2=dbx-token\n"), r.out.constData());
        }
        const QByteArray bytes = fileBytes(dbFile(home));
        for (const char *secret : {"alice", "s3cret pw", "proxy pw", "dbx-token"})
            QVERIFY2(!bytes.contains(secret), secret);
        QCOMPARE(pryx::decryptWithKey(stored(dbFile(home), "proxy_password"), fileBytes(keyFile)), QString("proxy pw"));
        QCOMPARE(mode(keyFile), 0600);
    }

    // Values of an older version: encrypted under the account token's key,
    // and the proxy password in plain text. Each reads once as it was and is
    // then stored under the installation key.
    void olderStoredFormsAreMigrated()
    {
        const QString home = freshDataHome();
        QCOMPARE(driver(home, {"set", "token", "OLD-TOKEN", "exit"}).exitCode, 0);
        QVERIFY(!QFileInfo::exists(home + "/Pryx/setting.key"));
        {
            QSqlDatabase c = QSqlDatabase::addDatabase("QSQLITE", "older");
            c.setDatabaseName(dbFile(home));
            QVERIFY(c.open());
            QSqlQuery q(c);
            QVERIFY(q.prepare("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)"));
            const QList<QPair<QString, QString>> rows = {
                {"ftp_password", encryptString("ftp old pw", "OLD-TOKEN")},
                {"sftp_user", encryptString("bob", "OLD-TOKEN")},
                {"drop_box_token_apiv2", encryptString("old dropbox token", "OLD-TOKEN")},
                {"proxy_password", "plain proxy pw"}};
            for (const auto &row : rows) {
                q.bindValue(0, row.first);
                q.bindValue(1, row.second);
                QVERIFY(q.exec());
            }
            c.close();
        }
        QSqlDatabase::removeDatabase("older");

        auto r = driver(home, {"get", "ftp_password", "get", "sftp_user", "getenc", "drop_box_token_apiv2",
                               "get", "proxy_password", "exit"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("VALUE ftp_password=ftp old pw\n"), r.out.constData());
        QVERIFY2(r.out.contains("VALUE sftp_user=bob\n"), r.out.constData());
        QVERIFY2(r.out.contains("VALUE drop_box_token_apiv2=old dropbox token\n"), r.out.constData());
        QVERIFY2(r.out.contains("VALUE proxy_password=plain proxy pw\n"), r.out.constData());

        const QByteArray key = fileBytes(home + "/Pryx/setting.key");
        QCOMPARE(key.size(), 32);
        QCOMPARE(mode(home + "/Pryx/setting.key"), 0600);
        QCOMPARE(pryx::decryptWithKey(stored(dbFile(home), "ftp_password"), key), QString("ftp old pw"));
        QCOMPARE(decryptString(stored(dbFile(home), "ftp_password"), "OLD-TOKEN"), QString());
        QCOMPARE(pryx::decryptWithKey(stored(dbFile(home), "drop_box_token_apiv2"), key), QString("old dropbox token"));
        QCOMPARE(pryx::decryptWithKey(stored(dbFile(home), "proxy_password"), key), QString("plain proxy pw"));
        QVERIFY(!fileBytes(dbFile(home)).contains("plain proxy pw"));

        // After a new login the migrated values still read.
        r = driver(home, {"set", "token", "NEW-TOKEN", "get", "ftp_password", "get", "sftp_user", "get",
                          "proxy_password", "exit"});
        QVERIFY2(r.out.contains("VALUE ftp_password=ftp old pw\n"), r.out.constData());
        QVERIFY2(r.out.contains("VALUE sftp_user=bob\n"), r.out.constData());
        QVERIFY2(r.out.contains("VALUE proxy_password=plain proxy pw\n"), r.out.constData());
    }

    void queuedWritesSurviveTheExitPath()
    {
        const QString home = freshDataHome();
        QCOMPARE(driver(home, {"hold", "300", "many", "300", "exit"}).exitCode, 0);
        QCOMPARE(sqlRows(dbFile(home), "SELECT count(*) FROM Settings WHERE name GLOB 'many*'"),
                 QStringList{"300"});
        QCOMPARE(stored(dbFile(home), "many299"), QString("value 299"));

        // Without the flush the same writes are still queued when the process ends.
        const QString other = freshDataHome();
        QCOMPARE(driver(other, {"hold", "300", "many", "300", "noflush-exit"}).exitCode, 0);
        QCOMPARE(sqlRows(dbFile(other), "SELECT count(*) FROM Settings WHERE name GLOB 'many*'"),
                 QStringList{"0"});
    }

    // Leaving main with writes still queued: the end of the application
    // object writes them all before Qt Sql drops its connections (which it
    // would do from the GUI thread while the database thread still writes).
    void applicationEndWritesQueued()
    {
        for (int round = 0; round < 3; ++round) {
            const QString home = freshDataHome();
            const auto r = driver(home, {"hold", "100", "many", "200", "return"});
            QVERIFY2(r.exitCode == 0 && !r.crashed, r.err.constData());
            QCOMPARE(sqlRows(dbFile(home), "SELECT count(*) FROM Settings WHERE name GLOB 'many*'"),
                     QStringList{"200"});
        }
    }

    void damagedFileIsKeptAndReplaced_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("this is not a database\n");
        QByteArray header("SQLite format 3");
        header.append('\0');
        QTest::newRow("truncated header") << header + QByteArray(84, '\xff');
        QTest::newRow("random") << QByteArray(8192, '\x5a');
    }
    void damagedFileIsKeptAndReplaced()
    {
        QFETCH(QByteArray, content);
        const QString home = freshDataHome();
        QVERIFY(QDir().mkpath(home + "/Pryx"));
        {
            QFile f(dbFile(home));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        auto r = driver(home, {"set", "widthTextLine", "12", "get", "widthTextLine", "exit"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("VALUE widthTextLine=12\n"), r.out.constData());
        // One clear error, naming the kept file.
        QCOMPARE(r.out.count("ERROR-TEXT: "), 1);
        QCOMPARE(r.err.count("The settings file could not be read"), 1);

        const QStringList kept = QDir(home + "/Pryx").entryList({"setting.damaged-*"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QVERIFY(r.out.contains(kept.first().toUtf8()));
        QCOMPARE(fileBytes(home + "/Pryx/" + kept.first()), content);
        QCOMPARE(sqlRows(dbFile(home), "SELECT count(*) FROM Settings").first(), QString("24"));
        QCOMPARE(stored(dbFile(home), "widthTextLine"), QString("12"));

        // The next start is quiet.
        r = driver(home, {"get", "widthTextLine"});
        QVERIFY(!r.out.contains("ERROR"));
        QVERIFY2(r.out.contains("VALUE widthTextLine=12\n"), r.out.constData());
    }

    // Another process (the sqlite3 command line) holds the file in an
    // exclusive transaction with a live journal for 15 s while the program
    // starts: nothing is moved aside, nothing lost, what was written during
    // the lock is in the file afterwards, and the lock is reported once.
    void lockedFileIsNotDamage()
    {
        const QString home = freshDataHome();
        QCOMPARE(driver(home, {"set", "type_upload", "ftp", "set", "ftp_host", "files.example", "set",
                               "widthTextLine", "14", "set", "token", "T", "exit"}).exitCode, 0);
        QProcess holder;
        QVERIFY(holdSqliteLock(holder, dbFile(home),
                         "INSERT OR REPLACE INTO Settings (name,value) VALUES ('fromOther','x');\n"));
        QVERIFY(QFileInfo::exists(dbFile(home) + "-journal"));
        QElapsedTimer clock;
        clock.start();
        QProcess child;
        startDriver(child, home, {"get", "widthTextLine", "set", "widthColorLine", "5", "set",
                                  "ftp_password", "pw during lock", "flush", "40000", "get", "widthTextLine",
                                  "get", "type_upload", "get", "fromOther", "get", "ftp_password", "exit"});
        QVERIFY(child.waitForStarted(10000));
        QTimer::singleShot(15000 - int(clock.elapsed()), Qt::PreciseTimer, &holder, [&] {
            // The journal is still the other process's own.
            QVERIFY(QFileInfo::exists(dbFile(home) + "-journal"));
            holder.write("COMMIT;\n.quit\n");
            holder.closeWriteChannel();
        });
        QTRY_VERIFY_WITH_TIMEOUT(child.state() == QProcess::NotRunning, 60000);
        const QByteArray out = child.readAllStandardOutput();
        const QByteArray err = child.readAllStandardError();
        QVERIFY2(holder.state() == QProcess::NotRunning || holder.waitForFinished(10000), (out + err).constData());
        QCOMPARE(child.exitCode(), 0);
        QVERIFY2(clock.elapsed() >= 15000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(out.contains("FLUSHED 1\n"), out.constData());
        QVERIFY2(!out.contains("ERROR-TEXT"), out.constData());
        QVERIFY2(out.contains("VALUE widthTextLine=6\n"), out.constData());   // the default meanwhile
        QVERIFY2(out.contains("VALUE widthTextLine=14\n"), out.constData());  // then the file's
        QVERIFY2(out.contains("VALUE type_upload=ftp\n"), out.constData());
        QVERIFY2(out.contains("VALUE fromOther=x\n"), out.constData());
        QVERIFY2(out.contains("VALUE ftp_password=pw during lock\n"), out.constData());
        QCOMPARE(err.count("is in use by another program"), 1);
        QVERIFY(!err.contains("could not be read"));

        QVERIFY(QDir(home + "/Pryx").entryList({"setting.damaged-*"}).isEmpty());
        QCOMPARE(stored(dbFile(home), "widthColorLine"), QString("5"));
        QCOMPARE(stored(dbFile(home), "widthTextLine"), QString("14"));
        QCOMPARE(stored(dbFile(home), "type_upload"), QString("ftp"));
        QCOMPARE(stored(dbFile(home), "ftp_host"), QString("files.example"));
        QCOMPARE(stored(dbFile(home), "fromOther"), QString("x"));
        QVERIFY(!stored(dbFile(home), "ftp_password").isEmpty());
        QVERIFY(!fileBytes(dbFile(home)).contains("pw during lock"));
    }

    // Damaged copies of a real settings file of several pages: every row
    // that still reads is kept in the fresh file, the damaged one is kept
    // aside, the one error says how many values were kept, and the store
    // works afterwards.
    void damagedFileIsSalvaged_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("random page over the key index") << QString("index");
        QTest::newRow("random page over a data page") << QString("data");
        QTest::newRow("truncated") << QString("truncated");
        QTest::newRow("random bytes") << QString("random");
    }
    void damagedFileIsSalvaged()
    {
        QFETCH(QString, damage);
        const QString home = freshDataHome();
        QCOMPARE(driver(home, {"set", "qualityImage", "2", "exit"}).exitCode, 0);
        const QString file = dbFile(home);
        {
            // Rows enough for several pages, in one transaction.
            QSqlDatabase c = QSqlDatabase::addDatabase("QSQLITE", "grow");
            c.setDatabaseName(file);
            QVERIFY(c.open());
            QVERIFY(c.transaction());
            QSqlQuery q(c);
            QVERIFY(q.prepare("INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)"));
            for (int k = 0; k < 400; ++k) {
                q.bindValue(0, QString("many%1").arg(k));
                q.bindValue(1, QString("value %1").arg(k));
                QVERIFY(q.exec());
            }
            QVERIFY(c.commit());
            c.close();
        }
        QSqlDatabase::removeDatabase("grow");
        QMap<qint64, QPair<QString, QString>> rows;
        for (const QString &line : sqlRows(file, "SELECT rowid, name, value FROM Settings")) {
            const QStringList f = line.split('|');
            rows.insert(f.at(0).toLongLong(), {f.at(1), f.at(2)});
        }
        QCOMPARE(rows.size(), 424);
        const int pageSize = sqlRows(file, "PRAGMA page_size").first().toInt();
        const QStringList leaves = sqlRows(file, "SELECT pageno FROM dbstat WHERE name = 'Settings' AND pagetype = 'leaf' ORDER BY pageno");
        const QStringList indexPages = sqlRows(file, "SELECT pageno FROM dbstat WHERE name = 'sqlite_autoindex_Settings_1' ORDER BY pageno");
        QVERIFY(leaves.size() >= 3);
        QVERIFY(!indexPages.isEmpty());

        QByteArray bytes = fileBytes(file);
        QRandomGenerator random(7);
        auto randomPage = [&](int page) {
            for (int i = 0; i < pageSize; ++i)
                bytes[(page - 1) * pageSize + i] = char(random.bounded(256));
        };
        QSet<qint64> lost;
        if (damage == "index") {
            randomPage(indexPages.first().toInt());
        } else if (damage == "data") {
            const int page = leaves.at(leaves.size() / 2).toInt();
            lost = rowidsOnLeaf(bytes, pageSize, page);
            QVERIFY(!lost.isEmpty());
            randomPage(page);
        } else if (damage == "truncated") {
            // Cut after the middle leaf: the leaves behind the cut are gone.
            const int cut = leaves.at(leaves.size() / 2).toInt();
            for (const QString &leaf : leaves) {
                if (leaf.toInt() > cut)
                    lost += rowidsOnLeaf(bytes, pageSize, leaf.toInt());
            }
            QVERIFY(!lost.isEmpty());
            bytes.truncate(cut * pageSize);
        } else {
            for (char &c : bytes)
                c = char(random.bounded(256));
            lost = QSet<qint64>(rows.keyBegin(), rows.keyEnd());
        }
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
        }
        auto r = driver(home, {"set", "widthBlureLine", "21", "exit"});
        QCOMPARE(r.exitCode, 0);
        const int kept = rows.size() - lost.size();
        QCOMPARE(r.out.count("ERROR-TEXT: "), 1);
        if (kept > 0)
            QVERIFY2(r.out.contains(QString("%1 of its values were read from it and kept").arg(kept).toUtf8()),
                     r.out.constData());
        else
            QVERIFY2(r.out.contains("none of its values could be read"), r.out.constData());
        const QStringList aside = QDir(home + "/Pryx").entryList({"setting.damaged-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(fileBytes(home + "/Pryx/" + aside.first()), bytes);

        // Every row that reads is there with its value; the lost ones are
        // back at their defaults or missing.
        QMap<QString, QString> now;
        for (const QString &line : sqlRows(file, "SELECT name, value FROM Settings")) {
            const int bar = line.indexOf('|');
            now.insert(line.left(bar), line.mid(bar + 1));
        }
        for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
            if (it.value().first == "widthBlureLine")
                continue;
            if (!lost.contains(it.key()))
                QCOMPARE(now.value(it.value().first, "<missing>"), it.value().second);
            else if (it.value().first.startsWith("many"))
                QVERIFY(!now.contains(it.value().first));
        }
        QCOMPARE(now.value("widthBlureLine"), QString("21"));
        QCOMPARE(now.value("keySendScreen"), QString("Ctrl + Enter"));

        r = driver(home, {"get", "widthBlureLine", "get", "qualityImage"});
        QVERIFY2(!r.out.contains("ERROR"), r.out.constData());
        QVERIFY2(r.out.contains("VALUE widthBlureLine=21\n"), r.out.constData());
        QCOMPARE(r.out.contains("VALUE qualityImage=2\n"), damage != "random");
    }

    void unopenableFileIsMovedAside()
    {
        // A folder where the file should be: SQLite cannot open it.
        const QString home = freshDataHome();
        QVERIFY(QDir().mkpath(dbFile(home) + "/inside"));
        const auto r = driver(home, {"set", "useProxy", "1", "get", "useProxy", "exit"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.count("ERROR-TEXT: "), 1);
        QVERIFY2(r.out.contains("VALUE useProxy=1\n"), r.out.constData());
        const QStringList kept = QDir(home + "/Pryx").entryList({"setting.damaged-*"}, QDir::Dirs);
        QCOMPARE(kept.size(), 1);
        QVERIFY(QFileInfo::exists(home + "/Pryx/" + kept.first() + "/inside"));
        QCOMPARE(stored(dbFile(home), "useProxy"), QString("1"));
    }

    // The store tightens what it finds (group and other access go) and never
    // widens it: a file the user made read-only stays read-only.
    void permissionsAreOnlyTightened_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("read-only") << 0400 << 0400;
        QTest::newRow("read-only for all") << 0444 << 0400;
        QTest::newRow("shared") << 0664 << 0600;
        QTest::newRow("private") << 0600 << 0600;
    }
    void permissionsAreOnlyTightened()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        const QString home = freshDataHome();
        QCOMPARE(driver(home, {"set", "widthTextLine", "14", "exit"}).exitCode, 0);
        QVERIFY(::chmod(QFile::encodeName(dbFile(home)).constData(), mode_t(before)) == 0);
        const auto r = driver(home, {"get", "widthTextLine"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("VALUE widthTextLine=14\n"), r.out.constData());
        QCOMPARE(mode(dbFile(home)), after);
        QVERIFY(QDir(home + "/Pryx").entryList({"setting.damaged-*"}).isEmpty());
    }

    void missingTableIsCreated()
    {
        const QString home = freshDataHome();
        QVERIFY(QDir().mkpath(home + "/Pryx"));
        {
            QSqlDatabase c = QSqlDatabase::addDatabase("QSQLITE", "prepare");
            c.setDatabaseName(dbFile(home));
            QVERIFY(c.open());
            QVERIFY(QSqlQuery(c).exec("CREATE TABLE Other (x)"));
            c.close();
        }
        QSqlDatabase::removeDatabase("prepare");
        auto r = driver(home, {"get", "keySnapshotScreen"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(!r.out.contains("ERROR"));
        QVERIFY2(r.out.contains("VALUE keySnapshotScreen=Ctrl + Shift + Print\n"), r.out.constData());
        QCOMPARE(sqlRows(dbFile(home), "SELECT count(*) FROM sqlite_master WHERE name = 'Other'"),
                 QStringList{"1"});
    }

    // ---- the store in this process ----

    void cacheOnlyEntries()
    {
        QCOMPARE(s()->getValue("mainFontColor").toString(), QString("#25282c"));
        QCOMPARE(s()->getValue("mainFontFamily").toString(), QString("Arial"));
        QCOMPARE(s()->getValue("type_upload").toString(), QString("pryx"));
        QVERIFY(s()->databaseErrorText().isEmpty());
        QCOMPARE(Setting::platformName(), QString("linux_x86_64"));
    }

    void fallbacksOfMissingValues()
    {
        QCOMPARE(s()->getValue("showMagnifier"), QVariant(false));
        QCOMPARE(s()->getValue("shortLink"), QVariant(false));
        QVERIFY(s()->getValue("lastSavePath").isNull());
        QCOMPARE(s()->userAvatar().toString(), QString("qrc:/images/images/avatar_default.png"));
        QCOMPARE(s()->fragmentScreen(), QVariant("1"));   // numbers come back as text
        QCOMPARE(s()->useProxy(), QVariant(false));
        QCOMPARE(s()->colorColorLine(), 7);
    }

    // Each database read waits for the database thread; a key the file does
    // not hold is asked for only once.
    void missingKeyIsReadOnce()
    {
        QVERIFY(s()->getValue("proxy_host").isNull());
        QCOMPARE(s()->getValue("shortLink"), QVariant(false));
        QVERIFY(s()->flush());
        const quint64 before = statements();
        for (int i = 0; i < 3; ++i) {
            QVERIFY(s()->getValue("proxy_host").isNull());
            QCOMPARE(s()->getValue("shortLink"), QVariant(false));
        }
        QVERIFY(s()->flush());
        QCOMPARE(statements(), before);
        s()->setValue("proxy_host", "10.0.0.1");
        QCOMPARE(s()->getValue("proxy_host").toString(), QString("10.0.0.1"));
        QVERIFY(s()->flush());
        QCOMPARE(s()->getValueDB("proxy_host").toString(), QString("10.0.0.1"));
    }

    void flagsReadAsBooleans_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("flag");
        QTest::newRow("empty") << QVariant(QString("")) << false;
        QTest::newRow("\"0\"") << QVariant(QString("0")) << false;
        QTest::newRow("\"false\"") << QVariant(QString("false")) << false;
        QTest::newRow("0") << QVariant(0) << false;
        QTest::newRow("\"1\"") << QVariant(QString("1")) << true;
        QTest::newRow("\"yes\"") << QVariant(QString("yes")) << true;
        QTest::newRow("true") << QVariant(true) << true;
    }
    void flagsReadAsBooleans()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, flag);
        s()->setUseSaveScreen(stored);
        QCOMPARE(s()->useSaveScreen(), QVariant(flag));
        // The same after the value came back from the file as text.
        QVERIFY(s()->flush());
        QCOMPARE(s()->getValueDB("useSaveScreen").toBool(), flag);
    }

    void unchangedPlainValueRunsNoStatement()
    {
        QSignalSpy changed(s(), &Setting::valueChanged);
        s()->getValue("widthBlureLine");   // now cached
        QVERIFY(s()->flush());
        const quint64 before = statements();
        s()->setValue("widthBlureLine", "9");
        s()->setValue("widthBlureLine", "9");
        QVERIFY(s()->flush());
        QCOMPARE(statements(), before);
        QCOMPARE(changed.count(), 2);   // still announced
        s()->setValue("widthBlureLine", "11");
        QVERIFY(s()->flush());
        QCOMPARE(statements(), before + 1);
        QCOMPARE(s()->getValueDB("widthBlureLine"), QVariant("11"));
    }

    void keySignalsAlsoWhenUnchanged_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("fragment") << QString("keyFragmentScreen") << QByteArray(SIGNAL(keyFragmentScreenChanged()));
        QTest::newRow("snapshot") << QString("keySnapshotScreen") << QByteArray(SIGNAL(keySnapshotScreenChanged()));
        QTest::newRow("quick") << QString("keyQuickFragmentScreen") << QByteArray(SIGNAL(keyQuickFragmentScreenChanged()));
        QTest::newRow("username") << QString("username") << QByteArray(SIGNAL(userNameChanges(QString)));
        QTest::newRow("useravatar") << QString("useravatar") << QByteArray(SIGNAL(userAvatarChanges(QString)));
    }
    void keySignalsAlsoWhenUnchanged()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, signal);
        QSignalSpy spy(s(), signal.constData());
        s()->setValue(key, "same");
        s()->setValue(key, "same");
        QCOMPARE(spy.count(), 2);
        if (spy.first().size() == 1)
            QCOMPARE(spy.first().first().toString(), QString("same"));
    }

    void encryptionIsForcedForLogins()
    {
        s()->setValue("token", "account-token");
        s()->setValue("ftp_user", "alice", false);
        QVERIFY(s()->flush());
        const QString cipher = s()->getValueDB("ftp_user").toString();
        QVERIFY(!cipher.isEmpty());
        QVERIFY(cipher != "alice");
        QCOMPARE(pryx::decryptWithKey(cipher, fileBytes(pryx::valueKeyPath())), QString("alice"));
        QCOMPARE(decryptString(cipher, "account-token"), QString());
        QCOMPARE(s()->getValue("ftp_user", false).toString(), QString("alice"));
        QCOMPARE(fileBytes(pryx::databasePath()).count("alice"), 0);
    }

    // The key of the encrypted values is the installation's, not the
    // account token: a new login or a logout leaves them readable.
    void tokenChangeKeepsEncryptedValues()
    {
        s()->setValue("token", "token-one");
        s()->setValue("sftp_password", "pw-one");
        QCOMPARE(s()->getValue("sftp_password").toString(), QString("pw-one"));
        s()->setValue("token", "token-two");
        QCOMPARE(s()->getValue("sftp_password").toString(), QString("pw-one"));
        s()->setValue("token", "");
        QCOMPARE(s()->getValue("sftp_password").toString(), QString("pw-one"));
        QVERIFY(s()->flush());
        QCOMPARE(pryx::decryptWithKey(s()->getValueDB("sftp_password").toString(), fileBytes(pryx::valueKeyPath())),
                 QString("pw-one"));
    }

    void encryptedKeyIsAlwaysWritten()
    {
        // The cache holds a fresh ciphertext, never equal to the value given:
        // clearing the key must replace the old ciphertext in the file.
        s()->setValue("ftp_password", "old secret");
        QVERIFY(s()->flush());
        QVERIFY(!s()->getValueDB("ftp_password").toString().isEmpty());
        s()->setValue("ftp_password", "");
        QCOMPARE(s()->getValue("ftp_password"), QVariant(QString("")));
        QVERIFY(s()->flush());
        const quint64 before = statements();
        s()->setValue("ftp_password", "");
        QVERIFY(s()->flush());
        QCOMPARE(statements(), before + 1);
        QCOMPARE(s()->getValueDB("ftp_password"), QVariant(QString("")));
    }

    // A read through the store runs no events while it waits for the
    // database thread, so nothing can be freed under its caller.
    void readThroughTheStoreRunsNoEvents()
    {
        s()->setValueDB("nestOuter", "outer value");
        QVERIFY(s()->flush());
        auto gate = std::make_shared<QSemaphore>(0);
        QMetaObject::invokeMethod(s()->database()->worker(), [gate] { gate->acquire(); }, Qt::QueuedConnection);
        std::thread release([gate] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            gate->release();
        });
        auto *doomed = new QObject;
        QPointer<QObject> watch(doomed);
        doomed->deleteLater();
        bool fired = false;
        QTimer::singleShot(0, this, [&] { fired = true; });
        const QString value = s()->getValue("nestOuter").toString();
        const bool firedDuringRead = fired;
        const bool aliveAfterRead = !watch.isNull();
        release.join();
        QCOMPARE(value, QString("outer value"));
        QVERIFY(!firedDuringRead);
        QVERIFY(aliveAfterRead);
        QTRY_VERIFY(fired);
        QTRY_VERIFY(watch.isNull());
    }

    // A database thread that stops answering costs one read time-out; later
    // reads give what is in memory (or the default) at once, writes stay
    // queued, and the stall is reported once.
    void stalledThreadCostsOneTimeout()
    {
        s()->setValueDB("stallA", "a");
        s()->setValueDB("stallB", "b");
        QVERIFY(s()->flush());
        QSignalSpy errors(s(), &Setting::databaseError);
        QSignalSpy changed(s(), &Setting::valueChanged);
        auto gate = std::make_shared<QSemaphore>(0);
        QMetaObject::invokeMethod(s()->database()->worker(), [gate] { gate->acquire(); }, Qt::QueuedConnection);

        QElapsedTimer clock;
        clock.start();
        QVERIFY(s()->getValue("stallA").isNull());
        const qint64 first = clock.elapsed();
        QVERIFY2(first >= 9000, qPrintable(QString::number(first)));
        clock.restart();
        QVERIFY(s()->getValue("stallB").isNull());
        QCOMPARE(s()->getValue("keySendScreen").toString(), QString("Ctrl + Enter"));   // the default
        QCOMPARE(s()->getValue("ftp_password").toString(), QString(""));
        for (int i = 0; i < 20; ++i)
            QVERIFY(s()->getValue(QString("stallMissing%1").arg(i)).isNull());
        s()->setValue("stallWritten", "w");
        QCOMPARE(s()->getValue("stallWritten").toString(), QString("w"));
        const qint64 rest = clock.elapsed();
        QVERIFY2(rest < 2000, qPrintable(QString::number(rest)));
        QCOMPARE(errors.count(), 1);
        QVERIFY(errors.first().first().toString().contains("does not answer"));

        gate->release();
        QTRY_VERIFY(!s()->database()->isStalled());
        // Listeners are told to read again, and reads reach the file again:
        // nothing read during the stall was remembered as missing.
        QTRY_VERIFY(!changed.isEmpty() && changed.last().at(0).toString().isEmpty());
        QCOMPARE(s()->getValue("stallA").toString(), QString("a"));
        QCOMPARE(s()->getValue("stallB").toString(), QString("b"));
        QVERIFY(s()->flush());
        QCOMPARE(s()->getValueDB("stallWritten").toString(), QString("w"));
        QCOMPARE(errors.count(), 1);
    }

    void widthColorLineWritesOnlyChanges()
    {
        QSignalSpy changed(s(), &Setting::valueChanged);
        s()->setWidthColorLine(s()->widthColorLine());
        QCOMPARE(changed.count(), 0);
        s()->setWidthColorLine("5");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(s()->widthColorLine(), QVariant("5"));
    }

    void lastGraphToolsSignal()
    {
        QSignalSpy spy(s(), &Setting::lastGraphToolsChanged);
        s()->setLastGraphTools("Arrow");
        QCOMPARE(spy.count(), 1);
        QCOMPARE(s()->lastGraphTools(), QVariant("Arrow"));
    }

    void resetDefaultEndsWithEmptyChange()
    {
        QSignalSpy changed(s(), &Setting::valueChanged);
        s()->resetDefault();
        QCOMPARE(changed.count(), 18);
        QCOMPARE(changed.last().at(0).toString(), QString(""));
        QCOMPARE(changed.last().at(1).toString(), QString(""));
        QCOMPARE(s()->getValue("keyFragmentScreen").toString(), QString("Print Screen"));
        QCOMPARE(s()->showMagnifier(), QVariant(true));
        s()->resetHootKey();
        QCOMPARE(s()->getValue("keyFragmentScreen").toString(), QString("Ctrl + Print Screen"));
    }

    // The authorisation host as the pages see it: read each time, "-beta"
    // above the environment.
    void currentHostUrlFollowsTheHost()
    {
        const QByteArray saved = qgetenv("PRYX_AUTH_HOST");
        qputenv("PRYX_AUTH_HOST", "127.0.0.1:1001");
        QCOMPARE(s()->currentHostUrl().toString(), QString("127.0.0.1:1001"));
        pryx::setServiceHostOverride(pryx::Service::Auth, "beta-auth.test");
        QCOMPARE(s()->currentHostUrl().toString(), QString("beta-auth.test"));
        pryx::setServiceHostOverride(pryx::Service::Auth, QString());
        qputenv("PRYX_AUTH_HOST", "127.0.0.1:1002");
        QCOMPARE(s()->currentHostUrl().toString(), QString("127.0.0.1:1002"));
        qputenv("PRYX_AUTH_HOST", saved);
    }

    // The game-capture folder is chosen in the folder dialog of platform/.
    void saveGamePathFromFolderDialog()
    {
        QString answer = QStringLiteral("/tmp/games folder");
        QString title;
        int asked = 0;
        pryx::platform::setDialogAnswerer([&](pryx::platform::DialogKind kind, const QString &t, const QString &, const QString &) {
            ++asked;
            title = t;
            return kind == pryx::platform::DialogKind::Folder ? answer : QString();
        });
        QSignalSpy changed(s(), &Setting::valueChanged);
        s()->changeSaveGamePath();
        QCOMPARE(asked, 1);
        QCOMPARE(title, QString("Slect screen capture game path"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), QString("saveGamePath"));
        QCOMPARE(changed.at(0).at(1).toString(), answer);
        QCOMPARE(s()->saveGamePath().toString(), answer);
        QCOMPARE(QSettings(pryx::platform::registryFilePath(), QSettings::IniFormat)
                     .value("Pryx/game_tmp").toString(), answer);

        // A cancelled dialog changes nothing.
        answer.clear();
        s()->changeSaveGamePath();
        pryx::platform::setDialogAnswerer({});
        QCOMPARE(asked, 2);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(s()->saveGamePath().toString(), QString("/tmp/games folder"));
        pryx::platform::removeRegistryValue("HKEY_CURRENT_USER\\Software\\Pryx\\", "game_tmp");
    }

    void autostartEntry()
    {
        s()->setAutostart(true);
        QVERIFY(pryx::platform::autostartEnabled());
        QFile f(pryx::platform::autostartFilePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        f.close();
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(text.contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));
        QVERIFY(text.contains("\nHidden=false\n"));

        s()->setAutostart(false);
        QVERIFY(QFile::exists(pryx::platform::autostartFilePath()));
        QVERIFY(!pryx::platform::autostartEnabled());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains("\nHidden=true\n"));

        // Other keys and the reset signal leave the entry alone.
        const QDateTime stamp = QFileInfo(f).lastModified();
        s()->changeValue("", "");
        s()->changeValue("useProxy", 1);
        QCOMPARE(QFileInfo(pryx::platform::autostartFilePath()).lastModified(), stamp);
    }

    void execValueQuoting_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << QString("/opt/pryx/pryx") << QString("\"/opt/pryx/pryx\"");
        QTest::newRow("space") << QString("/my apps/pryx") << QString("\"/my apps/pryx\"");
        QTest::newRow("specials") << QString("/a$b`c\"d\\e%f") << QString("\"/a\\\\$b\\\\`c\\\\\"d\\\\\\\\e%%f\"");
    }
    void execValueQuoting()
    {
        QFETCH(QString, path);
        QFETCH(QString, exec);
        QCOMPARE(pryx::platform::desktopExecValue(path), exec);
    }

    void gamePathInRegistryFile()
    {
        QSignalSpy changed(s(), &Setting::valueChanged);
        QCOMPARE(s()->saveGamePath(), QVariant(QString("")));
        s()->setSaveGamePath("/home/u/games");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().at(0).toString(), QString("saveGamePath"));
        QCOMPARE(s()->saveGamePath().toString(), QString("/home/u/games"));
        const QString ini = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Pryx/registry.ini";
        QCOMPARE(pryx::platform::registryFilePath(), ini);
        QSettings raw(ini, QSettings::IniFormat);
        QCOMPARE(raw.value("Pryx/game_tmp").toString(), QString("/home/u/games"));
        QVERIFY(s()->getValueDB("game_tmp").isNull());
    }

    void otherLanguageKeepsTranslator()
    {
        QSignalSpy spy(s(), &Setting::languageChanged);
        s()->setLanguage("de");
        QCOMPARE(spy.count(), 1);
        s()->setLanguage("ru");   // missing translation files are harmless
        QCOMPARE(spy.count(), 2);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--driver") == 0)
        return runDriver(app.arguments().mid(2));
    TestSetting test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_setting.moc"
