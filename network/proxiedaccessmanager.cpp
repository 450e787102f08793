#include "network/proxiedaccessmanager.h"

#include "core/base/setting.h"
#include "core/base/settingdefaults.h"
#include "network/networklog.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QDebug>
#include <QMutex>
#include <QThread>

namespace pryx::net {

namespace {

QMutex g_mutex;
ProxyChoice g_last;
bool g_watching = false;

bool onGuiThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

ProxyChoice readSettings()
{
    Setting *s = Setting::instance();
    ProxyChoice c;
    const QVariant use = s->getValue(QStringLiteral("useProxy"));
    c.use = use.toString();
    c.host = s->getValue(QStringLiteral("proxy_host")).toString();
    c.port = s->getValue(QStringLiteral("proxy_port")).toString();
    c.user = s->getValue(QStringLiteral("proxy_user")).toString();
    c.password = s->getValue(QStringLiteral("proxy_password")).toString();

    bool portOk = false;
    const qlonglong port = c.port.trimmed().toLongLong(&portOk);
    c.wanted = pryx::settings::isOn(use) && !c.host.isEmpty() && !c.port.trimmed().isEmpty()
               && !(portOk && port == 0);
    const bool valid = portOk && port >= 1 && port <= 65535;
    if (c.wanted && valid) {
        c.proxy = QNetworkProxy(QNetworkProxy::HttpProxy, c.host, quint16(port));
    } else if (c.wanted) {
        c.error = QCoreApplication::translate("NetworkAccessManager",
                                              "Proxy port must be a number from 1 to 65535");
        // Never go around a proxy the user asked for: nothing is sent.
        c.proxy = QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 9);
    }
    return c;
}

bool isProxyKey(const QString &name)
{
    // An empty name: the settings were reset to their defaults.
    return name.isEmpty() || name == QLatin1String("useProxy") || name.startsWith(QLatin1String("proxy_"));
}

} // namespace

ProxyChoice proxyChoice()
{
    if (!onGuiThread()) {
        QMutexLocker lock(&g_mutex);
        return g_last;
    }
    const ProxyChoice c = readSettings();
    QMutexLocker lock(&g_mutex);
    g_last = c;
    if (!g_watching) {
        // Keeps the copy of the worker threads current.
        g_watching = true;
        QObject::connect(Setting::instance(), &Setting::valueChanged, Setting::instance(),
                         [](const QString &name, const QVariant &) {
                             if (isProxyKey(name))
                                 proxyChoice();
                         });
    }
    return c;
}

void answerProxyAuthentication(QAuthenticator *authenticator)
{
    const ProxyChoice c = proxyChoice();
    if (pryx::settings::isOn(c.use)) {
        authenticator->setUser(c.user);
        authenticator->setPassword(c.password);
    }
}

ProxiedAccessManager::ProxiedAccessManager(QObject *parent) : QNetworkAccessManager(parent)
{
    applyProxy();
    connect(this, SIGNAL(proxyAuthenticationRequired(QNetworkProxy,QAuthenticator*)),
            this, SLOT(proxyAuth(QNetworkProxy,QAuthenticator*)));
}

void ProxiedAccessManager::proxyAuth(const QNetworkProxy &proxy, QAuthenticator *authenticator)
{
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << proxy.hostName() << authenticator->realm();
    answerProxyAuthentication(authenticator);
}

void ProxiedAccessManager::applyProxy()
{
    const ProxyChoice c = proxyChoice();
    proxyError_ = c.error;
    if (proxy() != c.proxy)
        setProxy(c.proxy);
}

QNetworkReply *ProxiedAccessManager::createRequest(Operation op, const QNetworkRequest &request,
                                                   QIODevice *outgoingData)
{
    applyProxy();
    return QNetworkAccessManager::createRequest(op, request, outgoingData);
}

} // namespace pryx::net
