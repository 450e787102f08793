// Start-up cost: time from process start to the tray icon embedded in a real
// tray host (trayer on a private Xvfb), and the idle resident memory.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

#include "support/pryxchild.h"
#include "support/testsupport.h"
#include "support/xtray.h"

namespace {
long residentKiB(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    pryx::test::TrayDisplay display;
    if (!display.start()) {
        fprintf(stderr, "%s\n", qPrintable(display.error()));
        return 1;
    }
    QTemporaryDir home;
    QProcessEnvironment env = display.environment();
    for (const char *var : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        env.insert(var, home.path() + "/" + var);
    env.insert("XDG_RUNTIME_DIR", home.path() + "/run");
    QDir().mkpath(home.path() + "/run");
    QFile::setPermissions(home.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const int runs = 7;
    QVector<qint64> times;
    long rss = -1;
    for (int i = 0; i < runs; ++i) {
        pryx::test::RunningChild pryx;
        QElapsedTimer clock;
        clock.start();
        if (!pryx.start(pryx::test::programPath(), {}, env))
            return 1;
        while (display.trayIcons("pryx").size() != 1 && clock.elapsed() < 10000)
            QThread::msleep(2);
        times << clock.elapsed();
        if (i == runs - 1) {
            QThread::msleep(3000);   // idle: past the first timers
            rss = residentKiB(pryx.pid());
        }
        pryx.stop();
        display.waitForTrayIcons("pryx", 0, 5000);
    }
    std::sort(times.begin(), times.end());
    printf("start to tray icon: median %lld ms, min %lld ms, max %lld ms (%d runs)\n",
           times.at(runs / 2), times.first(), times.last(), runs);
    printf("idle resident memory: %.1f MB\n", rss / 1024.0);
    return 0;
}
