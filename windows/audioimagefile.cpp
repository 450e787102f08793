#include "windows/audioimagefile.h"
#include "windows/windowslog.h"

#include <QAudioDeviceInfo>
#include <QAudioOutput>
#include <QBuffer>
#include <QCoreApplication>
#include <QDebug>
#include <QEventLoop>
#include <QFileInfo>
#include <QLibrary>
#include <QMetaEnum>
#include <QMutexLocker>
#include <QtEndian>

namespace {

using ReadFn = const char *(*)(const char *, int *);
using WriteFn = int (*)(const char *, const char *, int, const char *, int);
using ErrorFn = const char *(*)();

QString s_libraryPath;

QString libraryError(QLibrary &lib, const QString &fallback)
{
    auto fn = reinterpret_cast<ErrorFn>(lib.resolve("lastError"));
    const QString text = fn ? QString::fromUtf8(fn()) : QString();
    return text.isEmpty() ? fallback : text;
}

} // namespace

// Playback thread.

AudioThreadPlay::AudioThreadPlay(const QByteArray &audio, QObject *parent)
    : QThread(parent), audio_(audio)
{
}

AudioThreadPlay::~AudioThreadPlay()
{
    stopPlayback();
    quit();
    wait();
}

bool AudioThreadPlay::decode(const QByteArray &audio, QAudioFormat *format, QByteArray *pcm,
                             QString *error)
{
    format->setCodec(QStringLiteral("audio/pcm"));
    format->setByteOrder(QAudioFormat::LittleEndian);
    format->setSampleType(QAudioFormat::SignedInt);
    format->setSampleRate(48000);
    format->setSampleSize(16);
    format->setChannelCount(1);
    if (!audio.startsWith("RIFF") || audio.size() < 12 || audio.mid(8, 4) != "WAVE") {
        *pcm = audio;
        return true;
    }
    const uchar *p = reinterpret_cast<const uchar *>(audio.constData());
    const qint64 size = audio.size();
    qint64 pos = 12;
    bool haveFormat = false;
    while (pos + 8 <= size) {
        const QByteArray id = audio.mid(int(pos), 4);
        const qint64 length = qFromLittleEndian<quint32>(p + pos + 4);
        const qint64 body = pos + 8;
        if (id == "fmt ") {
            if (length < 16 || body + 16 > size) {
                *error = QStringLiteral("Broken WAV format chunk.");
                return false;
            }
            const int tag = qFromLittleEndian<quint16>(p + body);
            const int channels = qFromLittleEndian<quint16>(p + body + 2);
            const int rate = int(qFromLittleEndian<quint32>(p + body + 4));
            const int bits = qFromLittleEndian<quint16>(p + body + 14);
            if ((tag != 1 && tag != 0xfffe) || channels < 1 || rate < 1
                || (bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
                *error = QStringLiteral("Unsupported WAV audio format.");
                return false;
            }
            format->setChannelCount(channels);
            format->setSampleRate(rate);
            format->setSampleSize(bits);
            format->setSampleType(bits == 8 ? QAudioFormat::UnSignedInt : QAudioFormat::SignedInt);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                *error = QStringLiteral("WAV data before its format.");
                return false;
            }
            // A recorder that could not finish its header leaves the length
            // open; play what is there.
            const qint64 available = size - body;
            *pcm = audio.mid(int(body), int(qMin(length, available)));
            return true;
        }
        pos = body + length + (length & 1);
    }
    *error = QStringLiteral("WAV file without audio data.");
    return false;
}

void AudioThreadPlay::stopPlayback()
{
    stopRequested_ = true;
    QMutexLocker lock(&mutex_);
    if (output_) {
        QAudioOutput *output = output_;
        QMetaObject::invokeMethod(output, [output] { output->stop(); }, Qt::QueuedConnection);
    }
}

void AudioThreadPlay::startPlayback()
{
    stopRequested_ = false;
    start();
}

void AudioThreadPlay::run()
{
    emit playChange(1);

    QAudioFormat format;
    QByteArray pcm;
    QString error;
    if (!decode(audio_, &format, &pcm, &error)) {
        qCWarning(pryx::lcWindows) << Q_FUNC_INFO << error;
        emit playError(error);
        emit playChange(0);
        return;
    }
    if (pcm.isEmpty()) {
        // Nothing to play: end at once, as the output would at its idle state.
        emit playChange(0);
        return;
    }
    QBuffer buffer(&pcm);
    buffer.open(QIODevice::ReadOnly);

    const QAudioDeviceInfo device = QAudioDeviceInfo::defaultOutputDevice();
    if (device.isNull() || !device.isFormatSupported(format)) {
        qCWarning(pryx::lcWindows) << "Raw audio format not supported by backend, cannot play audio.";
        emit playError(QStringLiteral("Raw audio format not supported by backend, cannot play audio."));
        emit playChange(0);
        return;
    }

    QAudioOutput output(device, format);
    output.setVolume(1.0);
    connect(&output, SIGNAL(stateChanged(QAudio::State)), this, SLOT(stateChanged(QAudio::State)),
            Qt::DirectConnection);
    {
        QMutexLocker lock(&mutex_);
        output_ = &output;
    }
    if (!stopRequested_) {
        output.start(&buffer);
        if (output.error() != QAudio::NoError) {
            emit playError(QStringLiteral("The audio output cannot be opened."));
            emit playChange(0);
        } else {
            exec();
        }
    } else {
        emit playChange(0);
    }
    {
        QMutexLocker lock(&mutex_);
        output_ = nullptr;
    }
    output.disconnect(this);
    output.stop();
}

void AudioThreadPlay::stateChanged(QAudio::State state)
{
    qCDebug(pryx::lcWindows) << Q_FUNC_INFO << state;
    if (state == QAudio::StoppedState || state == QAudio::IdleState) {
        emit playChange(0);
        quit();
    }
}

// The file.

AudioImageFile::AudioImageFile(QObject *parent) : QObject(parent) {}

AudioImageFile::~AudioImageFile()
{
    // The thread is a child, but it must be stopped and joined before the
    // QObject tree deletes it.
    if (thread_) {
        thread_->stopPlayback();
        thread_->quit();
        thread_->wait();
    }
}

QString AudioImageFile::libraryPath()
{
    if (!s_libraryPath.isEmpty())
        return s_libraryPath;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/audiolib.so");
}

void AudioImageFile::setLibraryPath(const QString &path) { s_libraryPath = path; }

bool AudioImageFile::readAll()
{
    image_.clear();
    audio_.clear();
    error_.clear();
    QLibrary lib(libraryPath());
    auto readImage = reinterpret_cast<ReadFn>(lib.resolve("readImageData"));
    auto readAudio = reinterpret_cast<ReadFn>(lib.resolve("readAudioData"));
    if (!readImage || !readAudio) {
        qCDebug(pryx::lcWindows) << Q_FUNC_INFO << "audio library not available" << lib.errorString();
        error_ = QStringLiteral("The audio library is not available.");
        return false;
    }
    // A FIFO or a device would hold the reader (and the window) forever, and
    // a library of another make may not look before it opens.
    const QFileInfo info(path_);
    if (info.exists() && !info.isFile()) {
        error_ = QStringLiteral("Cannot open \"%1\": not a regular file.").arg(path_);
        qCWarning(pryx::lcWindows) << Q_FUNC_INFO << error_;
        emit errorOccurred(error_);
        return false;
    }
    const QByteArray name = path_.toUtf8();
    int length = -1;
    const char *data = readImage(name.constData(), &length);
    if (!data || length < 0) {
        error_ = QStringLiteral("Cannot open \"%1\": %2.")
                     .arg(path_, libraryError(lib, QStringLiteral("unreadable file")));
        qCWarning(pryx::lcWindows) << Q_FUNC_INFO << error_;
        emit errorOccurred(error_);
        return false;
    }
    image_ = QByteArray(data, length);
    qCDebug(pryx::lcWindows) << "image size = " << length;
    length = -1;
    data = readAudio(name.constData(), &length);
    if (!data || length < 0) {
        image_.clear();
        error_ = QStringLiteral("Cannot open \"%1\": %2.")
                     .arg(path_, libraryError(lib, QStringLiteral("unreadable file")));
        qCWarning(pryx::lcWindows) << Q_FUNC_INFO << error_;
        emit errorOccurred(error_);
        return false;
    }
    audio_ = QByteArray(data, length);
    qCDebug(pryx::lcWindows) << "audio size = " << length;
    return true;
}

bool AudioImageFile::write(const QByteArray &image, const QByteArray &audio)
{
    error_.clear();
    QLibrary lib(libraryPath());
    auto writeFn = reinterpret_cast<WriteFn>(lib.resolve("write"));
    if (!writeFn) {
        qCDebug(pryx::lcWindows) << Q_FUNC_INFO << "audio library not available" << lib.errorString();
        error_ = QStringLiteral("The audio library is not available.");
        return false;
    }
    const QByteArray name = path_.toUtf8();
    if (writeFn(name.constData(), image.constData(), image.size(), audio.constData(), audio.size())
        != 0) {
        error_ = QStringLiteral("Cannot write \"%1\": %2.")
                     .arg(path_, libraryError(lib, QStringLiteral("write failed")));
        qCWarning(pryx::lcWindows) << Q_FUNC_INFO << error_;
        emit errorOccurred(error_);
        return false;
    }
    return true;
}

void AudioImageFile::play()
{
    if (!thread_) {
        thread_ = new AudioThreadPlay(audio_, this);
        connect(thread_, SIGNAL(playChange(int)), this, SLOT(playChange(int)));
        connect(thread_, SIGNAL(playError(QString)), this, SLOT(threadError(QString)));
    }
    if (thread_->isRunning()) {
        if (!thread_->isStopping())
            return;
        // A stopped run still winding down: let it end, then play again.
        thread_->wait();
    }
    thread_->startPlayback();
}

void AudioImageFile::stop()
{
    if (thread_)
        thread_->stopPlayback();
}

void AudioImageFile::playError(QMediaPlayer::Error error)
{
    const QMetaObject &meta = QMediaPlayer::staticMetaObject;
    const QMetaEnum e = meta.enumerator(meta.indexOfEnumerator("Error"));
    qCDebug(pryx::lcWindows) << Q_FUNC_INFO << (QStringLiteral("QMediaPlayer::") + QLatin1String(e.valueToKey(error)));
}

void AudioImageFile::playChange(int state)
{
    if (state == 0 || state == 1)
        playing_ = state;
    emit stateChange();
}

void AudioImageFile::threadError(QString text)
{
    error_ = text;
    emit errorOccurred(text);
}
