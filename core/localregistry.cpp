#include "core/localregistry.h"

#include <QSettings>
#include <QStandardPaths>

namespace pryx {

QString localRegistryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + "/Pryx/registry.ini";
}

QVariant localRegistryValue(const QString &name, const QVariant &fallback)
{
    QSettings store(localRegistryPath(), QSettings::IniFormat);
    return store.value("Pryx/" + name, fallback);
}

void setLocalRegistryValue(const QString &name, const QVariant &value)
{
    QSettings store(localRegistryPath(), QSettings::IniFormat);
    store.setValue("Pryx/" + name, value);
    store.sync();
}

} // namespace pryx
