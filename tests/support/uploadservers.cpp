#include "support/uploadservers.h"

#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace pryx::test {

ScriptServer::~ScriptServer() { kill(); }

bool ScriptServer::start(const QString &script, const QStringList &args, QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("/usr/bin/python3"),
                   QStringList{supportDir() + "/" + script} + args);
    if (!process_.waitForStarted(10000)) {
        *error = process_.errorString();
        return false;
    }
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 20000) {
        if (!process_.waitForReadyRead(200) && process_.state() == QProcess::NotRunning)
            break;
        out += process_.readAllStandardOutput();
        const int at = out.indexOf("PORT ");
        const int end = out.indexOf('\n', at);
        if (at >= 0 && end > at) {
            port_ = out.mid(at + 5, end - at - 5).trimmed().toInt();
            return port_ > 0;
        }
    }
    *error = QStringLiteral("server %1 did not start: %2").arg(script, QString::fromUtf8(out));
    kill();
    return false;
}

void ScriptServer::kill()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool startFtpServer(ScriptServer &server, const FtpServerOptions &o, QString *error)
{
    QDir().mkpath(o.root);
    QStringList args{"--root", o.root, "--user", o.user, "--password", o.password,
                     "--port", QString::number(o.port)};
    if (o.throttle > 0)
        args << "--throttle" << QString::number(o.throttle);
    return server.start(QStringLiteral("ftpserver.py"), args, error);
}

bool startSftpServer(ScriptServer &server, const SftpServerOptions &o, QString *error)
{
    QDir().mkpath(o.root);
    QStringList args{"--root", o.root, "--user", o.user, "--password", o.password,
                     "--host-key", o.hostKey, "--port", QString::number(o.port)};
    if (o.throttle > 0)
        args << "--throttle" << QString::number(o.throttle);
    if (!o.home.isEmpty()) {
        QDir(o.root).mkpath(QLatin1Char('.') + o.home);
        args << "--home" << o.home;
    }
    return server.start(QStringLiteral("sftpserver.py"), args, error);
}

QString makeDataFile(const QString &path, qint64 size, quint32 seed)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    QRandomGenerator gen(seed);
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    qint64 left = size;
    while (left > 0) {
        const int n = int(qMin<qint64>(left, chunk.size()));
        gen.fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
        f.write(chunk.constData(), n);
        left -= n;
    }
    return path;
}

} // namespace pryx::test
