#include "support/systemservers.h"

#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace pryx::test {

namespace {

bool writeFile(const QString &path, const QByteArray &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

void openPathForOthers(const QString &path)
{
    const QString root = QDir(testRoot()).canonicalPath();
    QString p = QDir(path).canonicalPath();
    while (!p.isEmpty() && p.startsWith(root)) {
        struct stat st;
        if (::stat(QFile::encodeName(p).constData(), &st) == 0)
            ::chmod(QFile::encodeName(p).constData(), (st.st_mode & 07777) | S_IXOTH);
        if (p == root)
            break;
        p = QFileInfo(p).path();
    }
}

bool prepareAccount(LocalAccount &account, const QString &dir, QString *error)
{
    account.home = dir + "/home/" + account.user;
    account.etc = dir + "/etc";
    if (!QDir().mkpath(account.etc) || !giveToAccount(account, account.home)) {
        *error = QStringLiteral("cannot make %1").arg(account.home);
        return false;
    }
    QString hash;
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), {"passwd", "-6", "-stdin"});
    openssl.write(account.password.toUtf8() + "\n");
    openssl.closeWriteChannel();
    if (!openssl.waitForFinished(20000) || openssl.exitCode() != 0) {
        *error = QStringLiteral("openssl passwd failed");
        return false;
    }
    hash = QString::fromLatin1(openssl.readAllStandardOutput()).trimmed();
    QByteArray passwd = readFile(QStringLiteral("/etc/passwd"));
    QByteArray shadow = readFile(QStringLiteral("/etc/shadow"));
    if (passwd.isEmpty() || shadow.isEmpty()) {
        *error = QStringLiteral("cannot read /etc/passwd or /etc/shadow");
        return false;
    }
    if (!passwd.endsWith('\n'))
        passwd += '\n';
    if (!shadow.endsWith('\n'))
        shadow += '\n';
    passwd += QStringLiteral("%1:x:%2:65534:Pryx test:%3:/bin/sh\n")
                  .arg(account.user).arg(account.uid).arg(account.home).toUtf8();
    shadow += QStringLiteral("%1:%2:19000:0:99999:7:::\n").arg(account.user, hash).toUtf8();
    if (!writeFile(account.etc + "/passwd", passwd) || !writeFile(account.etc + "/shadow", shadow)) {
        *error = QStringLiteral("cannot write the account files");
        return false;
    }
    QFile::setPermissions(account.etc + "/shadow", QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

bool giveToAccount(const LocalAccount &account, const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    openPathForOthers(QFileInfo(folder).path());
    return ::chown(QFile::encodeName(folder).constData(), uid_t(account.uid), gid_t(65534)) == 0;
}

bool makeHostKey(const QString &path, QString *error)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    QFile::remove(path + ".pub");
    QString out;
    if (!runClient(QStringLiteral("ssh-keygen"), {"-q", "-t", "ed25519", "-N", "", "-f", path}, &out)) {
        *error = QStringLiteral("ssh-keygen: ") + out;
        return false;
    }
    return true;
}

SystemServer::~SystemServer() { stop(); }

bool SystemServer::launch(const LocalAccount &account, const QString &command, QString *error)
{
    // The account files replace the real ones for this server alone; sshd
    // also gets a /run of its own for its privilege-separation folder.
    const QString script = QStringLiteral(
        "etc=$1; shift; mount --bind \"$etc/passwd\" /etc/passwd && "
        "mount --bind \"$etc/shadow\" /etc/shadow && "
        "mount -t tmpfs tmpfs /run && mkdir -m 755 /run/sshd && exec \"$@\"");
    QStringList args{"-m", "--propagation", "private", "sh", "-c", script, "sh", account.etc};
    args += command.split(QLatin1Char('\n'));
    process_.setStandardOutputFile(logFile_ + ".out");
    process_.setStandardErrorFile(logFile_ + ".err");
    process_.start(QStringLiteral("unshare"), args);
    if (!process_.waitForStarted(10000)) {
        *error = process_.errorString();
        return false;
    }
    const bool up = QTest::qWaitFor([&] {
        if (process_.state() == QProcess::NotRunning)
            return true;
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, quint16(port_));
        return s.waitForConnected(200);
    }, 15000);
    if (!up || process_.state() == QProcess::NotRunning) {
        *error = QStringLiteral("%1 did not start: %2")
                     .arg(command.section(QLatin1Char('\n'), 0, 0),
                          QString::fromUtf8(readFile(logFile_ + ".err")));
        stop();
        return false;
    }
    return true;
}

bool SystemServer::startVsftpd(const LocalAccount &account, const QString &dir, QString *error)
{
    QDir().mkpath(dir + "/empty");
    port_ = freePort();
    logFile_ = dir + "/vsftpd.log";
    const QString conf = dir + "/vsftpd.conf";
    const QByteArray text = "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\n"
                            "listen_port=" + QByteArray::number(port_) + "\n"
                            "background=NO\nanonymous_enable=NO\nlocal_enable=YES\n"
                            "write_enable=YES\nlocal_umask=022\nchroot_local_user=NO\n"
                            "secure_chroot_dir=" + QFile::encodeName(dir + "/empty") + "\n"
                            "pam_service_name=vsftpd\nseccomp_sandbox=NO\nisolate_network=NO\n"
                            "xferlog_enable=YES\nlog_ftp_protocol=YES\n"
                            "vsftpd_log_file=" + QFile::encodeName(logFile_) + "\n";
    if (!writeFile(conf, text)) {
        *error = QStringLiteral("cannot write ") + conf;
        return false;
    }
    return launch(account, QStringLiteral("/usr/sbin/vsftpd\n") + conf, error);
}

bool SystemServer::startSshd(const LocalAccount &account, const QString &dir,
                             const QString &hostKey, QString *error, int port)
{
    QDir().mkpath(dir);
    port_ = port > 0 ? port : freePort();
    logFile_ = dir + "/sshd.log";
    const QString conf = dir + "/sshd_config";
    const QByteArray text = "Port " + QByteArray::number(port_) + "\nListenAddress 127.0.0.1\n"
                            "HostKey " + QFile::encodeName(hostKey) + "\n"
                            "PasswordAuthentication yes\nKbdInteractiveAuthentication no\n"
                            "PubkeyAuthentication no\nUsePAM no\nPermitRootLogin no\n"
                            "StrictModes no\nPidFile none\nAuthorizedKeysFile none\n"
                            "Subsystem sftp internal-sftp\nLogLevel VERBOSE\nMaxStartups 50\n";
    if (!writeFile(conf, text)) {
        *error = QStringLiteral("cannot write ") + conf;
        return false;
    }
    return launch(account, QStringLiteral("/usr/sbin/sshd\n-D\n-e\n-f\n") + conf, error);
}

void SystemServer::stop()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
}

QString SystemServer::log() const
{
    return QString::fromUtf8(readFile(logFile_) + readFile(logFile_ + ".err"));
}

bool runClient(const QString &program, const QStringList &args, QString *out,
               const QStringList &extraEnv, const QByteArray &input)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!extraEnv.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &kv : extraEnv)
            env.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        *out = p.errorString();
        return false;
    }
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    const bool done = p.waitForFinished(60000);
    *out = QString::fromUtf8(p.readAll());
    return done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QByteArray sha256Of(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(&f);
    return h.result().toHex();
}

} // namespace pryx::test
