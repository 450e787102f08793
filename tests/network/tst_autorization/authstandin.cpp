#include "authstandin.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include "support/testsupport.h"

QString StandInRequest::header(const QString &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return QString();
}

AuthStandIn::~AuthStandIn()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(2000))
            process_.kill();
        process_.waitForFinished(2000);
    }
}

bool AuthStandIn::start(const QString &certDir, QString *error)
{
    connect(&process_, &QProcess::readyReadStandardOutput, this, &AuthStandIn::readLines);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("python3"),
                   {testsupport::supportDir() + QStringLiteral("/authstandin.py"),
                    QStringLiteral("--certdir"), certDir});
    if (!process_.waitForStarted(5000)) {
        *error = process_.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (port_ == 0 && clock.elapsed() < 20000 && process_.state() == QProcess::Running)
        QTest::qWait(20);
    if (port_ == 0)
        *error = QStringLiteral("the stand-in did not start");
    return port_ != 0;
}

void AuthStandIn::readLines()
{
    buffer_ += process_.readAllStandardOutput();
    int nl;
    while ((nl = buffer_.indexOf('\n')) >= 0) {
        const QJsonObject o = QJsonDocument::fromJson(buffer_.left(nl)).object();
        buffer_.remove(0, nl + 1);
        const QString event = o.value("event").toString();
        if (event == "ready") {
            port_ = o.value("port").toInt();
            plainPort_ = o.value("plain_port").toInt();
            ca_ = o.value("ca").toString();
        } else if (event == "ok") {
            ++acks_;
        } else if (event == "request") {
            StandInRequest r;
            r.method = o.value("method").toString();
            r.target = o.value("target").toString();
            r.path = o.value("path").toString();
            r.body = o.value("body").toString();
            r.query = o.value("query").toObject();
            for (const QJsonValue &h : o.value("headers").toArray())
                r.headers.append({h.toArray().at(0).toString(), h.toArray().at(1).toString()});
            r.multipart = o.value("parts").isArray();
            for (const QJsonValue &p : o.value("parts").toArray()) {
                const QJsonObject part = p.toObject();
                r.parts.append({part.value("name").toString(), part.value("headers").toObject(),
                                part.value("body").toString()});
            }
            requests.append(r);
        }
    }
}

bool AuthStandIn::command(const QJsonObject &cmd)
{
    const int before = acks_;
    process_.write(QJsonDocument(cmd).toJson(QJsonDocument::Compact) + '\n');
    QElapsedTimer clock;
    clock.start();
    while (acks_ == before && clock.elapsed() < 5000)
        QTest::qWait(5);
    return acks_ > before;
}

bool AuthStandIn::script(const QString &route, int status, const QString &body,
                         const QString &contentType, double delay)
{
    return command({{"cmd", "script"}, {"route", route}, {"status", status}, {"body", body},
                    {"content_type", contentType}, {"delay", delay}});
}

bool AuthStandIn::delay(const QString &route, double seconds)
{
    return command({{"cmd", "script"}, {"route", route}, {"delay", seconds}});
}

bool AuthStandIn::account(const QString &email, const QString &password, const QString &name)
{
    return command({{"cmd", "account"}, {"email", email}, {"password", password}, {"name", name}});
}

QList<StandInRequest> AuthStandIn::to(const QString &path) const
{
    QList<StandInRequest> list;
    for (const StandInRequest &r : requests) {
        if (r.path == path)
            list.append(r);
    }
    return list;
}
