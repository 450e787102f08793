#pragma once
// What the upload engine needs from the rest of the program: the service
// address, the program's name, the login, the upload list and the error
// window. Defaults go to the application objects; tests replace them.

#include <QString>

#include <functional>

class UploadModel;

namespace pryxnet {

struct UploadServices {
    std::function<QString()> apiHost;          // host[:port] of the service API
    std::function<QString()> appTitle;         // "Pryx 3.0.48"
    std::function<bool()> isAuth;              // a login is stored
    std::function<QString()> token;            // the access token
    std::function<UploadModel *()> uploadModel;
    std::function<void(const QString &)> showError;  // the error window
    int transferTimeoutMs = 60000;             // a request with no traffic for this long fails
};

UploadServices &services();
void resetServices();

QString filesApiUrl();    // "https://" + API host + "/drive/v1/files?fields=id,alternateLink,selfLink"
QString uploadApiUrl();   // "https://" + API host + "/upload/drive/v1/files"

} // namespace pryxnet
