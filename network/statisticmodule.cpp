#include "network/statisticmodule.h"
#include "network/networkaccessmanager.h"
#include "network/networklog.h"

#include <QDateTime>
#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <QUuid>

#include "core/base/localregistry.h"
#include "core/base/servicehosts.h"

StatisticModule::StatisticModule(QObject *parent)
    : QObject(parent), appName_(QStringLiteral("Pryx"))
{
}

QString StatisticModule::readClientId()
{
    QString cid = pryx::localRegistryValue(QStringLiteral("cid"), QString()).toString();
    if (cid.isEmpty()) {
        cid = QUuid::createUuid().toString();
        cid.remove('{').remove('}');
        pryx::setLocalRegistryValue(QStringLiteral("cid"), cid);
    }
    return cid;
}

void StatisticModule::addEvent(QString eventAction, QString category, QString value, QString label)
{
    EventInfo info;
    info.hitType = QStringLiteral("event");
    info.action = eventAction;
    info.category = category;
    info.value = value;
    info.label = label;
    info.time = QDateTime::currentMSecsSinceEpoch();
    info.appName = appName_;
    info.sequence = queue_.size() + 1;
    info.clientId = readClientId();
    queue_.append(info);
}

QString StatisticModule::body() const
{
    QString text;
    const bool several = queue_.size() > 1;
    for (int i = 0; i < queue_.size(); ++i) {
        const EventInfo &e = queue_.at(i);
        const QString idx = several ? QStringLiteral("[%1]").arg(i) : QString();
        if (!text.isEmpty())
            text += '&';
        text += idx + "t=" + e.hitType;
        text += "&" + idx + "ec=" + e.category;
        text += "&" + idx + "ea=" + e.action;
        text += "&" + idx + "cid=" + e.clientId;
        if (!e.label.isEmpty())
            text += "&" + idx + "el=" + e.label;
        if (!e.value.isEmpty())
            text += "&" + idx + "ev=" + e.value;
    }
    return text;
}

void StatisticModule::prepEventInfo()
{
    preparedBody_ = body();
    emit preparedEventInfo();
}

void StatisticModule::sendStatistic()
{
    auto *manager = new NetworkAccessManager(this);
    connect(manager, SIGNAL(finished(QNetworkReply*)), this, SLOT(finishStat(QNetworkReply*)));
    QNetworkRequest request{QUrl(pryx::analyticsUrl())};
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("application/x-www-form-urlencoded"));
    request.setSslConfiguration(NetworkAccessManager::sslConfiguration());
    manager->post(request, (preparedBody_.isEmpty() ? body() : preparedBody_).toUtf8());
}

void StatisticModule::finishStat(QNetworkReply *reply)
{
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << reply->error() << reply->errorString();
    reply->deleteLater();
}
