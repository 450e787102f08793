#include "core/servicehosts.h"

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
} // namespace

QString serviceHost(Service service)
{
    const Entry e = entry(service);
    const QString value = qEnvironmentVariable(e.variable).trimmed();
    return value.isEmpty() ? QString::fromLatin1(e.host) : value;
}

QString defaultServiceHost(Service service) { return QString::fromLatin1(entry(service).host); }

const char *serviceHostVariable(Service service) { return entry(service).variable; }

} // namespace pryx
