// Capture commands of Core: from the command that opens the capture surface to
// the temporary file and its upload, the file on disk or the clipboard.

#include "core/core.h"

#include "network/networkexchange.h"
#include "core/corelog.h"

#include <QBuffer>
#include <QClipboard>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QScreen>
#include <QQuickItem>
#include <QStandardPaths>

#include "capture/surfaceponoramscreen.h"
#include "capture/surfaceselector.h"
#include "capture/surfacewidget.h"
#include "core/base/paths.h"
#include "core/base/pngencoder.h"
#include "core/base/setting.h"
#include "core/corelogin.h"
#include "core/keptwindow.h"
#include "platform/desktopgrab.h"
#include "platform/filedialogs.h"
#include "platform/heap.h"
#include "platform/windowlist.h"
#include "windows/autorizationwidget.h"
#include "windows/maintoolwidget.h"

namespace {

const QStringList &fileNameStripList()
{
    static const QStringList list = {":", ";", "|", "/", "\\", "%", "*", "@", "\"",
                                     "?", "'", "?", "#", "=", "<", ">"};
    return list;
}

QVariant setting(const char *key)
{
    return Setting::instance()->getValue(QString::fromLatin1(key));
}

QString msStamp() { return QString::number(QDateTime::currentMSecsSinceEpoch()); }

struct ImageFormat {
    const char *format;
    int quality;
    QString extension;
};

// "qualityImage": 0 JPEG 90, 1 JPEG 100, anything else PNG.
ImageFormat imageFormat()
{
    const int q = int(setting("qualityImage").toDouble());
    if (q == 0)
        return {"JPG", 90, QStringLiteral(".jpg")};
    if (q == 1)
        return {"JPG", 100, QStringLiteral(".jpg")};
    return {"PNG", -1, QStringLiteral(".png")};
}

QString shortenTitle(const QString &title)
{
    if (title.size() <= 255)
        return title;
    return title.left(115) + QStringLiteral("...") + title.right(115);
}

// Letters a file name can carry: no control characters, none of the strip list.
QString cleanTitle(QString title)
{
    for (const QString &s : fileNameStripList())
        title.remove(s, Qt::CaseSensitive);
    QString out;
    out.reserve(title.size());
    for (const QChar ch : qAsConst(title)) {
        if (ch.category() != QChar::Other_Control && ch.category() != QChar::Other_Format)
            out.append(ch);
    }
    return out.trimmed();
}

// Title of the topmost window of another program meeting `rect` (desktop
// coordinates), or the time stamp.
QString activeWindowTitle(const QRect &rect)
{
    bool ok = false;
    const QVector<pryx::platform::TitledWindow> windows = pryx::platform::foreignWindowsAt(rect, &ok);
    if (!ok || windows.isEmpty())
        return msStamp();
    const QString title = shortenTitle(cleanTitle(windows.first().title));
    return title.isEmpty() ? msStamp() : title;
}

// A free name in `folder` for `base` + `ext`: " (2)", " (3)" … when taken.
QString freeName(const QString &folder, const QString &base, const QString &ext)
{
    QString name = QDir(folder).filePath(base + ext);
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = QDir(folder).filePath(QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(ext));
    return name;
}

QString saveFolder()
{
    QString folder = setting("saveScreenFolder").toString();
    folder.replace('\\', '/');
    return folder == QLatin1String("0") ? QString() : folder;
}

bool encode(const QImage &image, const ImageFormat &f, QByteArray *bytes)
{
    if (f.quality < 0)
        return pryx::encodePng(image, bytes);
    QBuffer buffer(bytes);
    return buffer.open(QIODevice::WriteOnly) && image.save(&buffer, f.format, f.quality);
}

// Writes all bytes; a partial file is removed.
bool writeFile(const QString &name, const QByteArray &bytes, QString *error)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = file.errorString();
        qCDebug(pryx::lcCore) << "capture file not opened:" << name << int(file.error()) << file.errorString();
        return false;
    }
    const bool ok = file.write(bytes) == bytes.size() && file.flush();
    if (!ok) {
        *error = file.errorString();
        qCDebug(pryx::lcCore) << "capture file not written:" << name << int(file.error()) << file.errorString();
        file.close();
        file.remove();
    }
    return ok;
}

enum class Written { Ok, NotEncoded, NotWritten };

// Writes `image` by the format rule to the file `name`. A PNG goes to the
// file stripe by stripe as it is joined, with no copy of the whole file in
// memory, through a save file: a file that was there stays untouched until
// the new one is complete. A partial file is removed.
Written writeImage(const QString &name, const QImage &image, const ImageFormat &f, QString *error)
{
    if (f.quality >= 0) {
        QByteArray bytes;
        if (!encode(image, f, &bytes) || bytes.isEmpty())
            return Written::NotEncoded;
        return writeFile(name, bytes, error) ? Written::Ok : Written::NotWritten;
    }
    if (image.isNull())
        return Written::NotEncoded;
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        qCDebug(pryx::lcCore) << "capture file not opened:" << name << int(file.error()) << file.errorString();
        return Written::NotWritten;
    }
    if (!pryx::writePng(image, &file)) {
        const bool writeFailed = file.error() != QFileDevice::NoError;
        *error = file.errorString();
        qCDebug(pryx::lcCore) << "capture file not written:" << name << int(file.error()) << file.errorString();
        file.cancelWriting();
        return writeFailed ? Written::NotWritten : Written::NotEncoded;
    }
    if (!file.commit()) {
        *error = file.errorString();
        qCDebug(pryx::lcCore) << "capture file not written:" << name << int(file.error()) << file.errorString();
        return Written::NotWritten;
    }
    return Written::Ok;
}

QRect virtualDesktop()
{
    return QGuiApplication::primaryScreen() ? pryx::platform::virtualDesktop() : QRect();
}

// The window-scrolling panorama processes events inside its loop; a capture
// started from there (a hotkey, the tray) would run nested in it.
bool refusedDuringPanorama(const SurfacePonoramScreen *panorama, const char *command)
{
    if (!panorama || !panorama->isScrolling())
        return false;
    qCDebug(pryx::lcCore) << command << "refused: a panorama capture is running";
    return true;
}

// One capture at a time: a command while the surface is open (a hotkey, the
// tray, the command line) would start a second capture over the first.
bool refusedWhileCapturing(const SurfaceWidget *surface, const SurfacePonoramScreen *panorama,
                           const char *command)
{
    if (refusedDuringPanorama(panorama, command))
        return true;
    if (!surface)
        return false;
    qCDebug(pryx::lcCore) << command << "refused: a capture is open";
    return true;
}

} // namespace

bool coreLoginStored(Core *core)
{
    if (QObject *account = core->accountObject()) {
        bool auth = false;
        if (QMetaObject::invokeMethod(account, "isAuth", Qt::DirectConnection, Q_RETURN_ARG(bool, auth)))
            return auth;
    }
    // Until the login object exists a stored token counts as a login.
    return !setting("token").toString().isEmpty();
}

void Core::showLoginWindow()
{
    if (QObject *account = accountObject())
        QMetaObject::invokeMethod(account, "resetAutorization");
    pryx::ensureWindow(autorizationWidget_);
    autorizationWidget_->show();
}

void Core::callUploadFrontEnd(UploadCall call, const QStringList &files, const QString &title, int type)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << int(call) << files << title << type;
    if (!networkExchange_) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "upload front end not available";
        return;
    }
    switch (call) {
    case UploadCall::File:
        networkExchange_->uploadFile(files.value(0), title, type);
        break;
    case UploadCall::Files:
        networkExchange_->uploadFiles(files);
        break;
    case UploadCall::Zip:
        networkExchange_->uploadDataZip(files);
        break;
    }
}

SurfaceWidget *Core::surfaceWidget()
{
    if (!surface_) {
        surface_ = new SurfaceWidget(nullptr, this);
        connect(surface_, SIGNAL(uploadedScreen()), this, SLOT(screenUpload()));
        connect(surface_, SIGNAL(uploadPonoram(QPixmap)), this, SLOT(ponoramUpload(QPixmap)));
        connect(surface_, SIGNAL(closed()), this, SLOT(deleteSurfaceScreen()));
    }
    return surface_;
}

void Core::deleteSurfaceScreen()
{
    if (!surface_)
        return;   // one close emits closed() twice
    connect(surface_, &QObject::destroyed, this, &Core::releaseCaptureMemory);
    surface_->deleteLater();
    surface_ = nullptr;
}

void Core::releaseCaptureMemory()
{
    // A second later: the page's items and the scene graph are freed by
    // deletions that the surface's own deletion schedules.
    if (!heapRelease_) {
        heapRelease_ = new QTimer(this);
        heapRelease_->setSingleShot(true);
        heapRelease_->setInterval(1000);
        connect(heapRelease_, &QTimer::timeout, this, [] { pryx::platform::releaseFreeHeap(); });
    }
    heapRelease_->start();
}

void Core::openSurfaceRect(int index, QRect rect, QPixmap pxm)
{
    if (refusedDuringPanorama(panoramaScreen_, Q_FUNC_INFO))
        return;
    surfaceWidget()->showOnWindow(index, rect, pxm);
}

void Core::fragmentScreen()
{
    if (refusedWhileCapturing(surface_, panoramaScreen_, Q_FUNC_INFO))
        return;
    addAnalyticsEvent(AnalyticsEvent::CategoryCapture, AnalyticsEvent::ActionHotkey, true, "fragment");
    screen(false, false);
}

void Core::fullScreen()
{
    if (refusedWhileCapturing(surface_, panoramaScreen_, Q_FUNC_INFO))
        return;
    addAnalyticsEvent(AnalyticsEvent::CategoryCapture, AnalyticsEvent::ActionHotkey, true, "screen");
    screen(true, false);
}

void Core::quickScreen()
{
    if (refusedWhileCapturing(surface_, panoramaScreen_, Q_FUNC_INFO))
        return;
    addAnalyticsEvent(AnalyticsEvent::CategoryCapture, AnalyticsEvent::ActionHotkey, true, "smart");
    screenUpload(0, true, QPixmap());
}

void Core::screen(bool fullscreen, bool quick)
{
    if (refusedWhileCapturing(surface_, panoramaScreen_, Q_FUNC_INFO))
        return;
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << fullscreen << quick;
    clearAudioFile();
    if (!coreLoginStored(this)) {
        showLoginWindow();
        return;
    }
    pryx::ensureWindow(mainToolWidget_);
    mainToolWidget_->hide();
    mainToolWidget_->setPosition(-1000, -1000);

    SurfaceWidget *s = surfaceWidget();
    s->setFullscreen(fullscreen);
    s->setQuickScreen(quick);
    s->show();
}

void Core::screenUpload(int type, bool quick, QPixmap pxm)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << type << quick;
    // Only an existing surface is asked: none is made to read a selection.
    const QRect selection = surface_ ? surface_->selectRect() : QRect();
    QString name = pryx::tmpPath() + msStamp();

    QImage image;
    bool fromSurface = false;
    if (!pxm.isNull()) {
        image = pxm.toImage();
    } else if (quick) {
        const QRect desk = virtualDesktop();
        if (!desk.isEmpty())
            image = pryx::platform::grabDesktop(desk);
    } else if (surface_) {
        image = surface_->grabResult().toImage();
        fromSurface = true;
    }
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "empty capture, nothing uploaded";
        showErrorWidget(tr("The capture is empty and was not uploaded"));
        return;
    }

    const ImageFormat f = imageFormat();
    QString error;
    name += f.extension;
    QDir().mkpath(pryx::tmpPath());
    const Written written = writeImage(name, image, f, &error);
    if (written == Written::NotEncoded) {
        showErrorWidget(tr("The capture could not be encoded and was not uploaded"));
        return;
    }
    audioImageSource_ = name;
    if (written == Written::NotWritten) {
        // The surface stays open with the capture.
        showErrorWidget(tr("The capture could not be written to %1: %2").arg(name, error));
        return;
    }
    if (fromSurface && surface_)
        surface_->close();

    Setting::instance()->setValue(QStringLiteral("count_screen"), setting("count_screen").toInt() + 1);
    Setting::instance()->setValue(QStringLiteral("date_last_screen"), QDateTime::currentDateTime());

    if (Setting::instance()->flag(QStringLiteral("useSaveScreen"))) {
        const QString folder = saveFolder();
        if (folder.isEmpty()) {
            qCDebug(pryx::lcCore) << Q_FUNC_INFO << "no save folder, no copy kept";
        } else {
            const QString copy = freeName(
                folder, QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yyyy hh-mm-ss")),
                f.extension);
            qCDebug(pryx::lcCore) << "copy file to " << copy;
            if (!QFile::copy(name, copy))
                qCDebug(pryx::lcCore) << Q_FUNC_INFO << "copy failed:" << copy;
        }
    }
    image = QImage();

    QString title;
    if (Setting::instance()->flag(QStringLiteral("showActiveWindow"))) {
        QRect rect = quick ? virtualDesktop() : selection;
        if (!quick && surface_)
            rect.translate(surface_->desktopRect().topLeft());
        else if (!quick)
            rect.translate(virtualDesktop().topLeft());
        windowTitle_ = activeWindowTitle(rect);
        title = windowTitle_;
    }

    if (isHaveAudioFile()) {
        const QString audioFile = stopRecordAudio();
        callUploadFrontEnd(UploadCall::Files, QStringList{audioFile});
    } else {
        callUploadFrontEnd(UploadCall::File, QStringList{name}, title, type);
    }
    lastCaptureFile_ = name;
    emit deletedSurfaceScreen();
    if (quick)
        releaseCaptureMemory();
}

void Core::screenPostFacebook(QPixmap pxm) { screenUpload(1, false, pxm); }
void Core::screenPostOdnoklassniki(QPixmap pxm) { screenUpload(2, false, pxm); }
void Core::screenPostVK(QPixmap pxm) { screenUpload(3, false, pxm); }
void Core::screenPostTwitter(QPixmap pxm) { screenUpload(4, false, pxm); }
void Core::screenPostMail(QPixmap pxm) { screenUpload(5, false, pxm); }

void Core::screenSaveToDisk(QPixmap pxm)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO;
    QRect selection = surface_ ? surface_->selectRect() : QRect();
    if (surface_)
        selection.translate(surface_->desktopRect().topLeft());
    windowTitle_ = Setting::instance()->flag(QStringLiteral("showActiveWindow")) ? activeWindowTitle(selection) : msStamp();

    QString folder = setting("lastSavePath").toString();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    QString proposed = QDir::toNativeSeparators(folder) + QDir::separator() + windowTitle_;

    if (pxm.isNull()) {
        if (!surface_) {
            qCDebug(pryx::lcCore) << Q_FUNC_INFO << "no capture to save";
            return;
        }
        capturePixmap_ = surface_->grabResult();
        surface_->hide();
    } else {
        capturePixmap_ = pxm;
    }
    if (capturePixmap_.isNull()) {
        showErrorWidget(tr("The capture is empty and was not saved"));
        if (surface_)
            surface_->show();
        return;
    }

    const bool audio = isHaveAudioFile();
    const ImageFormat f = imageFormat();
    const QString ext = audio ? QStringLiteral(".pia") : f.extension;
    proposed += ext;
    QString chosen = pryx::platform::saveFileName(tr("Save file"), proposed, "*" + ext);
    if (chosen.isEmpty()) {
        capturePixmap_ = QPixmap();
        if (surface_)
            surface_->close();
        emit deletedSurfaceScreen();
        return;
    }
    if (!chosen.contains(ext))
        chosen += ext;

    QString error;
    if (audio) {
        const QString image = pryx::tmpPath() + msStamp();
        if (!capturePixmap_.save(image, "JPG", 100)) {
            error = tr("The capture could not be written to %1").arg(image);
        } else {
            audioImageSource_ = image;
            const QString pia = stopRecordAudio();
            // The user confirmed the overwrite in the dialog.
            if (QFileInfo::exists(chosen) && !QFile::remove(chosen))
                error = tr("The file %1 could not be replaced").arg(chosen);
            else if (!QFile::copy(pia, chosen))
                error = tr("The file %1 could not be written").arg(chosen);
        }
    } else {
        if (writeImage(chosen, capturePixmap_.toImage(), f, &error) != Written::Ok)
            error = tr("The file %1 could not be written: %2").arg(chosen, error);
    }
    if (!error.isEmpty()) {
        // Nothing is lost: the surface comes back with the capture.
        showErrorWidget(error);
        if (surface_)
            surface_->show();
        return;
    }
    Setting::instance()->setValue(QStringLiteral("lastSavePath"), QFileInfo(chosen).absolutePath());
    // Written: the picture is not kept for the rest of the run.
    capturePixmap_ = QPixmap();
    emit deletedSurfaceScreen();
}

void Core::saveDialogFileChange(QString fileName)
{
    const ImageFormat f = imageFormat();
    if (!fileName.contains(f.extension))
        fileName += f.extension;
    QString error;
    if (capturePixmap_.isNull() || writeImage(fileName, capturePixmap_.toImage(), f, &error) != Written::Ok)
        showErrorWidget(tr("The file %1 could not be written: %2").arg(fileName, error));
}

void Core::screenSaveToClipboard()
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO;
    if (clipboard_ && surface_) {
        clipboard_->clear();
        const QRect sel = surface_->selectRect();
        const QRect desk = surface_->desktopRect();
        // One pixel inside the selection frame.
        const QRect area(desk.left() + sel.left() + 1, desk.top() + sel.top() + 1,
                         sel.right() - sel.left(), sel.bottom() - sel.top());
        const QImage shot = area.isEmpty() ? QImage() : pryx::platform::grabDesktop(area);
        if (!shot.isNull())
            clipboard_->setImage(shot);
        else
            qCDebug(pryx::lcCore) << Q_FUNC_INFO << "nothing copied";
    }
    if (Setting::instance()->flag(QStringLiteral("useSaveScreen"))) {
        const QPixmap result = surface_ ? surface_->grabResult() : QPixmap();
        if (result.isNull())
            return;   // the surface stays open
        const QString folder = saveFolder();
        const ImageFormat f = imageFormat();
        QString error;
        if (folder.isEmpty()) {
            qCDebug(pryx::lcCore) << Q_FUNC_INFO << "no save folder, no copy kept";
        } else {
            const QString name = freeName(
                folder, QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yyyy hh-mm-ss")),
                f.extension);
            if (writeImage(name, result.toImage(), f, &error) != Written::Ok)
                qCDebug(pryx::lcCore) << Q_FUNC_INFO << "copy not written:" << name << error;
        }
    }
    if (surface_)
        surface_->close();
}

void Core::selectSaveScreenFolder()
{
    const QString stored = saveFolder();
    const QString folder =
        pryx::platform::existingFolder(QStringLiteral("Pryx - ") + tr("Select folder"), stored);
    if (folder.isEmpty()) {
        if (stored.isEmpty()) {
            Setting::instance()->setValue(QStringLiteral("useSaveScreen"), false);
            Setting::instance()->setValue(QStringLiteral("saveScreenFolder"), QString());
        } else {
            Setting::instance()->setValue(QStringLiteral("useSaveScreen"), true);
        }
        return;
    }
    Setting::instance()->setValue(QStringLiteral("useSaveScreen"), true);
    Setting::instance()->setValue(QStringLiteral("saveScreenFolder"), QDir::toNativeSeparators(folder));
}

namespace {
// Keeps the paths that can be uploaded; `prefix` names the caller in the log.
QStringList usablePaths(Core *core, const QStringList &files, const char *prefix)
{
    QStringList kept;
    for (const QString &path : files) {
        if (path.isEmpty()) {
            qCDebug(pryx::lcCore) << prefix << "Skipping empty file path";
            continue;
        }
        const bool screencapture = path.contains(QLatin1String("screencaptureui"));
        if (screencapture && (path.contains("/TemporaryItems/") || path.contains("/var/folders/"))) {
            qCDebug(pryx::lcCore) << prefix << "Filtering out macOS temporary screenshot:" << path;
            continue;
        }
        const QFileInfo info(path);
        if (!info.exists() || !info.isReadable()) {
            qCDebug(pryx::lcCore) << prefix << "File does not exist or not readable:" << path;
            if (!screencapture)
                core->showErrorWidget(Core::tr("File not found"));
            continue;
        }
        kept.append(path);
    }
    return kept;
}
} // namespace

void Core::uploadData(QStringList files)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << files;
    if (!coreLoginStored(this)) {
        showLoginWindow();
        return;
    }
    const QStringList kept = usablePaths(this, files, "Core::uploadData:");
    if (kept.isEmpty()) {
        qCDebug(pryx::lcCore) << "Core::uploadData: No valid files to upload after filtering";
        return;
    }
    uploadModel();
    callUploadFrontEnd(UploadCall::Files, kept);
}

void Core::uploadDataZip(QStringList files)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << files;
    if (!coreLoginStored(this)) {
        showLoginWindow();
        return;
    }
    const QStringList kept = usablePaths(this, files, "Core::uploadDataZip:");
    if (kept.isEmpty()) {
        qCDebug(pryx::lcCore) << "Core::uploadDataZip: No valid files to upload after filtering";
        return;
    }
    uploadModel();
    callUploadFrontEnd(UploadCall::Zip, kept);
}
