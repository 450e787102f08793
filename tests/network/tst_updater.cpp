// Self-update: version decision, unpacking, MD5 check and the critical path.

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <cstdio>

#include "core/paths.h"
#include "network/updater.h"
#include "support/testsupport.h"

struct Entry {
    QString name;
    QByteArray data;
    int mode = 0644;          // Unix mode bits; 0 = no Unix attributes
    bool link = false;        // data is the link target
};
Q_DECLARE_METATYPE(Entry)

namespace {

QFile::Permissions toPermissions(int mode)
{
    QFile::Permissions p;
    if (mode & 0400) p |= QFile::ReadOwner | QFile::ReadUser;
    if (mode & 0200) p |= QFile::WriteOwner | QFile::WriteUser;
    if (mode & 0100) p |= QFile::ExeOwner | QFile::ExeUser;
    if (mode & 040) p |= QFile::ReadGroup;
    if (mode & 020) p |= QFile::WriteGroup;
    if (mode & 010) p |= QFile::ExeGroup;
    if (mode & 04) p |= QFile::ReadOther;
    if (mode & 02) p |= QFile::WriteOther;
    if (mode & 01) p |= QFile::ExeOther;
    return p;
}

// Writes a zip archive; names are stored in codec (no UTF-8 flag).
bool writeZip(const QString &path, const QList<Entry> &entries, const char *codec = "IBM866")
{
    QuaZip zip(path);
    zip.setFileNameCodec(codec);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    for (const Entry &e : entries) {
        QuaZipNewInfo info(e.name);
        if (e.link)
            info.externalAttr = quint32(0120777) << 16;
        else if (e.mode)
            info.externalAttr = quint32(0100000 | e.mode) << 16;
        else
            info.externalAttr = 0;
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, info))
            return false;
        file.write(e.data);
        file.close();
        if (file.getZipError() != 0)
            return false;
    }
    zip.close();
    return zip.getZipError() == 0;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList tree(const QString &root)
{
    QStringList names;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(root).relativeFilePath(it.next());
    names.sort();
    return names;
}

QString programName() { return QStringLiteral("pryx"); }

const QByteArray kProgram = "#!/bin/sh\necho new\n";
// Records that it ran, and from where.
const QByteArray kTestUpdater = "#!/bin/sh\npwd > \"$PRYX_UPDATER_MARK\"\n";

// The child of the critical-path test: installs the archive named by the
// first argument as a critical update; the second names the updater archive.
int criticalChild(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    const QByteArray body = readFile(QString::fromLocal8Bit(argv[2]));
    Updater updater;
    updater.setUpdaterArchive(QString::fromLocal8Bit(argv[3]));
    QObject::connect(&updater, &Updater::criticalUpdateFailed, [](const QString &message) {
        std::printf("kept running: %s\n", qPrintable(message));
        std::fflush(stdout);
        // Still alive well after the failure.
        QTimer::singleShot(300, [] { QCoreApplication::exit(3); });
    });
    const QString md5 =
        QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex());
    updater.checkUpdate(QStringLiteral("2.0"), true, false, QString(), md5);
    QTimer::singleShot(0, [&] { updater.installArchive(body); });
    const int rc = app.exec();
    std::printf("event loop ended: %d\n", rc);
    return rc;
}

} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

    QString work() const { return testsupport::testRoot() + "/work"; }
    QString zipPath(const QString &name) const { return work() + "/" + name + ".zip"; }

    // Prepares an update as the version reply would (link and md5 stored).
    void expectArchive(Updater &updater, const QByteArray &body, bool critical = false)
    {
        const QString md5 =
            QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex());
        updater.checkUpdate("9.0", critical, false, QString(), md5);
    }

private slots:
    void initTestCase() { QCoreApplication::setApplicationVersion("1.9.9"); }

    void init()
    {
        QDir(work()).removeRecursively();
        QVERIFY(QDir().mkpath(work()));
        QDir(pryx::updatePath()).removeRecursively();
    }

    void versions_data()
    {
        QTest::addColumn<QString>("remote");
        QTest::addColumn<QString>("local");
        QTest::addColumn<bool>("newer");
        QTest::newRow("equal") << "1.9.9" << "1.9.9" << false;
        QTest::newRow("older") << "1.9.8" << "1.9.9" << false;
        QTest::newRow("newer patch") << "1.9.10" << "1.9.9" << true;
        QTest::newRow("2.0 after 1.9.9") << "2.0" << "1.9.9" << true;
        QTest::newRow("1.10.0 after 1.9.9") << "1.10.0" << "1.9.9" << true;
        QTest::newRow("trailing zero equal") << "2.0.0" << "2.0" << false;
        QTest::newRow("extra part newer") << "2.0.1" << "2.0" << true;
        QTest::newRow("1.9.9 before 2.0") << "1.9.9" << "2.0" << false;
        QTest::newRow("blanks") << " 2.0\n" << "1.9.9" << true;
        QTest::newRow("empty remote") << "" << "1.9.9" << false;
        QTest::newRow("letters") << "2.0beta" << "1.9.9" << false;
        QTest::newRow("empty part") << "2..0" << "1.9.9" << false;
        QTest::newRow("sign") << "+3.0" << "1.9.9" << false;
        QTest::newRow("unknown local") << "2.0" << "" << false;
    }
    void versions()
    {
        QFETCH(QString, remote);
        QFETCH(QString, local);
        QFETCH(bool, newer);
        QCOMPARE(Updater::isNewerVersion(remote, local), newer);
    }

    // Which feed replies start a download, with the critical flag on each.
    void decision_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("critical");
        QTest::addColumn<bool>("download");
        for (bool critical : {false, true}) {
            const char *c = critical ? " critical" : "";
            QTest::addRow("equal%s", c) << "1.9.9" << critical << false;
            QTest::addRow("older%s", c) << "1.2" << critical << false;
            QTest::addRow("newer%s", c) << "2.0" << critical << true;
            QTest::addRow("malformed%s", c) << "abc" << critical << false;
        }
    }
    void decision()
    {
        QFETCH(QString, version);
        QFETCH(bool, critical);
        QFETCH(bool, download);
        Updater updater;
        updater.checkUpdate(version, critical, false, "https://127.0.0.1:1/u.zip", "abc");
        QCOMPARE(updater.critical(), critical);
        QCOMPARE(updater.link().isEmpty(), !download);
        QCOMPARE(updater.md5().isEmpty(), !download);
    }

    void md5_data()
    {
        QTest::addColumn<bool>("right");
        QTest::addColumn<bool>("upperCase");
        QTest::newRow("right") << true << false;
        QTest::newRow("right, upper-case hex") << true << true;
        QTest::newRow("wrong") << false << false;
    }
    void md5()
    {
        QFETCH(bool, right);
        QFETCH(bool, upperCase);
        QVERIFY(writeZip(zipPath("u"), {{programName(), kProgram, 0755, false}}));
        const QByteArray body = readFile(zipPath("u"));
        QByteArray sum = QCryptographicHash::hash(right ? body : body + "x",
                                                  QCryptographicHash::Md5).toHex();
        if (upperCase)
            sum = sum.toUpper();
        Updater updater;
        QSignalSpy errors(&updater, &Updater::error);
        updater.checkUpdate("2.0", false, false, QString(), QString::fromLatin1(sum));
        errors.clear();   // no network manager: the download itself is not made here
        updater.installArchive(body);

        const QString program = pryx::updatePath() + programName();
        if (right) {
            QCOMPARE(readFile(program), kProgram);
            QVERIFY(QFileInfo(program).isExecutable());
            QCOMPARE(tree(pryx::updatePath()), QStringList{programName()});   // archive deleted
            QCOMPARE(errors.count(), 0);
        } else {
            QVERIFY(!QFileInfo::exists(pryx::updatePath()));
            QCOMPARE(errors.count(), 1);
        }
    }

    void unpacks_data()
    {
        QTest::addColumn<QList<Entry>>("entries");
        QTest::addColumn<QStringList>("expected");
        const QString cyr = QString::fromUtf8("Скриншот");
        QTest::newRow("IBM866 names")
            << QList<Entry>{{cyr + "/" + QString::fromUtf8("файл.txt"), "a", 0644, false}}
            << QStringList{cyr, cyr + "/" + QString::fromUtf8("файл.txt")};
        QTest::newRow("three levels, folder entries")
            << QList<Entry>{{"a/", {}, 0755, false},
                            {"a/b/", {}, 0755, false},
                            {"a/b/c/", {}, 0755, false},
                            {"a/b/c/deep.txt", "d", 0644, false},
                            {"a/top.txt", "t", 0644, false},
                            {"empty/", {}, 0755, false}}
            << QStringList{"a", "a/b", "a/b/c", "a/b/c/deep.txt", "a/top.txt", "empty"};
        QTest::newRow("folders without entries of their own, backslashes")
            << QList<Entry>{{"x/y/z.txt", "z", 0644, false}, {"p\\q.txt", "q", 0644, false}}
            << QStringList{"p", "p/q.txt", "x", "x/y", "x/y/z.txt"};
        QTest::newRow("link inside") << QList<Entry>{{"lib/libx.so.1", "elf", 0755, false},
                                                     {"lib/libx.so", "libx.so.1", 0, true},
                                                     {"up", "lib/../lib", 0, true}}
                                     << QStringList{"lib", "lib/libx.so", "lib/libx.so.1", "up"};
    }
    void unpacks()
    {
        QFETCH(QList<Entry>, entries);
        QFETCH(QStringList, expected);
        QVERIFY(writeZip(zipPath("n"), entries));
        const QString dest = work() + "/dest";
        QVERIFY(extract(zipPath("n"), dest));
        QCOMPARE(tree(dest), expected);
        for (const Entry &e : entries) {
            const QString path = dest + "/" + QString(e.name).replace('\\', '/');
            QCOMPARE(QFileInfo(path).isSymLink(), e.link);
            if (e.link)
                QCOMPARE(QFileInfo(path).symLinkTarget(),
                         QFileInfo(QFileInfo(path).absolutePath() + "/" + e.data).canonicalFilePath());
            else if (!e.name.endsWith('/'))
                QCOMPARE(readFile(path), e.data);
        }
        QCOMPARE(QDir(work()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"dest"});
    }

    // Windows archives carry no Unix modes; Unix ones keep theirs.
    void permissions_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("executable");
        QTest::newRow("0755") << 0755 << true;
        QTest::newRow("0700") << 0700 << true;
        QTest::newRow("0644") << 0644 << false;
        QTest::newRow("no Unix attributes") << 0 << false;
    }
    void permissions()
    {
        QFETCH(int, mode);
        QFETCH(bool, executable);
        QVERIFY(writeZip(zipPath("p"), {{"prog", kProgram, mode, false}}));
        QVERIFY(extract(zipPath("p"), work() + "/dest"));
        const QFileInfo info(work() + "/dest/prog");
        QCOMPARE(info.isExecutable(), executable);
        QVERIFY(info.isReadable() && info.isWritable());
        if (mode)
            QCOMPARE(info.permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                     toPermissions(mode) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser));
    }

    // Anything that would write outside the folder drops the whole archive.
    void confined_data()
    {
        QTest::addColumn<QList<Entry>>("entries");
        const Entry good{"good.txt", "g", 0644, false};
        QTest::newRow("dot-dot") << QList<Entry>{good, {"../evil.txt", "e", 0644, false}};
        QTest::newRow("dot-dot inside") << QList<Entry>{good, {"a/../../evil.txt", "e", 0644, false}};
        QTest::newRow("backslash dot-dot") << QList<Entry>{good, {"..\\evil.txt", "e", 0644, false}};
        QTest::newRow("absolute") << QList<Entry>{good, {"/tmp/evil.txt", "e", 0644, false}};
        QTest::newRow("drive letter") << QList<Entry>{good, {"C:/evil.txt", "e", 0644, false}};
        QTest::newRow("link to parent") << QList<Entry>{good, {"out", "..", 0, true}};
        QTest::newRow("link absolute") << QList<Entry>{good, {"out", "/tmp", 0, true}};
        QTest::newRow("write through link")
            << QList<Entry>{{"sub/", {}, 0755, false}, {"sub/in", "..", 0, true},
                            {"sub/in/evil.txt", "e", 0644, false}};
        QTest::newRow("chain of links")
            << QList<Entry>{{"s/b", "..", 0, true}, {"a", "s/b/../..", 0, true}};
        QTest::newRow("dangling link") << QList<Entry>{good, {"d", "missing", 0, true}};
    }
    void confined()
    {
        QFETCH(QList<Entry>, entries);
        QVERIFY(writeZip(zipPath("bad"), entries));
        const QString dest = work() + "/dest";
        QVERIFY(QDir().mkpath(dest));
        QFile keep(dest + "/kept.txt");
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.write("old");
        keep.close();

        QVERIFY(!extract(zipPath("bad"), dest));
        QCOMPARE(tree(dest), QStringList{"kept.txt"});
        QCOMPARE(tree(work()), (QStringList{"bad.zip", "dest", "dest/kept.txt"}));
        QVERIFY(!QFileInfo::exists("/tmp/evil.txt") || readFile("/tmp/evil.txt") != "e");
    }

    // A damaged entry (CRC) or a cut archive leaves nothing behind.
    void partial_data()
    {
        QTest::addColumn<bool>("truncate");
        QTest::newRow("damaged data") << false;
        QTest::newRow("cut short") << true;
    }
    void partial()
    {
        QFETCH(bool, truncate);
        QByteArray second(4000, 'x');
        QVERIFY(writeZip(zipPath("c"), {{programName(), kProgram, 0755, false},
                                        {"data.bin", second, 0644, false}}));
        QByteArray body = readFile(zipPath("c"));
        if (truncate) {
            body.chop(body.size() / 3);
        } else {
            // The stored bytes of the second entry follow its name in the local header.
            const int at = body.indexOf("data.bin") + 8;
            QVERIFY(at > 8);
            for (int i = at + 2; i < at + 6; ++i)
                body[i] = char(body.at(i) ^ 0x5a);
        }
        Updater updater;
        expectArchive(updater, body);
        QSignalSpy errors(&updater, &Updater::error);
        updater.installArchive(body);
        QCOMPARE(errors.count(), 1);
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));
        QCOMPARE(QDir(pryx::dataPath()).entryList({"update*"}, QDir::AllEntries), QStringList());
    }

    void notAnArchive()
    {
        QVERIFY(!extract(work() + "/missing.zip", work() + "/dest"));
        QVERIFY(!QFileInfo::exists(work() + "/dest"));
    }

    // One check at once, one more when the single-shot timer runs out, none after.
    void rechecks()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        int connections = 0;
        connect(&server, &QTcpServer::newConnection, [&] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                ++connections;
                socket->close();
                socket->deleteLater();
            }
        });
        qputenv("PRYX_UPDATE_HOST", "127.0.0.1:" + QByteArray::number(server.serverPort()));
        Updater updater;
        QSignalSpy errors(&updater, &Updater::error);
        updater.startChecks();
        QTRY_COMPARE(connections, 1);
        QTRY_COMPARE(errors.count(), 1);
        QTimer *timer = updater.recheckTimer();
        QVERIFY(timer->isActive());
        QVERIFY(timer->isSingleShot());
        QCOMPARE(timer->interval(), 10800000);
        timer->start(20);   // the three hours pass
        QTRY_COMPARE(connections, 2);
        QTest::qWait(200);
        QCOMPARE(connections, 2);
        QVERIFY(!timer->isActive());
        qunsetenv("PRYX_UPDATE_HOST");
    }

    // The critical path runs in a child, which really quits or keeps running.
    void critical_data()
    {
        QTest::addColumn<bool>("withUpdater");
        QTest::newRow("no updater") << false;
        QTest::newRow("test updater") << true;
    }
    void critical()
    {
        QFETCH(bool, withUpdater);
        QVERIFY(writeZip(zipPath("u"), {{programName(), kProgram, 0755, false}}));
        const QString updaterZip = withUpdater ? zipPath("updater") : work() + "/none.zip";
        if (withUpdater)
            QVERIFY(writeZip(updaterZip, {{"pryxUpdater", kTestUpdater, 0755, false}}));
        const QString mark = work() + "/updater-ran";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PRYX_UPDATER_MARK", mark);

        const testsupport::ChildResult r = testsupport::runChild(
            QCoreApplication::applicationFilePath(),
            {"--critical-child", zipPath("u"), updaterZip}, 20000, env);
        QVERIFY(!r.timedOut && !r.crashed);
        QCOMPARE(readFile(pryx::updatePath() + programName()), kProgram);
        QVERIFY(!QFileInfo::exists(pryx::updatePath() + "pryxUpdater.zip"));
        if (withUpdater) {
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(!r.out.contains("kept running"), r.out.constData());
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(mark), 5000);
            QTRY_COMPARE(readFile(mark).trimmed(),
                         QDir(pryx::updatePath()).canonicalPath().toLocal8Bit());
        } else {
            QCOMPARE(r.exitCode, 3);
            QVERIFY2(r.out.contains("kept running: The update could not be installed"),
                     r.out.constData());
        }
    }
};

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--critical-child") == 0)
        return criticalChild(argc, argv);
    QCoreApplication app(argc, argv);
    TestUpdater test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_updater.moc"
