#pragma once
// Registry values, kept in an INI file under the user's config folder
// ($XDG_CONFIG_HOME/Pryx/registry.ini). A value under
// "HKEY_CURRENT_USER\Software\<name>" is key of the group [<name>], so the
// program's own values read
//
//     [Pryx]
//     language=ru
//
// Other paths are groups of their own ("HKEY_LOCAL_MACHINE/..."). An empty
// key name is the path's default value ("Default"). Files of earlier
// versions kept the whole path below [HKEY_CURRENT_USER]; such values are
// still read, and move to the plain layout when written or removed.

#include <QString>
#include <QVariant>

namespace pryx::platform {

QString registryFilePath();
QVariant registryValue(const QString &path, const QString &key, const QVariant &defaultValue = QVariant());
bool setRegistryValue(const QString &path, const QString &key, const QVariant &value);
bool removeRegistryValue(const QString &path, const QString &key);

} // namespace pryx::platform
