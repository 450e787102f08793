// "Run application on system boot" and the session's autostart entry agree
// from the first start of the real program: the entry file and the settings
// file are looked at as they lie on disk.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "core/base/paths.h"
#include "platform/autostart.h"
#include "support/pryxchild.h"
#include "support/testsupport.h"

namespace {

const QByteArray kLoopStarted = "QApplication is valid, starting event loop...";

QByteArray entryText(bool enabled)
{
    return QByteArray("[Desktop Entry]\nType=Application\nName=Pryx\nExec=\"/opt/pryx/pryx\"\nHidden=")
        + (enabled ? "false" : "true") + "\n";
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The stored "autostart" as the settings file holds it.
QString storedAutostart()
{
    QString value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
        db.setDatabaseName(pryx::databasePath());
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec("SELECT value FROM Settings WHERE name = 'autostart'") && q.next())
                value = q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase("check");
    return value;
}

bool setStoredAutostart(const QString &value)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "write");
        db.setDatabaseName(pryx::databasePath());
        if (db.open()) {
            QSqlQuery q(db);
            q.prepare("UPDATE Settings SET value = ? WHERE name = 'autostart'");
            q.addBindValue(value);
            ok = q.exec() && q.numRowsAffected() == 1;
        }
    }
    QSqlDatabase::removeDatabase("write");
    return ok;
}

bool isOn(const QString &stored) { return !stored.isEmpty() && stored != "0" && stored != "false"; }

bool runOnce()
{
    pryx::test::RunningChild pryx;
    if (!pryx.start(pryx::test::programPath(), {"-debug"}) || !pryx.waitFor(kLoopStarted, 15000))
        return false;
    pryx.stop();
    return true;
}

} // namespace

class TestAutostart : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir(pryx::dataPath()).removeRecursively();
        QFile::remove(pryx::platform::autostartFilePath());
    }

    // A fresh profile: the box shows ticked, and the entry is there.
    void freshProfile()
    {
        QVERIFY(runOnce());
        QVERIFY(isOn(storedAutostart()));
        const QByteArray entry = readFile(pryx::platform::autostartFilePath());
        QVERIFY2(entry.contains("\nHidden=false\n"), entry.constData());
        QVERIFY(entry.contains("\nExec=\"" + QFile::encodeName(pryx::test::programPath()) + "\"\n"));
    }

    // A later start with the two apart: a missing entry is written from the
    // setting; an entry that exists (the desktop's own settings may have
    // switched it) is taken into the setting and left as it is.
    void laterStart_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("entry");   // "none", "on", "off"
        QTest::addColumn<bool>("on");
        QTest::newRow("on, no entry") << "1" << "none" << true;
        QTest::newRow("off, no entry") << "0" << "none" << false;
        QTest::newRow("on, entry switched off") << "1" << "off" << false;
        QTest::newRow("off, entry switched on") << "false" << "on" << true;
        QTest::newRow("on, entry on") << "true" << "on" << true;
    }
    void laterStart()
    {
        QFETCH(QString, stored);
        QFETCH(QString, entry);
        QFETCH(bool, on);
        QVERIFY(runOnce());   // makes the settings file
        QVERIFY(setStoredAutostart(stored));
        const QString file = pryx::platform::autostartFilePath();
        QFile::remove(file);
        QByteArray before;
        if (entry != "none") {
            before = entryText(entry == "on");
            QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(before);
        }

        QVERIFY(runOnce());
        QCOMPARE(isOn(storedAutostart()), on);
        QCOMPARE(pryx::platform::autostartEnabled(), on);
        if (entry != "none")
            QCOMPARE(readFile(file), before);
        else
            QCOMPARE(QFile::exists(file), on);
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
