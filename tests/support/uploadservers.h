#pragma once
// FTP (pyftpdlib) and SFTP (paramiko) test servers on 127.0.0.1, each with a
// root folder and one user with a password, started by the tests.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace pryx::test {

class ScriptServer
{
public:
    ~ScriptServer();
    // Starts a python server script of tests/support; waits for its port.
    bool start(const QString &script, const QStringList &args, QString *error = nullptr);
    int port() const { return port_; }
    // Ends the server at once (SIGKILL), as a crashed or gone server.
    void kill();
    bool isRunning() const { return process_.state() != QProcess::NotRunning; }

private:
    QProcess process_;
    int port_ = 0;
};

struct FtpServerOptions {
    QString root;
    QString user = QStringLiteral("tester");
    QString password = QStringLiteral("secret");
    int port = 0;
    int throttle = 0;   // upload bytes per second, 0: no limit
};

struct SftpServerOptions {
    QString root;
    QString hostKey;    // made when the file is missing
    QString home;       // login folder below the root ("/" when empty); made at start
    QString user = QStringLiteral("tester");
    QString password = QStringLiteral("secret");
    int port = 0;
    int throttle = 0;
};

bool startFtpServer(ScriptServer &server, const FtpServerOptions &o, QString *error = nullptr);
bool startSftpServer(ScriptServer &server, const SftpServerOptions &o, QString *error = nullptr);

// Writes a file of n pseudo-random bytes (seeded) and returns its path.
QString makeDataFile(const QString &path, qint64 size, quint32 seed = 1);

} // namespace pryx::test
