// Core's panorama paths: the window-scrolling panorama screen, the panorama
// editor and the upload of their results.
#include "core/core.h"
#include "core/keptwindow.h"
#include "core/corelog.h"

#include "capture/surfaceponoramscreen.h"
#include "capture/surfacewidget.h"
#include "core/base/paths.h"
#include "core/base/pngencoder.h"
#include "core/base/setting.h"
#include "windows/editponoramwidget.h"
#include "windows/maintoolwidget.h"

#include <QBuffer>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>

namespace {

QVariant setting(const char *key) { return Setting::instance()->getValue(QString::fromLatin1(key)); }

// The temporary file of a panorama by the "qualityImage" rule; empty when
// it cannot be written.
QString writePanorama(const QImage &image)
{
    const int q = int(setting("qualityImage").toDouble());
    const char *format = q == 0 || q == 1 ? "JPG" : "PNG";
    const int quality = q == 0 ? 90 : q == 1 ? 100 : -1;
    const QString name = pryx::tmpPath() + QString::number(QDateTime::currentMSecsSinceEpoch())
                         + (q == 0 || q == 1 ? QStringLiteral(".jpg") : QStringLiteral(".png"));
    QDir().mkpath(pryx::tmpPath());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    const bool encoded = quality < 0 ? pryx::encodePng(image, &bytes)
                                     : buffer.open(QIODevice::WriteOnly) && image.save(&buffer, format, quality);
    if (!encoded || bytes.isEmpty())
        return QString();
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
        || !file.flush()) {
        file.close();
        QFile::remove(name);
        return QString();
    }
    return name;
}

// The file to upload for a finished panorama; empty, with the reason in
// error, when there is nothing to upload.
QString panoramaFile(const QImage &image, QString *error)
{
    if (image.isNull()) {
        *error = Core::tr("The capture is empty and was not uploaded");
        return QString();
    }
    const QString name = writePanorama(image);
    if (name.isEmpty())
        *error = Core::tr("The capture could not be written to %1").arg(pryx::tmpPath());
    return name;
}

} // namespace

SurfacePonoramScreen *Core::surfacePonoramScreen()
{
    if (!panoramaScreen_) {
        panoramaScreen_ = new SurfacePonoramScreen();
        connect(panoramaScreen_, SIGNAL(uploadedScreen()), this, SLOT(ponoramUpload()));
    }
    return panoramaScreen_;
}

void Core::ponoramScreen()
{
    // A running window-scrolling loop must not lose its view.
    if (panoramaScreen_ && panoramaScreen_->isScrolling())
        return;
    pryx::ensureWindow(mainToolWidget_);
    mainToolWidget_->hide();
    mainToolWidget_->setPosition(-1000, -1000);
    if (panoramaScreen_) {
        panoramaScreen_->deleteLater();
        panoramaScreen_ = nullptr;
    }
    surfacePonoramScreen()->show();
}

void Core::ponoramUpload()
{
    if (!panoramaScreen_)
        return;
    QString error;
    const QString name = panoramaFile(panoramaScreen_->renderRubberRect().toImage(), &error);
    if (name.isEmpty()) {
        // The panorama stays on the screen.
        showErrorWidget(error);
        return;
    }
    QString title;
    if (Setting::instance()->flag(QStringLiteral("showActiveWindow")) && surface_)
        title = windowTitle_;
    callUploadFrontEnd(UploadCall::File, QStringList{name}, title, 0);
    panoramaScreen_->close();
    panoramaScreen_->deleteLater();
    panoramaScreen_ = nullptr;
}

void Core::ponoramUpload(QPixmap pxm)
{
    QString error;
    const QString name = panoramaFile(pxm.toImage(), &error);
    if (name.isEmpty()) {
        showErrorWidget(error);
        return;
    }
    const QString title = Setting::instance()->flag(QStringLiteral("showActiveWindow")) ? windowTitle_ : QString();
    callUploadFrontEnd(UploadCall::File, QStringList{name}, title, 0);
    emit deletedSurfaceScreen();
}

void Core::ponoramEdit(QPixmap pxm)
{
    emit deletedSurfaceScreen();
    if (editPonoramWidget_)
        return;
    editPonoramWidget_ = new EditPonoramWidget(pxm, nullptr, this);
    editPonoramWidget_->showCentered();
    editPonoramWidget_->setBackground(pxm);
    connect(editPonoramWidget_, SIGNAL(closed()), this, SLOT(deleteEditPonoram()));
}

void Core::deleteEditPonoram()
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO;
    if (!editPonoramWidget_)
        return;
    editPonoramWidget_->hide();
    editPonoramWidget_->deleteLater();
    editPonoramWidget_ = nullptr;
}
