#include "platform/registry.h"

#include "platform/privatedir.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace pryx::platform {

namespace {

QString settingsKey(const QString &path, const QString &key)
{
    QString group = path;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (group.endsWith(QLatin1Char('/')))
        group.chop(1);
    while (group.startsWith(QLatin1Char('/')))
        group.remove(0, 1);
    QString name = key;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (name.isEmpty())
        name = QStringLiteral("Default");
    return group + QLatin1Char('/') + name;
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
    return settings.value(settingsKey(path, key), defaultValue);
}

bool setRegistryValue(const QString &path, const QString &key, const QVariant &value)
{
    const QString file = registryFilePath();
    ensurePrivateDir(file.left(file.lastIndexOf(QLatin1Char('/'))));
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(settingsKey(path, key), value);
    settings.sync();
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    return settings.status() == QSettings::NoError;
}

bool removeRegistryValue(const QString &path, const QString &key)
{
    QSettings settings(registryFilePath(), QSettings::IniFormat);
    settings.remove(settingsKey(path, key));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace pryx::platform
