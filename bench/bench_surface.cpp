// Time from opening the capture surface to its first frame with the frozen
// desktop, against the bare grab of the same desktop in the same run, and
// the memory the capture takes. Run on a large display, for example
//   xvfb-run -a -s "-screen 0 7680x2160x24" build/bench/bench_surface

#include "capture/surfacewidget.h"
#include "platform/desktopgrab.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

long statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QRect desk = pryx::platform::virtualDesktop();
    const double pixels = double(desk.width()) * desk.height();
    QObject core;
    const int runs = 5;

    // Memory of one capture: peak resident size over the run of the first.
    const long rssBefore = statusKb("VmRSS:");
    std::vector<double> shown;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        auto *s = new SurfaceWidget(nullptr, &core);
        QEventLoop loop;
        QObject::connect(s, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        s->show();
        loop.exec();
        shown.push_back(double(t.nsecsElapsed()) / 1e6);
        if (i == 0) {
            const long peak = statusKb("VmHWM:");
            std::printf("capture memory: %.2f bytes per desktop pixel (peak %ld kB over %ld kB)\n",
                        (peak - rssBefore) * 1024.0 / pixels, peak, rssBefore);
        }
        delete s;
        QCoreApplication::processEvents();
    }
    std::vector<double> bare;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const QImage img = pryx::platform::grabDesktop(desk);
        bare.push_back(double(t.nsecsElapsed()) / 1e6);
        if (img.isNull())
            std::fprintf(stderr, "grab failed\n");
    }
    const double g = median(bare), s = median(shown);
    std::printf("desktop %dx%d: bare grab %.1f ms, surface shown %.1f ms, limit %.1f ms: %s\n",
                desk.width(), desk.height(), g, s, 1.5 * g + 80, s < 1.5 * g + 80 ? "ok" : "over");
    return 0;
}
