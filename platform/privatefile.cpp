#include "platform/privatefile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pryx::platform {

void tightenFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::stat(native.constData(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 077))
        ::chmod(native.constData(), st.st_mode & 07700);
}

bool createPrivateFile(const QString &path, const QByteArray &data)
{
    // Written beside the target first, then linked in place: the target
    // appears complete or not at all, and an existing one is never replaced.
    const QByteArray target = QFile::encodeName(path);
    QByteArray temp = target + ".new-" + QByteArray::number(qint64(::getpid()));
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    qint64 written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + written, size_t(data.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    const bool ok = written == data.size() && ::fsync(fd) == 0;
    ::close(fd);
    const bool linked = ok && ::link(temp.constData(), target.constData()) == 0;
    ::unlink(temp.constData());
    return linked;
}

namespace {

bool otherProcessLocks(const QByteArray &file, off_t start, off_t length)
{
    const int fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    const bool held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    // Closing drops this process's own locks on the file: the caller has none.
    ::close(fd);
    return held;
}

} // namespace

bool otherProcessLocksDatabase(const QString &path)
{
    // SQLite's lock bytes: the pending byte at 1 GiB, the reserved byte after
    // it, then 510 shared bytes.
    const off_t pendingByte = 0x40000000;
    const QByteArray native = QFile::encodeName(path);
    if (otherProcessLocks(native, pendingByte, 512))
        return true;
    // In WAL mode the readers and the writer lock the shared-memory file.
    const QByteArray shm = native + "-shm";
    return QFileInfo::exists(QFile::decodeName(shm)) && otherProcessLocks(shm, 0, 0);
}

} // namespace pryx::platform
