// The capture commands of Core with a finished voice recording in the audio
// folder: the upload and the save take the image-with-audio file, and a new
// capture never takes an older recording.

#include <QApplication>
#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QPointer>
#include <QtTest>

#include "capture/surfacewidget.h"
#include "core/base/paths.h"
#include "core/base/setting.h"
#include "core/core.h"
#include "platform/filedialogs.h"
#include "support/errorwindows.h"
#include "support/privatedisplay.h"
#include "support/standin.h"
#include "support/testsupport.h"
#include "windows/audioimagefile.h"
#include "windows/errorwidget.h"

using pryx::test::closeErrorWindows;
using pryx::test::errorTexts;

namespace {

QStringList g_log;
QtMessageHandler g_previous = nullptr;

void collect(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    g_log << msg;
    if (g_previous && type != QtDebugMsg)
        g_previous(type, ctx, msg);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray encode(const QImage &image, const char *format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

QByteArray sha(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QString audioDir() { return QDir(pryx::audioTmpPath()).absolutePath(); }

QStringList tmpFiles(const QString &pattern)
{
    return QDir(pryx::tmpPath()).entryList({pattern}, QDir::Files, QDir::Name);
}

const QByteArray kRecording = QByteArray("RIFF\x24\0\0\0WAVEfmt voice\0comment", 29);

} // namespace

class TestCaptureAudio : public QObject
{
    Q_OBJECT
    Core *core = nullptr;
    Setting *settings = nullptr;
    pryx::test::StandIn standIn;
    QString lastProposed;
    QString lastFilter;
    QString dialogAnswer;
    int dialogs = 0;

    void set(const char *key, const QVariant &value) { settings->setValue(QString::fromLatin1(key), value); }

    QPixmap capture(const QColor &color) const
    {
        QPixmap pxm(48, 32);
        pxm.fill(color);
        return pxm;
    }

private slots:
    void initTestCase()
    {
        g_previous = qInstallMessageHandler(collect);
        AudioImageFile::setLibraryPath(QStringLiteral(PRYX_BINARY_DIR "/bin/audiolib.so"));
        QVERIFY2(standIn.start(), qPrintable(standIn.error()));
        qputenv("PRYX_EXTRA_CA_FILE", standIn.caFile().toLocal8Bit());
        settings = Setting::instance();
        core = Core::instance();
        core->setApiHost(standIn.host());
        pryx::platform::setDialogAnswerer([this](pryx::platform::DialogKind, const QString &, const QString &path,
                                           const QString &filter) {
            ++dialogs;
            lastProposed = path;
            lastFilter = filter;
            return dialogAnswer;
        });
    }

    void init()
    {
        set("token", "secret-token");
        set("showActiveWindow", false);
        set("useSaveScreen", false);
        set("qualityImage", 2);
        set("max_post_size", "1000000000");   // the account's upload limit
        QVERIFY(QDir().mkpath(audioDir()));
        core->clearAudioFile();
        for (const QString &name : tmpFiles("*.pia"))
            QFile::remove(pryx::tmpPath() + name);
        g_log.clear();
        dialogs = 0;
    }

    void cleanup() { closeErrorWindows(); }

    // With a recording the upload sends one image-with-audio file made of
    // the capture file and the recording; without one, the capture itself.
    void uploadTakesTheRecording_data()
    {
        QTest::addColumn<QStringList>("audioFolder");
        QTest::addColumn<bool>("withAudio");
        QTest::newRow("recording") << QStringList{"1700000000000.wav"} << true;
        QTest::newRow("other files only") << QStringList{"notes.txt", "1.wav.part"} << false;
        QTest::newRow("empty folder") << QStringList{} << false;
    }
    void uploadTakesTheRecording()
    {
        QFETCH(QStringList, audioFolder);
        QFETCH(bool, withAudio);
        for (const QString &name : audioFolder)
            QVERIFY(writeFile(audioDir() + "/" + name, kRecording));
        standIn.clearLog();

        core->screenUpload(0, false, capture(Qt::darkCyan));
        const QString image = core->lastCaptureFile();
        QVERIFY(image.endsWith(".png"));
        QCOMPARE(core->audioImageSource(), image);
        const QStringList pias = tmpFiles("*.pia");

        QByteArray uploaded;
        if (withAudio) {
            QCOMPARE(pias.size(), 1);
            const QString pia = pryx::tmpPath() + pias.first();
            AudioImageFile file;
            file.setPath(pia);
            QVERIFY2(file.readAll(), qPrintable(file.errorString()));
            QCOMPARE(file.image(), readAll(image));
            QCOMPARE(file.audio(), kRecording);
            uploaded = readAll(pia);
        } else {
            QVERIFY(pias.isEmpty());
            uploaded = readAll(image);
        }
        // The service receives exactly that file.
        const QByteArray expected = sha(uploaded);
        QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                     for (const auto &r : standIn.requests())
                                         if (r.method == "PUT" && r.sha256 == expected)
                                             return true;
                                     return false;
                                 }()),
                                 15000);
        for (const auto &r : standIn.requests())
            QVERIFY2(r.method != "PUT" || r.sha256 == expected, r.path.constData());
    }

    // Saving with a recording offers "*.pia" and writes the image-with-audio
    // file (picture as JPEG 100) to the chosen name, also over an older file.
    void saveWritesImageWithAudio_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("existing");
        QTest::newRow("name without extension") << "voice" << "voice.pia" << false;
        QTest::newRow("name with extension") << "note.pia" << "note.pia" << false;
        QTest::newRow("confirmed overwrite") << "old.pia" << "old.pia" << true;
    }
    void saveWritesImageWithAudio()
    {
        QFETCH(QString, answer);
        QFETCH(QString, written);
        QFETCH(bool, existing);
        const QString folder = pryx::test::testRoot() + "/saved";
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
        if (existing)
            QVERIFY(writeFile(folder + "/" + written, "older file"));
        set("lastSavePath", folder);
        QVERIFY(writeFile(audioDir() + "/5.wav", kRecording));
        const QPixmap pxm = capture(Qt::magenta);

        dialogAnswer = folder + "/" + answer;
        core->screenSaveToDisk(pxm);
        QCOMPARE(dialogs, 1);
        QCOMPARE(lastFilter, QString("*.pia"));
        QVERIFY2(lastProposed.endsWith(".pia"), qPrintable(lastProposed));
        QVERIFY2(errorTexts().isEmpty(), qPrintable(errorTexts().join('\n')));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{written});

        AudioImageFile file;
        file.setPath(folder + "/" + written);
        QVERIFY2(file.readAll(), qPrintable(file.errorString()));
        QCOMPARE(file.audio(), kRecording);
        QCOMPARE(file.image(), encode(pxm.toImage(), "JPG", 100));
        QCOMPARE(settings->getValue("lastSavePath").toString(), QDir(folder).absolutePath());
    }

    // Without a recording the save offers the image format only.
    void saveWithoutRecordingOffersTheImage()
    {
        QVERIFY(writeFile(audioDir() + "/notes.txt", "x"));
        dialogAnswer.clear();
        core->screenSaveToDisk(capture(Qt::green));
        QCOMPARE(dialogs, 1);
        QCOMPARE(lastFilter, QString("*.png"));
        QVERIFY(tmpFiles("*.pia").isEmpty());
    }

    // A save whose target cannot be written is told; nothing is reported as
    // saved.
    void saveToUnwritableTarget()
    {
        const QString blocker = pryx::test::testRoot() + "/blocker";
        QVERIFY(writeFile(blocker, "a regular file"));
        set("lastSavePath", pryx::test::testRoot());
        QVERIFY(writeFile(audioDir() + "/5.wav", kRecording));
        dialogAnswer = blocker + "/under-a-file.pia";
        core->screenSaveToDisk(capture(Qt::blue));
        QTRY_VERIFY(!errorTexts().isEmpty());
        QVERIFY2(errorTexts().join('\n').contains("under-a-file.pia"), qPrintable(errorTexts().join('\n')));
        QCOMPARE(settings->getValue("lastSavePath").toString(), pryx::test::testRoot());
    }

    // A new capture starts with an empty audio folder, logged in or not.
    void captureStartEmptiesTheAudioFolder_data()
    {
        QTest::addColumn<bool>("loggedIn");
        QTest::newRow("logged in") << true;
        QTest::newRow("not logged in") << false;
    }
    void captureStartEmptiesTheAudioFolder()
    {
        QFETCH(bool, loggedIn);
        if (!loggedIn)
            set("token", QString());
        QVERIFY(writeFile(audioDir() + "/1.wav", kRecording));
        QVERIFY(writeFile(audioDir() + "/2.wav", kRecording));
        QVERIFY(core->isHaveAudioFile());
        core->fragmentScreen();
        QVERIFY(QDir(audioDir()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(!core->isHaveAudioFile());

        // The capture then goes out as a picture, not with the old recording.
        core->screenUpload(0, false, capture(Qt::yellow));
        QVERIFY(tmpFiles("*.pia").isEmpty());
        QVERIFY(core->lastCaptureFile().endsWith(".png"));
        for (QWindow *w : QGuiApplication::topLevelWindows())
            if (qobject_cast<SurfaceWidget *>(w) || w->inherits("AutorizationWidget"))
                w->close();
    }
};

int main(int argc, char **argv)
{
    return pryx::test::execOnPrivateDisplay<TestCaptureAudio>(argc, argv);
}

#include "tst_captureaudio.moc"
