#include "network/quietreply.h"

#include <QTimer>

namespace pryx::net {

namespace {
const char *const kTimedOut = "pryxTimedOut";
}

void abortWhenQuiet(QNetworkReply *reply, int ms)
{
    if (ms <= 0)
        return;
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    timer->setInterval(ms);
    auto restart = [timer] { timer->start(); };
    QObject::connect(reply, &QNetworkReply::uploadProgress, timer, restart);
    QObject::connect(reply, &QNetworkReply::downloadProgress, timer, restart);
    QObject::connect(reply, &QNetworkReply::finished, timer, &QTimer::stop);
    QObject::connect(timer, &QTimer::timeout, reply, [reply] {
        reply->setProperty(kTimedOut, true);
        reply->abort();
    });
    timer->start();
}

bool timedOut(const QNetworkReply *reply) { return reply->property(kTimedOut).toBool(); }

QNetworkReply::NetworkError replyError(const QNetworkReply *reply)
{
    return timedOut(reply) ? QNetworkReply::TimeoutError : reply->error();
}

} // namespace pryx::net
