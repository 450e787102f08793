// The whole desktop saved as PNG: a grab of the screen written as a PNG file
// by Pryx's capture road (grab, striped deflate on every core, each stripe
// written to the file as it is joined),
// against `flameshot full --path` on the same screen and against the same
// grab written by Qt's own PNG writer (zlib on one core, the former road).
// Two pictures on the root window in turn: a fractal, which packs poorly and
// keeps deflate busy, and a desktop with windows, text and gradients, as
// most captures look. The three alternate, at least five rounds per
// picture; medians and ratios printed.

#include "core/base/pngencoder.h"
#include "platform/desktopgrab.h"
#include "platform/heap.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRandomGenerator>
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

// A desktop as people capture it: a gradient wallpaper, windows with title
// bars, toolbars, lines of text, a table, buttons and a chart.
QImage desktopScene(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient wall(0, 0, w, h);
    wall.setColorAt(0, QColor(32, 74, 135));
    wall.setColorAt(0.6, QColor(92, 53, 102));
    wall.setColorAt(1, QColor(196, 160, 0));
    p.fillRect(img.rect(), wall);
    QRandomGenerator rng(1234);
    static const char *words[] = {"capture", "the", "window", "upload", "settings", "return", "int", "const",
                                  "image", "for", "if", "QString", "selection", "area", "0x1f", "=", "{", "}",
                                  "pixels", "monitor", "deflate", "stripe", "row", "file"};
    const int wins = std::max(2, w / 1400);
    for (int i = 0; i < wins * 2; ++i) {
        const int ww = 900 + int(rng.bounded(1400)), wh = 600 + int(rng.bounded(std::max(1, h - 700)));
        const int x = int(rng.bounded(std::max(1, w - ww))), y = int(rng.bounded(std::max(1, h - wh)));
        const QRect win(x, y, ww, wh);
        p.fillRect(win.adjusted(6, 6, 6, 6), QColor(0, 0, 0, 60));
        p.fillRect(win, QColor(250, 250, 250));
        QLinearGradient title(0, y, 0, y + 34);
        title.setColorAt(0, QColor(235, 235, 240));
        title.setColorAt(1, QColor(205, 205, 215));
        p.fillRect(QRect(x, y, ww, 34), title);
        p.setPen(QColor(40, 40, 40));
        QFont f(QStringLiteral("DejaVu Sans"), 11);
        p.setFont(f);
        p.drawText(QRect(x, y, ww, 34), Qt::AlignCenter, QStringLiteral("Document %1 - Editor").arg(i));
        for (int b = 0; b < 3; ++b) {
            p.setBrush(QColor(b == 0 ? 237 : 200, b == 0 ? 85 : 200, b == 0 ? 59 : 200));
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(x + ww - 20 - b * 26, y + 17), 8, 8);
        }
        p.fillRect(QRect(x, y + 34, ww, 40), QColor(240, 240, 240));
        for (int t = 0; t < 12; ++t) {
            p.setPen(QColor(180, 180, 180));
            p.setBrush(QColor(225, 228, 232));
            p.drawRoundedRect(QRectF(x + 8 + t * 36, y + 40, 30, 28), 4, 4);
        }
        const QRect body(x, y + 74, ww, wh - 74);
        if (i % 3 == 2) {
            // a table with grid lines
            p.setPen(QColor(210, 210, 210));
            for (int r = 0; body.top() + r * 24 < body.bottom(); ++r) {
                if (r % 2)
                    p.fillRect(QRect(body.left(), body.top() + r * 24, ww, 24), QColor(242, 246, 252));
                p.drawLine(body.left(), body.top() + r * 24, body.right(), body.top() + r * 24);
                p.setPen(QColor(30, 30, 30));
                for (int c = 0; c < ww / 160; ++c)
                    p.drawText(body.left() + c * 160 + 6, body.top() + r * 24 + 17,
                               QString::number(int(rng.bounded(100000)) / 100.0, 'f', 2));
                p.setPen(QColor(210, 210, 210));
            }
            for (int c = 0; c < ww / 160; ++c)
                p.drawLine(body.left() + c * 160, body.top(), body.left() + c * 160, body.bottom());
        } else if (i % 3 == 1) {
            // a chart over a light grid
            p.setPen(QColor(230, 230, 230));
            for (int gx = body.left(); gx < body.right(); gx += 40)
                p.drawLine(gx, body.top(), gx, body.bottom());
            for (int gy = body.top(); gy < body.bottom(); gy += 40)
                p.drawLine(body.left(), gy, body.right(), gy);
            QPainterPath path;
            path.moveTo(body.left(), body.center().y());
            double v = 0;
            for (int px = body.left(); px < body.right(); px += 8) {
                v += (int(rng.bounded(200)) - 100) / 10.0;
                path.lineTo(px, body.center().y() + v);
            }
            p.setPen(QPen(QColor(52, 101, 164), 2.5));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
            QLinearGradient bar(0, body.top(), 0, body.bottom());
            bar.setColorAt(0, QColor(115, 210, 22));
            bar.setColorAt(1, QColor(78, 154, 6));
            for (int k = 0; k < 12; ++k) {
                const int bh = 40 + int(rng.bounded(std::max(1, body.height() / 2)));
                p.fillRect(QRect(body.left() + 30 + k * 70, body.bottom() - bh, 40, bh), bar);
            }
        } else {
            // lines of code-like text
            QFont mono(QStringLiteral("DejaVu Sans Mono"), 10);
            p.setFont(mono);
            for (int ly = body.top() + 18; ly < body.bottom(); ly += 19) {
                QString line = QString(int(rng.bounded(6)) * 4, QLatin1Char(' '));
                const int n = int(rng.bounded(12));
                for (int k = 0; k < n; ++k)
                    line += QLatin1String(words[rng.bounded(int(sizeof words / sizeof *words))]) + QLatin1Char(' ');
                p.setPen(QColor(150, 150, 150));
                p.drawText(body.left() + 6, ly, QString::number((ly - body.top()) / 19 + 1));
                { static const QColor ink[] = {QColor(30, 30, 30), QColor(0, 0, 160), QColor(160, 30, 30), QColor(0, 110, 0)}; p.setPen(ink[rng.bounded(4)]); }
                p.drawText(body.left() + 50, ly, line);
            }
        }
    }
    // a panel along the bottom
    QLinearGradient panel(0, h - 48, 0, h);
    panel.setColorAt(0, QColor(60, 60, 60));
    panel.setColorAt(1, QColor(30, 30, 30));
    p.fillRect(QRect(0, h - 48, w, 48), panel);
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    p.drawText(QRect(w - 200, h - 48, 190, 48), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("12:34"));
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

struct Outcome {
    double ratioPeer = 0;
    double bytesRatio = 0;
    bool samePixels = false;
};

// Rounds of the three writers on the picture now on the root window.
Outcome run(const char *title, const QRect &desk, int rounds, const QTemporaryDir &dir)
{
    const QString ours = dir.filePath(QStringLiteral("pryx.png"));
    const QString qts = dir.filePath(QStringLiteral("qt.png"));
    const QString peer = dir.filePath(QStringLiteral("flameshot.png"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));

    std::vector<double> grabs, tOurs, tQt, tPeer, ratioPeer, ratioQt;
    qint64 bytesOurs = 0, bytesQt = 0, bytesPeer = 0;
    std::printf("== %s\n", title);
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
                    return {};
                a = t.nsecsElapsed() / 1e9;
                bytesOurs = file.size();
            } else if (which == 1) {
                const QImage img = pryx::platform::grabDesktop(desk);
                QByteArray bytes;
                QBuffer buf(&bytes);
                buf.open(QIODevice::WriteOnly);
                if (!img.save(&buf, "PNG") || !writeAll(qts, bytes))
                    return {};
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
                    return {};
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
    Outcome out;
    out.samePixels = QImage(ours) == QImage(qts).convertToFormat(QImage(ours).format());
    out.ratioPeer = median(ratioPeer);
    out.bytesRatio = double(bytesOurs) / double(bytesQt);
    std::printf("pryx grab + PNG + write: median %.3f s (%lld bytes)\n", median(tOurs), bytesOurs);
    std::printf("  of which the grab: median %.3f s\n", median(grabs));
    std::printf("same grab, Qt's PNG writer (zlib, one core): median %.3f s (%lld bytes)\n", median(tQt), bytesQt);
    std::printf("flameshot full --path: median %.3f s (%lld bytes)\n", median(tPeer), bytesPeer);
    std::printf("median ratio pryx / flameshot: %.2f (target at most 0.25)\n", out.ratioPeer);
    std::printf("median ratio pryx / Qt writer: %.2f\n", median(ratioQt));
    std::printf("bytes pryx / Qt writer: %.3f (target at most 1.15)\n", out.bytesRatio);
    std::printf("same pixels as Qt's file: %s\n", out.samePixels ? "yes" : "NO");
    std::fflush(stdout);
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QRect desk = pryx::platform::virtualDesktop();
    const int rounds = argc > 1 ? std::max(5, atoi(argv[1])) : 5;
    std::printf("desktop %dx%d, %d threads\n", desk.width(), desk.height(), QThread::idealThreadCount());
    QTemporaryDir dir;
    const struct {
        const char *title;
        QImage picture;
    } scenes[] = {
        {"fractal", fractal(desk.width(), desk.height())},
        {"windows, text and gradients", desktopScene(desk.width(), desk.height())},
    };
    bool ok = true;
    for (const auto &scene : scenes) {
        if (!paintRoot(scene.picture)) {
            std::fprintf(stderr, "cannot paint the root window\n");
            return 1;
        }
        const Outcome o = run(scene.title, desk, rounds, dir);
        ok = ok && o.samePixels;
    }
    return ok ? 0 : 1;
}
