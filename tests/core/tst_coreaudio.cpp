// Core's voice-comment members: the audio folder, the newest recording and
// the image-with-audio file written from a capture and a recording.

#include <QtTest>

#include <QAudioRecorder>
#include <QtEndian>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include "core/base/paths.h"
#include "core/core.h"
#include "windows/audioimagefile.h"
#include "windows/errorwidget.h"

#include "support/errorwindows.h"
#include "support/soundserver.h"

using pryx::test::closeErrorWindows;
using pryx::test::errorTexts;

namespace {

void writeFile(const QString &path, const QByteArray &bytes, const QDateTime &mtime = QDateTime())
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.flush();
    if (mtime.isValid())
        QVERIFY(f.setFileTime(mtime, QFileDevice::FileModificationTime));
}

QString audioDir() { return QDir(pryx::audioTmpPath()).absolutePath(); }

} // namespace

class TestCoreAudio : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        AudioImageFile::setLibraryPath(QStringLiteral(PRYX_BINARY_DIR "/bin/audiolib.so"));
        QVERIFY(QDir().mkpath(audioDir()));
    }
    void init() { Core::instance()->clearAudioFile(); }
    void cleanup() { closeErrorWindows(); }

    void noPageCanRecord() { QVERIFY(!Core::instance()->isCanRecordAudio()); }

    void audioFolder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("have");
        QTest::newRow("empty") << QStringList{} << false;
        QTest::newRow("only other files") << QStringList{"a.txt", "b.wav.part", "c.png"} << false;
        QTest::newRow("one recording") << QStringList{"a.txt", "1.wav"} << true;
    }
    void audioFolder()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, have);
        for (const QString &name : files)
            writeFile(audioDir() + "/" + name, "x");
        QCOMPARE(Core::instance()->isHaveAudioFile(), have);
        QCOMPARE(Core::instance()->getAudioFile().isEmpty(), !have);
        Core::instance()->clearAudioFile();
        QCOMPARE(QDir(audioDir()).entryList(QDir::Files | QDir::Hidden).size(), 0);
        QVERIFY(!Core::instance()->isHaveAudioFile());
    }

    // The newer of two recordings is taken, whatever the names say.
    void newestRecording()
    {
        const QDateTime now = QDateTime::currentDateTime();
        writeFile(audioDir() + "/9000.wav", "old", now.addSecs(-60));
        writeFile(audioDir() + "/1000.wav", "new", now);
        QCOMPARE(Core::instance()->getAudioFile(), audioDir() + "/1000.wav");
    }

    // Stopping joins the capture image and the newest recording into a
    // ".pia" file in the temporary folder that reads back byte-exact.
    void stopWritesImageWithAudio()
    {
        const QByteArray image = "\x89PNG fake picture";
        const QByteArray oldSound = "RIFF old";
        const QByteArray sound = QByteArray("RIFF new sound\0bytes", 20);
        const QString capture = QDir(pryx::tmpPath()).absolutePath() + "/capture.png";
        writeFile(capture, image);
        const QDateTime now = QDateTime::currentDateTime();
        writeFile(audioDir() + "/1.wav", oldSound, now.addSecs(-30));
        writeFile(audioDir() + "/2.wav", sound, now);
        Core::instance()->setAudioImageSource(capture);

        const QString path = Core::instance()->stopRecordAudio();
        QVERIFY(path.endsWith(".pia"));
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(pryx::tmpPath()).absolutePath());
        QVERIFY(QFile::exists(path));
        AudioImageFile file;
        file.setPath(path);
        QVERIFY2(file.readAll(), qPrintable(file.errorString()));
        QCOMPARE(file.image(), image);
        QCOMPARE(file.audio(), sound);
    }

    // Without the library nothing is written, silently, and the path is
    // still returned.
    void stopWithoutLibrary()
    {
        AudioImageFile::setLibraryPath(QDir::tempPath() + "/no-such-audiolib.so");
        writeFile(audioDir() + "/1.wav", "RIFF");
        const QString path = Core::instance()->stopRecordAudio();
        AudioImageFile::setLibraryPath(QStringLiteral(PRYX_BINARY_DIR "/bin/audiolib.so"));
        QVERIFY(path.endsWith(".pia"));
        QVERIFY(!QFile::exists(path));
        QTest::qWait(50);
        QVERIFY2(errorTexts().isEmpty(), qPrintable(errorTexts().join('\n')));
    }

    // A write the library refuses is shown in the error window; the returned
    // path names no file. The temporary folder is a regular file here, which
    // even root cannot write under.
    void stopWithFailedWriteShowsTheError()
    {
        const QString tmp = QDir(pryx::tmpPath()).absolutePath();
        QVERIFY(QDir(tmp).removeRecursively());
        QFile blocker(tmp);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Core::instance()->setAudioImageSource(QStringLiteral("/nonexistent/capture.png"));
        const QString path = Core::instance()->stopRecordAudio();
        const QStringList shown = errorTexts();
        QVERIFY(QFile::remove(tmp));
        QVERIFY(QDir().mkpath(audioDir()));
        QVERIFY(path.endsWith(".pia"));
        QVERIFY(path.startsWith(tmp + "/"));
        QVERIFY(!QFileInfo(path).isFile());
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains("Cannot write") && shown.first().contains(path),
                 qPrintable(shown.first()));
    }

    // A recording on the sound server's null sink is a WAV file in the
    // player's format, and stopping joins it with the capture.
    void recordingIsWav()
    {
        pryx::test::SoundServer server;
        if (!server.start())
            QSKIP("no PulseAudio server could be started here");
        {
            QAudioRecorder probe;
            qInfo() << "codecs" << probe.supportedAudioCodecs() << "containers"
                    << probe.supportedContainers();
            if (!probe.isAvailable() || probe.supportedAudioCodecs().isEmpty())
                QSKIP("the audio back end offers no recording here");
        }
        const QByteArray image = "\x89PNG capture";
        const QString capture = QDir(pryx::tmpPath()).absolutePath() + "/recorded.png";
        writeFile(capture, image);
        Core::instance()->setAudioImageSource(capture);

        // No page starts a recording: the members are reached by name.
        QVERIFY(QMetaObject::invokeMethod(Core::instance(), "recordAudio"));
        // A quarter of a second of sound reached the file.
        QTRY_VERIFY_WITH_TIMEOUT(Core::instance()->isHaveAudioFile()
                                     && QFileInfo(Core::instance()->getAudioFile()).size() > 44 + 24000,
                                 10000);
        const QString recording = Core::instance()->getAudioFile();
        QVERIFY(recording.endsWith(".wav"));
        QString path;
        QVERIFY(QMetaObject::invokeMethod(Core::instance(), "stopRecordAudio", Q_RETURN_ARG(QString, path)));

        QFile wav(recording);
        QVERIFY(wav.open(QIODevice::ReadOnly));
        const QByteArray sound = wav.readAll();
        QVERIFY2(sound.startsWith("RIFF") && sound.mid(8, 4) == "WAVE", sound.left(16).toHex().constData());
        QAudioFormat format;
        QByteArray pcm;
        QString error;
        QVERIFY2(AudioThreadPlay::decode(sound, &format, &pcm, &error), qPrintable(error));
        QCOMPARE(format.sampleRate(), 48000);
        QCOMPARE(format.channelCount(), 1);
        QCOMPARE(format.sampleSize(), 16);
        QVERIFY(pcm.size() >= 24000);
        // The finished header counts exactly the bytes that follow it.
        QCOMPARE(qFromLittleEndian<quint32>(sound.constData() + 4), quint32(sound.size() - 8));

        AudioImageFile file;
        file.setPath(path);
        QVERIFY2(file.readAll(), qPrintable(file.errorString()));
        QCOMPARE(file.image(), image);
        QCOMPARE(file.audio(), sound);
    }

    // Files written within one millisecond keep apart.
    void quickStopsNeverShareAFile()
    {
        writeFile(audioDir() + "/1.wav", "RIFF");
        const QString first = Core::instance()->stopRecordAudio();
        const QString second = Core::instance()->stopRecordAudio();
        QVERIFY(QFile::exists(first));
        QVERIFY(QFile::exists(second));
        QVERIFY(first != second);
    }
};

QTEST_MAIN(TestCoreAudio)
#include "tst_coreaudio.moc"
