// The command line of the built program, run as a child process.

#include <QFile>
#include <QtTest>

#include "core/base/paths.h"
#include "support/pryxchild.h"
#include "support/testsupport.h"

namespace {
const QByteArray kLoopStarted = "QApplication is valid, starting event loop...";

QByteArray lines(const QStringList &list)
{
    QByteArray out;
    for (const QString &l : list)
        out += l.toUtf8() + '\n';
    return out;
}

const QStringList kHelp = {"Pryx help -----------------------------",
                           "-full-screen - capture full screen",
                           "-quick-screen - capture screen and send to pryx",
                           "-screen - capture fragment screen",
                           "<filename> - send file to pryx",
                           "<filename> -z - send file to pryx in zip",
                           "-debug - enable debug console output"};
const QStringList kBetaHelp = {"Pryx beta help -----------------------------",
                               "-beta <auth url> <api url> - for use beta server"};
} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    // Options that print a text and end the process before Core exists.
    void helpTexts_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("-help") << QStringList{"-help"} << lines(kHelp) << QByteArray();
        QTest::newRow("-help among files") << QStringList{"a.png", "-help", "b.png"} << lines(kHelp)
                                           << QByteArray();
        QTest::newRow("-beta alone") << QStringList{"-beta"} << lines(kBetaHelp) << QByteArray();
        QTest::newRow("-beta one value") << QStringList{"-beta", "auth.test"} << lines(kBetaHelp)
                                         << QByteArray();
        QTest::newRow("-beta one value, second last") << QStringList{"x", "-beta", "auth.test"}
                                                      << lines(kBetaHelp) << QByteArray();
    }
    void helpTexts()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const pryx::test::ChildResult r = pryx::test::runChild(pryx::test::programPath(), args);
        QVERIFY(!r.timedOut);
        QVERIFY(!r.crashed);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, out);
        QCOMPARE(r.err, err);   // no diagnostics without "-debug"
        QVERIFY(!QFile::exists(pryx::dataPath() + "pryx.lock"));   // Core never started
    }

    void helpWithDebug()
    {
        const pryx::test::ChildResult r =
            pryx::test::runChild(pryx::test::programPath(), {"-help", "-debug"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, lines(kHelp));
        QVERIFY(r.err.startsWith("=== PRYX DEBUG MODE ENABLED ===\n"));
        QVERIFY(r.err.contains("indexOf help 1"));
        QVERIFY(!r.err.contains("Core::Core"));
    }

    // Options and files of a program that goes on running; checked through
    // the start-up's debug lines.
    void runningStart_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");

        QTest::newRow("two files") << QStringList{"a.png", "b.png"}
            << QStringList{"Files to upload: (\"a.png\", \"b.png\")", "Core::uploadData"}
            << QStringList{"Core::uploadDataZip", "Core::openAudioImage"};
        QTest::newRow("zip, -z in the middle") << QStringList{"a.png", "-z", "b.png"}
            << QStringList{"Files to upload in zip: (\"a.png\", \"b.png\")", "Core::uploadDataZip"}
            << QStringList{"Core::uploadData(", "\"-z\""};
        QTest::newRow("zip without files") << QStringList{"-z"}
            << QStringList{"Files to upload in zip: ()", "Core::uploadDataZip"} << QStringList{};
        QTest::newRow("-o after the file") << QStringList{"x.png", "-o"}
            << QStringList{"Opening image with audio: \"x.png\"", "Core::openAudioImage"}
            << QStringList{"Core::uploadData"};
        QTest::newRow("-o before the file") << QStringList{"-o", "x.png"}
            << QStringList{"Opening image with audio: \"x.png\""}
            << QStringList{"\"-o\"", "Core::uploadData"};
        QTest::newRow("-updcomp") << QStringList{"-updcomp", "a.png", "-o"} << QStringList{}
            << QStringList{"Files to upload", "Opening image", "Core::uploadData", "Core::openAudioImage"};
        QTest::newRow("macOS screenshot skipped")
            << QStringList{"/var/folders/xy/T/screencaptureui_1/s.png", "a.png"}
            << QStringList{"Ignoring macOS temporary screenshot: \"/var/folders/xy/T/screencaptureui_1/s.png\"",
                           "Files to upload: (\"a.png\")"}
            << QStringList{};
        QTest::newRow("TemporaryItems screenshot skipped")
            << QStringList{"/Users/u/TemporaryItems/screencaptureui/s.png"}
            << QStringList{"Ignoring macOS temporary screenshot:", "Files to upload: ()"}
            << QStringList{"Core::uploadData"};
        QTest::newRow("macOS screenshot kept with -z")
            << QStringList{"-z", "/var/folders/xy/screencaptureui.png"}
            << QStringList{"Files to upload in zip: (\"/var/folders/xy/screencaptureui.png\")"}
            << QStringList{"Ignoring macOS"};
        QTest::newRow("screencaptureui elsewhere is a file")
            << QStringList{"/home/u/screencaptureui.png"}
            << QStringList{"Files to upload: (\"/home/u/screencaptureui.png\")"} << QStringList{"Ignoring macOS"};
        QTest::newRow("-beta hosts") << QStringList{"-beta", "auth.test", "api.test"}
            << QStringList{"Core::setApiHost(const QString&) \"api.test\"",
                           "Core::setAuthHost(const QString&) \"auth.test\"", "Files to upload: ()"}
            << QStringList{"auth.test\")", "Core::uploadData"};
        QTest::newRow("-beta values are no files") << QStringList{"a.png", "-beta", "auth.test", "api.test", "-z"}
            << QStringList{"Files to upload in zip: (\"a.png\")"} << QStringList{};
        QTest::newRow("-debug is no file") << QStringList{"a.png"}
            << QStringList{"Files to upload: (\"a.png\")"} << QStringList{"\"-debug\")"};
    }
    void runningStart()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        pryx::test::RunningChild child;
        QVERIFY(child.start(pryx::test::programPath(), QStringList{"-debug"} + args));
        QVERIFY2(child.waitFor(kLoopStarted), child.output().constData());
        child.stop();
        const QByteArray out = child.output();
        for (const QString &text : present)
            QVERIFY2(out.contains(text.toUtf8()), qPrintable(text + "\n---\n" + out));
        for (const QString &text : absent)
            QVERIFY2(!out.contains(text.toUtf8()), qPrintable(text + "\n---\n" + out));
        if (args.contains("-beta")) {
            const QByteArray banner =
                "!!!!!!! ------------------- START BETA MODE --------------------- !!!!!!\n"
                "!!!!!!! ------------------- auth.test api.test  --------------------- !!!!!!\n";
            QVERIFY(out.contains(banner));
        }
    }

    // The capture options, which -help lists, run their capture once the
    // program is up; they are no files.
    void captureOptionsAtStart_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("capture");
        QTest::newRow("-screen") << QStringList{"-screen"} << QByteArray("Core::screen(bool, bool) false false");
        QTest::newRow("-screen with a file") << QStringList{"a.png", "-screen"}
                                             << QByteArray("Core::screen(bool, bool) false false");
        QTest::newRow("-full-screen") << QStringList{"-full-screen"} << QByteArray("Core::screen(bool, bool) true false");
        QTest::newRow("-quick-screen") << QStringList{"-quick-screen"}
                                       << QByteArray("Core::screenUpload(int, bool, QPixmap) 0 true");
    }
    void captureOptionsAtStart()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, capture);
        pryx::test::RunningChild child;
        QVERIFY(child.start(pryx::test::programPath(), QStringList{"-debug"} + args));
        QVERIFY2(child.waitFor(capture, 15000), child.output().constData());
        child.stop();
        const QByteArray out = child.output();
        // After the start-up, from the event loop.
        QVERIFY(out.indexOf(kLoopStarted) < out.indexOf(capture));
        QVERIFY(!out.contains("Core::uploadData"));
        QVERIFY(!out.contains("File does not exist"));
    }

    // Without "-debug" a running program writes no diagnostics.
    void quietWithoutDebug()
    {
        QFile::remove(pryx::dataPath() + "pryx.lock");
        QProcess child;
        child.start(pryx::test::programPath(), {"a.png", "-o"});
        QVERIFY(child.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pryx::dataPath() + "pryx.lock"), 10000);
        QTest::qWait(700);   // past the first timers
        QCOMPARE(child.state(), QProcess::Running);
        child.terminate();
        QVERIFY(child.waitForFinished(5000));
        QCOMPARE(child.readAllStandardError(), QByteArray());
        QVERIFY(!child.readAllStandardOutput().contains("Opening image"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
