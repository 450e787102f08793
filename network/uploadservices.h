#pragma once
// What the upload engine needs from the rest of the program: the program's
// name, the login, the upload list and the error window. Defaults go to the
// application objects; tests replace them. The service addresses come from
// core/base/servicehosts.h.

#include <QString>

#include <functional>

class UploadModel;

namespace pryx::net {

struct UploadServices {
    std::function<QString()> appTitle;         // "Pryx 3.0.48"
    std::function<bool()> isAuth;              // a login is stored
    std::function<QString()> token;            // the access token
    std::function<UploadModel *()> uploadModel;
    std::function<void(const QString &)> showError;  // the error window
    int transferTimeoutMs = 60000;             // a request with no traffic for this long fails
};

UploadServices &services();
void resetServices();

} // namespace pryx::net
