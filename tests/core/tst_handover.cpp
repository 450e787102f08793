// Hand-over to a newer program left in the update folder at start.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include "core/base/paths.h"
#include "support/pryxchild.h"
#include "support/testsupport.h"

namespace {
const QByteArray kLoopStarted = "QApplication is valid, starting event loop...";

QString programName() { return QFileInfo(pryx::test::programPath()).fileName(); }
QString updateFile() { return pryx::updatePath() + programName(); }
QString markFile() { return pryx::test::testRoot() + "/handover-mark"; }

void writeProgram(const QString &path, const QByteArray &text, QFile::Permissions perms)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();
    QVERIFY(QFile::setPermissions(path, perms));
}

// The stand-in new program records where it was started from and its arguments.
const QByteArray kNewProgram = "#!/bin/sh\necho \"$0 $#\" > \"$PRYX_HANDOVER_MARK\"\n";

QStringList privateFolders()
{
    return QDir(QDir::tempPath()).entryList({"pryx-update-*"}, QDir::Dirs | QDir::NoDotAndDotDot);
}
} // namespace

class TestHandOver : public QObject
{
    Q_OBJECT

    QProcessEnvironment env() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("PRYX_HANDOVER_MARK", markFile());
        return e;
    }

private slots:
    void init()
    {
        QDir(pryx::updatePath()).removeRecursively();
        QFile::remove(markFile());
        for (const QString &d : privateFolders())
            QDir(QDir::tempPath() + "/" + d).removeRecursively();
    }

    void startsNewProgram_data()
    {
        QTest::addColumn<int>("perms");
        QTest::newRow("rwxr-xr-x") << 0755;
        QTest::newRow("rwx------") << 0700;
        QTest::newRow("rw-r--r-- (owner execute added)") << 0644;
    }
    void startsNewProgram()
    {
        QFETCH(int, perms);
        const QFile::Permissions p(((perms & 0700) << 6) | ((perms & 0700) << 2) | ((perms & 070) << 1)
                                   | (perms & 07));
        writeProgram(updateFile(), kNewProgram, p);
        QVERIFY(QFile::exists(updateFile()));

        const pryx::test::ChildResult r =
            pryx::test::runChild(pryx::test::programPath(), {"-debug"}, 20000, env());
        QVERIFY(!r.timedOut);
        QVERIFY(!r.crashed);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(!r.err.contains(kLoopStarted), r.err.constData());   // no event loop ran
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));               // update folder removed

        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(markFile()).size() > 0, 10000);
        QFile mark(markFile());
        QVERIFY(mark.open(QIODevice::ReadOnly));
        const QStringList started = QString::fromUtf8(mark.readAll()).trimmed().split(' ');
        QCOMPARE(started.size(), 2);
        QCOMPARE(started.at(1), QString("0"));   // no arguments
        const QFileInfo copy(started.at(0));
        QCOMPARE(copy.fileName(), programName());
        QCOMPARE(copy.absolutePath(), QDir::tempPath() + "/" + copy.dir().dirName());
        QVERIFY(copy.dir().dirName().startsWith("pryx-update-"));
        // A private folder, and the program keeps its permission bits.
        QCOMPARE(QFileInfo(copy.absolutePath()).permissions() & 0x0077, QFile::Permissions());
        const QFile::Permissions expected = p | QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        QCOMPARE(copy.permissions() & 0x7077, expected & 0x7077);
        QFile copied(copy.absoluteFilePath());
        QVERIFY(copied.open(QIODevice::ReadOnly));
        QCOMPARE(copied.readAll(), kNewProgram);
    }

    // Whatever fails, the download stays unless a verified copy exists, and
    // the program starts normally.
    void copyFailsStartsNormally_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("no private folder possible") << "tmpdir";
        QTest::newRow("update entry is a folder") << "folder";
        QTest::newRow("update file unreadable") << "unreadable";
    }
    void copyFailsStartsNormally()
    {
        QFETCH(QString, how);
        QProcessEnvironment e = env();
        if (how == "folder") {
            QVERIFY(QDir().mkpath(updateFile()));
        } else {
            writeProgram(updateFile(), kNewProgram, QFile::Permissions(0x7755));
            if (how == "tmpdir")
                e.insert("TMPDIR", pryx::test::testRoot() + "/no/such/folder");
            else
                QVERIFY(QFile::setPermissions(updateFile(), QFile::WriteOwner));
        }
        if (how == "unreadable" && QFile(updateFile()).open(QIODevice::ReadOnly))
            QSKIP("running as a user who reads any file");

        pryx::test::RunningChild child;
        QVERIFY(child.start(pryx::test::programPath(), {"-debug"}, e));
        QVERIFY2(child.waitFor(kLoopStarted), child.output().constData());
        child.stop();
        QVERIFY(child.output().contains("copy of the new program failed, starting normally"));
        QVERIFY(QFileInfo::exists(updateFile()));
        QVERIFY(!QFile::exists(markFile()));
        QVERIFY(privateFolders().isEmpty());
    }

    void startFailsStartsNormally()
    {
        writeProgram(updateFile(), "#!/nonexistent/interpreter\n", QFile::Permissions(0x7755));
        pryx::test::RunningChild child;
        QVERIFY(child.start(pryx::test::programPath(), {"-debug"}, env()));
        QVERIFY2(child.waitFor(kLoopStarted), child.output().constData());
        child.stop();
        QVERIFY(child.output().contains("start of the new program failed, starting normally"));
        QVERIFY(privateFolders().isEmpty());   // the copy is cleaned up
    }

    void nothingToHandOver()
    {
        pryx::test::RunningChild child;
        QVERIFY(child.start(pryx::test::programPath(), {"-debug"}, env()));
        QVERIFY2(child.waitFor(kLoopStarted), child.output().constData());
        child.stop();
        QVERIFY(!child.output().contains("newer program found"));
    }
};

QTEST_GUILESS_MAIN(TestHandOver)
#include "tst_handover.moc"
