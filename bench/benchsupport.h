#pragma once
// Small pieces the benchmarks share: figures of this process, the median of
// rounds, and the choice of renderer before the application starts.

#include <QCoreApplication>
#include <QFile>
#include <QList>

#include <algorithm>
#include <vector>

#include "core/startup.h"

namespace pryx::bench {

// A field of /proc/self/status in kB ("VmRSS:", "VmHWM:"); -1 when it
// cannot be read.
inline long statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return -1;
}

// The middle value (the upper middle one of an even count); 0 for none.
inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Before the application object: the scene graph the program chooses
// (software), or Qt Quick's OpenGL default, whatever the environment asks.
inline void useRenderer(bool software)
{
    qunsetenv("QT_QUICK_BACKEND");
    qunsetenv("QMLSCENE_DEVICE");
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    if (software)
        pryx::chooseSceneGraphBackend();
}

} // namespace pryx::bench
