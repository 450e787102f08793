#include "core/base/setting.h"

#include "core/base/crypto.h"
#include "core/base/paths.h"
#include "core/base/servicehosts.h"
#include "core/base/settingdefaults.h"
#include "core/base/sqldatabase.h"
#include "core/base/sqlworker.h"
#include "platform/autostart.h"
#include "platform/filedialogs.h"
#include "platform/mailclient.h"
#include "platform/privatedir.h"
#include "platform/privatefile.h"
#include "platform/registry.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QDebug>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSysInfo>
#include <QThread>
#include <QTranslator>

#include <algorithm>
#include <vector>

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
        || name == QLatin1String("ftp_password") || name == QLatin1String("sftp_password")
        || name == QLatin1String("proxy_password") || name == QLatin1String("drop_box_token_apiv2");
}

Setting::Setting() : QObject(nullptr)
{
    database_ = new SqlDatabase(this);

    const QString data = pryx::dataPath();
    pryx::platform::ensurePrivateDir(data);
    pryx::platform::ensurePrivateDir(data + QStringLiteral("tmp"));
    pryx::platform::ensurePrivateDir(pryx::audioTmpPath());

    cache_.insert(QStringLiteral("mainFontColor"), QString::fromLatin1(pryx::kFontColor));
    cache_.insert(QStringLiteral("mainFontFamily"), QString::fromLatin1(pryx::kFontFamily));

    // The worker's reports arrive inside the connect wait below.
    connect(database_->worker(), &SqlWorker::databaseReplaced, this,
            [this](const QString &keptAs, const QString &reason, int salvaged) {
                if (keptAs.isEmpty())
                    reportDatabaseError(tr("The settings file could not be read (%1) and could not be moved "
                                           "aside; settings are kept only until the program ends.").arg(reason));
                else if (salvaged == 0)
                    reportDatabaseError(tr("The settings file could not be read (%1). It was kept as \"%2\"; "
                                           "none of its values could be read, the settings were reset.")
                                            .arg(reason, keptAs));
                else
                    reportDatabaseError(tr("The settings file could not be read (%1). It was kept as \"%2\"; "
                                           "%3 of its values were read from it and kept, the others were reset.")
                                            .arg(reason, keptAs).arg(salvaged));
            });
    connect(database_->worker(), &SqlWorker::databaseBusy, this, [this](const QString &reason) {
        reportDatabaseError(tr("The settings file is in use by another program (%1). Settings are taken from "
                               "memory, and changes are saved as soon as the file is free.").arg(reason));
    });
    connect(database_->worker(), &SqlWorker::databaseFree, this, &Setting::databaseAnswersAgain);
    connect(database_->worker(), &SqlWorker::databaseFailed, this, [this](const QString &reason) {
        reportDatabaseError(tr("The settings could not be saved: %1").arg(reason));
    });
    connect(database_, &SqlDatabase::stalled, this, [this] {
        if (stallReported_)
            return;
        stallReported_ = true;
        reportDatabaseError(tr("The settings database does not answer; settings are taken from memory "
                               "and changes are kept until it answers again."));
    });
    connect(database_, &SqlDatabase::answeringAgain, this, &Setting::databaseAnswersAgain);

    qCDebug(lcSetting) << "bool __cdecl Setting::connectDatabase(void)" << QThread::currentThread();
    database_->connectToDatabase(pryx::databasePath());
    // A normal end of the application object writes what is queued and ends
    // the database thread before the process tears down. Added after the
    // connection exists: post routines run last-added first, so this one runs
    // before Qt Sql drops its connections from the GUI thread while the
    // database thread may still be writing.
    qAddPostRoutine([] { Setting::instance()->database()->shutdown(); });

    connect(this, &Setting::valueChanged, this, &Setting::changeValue);
    loadTranslation();
    writeStartValues();
}

void Setting::writeStartValues()
{
    startValuesPending_ = false;
    for (const pryx::settings::Default &entry : pryx::settings::kDefaults) {
        const QString key = QLatin1String(entry.key);
        if (!entry.atStart || cache_.contains(key))
            continue;
        bool answered = false;
        const QVariant stored = readDB(key, &answered);
        if (!answered) {
            // Not known yet: writing now could replace the user's choice.
            startValuesPending_ = true;
            continue;
        }
        if (stored.isNull())
            setValue(key, QString::fromLatin1(entry.atStart));
        else
            cache_.insert(key, stored);
    }
}

void Setting::databaseAnswersAgain()
{
    stallReported_ = false;
    if (startValuesPending_) {
        // The start ran on defaults: finish it with what the file holds.
        writeStartValues();
        loadTranslation();
    }
    // Values read meanwhile were defaults: every listener reads again.
    emit valueChanged(QString(QLatin1String("")), QString(QLatin1String("")));
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
            return nonNull(pryx::decryptWithKey(it->toString(), valueKey(false)));
        return *it;
    }

    if (!is_encrypt && absent_.contains(name))
        return nullDefault(name);
    bool answered = false;
    QVariant value = readDB(name, &answered);
    if (!answered) {
        // Nothing known and nothing remembered: the default, at once.
        if (is_encrypt)
            return QString(QLatin1String(""));
        return fallbackValue(name);
    }
    if (is_encrypt) {
        bool rewrite = false;
        const QString plain = decryptStored(name, value.toString(), &rewrite);
        const QByteArray key = valueKey(!plain.isEmpty());
        if (rewrite) {
            // Stored in an older form: kept from now on under this
            // installation's key.
            const QString stored = pryx::encryptWithKey(plain, key);
            if (!stored.isEmpty())
                setValueDB(name, stored);
        }
        cache_.insert(name, nonNull(pryx::encryptWithKey(plain, key)));
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
    const pryx::settings::Default *entry = pryx::settings::defaultOf(name);
    if (entry && entry->falseWhenMissing)
        return false;
    return QVariant();
}

QString Setting::decryptStored(const QString &name, const QString &stored, bool *rewrite)
{
    if (stored.isEmpty())
        return QString();
    const QString plain = pryx::decryptWithKey(stored, valueKey(false));
    if (!plain.isEmpty())
        return plain;
    // Written by an older version under the key of the account token.
    const QString token = getValue(QStringLiteral("token")).toString();
    const QString old = decryptString(stored, token);
    if (!old.isEmpty()) {
        *rewrite = true;
        return old;
    }
    // Older versions kept the proxy password plain.
    if (name == QLatin1String("proxy_password")) {
        *rewrite = true;
        return stored;
    }
    return QString();
}

QByteArray Setting::valueKey(bool create)
{
    if (!valueKey_.isEmpty())
        return valueKey_;
    const QString path = pryx::valueKeyPath();
    auto readKey = [&path]() {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.read(33) : QByteArray();
    };
    if (QFileInfo::exists(path)) {
        pryx::platform::tightenFile(path);
        const QByteArray key = readKey();
        if (key.size() == 32) {
            valueKey_ = key;
            return valueKey_;
        }
        if (!create)
            return QByteArray();
        // Not a key: kept for whoever wants to look at it, and replaced.
        const QString aside = path + QStringLiteral(".damaged-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        QFile::rename(path, aside);
        reportDatabaseError(tr("The key of the encrypted settings could not be read; it was kept as \"%1\". "
                               "Logins stored under it have to be typed again.").arg(aside));
    }
    if (!create)
        return QByteArray();
    const QByteArray fresh = pryx::randomKey();
    if (fresh.isEmpty())
        return QByteArray();
    if (pryx::platform::createPrivateFile(path, fresh)) {
        valueKey_ = fresh;
        return valueKey_;
    }
    // Another instance made it first: its key is the one.
    const QByteArray theirs = readKey();
    if (theirs.size() == 32) {
        valueKey_ = theirs;
        return valueKey_;
    }
    reportDatabaseError(tr("The key of the encrypted settings could not be saved in \"%1\"; logins and "
                           "passwords are kept only until the program ends.").arg(path));
    valueKey_ = fresh;
    return valueKey_;
}

QVariant Setting::fallbackValue(const QString &name)
{
    const pryx::settings::Default *entry = pryx::settings::defaultOf(name);
    if (entry && entry->newRow)
        return pryx::settings::newRowValue(*entry);
    return nullDefault(name);
}

bool Setting::flag(const QString &name) { return pryx::settings::isOn(getValue(name)); }

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
        const QString plain = value.toString();
        const QByteArray key = valueKey(!plain.isEmpty());
        const QString cached = pryx::encryptWithKey(plain, key);
        const QString stored = pryx::encryptWithKey(plain, key);
        if (!plain.isEmpty() && stored.isEmpty())
            qCWarning(lcSetting) << "no key: the encrypted value of" << name << "is not kept";
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
    const QString path = pryx::platform::existingFolder(tr("Slect screen capture game path"), QString());
    if (path.isEmpty())
        return;
    pryx::platform::setRegistryValue(QLatin1String(kPryxKey), QStringLiteral("game_tmp"), path);
    emit valueChanged(QStringLiteral("saveGamePath"), path);
}

QVariant Setting::getValueDB(QString name) { return database_->getData(name); }

QVariant Setting::readDB(const QString &name, bool *answered) { return database_->getData(name, answered); }

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
    loadQtTranslation(language);
    QCoreApplication::installTranslator(translator_);
    emit languageChanged();
}

void Setting::loadQtTranslation(const QString &language)
{
    if (!qtTranslator_)
        qtTranslator_ = new QTranslator(this);
    // English is Qt's source language: no catalogue at all.
    QCoreApplication::removeTranslator(qtTranslator_);
    if (language == QLatin1String("en"))
        return;
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    if (!qtTranslator_->load(QStringLiteral("qt_") + language, folder)) {
        qCDebug(lcSetting) << "Qt translation not loaded:" << language << folder;
        return;
    }
    QCoreApplication::installTranslator(qtTranslator_);
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
    QVariant Setting::getter() { return flag(QStringLiteral(key)); } \
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
QVariant Setting::currentHostUrl() { return pryx::serviceHost(pryx::Service::Auth); }
int Setting::colorColorLine() { return getValue(QStringLiteral("colorColorLine")).toInt(); }
void Setting::setColorColorLine(int value) { setValue(QStringLiteral("colorColorLine"), value); }

void Setting::syncAutostart()
{
    const bool wanted = flag(QStringLiteral("autostart"));
    if (!pryx::platform::autostartEntryExists()) {
        if (wanted)
            pryx::platform::setAutostart(true, QCoreApplication::applicationFilePath());
        return;
    }
    const bool enabled = pryx::platform::autostartEnabled();
    if (enabled == wanted)
        return;
    qCDebug(lcSetting) << "autostart follows the entry:" << enabled;
    followingAutostart_ = true;
    setValue(QStringLiteral("autostart"), enabled ? 1 : 0);
    followingAutostart_ = false;
    flush();
}

void Setting::changeValue(QString name, QVariant value)
{
    if (name != QLatin1String("autostart") || followingAutostart_)
        return;
    qCDebug(lcSetting) << "change autostart";
    pryx::platform::setAutostart(value.toBool(), QCoreApplication::applicationFilePath());
}

void Setting::resetDefault()
{
    std::vector<const pryx::settings::Default *> order;
    for (const pryx::settings::Default &entry : pryx::settings::kDefaults) {
        if (entry.resetAt > 0)
            order.push_back(&entry);
    }
    std::sort(order.begin(), order.end(),
              [](const pryx::settings::Default *a, const pryx::settings::Default *b) { return a->resetAt < b->resetAt; });
    for (const pryx::settings::Default *entry : order)
        setValue(QLatin1String(entry->key), pryx::settings::resetValue(*entry));
    emit valueChanged(QString(QLatin1String("")), QString(QLatin1String("")));
}

void Setting::resetHootKey()
{
    for (const pryx::settings::Default &entry : pryx::settings::kDefaults) {
        if (entry.hotkeyReset)
            setValue(QLatin1String(entry.key), QString::fromLatin1(entry.hotkeyReset));
    }
}
