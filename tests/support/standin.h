#pragma once
// Test helper: the HTTPS stand-in for the web service (standin.py) with a CA
// and server certificate made at start with the openssl tool, and an HTTP
// proxy (tinyproxy) on loopback for the proxy cases.

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

namespace pryx::test {

struct StandInRequest {
    int seq = 0;
    QString method;
    QByteArray path;                          // raw path and query
    QList<QPair<QByteArray, QByteArray>> headers;
    qint64 size = 0;
    QByteArray sha256;                        // hex of the whole body
    QByteArray body;                          // the body (up to the keep limit)
    int inflight = 0;                         // requests being served at arrival
    QString created;                          // id made by a create request
    QString answer;                           // status, or "closed"

    QByteArray header(const QByteArray &name) const;
    bool hasHeader(const QByteArray &name) const;
};

class StandIn
{
public:
    StandIn();
    ~StandIn();
    StandIn(const StandIn &) = delete;
    StandIn &operator=(const StandIn &) = delete;

    // Python files with more routes (see standin.py), set before start().
    void addRouteFile(const QString &path) { routeFiles_.append(path); }

    // Makes the certificates, starts the server and points PRYX_EXTRA_CA_FILE
    // at its CA. keepLimit: bodies above it are only hashed.
    bool start(qint64 keepLimit = 64 << 20);
    void stop();

    int port() const { return port_; }
    QString host() const;                     // "127.0.0.1:<port>"
    QString caFile() const;
    QString error() const { return error_; }

    // Replaces the answer script (rules of standin.py; held requests of the
    // old script stay released, new holds start closed). clearLog empties the log.
    void setScript(const QJsonArray &rules);
    void clearLog();
    void release(const QString &holdName);
    QVector<StandInRequest> requests() const;
    // Waits (spinning the event loop) until at least n requests are logged.
    bool waitForRequests(int n, int timeoutMs = 10000) const;

private:
    QTemporaryDir dir_;
    QProcess proc_;
    QStringList routeFiles_;
    int port_ = 0;
    QString error_;
};

// tinyproxy on 127.0.0.1, optionally with basic authentication.
class TinyProxy
{
public:
    TinyProxy();
    ~TinyProxy();
    // The system user tinyproxy runs as (it drops root at start); set before start().
    void setRunAs(const QString &user) { runAs_ = user; }
    bool start(const QString &user = QString(), const QString &password = QString());
    void stop();
    int port() const { return port_; }
    QString logText() const;                  // tinyproxy's own log
    QString error() const { return error_; }

private:
    QTemporaryDir dir_;
    QProcess proc_;
    QString runAs_;
    int port_ = 0;
    QString error_;
};

// The openssl tool, for certificates; returns false with the output on failure.
bool runOpenssl(const QStringList &args, const QString &workDir, QString *out);

} // namespace pryx::test
