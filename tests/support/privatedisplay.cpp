#include "support/privatedisplay.h"
#include "support/testsupport.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pryx::test {

PrivateDisplay::~PrivateDisplay()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

bool PrivateDisplay::start(const char *screen)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const QByteArray display = freshDisplay().toLatin1();
    pid_ = fork();
    if (pid_ < 0)
        return false;
    if (pid_ == 0) {
        close(fds[0]);
        char fd[16];
        snprintf(fd, sizeof fd, "%d", fds[1]);
        execlp("Xvfb", "Xvfb", display.constData(), "-displayfd", fd, "-screen", "0", screen, "-nolisten", "tcp", "-noreset",
               static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    QByteArray number;
    pollfd p{fds[0], POLLIN, 0};
    while (!number.endsWith('\n') && poll(&p, 1, 10000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1)
            break;
        number.append(c);
    }
    close(fds[0]);
    if (number.trimmed().isEmpty())
        return false;
    display_ = ":" + QString::fromLatin1(number.trimmed());
    qputenv("DISPLAY", display_.toLatin1());
    return true;
}

} // namespace pryx::test
