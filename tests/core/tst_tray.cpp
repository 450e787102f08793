// The notification-area icon under a real tray host (trayer on a private
// Xvfb), its clicks, and the shutdown through exitApp.

#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "core/base/paths.h"
#include "support/pryxchild.h"
#include "support/testsupport.h"
#include "support/xtray.h"

namespace {
const QByteArray kLoopStarted = "QApplication is valid, starting event loop...";
const QByteArray kScreen = "void Core::screen(bool, bool) false false";
const QByteArray kMainWindow = "void Core::showMainWindow()";
} // namespace

class TestTray : public QObject
{
    Q_OBJECT
    pryx::test::TrayDisplay display_;

    QProcessEnvironment env(const QString &desktop = QString()) const
    {
        QProcessEnvironment e = display_.environment();
        if (desktop.isEmpty())
            e.remove("XDG_CURRENT_DESKTOP");
        else
            e.insert("XDG_CURRENT_DESKTOP", desktop);
        return e;
    }

private slots:
    void initTestCase() { QVERIFY2(display_.start(), qPrintable(display_.error())); }
    void cleanupTestCase() { display_.stop(); }

    void oneIconAndItsClicks()
    {
        pryx::test::RunningChild pryx;
        QVERIFY(pryx.start(pryx::test::programPath(), {"-debug"}, env()));
        QVERIFY2(display_.waitForTrayIcons("pryx", 1, 10000), pryx.output().constData());
        // The main tool window is asked for once, 500 ms after start.
        QVERIFY(pryx.waitFor(kMainWindow, 5000));
        QTest::qWait(300);
        const int shown = pryx.count(kMainWindow);
        const QPoint icon = display_.trayIcons("pryx").value(0);

        // A single click starts a region capture.
        QVERIFY(display_.click(icon, 1));
        QVERIFY2(pryx.waitFor(kScreen, 5000), pryx.output().constData());
        QTest::qWait(700);   // past the double-click interval
        QCOMPARE(pryx.count(kMainWindow), shown);

        // A double click shows the main tool window and starts no capture.
        const int screens = pryx.count(kScreen);
        QVERIFY(display_.click(icon, 1, 2));
        QVERIFY(pryx.waitFor(kMainWindow, 5000, shown + 1));
        QTest::qWait(700);
        QCOMPARE(pryx.count(kScreen), screens);
        const int afterDouble = pryx.count(kMainWindow);

        // So does a middle click.
        QVERIFY(display_.click(icon, 2));
        QVERIFY(pryx.waitFor(kMainWindow, 5000, afterDouble + 1));

        QCOMPARE(display_.trayIcons("pryx").size(), 1);
        pryx.stop();
        QVERIFY(display_.waitForTrayIcons("pryx", 0, 5000));
    }

    // On these desktops only the single click acts.
    void desktopsWithOwnMenus_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::newRow("KDE") << "KDE";
        QTest::newRow("GNOME") << "GNOME";
        QTest::newRow("XFCE") << "XFCE";
    }
    void desktopsWithOwnMenus()
    {
        QFETCH(QString, desktop);
        pryx::test::RunningChild pryx;
        QVERIFY(pryx.start(pryx::test::programPath(), {"-debug"}, env(desktop)));
        QVERIFY(display_.waitForTrayIcons("pryx", 1, 10000));
        QVERIFY(pryx.waitFor(kMainWindow, 5000));
        const QPoint icon = display_.trayIcons("pryx").value(0);
        const int shown = pryx.count(kMainWindow);

        QVERIFY(display_.click(icon, 2));
        QVERIFY(display_.click(icon, 1));
        QVERIFY(pryx.waitFor(kScreen, 5000));
        QTest::qWait(700);
        QCOMPARE(pryx.count(kMainWindow), shown);

        // A double click does nothing there: not even its first click.
        const int screens = pryx.count(kScreen);
        QVERIFY(display_.click(icon, 1, 2));
        QTest::qWait(1000);
        QCOMPARE(pryx.count(kScreen), screens);
        QCOMPARE(pryx.count(kMainWindow), shown);
    }

    // Run as a user runs it (no QT_QUICK_BACKEND), the start-up windows are
    // drawn without OpenGL: no GL driver is loaded, shown or hidden.
    void pagesDrawnWithoutOpenGl()
    {
        QProcessEnvironment e = env();
        e.remove("QT_QUICK_BACKEND");
        e.remove("QMLSCENE_DEVICE");
        pryx::test::RunningChild pryx;
        QVERIFY(pryx.start(pryx::test::programPath(), {"-debug"}, e));
        QVERIFY(display_.waitForTrayIcons("pryx", 1, 10000));
        QVERIFY(pryx.waitFor(kMainWindow, 5000));
        // The main tool window and the login window are mapped.
        auto shown = [&] {
            QProcess p;
            p.setProcessEnvironment(e);
            p.start("xdotool", {"search", "--onlyvisible", "--pid", QString::number(pryx.pid())});
            p.waitForFinished(5000);
            int big = 0;
            for (const QByteArray &id : p.readAllStandardOutput().split('\n')) {
                if (id.trimmed().isEmpty())
                    continue;
                QProcess g;
                g.setProcessEnvironment(e);
                g.start("xdotool", {"getwindowgeometry", QString::fromLatin1(id.trimmed())});
                g.waitForFinished(5000);
                const QRegularExpressionMatch m =
                    QRegularExpression("Geometry: (\\d+)x").match(QString::fromLatin1(g.readAllStandardOutput()));
                big += m.hasMatch() && m.captured(1).toInt() > 100;
            }
            return big;
        };
        QTRY_VERIFY_WITH_TIMEOUT(shown() >= 2, 10000);
        QTest::qWait(500);
        QFile maps(QStringLiteral("/proc/%1/maps").arg(pryx.pid()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray all = maps.readAll();
        for (const QByteArray lib : {"_dri.so", "libGLX_mesa", "libLLVM"})
            QVERIFY2(!all.contains(lib), lib.constData());
        pryx.stop();
        QVERIFY(display_.waitForTrayIcons("pryx", 0, 5000));
    }

    // A second start hands its command line to the running program and
    // ends: the tray keeps one icon.
    void secondStartLeavesOneIcon()
    {
        pryx::test::RunningChild first, second;
        QVERIFY(first.start(pryx::test::programPath(), {"-debug"}, env()));
        QVERIFY(display_.waitForTrayIcons("pryx", 1, 10000));
        QVERIFY(second.start(pryx::test::programPath(), {"-debug"}, env()));
        QVERIFY(second.waitForExit(15000));
        QCOMPARE(second.process().exitCode(), 0);
        QVERIFY2(second.output().contains("the command line was handed to it"), second.output().constData());
        QCOMPARE(display_.trayIcons("pryx").size(), 1);
        first.stop();
        QVERIFY(display_.waitForTrayIcons("pryx", 0, 5000));
    }

    // exitApp removes the icon and ends the process at once, after the
    // settings writes still queued have reached the database.
    void exitAppWithQueuedWrites()
    {
        pryx::test::RunningChild driver;
        QVERIFY(driver.start(PRYX_CORE_DRIVER, {"exit-with-writes", "200"}, env()));
        QVERIFY(driver.waitFor("CORE READY", 10000));
        QVERIFY(display_.waitForTrayIcons("pryx_coredriver", 1, 10000));
        driver.process().write("go\n");
        QVERIFY(driver.waitForExit(10000));
        QCOMPARE(driver.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(driver.process().exitCode(), 0);
        QVERIFY(display_.waitForTrayIcons("pryx_coredriver", 0, 5000));

        if (!QFile::exists(pryx::databasePath()))
            QSKIP("the settings store writes no database file yet");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
            db.setDatabaseName(pryx::databasePath());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("SELECT name, value FROM Settings WHERE name LIKE 'exit_test_%'"));
            QHash<QString, QString> rows;
            while (q.next())
                rows.insert(q.value(0).toString(), q.value(1).toString());
            QCOMPARE(rows.size(), 200);
            QCOMPARE(rows.value("exit_test_0"), QString("value 0"));
            QCOMPARE(rows.value("exit_test_199"), QString("value 199"));
        }
        QSqlDatabase::removeDatabase("check");
    }
};

QTEST_GUILESS_MAIN(TestTray)
#include "tst_tray.moc"
