// Updates through the real program: download from the update host, the
// hand-over at the next start that replaces the installed program and its
// audio library, the start of the new program with the user's arguments, a
// program folder that is not writable, a new program that does not start,
// and the leftovers an interrupted run leaves.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <csignal>
#include <sys/types.h>

#include "core/base/paths.h"
#include "support/standin.h"
#include "support/testsupport.h"

namespace {

const QByteArray kLoopStarted = "QApplication is valid, starting event loop...";
const QByteArray kLibraryMark = "\n-- the audio library of the update --\n";

QString feedDir() { return pryx::test::testRoot() + "/feed"; }

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes, QFile::Permissions perms = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return false;
    f.close();
    return perms == QFile::Permissions() || QFile::setPermissions(path, perms);
}

const QFile::Permissions kExecutable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                       | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser
                                       | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                                       | QFile::ExeOther;

QString md5Of(const QByteArray &body)
{
    return QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex());
}

// An update archive: the given files at its top, executable ones 0755.
QByteArray updateArchive(const QList<QPair<QString, QByteArray>> &files)
{
    const QString path = pryx::test::testRoot() + "/u-build.zip";
    QFile::remove(path);
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return QByteArray();
    for (const auto &f : files) {
        QuaZipNewInfo info(f.first);
        info.externalAttr = quint32(0100755) << 16;
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, info, nullptr, 0, Z_DEFLATED, 1))
            return QByteArray();
        file.write(f.second);
        file.close();
    }
    zip.close();
    return readFile(path);
}

QByteArray feedXml(const QString &version, const QString &link, const QString &md5)
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n<server version=\"7.1\" session=\"s\">"
                          "<update error=\"0\"><version critical=\"0\" license=\"0\">%1</version>"
                          "<link>%2</link><md5>%3</md5></update></server>\n")
        .arg(version, link, md5)
        .toUtf8();
}

// A picture with a sound, in the library's format.
QByteArray piaFile()
{
    QByteArray header("PRYXPIA\0", 8);
    const auto le = [](quint64 v, int bytes) {
        QByteArray b;
        for (int i = 0; i < bytes; ++i)
            b += char((v >> (8 * i)) & 0xff);
        return b;
    };
    return header + le(1, 4) + le(3, 8) + le(4, 8) + "img" + "snd!";
}

QStringList cmdline(qint64 pid)
{
    const QByteArray raw = readFile(QStringLiteral("/proc/%1/cmdline").arg(pid));
    QStringList out;
    for (const QByteArray &part : raw.split('\0'))
        out << QString::fromLocal8Bit(part);
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

bool alive(qint64 pid) { return pid > 0 && ::kill(pid_t(pid), 0) == 0; }

// One run of the program with its output in a log file, which a program it
// hands over to keeps writing to.
class Run
{
public:
    ~Run() { stop(); }
    bool start(const QString &program, const QStringList &args, const QString &log)
    {
        log_ = log;
        QFile::remove(log);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.setStandardOutputFile(log);
        process_.start(program, args);
        return process_.waitForStarted(10000);
    }
    QByteArray text() const { return readFile(log_); }
    bool waitFor(const QByteArray &needle, int timeoutMs = 30000) const
    {
        return QTest::qWaitFor([&] { return text().contains(needle); }, timeoutMs);
    }
    bool waitForExit(int timeoutMs = 60000)
    {
        return process_.state() == QProcess::NotRunning || process_.waitForFinished(timeoutMs);
    }
    int exitCode() const { return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1; }
    bool running() const { return process_.state() != QProcess::NotRunning; }
    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

private:
    QProcess process_;
    QString log_;
};

} // namespace

class TestHandOver : public QObject
{
    Q_OBJECT

    pryx::test::StandIn standIn_;
    QList<qint64> handedOver_;   // programs our runs started, ended in cleanup()

    QString install() const { return pryx::test::testRoot() + "/install"; }
    QString installed() const { return install() + "/pryx"; }
    QString link() const { return "https://" + standIn_.host() + "/files/u.zip"; }

    int downloads() const
    {
        int n = 0;
        for (const pryx::test::StandInRequest &r : standIn_.requests())
            n += r.path.startsWith("/files/");
        return n;
    }
    int feedRequests() const
    {
        int n = 0;
        for (const pryx::test::StandInRequest &r : standIn_.requests())
            n += r.path.startsWith("/current_version_");
        return n;
    }

    void serve(const QString &version, const QByteArray &archive)
    {
        QVERIFY(writeFile(feedDir() + "/u.zip", archive));
        QVERIFY(writeFile(feedDir() + "/feed-linux_x86_64.xml", feedXml(version, link(), md5Of(archive))));
    }

    // The pid the new program announces once it is up.
    qint64 confirmedPid(const QByteArray &log)
    {
        const QRegularExpressionMatch m =
            QRegularExpression("hand-over confirmed, pid (\\d+)").match(QString::fromUtf8(log));
        const qint64 pid = m.hasMatch() ? m.captured(1).toLongLong() : 0;
        if (pid > 0 && !handedOver_.contains(pid))
            handedOver_ << pid;
        return pid;
    }

    // The program of this build, installed in a folder of its own with its library.
    void installProgram()
    {
        QDir(install()).removeRecursively();
        QVERIFY(QDir().mkpath(install()));
        QVERIFY(QFile::copy(pryx::test::programPath(), installed()));
        QVERIFY(QFile::copy(PRYX_AUDIOLIB, install() + "/audiolib.so"));
    }

    QStringList leftovers() const
    {
        return QDir(install()).entryList({"*.old", ".*.new-*"}, QDir::Files | QDir::Hidden | QDir::System);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(feedDir()));
        qputenv("PRYX_UPDATE_ROUTES_DIR", feedDir().toLocal8Bit());
        standIn_.addRouteFile(pryx::test::supportDir() + "/updateroutes.py");
        QVERIFY2(standIn_.start(), qPrintable(standIn_.error()));
        qputenv("PRYX_UPDATE_HOST", standIn_.host().toLatin1());
        QVERIFY(QFileInfo(PRYX_NEXT_PROGRAM).isExecutable());
    }

    void init()
    {
        standIn_.clearLog();
        QFile::remove(feedDir() + "/feed-linux_x86_64.xml");
        QDir(pryx::updatePath()).removeRecursively();
        QFile::remove(pryx::databasePath());   // what earlier runs noted about updates
        installProgram();
    }

    void cleanup()
    {
        for (qint64 pid : handedOver_) {
            if (alive(pid)) {
                ::kill(pid_t(pid), SIGTERM);
                if (!QTest::qWaitFor([pid] { return !alive(pid); }, 5000))
                    ::kill(pid_t(pid), SIGKILL);
            }
        }
        handedOver_.clear();
    }

    // One run downloads the update; the next start puts the new program
    // and its library in place of the installed ones and runs it with the
    // user's arguments; the start after that downloads nothing.
    void updateReplacesTheProgram()
    {
        const QByteArray next = readFile(PRYX_NEXT_PROGRAM);
        const QByteArray library = readFile(PRYX_AUDIOLIB) + kLibraryMark;
        QVERIFY(!next.isEmpty());
        serve(PRYX_NEXT_VERSION, updateArchive({{"pryx", next}, {"audiolib.so", library}}));
        const QString pia = pryx::test::testRoot() + "/voice comment.pia";
        QVERIFY(writeFile(pia, piaFile()));
        const QStringList args{"-debug", "-o", pia};

        // The installed version finds the update and unpacks it.
        {
            Run first;
            QVERIFY(first.start(installed(), args, pryx::test::testRoot() + "/run1.log"));
            QVERIFY2(QTest::qWaitFor([] { return QFileInfo::exists(pryx::updatePath() + ".version"); }, 60000),
                     first.text().constData());
            QCOMPARE(readFile(pryx::updatePath() + "pryx"), next);
            QCOMPARE(readFile(pryx::updatePath() + "audiolib.so"), library);
            first.stop();
        }
        QCOMPARE(downloads(), 1);

        // The next start hands over.
        Run second;
        QVERIFY(second.start(installed(), args, pryx::test::testRoot() + "/run2.log"));
        QVERIFY2(second.waitForExit(90000), second.text().constData());
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(second.waitFor("hand-over confirmed"), second.text().constData());
        const qint64 pid = confirmedPid(second.text());
        QVERIFY(alive(pid));
        // The new program runs from the installed place, with the arguments
        // the user gave, and reads the voice comment through its library.
        QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget(), installed());
        QCOMPARE(cmdline(pid), QStringList{installed()} + args);
        QVERIFY2(second.waitFor("image size =  3"), second.text().constData());
        QCOMPARE(readFile(installed()), next);
        QCOMPARE(readFile(install() + "/audiolib.so"), library);
        QVERIFY(QFileInfo(installed()).isExecutable());
        QTRY_COMPARE(leftovers(), QStringList());   // the old files went once the new one was up
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));
        // It checks for updates too, and finds itself current.
        QVERIFY(QTest::qWaitFor([&] { return feedRequests() >= 2; }, 30000));
        QTest::qWait(500);
        QCOMPARE(downloads(), 1);
        ::kill(pid_t(pid), SIGTERM);
        QVERIFY(QTest::qWaitFor([pid] { return !alive(pid); }, 10000));

        // And the start after that is an ordinary one.
        Run third;
        QVERIFY(third.start(installed(), {"-debug"}, pryx::test::testRoot() + "/run3.log"));
        QVERIFY2(third.waitFor(kLoopStarted), third.text().constData());
        QVERIFY(QTest::qWaitFor([&] { return feedRequests() >= 3; }, 30000));
        QTest::qWait(500);
        third.stop();
        QCOMPARE(downloads(), 1);
        QVERIFY(!third.text().contains("newer program found"));
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));
    }

    // A new program that does not come up: the installed files are put
    // back, the user is told, and that version is not fetched again.
    void newProgramThatFailsIsRolledBack()
    {
        const QByteArray original = readFile(installed());
        const QByteArray library = readFile(install() + "/audiolib.so");
        QVERIFY(writeFile(pryx::updatePath() + "pryx", "#!/bin/sh\nexit 3\n", kExecutable));
        QVERIFY(writeFile(pryx::updatePath() + "audiolib.so", "broken"));
        QVERIFY(writeFile(pryx::updatePath() + ".version", "9.9.9"));
        serve("9.9.9", updateArchive({{"pryx", "#!/bin/sh\nexit 3\n"}}));

        Run run;
        QVERIFY(run.start(installed(), {"-debug"}, pryx::test::testRoot() + "/rollback.log"));
        QVERIFY2(run.waitFor(kLoopStarted, 90000), run.text().constData());
        QVERIFY(run.running());
        QVERIFY(run.text().contains("the installed one is put back"));
        QVERIFY2(run.text().contains("Pryx 9.9.9 could not be installed"), run.text().constData());
        QCOMPARE(readFile(installed()), original);
        QCOMPARE(readFile(install() + "/audiolib.so"), library);
        QCOMPARE(leftovers(), QStringList());
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));
        QVERIFY(QTest::qWaitFor([&] { return feedRequests() >= 1; }, 30000));
        QTest::qWait(500);
        run.stop();
        QCOMPARE(downloads(), 0);
    }

    // A system install: the folder of the program is not writable. The user
    // is told once, the installed version keeps running and nothing is
    // downloaded until a newer version appears.
    void programFolderNotWritable()
    {
        const pryx::test::ChildResult probe =
            pryx::test::runChild("unshare", {"-m", "sh", "-c",
                                             "mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" "
                                             "&& ! touch \"$0/probe\" 2>/dev/null", install()},
                                 10000);
        if (probe.exitCode != 0)
            QSKIP("no read-only bind mount can be made here (unshare -m and mount)");
        const auto runReadOnly = [&](const QString &log, const QStringList &args, Run &run) {
            return run.start("unshare",
                             QStringList{"-m", "sh", "-c",
                                         "mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" "
                                         "&& shift && exec \"$@\"",
                                         install(), "x", installed()}
                                 + args,
                             log);
        };
        const QByteArray next = readFile(PRYX_NEXT_PROGRAM);
        const QByteArray original = readFile(installed());
        serve(PRYX_NEXT_VERSION, updateArchive({{"pryx", next}}));
        const QByteArray told = "cannot be installed: the folder " + install().toUtf8() + " is not writable";

        // Twice with the same version: told the first time only.
        for (int round = 0; round < 2; ++round) {
            Run run;
            QVERIFY(runReadOnly(pryx::test::testRoot() + QString("/ro%1.log").arg(round), {"-debug"}, run));
            QVERIFY2(run.waitFor(kLoopStarted), run.text().constData());
            QVERIFY(QTest::qWaitFor([&] { return feedRequests() >= round + 1; }, 30000));
            QTest::qWait(700);
            QVERIFY(run.running());
            run.stop();
            QCOMPARE(run.text().count("Core::showTrayMessage"), round == 0 ? 1 : 0);
            if (round == 0)
                QVERIFY2(run.text().contains(told), run.text().constData());
            QCOMPARE(downloads(), 0);
            QVERIFY(!QFileInfo::exists(pryx::updatePath()));
        }

        // An update downloaded before the folder became read-only: not handed
        // over, removed; a newer version than the one told about is told again.
        QVERIFY(writeFile(pryx::updatePath() + "pryx", next, kExecutable));
        QVERIFY(writeFile(pryx::updatePath() + ".version", "9.9.9"));
        serve("9.9.9", updateArchive({{"pryx", next}}));
        Run run;
        QVERIFY(runReadOnly(pryx::test::testRoot() + "/ro-downloaded.log", {"-debug"}, run));
        QVERIFY2(run.waitFor(kLoopStarted), run.text().constData());
        QVERIFY(QTest::qWaitFor([&] { return feedRequests() >= 3; }, 30000));
        QTest::qWait(700);
        QVERIFY(run.running());
        run.stop();
        QCOMPARE(run.text().count("Core::showTrayMessage"), 1);
        QVERIFY2(run.text().contains("Pryx 9.9.9 is available"), run.text().constData());
        QCOMPARE(downloads(), 0);
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));
        QCOMPARE(readFile(installed()), original);
    }

    // What a killed run leaves is swept at the next start: a staging folder
    // of an unpacking, a partial download, hand-over copies in the temporary
    // folder and new program files never put in place.
    void leftoversSweptAtStart()
    {
        const QString staging = pryx::dataPath() + "update.part-Ab12Cd";
        QVERIFY(writeFile(staging + "/pryx", QByteArray(1 << 20, 'x')));
        QVERIFY(writeFile(staging + "/lib/deep.bin", "d"));
        QVERIFY(writeFile(pryx::updatePath() + "update.zip", "PK\x03\x04 cut short"));
        const QString copy = QDir::tempPath() + "/pryx-update-Xy34Zw";
        QVERIFY(writeFile(copy + "/pryx", "old copy", kExecutable));
        QVERIFY(writeFile(install() + "/.pryx.new-Qw12Er", "half"));
        QVERIFY(writeFile(install() + "/.audiolib.so.new-Qw12Er", "half"));
        const QString unrelated = QDir::tempPath() + "/pryx-notes.txt";
        QVERIFY(writeFile(unrelated, "mine"));
        // Another program's file of the same pattern in the program's folder.
        const QString neighbour = install() + "/.editor.new-Qw12Er";
        QVERIFY(writeFile(neighbour, "not ours"));

        Run run;
        QVERIFY(run.start(installed(), {"-debug"}, pryx::test::testRoot() + "/sweep.log"));
        QVERIFY2(run.waitFor(kLoopStarted), run.text().constData());
        run.stop();
        QVERIFY(!QFileInfo::exists(staging));
        QVERIFY(!QFileInfo::exists(pryx::updatePath() + "update.zip"));
        QVERIFY(!QFileInfo::exists(copy));
        QCOMPARE(leftovers(), QStringList{".editor.new-Qw12Er"});
        QCOMPARE(readFile(unrelated), QByteArray("mine"));
        QCOMPARE(readFile(neighbour), QByteArray("not ours"));
        QVERIFY(QFileInfo(installed()).isExecutable());
    }
};

QTEST_GUILESS_MAIN(TestHandOver)
#include "tst_handover.moc"
