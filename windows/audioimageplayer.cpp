#include "windows/audioimageplayer.h"

#include "windows/audioimagefile.h"
#include "windows/windowflags.h"
#include "windows/windowslog.h"

#include <QDebug>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickImageProvider>
#include <QScreen>

namespace {

// Serves the player's picture as "image://background/data".
class PictureProvider : public QQuickImageProvider
{
public:
    explicit PictureProvider(AudioImageFile *file)
        : QQuickImageProvider(QQuickImageProvider::Image), file_(file)
    {
    }

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override
    {
        Q_UNUSED(id)
        QImage image;
        if (file_)
            image.loadFromData(file_->image());
        if (image.isNull()) {
            // No picture: an empty page rather than a failed image.
            image = QImage(1, 1, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
        }
        if (size)
            *size = image.size();
        if (!image.isNull() && requestedSize.isValid())
            image = image.scaled(requestedSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return image;
    }

private:
    QPointer<AudioImageFile> file_;
};

} // namespace

AudioImagePlayer::AudioImagePlayer(QWindow *parent) : BasicWindow(parent)
{
    file_ = new AudioImageFile(this);
    connect(file_, &AudioImageFile::stateChange, this, &AudioImagePlayer::isPlayChanged);
    connect(file_, &AudioImageFile::errorOccurred, this, &AudioImagePlayer::setErrorText);
    engine()->addImageProvider(QStringLiteral("background"), new PictureProvider(file_));
    setup();
}

AudioImagePlayer::~AudioImagePlayer()
{
    qCDebug(pryx::lcWindows) << Q_FUNC_INFO;
    // Stop and join the playback thread while the page still exists.
    file_->stop();
    delete file_;
    file_ = nullptr;
}

void AudioImagePlayer::init()
{
    rootContext()->setContextProperty(QStringLiteral("window"), this);
    rootContext()->setContextProperty(QStringLiteral("player"), this);
    setTitle(tr("Player") + " - " + pryx::userName());
    setFlags(pryx::framelessWindow());
    setObjectName(QStringLiteral("PlayerWidget"));
    setMovable(true);
}

void AudioImagePlayer::setFile(QString path)
{
    file_->setPath(path);
    if (file_->readAll()) {
        setErrorText(QString());
        return;
    }
    // Without the library the player opens empty, as it would with an empty
    // file; a file the library refuses is named on the page.
    if (QFile::exists(AudioImageFile::libraryPath()))
        setErrorText(file_->errorString());
}

void AudioImagePlayer::show()
{
    loadPage(QStringLiteral("qrc:/qml/qml/Window/AudioPlayer.qml"));
    if (isMoved())
        return;
    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    move(area.width() / 2 - width() / 2, area.height() / 2 - 315);
    emit showed();
    QQuickView::show();
}

void AudioImagePlayer::playAudio()
{
    if (!errorText_.isEmpty())
        return;
    file_->play();
}

void AudioImagePlayer::stopAudio() { file_->stop(); }

bool AudioImagePlayer::isPlay() const
{
    const bool playing = file_ && file_->playing();
    qCDebug(pryx::lcWindows) << Q_FUNC_INFO << playing;
    return playing;
}

void AudioImagePlayer::setErrorText(const QString &text)
{
    if (errorText_ == text)
        return;
    errorText_ = text;
    emit errorTextChanged();
}
