#include "support/standin.h"

#include "support/systemservers.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace pryx::test {

QByteArray StandInRequest::header(const QByteArray &name) const
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return QByteArray();
}

bool StandInRequest::hasHeader(const QByteArray &name) const
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool runOpenssl(const QStringList &args, const QString &workDir, QString *out)
{
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("openssl"), args);
    const bool ok = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit
        && p.exitCode() == 0;
    if (out)
        *out = QString::fromLocal8Bit(p.readAll());
    return ok;
}

StandIn::StandIn() = default;

StandIn::~StandIn() { stop(); }

QString StandIn::host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
QString StandIn::caFile() const { return dir_.filePath(QStringLiteral("ca.pem")); }

bool StandIn::start(qint64 keepLimit)
{
    const QString d = dir_.path();
    QString out;
    QFile ext(dir_.filePath(QStringLiteral("ext.cnf")));
    ext.open(QIODevice::WriteOnly);
    ext.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
              "keyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n");
    ext.close();
    const QList<QStringList> steps = {
        {"ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", "ca.key"},
        {"req", "-x509", "-new", "-key", "ca.key", "-days", "2", "-subj", "/CN=Pryx Test CA",
         "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
         "-out", "ca.pem"},
        {"ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", "server.key"},
        {"req", "-new", "-key", "server.key", "-subj", "/CN=127.0.0.1", "-out", "server.csr"},
        {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
         "-days", "2", "-extfile", "ext.cnf", "-out", "server.pem"},
    };
    for (const QStringList &s : steps) {
        if (!runOpenssl(s, d, &out)) {
            error_ = QStringLiteral("openssl ") + s.join(' ') + QStringLiteral(": ") + out;
            return false;
        }
    }
    QDir(d).mkpath(QStringLiteral("store"));
    QDir(d).mkpath(QStringLiteral("control"));
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{supportDir() + QStringLiteral("/standin.py"), "--cert", d + "/server.pem", "--key",
                     d + "/server.key", "--control", d + "/control", "--log", d + "/requests.log",
                     "--store", d + "/store", "--keep-limit", QString::number(keepLimit)};
    for (const QString &f : routeFiles_)
        args << QStringLiteral("--routes") << f;
    proc_.start(QStringLiteral("python3"), args);
    if (!proc_.waitForStarted(10000)) {
        error_ = proc_.errorString();
        return false;
    }
    QByteArray line;
    QElapsedTimer t;
    t.start();
    while (!line.contains('\n') && t.elapsed() < 15000) {
        if (!proc_.waitForReadyRead(200) && proc_.state() != QProcess::Running)
            break;
        line += proc_.readAllStandardOutput();
    }
    if (!line.startsWith("PORT ")) {
        error_ = QStringLiteral("stand-in did not start: ") + QString::fromUtf8(line);
        return false;
    }
    port_ = line.mid(5).trimmed().toInt();
    qputenv("PRYX_EXTRA_CA_FILE", caFile().toLocal8Bit());
    return port_ > 0;
}

void StandIn::stop()
{
    if (proc_.state() != QProcess::NotRunning) {
        proc_.terminate();
        if (!proc_.waitForFinished(3000)) {
            proc_.kill();
            proc_.waitForFinished(3000);
        }
    }
}

void StandIn::setScript(const QJsonArray &rules)
{
    QDir control(dir_.filePath(QStringLiteral("control")));
    for (const QString &f : control.entryList({QStringLiteral("release-*")}, QDir::Files))
        control.remove(f);
    QSaveFile f(dir_.filePath(QStringLiteral("control/script.json")));
    f.open(QIODevice::WriteOnly);
    f.write(QJsonDocument(rules).toJson());
    f.commit();
}

void StandIn::clearLog()
{
    QFile::remove(dir_.filePath(QStringLiteral("requests.log")));
}

void StandIn::release(const QString &holdName)
{
    QFile f(dir_.filePath(QStringLiteral("control/release-") + holdName));
    f.open(QIODevice::WriteOnly);
}

QVector<StandInRequest> StandIn::requests() const
{
    QVector<StandInRequest> list;
    QFile f(dir_.filePath(QStringLiteral("requests.log")));
    if (!f.open(QIODevice::ReadOnly))
        return list;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o.isEmpty())
            continue;   // a line being written
        StandInRequest r;
        r.seq = o.value("seq").toInt();
        r.method = o.value("method").toString();
        r.path = o.value("path").toString().toUtf8();
        for (const QJsonValue &h : o.value("headers").toArray())
            r.headers.append({h.toArray().at(0).toString().toUtf8(), h.toArray().at(1).toString().toUtf8()});
        r.size = qint64(o.value("size").toDouble());
        r.sha256 = o.value("sha256").toString().toLatin1();
        const QString file = o.value("body_file").toString();
        if (!file.isEmpty()) {
            QFile b(file);
            if (b.open(QIODevice::ReadOnly))
                r.body = b.readAll();
        } else {
            r.body = QByteArray::fromBase64(o.value("body_b64").toString().toLatin1());
        }
        r.inflight = o.value("inflight").toInt();
        r.created = o.value("created").toString();
        const QJsonValue a = o.value("answer");
        r.answer = a.isString() ? a.toString() : QString::number(a.toInt());
        list.append(r);
    }
    return list;
}

bool StandIn::waitForRequests(int n, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return requests().size() >= n; }, timeoutMs);
}

TinyProxy::TinyProxy() = default;
TinyProxy::~TinyProxy() { stop(); }

bool TinyProxy::start(const QString &user, const QString &password)
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) {
        error_ = probe.errorString();
        return false;
    }
    port_ = probe.serverPort();
    probe.close();
    QFile conf(dir_.filePath(QStringLiteral("tinyproxy.conf")));
    conf.open(QIODevice::WriteOnly);
    QByteArray text = "Port " + QByteArray::number(port_) + "\nListen 127.0.0.1\nTimeout 30\n"
        "LogFile \"" + dir_.filePath(QStringLiteral("tinyproxy.log")).toUtf8() + "\"\n"
        "LogLevel Info\nMaxClients 50\nAllow 127.0.0.1\n";
    if (!user.isEmpty())
        text += "BasicAuth " + user.toUtf8() + " " + password.toUtf8() + "\n";
    if (!runAs_.isEmpty()) {
        // It opens its log after leaving root.
        const struct passwd *pw = ::getpwnam(runAs_.toLocal8Bit().constData());
        if (!pw) {
            error_ = QStringLiteral("no user ") + runAs_;
            return false;
        }
        const struct group *gr = ::getgrgid(pw->pw_gid);
        text += "User " + runAs_.toUtf8() + "\n";
        if (gr)
            text += "Group " + QByteArray(gr->gr_name) + "\n";
        if (::chown(QFile::encodeName(dir_.path()).constData(), pw->pw_uid, pw->pw_gid) != 0) {
            error_ = QStringLiteral("cannot hand the log folder to ") + runAs_;
            return false;
        }
        openPathForOthers(dir_.path());
    }
    conf.write(text);
    conf.close();
    proc_.setProcessChannelMode(QProcess::ForwardedChannels);
    proc_.start(QStringLiteral("tinyproxy"), {"-d", "-c", conf.fileName()});
    if (!proc_.waitForStarted(5000)) {
        error_ = proc_.errorString();
        return false;
    }
    // Ready once it accepts connections.
    const bool up = QTest::qWaitFor([&] {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, quint16(port_));
        return s.waitForConnected(200);
    }, 5000);
    if (!up)
        error_ = QStringLiteral("tinyproxy did not start");
    return up;
}

void TinyProxy::stop()
{
    if (proc_.state() != QProcess::NotRunning) {
        proc_.terminate();
        if (!proc_.waitForFinished(3000)) {
            proc_.kill();
            proc_.waitForFinished(3000);
        }
    }
}

QString TinyProxy::logText() const
{
    QFile f(dir_.filePath(QStringLiteral("tinyproxy.log")));
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

} // namespace pryx::test
