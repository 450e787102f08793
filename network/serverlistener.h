#pragma once
// The loopback endpoint that receives the browser's redirect after a social
// login: answers the browser and hands the authorisation code on.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

class ServerListener : public QTcpServer
{
    Q_OBJECT
public:
    explicit ServerListener(QObject *parent = nullptr);

    // The ports tried in order: 62000-62009, 63000-63009, 64000-64009, 65000-65009.
    static QList<quint16> redirectPorts();

    // A code is taken only while a social login waits for one: from its
    // start for codeWaitLimit() ms, and only the first code.
    void setExpectingCode(bool expecting);
    bool isExpectingCode() const;
    static constexpr int kCodeWaitMs = 10 * 60 * 1000;
    int codeWaitLimit() const { return codeWaitMs_; }
    void setCodeWaitLimit(int ms) { codeWaitMs_ = ms; }

    // The request line for the debug stream, with its query hidden.
    static QByteArray maskedRequestLine(const QByteArray &head);

    // The code of a request head "GET /?code=... HTTP/1.x", or an empty text
    // when the head is not of that form.
    static QString codeFromRequest(const QByteArray &head);

    static QByteArray badRequestReply();
    static QByteArray redirectReply(const QString &authHost);

    // Longest request head read; a longer one gets the 400 reply.
    static constexpr int kMaxHeadSize = 16384;
    // A client that sends no complete head in this time is dropped.
    void setClientTimeout(int ms) { clientTimeoutMs_ = ms; }

signals:
    void checkCode(QTcpSocket *client, QString code);

public slots:
    void newClient();
    void clientReady();

private:
    void answer(QTcpSocket *socket, const QByteArray &reply);

    bool expectingCode_ = false;
    QDeadlineTimer codeDeadline_;
    int codeWaitMs_ = kCodeWaitMs;
    int clientTimeoutMs_ = 10000;
};
