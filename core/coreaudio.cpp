// Core's voice comments: recording into the audio folder and joining a
// finished recording and a capture into one image-with-audio file.

#include "core/core.h"
#include "core/corelog.h"

#include <QAudioEncoderSettings>
#include <QAudioRecorder>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QUrl>

#include "core/base/paths.h"
#include "platform/privatedir.h"
#include "windows/audioimagefile.h"
#include "windows/audioimageplayer.h"

namespace {

QByteArray readWholeFile(const QString &path)
{
    if (path.isEmpty())
        return QByteArray();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// The first of `wanted` that the back end offers.
QString firstOffered(const QStringList &offered, std::initializer_list<const char *> wanted)
{
    for (const char *name : wanted)
        if (offered.contains(QLatin1String(name), Qt::CaseInsensitive))
            return QString::fromLatin1(name);
    return QString();
}

// Uncompressed PCM in a WAV container under the names this back end uses
// (GStreamer: "audio/x-raw" in "audio/x-wav"); "audio/pcm" and the default
// container for what it does not offer.
void chooseRecordingFormat(const QAudioRecorder &recorder, QString *codec, QString *container)
{
    *codec = firstOffered(recorder.supportedAudioCodecs(), {"audio/pcm", "audio/x-raw"});
    *container = firstOffered(recorder.supportedContainers(), {"audio/x-wav", "audio/wav", "wav"});
    if (codec->isEmpty()) {
        qCWarning(pryx::lcCore) << Q_FUNC_INFO << "no PCM codec offered:" << recorder.supportedAudioCodecs();
        *codec = QStringLiteral("audio/pcm");
    }
    if (container->isEmpty())
        qCWarning(pryx::lcCore) << Q_FUNC_INFO << "no WAV container offered:" << recorder.supportedContainers();
}

} // namespace

bool Core::isCanRecordAudio() { return false; }

void Core::recordAudio()
{
    if (!audioRecorder_)
        audioRecorder_ = new QAudioRecorder();
    audioRecorder_->setAudioInput(audioRecorder_->defaultAudioInput());

    QString codec;
    QString container;
    chooseRecordingFormat(*audioRecorder_, &codec, &container);
    QAudioEncoderSettings settings;
    settings.setCodec(codec);
    settings.setQuality(QMultimedia::HighQuality);
    // The player plays raw blocks as 48000 Hz 16-bit mono; record the same.
    settings.setSampleRate(48000);
    settings.setChannelCount(1);
    audioRecorder_->setEncodingSettings(settings, QVideoEncoderSettings(), container);
    audioRecorder_->setVolume(1.0);

    pryx::platform::ensurePrivateDir(pryx::audioTmpPath());
    const QString file = QDir::toNativeSeparators(QDir(pryx::audioTmpPath()).absolutePath())
                         + QDir::separator()
                         + QString::number(QDateTime::currentMSecsSinceEpoch()) + ".wav";
    audioRecorder_->setOutputLocation(QUrl::fromLocalFile(file));
    audioRecorder_->record();
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << file << codec << container << audioRecorder_->error()
             << audioRecorder_->errorString();
}

void Core::pauseRecordAudio()
{
    if (!audioRecorder_)
        audioRecorder_ = new QAudioRecorder();
    audioRecorder_->pause();
}

void Core::uppauseRecordAudio()
{
    if (!audioRecorder_)
        audioRecorder_ = new QAudioRecorder();
    audioRecorder_->record();
}

QString Core::stopRecordAudio()
{
    if (!audioRecorder_)
        audioRecorder_ = new QAudioRecorder();
    audioRecorder_->stop();
    // The recorder finishes its file asynchronously: wait for the stopped
    // state before the file is read.
    if (audioRecorder_->status() != QMediaRecorder::UnloadedStatus
        && audioRecorder_->status() != QMediaRecorder::LoadedStatus) {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(audioRecorder_, &QMediaRecorder::statusChanged, &loop,
                [&loop](QMediaRecorder::Status status) {
                    if (status == QMediaRecorder::LoadedStatus
                        || status == QMediaRecorder::UnloadedStatus)
                        loop.quit();
                });
        timeout.start(5000);
        loop.exec();
    }
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << audioImageSource_;

    const QByteArray image = readWholeFile(audioImageSource_);
    const QByteArray audio = readWholeFile(getAudioFile());
    // Named after the time; two files in one millisecond must not share it.
    const QString folder = QDir::toNativeSeparators(QDir(pryx::tmpPath()).absolutePath())
                           + QDir::separator();
    qint64 stamp = QDateTime::currentMSecsSinceEpoch();
    QString path = folder + QString::number(stamp) + ".pia";
    while (QFile::exists(path))
        path = folder + QString::number(++stamp) + ".pia";
    AudioImageFile file;
    file.setPath(path);
    if (!file.write(image, audio)) {
        // A write the library refused is not hidden; a missing library
        // stays silent and the caller's upload or copy fails on its own.
        if (!file.errorString().isEmpty() && QFile::exists(AudioImageFile::libraryPath()))
            showErrorWidget(file.errorString());
    }
    return path;
}

bool Core::isHaveAudioFile()
{
    return !QDir(pryx::audioTmpPath()).entryList({QStringLiteral("*.wav")}, QDir::Files).isEmpty();
}

QString Core::getAudioFile()
{
    const QFileInfoList files =
        QDir(pryx::audioTmpPath()).entryInfoList({QStringLiteral("*.wav")}, QDir::Files, QDir::Time);
    return files.isEmpty() ? QString() : files.first().absoluteFilePath();
}

void Core::clearAudioFile()
{
    QDir dir(pryx::audioTmpPath());
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        dir.remove(name);
}

void Core::openAudioImage(QString fileName)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << fileName;
    auto *player = new AudioImagePlayer();
    player->setFile(fileName);
    connect(player, &BasicWindow::closed, player, &QObject::deleteLater);
    player->show();
}
