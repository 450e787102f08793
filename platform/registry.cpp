#include "platform/registry.h"

#include "platform/privatedir.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace pryx::platform {

namespace {

const QLatin1String kUserSoftware("HKEY_CURRENT_USER/Software/");

QString groupOf(const QString &path)
{
    QString group = path;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (group.endsWith(QLatin1Char('/')))
        group.chop(1);
    while (group.startsWith(QLatin1Char('/')))
        group.remove(0, 1);
    return group;
}

QString nameOf(const QString &key)
{
    QString name = key;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return name.isEmpty() ? QStringLiteral("Default") : name;
}

// Where a value lives in the file.
QString settingsKey(const QString &path, const QString &key)
{
    QString group = groupOf(path);
    if (group.startsWith(kUserSoftware, Qt::CaseInsensitive) && group.size() > kUserSoftware.size())
        group.remove(0, kUserSoftware.size());
    return group + QLatin1Char('/') + nameOf(key);
}

// Where earlier versions kept it (the same place for paths outside
// HKEY_CURRENT_USER\Software).
QString formerKey(const QString &path, const QString &key)
{
    return groupOf(path) + QLatin1Char('/') + nameOf(key);
}

bool finish(QSettings &settings, const QString &file)
{
    settings.sync();
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    return settings.status() == QSettings::NoError;
}

} // namespace

QString registryFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Pryx/registry.ini");
}

QVariant registryValue(const QString &path, const QString &key, const QVariant &defaultValue)
{
    QSettings settings(registryFilePath(), QSettings::IniFormat);
    const QString name = settingsKey(path, key);
    if (settings.contains(name))
        return settings.value(name, defaultValue);
    return settings.value(formerKey(path, key), defaultValue);
}

bool setRegistryValue(const QString &path, const QString &key, const QVariant &value)
{
    const QString file = registryFilePath();
    ensurePrivateDir(file.left(file.lastIndexOf(QLatin1Char('/'))));
    QSettings settings(file, QSettings::IniFormat);
    const QString name = settingsKey(path, key);
    const QString former = formerKey(path, key);
    if (former != name)
        settings.remove(former);
    settings.setValue(name, value);
    return finish(settings, file);
}

bool removeRegistryValue(const QString &path, const QString &key)
{
    const QString file = registryFilePath();
    if (!QFile::exists(file))
        return true;
    QSettings settings(file, QSettings::IniFormat);
    settings.remove(formerKey(path, key));
    settings.remove(settingsKey(path, key));
    return finish(settings, file);
}

} // namespace pryx::platform
