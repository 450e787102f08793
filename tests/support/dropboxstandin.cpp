#include "support/dropboxstandin.h"

#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrl>

namespace pryx::test {

namespace {
bool openssl(const QStringList &args, const QString &dir, QString *error)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral("openssl"), args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        *error = QStringLiteral("openssl %1: %2")
                     .arg(args.join(' '), QString::fromUtf8(p.readAllStandardError()));
        return false;
    }
    return true;
}

bool makeCertificates(const QString &dir, QString *error)
{
    QFile ext(dir + "/ext.cnf");
    if (!ext.open(QIODevice::WriteOnly))
        return false;
    ext.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n");
    ext.close();
    const QStringList ec{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
    return openssl(QStringList{"req", "-x509"} + ec
                       + QStringList{"-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
                                     "-subj", "/CN=Pryx Dropbox Test CA"},
                   dir, error)
           && openssl(QStringList{"req"} + ec
                          + QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj",
                                        "/CN=127.0.0.1"},
                      dir, error)
           && openssl({"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                       "-CAcreateserial", "-out", "server.pem", "-days", "2", "-extfile",
                       "ext.cnf"},
                      dir, error);
}
} // namespace

DropboxStandin::~DropboxStandin() { stop(); }

bool DropboxStandin::start(QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    dir_ = testRoot() + "/dropbox-standin";
    QDir().mkpath(dir_ + "/root");
    if (!QFile::exists(dir_ + "/server.pem") && !makeCertificates(dir_, error))
        return false;
    QFile::remove(dir_ + "/control.json");
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("/usr/bin/python3"),
                   {supportDir() + "/dropboxstandin.py", "--root", root(), "--cert",
                    dir_ + "/server.pem", "--key", dir_ + "/server.key", "--log",
                    dir_ + "/requests.log", "--control", dir_ + "/control.json"});
    if (!process_.waitForStarted(10000)) {
        *error = process_.errorString();
        return false;
    }
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 20000 && !out.contains("PORT ")) {
        if (!process_.waitForReadyRead(200) && process_.state() == QProcess::NotRunning)
            break;
        out += process_.readAllStandardOutput();
    }
    for (const QByteArray &line : out.split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() != 2)
            continue;
        if (parts[0] == "WEB") web_ = parts[1].toInt();
        if (parts[0] == "API") api_ = parts[1].toInt();
        if (parts[0] == "CONTENT") content_ = parts[1].toInt();
    }
    if (!web_ || !api_ || !content_) {
        *error = QStringLiteral("Dropbox stand-in did not start: ") + QString::fromUtf8(out);
        stop();
        return false;
    }
    qputenv("PRYX_DROPBOX_WEB_HOST", "127.0.0.1:" + QByteArray::number(web_));
    qputenv("PRYX_DROPBOX_API_HOST", "127.0.0.1:" + QByteArray::number(api_));
    qputenv("PRYX_DROPBOX_CONTENT_HOST", "127.0.0.1:" + QByteArray::number(content_));
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setCaCertificates(tls.caCertificates() + QSslCertificate::fromPath(dir_ + "/ca.pem"));
    QSslConfiguration::setDefaultConfiguration(tls);
    return true;
}

void DropboxStandin::stop()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void DropboxStandin::setControl(const QJsonObject &control)
{
    QFile f(dir_ + "/control.json.new");
    if (f.open(QIODevice::WriteOnly)) {
        f.write(QJsonDocument(control).toJson());
        f.close();
        QFile::remove(dir_ + "/control.json");
        f.rename(dir_ + "/control.json");
    }
}

QList<QJsonObject> DropboxStandin::requests() const
{
    QList<QJsonObject> list;
    QFile f(dir_ + "/requests.log");
    if (!f.open(QIODevice::ReadOnly))
        return list;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (!line.trimmed().isEmpty())
            list << QJsonDocument::fromJson(line).object();
    return list;
}

QList<QJsonObject> DropboxStandin::requests(const QString &path) const
{
    QList<QJsonObject> list;
    for (const QJsonObject &r : requests())
        if (QUrl(r.value("path").toString()).path() == path)
            list << r;
    return list;
}

QByteArray followAuthorizeUrl(const QUrl &url, int *status)
{
    QNetworkAccessManager nam;
    auto get = [&nam](const QUrl &u) {
        QNetworkRequest request(u);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        request.setTransferTimeout(10000);
        QNetworkReply *reply = nam.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        reply->deleteLater();
        return reply;
    };
    QNetworkReply *first = get(url);
    const QUrl next = first->header(QNetworkRequest::LocationHeader).toUrl();
    if (next.isEmpty()) {
        if (status)
            *status = first->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        return first->readAll();
    }
    QNetworkReply *second = get(next);
    if (status)
        *status = second->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return second->readAll();
}

} // namespace pryx::test
