#include "core/handover.h"
#include "core/corelog.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDebug>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace pryx {

namespace {

QByteArray sha256(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return QByteArray();
    return hash.result();
}

QString oldName(const QString &path) { return path + QStringLiteral(".old"); }

bool syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// A copy of source in a new temporary file in folder, with source's bytes
// checked and its permissions (the owner may always read and write; a
// program stays executable). Empty on failure.
QString stagedCopy(const QString &source, const QString &folder, const QString &name, QString *error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(source, in.errorString());
        return QString();
    }
    QTemporaryFile out(folder + QStringLiteral("/.") + name + QStringLiteral(".new-XXXXXX"));
    if (!out.open()) {
        *error = QStringLiteral("cannot write in %1: %2").arg(folder, out.errorString());
        return QString();
    }
    char buffer[1 << 16];
    qint64 n = 0;
    while ((n = in.read(buffer, sizeof buffer)) > 0) {
        if (out.write(buffer, n) != n) {
            *error = QStringLiteral("cannot write %1: %2").arg(out.fileName(), out.errorString());
            return QString();
        }
    }
    if (n < 0 || !out.flush()) {
        *error = QStringLiteral("cannot copy %1").arg(source);
        return QString();
    }
    out.close();
    QFile::Permissions perms = QFile::permissions(source) | QFile::ReadOwner | QFile::WriteOwner
                               | QFile::ReadUser | QFile::WriteUser;
    if (perms & (QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther))
        perms |= QFile::ExeOwner | QFile::ExeUser;
    if (!QFile::setPermissions(out.fileName(), perms) || !syncFile(out.fileName())
        || sha256(out.fileName()) != sha256(source)) {
        *error = QStringLiteral("the copy of %1 differs or cannot be kept").arg(source);
        return QString();
    }
    out.setAutoRemove(false);
    return out.fileName();
}

bool processGone(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return true;
    // A zombie waiting for a reaper that is not us has ended too.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const int close = text.lastIndexOf(')');
    return close > 0 && text.size() > close + 2 && (text.at(close + 2) == 'Z' || text.at(close + 2) == 'X');
}

} // namespace

QStringList programFileNames(const QString &programName)
{
    return {programName, QStringLiteral("audiolib.so")};
}

bool sameFileContents(const QString &a, const QString &b)
{
    if (QFileInfo(a).size() != QFileInfo(b).size())
        return false;
    const QByteArray ha = sha256(a);
    return !ha.isEmpty() && ha == sha256(b);
}

bool replaceProgramFiles(const QString &updateDir, const QString &programDir,
                         const QStringList &names, QStringList *replaced, QString *error)
{
    replaced->clear();
    // First every new file beside its target, so that the renames that
    // follow cannot fail half-way for want of space.
    QStringList staged;
    QStringList present;
    for (const QString &name : names) {
        const QString source = updateDir + QLatin1Char('/') + name;
        if (!QFileInfo(source).isFile())
            continue;
        const QString copy = stagedCopy(source, programDir, name, error);
        if (copy.isEmpty()) {
            for (const QString &path : staged)
                QFile::remove(path);
            return false;
        }
        staged << copy;
        present << name;
    }
    for (int i = 0; i < present.size(); ++i) {
        const QString target = programDir + QLatin1Char('/') + present.at(i);
        const QByteArray t = QFile::encodeName(target);
        const QByteArray o = QFile::encodeName(oldName(target));
        bool ok = true;
        if (QFileInfo(target).exists() || QFileInfo(target).isSymLink()) {
            QFile::remove(oldName(target));
            ok = ::rename(t.constData(), o.constData()) == 0;
        }
        ok = ok && ::rename(QFile::encodeName(staged.at(i)).constData(), t.constData()) == 0;
        if (!ok) {
            *error = QStringLiteral("cannot put %1 in place: %2").arg(target, QString::fromLocal8Bit(strerror(errno)));
            if (QFileInfo::exists(oldName(target)) && !QFileInfo::exists(target))
                ::rename(o.constData(), t.constData());
            restoreProgramFiles(programDir, *replaced);
            for (int j = i; j < staged.size(); ++j)
                QFile::remove(staged.at(j));
            replaced->clear();
            return false;
        }
        replaced->append(present.at(i));
    }
    const int dir = ::open(QFile::encodeName(programDir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void restoreProgramFiles(const QString &programDir, const QStringList &names)
{
    for (const QString &name : names) {
        const QString target = programDir + QLatin1Char('/') + name;
        if (QFileInfo::exists(oldName(target))) {
            if (::rename(QFile::encodeName(oldName(target)).constData(), QFile::encodeName(target).constData()) != 0)
                qCDebug(pryx::lcCore) << Q_FUNC_INFO << "cannot put back" << target;
        } else {
            // It was new in this update: nothing stood there before.
            QFile::remove(target);
        }
    }
}

void dropOldProgramFiles(const QString &programDir, const QStringList &names)
{
    for (const QString &name : names)
        QFile::remove(oldName(programDir + QLatin1Char('/') + name));
}

bool startAndAwaitConfirmation(const QString &program, const QStringList &args,
                               const QString &confirmFile, int timeoutMs)
{
    QFile::remove(confirmFile);
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kHandOverConfirmVariable), confirmFile);
    process.setProcessEnvironment(env);
    qint64 pid = 0;
    if (!process.startDetached(&pid) || pid <= 0) {
        qCDebug(pryx::lcCore) << Q_FUNC_INFO << "cannot start" << program;
        return false;
    }
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << "started" << program << "pid" << pid;
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (QFileInfo::exists(confirmFile)) {
            QFile::remove(confirmFile);
            return true;
        }
        if (processGone(pid)) {
            qCDebug(pryx::lcCore) << Q_FUNC_INFO << "the new program ended before it was up";
            return QFileInfo::exists(confirmFile) && QFile::remove(confirmFile);
        }
        QThread::msleep(20);
    }
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << "the new program did not come up in time; ending it";
    ::kill(pid_t(pid), SIGKILL);
    return false;
}

void confirmHandOver(const QString &programDir, const QStringList &names)
{
    const QString confirmFile = qEnvironmentVariable(kHandOverConfirmVariable);
    qunsetenv(kHandOverConfirmVariable);   // not for the programs this one starts
    if (confirmFile.isEmpty())
        return;
    dropOldProgramFiles(programDir, names);
    QSaveFile file(confirmFile);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QByteArray::number(QCoreApplication::applicationPid()));
        file.commit();
    }
    qCDebug(pryx::lcCore) << Q_FUNC_INFO << "hand-over confirmed, pid" << QCoreApplication::applicationPid();
}

} // namespace pryx
