#include "core/setting.h"
#include "core/core.h"

#include "core/crypto.h"
#include "core/paths.h"
#include "core/sqldatabase.h"
#include "core/sqlworker.h"
#include "platform/autostart.h"
#include "platform/mailclient.h"
#include "platform/registry.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLoggingCategory>
#include <QSysInfo>
#include <QThread>
#include <QTranslator>

namespace {

Q_LOGGING_CATEGORY(lcSetting, "pryx.setting", QtInfoMsg)

const char *const kPryxKey = "HKEY_CURRENT_USER\\Software\\Pryx\\";
const char *const kWriteStatement = "INSERT OR REPLACE INTO Settings (name,value) VALUES (?,?)";

// Values that stay out of the debug stream.
bool isSecret(const QString &name, bool encrypted)
{
    return encrypted || name == QLatin1String("token") || name.contains(QLatin1String("password"));
}

// The empty text, never a null one: encrypted keys read as "".
QString nonNull(const QString &text)
{
    return text.isNull() ? QString(QLatin1String("")) : text;
}

} // namespace

Setting *Setting::instance()
{
    static Setting *self = new Setting();
    return self;
}

bool Setting::isAlwaysEncrypted(const QString &name)
{
    return name == QLatin1String("ftp_user") || name == QLatin1String("sftp_user")
        || name == QLatin1String("ftp_password") || name == QLatin1String("sftp_password");
}

Setting::Setting() : QObject(nullptr)
{
    database_ = new SqlDatabase(this);
    // A normal end of the application object writes what is queued and ends
    // the database thread before the process tears down.
    qAddPostRoutine([] { Setting::instance()->database()->shutdown(); });

    const QString data = pryx::dataPath();
    pryx::ensurePrivateDir(data);
    pryx::ensurePrivateDir(data + QStringLiteral("tmp"));
    pryx::ensurePrivateDir(pryx::audioTmpPath());

    cache_.insert(QStringLiteral("mainFontColor"), QStringLiteral("#25282c"));
    cache_.insert(QStringLiteral("mainFontFamily"), QStringLiteral("Arial"));

    // The worker's reports arrive inside the connect wait below.
    connect(database_->worker(), &SqlWorker::databaseReplaced, this,
            [this](const QString &keptAs, const QString &reason) {
                reportDatabaseError(
                    keptAs.isEmpty()
                        ? tr("The settings file could not be read (%1) and could not be moved aside; "
                             "settings are kept only until the program ends.").arg(reason)
                        : tr("The settings file could not be read (%1). It was kept as \"%2\" and "
                             "the settings were reset.").arg(reason, keptAs));
            });
    connect(database_->worker(), &SqlWorker::databaseFailed, this, [this](const QString &reason) {
        reportDatabaseError(tr("The settings could not be saved: %1").arg(reason));
    });

    qCDebug(lcSetting) << "bool __cdecl Setting::connectDatabase(void)" << QThread::currentThread();
    database_->connectToDatabase(pryx::databasePath());

    connect(this, &Setting::valueChanged, this, &Setting::changeValue);
    loadTranslation();
    if (getValue(QStringLiteral("type_upload")).isNull())
        setValue(QStringLiteral("type_upload"), QStringLiteral("pryx"));
}

void Setting::reportDatabaseError(const QString &message)
{
    qWarning().noquote() << message;
    databaseError_ = message;
    emit databaseError(message);
}

QVariant Setting::getValue(QString name, bool is_encrypt)
{
    if (isAlwaysEncrypted(name))
        is_encrypt = true;

    const auto it = cache_.constFind(name);
    if (it != cache_.constEnd() && !it->isNull()) {
        if (is_encrypt)
            return nonNull(decryptString(it->toString(), getValue(QStringLiteral("token")).toString()));
        return *it;
    }

    if (!is_encrypt && absent_.contains(name))
        return nullDefault(name);
    QVariant value = getValueDB(name);
    if (is_encrypt) {
        const QString token = getValue(QStringLiteral("token")).toString();
        const QString plain = decryptString(value.toString(), token);
        const QString cipher = encryptString(plain, token);
        cache_.insert(name, nonNull(cipher));
        return nonNull(plain);
    }
    if (value.isNull()) {
        // Remembered, so a key that is not stored costs no second wait for
        // the database thread.
        absent_.insert(name);
        return nullDefault(name);
    }
    cache_.insert(name, value);
    return value;
}

QVariant Setting::nullDefault(const QString &name)
{
    if (name == QLatin1String("showMagnifier") || name == QLatin1String("shortLink"))
        return false;
    return QVariant();
}

void Setting::setValue(QString name, QVariant value, bool is_encrypt)
{
    QElapsedTimer timer;
    timer.start();
    if (isAlwaysEncrypted(name))
        is_encrypt = true;
    qCDebug(lcSetting) << Q_FUNC_INFO << name
                       << (isSecret(name, is_encrypt) ? QVariant(QStringLiteral("<hidden>")) : value)
                       << is_encrypt;

    absent_.remove(name);
    if (is_encrypt) {
        // Always written: a cache that holds the same text (for instance the
        // empty text of a logout) must not keep an old ciphertext in the file.
        const QString token = getValue(QStringLiteral("token")).toString();
        const QString plain = value.toString();
        const QString cached = encryptString(plain, token);
        const QString stored = encryptString(plain, token);
        if (!plain.isEmpty() && stored.isEmpty())
            qCWarning(lcSetting) << "no account token: the encrypted value of" << name << "is not kept";
        cache_.insert(name, nonNull(cached));
        setValueDB(name, nonNull(stored));
    } else if (cache_.value(name) != value || cache_.value(name).isNull() != value.isNull()) {
        cache_.insert(name, value);
        setValueDB(name, value);
    }
    qCDebug(lcSetting) << Q_FUNC_INFO << timer.elapsed() << "ms";

    if (name == QLatin1String("username"))
        emit userNameChanges(cache_.value(name).toString());
    else if (name == QLatin1String("useravatar"))
        emit userAvatarChanges(cache_.value(name).toString());
    else if (name == QLatin1String("keyFragmentScreen"))
        emit keyFragmentScreenChanged();
    else if (name == QLatin1String("keySnapshotScreen"))
        emit keySnapshotScreenChanged();
    else if (name == QLatin1String("keyQuickFragmentScreen"))
        emit keyQuickFragmentScreenChanged();
    emit valueChanged(name, value);
}

bool Setting::isUseMailClient()
{
    const QString client = pryx::platform::defaultMailClient();
    qCDebug(lcSetting) << "bool __cdecl isMailClient(void)" << client;
    return !client.isEmpty();
}

void Setting::changeSaveGamePath()
{
    const QString path = QFileDialog::getExistingDirectory(nullptr, tr("Slect screen capture game path"));
    if (path.isEmpty())
        return;
    pryx::platform::setRegistryValue(QLatin1String(kPryxKey), QStringLiteral("game_tmp"), path);
    emit valueChanged(QStringLiteral("saveGamePath"), path);
}

QVariant Setting::getValueDB(QString name) { return database_->getData(name); }

void Setting::setValueDB(QString name, QVariant value)
{
    database_->execute(QLatin1String(kWriteStatement), {name, value});
}

void Setting::loadTranslation()
{
    if (!translator_)
        translator_ = new QTranslator(this);
    const QString language = getValue(QStringLiteral("language")).toString();
    QString file;
    if (language == QLatin1String("ru"))
        file = QStringLiteral(":/translate/pryx.qm");
    else if (language == QLatin1String("en"))
        file = QStringLiteral(":/translate/pryx_en.qm");
    if (file.isEmpty()) {
        emit languageChanged();
        return;
    }
    if (!translator_->load(file))
        qCDebug(lcSetting) << "translation not loaded:" << file;
    QCoreApplication::installTranslator(translator_);
    emit languageChanged();
}

QString Setting::platformName() { return platformNameFor(QSysInfo::buildCpuArchitecture()); }

QString Setting::platformNameFor(const QString &cpuArchitecture)
{
    // The update feed names processors as uname -m does; Qt differs for two.
    QString arch = cpuArchitecture;
    if (arch == QLatin1String("arm64"))
        arch = QStringLiteral("aarch64");
    else if (arch == QLatin1String("i386"))
        arch = QStringLiteral("i686");
    return QStringLiteral("linux_") + arch;
}

bool Setting::flush(int timeoutMs) { return database_->flush(timeoutMs); }

#define PRYX_PROP(getter, setter, key) \
    QVariant Setting::getter() { return getValue(QStringLiteral(key)); } \
    void Setting::setter(QVariant value) { setValue(QStringLiteral(key), value); }
#define PRYX_BOOL_PROP(getter, setter, key) \
    QVariant Setting::getter() { return getValue(QStringLiteral(key)).toBool(); } \
    void Setting::setter(QVariant value) { setValue(QStringLiteral(key), value); }
PRYX_PROP(fragmentScreen, setFragmentScreen, "fragmentScreen")
PRYX_PROP(quickFragmentScreen, setQuickFragmentScreen, "quickFragmentScreen")
PRYX_PROP(snapshotFull, setSnapshotFull, "snapshotFull")
PRYX_PROP(sendScreen, setSendScreen, "sendScreen")
PRYX_BOOL_PROP(useProxy, setUseProxy, "useProxy")
PRYX_PROP(qualityImage, setQualityImage, "qualityImage")
PRYX_BOOL_PROP(autostart, setAutostart, "autostart")
PRYX_BOOL_PROP(showUpload, setShowUpload, "show_upload")
PRYX_BOOL_PROP(showLastUpload, setShowLastUpload, "show_last_upload")
PRYX_BOOL_PROP(useSaveScreen, setUseSaveScreen, "useSaveScreen")
PRYX_PROP(saveScreenFolder, setSaveScreenFolder, "saveScreenFolder")
PRYX_PROP(shortLink, setShortLink, "shortLink")
PRYX_PROP(videoQuality, setVideoQuality, "videoQuality")
PRYX_BOOL_PROP(showActiveWindow, setShowActiveWindow, "showActiveWindow")
PRYX_BOOL_PROP(showMagnifier, setShowMagnifier, "showMagnifier")
PRYX_BOOL_PROP(showCloseSurfaceWindow, setShowCloseSurfaceWindow, "showCloseSurfaceWindow")
PRYX_PROP(visibleColorPanel, setVisibleColorPanel, "visibleColorPanel")
PRYX_PROP(widthTextLine, setWidthTextLine, "widthTextLine")
PRYX_PROP(widthBlureLine, setWidthBlureLine, "widthBlureLine")
PRYX_PROP(widthBlackoutLine, setWidthBlackoutLine, "widthBlackoutLine")
#undef PRYX_PROP
#undef PRYX_BOOL_PROP

QVariant Setting::language() { return getValue(QStringLiteral("language")); }
void Setting::setLanguage(QVariant value)
{
    setValue(QStringLiteral("language"), value);
    loadTranslation();
}

QVariant Setting::typeUpload() { return getValue(QStringLiteral("type_upload")).toString(); }
void Setting::setTypeUpload(QVariant value) { setValue(QStringLiteral("type_upload"), value); }

QVariant Setting::widthColorLine() { return getValue(QStringLiteral("widthColorLine")); }
void Setting::setWidthColorLine(QVariant value)
{
    if (getValue(QStringLiteral("widthColorLine")) != value)
        setValue(QStringLiteral("widthColorLine"), value);
}

QVariant Setting::lastGraphTools() { return getValue(QStringLiteral("lastGraphTools")).toString(); }
void Setting::setLastGraphTools(QVariant value)
{
    setValue(QStringLiteral("lastGraphTools"), value);
    emit lastGraphToolsChanged(value);
}

QVariant Setting::saveGamePath()
{
    return pryx::platform::registryValue(QLatin1String(kPryxKey), QStringLiteral("game_tmp"), QString())
        .toString();
}
void Setting::setSaveGamePath(QVariant value)
{
    pryx::platform::setRegistryValue(QLatin1String(kPryxKey), QStringLiteral("game_tmp"), value.toString());
    emit valueChanged(QStringLiteral("saveGamePath"), value);
}

QVariant Setting::userName() { return getValue(QStringLiteral("username")); }
QVariant Setting::userMail() { return getValue(QStringLiteral("usermail")); }
QVariant Setting::userAvatar()
{
    const QString avatar = getValue(QStringLiteral("useravatar")).toString();
    return avatar.isEmpty() ? QStringLiteral("qrc:/images/images/avatar_default.png") : avatar;
}
QVariant Setting::quota() { return getValue(QStringLiteral("quota")); }
QVariant Setting::usage() { return getValue(QStringLiteral("usage")); }
// The authorisation host is kept by Core.
QVariant Setting::currentHostUrl() { return Core::instance()->authHost(); }
int Setting::colorColorLine() { return getValue(QStringLiteral("colorColorLine")).toInt(); }
void Setting::setColorColorLine(int value) { setValue(QStringLiteral("colorColorLine"), value); }

void Setting::changeValue(QString name, QVariant value)
{
    if (name != QLatin1String("autostart"))
        return;
    qCDebug(lcSetting) << "change autostart";
    pryx::platform::setAutostart(value.toBool(), QCoreApplication::applicationFilePath());
}

void Setting::resetDefault()
{
    setValue(QStringLiteral("fragmentScreen"), 1);
    setValue(QStringLiteral("quickFragmentScreen"), 1);
    setValue(QStringLiteral("snapshotFull"), 1);
    setValue(QStringLiteral("sendScreen"), 1);
    setValue(QStringLiteral("show_upload"), 1);
    setValue(QStringLiteral("show_last_upload"), 1);
    setValue(QStringLiteral("useProxy"), 0);
    setValue(QStringLiteral("qualityImage"), 1);
    setValue(QStringLiteral("autostart"), 1);
    setValue(QStringLiteral("useSaveScreen"), 0);
    setValue(QStringLiteral("visibleColorPanel"), 1);
    setValue(QStringLiteral("showMagnifier"), 1);
    setValue(QStringLiteral("showCloseSurfaceWindow"), 1);
    setValue(QStringLiteral("colorColorLine"), 7);
    setValue(QStringLiteral("keyFragmentScreen"), QStringLiteral("Print Screen"));
    setValue(QStringLiteral("keyQuickFragmentScreen"), QStringLiteral("Shift + Print Screen"));
    setValue(QStringLiteral("keySnapshotScreen"), QStringLiteral("Ctrl + Shift + Print Screen"));
    emit valueChanged(QString(QLatin1String("")), QString(QLatin1String("")));
}

void Setting::resetHootKey()
{
    setValue(QStringLiteral("keyFragmentScreen"), QStringLiteral("Ctrl + Print Screen"));
    setValue(QStringLiteral("keyQuickFragmentScreen"), QStringLiteral("Shift + Print Screen"));
    setValue(QStringLiteral("keySnapshotScreen"), QStringLiteral("Ctrl + Shift + Print Screen"));
}
