#include "network/serverlistener.h"

#include "core/base/servicehosts.h"
#include "network/networklog.h"

#include <QDebug>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

namespace {

const char *const kBufferProperty = "pryxRequestHead";

const char *const kBadRequestHead =
    "HTTP/1.1 400 OK\r\n"
    "Date: Wed, 11 Feb 2009 11:20:59 GMT\r\n"
    "Server: Apache\r\n"
    "X-Powered-By: PHP/5.2.4-2ubuntu5wm1\r\n"
    "Last-Modified: Wed, 11 Feb 2009 11:20:59 GMT\r\n"
    "Content-Language: ru\r\n"
    "Content-Type: text/html; charset=utf-8\r\n"
    "Content-Length: ";
const char *const kBadRequestPage =
    "<html><head><title>400 Bad Request</title></head><body bgcolor=\"white\"><center>"
    "<h1>400 Bad Request</h1></center><hr><center>nginx</center></body></html>";

const char *const kRedirectHead =
    "HTTP/1.1 303 OK\r\n"
    "Date: Wed, 11 Feb 2009 11:20:59 GMT\r\n"
    "Server: Apache\r\n"
    "X-Powered-By: PHP/5.2.4-2ubuntu5wm1\r\n"
    "Last-Modified: Wed, 11 Feb 2009 11:20:59 GMT\r\n"
    "Content-Language: ru\r\n"
    "Location: http://";

} // namespace

ServerListener::ServerListener(QObject *parent) : QTcpServer(parent) {}

void ServerListener::setExpectingCode(bool expecting)
{
    expectingCode_ = expecting;
    codeDeadline_ = expecting ? QDeadlineTimer(codeWaitMs_) : QDeadlineTimer();
}

bool ServerListener::isExpectingCode() const
{
    return expectingCode_ && !codeDeadline_.hasExpired();
}

QByteArray ServerListener::maskedRequestLine(const QByteArray &head)
{
    int lineEnd = head.indexOf("\r\n");
    if (lineEnd < 0)
        lineEnd = head.size();
    QList<QByteArray> parts = head.left(qMin(lineEnd, 512)).split(' ');
    // The query of the target holds the code (in whatever spelling); the
    // rest of the line says what was asked.
    if (parts.size() >= 2) {
        const int query = parts.at(1).indexOf('?');
        if (query >= 0)
            parts[1] = parts.at(1).left(query + 1) + "<hidden>";
    }
    QByteArray line = parts.join(' ');
    for (char &c : line) {
        if (uchar(c) < 0x20 || uchar(c) >= 0x7f)
            c = '?';
    }
    return line;
}

QList<quint16> ServerListener::redirectPorts()
{
    QList<quint16> ports;
    for (quint16 base : {62000, 63000, 64000, 65000}) {
        for (quint16 i = 0; i < 10; ++i)
            ports.append(quint16(base + i));
    }
    return ports;
}

QByteArray ServerListener::badRequestReply()
{
    const QString page = QString::fromUtf8(kBadRequestPage);
    const QString text = QString::fromUtf8(kBadRequestHead) + QString::number(page.size())
                       + QStringLiteral("\r\nConnection: close") + QStringLiteral("\r\n\r\n") + page;
    return text.toUtf8();
}

QByteArray ServerListener::redirectReply(const QString &authHost)
{
    const QString text = QString::fromUtf8(kRedirectHead) + authHost
                       + QStringLiteral("\r\nConnection: close") + QStringLiteral("\r\n\r\n");
    return text.toUtf8();
}

QString ServerListener::codeFromRequest(const QByteArray &head)
{
    int lineEnd = head.indexOf("\r\n");
    if (lineEnd < 0)
        lineEnd = head.size();
    const QList<QByteArray> parts = head.left(lineEnd).split(' ');
    if (parts.size() != 3 || parts.at(0) != "GET" || !parts.at(2).startsWith("HTTP/1."))
        return QString();
    const QByteArray target = parts.at(1);
    if (!target.startsWith("/?"))
        return QString();
    // The code is one query item; the rest of the query (state, scope) is
    // not part of it.
    const QUrlQuery query(QString::fromLatin1(target.mid(2)));
    const QString code = query.queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);
    if (code.trimmed().isEmpty())
        return QString();
    return code;
}

void ServerListener::newClient()
{
    while (QTcpSocket *socket = nextPendingConnection()) {
        connect(socket, SIGNAL(readyRead()), this, SLOT(clientReady()));
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(clientTimeoutMs_, socket, [socket] {
            qCDebug(pryx::lcNetwork) << "ServerListener: client sent no request in time";
            socket->abort();
            socket->deleteLater();
        });
    }
}

void ServerListener::clientReady()
{
    auto *socket = qobject_cast<QTcpSocket *>(sender());
    if (!socket)
        return;

    QByteArray head = socket->property(kBufferProperty).toByteArray() + socket->readAll();
    const int end = head.indexOf("\r\n\r\n");
    if (end < 0 && head.size() <= kMaxHeadSize) {
        socket->setProperty(kBufferProperty, head);   // wait for the rest of the head
        return;
    }
    disconnect(socket, SIGNAL(readyRead()), this, SLOT(clientReady()));
    // The code would let whoever reads the log take over the login.
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << maskedRequestLine(head);

    const QString code = end < 0 ? QString() : codeFromRequest(head.left(end));
    if (code.isEmpty() || !isExpectingCode()) {
        if (!code.isEmpty())
            qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "code refused: no social login is waiting";
        answer(socket, badRequestReply());
        return;
    }
    qCDebug(pryx::lcNetwork) << Q_FUNC_INFO << "code received";
    setExpectingCode(false);
    answer(socket, redirectReply(pryx::serviceHost(pryx::Service::Auth)));
    emit checkCode(socket, code);
}

void ServerListener::answer(QTcpSocket *socket, const QByteArray &reply)
{
    socket->write(reply);
    socket->disconnectFromHost();   // sends what is written, then closes
}
