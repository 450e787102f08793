#include "network/uploadservices.h"

#include "core/core.h"
#include "core/setting.h"
#include "windows/errorwidget.h"

namespace pryxnet {

static UploadServices defaults()
{
    UploadServices s;
    s.apiHost = [] { return Core::instance()->apiHost(); };
    s.appTitle = [] { return Core::instance()->appTitle(); };
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

QString filesApiUrl()
{
    return QStringLiteral("https://") + services().apiHost()
        + QStringLiteral("/drive/v1/files?fields=id,alternateLink,selfLink");
}

QString uploadApiUrl()
{
    return QStringLiteral("https://") + services().apiHost() + QStringLiteral("/upload/drive/v1/files");
}

} // namespace pryxnet
