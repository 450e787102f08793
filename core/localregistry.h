#pragma once
// The few per-user values kept outside the settings database (the
// installer's language choice, the analytics client id), in an INI file
// under the config location: <config>/Pryx/registry.ini, group "Pryx".

#include <QString>
#include <QVariant>

namespace pryx {

QString localRegistryPath();
QVariant localRegistryValue(const QString &name, const QVariant &fallback = QVariant());
void setLocalRegistryValue(const QString &name, const QVariant &value);

} // namespace pryx
