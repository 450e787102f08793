// Start-up and idle cost against Flameshot's daemon, on a private Xvfb with
// a real tray host (trayer) and a session bus: the time from process start
// to the tray icon embedded, and the resident size when idle in the tray
// (for Pryx after its start-up windows were closed with Escape, as a user
// closes them). The two programs take turns, at least five pairs; the
// median ratios are printed. Both run as a user runs them: no
// QT_QUICK_BACKEND. Without flameshot installed only Pryx is measured.
// Another build of Pryx (a former one, for its figures) can be named.
//   build/bench/bench_startup [pairs [pryx program]]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/benchsupport.h"
#include "support/pryxchild.h"
#include "support/testsupport.h"
#include "support/xtray.h"

namespace {

struct Memory {
    double rss = 0;      // MB
    double pss = 0;      // MB
    double driver = 0;   // MB of the rss in the GL driver (Mesa, LLVM)
};

Memory memoryOf(qint64 pid)
{
    Memory m;
    QFile f(QStringLiteral("/proc/%1/smaps").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return m;
    bool driver = false;
    static const QRegularExpression mapping(QStringLiteral("^[0-9a-f]+-[0-9a-f]+ "));
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (mapping.match(QString::fromLatin1(line)).hasMatch()) {
            driver = line.contains("libLLVM") || line.contains("_dri.so") || line.contains("libGLX_mesa")
                || line.contains("libglapi") || line.contains("libgallium");
        } else if (line.startsWith("Rss:")) {
            const double kb = line.mid(4).trimmed().split(' ').value(0).toDouble();
            m.rss += kb / 1024;
            if (driver)
                m.driver += kb / 1024;
        } else if (line.startsWith("Pss:")) {
            m.pss += line.mid(4).trimmed().split(' ').value(0).toDouble() / 1024;
        }
    }
    return m;
}

using pryx::bench::median;

QString run(const QProcessEnvironment &env, const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(10000))
        return QString();
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// Top-level windows of the process that are mapped, the tray icon left out.
QStringList shownWindows(const QProcessEnvironment &env, qint64 pid)
{
    QStringList out;
    const QStringList ids = run(env, "xdotool", {"search", "--onlyvisible", "--pid", QString::number(pid)})
                                .split('\n', Qt::SkipEmptyParts);
    static const QRegularExpression size(QStringLiteral("Geometry: (\\d+)x(\\d+)"));
    for (const QString &id : ids) {
        const QRegularExpressionMatch m = size.match(run(env, "xdotool", {"getwindowgeometry", id}));
        if (m.hasMatch() && (m.captured(1).toInt() > 64 || m.captured(2).toInt() > 64))
            out << id;
    }
    return out;
}

struct Sample {
    double trayMs = 0;
    Memory idle;
    int windowsClosed = 0;
};

bool measure(pryx::test::TrayDisplay &display, const QProcessEnvironment &env, const QString &program,
             const QString &instance, bool closeWindows, Sample *s)
{
    pryx::test::RunningChild child;
    QElapsedTimer clock;
    clock.start();
    if (!child.start(program, {}, env))
        return false;
    while (display.trayIcons(instance).size() != 1 && clock.elapsed() < 20000)
        QThread::msleep(2);
    s->trayMs = clock.elapsed();
    if (display.trayIcons(instance).size() != 1) {
        std::fprintf(stderr, "%s showed no tray icon: %s\n", qPrintable(program), child.output().constData());
        return false;
    }
    if (closeWindows) {
        // The start-up windows: the login window at once, the main tool
        // window half a second later. Each is closed as a user does.
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 1500 || (wait.elapsed() < 10000 && shownWindows(env, child.pid()).size() < 2))
            QThread::msleep(50);
        QStringList shown;
        while (!(shown = shownWindows(env, child.pid())).isEmpty() && wait.elapsed() < 20000) {
            run(env, "xdotool", {"windowfocus", "--sync", shown.first()});
            run(env, "xdotool", {"key", "Escape"});
            ++s->windowsClosed;
            QThread::msleep(200);
        }
    }
    QThread::msleep(3000);   // idle, past the first timers
    s->idle = memoryOf(child.pid());
    child.stop();
    display.waitForTrayIcons(instance, 0, 5000);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 5;
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2]) : pryx::test::programPath();
    pryx::test::TrayDisplay display;
    if (!display.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(display.error()));
        return 1;
    }
    QTemporaryDir home;
    QProcessEnvironment env = display.environment();
    env.remove("QT_QUICK_BACKEND");
    env.remove("QMLSCENE_DEVICE");
    env.insert("XDG_RUNTIME_DIR", home.path() + "/run");
    QDir().mkpath(home.path() + "/run");
    QFile::setPermissions(home.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A session bus for both: Flameshot's daemon registers on it.
    QProcess bus;
    if (!QStandardPaths::findExecutable("dbus-daemon").isEmpty()) {
        bus.setProcessEnvironment(env);
        bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (bus.waitForReadyRead(5000))
            env.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromLatin1(bus.readLine().trimmed()));
    }
    auto envFor = [&](const QString &name) {
        QProcessEnvironment e = env;
        for (const char *var : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
            e.insert(var, home.path() + "/" + name + "/" + var);
        return e;
    };
    const QProcessEnvironment pryxEnv = envFor("pryx"), peerEnv = envFor("flameshot");
    const QString peer = QStandardPaths::findExecutable("flameshot");
    if (peer.isEmpty())
        std::printf("flameshot is not installed (apt-get install flameshot): Pryx alone\n");

    // One start of each first: their data folders are made, as for a user
    // who has run them before.
    Sample warm;
    if (!measure(display, pryxEnv, program, "pryx", true, &warm))
        return 1;
    if (!peer.isEmpty() && !measure(display, peerEnv, peer, "flameshot", false, &warm))
        return 1;

    std::vector<double> pryxTray, pryxRss, pryxPss, peerTray, peerRss, peerPss, trayRatio, rssRatio, pssRatio,
        ownRatio;
    for (int i = 0; i < pairs; ++i) {
        Sample a, b;
        const bool pryxFirst = i % 2 == 0 || peer.isEmpty();
        for (int k = 0; k < 2; ++k) {
            const bool isPryx = (k == 0) == pryxFirst;
            if (isPryx) {
                if (!measure(display, pryxEnv, program, "pryx", true, &a))
                    return 1;
            } else if (!peer.isEmpty() && !measure(display, peerEnv, peer, "flameshot", false, &b)) {
                return 1;
            }
        }
        pryxTray.push_back(a.trayMs);
        pryxRss.push_back(a.idle.rss);
        pryxPss.push_back(a.idle.pss);
        std::printf("pair %d: pryx %.0f ms to tray, idle %.1f MB resident (%.1f MB PSS, %.1f MB GL driver, "
                    "%d windows closed)",
                    i + 1, a.trayMs, a.idle.rss, a.idle.pss, a.idle.driver, a.windowsClosed);
        if (!peer.isEmpty()) {
            peerTray.push_back(b.trayMs);
            peerRss.push_back(b.idle.rss);
            peerPss.push_back(b.idle.pss);
            trayRatio.push_back(a.trayMs / b.trayMs);
            rssRatio.push_back(a.idle.rss / b.idle.rss);
            pssRatio.push_back(a.idle.pss / b.idle.pss);
            ownRatio.push_back((a.idle.rss - a.idle.driver) / (b.idle.rss - b.idle.driver));
            std::printf("; flameshot %.0f ms, %.1f MB (%.1f MB PSS, %.1f MB GL driver)", b.trayMs, b.idle.rss,
                        b.idle.pss, b.idle.driver);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    std::printf("pryx: start to tray icon median %.0f ms; idle resident %.1f MB median (PSS %.1f MB)\n",
                median(pryxTray), median(pryxRss), median(pryxPss));
    if (!peer.isEmpty()) {
        std::printf("flameshot daemon: start to tray icon median %.0f ms; idle resident %.1f MB median (PSS %.1f MB)\n",
                    median(peerTray), median(peerRss), median(peerPss));
        std::printf("median ratio pryx / flameshot, idle resident: %.2f (target at most 1.25)\n", median(rssRatio));
        std::printf("median ratio pryx / flameshot, idle PSS: %.2f\n", median(pssRatio));
        std::printf("median ratio pryx / flameshot, idle resident without any GL driver: %.2f\n",
                    median(ownRatio));
        std::printf("median ratio pryx / flameshot, start to tray icon: %.2f (target at most 1)\n",
                    median(trayRatio));
    }
    if (bus.state() != QProcess::NotRunning) {
        bus.terminate();
        bus.waitForFinished(3000);
    }
    return 0;
}
