#include "network/uploadservices.h"

#include "core/base/servicehosts.h"
#include "core/base/setting.h"
#include "core/core.h"
#include "windows/errorwidget.h"

namespace pryx::net {

static UploadServices defaults()
{
    UploadServices s;
    s.appTitle = [] { return pryx::appTitle(); };
    // Logged in exactly when the plain "token" setting is not empty.
    s.token = [] { return Setting::instance()->getValue(QStringLiteral("token")).toString(); };
    s.isAuth = [] { return !Setting::instance()->getValue(QStringLiteral("token")).toString().isEmpty(); };
    s.uploadModel = [] { return Core::instance()->uploadModel(); };
    s.showError = [](const QString &text) {
        auto *w = new ErrorWidget(text);
        QObject::connect(w, &BasicWindow::closed, w, &QObject::deleteLater);
        w->show();
        w->raise();
    };
    return s;
}

UploadServices &services()
{
    static UploadServices s = defaults();
    return s;
}

void resetServices() { services() = defaults(); }

} // namespace pryx::net
