// What the settings store has to report reaches the user in the error window
// of the real Core: a damaged settings file found at start (kept aside, a
// fresh one made), and a lock that another process (the sqlite3 command
// line) holds on the file for 15 s, told once; what was written meanwhile is
// in the file once the lock is gone.
#include "core/base/paths.h"
#include "core/base/setting.h"
#include "core/core.h"
#include "windows/errorwidget.h"

#include "support/testsupport.h"
#include "support/sqlfile.h"
#include "support/topwindows.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using pryx::test::shownWindowsOf;

namespace {

QString storedValue(const QString &key)
{
    QString value = QStringLiteral("<no row>");
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("look"));
        c.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        c.setDatabaseName(pryx::databasePath());
        QSqlQuery q(c);
        if (c.open() && q.prepare(QStringLiteral("SELECT value FROM Settings WHERE name = ?"))) {
            q.addBindValue(key);
            if (q.exec() && q.next())
                value = q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("look"));
    return value;
}

} // namespace

class TstSettingError : public QObject
{
    Q_OBJECT
    const QByteArray damaged_ = "this settings file was overwritten by something else\n";

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(pryx::dataPath()));
        QFile file(pryx::databasePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(damaged_);
        file.close();
        QVERIFY(Core::instance());
    }

    void damagedFileAtStartIsShown()
    {
        QTRY_COMPARE_WITH_TIMEOUT(shownWindowsOf<ErrorWidget>().size(), 1, 10000);
        ErrorWidget *window = shownWindowsOf<ErrorWidget>().first();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QString text = window->errorText();
        QVERIFY2(text.contains("The settings file could not be read"), qPrintable(text));
        const QStringList kept = QDir(pryx::dataPath()).entryList({"setting.damaged-*"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QVERIFY2(text.contains(kept.first()), qPrintable(text));
        QFile aside(pryx::dataPath() + kept.first());
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), damaged_);

        QPointer<ErrorWidget> gone(window);
        window->close();
        QTRY_VERIFY(gone.isNull() || !gone->isVisible());
    }

    void lastingLockIsShownOnce()
    {
        Setting *s = Setting::instance();
        QVERIFY(s->flush());
        QSignalSpy reported(s, &Setting::databaseError);

        QProcess holder;
        QByteArray said;
        QVERIFY2(pryx::test::holdSqliteLock(holder, pryx::databasePath(),
                                            "INSERT OR REPLACE INTO Settings (name,value) VALUES ('fromOther','x');\n",
                                            &said),
                 said.constData());
        QElapsedTimer clock;
        clock.start();

        s->setValue(QStringLiteral("widthTextLine"), QStringLiteral("17"));
        QTRY_COMPARE_WITH_TIMEOUT(shownWindowsOf<ErrorWidget>().size(), 1, 14000);
        const QString text = shownWindowsOf<ErrorWidget>().first()->errorText();
        QVERIFY2(text.contains("in use by another program"), qPrintable(text));
        QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));

        // Held for 15 s in all, then let go.
        QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= 15000, 20000);
        holder.write("COMMIT;\n.quit\n");
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        QVERIFY(s->flush());
        QCOMPARE(storedValue(QStringLiteral("widthTextLine")), QStringLiteral("17"));
        QCOMPARE(storedValue(QStringLiteral("fromOther")), QStringLiteral("x"));
        QCOMPARE(reported.count(), 1);
        QCOMPARE(shownWindowsOf<ErrorWidget>().size(), 1);
        QVERIFY(QDir(pryx::dataPath()).entryList({"setting.damaged-*"}, QDir::Files).size() == 1);
    }
};

QTEST_MAIN(TstSettingError)
#include "tst_settingerror.moc"
