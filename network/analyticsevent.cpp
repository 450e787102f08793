#include "network/analyticsevent.h"
#include "network/networklog.h"

#include <QDebug>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include "core/base/servicehosts.h"
#include "network/networkaccessmanager.h"
#include "network/statisticmodule.h"

namespace {
// Measurement Protocol property of the analytics account.
const char *const kTrackingId = "UA-118430627-1";
} // namespace

AnalyticsEvent::AnalyticsEvent(QObject *parent) : QObject(parent) {}

AnalyticsEvent::AnalyticsEvent(int category, int action, bool send, QString label, QObject *parent)
    : QObject(parent), category_(category), action_(action), label_(label)
{
    if (send)
        this->send();
}

QString AnalyticsEvent::categoryText(int category)
{
    switch (category) {
    case CategorySize: return QStringLiteral("size");
    case CategoryColor: return QStringLiteral("color");
    case CategoryCapture: return QStringLiteral("capture");
    case CategoryAuth: return QStringLiteral("auth");
    case CategoryApp: return QStringLiteral("app");
    case CategoryTool: return QStringLiteral("tool");
    }
    return QStringLiteral("undefined");
}

QString AnalyticsEvent::actionText(int action)
{
    switch (action) {
    case ActionChange: return QStringLiteral("change");
    case ActionClick: return QStringLiteral("click");
    case ActionHotkey: return QStringLiteral("hotkey");
    case ActionSignout: return QStringLiteral("auth");
    case ActionExit: return QStringLiteral("signout");
    case ActionUse: return QStringLiteral("use");
    }
    return QStringLiteral("undefined");
}

QString AnalyticsEvent::body() const
{
    QString text = QStringLiteral("v=1&tid=%1&cid=%2&t=event&ec=%3&ea=%4&an=Pryx")
                       .arg(QString::fromLatin1(kTrackingId), StatisticModule::readClientId(),
                            categoryText(category_), actionText(action_));
    if (!label_.isEmpty())
        text += "&el=" + label_;
    return text;
}

void AnalyticsEvent::send()
{
    // Over https with the service's certificate verified, through the user's
    // proxy, like every other request.
    auto *manager = new pryx::net::ProxiedAccessManager(this);
    connect(manager, SIGNAL(finished(QNetworkReply*)), this, SLOT(finished(QNetworkReply*)));
    QNetworkRequest request{QUrl(pryx::analyticsUrl())};
    request.setSslConfiguration(NetworkAccessManager::sslConfiguration());
    manager->post(request, body().toUtf8());
}

void AnalyticsEvent::finished(QNetworkReply *reply)
{
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << reply->error() << reply->readAll();
    reply->deleteLater();
    deleteLater();
}
