#include "openregular.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pryx::audiolib {

FILE *openRegular(const char *path, bool forWriting, std::string *why)
{
    const int flags = (forWriting ? O_WRONLY | O_CREAT : O_RDONLY) | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    const int fd = ::open(path, flags, 0666);
    if (fd < 0) {
        *why = std::string(forWriting ? "cannot create file: " : "cannot open file: ")
             + std::strerror(errno);
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *why = "not a regular file";
        return nullptr;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0
        || (forWriting && ::ftruncate(fd, 0) != 0)) {
        *why = std::string("cannot open file: ") + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    FILE *f = ::fdopen(fd, forWriting ? "wb" : "rb");
    if (!f) {
        *why = std::string("cannot open file: ") + std::strerror(errno);
        ::close(fd);
    }
    return f;
}

} // namespace pryx::audiolib
