#pragma once
// A network manager that sends every request through the HTTP proxy the
// settings ask for at the moment of the request ("useProxy", "proxy_host",
// "proxy_port", credentials "proxy_user" and "proxy_password"), so a proxy
// saved while the program runs applies to the next request of every manager.
// Managers on worker threads use the values last read on the GUI thread.

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QString>

class QAuthenticator;

namespace pryx::net {

// The proxy the settings ask for.
struct ProxyChoice {
    QNetworkProxy proxy{QNetworkProxy::NoProxy};
    bool wanted = false;     // "useProxy" on, with a host and a port that is not 0
    QString error;           // wanted but unusable (a bad port): nothing may be sent
    QString use, host, port; // the settings' texts
    QString user, password;
};

// Read from the settings on the GUI thread (and kept for the other threads).
ProxyChoice proxyChoice();

// The proxy's credentials for an authenticator, when "useProxy" is on.
void answerProxyAuthentication(QAuthenticator *authenticator);

class ProxiedAccessManager : public QNetworkAccessManager
{
    Q_OBJECT
public:
    explicit ProxiedAccessManager(QObject *parent = nullptr);

    // Not empty when the proxy settings cannot be used (a bad port); such a
    // manager sends nothing.
    QString proxyError() const { return proxyError_; }

public slots:
    void proxyAuth(const QNetworkProxy &proxy, QAuthenticator *authenticator);

protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request,
                                 QIODevice *outgoingData) override;

private:
    void applyProxy();

    QString proxyError_;
};

} // namespace pryx::net
