#include "network/networkaccessmanager.h"

#include "core/base/paths.h"
#include "core/base/setting.h"
#include "core/base/settingdefaults.h"
#include "network/uploadservices.h"
#include "platform/privatedir.h"
#include "network/networklog.h"

#include <QAuthenticator>
#include <QDebug>
#include <QFile>
#include <QMutex>
#include <QNetworkProxy>
#include <QSslCertificate>

NetworkAccessManager::NetworkAccessManager(QObject *parent) : QNetworkAccessManager(parent)
{
    Setting *s = Setting::instance();
    const QString port = s->getValue(QStringLiteral("proxy_port")).toString();
    const QString host = s->getValue(QStringLiteral("proxy_host")).toString();
    const QVariant use = s->getValue(QStringLiteral("useProxy"));
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "proxy" << use << host << port;

    bool portOk = false;
    const qlonglong portNumber = port.trimmed().toLongLong(&portOk);
    const bool wanted = pryx::settings::isOn(use) && !host.isEmpty() && !port.trimmed().isEmpty()
        && !(portOk && portNumber == 0);
    const bool valid = portOk && portNumber >= 1 && portNumber <= 65535;

    pryx::platform::ensurePrivateDir(pryx::dataPath());
    QFile log(pryx::proxyLogPath());
    const bool logOpen = log.open(QIODevice::WriteOnly | QIODevice::Append);
    if (logOpen) {
        log.write("use proxy = " + use.toString().toUtf8() + "\n");
        log.write("proxy_host = " + host.toUtf8() + "\n");
        log.write("proxy_port = " + port.toUtf8() + "\n");
    }
    if (wanted && valid) {
        if (logOpen)
            log.write("*** set proxy settings ***\n");
        setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, host, quint16(portNumber)));
    } else if (wanted) {
        proxyError_ = tr("Proxy port must be a number from 1 to 65535");
        // Never go around a proxy the user asked for: nothing is sent.
        setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 9));
    } else {
        setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    }
    connect(this, SIGNAL(proxyAuthenticationRequired(QNetworkProxy,QAuthenticator*)),
            this, SLOT(proxyAuth(QNetworkProxy,QAuthenticator*)));
}

void NetworkAccessManager::proxyAuth(const QNetworkProxy &proxy, QAuthenticator *authenticator)
{
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << proxy.hostName() << authenticator->realm();
    Setting *s = Setting::instance();
    if (s->flag(QStringLiteral("useProxy"))) {
        authenticator->setUser(s->getValue(QStringLiteral("proxy_user")).toString());
        authenticator->setPassword(s->getValue(QStringLiteral("proxy_password")).toString());
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
