#include "core/base/servicehosts.h"

#include <QMutex>
#include <QMutexLocker>
#include <QtGlobal>

namespace pryx {

namespace {
struct Entry {
    const char *variable;
    const char *host;
};

Entry entry(Service service)
{
    switch (service) {
    case Service::Auth: return {"PRYX_AUTH_HOST", "pryx.app"};
    case Service::Api: return {"PRYX_API_HOST", "api.pryx.app"};
    case Service::Support: return {"PRYX_SUPPORT_HOST", "support.pryx.app"};
    case Service::Analytics: return {"PRYX_ANALYTICS_HOST", "stats.pryx.app"};
    case Service::Update: return {"PRYX_UPDATE_HOST", "update.pryx.app"};
    case Service::DropboxWeb: return {"PRYX_DROPBOX_WEB_HOST", "www.dropbox.com"};
    case Service::DropboxApi: return {"PRYX_DROPBOX_API_HOST", "api.dropboxapi.com"};
    case Service::DropboxContent: return {"PRYX_DROPBOX_CONTENT_HOST", "content.dropboxapi.com"};
    }
    return {"", ""};
}

// The "-beta" hosts; upload threads ask for hosts too.
QMutex s_overrideLock;
QString s_authOverride;
QString s_apiOverride;

QString *overrideSlot(Service service)
{
    switch (service) {
    case Service::Auth: return &s_authOverride;
    case Service::Api: return &s_apiOverride;
    default: return nullptr;
    }
}
} // namespace

void setServiceHostOverride(Service service, const QString &host)
{
    QMutexLocker lock(&s_overrideLock);
    if (QString *slot = overrideSlot(service))
        *slot = host;
}

QString serviceHost(Service service)
{
    {
        QMutexLocker lock(&s_overrideLock);
        if (const QString *slot = overrideSlot(service); slot && !slot->isEmpty())
            return *slot;
    }
    const Entry e = entry(service);
    const QString value = qEnvironmentVariable(e.variable).trimmed();
    return value.isEmpty() ? QString::fromLatin1(e.host) : value;
}

QString defaultServiceHost(Service service) { return QString::fromLatin1(entry(service).host); }

const char *serviceHostVariable(Service service) { return entry(service).variable; }

QString filesApiUrl()
{
    return QStringLiteral("https://") + serviceHost(Service::Api)
        + QStringLiteral("/drive/v1/files?fields=id,alternateLink,selfLink");
}

QString uploadApiUrl()
{
    return QStringLiteral("https://") + serviceHost(Service::Api) + QStringLiteral("/upload/drive/v1/files");
}

QString supportTicketsUrl()
{
    return QStringLiteral("https://") + serviceHost(Service::Support) + QStringLiteral("/support/tickets/");
}

QString pingUrl() { return QStringLiteral("https://") + serviceHost(Service::Support) + QStringLiteral("/ping?q="); }

QString analyticsUrl()
{
    return QStringLiteral("https://") + serviceHost(Service::Analytics) + QStringLiteral("/collect");
}

QString appTitle() { return QStringLiteral("Pryx " PRYX_VERSION); }

} // namespace pryx
