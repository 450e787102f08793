// `make run` on a machine without an X11 desktop: it says what Pryx needs and
// how to point it at a display, and ends with an error before building.

#include <QDir>
#include <QFile>
#include <QtTest>

#include "support/testsupport.h"

class TestMakeRun : public QObject
{
    Q_OBJECT

private slots:
    void withoutDesktop_data()
    {
        // A display number no server has taken.
        int n = 900;
        while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            ++n;
        QTest::addColumn<QString>("display");   // empty: unset
        QTest::addColumn<QByteArray>("says");
        QTest::newRow("DISPLAY unset") << QString() << QByteArray("DISPLAY is not set");
        QTest::newRow("DISPLAY empty") << QString("") << QByteArray("DISPLAY is not set");
        QTest::newRow("no server on DISPLAY") << QStringLiteral(":%1").arg(n)
                                              << QByteArray("does not answer");
    }
    void withoutDesktop()
    {
        QFETCH(QString, display);
        QFETCH(QByteArray, says);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("MAKEFLAGS");
        env.remove("MFLAGS");
        if (!display.isNull())
            env.insert("DISPLAY", display);
        const QString build = pryx::test::testRoot() + "/make-run-build";
        const pryx::test::ChildResult r = pryx::test::runChild(
            "make", {"-C", PRYX_SOURCE_DIR, "run", "BUILD=" + build}, 60000, env);
        QVERIFY(!r.timedOut);
        QVERIFY2(r.exitCode != 0, r.out.constData());
        QVERIFY2(r.err.contains("Pryx needs an X11 desktop"), r.err.constData());
        QVERIFY2(r.err.contains(says), r.err.constData());
        QVERIFY2(r.err.contains("DISPLAY=:0 make run"), r.err.constData());
        // Nothing was configured or built.
        QVERIFY(!QFile::exists(build));
    }
};

QTEST_GUILESS_MAIN(TestMakeRun)
#include "tst_makerun.moc"
