// Time from opening the capture surface to its first frame with the frozen
// desktop, against the bare grab of the same desktop, and the memory the
// capture takes at its peak, under the scene graph the program chooses
// (software) and under Qt Quick's OpenGL default that it used before. Each
// renderer runs in a child process of its own (the choice is made once per
// process), the two taking turns, at least five pairs. Run on a large
// display, for example
//   xvfb-run -a -s "-screen 0 7680x2160x24" build/bench/bench_surface [pairs]

#include "bench/benchsupport.h"
#include "capture/surfacewidget.h"
#include "core/startup.h"
#include "platform/desktopgrab.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using pryx::bench::median;
using pryx::bench::statusKb;
using pryx::bench::useRenderer;

// The surface hands its commands to Core; none is given here.
class NoCore : public pryx::capture::CaptureCommands
{
public:
    void screenUpload(int, bool, QPixmap) override {}
    void screenSaveToDisk(QPixmap) override {}
    void screenSaveToClipboard() override {}
    void screenPostVK(QPixmap) override {}
    void screenPostFacebook(QPixmap) override {}
    void screenPostTwitter(QPixmap) override {}
    void screenPostOdnoklassniki(QPixmap) override {}
    void screenPostMail(QPixmap) override {}
};

// One capture in this process: prints "shown <ms> grab <ms> bytes <per pixel>".
int child(int argc, char **argv, bool software)
{
    useRenderer(software);
    QApplication app(argc, argv);
    const QRect desk = pryx::platform::virtualDesktop();
    const double pixels = double(desk.width()) * desk.height();
    NoCore core;
    // Qt Quick's own start-up (the first window of the process) is not the
    // capture's: a small window is shown and closed first.
    {
        QQuickWindow warm;
        warm.resize(64, 64);
        QEventLoop loop;
        QObject::connect(&warm, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        warm.show();
        loop.exec();
    }
    const long rssBefore = statusKb("VmRSS:");
    QElapsedTimer t;
    t.start();
    auto *s = new SurfaceWidget(nullptr, &core);
    QEventLoop loop;
    QObject::connect(s, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    s->show();
    loop.exec();
    const double shown = double(t.nsecsElapsed()) / 1e6;
    const long peak = statusKb("VmHWM:");
    const QString backend = s->rendererInterface() ? QString::number(s->rendererInterface()->graphicsApi()) : "?";
    delete s;
    QCoreApplication::processEvents();
    t.restart();
    const QImage img = pryx::platform::grabDesktop(desk);
    const double grab = double(t.nsecsElapsed()) / 1e6;
    std::printf("shown %.1f grab %.1f bytes %.2f api %s\n", shown, grab,
                (peak - rssBefore) * 1024.0 / pixels, qPrintable(backend));
    return img.isNull() ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv, qstrcmp(argv[2], "software") == 0);

    const int pairs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 5;
    struct Figures { std::vector<double> shown, grab, bytes; };
    Figures sw, gl;
    std::vector<double> ratio;
    QString desk;
    for (int i = 0; i < pairs; ++i) {
        double shownSw = 0, shownGl = 0;
        for (int k = 0; k < 2; ++k) {
            const bool software = (k + i) % 2 == 0;   // the order turns each pair
            QProcess p;
            p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p.start(QString::fromLocal8Bit(argv[0]),
                    {QStringLiteral("--child"), software ? QStringLiteral("software") : QStringLiteral("opengl")});
            if (!p.waitForFinished(120000) || p.exitCode() != 0) {
                std::fprintf(stderr, "child (%s) failed\n", software ? "software" : "opengl");
                return 1;
            }
            // The last line holds the figures; the settings store may print before it.
            const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split('\n').last().split(' ');
            if (f.size() < 8) {
                std::fprintf(stderr, "child gave no figures\n");
                return 1;
            }
            Figures &into = software ? sw : gl;
            into.shown.push_back(f[1].toDouble());
            into.grab.push_back(f[3].toDouble());
            into.bytes.push_back(f[5].toDouble());
            (software ? shownSw : shownGl) = f[1].toDouble();
            std::printf("pair %d %-8s surface shown %7.1f ms, bare grab %6.1f ms, peak %.2f bytes per pixel (api %s)\n",
                        i + 1, software ? "software" : "opengl", f[1].toDouble(), f[3].toDouble(),
                        f[5].toDouble(), f[7].constData());
            std::fflush(stdout);
        }
        ratio.push_back(shownSw / shownGl);
    }
    {
        int ac = 1;
        QApplication app(ac, argv);
        const QRect r = pryx::platform::virtualDesktop();
        desk = QStringLiteral("%1x%2").arg(r.width()).arg(r.height());
    }
    std::printf("desktop %s, %d pairs\n", qPrintable(desk), pairs);
    std::printf("software (the program's choice): surface shown %.1f ms median, bare grab %.1f ms, "
                "peak %.2f bytes per desktop pixel (target at most 10)\n",
                median(sw.shown), median(sw.grab), median(sw.bytes));
    std::printf("opengl (Qt Quick's default, used before): surface shown %.1f ms median, bare grab %.1f ms, "
                "peak %.2f bytes per desktop pixel\n",
                median(gl.shown), median(gl.grab), median(gl.bytes));
    std::printf("median ratio software / opengl, surface shown: %.2f (target at most 1)\n", median(ratio));
    return 0;
}
