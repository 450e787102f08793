#include "core/base/localregistry.h"

#include "platform/registry.h"

namespace pryx {

namespace {
const char *const kPryxKey = "HKEY_CURRENT_USER\\Software\\Pryx";
}

QString localRegistryPath() { return pryx::platform::registryFilePath(); }

QVariant localRegistryValue(const QString &name, const QVariant &fallback)
{
    return pryx::platform::registryValue(QString::fromLatin1(kPryxKey), name, fallback);
}

void setLocalRegistryValue(const QString &name, const QVariant &value)
{
    pryx::platform::setRegistryValue(QString::fromLatin1(kPryxKey), name, value);
}

} // namespace pryx
