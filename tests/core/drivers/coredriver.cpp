// Child process for the start-up tests: builds the real Core in a process of
// its own and then does one thing to it (crash in a chosen way, exit with
// settings writes queued, send an analytics event).
//
//   coredriver crash <segv|abort|fpe|ill|bus|thread|recursion|before-core>
//   coredriver exit-with-writes <count>      waits for a line on stdin first
//   coredriver analytics <category> <action> <label>

#include <QApplication>
#include <QFile>
#include <QTemporaryFile>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

#include "core/base/setting.h"
#include "core/core.h"
#include "network/analyticsevent.h"

namespace {

volatile int *volatile g_null = nullptr;

void divideByZero()
{
#if defined(__x86_64__) || defined(__i386__)
    // The integer divide instruction itself, not something the compiler may fold.
    asm volatile("xorl %%ecx, %%ecx\n\tmovl $1, %%eax\n\tcltd\n\tidivl %%ecx"
                 ::: "eax", "ecx", "edx");
#else
    raise(SIGFPE);
#endif
}

[[noreturn]] void crashSegv()
{
    *g_null = 1;
    abort();
}

volatile bool g_deeper = true;

int recurse(int depth)
{
    volatile char pad[512];
    pad[0] = char(depth);
    if (!g_deeper)
        return pad[0];
    return recurse(depth + 1) + pad[0];
}

void crashBus()
{
    QTemporaryFile file;
    if (!file.open())
        abort();
    // A mapping past the end of an empty file faults with SIGBUS.
    auto *p = static_cast<volatile char *>(
        mmap(nullptr, 4096, PROT_READ, MAP_SHARED, file.handle(), 0));
    if (p == MAP_FAILED)
        abort();
    fprintf(stderr, "%d\n", p[0]);
}

void crash(const char *kind)
{
    fflush(stdout);
    fflush(stderr);
    if (!strcmp(kind, "segv"))
        crashSegv();
    else if (!strcmp(kind, "abort"))
        abort();
    else if (!strcmp(kind, "fpe"))
        divideByZero();
    else if (!strcmp(kind, "ill"))
        __builtin_trap();
    else if (!strcmp(kind, "bus"))
        crashBus();
    else if (!strcmp(kind, "thread")) {
        std::thread worker(crashSegv);
        worker.join();
    } else if (!strcmp(kind, "recursion"))
        fprintf(stderr, "%d\n", recurse(0));
}

} // namespace

int main(int argc, char **argv)
{
    // No core files from the crash cases.
    struct rlimit none = {0, 0};
    setrlimit(RLIMIT_CORE, &none);

    if (argc < 2)
        return 2;
    const QByteArray mode = argv[1];
    if (mode == "crash" && argc > 2 && !strcmp(argv[2], "before-core")) {
        QApplication app(argc, argv);
        crashSegv();
    }

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName("Pryx");
    QApplication::setApplicationVersion(PRYX_VERSION);
    Core *core = Core::instance();
    printf("CORE READY\n");
    fflush(stdout);

    if (mode == "crash" && argc > 2) {
        crash(argv[2]);
        return 3;   // the crash did not happen
    }
    if (mode == "exit-with-writes" && argc > 2) {
        char line[64];
        if (!fgets(line, sizeof line, stdin))
            return 4;
        const int count = atoi(argv[2]);
        for (int i = 0; i < count; ++i)
            Setting::instance()->setValue(QStringLiteral("exit_test_%1").arg(i),
                                          QStringLiteral("value %1").arg(i));
        core->exitApp();
        return 5;   // exitApp returned
    }
    if (mode == "analytics" && argc > 4) {
        auto *event = new AnalyticsEvent(atoi(argv[2]), atoi(argv[3]), false,
                                         QString::fromUtf8(argv[4]));
        QObject::connect(event, &QObject::destroyed, &app, &QApplication::quit);
        event->send();
        QTimer::singleShot(10000, &app, [] { QApplication::exit(6); });
        return QApplication::exec();
    }
    return 2;
}
