#pragma once
// Network manager of the service requests: the user's HTTP proxy from the
// settings (applied again to every request), proxy credentials, the
// "proxy_connect.log" lines, and the identity and token headers of
// getAuthRequest.

#include "network/proxiedaccessmanager.h"

#include <QNetworkRequest>
#include <QSslConfiguration>

class NetworkAccessManager : public pryx::net::ProxiedAccessManager
{
    Q_OBJECT
public:
    explicit NetworkAccessManager(QObject *parent = nullptr);

    static QNetworkRequest &getAuthRequest(QNetworkRequest &request);
    // The default configuration with peer verification on and the CA of
    // PRYX_EXTRA_CA_FILE (when set) added to the trusted ones.
    static QSslConfiguration sslConfiguration();
};
