#include "support/scrollwindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QRasterWindow>
#include <QWheelEvent>

#include <cstdio>

namespace pryx::test {

QImage scrollContent(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    QRandomGenerator gen(20261210);
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = gen.bounded(2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
    return img;
}

namespace {

class ScrollWindow : public QRasterWindow
{
public:
    ScrollWindow(int contentHeight, int step, int width)
        : content_(scrollContent(width, contentHeight)), step_(step) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.drawImage(0, -pos_, content_);
    }
    void exposeEvent(QExposeEvent *e) override
    {
        QRasterWindow::exposeEvent(e);
        if (isExposed() && !announced_) {
            announced_ = true;
            std::printf("ready\n");
            std::fflush(stdout);
        }
    }
    void wheelEvent(QWheelEvent *e) override
    {
        const int notches = -e->angleDelta().y() / 120;
        pos_ = qBound(0, pos_ + notches * step_, content_.height() - height());
        update();
        std::printf("pos %d\n", pos_);
        std::fflush(stdout);
    }

private:
    QImage content_;
    int step_;
    int pos_ = 0;
    bool announced_ = false;
};

} // namespace

int runScrollWindow(int argc, char **argv)
{
    if (argc < 8)
        return 2;
    QGuiApplication app(argc, argv);
    const QRect geo(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]));
    ScrollWindow w(atoi(argv[6]), atoi(argv[7]), geo.width());
    w.setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    w.setGeometry(geo);
    w.show();
    return app.exec();
}

ScrollWindowProcess::~ScrollWindowProcess() { stop(); }

bool ScrollWindowProcess::start(const QRect &g, int contentHeight, int step)
{
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--scroll-window"), QString::number(g.x()), QString::number(g.y()),
                 QString::number(g.width()), QString::number(g.height()),
                 QString::number(contentHeight), QString::number(step)});
    if (!proc_.waitForStarted(5000))
        return false;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 10000) {
        if (proc_.canReadLine() || proc_.waitForReadyRead(200)) {
            while (proc_.canReadLine())
                if (proc_.readLine().trimmed() == "ready") {
                    // Let the first frame reach the screen.
                    QElapsedTimer s;
                    s.start();
                    while (s.elapsed() < 300)
                        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
                    return true;
                }
        }
        if (proc_.state() != QProcess::Running)
            return false;
    }
    return false;
}

int ScrollWindowProcess::position()
{
    while (proc_.canReadLine()) {
        const QByteArray line = proc_.readLine().trimmed();
        if (line.startsWith("pos "))
            pos_ = line.mid(4).toInt();
    }
    return pos_;
}

void ScrollWindowProcess::stop()
{
    if (proc_.state() == QProcess::NotRunning)
        return;
    proc_.kill();
    proc_.waitForFinished(3000);
}

} // namespace pryx::test
