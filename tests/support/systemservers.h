#pragma once
// The system's own FTP and SSH servers (vsftpd, OpenSSH's sshd) on 127.0.0.1,
// each with a config file of its own and one local user with a password. The
// user exists only for the server: a copy of /etc/passwd and /etc/shadow with
// the user added is bind-mounted over the real ones in a mount namespace of
// the server's own, so the machine's accounts are never touched.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace pryx::test {

struct LocalAccount {
    QString user = QStringLiteral("pryxtester");
    QString password = QStringLiteral("pa55 w:rd");
    int uid = 4242;          // not the tests' own: the server refuses what the user may not do
    QString home;            // made and handed to the user by prepare()
    QString etc;             // the passwd and shadow copies
};

// Makes the home folder, the passwd and shadow copies and opens the folders
// from the test root down to the home for the user (search only).
bool prepareAccount(LocalAccount &account, const QString &dir, QString *error);

// Lets other users pass through the folders from the test root down to path.
void openPathForOthers(const QString &path);

// Hands a folder (made when missing) to the account's user.
bool giveToAccount(const LocalAccount &account, const QString &folder);

// An ed25519 host key made with ssh-keygen.
bool makeHostKey(const QString &path, QString *error);

class SystemServer
{
public:
    ~SystemServer();
    bool startVsftpd(const LocalAccount &account, const QString &dir, QString *error);
    // port 0: a free one.
    bool startSshd(const LocalAccount &account, const QString &dir, const QString &hostKey,
                   QString *error, int port = 0);
    void stop();
    int port() const { return port_; }
    // The server's own log (vsftpd's protocol log, sshd's messages).
    QString log() const;

private:
    bool launch(const LocalAccount &account, const QString &command, QString *error);

    QProcess process_;
    QString logFile_;
    int port_ = 0;
};

// Runs a command line client (curl, sftp) to completion; its output in *out.
bool runClient(const QString &program, const QStringList &args, QString *out,
               const QStringList &extraEnv = {}, const QByteArray &input = QByteArray());

// The hex SHA-256 of a file ("" when it cannot be read).
QByteArray sha256Of(const QString &path);

} // namespace pryx::test
