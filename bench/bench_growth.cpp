// Resident memory over many captures: twenty rounds of the four kinds
// (capture surface closed with Escape from the keyboard, surface accepted
// and uploaded, quick capture, full screen), each upload going to the HTTPS
// stand-in, on a private 3840x2160 Xvfb, with the program's own renderer
// choice and default settings. Prints the resident size after each round
// and the growth over the first (target: at most 10 MB). With "opengl" the
// program runs on Qt Quick's OpenGL default, as it did before.
//   build/bench/bench_growth [rounds] [opengl]

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QTest>

#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/benchsupport.h"
#include "capture/surfaceselector.h"
#include "capture/surfacewidget.h"
#include "core/base/setting.h"
#include "core/core.h"
#include "core/startup.h"
#include "support/standin.h"
#include "support/testsupport.h"
#include "support/topwindows.h"
#include "support/xkeyclient.h"

namespace {

double residentMb()
{
    const long kb = pryx::bench::statusKb("VmRSS:");
    return kb < 0 ? -1 : kb / 1024.0;
}

// Resident size of the C heap and of all anonymous memory, from smaps.
void heapAndAnonymousMb(double *heap, double *anon)
{
    *heap = *anon = 0;
    QFile f(QStringLiteral("/proc/self/smaps"));
    if (!f.open(QIODevice::ReadOnly))
        return;
    bool isHeap = false, isAnon = false;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 5 && parts[0].contains('-') && !line.endsWith(':')) {
            isHeap = parts.size() >= 6 && parts[5] == "[heap]";
            isAnon = parts.size() < 6 || isHeap;
        } else if (line.startsWith("Rss:")) {
            const double mb = line.mid(4).trimmed().split(' ').value(0).toDouble() / 1024;
            if (isHeap)
                *heap += mb;
            if (isAnon)
                *anon += mb;
        }
    }
}

SurfaceWidget *openedSurface()
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 20000) {
        for (SurfaceWidget *s : pryx::test::windowsOf<SurfaceWidget>())
            if (s->isExposed())
                return s;
        QTest::qWait(5);
    }
    return nullptr;
}

bool gone(SurfaceWidget *s)
{
    QPointer<SurfaceWidget> p(s);
    QElapsedTimer t;
    t.start();
    while (p && t.elapsed() < 20000)
        QTest::qWait(5);
    return p.isNull();
}

int putsSeen(const pryx::test::StandIn &standIn)
{
    int n = 0;
    for (const auto &r : standIn.requests())
        n += r.method == "PUT";
    return n;
}

bool capture(int kind, pryx::test::XKeyClient &keys, const pryx::test::StandIn &standIn)
{
    Core *core = Core::instance();
    const int before = putsSeen(standIn);
    bool ok = true;
    switch (kind) {
    case 0: {
        core->fragmentScreen();
        SurfaceWidget *s = openedSurface();
        if (!s)
            return false;
        s->requestActivate();
        if (!QTest::qWaitForWindowActive(s, 10000))
            return false;
        keys.press(XK_Escape);
        keys.release(XK_Escape);
        keys.sync();
        return gone(s);
    }
    case 1: {
        core->fragmentScreen();
        SurfaceWidget *s = openedSurface();
        if (!s)
            return false;
        s->selector()->setRubberRect(QRect(100, 100, 1200, 800));
        s->uploadScreen();
        ok = gone(s);
        break;
    }
    case 2:
        core->quickScreen();
        break;
    default: {
        core->fullScreen();
        SurfaceWidget *s = openedSurface();
        if (!s)
            return false;
        QElapsedTimer t;
        t.start();
        while (s->selectRect().isEmpty() && t.elapsed() < 5000)
            QTest::qWait(5);
        s->uploadScreen();
        ok = gone(s);
        break;
    }
    }
    QElapsedTimer t;
    t.start();
    while (putsSeen(standIn) == before && t.elapsed() < 30000)
        QTest::qWait(10);
    return ok && putsSeen(standIn) > before;
}

int child(int argc, char **argv, int rounds, bool software)
{
    pryx::bench::useRenderer(software);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    std::printf("renderer: %s\n", software ? "software (the program's choice)" : "opengl");
    pryx::test::StandIn standIn;
    if (!standIn.start(0)) {   // bodies only hashed: the log stays small
        std::fprintf(stderr, "%s\n", qPrintable(standIn.error()));
        return 1;
    }
    qputenv("PRYX_EXTRA_CA_FILE", standIn.caFile().toLocal8Bit());
    Core *core = Core::instance();
    core->setApiHost(standIn.host());
    Setting::instance()->setValue(QStringLiteral("token"), QStringLiteral("bench-token"));
    QTest::qWait(1500);   // the main tool window of the start shows

    pryx::test::XKeyClient keys;
    if (!keys.isOpen())
        return 1;
    static const char *const kinds[] = {"surface, Escape", "surface, upload", "quick capture", "full screen"};
    double first = 0, last = 0;
    const double start = residentMb();
    double heap0 = 0, anon0 = 0;
    heapAndAnonymousMb(&heap0, &anon0);
    std::printf("resident before the first capture: %.1f MB (C heap %.1f MB, all anonymous %.1f MB)\n", start,
                heap0, anon0);
    for (int round = 0; round < rounds; ++round) {
        for (int kind = 0; kind < 4; ++kind) {
            if (!capture(kind, keys, standIn)) {
                std::fprintf(stderr, "round %d: %s failed\n", round + 1, kinds[kind]);
                return 1;
            }
        }
        QTest::qWait(1500);   // the program's own clean-up after a capture
        last = residentMb();
        if (round == 0)
            first = last;
        double heap = 0, anon = 0;
        heapAndAnonymousMb(&heap, &anon);
        std::printf("after round %2d: %.1f MB resident (C heap %.1f MB, all anonymous %.1f MB)\n", round + 1, last,
                    heap, anon);
        std::fflush(stdout);
    }
    std::printf("growth from round 1 to round %d: %.1f MB (target at most 10 MB)\n", rounds, last - first);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv, std::max(2, std::atoi(argv[2])), !(argc > 3 && qstrcmp(argv[3], "opengl") == 0));
    const int rounds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 20;
    const bool opengl = argc > 2 && qstrcmp(argv[2], "opengl") == 0;

    // A desktop of 3840x2160 of its own.
    QProcess xvfb;
    xvfb.start("Xvfb", {pryx::test::freshDisplay(), "-displayfd", "1", "-screen", "0", "3840x2160x24", "-nolisten", "tcp", "-noreset"});
    QByteArray number;
    QElapsedTimer t;
    t.start();
    while (!number.contains('\n') && t.elapsed() < 20000 && xvfb.state() != QProcess::NotRunning) {
        xvfb.waitForReadyRead(100);
        number += xvfb.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", ":" + QString::fromLatin1(number.trimmed()));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--child"), QString::number(rounds),
                                                QString::fromLatin1(opengl ? "opengl" : "software")});
    child.waitForFinished(-1);
    xvfb.terminate();
    xvfb.waitForFinished(3000);
    return child.exitCode();
}
