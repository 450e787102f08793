#include "network/networkaccessmanager.h"

#include "core/base/paths.h"
#include "network/uploadservices.h"
#include "platform/privatedir.h"
#include "network/networklog.h"

#include <QDebug>
#include <QFile>
#include <QMutex>
#include <QSslCertificate>

NetworkAccessManager::NetworkAccessManager(QObject *parent) : ProxiedAccessManager(parent)
{
    const pryx::net::ProxyChoice c = pryx::net::proxyChoice();
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "proxy" << c.use << c.host << c.port;

    pryx::platform::ensurePrivateDir(pryx::dataPath());
    QFile log(pryx::proxyLogPath());
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        log.write("use proxy = " + c.use.toUtf8() + "\n");
        log.write("proxy_host = " + c.host.toUtf8() + "\n");
        log.write("proxy_port = " + c.port.toUtf8() + "\n");
        if (c.wanted && c.error.isEmpty())
            log.write("*** set proxy settings ***\n");
    }
}

QSslConfiguration NetworkAccessManager::sslConfiguration()
{
    static QMutex mutex;
    static QString cachedPath;
    static QList<QSslCertificate> cachedCerts;

    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.setPeerVerifyMode(QSslSocket::VerifyPeer);
    const QString path = qEnvironmentVariable("PRYX_EXTRA_CA_FILE");
    if (!path.isEmpty()) {
        QMutexLocker lock(&mutex);
        if (path != cachedPath) {
            cachedCerts = QSslCertificate::fromPath(path, QSsl::Pem);
            if (cachedCerts.isEmpty())
                qCWarning(pryx::lcNetwork) << Q_FUNC_INFO << "no certificate in" << path;
            cachedPath = path;
        }
        if (!cachedCerts.isEmpty()) {
            QList<QSslCertificate> cas = conf.caCertificates();
            cas += cachedCerts;
            conf.setCaCertificates(cas);
        }
    }
    return conf;
}

QNetworkRequest &NetworkAccessManager::getAuthRequest(QNetworkRequest &request)
{
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO;
    const pryx::net::UploadServices &svc = pryx::net::services();
    request.setRawHeader("User-agent", svc.appTitle().toUtf8());
    if (svc.isAuth())
        request.setRawHeader("Authorization", "Bearer " + svc.token().toUtf8());
    request.setSslConfiguration(sslConfiguration());
    return request;
}
