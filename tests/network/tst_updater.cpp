// Self-update: version decision, unpacking, MD5 check and the critical path.

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <cstdio>

#include <zlib.h>

#include "core/base/paths.h"
#include "network/session.h"
#include "network/updater.h"
#include "support/mutetcp.h"
#include "support/standin.h"
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

// Writes a zip archive; names are stored in codec, or in UTF-8 with the
// UTF-8 flag (general purpose bit 11) when utf8 is set.
bool writeZip(const QString &path, const QList<Entry> &entries, const char *codec = "IBM866",
              bool utf8 = false)
{
    QuaZip zip(path);
    zip.setFileNameCodec(codec);
    zip.setUtf8Enabled(utf8);
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
const QByteArray kFeedPath = "/current_version_linux_x86_64";

// A version reply of the update host.
QByteArray feedXml(const QString &version, bool critical, const QString &link, const QString &md5,
                   const QString &error = "0")
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n<server version=\"7.1\" session=\"s-42\">"
                          "<update error=\"%1\"><version critical=\"%2\" license=\"0\">%3</version>"
                          "<link>%4</link><md5>%5</md5></update></server>\n")
        .arg(error, critical ? "1" : "0", version, QString(link).toHtmlEscaped(), md5)
        .toUtf8();
}

QString md5Of(const QByteArray &body)
{
    return QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex());
}

QString feedDir() { return pryx::test::testRoot() + "/feed"; }

// Puts the feed reply and an archive where the stand-in's update routes read them.
void serve(const QByteArray &xml, const QByteArray &archive = QByteArray())
{
    QFile feed(feedDir() + "/feed-linux_x86_64.xml");
    QVERIFY(feed.open(QIODevice::WriteOnly | QIODevice::Truncate));
    feed.write(xml);
    feed.close();
    QFile zip(feedDir() + "/u.zip");
    QVERIFY(zip.open(QIODevice::WriteOnly | QIODevice::Truncate));
    zip.write(archive);
}

// Puts body where a finished download lies and installs it.
void installBody(Updater &updater, const QByteArray &body)
{
    QVERIFY(QDir().mkpath(Updater::downloadDirPath()));
    QFile archive(Updater::archivePath());
    QVERIFY(archive.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(archive.write(body), qint64(body.size()));
    archive.close();
    updater.installArchive();
}

QByteArrayList paths(const pryx::test::StandIn &standIn)
{
    QByteArrayList list;
    for (const pryx::test::StandInRequest &r : standIn.requests())
        list << r.path;
    return list;
}
// The peak resident size of this process so far, in bytes.
qint64 peakResident()
{
    const QByteArray status = readFile("/proc/self/status");
    const int at = status.indexOf("VmHWM:");
    if (at < 0)
        return -1;
    return status.mid(at + 6, status.indexOf('\n', at) - at - 6).trimmed().split(' ').first().toLongLong() * 1024;
}

// A zip archive whose entries each declare entrySize zero bytes, written raw
// from one deflated block, so that making it costs one compression.
bool writeBomb(const QString &path, int entries, qint64 entrySize, qint64 declaredSize)
{
    QByteArray compressed;
    uLong crc = crc32(0, nullptr, 0);
    {
        const QByteArray zeros(int(entrySize), '\0');
        crc = crc32(crc, reinterpret_cast<const Bytef *>(zeros.constData()), uInt(zeros.size()));
        z_stream z{};
        if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
            return false;
        compressed.resize(int(deflateBound(&z, uLong(zeros.size()))));
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.constData()));
        z.avail_in = uInt(zeros.size());
        z.next_out = reinterpret_cast<Bytef *>(compressed.data());
        z.avail_out = uInt(compressed.size());
        const int rc = deflate(&z, Z_FINISH);
        compressed.resize(int(z.total_out));
        deflateEnd(&z);
        if (rc != Z_STREAM_END)
            return false;
    }
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    for (int i = 0; i < entries; ++i) {
        QuaZipNewInfo info(QStringLiteral("part%1.bin").arg(i));
        info.uncompressedSize = quint64(declaredSize);
        info.externalAttr = quint32(0100644) << 16;
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, info, nullptr, quint32(crc), Z_DEFLATED, 9, true))
            return false;
        file.write(compressed);
        file.close();
        if (file.getZipError() != 0)
            return false;
    }
    zip.close();
    return zip.getZipError() == 0;
}

// The child of the memory test: downloads what the feed names and prints
// its peak resident size before and after.
int downloadChild(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    Updater updater;
    std::printf("peak-before=%lld\n", peakResident());
    QObject::connect(&updater, &Updater::error, [](const QString &message) {
        std::printf("error: %s\n", qPrintable(message));
        QCoreApplication::exit(0);
    });
    QTimer::singleShot(0, &updater, &Updater::startUpdate);
    QTimer::singleShot(60000, [] { QCoreApplication::exit(5); });
    const int rc = app.exec();
    std::printf("peak-after=%lld\n", peakResident());
    return rc;
}

// Records that it ran, and from where.
const QByteArray kTestUpdater = "#!/bin/sh\npwd > \"$PRYX_UPDATER_MARK\"\n";

// The child of the critical-path test: takes a critical update from the feed
// (the stand-in's host and CA come in the environment); the argument names
// the updater archive.
int criticalChild(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    Updater updater;
    updater.setUpdaterArchive(QString::fromLocal8Bit(argv[2]));
    QObject::connect(&updater, &Updater::criticalUpdateFailed, [](const QString &message) {
        std::printf("kept running: %s\n", qPrintable(message));
        std::fflush(stdout);
        // Still alive well after the failure.
        QTimer::singleShot(300, [] { QCoreApplication::exit(3); });
    });
    QObject::connect(&updater, &Updater::error, [](const QString &message) {
        std::printf("error: %s\n", qPrintable(message));
        QCoreApplication::exit(4);
    });
    QTimer::singleShot(0, &updater, &Updater::startUpdate);
    const int rc = app.exec();
    std::printf("event loop ended: %d\n", rc);
    return rc;
}

} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

    QString work() const { return pryx::test::testRoot() + "/work"; }
    QString zipPath(const QString &name) const { return work() + "/" + name + ".zip"; }
    QString link() const { return "https://" + standIn_.host() + "/files/u.zip"; }

    pryx::test::StandIn standIn_;

    // Prepares an update as the version reply would (link and md5 stored).
    void expectArchive(Updater &updater, const QByteArray &body, bool critical = false)
    {
        const QString md5 =
            QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex());
        updater.checkUpdate("9.0", critical, false, QString(), md5);
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationVersion("1.9.9");
        QVERIFY(QDir().mkpath(feedDir()));
        qputenv("PRYX_UPDATE_ROUTES_DIR", feedDir().toLocal8Bit());
        standIn_.addRouteFile(pryx::test::supportDir() + "/updateroutes.py");
        QVERIFY2(standIn_.start(), qPrintable(standIn_.error()));
        qputenv("PRYX_UPDATE_HOST", standIn_.host().toLatin1());
    }

    void init()
    {
        standIn_.clearLog();
        serve(QByteArray());
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
        installBody(updater, body);

        const QString program = pryx::updatePath() + programName();
        if (right) {
            QCOMPARE(readFile(program), kProgram);
            QVERIFY(QFileInfo(program).isExecutable());
            // The archive is gone; the version it brings is noted for the hand-over.
            QCOMPARE(tree(pryx::updatePath()), (QStringList{".version", programName()}));
            QCOMPARE(readFile(Updater::versionFilePath()), QByteArray("2.0"));
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
        QTest::addColumn<bool>("utf8");
        const QString cyr = QString::fromUtf8("Скриншот");
        QTest::newRow("IBM866 names")
            << QList<Entry>{{cyr + "/" + QString::fromUtf8("файл.txt"), "a", 0644, false}}
            << QStringList{cyr, cyr + "/" + QString::fromUtf8("файл.txt")} << false;
        // Names IBM866 cannot hold, flagged UTF-8.
        const QString mixed = QString::fromUtf8("Снимок 画面 ü");
        QTest::newRow("UTF-8 flagged names")
            << QList<Entry>{{mixed + "/" + QString::fromUtf8("ファイル.txt"), "u", 0644, false},
                            {QString::fromUtf8("€uro.txt"), "e", 0644, false}}
            << QStringList{mixed, mixed + "/" + QString::fromUtf8("ファイル.txt"), QString::fromUtf8("€uro.txt")}
            << true;
        QTest::newRow("three levels, folder entries")
            << QList<Entry>{{"a/", {}, 0755, false},
                            {"a/b/", {}, 0755, false},
                            {"a/b/c/", {}, 0755, false},
                            {"a/b/c/deep.txt", "d", 0644, false},
                            {"a/top.txt", "t", 0644, false},
                            {"empty/", {}, 0755, false}}
            << QStringList{"a", "a/b", "a/b/c", "a/b/c/deep.txt", "a/top.txt", "empty"} << false;
        QTest::newRow("folders without entries of their own, backslashes")
            << QList<Entry>{{"x/y/z.txt", "z", 0644, false}, {"p\\q.txt", "q", 0644, false}}
            << QStringList{"p", "p/q.txt", "x", "x/y", "x/y/z.txt"} << false;
        QTest::newRow("link inside") << QList<Entry>{{"lib/libx.so.1", "elf", 0755, false},
                                                     {"lib/libx.so", "libx.so.1", 0, true},
                                                     {"up", "lib/../lib", 0, true}}
                                     << QStringList{"lib", "lib/libx.so", "lib/libx.so.1", "up"} << false;
    }
    void unpacks()
    {
        QFETCH(QList<Entry>, entries);
        QFETCH(QStringList, expected);
        QFETCH(bool, utf8);
        QVERIFY(writeZip(zipPath("n"), entries, "IBM866", utf8));
        // The first local header carries the flag as asked.
        const QByteArray zip = readFile(zipPath("n"));
        QVERIFY(zip.startsWith("PK\x03\x04"));
        QCOMPARE(bool(quint8(zip.at(7)) & 0x08), utf8);
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
        installBody(updater, body);
        QCOMPARE(errors.count(), 1);
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));
        QCOMPARE(QDir(pryx::dataPath()).entryList({"update*"}, QDir::AllEntries), QStringList());
    }

    void notAnArchive()
    {
        QVERIFY(!extract(work() + "/missing.zip", work() + "/dest"));
        QVERIFY(!QFileInfo::exists(work() + "/dest"));
    }

    // The feed decides; the archive comes from the link it names.
    void feed_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("critical");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("md5Right");
        QTest::addColumn<bool>("downloads");
        QTest::addColumn<bool>("installs");
        QTest::newRow("newer") << "2.0" << false << "0" << true << true << true;
        QTest::newRow("newer, wrong md5") << "2.0" << false << "0" << false << true << false;
        QTest::newRow("equal") << "1.9.9" << false << "0" << true << false << false;
        QTest::newRow("older, critical") << "1.9" << true << "0" << true << false << false;
        QTest::newRow("error 1") << "2.0" << false << "1" << true << false << false;
        QTest::newRow("no error attribute") << "2.0" << false << "" << true << true << true;
    }
    void feed()
    {
        QFETCH(QString, version);
        QFETCH(bool, critical);
        QFETCH(QString, error);
        QFETCH(bool, md5Right);
        QFETCH(bool, downloads);
        QFETCH(bool, installs);

        QVERIFY(writeZip(zipPath("u"), {{programName(), kProgram, 0755, false},
                                        {"lib/data.txt", "d", 0644, false}}));
        const QByteArray archive = readFile(zipPath("u"));
        QByteArray xml = feedXml(version, critical, link(),
                                 md5Right ? md5Of(archive) : md5Of("other"), error);
        if (error.isEmpty())
            xml.replace(" error=\"\"", "");
        serve(xml, archive);

        Updater updater;
        QSignalSpy errors(&updater, &Updater::error);
        updater.startUpdate();
        QVERIFY(standIn_.waitForRequests(1));
        QCOMPARE(paths(standIn_).first(), kFeedPath);
        const QString program = pryx::updatePath() + programName();
        if (installs) {
            QTRY_VERIFY(QFileInfo::exists(program));
            QVERIFY(QFileInfo(program).isExecutable());
            QCOMPARE(readFile(pryx::updatePath() + "lib/data.txt"), QByteArray("d"));
        } else if (downloads) {
            QTRY_COMPARE(errors.count(), 1);
        } else {
            QTest::qWait(300);
        }
        QCOMPARE(paths(standIn_).size(), downloads ? 2 : 1);
        if (downloads)
            QCOMPARE(paths(standIn_).at(1), QByteArray("/files/u.zip"));
        QVERIFY(!QFileInfo::exists(Updater::archivePath()));
        QCOMPARE(QFileInfo::exists(pryx::updatePath()), installs);
        if (!downloads || installs)
            QCOMPARE(errors.count(), 0);
        // The reply's server element names the session and the server version.
        QCOMPARE(Session::instance()->session(), QString("s-42"));
        QCOMPARE(Session::instance()->version(), QString("7.1"));
    }

    void refusedArchiveFromFeed()
    {
        QVERIFY(writeZip(zipPath("u"), {{programName(), kProgram, 0755, false},
                                        {"../escape", "e", 0644, false}}));
        const QByteArray archive = readFile(zipPath("u"));
        serve(feedXml("2.0", false, link(), md5Of(archive)), archive);
        Updater updater;
        QSignalSpy errors(&updater, &Updater::error);
        updater.startUpdate();
        QTRY_COMPARE(errors.count(), 1);
        QCOMPARE(paths(standIn_).size(), 2);
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));
        QVERIFY(!QFileInfo::exists(pryx::dataPath() + "escape"));
    }

    // Only https links are followed: the others are refused before any
    // connection, also when an https link redirects to one.
    void refusedSchemes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("http") << "http";
        QTest::newRow("ftp") << "ftp";
        QTest::newRow("file") << "file";
        QTest::newRow("https redirected to http") << "redirect";
    }
    void refusedSchemes()
    {
        QFETCH(QString, kind);
        QVERIFY(writeZip(zipPath("u"), {{programName(), kProgram, 0755, false}}));
        const QByteArray archive = readFile(zipPath("u"));
        pryx::test::MuteServer plain(pryx::test::MuteServer::Close);
        QVERIFY(plain.listen());
        const QString port = QString::number(plain.port());
        QString target;
        if (kind == "http" || kind == "redirect")
            target = "http://127.0.0.1:" + port + "/files/u.zip";
        else if (kind == "ftp")
            target = "ftp://127.0.0.1:" + port + "/u.zip";
        else
            target = QUrl::fromLocalFile(zipPath("u")).toString();
        QString link = target;
        if (kind == "redirect") {
            link = "https://" + standIn_.host() + "/moved/u.zip";
            standIn_.setScript(QJsonArray{QJsonObject{{"path", "^/moved/"}, {"redirect", target}}});
        }
        serve(feedXml("2.0", false, link, md5Of(archive)), archive);

        Updater updater;
        QSignalSpy errors(&updater, &Updater::error);
        updater.startUpdate();
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 10000);
        QTest::qWait(200);
        standIn_.setScript(QJsonArray());
        QCOMPARE(plain.connections(), 0);
        const QByteArrayList asked = kind == "redirect" ? QByteArrayList{kFeedPath, "/moved/u.zip"}
                                                        : QByteArrayList{kFeedPath};
        QCOMPARE(paths(standIn_), asked);
        if (kind != "redirect")
            QVERIFY2(errors.first().first().toString().contains("https"),
                     qPrintable(errors.first().first().toString()));
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));
    }

    // More than the limit is refused as soon as it shows: a declared
    // length at once, an undeclared one when the bytes pass it; nothing stays.
    void oversizedDownload_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<qint64>("limit");   // 0: the default
        QTest::addColumn<bool>("refused");
        QTest::newRow("declared 1.5 GiB") << "size=-1&declare=1610612736" << qint64(0) << true;
        QTest::newRow("declared 1 GiB and a byte") << "size=-1&declare=1073741825" << qint64(0) << true;
        QTest::newRow("no length, endless") << "size=-1" << qint64(8 << 20) << true;
        QTest::newRow("no length, a byte too many") << "size=8388609" << qint64(8 << 20) << true;
        QTest::newRow("no length, exactly the limit") << "size=8388608" << qint64(8 << 20) << false;
    }
    void oversizedDownload()
    {
        QFETCH(QString, query);
        QFETCH(qint64, limit);
        QFETCH(bool, refused);
        QCOMPARE(Updater().sizeLimit(), qint64(1) << 30);
        serve(feedXml("2.0", false, "https://" + standIn_.host() + "/stream?" + query, md5Of("x")));
        Updater updater;
        if (limit)
            updater.setSizeLimit(limit);
        QSignalSpy errors(&updater, &Updater::error);
        QElapsedTimer clock;
        clock.start();
        updater.startUpdate();
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 30000);
        // Not refused: all of it came and was then found not to be the update.
        QVERIFY2(errors.first().first().toString().contains(refused ? "larger than allowed" : "damaged"),
                 qPrintable(errors.first().first().toString()));
        QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(paths(standIn_).size(), 2);
        QVERIFY(!QFileInfo::exists(Updater::archivePath()));
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));
    }

    // The download goes to a file as it arrives: a 256 MiB download leaves
    // the peak memory of the process nearly where it was.
    void downloadIsStreamed()
    {
        const qint64 size = qint64(256) << 20;
        serve(feedXml("2.0", false,
                      "https://" + standIn_.host() + "/stream?size=" + QString::number(size)
                          + "&declare=" + QString::number(size),
                      md5Of("not these bytes")));
        const pryx::test::ChildResult r = pryx::test::runChild(
            QCoreApplication::applicationFilePath(), {"--download-child"}, 90000);
        QVERIFY2(!r.timedOut && !r.crashed && r.exitCode == 0, (r.out + r.err).constData());
        // All of it came, and was found not to be the update.
        QVERIFY2(r.out.contains("error: The update is damaged."), r.out.constData());
        QCOMPARE(paths(standIn_).size(), 2);
        const auto value = [&](const QByteArray &key) {
            const int at = r.out.indexOf(key + "=");
            return at < 0 ? -1 : r.out.mid(at + key.size() + 1).split('\n').first().toLongLong();
        };
        const qint64 before = value("peak-before");
        const qint64 after = value("peak-after");
        QVERIFY2(before > 0 && after > 0, r.out.constData());
        QVERIFY2(after - before < (qint64(64) << 20),
                 qPrintable(QString("peak grew by %1 MiB").arg((after - before) >> 20)));
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));
    }

    // An archive that would unpack past the limit is refused from its
    // directory, before a byte is written and without memory growth.
    void zipBomb_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<qint64>("declared");
        QTest::newRow("17 entries of 64 MiB") << 17 << (qint64(64) << 20);
        QTest::newRow("one entry declaring 2 GiB") << 1 << (qint64(2) << 30);
    }
    void zipBomb()
    {
        QFETCH(int, entries);
        QFETCH(qint64, declared);
        QVERIFY(writeBomb(zipPath("bomb"), entries, qint64(64) << 20, declared));
        const QByteArray body = readFile(zipPath("bomb"));
        QVERIFY2(body.size() < (2 << 20), qPrintable(QString::number(body.size())));

        const qint64 before = peakResident();
        QElapsedTimer clock;
        clock.start();
        const QString dest = work() + "/dest";
        QVERIFY(!extract(zipPath("bomb"), dest));
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!QFileInfo::exists(dest));
        QCOMPARE(tree(work()), QStringList{"bomb.zip"});   // no staging folder left

        // The same as a downloaded update whose sum is right.
        Updater updater;
        expectArchive(updater, body);
        QSignalSpy errors(&updater, &Updater::error);
        installBody(updater, body);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().first().toString(), QStringLiteral("The update cannot be unpacked."));
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));
        QCOMPARE(QDir(pryx::dataPath()).entryList({"update*"}, QDir::AllEntries), QStringList());
        QVERIFY2(peakResident() - before < (qint64(32) << 20),
                 qPrintable(QString("peak grew by %1 MiB").arg((peakResident() - before) >> 20)));
    }

    // The limit counts: exactly at it unpacks, a byte over is refused.
    void unpackLimit()
    {
        QVERIFY(writeZip(zipPath("m"), {{"a.bin", QByteArray(600000, 'a'), 0644, false},
                                        {"b.bin", QByteArray(400000, 'b'), 0644, false}}));
        QVERIFY(!extract(zipPath("m"), work() + "/under", 999999));
        QVERIFY(!QFileInfo::exists(work() + "/under"));
        QVERIFY(extract(zipPath("m"), work() + "/exact", 1000000));
        QCOMPARE(QFileInfo(work() + "/exact/a.bin").size(), qint64(600000));
        QCOMPARE(QFileInfo(work() + "/exact/b.bin").size(), qint64(400000));
    }

    // A failed request is reported and changes nothing.
    void unreachableFeed()
    {
        QFile::remove(feedDir() + "/feed-linux_x86_64.xml");
        Updater updater;
        QSignalSpy errors(&updater, &Updater::error);
        updater.startUpdate();
        QTRY_COMPARE(errors.count(), 1);
        QCOMPARE(paths(standIn_), QByteArrayList{kFeedPath});
        QVERIFY(!QFileInfo::exists(pryx::updatePath()));
    }

    // One check at once, one more when the single-shot timer runs out, none after.
    void rechecks()
    {
        pryx::test::MuteServer server(pryx::test::MuteServer::Close);
        QVERIFY(server.listen());
        qputenv("PRYX_UPDATE_HOST", server.host());
        Updater updater;
        QSignalSpy errors(&updater, &Updater::error);
        updater.startChecks();
        QTRY_COMPARE(server.connections(), 1);
        QTRY_COMPARE(errors.count(), 1);
        QTimer *timer = updater.recheckTimer();
        QVERIFY(timer->isActive());
        QVERIFY(timer->isSingleShot());
        QCOMPARE(timer->interval(), 10800000);
        timer->start(20);   // the three hours pass
        QTRY_COMPARE(server.connections(), 2);
        QTest::qWait(200);
        QCOMPARE(server.connections(), 2);
        QVERIFY(!timer->isActive());
        qputenv("PRYX_UPDATE_HOST", standIn_.host().toLatin1());
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
        const QByteArray archive = readFile(zipPath("u"));
        serve(feedXml("1.1", true, link(), md5Of(archive)), archive);
        const QString updaterZip = withUpdater ? zipPath("updater") : work() + "/none.zip";
        if (withUpdater)
            QVERIFY(writeZip(updaterZip, {{"pryxUpdater", kTestUpdater, 0755, false}}));

        const QString mark = work() + "/updater-ran";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PRYX_UPDATER_MARK", mark);
        const pryx::test::ChildResult r = pryx::test::runChild(
            QCoreApplication::applicationFilePath(), {"--critical-child", updaterZip}, 20000, env);
        QVERIFY(!r.timedOut && !r.crashed);
        QCOMPARE(paths(standIn_), (QByteArrayList{kFeedPath, "/files/u.zip"}));
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
    if (argc == 3 && qstrcmp(argv[1], "--critical-child") == 0)
        return criticalChild(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "--download-child") == 0)
        return downloadChild(argc, argv);
    QCoreApplication app(argc, argv);
    TestUpdater test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_updater.moc"
