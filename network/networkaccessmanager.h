#pragma once
// Network manager of the service requests: the user's HTTP proxy from the
// settings, proxy credentials, the "proxy_connect.log" lines, and the
// identity and token headers of getAuthRequest.

#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QSslConfiguration>

class QAuthenticator;
class QNetworkProxy;

class NetworkAccessManager : public QNetworkAccessManager
{
    Q_OBJECT
public:
    explicit NetworkAccessManager(QObject *parent = nullptr);

    static QNetworkRequest &getAuthRequest(QNetworkRequest &request);
    // The default configuration with peer verification on and the CA of
    // PRYX_EXTRA_CA_FILE (when set) added to the trusted ones.
    static QSslConfiguration sslConfiguration();

    // Not empty when the proxy settings cannot be used (a bad port); such a
    // manager must not send anything.
    QString proxyError() const { return proxyError_; }

public slots:
    void proxyAuth(const QNetworkProxy &proxy, QAuthenticator *authenticator);

private:
    QString proxyError_;
};
