#pragma once
// A TCP server on 127.0.0.1 that never answers: it keeps every connection
// open (a service that has gone quiet) or closes it at once, and counts them.

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>

namespace pryx::test {

class MuteServer
{
public:
    enum Mode { Hold, Close };
    explicit MuteServer(Mode mode = Hold) : mode_(mode)
    {
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket *socket = server_.nextPendingConnection()) {
                ++connections_;
                if (mode_ == Close) {
                    socket->close();
                    socket->deleteLater();
                }
            }
        });
    }
    MuteServer(const MuteServer &) = delete;
    MuteServer &operator=(const MuteServer &) = delete;

    // On a free port.
    bool listen() { return server_.listen(QHostAddress::LocalHost, 0); }
    quint16 port() const { return server_.serverPort(); }
    QByteArray host() const { return "127.0.0.1:" + QByteArray::number(port()); }
    int connections() const { return connections_; }

private:
    Mode mode_;
    QTcpServer server_;   // parent of the connections it holds
    int connections_ = 0;
};

} // namespace pryx::test
