#pragma once
// Registry values, kept in an INI file under the user's config folder
// ($XDG_CONFIG_HOME/Pryx/registry.ini). A registry path such as
// "HKEY_CURRENT_USER\Software\Pryx" is a group of that file; an empty key
// name is the path's default value.

#include <QString>
#include <QVariant>

namespace pryx::platform {

QString registryFilePath();
QVariant registryValue(const QString &path, const QString &key, const QVariant &defaultValue = QVariant());
bool setRegistryValue(const QString &path, const QString &key, const QVariant &value);
bool removeRegistryValue(const QString &path, const QString &key);

} // namespace pryx::platform
