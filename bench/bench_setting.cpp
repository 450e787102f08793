// Settings store timings: a cached getValue, and a read that misses the
// cache and makes the round trip through the database thread.
#include "core/base/setting.h"
#include "support/testsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    // Never touch the user's own settings.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/data"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config"));
    QCoreApplication app(argc, argv);
    Setting *s = Setting::instance();

    volatile int sink = 0;
    s->getValue("qualityImage");
    const int cachedRuns = 2000000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < cachedRuns; ++i)
        sink += s->getValue("qualityImage").toInt();
    const double cachedNs = double(t.nsecsElapsed()) / cachedRuns;

    const int dbRuns = 20000;
    t.restart();
    for (int i = 0; i < dbRuns; ++i)
        sink += s->getValueDB("qualityImage").toInt();
    const double dbUs = double(t.nsecsElapsed()) / dbRuns / 1000.0;

    // A write queued and flushed, for comparison (each one is its own commit).
    const int writeRuns = 200;
    t.restart();
    for (int i = 0; i < writeRuns; ++i)
        s->setValue("bench_key", i);
    s->flush(60000);
    const double writeUs = double(t.nsecsElapsed()) / writeRuns / 1000.0;

    std::printf("cached getValue:              %8.1f ns per read (%d reads)\n", cachedNs, cachedRuns);
    std::printf("uncached read (db thread):    %8.1f us per read (%d reads)\n", dbUs, dbRuns);
    std::printf("write, queued then flushed:   %8.1f us per write (%d writes)\n", writeUs, writeRuns);
    return sink == -1;
}
