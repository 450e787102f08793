#include "platform/crashdump.h"

#include <QFile>

#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pryx {

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr size_t kAltStackSize = 256 * 1024;
constexpr int kMaxFrames = 128;

char g_dumpPath[4096];
volatile sig_atomic_t g_installed = 0;
pid_t g_guiThread = 0;
char g_altStack[kAltStackSize];
void *g_frames[kMaxFrames];

// --- async-signal-safe output helpers ---

void putText(int fd, const char *text)
{
    size_t left = strlen(text);
    while (left > 0) {
        const ssize_t n = write(fd, text, left);
        if (n <= 0)
            return;
        text += n;
        left -= size_t(n);
    }
}

void putNumber(int fd, unsigned long long value, unsigned base)
{
    char buf[32];
    int i = int(sizeof buf) - 1;
    buf[i] = '\0';
    do {
        const unsigned digit = unsigned(value % base);
        buf[--i] = char(digit < 10 ? '0' + digit : 'a' + digit - 10);
        value /= base;
    } while (value != 0 && i > 0);
    putText(fd, buf + i);
}

void putSigned(int fd, long long value)
{
    if (value < 0) {
        putText(fd, "-");
        putNumber(fd, static_cast<unsigned long long>(-(value + 1)) + 1, 10);
    } else {
        putNumber(fd, static_cast<unsigned long long>(value), 10);
    }
}

const char *signalName(int sig)
{
    switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGABRT: return "SIGABRT";
    }
    return "?";
}

void copyMaps(int fd)
{
    const int maps = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (maps < 0)
        return;
    char buf[4096];
    for (;;) {
        const ssize_t n = read(maps, buf, sizeof buf);
        if (n <= 0)
            break;
        ssize_t done = 0;
        while (done < n) {
            const ssize_t w = write(fd, buf + done, size_t(n - done));
            if (w <= 0) {
                close(maps);
                return;
            }
            done += w;
        }
    }
    close(maps);
}

void writeDump(int sig, const siginfo_t *info)
{
    const int fd = open(g_dumpPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    putText(fd, "PRYX CRASH DUMP 1\nsignal: ");
    putSigned(fd, sig);
    putText(fd, " ");
    putText(fd, signalName(sig));
    putText(fd, "\ncode: ");
    putSigned(fd, info ? info->si_code : 0);
    putText(fd, "\naddress: 0x");
    putNumber(fd, info ? reinterpret_cast<unsigned long long>(info->si_addr) : 0, 16);
    putText(fd, "\npid: ");
    putSigned(fd, getpid());
    putText(fd, "\ntid: ");
    putSigned(fd, long(syscall(SYS_gettid)));
    putText(fd, "\ntime: ");
    putSigned(fd, static_cast<long long>(time(nullptr)));
    putText(fd, "\nversion: " PRYX_VERSION "\n--- backtrace ---\n");
    const int frames = backtrace(g_frames, kMaxFrames);
    backtrace_symbols_fd(g_frames, frames, fd);
    putText(fd, "--- maps ---\n");
    copyMaps(fd);
    putText(fd, "--- end ---\n");
    fsync(fd);
    close(fd);
}

void restoreDefault(int sig)
{
    struct sigaction dfl;
    memset(&dfl, 0, sizeof dfl);
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(sig, &dfl, nullptr);
}

void onFatalSignal(int sig, siginfo_t *info, void *)
{
    if (pid_t(syscall(SYS_gettid)) == g_guiThread)
        writeDump(sig, info);
    // Ends the process by the same signal: raised now, it is delivered with
    // the default action as soon as this handler returns (a fault also
    // repeats at the faulting instruction).
    restoreDefault(sig);
    raise(sig);
}

} // namespace

bool installCrashHandler(const QString &dumpPath)
{
    const QByteArray path = QFile::encodeName(dumpPath);
    if (path.isEmpty() || size_t(path.size()) >= sizeof g_dumpPath)
        return false;
    memcpy(g_dumpPath, path.constData(), size_t(path.size()) + 1);
    g_guiThread = pid_t(syscall(SYS_gettid));

    // backtrace() loads its unwinder on first use; do that here, not in the handler.
    backtrace(g_frames, 1);

    stack_t ss;
    memset(&ss, 0, sizeof ss);
    ss.ss_sp = g_altStack;
    ss.ss_size = kAltStackSize;
    ss.ss_flags = 0;
    if (sigaltstack(&ss, nullptr) != 0)
        return false;

    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_sigaction = onFatalSignal;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    for (int sig : kSignals) {
        if (sigaction(sig, &sa, nullptr) != 0)
            return false;
    }
    g_installed = 1;
    return true;
}

bool crashHandlerInstalled() { return g_installed != 0; }

} // namespace pryx
