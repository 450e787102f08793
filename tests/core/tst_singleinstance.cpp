// One running program per data folder, through real processes: a later start
// hands its command line to the running one and ends; a crashed instance's
// socket and lock are taken over; starts at the same moment leave one
// program; a data folder too deep for a socket address still works.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <csignal>
#include <memory>
#include <vector>

#include "core/base/paths.h"
#include "support/pryxchild.h"
#include "support/testsupport.h"

namespace {

const QByteArray kLoopStarted = "QApplication is valid, starting event loop...";
const QByteArray kHandedOver = "SingleApplication: Pryx already runs, the command line was handed to it";
const QByteArray kReceived = "SingleApplication::handle(const QByteArray&)";

QString socketFile() { return pryx::dataPath() + "pryx.socket"; }

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

    std::unique_ptr<pryx::test::RunningChild> first_;

    // A later start in workingDir; true when it handed over and ended with 0.
    static bool secondStart(const QStringList &args, const QString &workingDir = QString(),
                            const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(),
                            QByteArray *output = nullptr)
    {
        pryx::test::RunningChild second;
        if (!workingDir.isEmpty())
            second.process().setWorkingDirectory(workingDir);
        if (!second.start(pryx::test::programPath(), QStringList{"-debug"} + args, env))
            return false;
        const bool ended = second.waitForExit(20000);
        if (output)
            *output = second.output();
        if (!ended || second.process().exitStatus() != QProcess::NormalExit || second.process().exitCode() != 0) {
            qWarning("second start: %s", second.output().constData());
            return false;
        }
        return second.output().contains(kHandedOver) && !second.output().contains("Core::Core");
    }

    bool startFirst(const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
    {
        first_.reset(new pryx::test::RunningChild);
        return first_->start(pryx::test::programPath(), {"-debug"}, env) && first_->waitFor(kLoopStarted, 15000);
    }

private slots:
    void cleanup()
    {
        if (QTest::currentTestFailed() && first_)
            fprintf(stderr, "--- first instance ---\n%s\n---\n", first_->output().right(5000).constData());
        first_.reset();
    }

    // What a later start asks for reaches the running program, with file
    // names made absolute against the later start's folder.
    void handOver_data()
    {
        const QString dir = pryx::test::testRoot() + "/cwd";
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("expected");   // lines of the running program
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("a file, relative") << QStringList{"shot.png"}
            << QStringList{"Core::uploadData(QStringList) (\"" + dir + "/shot.png\")"} << QStringList{};
        QTest::newRow("two files in one zip") << QStringList{"a.png", "-z", "sub/../b.png"}
            << QStringList{"Core::uploadDataZip(QStringList) (\"" + dir + "/a.png\", \"" + dir + "/b.png\")"}
            << QStringList{"Core::uploadData("};
        QTest::newRow("absolute file") << QStringList{"/srv/x.png"}
            << QStringList{"Core::uploadData(QStringList) (\"/srv/x.png\")"} << QStringList{};
        QTest::newRow("image with audio") << QStringList{"x.pia", "-o"}
            << QStringList{"Core::openAudioImage(QString) \"" + dir + "/x.pia\""} << QStringList{"Core::uploadData"};
        QTest::newRow("; and \\ in a name") << QStringList{"a;b\\c.png", "d.png"}
            << QStringList{"Core::uploadData(QStringList) (\"" + dir + "/a;b\\\\c.png\", \"" + dir + "/d.png\")"}
            << QStringList{};
        QTest::newRow("-screen") << QStringList{"-screen"}
            << QStringList{"Core::screen(bool, bool) false false"} << QStringList{"Core::uploadData"};
        QTest::newRow("-full-screen wins over -screen") << QStringList{"-screen", "-full-screen"}
            << QStringList{"Core::screen(bool, bool) true false"} << QStringList{"Core::screen(bool, bool) false"};
        QTest::newRow("-quick-screen") << QStringList{"-quick-screen"}
            << QStringList{"Core::screenUpload(int, bool, QPixmap) 0 true"} << QStringList{"Core::screen("};
        QTest::newRow("nothing to do") << QStringList{}
            << QStringList{"handle(const QByteArray&) \"running_again\"", "Core::showMainWindow"}
            << QStringList{"Core::uploadData"};
        QTest::newRow("macOS screenshot skipped")
            << QStringList{"/var/folders/xy/T/screencaptureui_1/s.png", "a.png"}
            << QStringList{"SingleApplication: Ignoring macOS temporary screenshot: \"/var/folders/xy/T/screencaptureui_1/s.png\"",
                           "Core::uploadData(QStringList) (\"" + dir + "/a.png\")"}
            << QStringList{};
    }
    void handOver()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, absent);
        const QString dir = pryx::test::testRoot() + "/cwd";
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(startFirst());
        // The start-up's own main tool window first.
        QVERIFY(first_->waitFor("Core::showMainWindow", 5000));
        const QByteArray before = first_->output();

        QVERIFY(secondStart(args, dir));
        QVERIFY(first_->waitFor(kReceived, 10000, before.count(kReceived) + 1));
        for (const QString &line : expected)
            QVERIFY2(first_->waitFor(line.toUtf8(), 10000, before.count(line.toUtf8()) + 1), qPrintable(line));
        const QByteArray after = first_->output().mid(before.size());
        for (const QString &line : absent)
            QVERIFY2(!after.contains(line.toUtf8()), qPrintable(line));
    }

    // The socket lies beside the lock file, in the private data folder, and
    // only its owner may connect.
    void socketIsPrivate()
    {
        QVERIFY(startFirst());
        const QFileInfo socket(socketFile());
        QVERIFY(socket.exists());
        QCOMPARE(socket.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                         | QFile::WriteOther | QFile::ExeOther),
                 QFile::Permissions());
        QCOMPARE(QFileInfo(pryx::dataPath()).permissions() & (QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup),
                 QFile::Permissions());
    }

    // An instance that crashed left its lock and socket: the next start
    // takes both over and then answers the starts after it.
    void crashedInstanceIsTakenOver()
    {
        QVERIFY(startFirst());
        ::kill(pid_t(first_->pid()), SIGKILL);
        QVERIFY(first_->waitForExit(5000));
        QVERIFY(QFile::exists(socketFile()));
        QVERIFY(QFile::exists(pryx::dataPath() + "pryx.lock"));

        QVERIFY(startFirst());
        QVERIFY(!first_->output().contains(kHandedOver));
        QVERIFY(!first_->output().contains("another instance runs"));
        QVERIFY(secondStart({}));
        QVERIFY(first_->waitFor("\"running_again\"", 10000));
    }

    // Several starts at the same moment with no program running: one runs,
    // every other one hands its file over to it and ends.
    void startsAtTheSameMoment()
    {
        const int n = 4;
        std::vector<std::unique_ptr<pryx::test::RunningChild>> starts;
        for (int i = 0; i < n; ++i) {
            starts.emplace_back(new pryx::test::RunningChild);
            QVERIFY(starts.back()->start(pryx::test::programPath(),
                                         {"-debug", QStringLiteral("/srv/start%1.png").arg(i)}));
        }
        int ended = 0;
        pryx::test::RunningChild *running = nullptr;
        for (auto &s : starts) {
            if (s->waitForExit(20000) && s->process().exitCode() == 0 && s->output().contains(kHandedOver)) {
                ++ended;
            } else {
                QVERIFY2(s->running(), s->output().constData());
                QVERIFY2(!running, "two programs run");
                running = s.get();
            }
        }
        QCOMPARE(ended, n - 1);
        QVERIFY(running);
        QVERIFY(running->waitFor(kLoopStarted, 15000));
        // Its own file and the n - 1 handed over.
        for (int i = 0; i < n; ++i)
            QVERIFY2(running->waitFor(QStringLiteral("(\"/srv/start%1.png\")").arg(i).toUtf8(), 10000),
                     running->output().constData());
        QCOMPARE(running->output().count(kReceived), n - 1);
    }

    // A data folder deeper than a socket address can name: the socket goes
    // to the private runtime folder, and a later start still finds it.
    void deepDataFolder()
    {
        QString deep = pryx::test::testRoot() + "/deep";
        while (deep.size() < 120)
            deep += "/a-rather-long-folder-name";
        QVERIFY(QDir().mkpath(deep));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", deep);
        QVERIFY(startFirst(env));
        const QStringList sockets = QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).entryList({"pryx-*.socket"}, QDir::System);
        QCOMPARE(sockets.size(), 1);
        QVERIFY(secondStart({}, QString(), env));
        QVERIFY(first_->waitFor("\"running_again\"", 10000));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
