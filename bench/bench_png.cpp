// The whole desktop saved as PNG: a grab of the screen written as a PNG file
// by Pryx's capture road (grab, striped deflate on every core, each stripe
// written to the file as it is joined),
// against `flameshot full --path` on the same screen and against the same
// grab written by Qt's own PNG writer (zlib on one core, the former road).
// The root window shows a fractal, so the picture is not trivially packed.
// The three alternate, at least five rounds; medians and ratios printed.

#include "core/base/pngencoder.h"
#include "platform/desktopgrab.h"
#include "platform/heap.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QX11Info>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

// Smoothly coloured Mandelbrot set, rows computed on every core.
QImage fractal(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    auto rows = [&](int from, int step) {
        for (int y = from; y < h; y += step) {
            auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < w; ++x) {
                // A detailed part of the boundary: little of it is flat.
                const double cr = -0.7480 + 0.0080 * x / w, ci = 0.1080 + 0.0080 * h / w * y / h;
                double zr = 0, zi = 0;
                int n = 0;
                for (; n < 400 && zr * zr + zi * zi < 16; ++n) {
                    const double t = zr * zr - zi * zi + cr;
                    zi = 2 * zr * zi + ci;
                    zr = t;
                }
                if (n == 400) {
                    line[x] = qRgb(0, 0, 0);
                    continue;
                }
                const double v = n + 1 - std::log2(std::log2(zr * zr + zi * zi) / 2);
                line[x] = qRgb(int(127 + 127 * std::sin(v * 0.61)), int(127 + 127 * std::sin(v * 0.43 + 1)),
                               int(127 + 127 * std::sin(v * 0.29 + 2)));
            }
        }
    };
    const int n = std::max(1, int(std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (int i = 0; i < n; ++i)
        pool.emplace_back(rows, i, n);
    for (std::thread &t : pool)
        t.join();
    return img;
}

// Makes `img` the root window's background.
bool paintRoot(const QImage &img)
{
    auto *c = static_cast<xcb_connection_t *>(QX11Info::connection());
    if (!c)
        return false;
    const xcb_window_t root = xcb_window_t(QX11Info::appRootWindow());
    xcb_get_geometry_reply_t *geo = xcb_get_geometry_reply(c, xcb_get_geometry(c, root), nullptr);
    if (!geo)
        return false;
    const uint8_t depth = geo->depth;
    std::free(geo);
    const xcb_pixmap_t pix = xcb_generate_id(c);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_pixmap(c, depth, pix, root, uint16_t(img.width()), uint16_t(img.height()));
    xcb_create_gc(c, gc, pix, 0, nullptr);
    const int rowsPerPut = std::max(1, int(xcb_get_maximum_request_length(c) * 4 / 2) / (img.width() * 4));
    for (int y = 0; y < img.height(); y += rowsPerPut) {
        const int rows = std::min(rowsPerPut, img.height() - y);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pix, gc, uint16_t(img.width()), uint16_t(rows), 0,
                      int16_t(y), 0, depth, uint32_t(img.bytesPerLine() * rows), img.constScanLine(y));
    }
    xcb_change_window_attributes(c, root, XCB_CW_BACK_PIXMAP, &pix);
    xcb_clear_area(c, 0, root, 0, 0, 0, 0);
    xcb_free_gc(c, gc);
    xcb_free_pixmap(c, pix);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));   // round trip
    return true;
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QRect desk = pryx::platform::virtualDesktop();
    const int rounds = argc > 1 ? std::max(5, atoi(argv[1])) : 5;
    if (!paintRoot(fractal(desk.width(), desk.height()))) {
        std::fprintf(stderr, "cannot paint the root window\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString ours = dir.filePath(QStringLiteral("pryx.png"));
    const QString qts = dir.filePath(QStringLiteral("qt.png"));
    const QString peer = dir.filePath(QStringLiteral("flameshot.png"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));

    std::vector<double> grabs, tOurs, tQt, tPeer, ratioPeer, ratioQt;
    qint64 bytesOurs = 0, bytesQt = 0, bytesPeer = 0;
    bool samePixels = true;
    for (int r = 0; r < rounds; ++r) {
        double a = 0, b = 0, q = 0;
        for (int step = 0; step < 3; ++step) {
            // The order turns each round, so no one always runs first.
            const int which = (step + r) % 3;
            // The program hands its free heap pages back after every
            // capture: each round starts from a trimmed heap, as there.
            pryx::platform::releaseFreeHeap();
            QElapsedTimer t;
            t.start();
            if (which == 0) {
                const QImage img = pryx::platform::grabDesktop(desk);
                grabs.push_back(t.nsecsElapsed() / 1e9);
                QFile file(ours);
                if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !pryx::writePng(img, &file)
                    || !file.flush())
                    return 1;
                a = t.nsecsElapsed() / 1e9;
                bytesOurs = file.size();
            } else if (which == 1) {
                const QImage img = pryx::platform::grabDesktop(desk);
                QByteArray bytes;
                QBuffer buf(&bytes);
                buf.open(QIODevice::WriteOnly);
                if (!img.save(&buf, "PNG") || !writeAll(qts, bytes))
                    return 1;
                q = t.nsecsElapsed() / 1e9;
                bytesQt = bytes.size();
            } else {
                QFile::remove(peer);
                QProcess fs;
                fs.setProcessEnvironment(env);
                fs.setProcessChannelMode(QProcess::ForwardedOutputChannel);
                fs.start(QStringLiteral("flameshot"), {QStringLiteral("full"), QStringLiteral("--path"), peer});
                if (!fs.waitForFinished(120000) || !QFileInfo::exists(peer)) {
                    std::fprintf(stderr, "flameshot did not save %s: %s\n", qPrintable(peer),
                                 fs.readAllStandardError().constData());
                    return 1;
                }
                b = t.nsecsElapsed() / 1e9;
                bytesPeer = QFileInfo(peer).size();
            }
        }
        tOurs.push_back(a);
        tQt.push_back(q);
        tPeer.push_back(b);
        ratioPeer.push_back(a / b);
        ratioQt.push_back(a / q);
        std::printf("round %d: pryx %.3f s, qt writer %.3f s, flameshot %.3f s\n", r + 1, a, q, b);
        std::fflush(stdout);
    }
    samePixels = QImage(ours) == QImage(qts).convertToFormat(QImage(ours).format());
    std::printf("desktop %dx%d, %d threads\n", desk.width(), desk.height(), QThread::idealThreadCount());
    std::printf("pryx grab + PNG + write: median %.3f s (%lld bytes)\n", median(tOurs), bytesOurs);
    std::printf("  of which the grab: median %.3f s\n", median(grabs));
    std::printf("same grab, Qt's PNG writer (zlib, one core): median %.3f s (%lld bytes)\n", median(tQt), bytesQt);
    std::printf("flameshot full --path: median %.3f s (%lld bytes)\n", median(tPeer), bytesPeer);
    std::printf("median ratio pryx / flameshot: %.2f (target at most 0.25)\n", median(ratioPeer));
    std::printf("median ratio pryx / Qt writer: %.2f\n", median(ratioQt));
    std::printf("bytes pryx / Qt writer: %.3f (target at most 1.15)\n", double(bytesOurs) / double(bytesQt));
    std::printf("same pixels as Qt's file: %s\n", samePixels ? "yes" : "NO");
    return samePixels ? 0 : 1;
}
