// Image-with-audio files through the audio library, and sound playback
// through a PulseAudio null sink started by this test.

#include <QtTest>

#include <QAudioDeviceInfo>
#include <QProcess>
#include <QtEndian>

#include <atomic>
#include <cmath>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "windows/audioimagefile.h"

#include "support/soundserver.h"

namespace {

QByteArray le32(quint32 v)
{
    QByteArray b(4, 0);
    qToLittleEndian(v, reinterpret_cast<uchar *>(b.data()));
    return b;
}
QByteArray le16(quint16 v)
{
    QByteArray b(2, 0);
    qToLittleEndian(v, reinterpret_cast<uchar *>(b.data()));
    return b;
}
QByteArray le64(quint64 v)
{
    QByteArray b(8, 0);
    qToLittleEndian(v, reinterpret_cast<uchar *>(b.data()));
    return b;
}

// A WAV file of a sine tone, 16-bit signed mono.
QByteArray toneWav(int ms, int rate = 48000)
{
    QByteArray pcm;
    const int samples = rate * ms / 1000;
    for (int i = 0; i < samples; ++i)
        pcm += le16(quint16(qint16(12000 * std::sin(2 * M_PI * 440 * i / rate))));
    QByteArray wav = "RIFF" + le32(quint32(36 + pcm.size())) + "WAVE";
    wav += "fmt " + le32(16) + le16(1) + le16(1) + le32(quint32(rate)) + le32(quint32(rate * 2))
           + le16(2) + le16(16);
    wav += "LIST" + le32(4) + "INFO"; // a chunk the player must skip
    wav += "data" + le32(quint32(pcm.size())) + pcm;
    return wav;
}

// A WAV file of silence in any format the header can name.
QByteArray wavOf(quint16 tag, quint16 channels, quint32 rate, quint16 bits, int bytes = 4800)
{
    const QByteArray data(bytes, '\0');
    const quint16 block = quint16(channels * qMax(1, bits / 8));
    QByteArray wav = "RIFF" + le32(quint32(36 + data.size())) + "WAVE";
    wav += "fmt " + le32(16) + le16(tag) + le16(channels) + le32(rate) + le32(rate * block)
           + le16(block) + le16(bits);
    wav += "data" + le32(quint32(data.size())) + data;
    return wav;
}

QByteArray header(quint64 image, quint64 audio, const QByteArray &magic = QByteArray("PRYXPIA\0", 8),
                  quint32 version = 1)
{
    return magic + le32(version) + le64(image) + le64(audio);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Opens both ends of a FIFO after a grace time, so that a reader or writer
// wrongly blocked on it comes free and the test can report the wait.
class FifoRescue
{
public:
    explicit FifoRescue(const QString &path) : path_(QFile::encodeName(path))
    {
        thread_ = std::thread([this] {
            for (int i = 0; i < 300 && !done_; ++i)
                usleep(10000);
            while (!done_) {
                const int w = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
                const int r = ::open(path_.constData(), O_RDONLY | O_NONBLOCK);
                if (w >= 0)
                    ::close(w);
                if (r >= 0)
                    ::close(r);
                usleep(10000);
            }
        });
    }
    ~FifoRescue()
    {
        done_ = true;
        thread_.join();
    }

private:
    QByteArray path_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

using ReadFn = const char *(*)(const char *, int *);
using WriteFn = int (*)(const char *, const char *, int, const char *, int);

} // namespace

class TestAudioImageFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void roundTrip_data();
    void roundTrip();
    void badFiles_data();
    void badFiles();
    void missingLibrary();
    void failedWrite();
    void notRegularFiles_data();
    void notRegularFiles();
    void libraryRefusesFifo();
    void decodeWav();
    void playFinishesAndRestarts();
    void stopDuringPlayback();
    void playRightAfterStop();
    void destroyDuringPlayback();
    void emptySoundEndsAtOnce();
    void refusedFormatEndsWithError_data();
    void refusedFormatEndsWithError();

private:
    QString dir_;
    pryx::test::SoundServer sound_;
    bool haveSound_ = false;
};

void TestAudioImageFile::initTestCase()
{
    AudioImageFile::setLibraryPath(QStringLiteral(PRYX_BINARY_DIR "/bin/audiolib.so"));
    dir_ = QDir::tempPath() + "/pia";
    QVERIFY(QDir().mkpath(dir_));
    haveSound_ = sound_.start();
}

void TestAudioImageFile::cleanupTestCase() { sound_.stop(); }

void TestAudioImageFile::roundTrip_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QByteArray>("audio");
    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary += char(i * 7 % 256);
    QTest::newRow("png and wav") << QByteArray("\x89PNG\r\n\x1a\n\0\0ab", 12) << toneWav(50);
    QTest::newRow("binary with zeros") << binary << binary.left(1001);
    QTest::newRow("empty sound") << QByteArray("img") << QByteArray();
    QTest::newRow("both empty") << QByteArray() << QByteArray();
}

void TestAudioImageFile::roundTrip()
{
    QFETCH(QByteArray, image);
    QFETCH(QByteArray, audio);
    const QString path = dir_ + "/round.pia";
    AudioImageFile out;
    out.setPath(path);
    QVERIFY2(out.write(image, audio), qPrintable(out.errorString()));
    QCOMPARE(QFileInfo(path).size(), qint64(28 + image.size() + audio.size()));

    AudioImageFile in;
    in.setPath(path);
    QVERIFY2(in.readAll(), qPrintable(in.errorString()));
    QCOMPARE(in.image(), image);
    QCOMPARE(in.audio(), audio);
}

void TestAudioImageFile::badFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray good = header(3, 4) + "img" + "snd!";
    QTest::newRow("empty") << QByteArray() << "too short";
    QTest::newRow("header cut") << good.left(20) << "too short";
    QTest::newRow("truncated sound") << good.left(good.size() - 1) << "past the end";
    QTest::newRow("wrong magic") << (header(3, 4, QByteArray("PRYXPIB\0", 8)) + "imgsnd!")
                                 << "not an image-with-audio file";
    QTest::newRow("png, not pia") << QByteArray("\x89PNG\r\n\x1a\n").repeated(8)
                                  << "not an image-with-audio file";
    QTest::newRow("future version") << (header(3, 4, QByteArray("PRYXPIA\0", 8), 2) + "imgsnd!")
                                    << "version";
    QTest::newRow("image length past end") << (header(1000, 0) + "img") << "past the end";
    QTest::newRow("huge lengths overflow") << (header(~quint64(0), 8) + "imgsnd!!") << "past the end";
    QTest::newRow("sum overflows") << (header(quint64(1) << 63, quint64(1) << 63) + "x")
                                   << "past the end";
    QTest::newRow("trailing bytes") << (good + "x") << "trailing";
}

void TestAudioImageFile::badFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString path = dir_ + "/bad.pia";
    writeFile(path, bytes);
    AudioImageFile file;
    file.setPath(path);
    QSignalSpy errors(&file, SIGNAL(errorOccurred(QString)));
    QVERIFY(!file.readAll());
    QVERIFY(file.image().isEmpty());
    QVERIFY(file.audio().isEmpty());
    QVERIFY2(file.errorString().contains(reason), qPrintable(file.errorString()));
    QVERIFY(file.errorString().contains(path));
    QCOMPARE(errors.count(), 1);
}

void TestAudioImageFile::missingLibrary()
{
    const QString path = dir_ + "/nolib.pia";
    AudioImageFile::setLibraryPath(dir_ + "/no-such-audiolib.so");
    AudioImageFile file;
    file.setPath(path);
    QSignalSpy errors(&file, SIGNAL(errorOccurred(QString)));
    QVERIFY(!file.write("a", "b"));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!file.readAll());
    QCOMPARE(errors.count(), 0); // skipped without a message
    AudioImageFile::setLibraryPath(QStringLiteral(PRYX_BINARY_DIR "/bin/audiolib.so"));
}

void TestAudioImageFile::failedWrite()
{
    AudioImageFile file;
    file.setPath(dir_ + "/missing-folder/x.pia");
    QSignalSpy errors(&file, SIGNAL(errorOccurred(QString)));
    QVERIFY(!file.write("img", "snd"));
    QCOMPARE(errors.count(), 1);
    QVERIFY2(file.errorString().contains("Cannot write"), qPrintable(file.errorString()));
}

// A FIFO, a device or a folder is never read: the reader answers at once
// with an error instead of waiting for a writer that never comes.
void TestAudioImageFile::notRegularFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("character device") << "device";
    QTest::newRow("folder") << "folder";
    QTest::newRow("link to a FIFO") << "link";
}

void TestAudioImageFile::notRegularFiles()
{
    QFETCH(QString, kind);
    const QString fifo = dir_ + "/fifo.pia";
    QFile::remove(fifo);
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QString path = fifo;
    if (kind == "device") {
        path = "/dev/zero";
    } else if (kind == "folder") {
        path = dir_ + "/folder.pia";
        QVERIFY(QDir().mkpath(path));
    } else if (kind == "link") {
        path = dir_ + "/link.pia";
        QFile::remove(path);
        QVERIFY(QFile::link(fifo, path));
    }

    FifoRescue rescue(fifo);
    AudioImageFile file;
    file.setPath(path);
    QSignalSpy errors(&file, SIGNAL(errorOccurred(QString)));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!file.readAll());
    QVERIFY2(clock.elapsed() < 2000, "the reader waited on the file");
    QVERIFY(file.image().isEmpty() && file.audio().isEmpty());
    QVERIFY2(file.errorString().contains("not a regular file"), qPrintable(file.errorString()));
    QVERIFY(file.errorString().contains(path));
    QCOMPARE(errors.count(), 1);
    QFile::remove(fifo);
}

// The library itself refuses a FIFO for reading and for writing, whoever calls it.
void TestAudioImageFile::libraryRefusesFifo()
{
    QLibrary lib(AudioImageFile::libraryPath());
    auto readImage = reinterpret_cast<ReadFn>(lib.resolve("readImageData"));
    auto writeFn = reinterpret_cast<WriteFn>(lib.resolve("write"));
    QVERIFY2(readImage && writeFn, qPrintable(lib.errorString()));
    const QString fifo = dir_ + "/lib-fifo.pia";
    QFile::remove(fifo);
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QByteArray name = QFile::encodeName(fifo);
    {
        FifoRescue rescue(fifo);
        QElapsedTimer clock;
        clock.start();
        int length = 0;
        QVERIFY(!readImage(name.constData(), &length));
        QCOMPARE(length, -1);
        QVERIFY2(clock.elapsed() < 2000, "the library waited for a writer");
    }
    {
        // With a reader at the other end, so that the open itself succeeds.
        const int reader = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(writeFn(name.constData(), "img", 3, "snd", 3) != 0);
        char buffer[64];
        QCOMPARE(::read(reader, buffer, sizeof buffer), ssize_t(0));   // nothing was written
        ::close(reader);
        QVERIFY(clock.elapsed() < 2000);
    }
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());   // left as it was
    QFile::remove(fifo);
}

void TestAudioImageFile::decodeWav()
{
    QAudioFormat format;
    QByteArray pcm;
    QString error;
    const QByteArray wav = toneWav(10, 22050);
    QVERIFY(AudioThreadPlay::decode(wav, &format, &pcm, &error));
    QCOMPARE(format.sampleRate(), 22050);
    QCOMPARE(format.sampleSize(), 16);
    QCOMPARE(format.channelCount(), 1);
    QCOMPARE(format.sampleType(), QAudioFormat::SignedInt);
    QCOMPARE(pcm.size(), 22050 / 100 * 2);
    QCOMPARE(pcm, wav.right(pcm.size())); // the header and the LIST chunk are skipped

    // Raw blocks play as 48000 Hz signed 16-bit mono.
    QVERIFY(AudioThreadPlay::decode("abcd", &format, &pcm, &error));
    QCOMPARE(format.sampleRate(), 48000);
    QCOMPARE(format.sampleType(), QAudioFormat::SignedInt);
    QCOMPARE(pcm, QByteArray("abcd"));

    // A WAV file in a format the player cannot play is refused.
    QByteArray alaw = wav;
    alaw[20] = 6;
    QVERIFY(!AudioThreadPlay::decode(alaw, &format, &pcm, &error));
    QVERIFY(!error.isEmpty());
}

void TestAudioImageFile::playFinishesAndRestarts()
{
    if (!haveSound_)
        QSKIP("no PulseAudio server could be started here");
    AudioImageFile file;
    // Read through the library, as the player does.
    const QString path = dir_ + "/tone.pia";
    file.setPath(path);
    QVERIFY(file.write("img", toneWav(300)));
    QVERIFY(file.readAll());
    QSignalSpy changes(&file, SIGNAL(stateChange()));
    QSignalSpy errors(&file, SIGNAL(errorOccurred(QString)));
    for (int round = 0; round < 2; ++round) {
        QElapsedTimer t;
        t.start();
        file.play();
        QTRY_COMPARE_WITH_TIMEOUT(file.playing(), 1, 3000);
        file.play(); // a second click while playing changes nothing
        QTRY_COMPARE_WITH_TIMEOUT(file.playing(), 0, 5000);
        QVERIFY2(errors.isEmpty(), errors.isEmpty() ? "" : qPrintable(errors.first().first().toString()));
        QVERIFY2(t.elapsed() >= 200, "the tone played through to its end");
    }
    QVERIFY(changes.count() >= 4);
}

void TestAudioImageFile::stopDuringPlayback()
{
    if (!haveSound_)
        QSKIP("no PulseAudio server could be started here");
    AudioImageFile file;
    file.setPath(dir_ + "/long.pia");
    QVERIFY(file.write("img", toneWav(5000)));
    QVERIFY(file.readAll());
    QElapsedTimer t;
    t.start();
    file.play();
    QTRY_COMPARE_WITH_TIMEOUT(file.playing(), 1, 3000);
    QTest::qWait(200);
    file.stop();
    QTRY_COMPARE_WITH_TIMEOUT(file.playing(), 0, 2000);
    QVERIFY(t.elapsed() < 4000);
    // Playing again starts from the first byte.
    file.play();
    QTRY_COMPARE_WITH_TIMEOUT(file.playing(), 1, 3000);
    file.stop();
    QTRY_COMPARE_WITH_TIMEOUT(file.playing(), 0, 2000);
}

// Play pressed right after Stop, while the stopped run still winds down,
// plays again.
void TestAudioImageFile::playRightAfterStop()
{
    if (!haveSound_)
        QSKIP("no PulseAudio server could be started here");
    AudioImageFile file;
    file.setPath(dir_ + "/again.pia");
    QVERIFY(file.write("img", toneWav(5000)));
    QVERIFY(file.readAll());
    file.play();
    QTRY_COMPARE_WITH_TIMEOUT(file.playing(), 1, 3000);
    QTest::qWait(200);
    file.stop();
    file.play();
    QTest::qWait(500);
    QTRY_COMPARE_WITH_TIMEOUT(file.playing(), 1, 3000);
    file.stop();
    QTRY_COMPARE_WITH_TIMEOUT(file.playing(), 0, 2000);
}

void TestAudioImageFile::destroyDuringPlayback()
{
    if (!haveSound_)
        QSKIP("no PulseAudio server could be started here");
    auto *file = new AudioImageFile;
    file->setPath(dir_ + "/close.pia");
    QVERIFY(file->write("img", toneWav(5000)));
    QVERIFY(file->readAll());
    file->play();
    QTRY_COMPARE_WITH_TIMEOUT(file->playing(), 1, 3000);
    QTest::qWait(100);
    QElapsedTimer t;
    t.start();
    delete file; // stops and joins the thread
    QVERIFY(t.elapsed() < 3000);
}

void TestAudioImageFile::emptySoundEndsAtOnce()
{
    AudioImageFile file; // nothing read: empty picture and sound
    QSignalSpy changes(&file, SIGNAL(stateChange()));
    file.play();
    QTRY_VERIFY_WITH_TIMEOUT(changes.count() >= 2, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(file.playing(), 0, 3000);
}

void TestAudioImageFile::refusedFormatEndsWithError_data()
{
    QTest::addColumn<QByteArray>("wav");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("needsDevice");
    // Refused by the player's own reading of the header.
    QTest::newRow("A-law") << wavOf(6, 1, 8000, 8) << "Unsupported WAV audio format" << false;
    QTest::newRow("no data chunk") << wavOf(1, 1, 48000, 16).left(44 - 8)
                                   << "without audio data" << false;
    // Readable PCM the output device refuses.
    QTest::newRow("rate beyond the device") << wavOf(1, 1, 40000000, 16)
                                            << "not supported by backend" << true;
    QTest::newRow("too many channels") << wavOf(1, 200, 48000, 16, 48000)
                                       << "not supported by backend" << true;
}

// A sound that cannot be played raises the error once and the state returns
// to stopped; a second play does the same.
void TestAudioImageFile::refusedFormatEndsWithError()
{
    QFETCH(QByteArray, wav);
    QFETCH(QString, reason);
    QFETCH(bool, needsDevice);
    if (needsDevice && !haveSound_)
        QSKIP("no PulseAudio server could be started here");
    if (needsDevice) {
        // The device is there and plays the usual format: only this one is refused.
        QAudioFormat usual;
        QByteArray pcm;
        QString error;
        QVERIFY(AudioThreadPlay::decode(wavOf(1, 1, 48000, 16), &usual, &pcm, &error));
        const QAudioDeviceInfo device = QAudioDeviceInfo::defaultOutputDevice();
        QVERIFY(!device.isNull());
        QVERIFY(device.isFormatSupported(usual));
    }
    const QString path = dir_ + "/refused.pia";
    AudioImageFile file;
    file.setPath(path);
    QVERIFY(file.write("img", wav));
    QVERIFY(file.readAll());
    QCOMPARE(file.audio(), wav);
    QSignalSpy errors(&file, SIGNAL(errorOccurred(QString)));
    QSignalSpy changes(&file, SIGNAL(stateChange()));
    for (int round = 1; round <= 2; ++round) {
        file.play();
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), round, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(changes.count(), 2 * round, 3000);
        QCOMPARE(file.playing(), 0);
        QVERIFY2(errors.last().first().toString().contains(reason),
                 qPrintable(errors.last().first().toString()));
        QCOMPARE(file.errorString(), errors.last().first().toString());
    }
    QTest::qWait(100);
    QCOMPARE(errors.count(), 2);
    QCOMPARE(file.playing(), 0);
}

QTEST_GUILESS_MAIN(TestAudioImageFile)
#include "tst_audioimagefile.moc"
