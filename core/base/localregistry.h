#pragma once
// The program's own values under "HKEY_CURRENT_USER\Software\Pryx" (the
// installer's language choice, the analytics client id), kept by the
// registry layer of platform/.

#include <QString>
#include <QVariant>

namespace pryx {

QString localRegistryPath();
QVariant localRegistryValue(const QString &name, const QVariant &fallback = QVariant());
void setLocalRegistryValue(const QString &name, const QVariant &value);

} // namespace pryx
