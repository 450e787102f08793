#pragma once
// Drives tests/support/authstandin.py: starts it, collects the requests it
// reports and sends it commands.

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

struct StandInPart {
    QString name;
    QJsonObject headers;
    QString body;
};

struct StandInRequest {
    QString method, target, path, body;
    QJsonObject query;
    QList<QPair<QString, QString>> headers;
    QList<StandInPart> parts;
    bool multipart = false;
    QString header(const QString &name) const;
};

class AuthStandIn : public QObject
{
    Q_OBJECT
public:
    ~AuthStandIn() override;
    bool start(const QString &certDir, QString *error);
    int port() const { return port_; }
    int plainPort() const { return plainPort_; }
    QString caFile() const { return ca_; }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

    // Sends one command and waits for its acknowledgement.
    bool command(const QJsonObject &cmd);
    bool script(const QString &route, int status, const QString &body,
                const QString &contentType = QStringLiteral("application/json"), double delay = 0);
    bool delay(const QString &route, double seconds);
    bool account(const QString &email, const QString &password, const QString &name);

    QList<StandInRequest> requests;
    // The requests to a path, in order.
    QList<StandInRequest> to(const QString &path) const;

private:
    void readLines();

    QProcess process_;
    QByteArray buffer_;
    int port_ = 0;
    int plainPort_ = 0;
    int acks_ = 0;
    QString ca_;
};
