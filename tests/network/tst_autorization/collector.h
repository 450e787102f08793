#pragma once
// A plain-HTTP analytics collector on 127.0.0.1: keeps each request body and
// answers 200.

#include <QByteArrayList>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>

class Collector : public QObject
{
    Q_OBJECT
public:
    QByteArrayList bodies;

    bool listen()
    {
        connect(&server_, &QTcpServer::newConnection, this, &Collector::accept);
        return server_.listen(QHostAddress::LocalHost, 0);
    }
    quint16 port() const { return server_.serverPort(); }

private:
    void accept()
    {
        while (QTcpSocket *s = server_.nextPendingConnection()) {
            connect(s, &QTcpSocket::readyRead, this, [this, s] { read(s); });
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    }
    void read(QTcpSocket *s)
    {
        QByteArray &buf = buffers_[s];
        buf += s->readAll();
        const int end = buf.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        int length = 0;
        for (const QByteArray &line : buf.left(end).split('\n')) {
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toInt();
        }
        if (buf.size() < end + 4 + length)
            return;
        bodies.append(buf.mid(end + 4, length));
        buffers_.remove(s);
        s->write("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        s->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QTcpSocket *, QByteArray> buffers_;
};
