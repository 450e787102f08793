#include "support/scrollwindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QRasterWindow>
#include <QScreen>
#include <QThread>
#include <QTimer>
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
    ScrollWindow(int contentHeight, int step, int width, int delayMs)
        : content_(scrollContent(width, contentHeight)), step_(step), delayMs_(delayMs) {}

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
        if (delayMs_ > 0)
            QTimer::singleShot(delayMs_, this, [this, notches] { scroll(notches); });
        else
            scroll(notches);
    }

    void scroll(int notches)
    {
        pos_ = qBound(0, pos_ + notches * step_, content_.height() - height());
        update();
        std::printf("pos %d\n", pos_);
        std::fflush(stdout);
    }

private:
    QImage content_;
    int step_;
    int delayMs_;
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
    ScrollWindow w(atoi(argv[6]), atoi(argv[7]), geo.width(), argc > 8 ? atoi(argv[8]) : 0);
    w.setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    w.setGeometry(geo);
    w.show();
    return app.exec();
}

ScrollWindowProcess::~ScrollWindowProcess() { stop(); }

bool ScrollWindowProcess::start(const QRect &g, int contentHeight, int step, int delayMs)
{
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    proc_.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--scroll-window"), QString::number(g.x()), QString::number(g.y()),
                 QString::number(g.width()), QString::number(g.height()),
                 QString::number(contentHeight), QString::number(step), QString::number(delayMs)});
    if (!proc_.waitForStarted(10000))
        return false;
    QElapsedTimer t;
    t.start();
    bool ready = false;
    while (!ready && t.elapsed() < 30000) {
        if (proc_.canReadLine() || proc_.waitForReadyRead(200)) {
            while (!ready && proc_.canReadLine())
                ready = proc_.readLine().trimmed() == "ready";
        }
        if (proc_.state() != QProcess::Running)
            return false;
    }
    if (!ready)
        return false;
    // Shown is not yet drawn: wait until the first frame is on the screen.
    QScreen *screen = QGuiApplication::primaryScreen();
    const QImage first = scrollContent(g.width(), contentHeight).copy(0, 0, g.width(), g.height());
    while (t.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const QImage shown = screen->grabWindow(0, g.x(), g.y(), g.width(), g.height())
                                 .toImage().convertToFormat(QImage::Format_RGB32);
        if (shown.size() != first.size() || shown == first)
            return true;   // partly off the screen: nothing to compare
        QThread::msleep(20);
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
