#pragma once
// The time-out of a request that moves no byte: the reply is aborted after
// the given quiet time, and its error then reads as a time-out.

#include <QNetworkReply>

namespace pryx::net {

// Aborts reply when no byte went either way for ms milliseconds (ms <= 0: never).
void abortWhenQuiet(QNetworkReply *reply, int ms);

bool timedOut(const QNetworkReply *reply);

// The reply's error; TimeoutError for a reply that abortWhenQuiet ended.
QNetworkReply::NetworkError replyError(const QNetworkReply *reply);

} // namespace pryx::net
