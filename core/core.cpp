#include "core/core.h"
#include "editor/environment.h"
#include "core/corelog.h"

#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLockFile>
#include <QPainter>
#include <QProcess>
#include <QQmlEngine>

#include <cstdio>
#include <dlfcn.h>

#include <unistd.h>

#include "core/base/paths.h"
#include "core/base/servicehosts.h"
#include "core/base/setting.h"
#include "core/handover.h"
#include "core/hookkeybord.h"
#include "core/singleapplication.h"
#include "network/dropboxauth.h"
#include "network/handleftpupload.h"
#include "network/handlesftpupload.h"
#include "network/networkexchange.h"
#include "network/updater.h"
#include "network/uploadmodel.h"
#include "platform/crashdump.h"
#include "platform/privatedir.h"
#include "windows/wheelarea.h"

namespace {
Core *s_core = nullptr;

// Used while the icon resource is missing.
QIcon fallbackTrayIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x25, 0x28, 0x2c));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    painter.setBrush(QColor(0xba, 0x05, 0x00));
    painter.drawEllipse(QRectF(9, 9, 14, 14));
    painter.end();
    return QIcon(pixmap);
}
} // namespace

Core *Core::instance()
{
    if (!s_core)
        new Core();
    return s_core;
}

// The annotation editor takes its palette colours and analytics from Core.
static void wireEditor()
{
    pryx::editor::Environment::setColorLookup(
        [](int x) { return Core::instance()->getColorFromX(x); });
    pryx::editor::Environment::setEventSink(
        [](const QString &category, const QString &action, const QString &label) {
            static const QStringList categories = {"size", "color", "capture", "auth", "app", "tool"};
            static const QStringList actions = {"change", "click", "hotkey", "auth", "signout", "use"};
            const int c = categories.indexOf(category);
            const int a = actions.indexOf(action);
            if (c < 0 || a < 0)
                return;
            Core::instance()->addAnalyticsEvent(c, a, true, label);
        });
}

Core::Core() : pryx::capture::CaptureCommands(nullptr)
{
    // Set first: the settings store waits in a local event loop, and a call of
    // instance() from there must not build a second Core.
    s_core = this;

    Setting::instance();
    pryx::platform::ensurePrivateDir(pryx::dataPath());
    Setting::instance()->syncAutostart();

    if (!pryx::installCrashHandler(pryx::dumpFilePath()))
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "crash handler not installed";

    account_ = new Autorization(this);
    account_->listen();
    emit accountChange(account_);
    connect(account_, &Autorization::authChanged, this, [this] { checkAutorization(); });
    connect(account_, &Autorization::dropboxError, this, &Core::showErrorWidget);
    if (account_->isAuth()) {
        QTimer::singleShot(30000, account_, SLOT(getUserInfo()));
        userInfoTimer_.setInterval(3600000);
        connect(&userInfoTimer_, SIGNAL(timeout()), account_, SLOT(getUserInfo()));
        userInfoTimer_.start();
    }
    qmlRegisterType<Autorization>("Core", 1, 0, "Autorization");
    qmlRegisterType<DropboxAuth>("Core", 1, 0, "DropboxAuth");
    qmlRegisterType<HandleFTPUpload>("PryxComponent", 1, 0, "HandleFTPUpload");
    qmlRegisterType<WheelArea>("PryxComponent", 1, 0, "WheelArea");

    qmlRegisterType<UploadModel>("UploadModel", 1, 0, "UploadModel");

    networkExchange_ = new NetworkExchange(this);
    connect(networkExchange_, SIGNAL(startUpload()), this, SLOT(showUploadPage()));
    connect(networkExchange_, SIGNAL(readyLink(QString)), this, SLOT(showUploadPage()));
    connect(networkExchange_, SIGNAL(readyLink(QString)), this, SLOT(setLastLink(QString)));
    connect(networkExchange_, SIGNAL(readyLinkAfterUpload(QString)), this, SLOT(setLastLink(QString)));
    connect(networkExchange_, SIGNAL(error(QString)), this, SLOT(showErrorWidget(QString)));
    connect(networkExchange_, SIGNAL(internetNotAvailable(QString)), this, SLOT(internetNotAvailable(QString)));
    connect(networkExchange_, SIGNAL(captureNotUploaded(QString,QString)), this,
            SLOT(captureNotUploaded(QString,QString)));
    connect(networkExchange_, SIGNAL(linkDropped(QString)), this, SLOT(dropLink(QString)));

    createTrayIcon();
    // What the settings store has to tell the user (a damaged file it
    // replaced, a lock that lasts, a database that stops answering, writes
    // that fail) goes to the error window, never from inside a settings read;
    // what it found at start, once the event loop runs.
    connect(Setting::instance(), &Setting::databaseError, this, &Core::showErrorWidget, Qt::QueuedConnection);
    if (!Setting::instance()->databaseErrorText().isEmpty())
        QMetaObject::invokeMethod(this, "showErrorWidget", Qt::QueuedConnection,
                                  Q_ARG(QString, Setting::instance()->databaseErrorText()));
    connect(Setting::instance(), SIGNAL(languageChanged()), this, SIGNAL(languageChanged()));
    connect(Setting::instance(), SIGNAL(languageChanged()), this, SLOT(createTrayIcon()));

    HookKeybord::instance()->setTarget(this);
    connect(HookKeybord::instance(), SIGNAL(printModifiedChanged(bool)), this,
            SIGNAL(printModifiers(bool)));

    clipboard_ = QApplication::clipboard();
    colorLine_ = QImage(QStringLiteral(":/component/image/component/color_line_big.png"));

    wireEditor();

    connect(this, SIGNAL(deletedSurfaceScreen()), this, SLOT(deleteSurfaceScreen()));
    setLastLink(QString());

    QTimer::singleShot(60000, this, SLOT(showReminderMessage()));

    updater_ = new Updater(this);
    connect(updater_, &Updater::criticalUpdateFailed, this,
            [this](const QString &message) { showTrayMessage(QStringLiteral("Pryx"), message); });
    connect(updater_, &Updater::cannotInstall, this,
            [this](const QString &message) { showTrayMessage(QStringLiteral("Pryx"), message); });

    // Another running instance may be unpacking an update or have uploads
    // in progress in the temporary folder: only the first instance sweeps.
    const bool firstInstance = takeInstanceLock();
    if (firstInstance)
        Updater::sweepLeftovers(pryx::programFileNames(programFileName()));
    if (handOverUpdate()) {
        Setting::instance()->flush();
        fflush(stdout);
        fflush(stderr);
        ::_exit(0);
    }
    updater_->startChecks();

    if (firstInstance)
        clearTempPath();
    else
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "another instance runs, temporary folder kept";
    QTimer::singleShot(500, this, [this] {
        if (startWindowWanted_)
            showMainWindow();
    });
    // Up and running: a hand-over that started this program may end.
    QTimer::singleShot(0, this, [] {
        pryx::confirmHandOver(QCoreApplication::applicationDirPath(),
                              pryx::programFileNames(programFileName()));
    });
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << pryx::logFilePath();
}

bool Core::takeInstanceLock()
{
    QLockFile *lock = pryx::instanceLock();
    return lock->isLocked() || lock->tryLock(0);
}

QString Core::programFileName()
{
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return name.isEmpty() ? QStringLiteral("pryx") : name;
}

// A newer program in the update folder replaces the installed files and is
// started in this one's place with the same arguments.
bool Core::handOverUpdate()
{
    const QString name = programFileName();
    const QString source = pryx::updatePath() + name;
    if (!QFileInfo(source).isFile())
        return false;
    const QString running = QCoreApplication::applicationVersion();
    const QString version = Updater::pendingVersion();
    const QString programDir = QCoreApplication::applicationDirPath();
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << "newer program found:" << source << version;

    // The program that a hand-over started finds what it was made from.
    if ((!version.isEmpty() && !Updater::isNewerVersion(version, running))
        || pryx::sameFileContents(source, QCoreApplication::applicationFilePath())) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "the update is not newer than" << running << "- removed";
        removeDir(pryx::updatePath());
        return false;
    }
    const auto giveUp = [&](const QString &why) {
        removeDir(pryx::updatePath());
        Updater::noteFailed(version);
        showTrayMessage(QStringLiteral("Pryx"),
                        tr("Pryx %1 could not be installed (%2). Pryx %3 keeps running.")
                            .arg(version.isEmpty() ? tr("update") : version, why, running));
        return false;
    };
    if (!Updater::canReplaceProgram()) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "program folder not writable:" << programDir;
        removeDir(pryx::updatePath());
        if (Updater::noteUnwritable(version))
            showTrayMessage(QStringLiteral("Pryx"),
                            tr("Pryx %1 is available, but it cannot be installed: the folder %2 "
                               "is not writable. Pryx %3 keeps running.")
                                .arg(version, programDir, running));
        return false;
    }

    const QStringList names = pryx::programFileNames(name);
    QStringList replaced;
    QString error;
    if (!pryx::replaceProgramFiles(pryx::updatePath(), programDir, names, &replaced, &error)) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "cannot replace the program:" << error;
        return giveUp(error);
    }
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << "replaced" << replaced << "in" << programDir;

    // The new program takes the instance lock and the socket as the first instance.
    SingleApplication *guard = SingleApplication::instance();
    const bool guarded = guard && guard->isListening();
    if (guard)
        guard->stopListening();
    pryx::instanceLock()->unlock();
    const QString confirm = pryx::dataPath() + QStringLiteral("handover.ok");
    if (pryx::startAndAwaitConfirmation(programDir + QLatin1Char('/') + name,
                                        QCoreApplication::arguments().mid(1), confirm, 60000)) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "handed over to" << programDir + QLatin1Char('/') + name;
        return true;
    }
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << "the new program did not start, the installed one is put back";
    pryx::restoreProgramFiles(programDir, replaced);
    if (takeInstanceLock() && guarded)
        guard->listen();
    return giveUp(tr("it did not start"));
}

Core::~Core() = default;

// Service addresses: the service-host module keeps them and the "-beta" values.
QString Core::authHost() const { return pryx::serviceHost(pryx::Service::Auth); }
QString Core::apiHost() const { return pryx::serviceHost(pryx::Service::Api); }
void Core::setAuthHost(const QString &host)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << host;
    pryx::setServiceHostOverride(pryx::Service::Auth, host);
}
void Core::setApiHost(const QString &host)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << host;
    pryx::setServiceHostOverride(pryx::Service::Api, host);
}
QString Core::filesApiUrl() const { return pryx::filesApiUrl(); }
QString Core::uploadApiUrl() const { return pryx::uploadApiUrl(); }
QString Core::supportTicketsUrl() const { return pryx::supportTicketsUrl(); }
QString Core::pingUrl() const { return pryx::pingUrl(); }
QString Core::analyticsUrl() const { return pryx::analyticsUrl(); }
QString Core::appTitle() const { return pryx::appTitle(); }

// Captures: filled by the capture road.
QColor Core::getColorFromX(int x)
{
    const int column = x + 7;
    if (colorLine_.isNull() || column < 0 || column >= colorLine_.width() || colorLine_.height() <= 5)
        return QColor(Qt::black);
    return QColor(colorLine_.pixel(column, 5));
}

// Last link and clipboard.
void Core::setLastLink(QString link)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << link;
    if (!link.isEmpty()) {
        givenLinks_.removeAll(link);
        givenLinks_.append(link);
        while (givenLinks_.size() > 32)
            givenLinks_.removeFirst();
    }
    if (link != lastLink_) {
        lastLink_ = link;
        emit lastLinkChanged(lastLink_);
        if (clipboard_)
            clipboard_->setText(lastLink_);
    }
    emit lastLinkChanged(lastLink_);
}
QString Core::clipboardText() { return clipboard_ ? clipboard_->text() : QString(); }

// Windows.

// Voice comments.
// The recording members are in core/coreaudio.cpp.

// Account glue.
bool Core::checkAutorization()
{
    if (account_ && account_->isAuth())
        return true;
    showLoginWindow();
    return false;
}
void Core::checkFtpConnecrion(QString username, QString password, QString host, QString path,
                              int port)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << host << port;
    auto *check = new HandleFTPUpload(this);
    connect(check, SIGNAL(checkConnectFinished()), this, SIGNAL(checkConnectionFinished()));
    connect(check, SIGNAL(checkConnectFinished()), check, SLOT(deleteLater()));
    check->checkConnect(username, password, host, path, port);
}
void Core::checkSFTPConnecrion(QString username, QString password, QString host, QString path,
                               int port)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << host << port;
    auto *check = new HandleSFTPUpload(this);
    connect(check, SIGNAL(checkConnectFinished()), this, SIGNAL(checkConnectionFinished()));
    connect(check, SIGNAL(checkConnectFinished()), check, SLOT(deleteLater()));
    check->checkConnect(username, password, host, path, port);
}
UploadModel *Core::uploadModel()
{
    if (!uploadModel_) {
        uploadModel_ = new UploadModel(this);
        connect(uploadModel_, SIGNAL(uploadComplete()), this, SLOT(showLastUploadPage()));
    }
    return uploadModel_;
}
QString Core::licenseText()
{
    const QString lang = Setting::instance()->getValue(QStringLiteral("language")).toString();
    QFile file(QStringLiteral(":/license/license/license%1.txt").arg(lang == "en" ? "_en" : ""));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Small members.
QString Core::getPlatform() { return QStringLiteral("Win"); }
bool Core::is_mac() { return false; }
QString Core::appVersion() { return QStringLiteral(PRYX_VERSION); }
QString Core::getWindowsManager() { return QStringLiteral("windows"); }
void Core::addAnalyticsEvent(int category, int action, bool is_sendEvent, QString value)
{
    new AnalyticsEvent(category, action, is_sendEvent, value);
}
void Core::addAnalyticsEvent(AnalyticsEvent::AnalyticsEventCategory category,
                             AnalyticsEvent::AnalyticsEventAction action, bool is_sendEvent,
                             QString value)
{
    addAnalyticsEvent(int(category), int(action), is_sendEvent, value);
}

// Tray icon.
void Core::showTrayMessage(QString title, QString messae)
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << title << messae;
    if (trayIcon_)
        trayIcon_->showMessage(title, messae, QSystemTrayIcon::Information, 10000);
}
void Core::openTrayMenu() {}
void Core::activatedTrayIcon(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger) {
        // A single click acts once it can no longer be the first of a double
        // click; acting at once would open the capture under the second one.
        trayClickTimer_.start();
        return;
    }
    if (reason == QSystemTrayIcon::DoubleClick)
        trayClickTimer_.stop();
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower();
    if (desktop == "kde" || desktop == "gnome" || desktop == "xfce")
        return;
    showMainWindow();
}
void Core::trayClicked()
{
    screen(false, false);
}
void Core::captureAtStart(void (Core::*command)())
{
    startWindowWanted_ = false;
    QTimer::singleShot(0, this, command);
}
void Core::createTrayIcon()
{
    if (trayIcon_)
        return;
    trayIcon_ = new QSystemTrayIcon();
    QIcon icon(QStringLiteral(":/icon/image/icon.ico"));
    if (icon.availableSizes().isEmpty())
        icon = fallbackTrayIcon();
    trayIcon_->setIcon(icon);
    trayIcon_->setVisible(false);
    trayIcon_->setVisible(true);
    trayClickTimer_.setSingleShot(true);
    // A little past the double-click interval: the second press may be read
    // a moment after the interval has run out.
    trayClickTimer_.setInterval(QApplication::doubleClickInterval() + 100);
    connect(&trayClickTimer_, &QTimer::timeout, this, &Core::trayClicked);
    connect(trayIcon_, SIGNAL(activated(QSystemTrayIcon::ActivationReason)), this,
            SLOT(activatedTrayIcon(QSystemTrayIcon::ActivationReason)));
    connect(trayIcon_, SIGNAL(messageClicked()), this, SLOT(showMainWindow()));
}
void Core::exitApp()
{
    qCDebug(pryx::lcCore) << Q_FUNC_INFO;
    // No queued settings write may be lost: the process ends without
    // running any destructor.
    if (!Setting::instance()->flush())
        qCWarning(pryx::lcCore) << "settings writes still queued at exit were lost";

    // The keyboard-hook library is looked up by file name; nothing ships it
    // on this platform, so a missing one is normal.
    if (void *lib = dlopen("./hooklib.so", RTLD_NOW | RTLD_LOCAL)) {
        using RemoveHookFn = void (*)();
        if (auto removeHook = reinterpret_cast<RemoveHookFn>(dlsym(lib, "RemoveHook")))
            removeHook();
        else
            qCDebug(pryx::lcCore) << Q_FUNC_INFO << "RemoveHook not found in hooklib";
        dlclose(lib);
    } else {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "hooklib not found";
    }
    HookKeybord::instance()->stopHook();
    delete trayIcon_;
    trayIcon_ = nullptr;
    fflush(stdout);
    fflush(stderr);
    ::_exit(0);
}
void Core::unhookKeyboard() { HookKeybord::instance()->stopHook(); }
void Core::updateHook() { HookKeybord::instance()->registerShortcuts(); }
void Core::clearTempPath()
{
    QDir dir(pryx::tmpPath());
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        dir.remove(name);
    clearAudioFile();
}
void Core::deleteSaveDialog() {}
void Core::testSaveAudio() {}
void Core::startArrowAnimation() {}
void Core::stopArrowAnimation() {}
