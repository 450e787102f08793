#include "capture/surfaceponoramscreen.h"

#include "capture/ponoram.h"
#include "capture/surfacewidget.h"
#include "core/base/setting.h"
#include "core/core.h"
#include "platform/desktopgrab.h"
#include "platform/wheelinput.h"
#include "capture/capturelog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickImageProvider>
#include <QScreen>
#include <QThread>

#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

const char *const SurfacePonoramScreen::kPageUrl = "qrc:/qml/qml/Window/SurfacePonoram.qml";

namespace {

// The finished panorama for the page's "image://screen/data", the frozen
// desktop for "image://screen/background".
class PanoramaProvider : public QQuickImageProvider
{
public:
    explicit PanoramaProvider(SurfacePonoramScreen *view)
        : QQuickImageProvider(QQuickImageProvider::Image), view_(view) {}

    QImage requestImage(const QString &id, QSize *size, const QSize &) override
    {
        QImage img;
        if (view_)
            img = id == QLatin1String("background") ? view_->background().toImage()
                                                   : view_->ponoramPixmap().toImage();
        if (size)
            *size = img.size();
        return img;
    }

private:
    QPointer<SurfacePonoramScreen> view_;
};

// One bit per pixel (red + green + blue above 381), rows padded to words.
std::vector<quint64> bitRows(const QImage &src, int *words)
{
    const QImage img = src.convertToFormat(QImage::Format_RGB32);
    *words = (img.width() + 63) / 64;
    std::vector<quint64> bits(size_t(*words) * size_t(img.height()), 0);
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        quint64 *out = &bits[size_t(y) * size_t(*words)];
        for (int x = 0; x < img.width(); ++x)
            if (qRed(line[x]) + qGreen(line[x]) + qBlue(line[x]) > 381)
                out[x / 64] |= quint64(1) << (x % 64);
    }
    return bits;
}

bool sameBits(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    int wa = 0, wb = 0;
    return bitRows(a, &wa) == bitRows(b, &wb);
}

} // namespace

SurfacePonoramScreen::SurfacePonoramScreen(QWindow *parent)
    : QQuickView(parent), input_(new PonoramInput)
{
    engine()->addImportPath(QCoreApplication::applicationDirPath());
    SurfaceWidget::registerTypes();
    desktop_ = pryx::platform::virtualDesktop();
    if (QGuiApplication::primaryScreen())
        background_ = QPixmap::fromImage(pryx::platform::grabDesktop(desktop_));
    emit backgroundChanged(background_);
    engine()->addImageProvider(QStringLiteral("screen"), new PanoramaProvider(this));
    QQmlContext *ctx = rootContext();
    ctx->setContextProperty(QStringLiteral("window"), this);
    ctx->setContextProperty(QStringLiteral("surface"), this);
    ctx->setContextProperty(QStringLiteral("settings"), Setting::instance());
    ctx->setContextProperty(QStringLiteral("core"), Core::instance());
    pryx::platform::setStayOnTopFlags(this);
    setResizeMode(QQuickView::SizeRootObjectToView);
    setColor(Qt::transparent);
    setSource(QUrl(QString::fromLatin1(kPageUrl)));
    for (const QQmlError &err : errors())
        qCDebug(pryx::lcCapture) << "=== SurfacePonoramScreen: QML ERROR:" << err.toString();
    if (QQuickItem *root = rootObject())
        selector_ = root->findChild<SurfaceSelector *>(QStringLiteral("SurfaceSelector"));
}

SurfacePonoramScreen::~SurfacePonoramScreen()
{
    qCDebug(pryx::lcCapture) << Q_FUNC_INFO;
    delete input_;
}

void SurfacePonoramScreen::setLimits(int maxRounds, int maxHeight)
{
    maxRounds_ = qMax(1, maxRounds);
    maxHeight_ = qMax(1, maxHeight);
}

void SurfacePonoramScreen::setInput(PonoramInput *input)
{
    delete input_;
    input_ = input ? input : new PonoramInput;
    if (ponoram_)
        ponoram_->setInput(nullptr);
}

void SurfacePonoramScreen::show()
{
    setGeometry(desktop_);
    qCDebug(pryx::lcCapture) << Q_FUNC_INFO << desktop_;
    showFullScreen();
    raise();
    requestActivate();
}

void SurfacePonoramScreen::findScrollRect(int x, int y)
{
    if (scrolling_ || finished_)
        return;
    const pryx::platform::WindowAt w = pryx::platform::scrollWindowAt(QPoint(x, y) + desktop_.topLeft());
    fixedRect_ = w.id ? w.rect.translated(-desktop_.topLeft()) : QRect();
    if (selector_) {
        if (fixedRect_.isNull())
            selector_->resetFixedRect();
        else
            selector_->setFixedRect(fixedRect_);
        selector_->update();
    }
}

void SurfacePonoramScreen::cleadFindScrollRect()
{
    if (scrolling_)
        return;
    fixedRect_ = QRect();
    if (selector_) {
        selector_->resetFixedRect();
        selector_->update();
    }
}

QRect SurfacePonoramScreen::toolbarScreen(int x, int y, int width, int height)
{
    const QRect r(x, y, width, height);
    QRect best;
    for (QScreen *s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        if (g.intersects(r) && (best.isNull() || g.height() < best.height()))
            best = g;
    }
    return best;
}

void SurfacePonoramScreen::uploadScreen()
{
    qCDebug(pryx::lcCapture) << Q_FUNC_INFO;
    emit uploadedScreen();
}

void SurfacePonoramScreen::setPaintArea(PPainterArea *area) { paintArea_ = area; }

QPixmap SurfacePonoramScreen::renderRubberRect()
{
    qCDebug(pryx::lcCapture) << Q_FUNC_INFO;
    if (!paintArea_)
        return ponoramPixmap_;
    paintArea_->clearSelection();
    paintArea_->update();
    return QPixmap::fromImage(paintArea_->renderImage(
        QRect(0, 0, ponoramPixmap_.width(), ponoramPixmap_.height()), 50000, true));
}

void SurfacePonoramScreen::showFrame()
{
    if (!isExposed())
        return;
    // A frame already under way was synchronised before the caller's
    // changes: wait for the swap of a frame synchronised after this point.
    // Both signals may come from the render thread.
    auto state = std::make_shared<std::atomic<int>>(0);
    const auto synced = connect(this, &QQuickWindow::afterSynchronizing, this,
                                [state] { int none = 0; state->compare_exchange_strong(none, 1); },
                                Qt::DirectConnection);
    const auto swapped = connect(this, &QQuickWindow::frameSwapped, this,
                                 [state] { int seen = 1; state->compare_exchange_strong(seen, 2); },
                                 Qt::DirectConnection);
    if (selector_)
        selector_->update();
    update();
    QElapsedTimer t;
    t.start();
    while (*state != 2 && t.elapsed() < kFrameMs) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    disconnect(synced);
    disconnect(swapped);
    // The render thread sent the frame: let the server have drawn it.
    pryx::platform::syncDisplay();
}

void SurfacePonoramScreen::pause(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms && !escape_)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void SurfacePonoramScreen::setMaskRegion(const QRegion &region)
{
    pryx::platform::setWindowMask(this, region);
}

QImage SurfacePonoramScreen::grab(const QRect &pageRect)
{
    return input_->grab(pageRect.translated(desktop_.topLeft()));
}

void SurfacePonoramScreen::startPonoram()
{
    if (finished_ || scrolling_)
        return;
    if (fixedRect_.isNull()) {
        if (!selector_)
            return;
        captureRect_ = selector_->rubberRect().normalized().toRect();
        if (captureRect_.isNull())
            return;
        if (!ponoram_) {
            ponoram_ = new Ponoram(this);
            connect(ponoram_, &Ponoram::complete, this, &SurfacePonoramScreen::stopPonoram);
        }
        selector_->setRects(captureRect_, captureRect_);
        setMaskRegion(QRegion(0, 0, width(), height()).xored(QRegion(captureRect_)));
        ponoram_->startPonoram(captureRect_.translated(desktop_.topLeft()));
        return;
    }
    scrollWindow(fixedRect_);
}

int SurfacePonoramScreen::stitchOffset(const QImage &a, const QImage &b)
{
    if (a.isNull() || b.isNull() || a.width() != b.width())
        return -1;
    int words = 0;
    const std::vector<quint64> ra = bitRows(a, &words);
    const std::vector<quint64> rb = bitRows(b, &words);
    const size_t rowBytes = size_t(words) * sizeof(quint64);
    for (int k = qMin(a.height(), b.height()); k >= 1; --k) {
        const int from = a.height() - k;
        if (std::memcmp(&ra[size_t(from) * size_t(words)], rb.data(), rowBytes * size_t(k)) == 0)
            return from;
    }
    return -1;
}

// The blocking loop over the highlighted window `s` (page coordinates).
void SurfacePonoramScreen::scrollWindow(const QRect &s)
{
    if (s.width() < 3 || s.height() < 8) {
        // Its inside and lower half would be empty grabs.
        qCDebug(pryx::lcCapture) << Q_FUNC_INFO << "window too small to grab" << s;
        emit errorGlueImage();
        return;
    }
    scrolling_ = true;
    escape_ = false;
    if (selector_)
        selector_->lockSelection();
    // What the overlay last drew over the window stays on screen until the
    // window repaints: let that be the highlighted window, not the shade.
    showFrame();
    const QPoint centre = QPoint(s.left() + s.width() / 2, s.top() + s.height() / 2) + desktop_.topLeft();
    const pryx::platform::WindowAt target = pryx::platform::scrollWindowAt(centre);
    qCDebug(pryx::lcCapture) << Q_FUNC_INFO << "window" << target.id << target.rect;
    setMaskRegion(QRegion(0, 0, width(), height()).xored(QRegion(s)));
    input_->pressLeft(centre);
    update();
    QCoreApplication::processEvents();
    if (selector_)
        selector_->setRects(s, s);

    const QRect first(s.x() + 1, s.y() + 1, s.width() - 2, s.height() - 2);
    const QRect lower(s.left() + 1, s.top() + s.height() / 2, s.width() - 2, s.height() / 2 - 1);
    QImage acc;
    QImage previous;
    bool failed = false;
    for (int round = 0; round < maxRounds_ && !escape_; ++round) {
        const QRect rect = round == 0 ? first : lower;
        QImage shot = grab(rect);
        QElapsedTimer settle;
        settle.start();
        if (round > 0) {
            // A busy window may not have drawn the last step yet: look again
            // for a while before taking an unchanged shot for its end.
            while (!shot.isNull() && sameBits(shot, previous) && !escape_
                   && settle.elapsed() < kSettleMs) {
                pause(50);
                shot = grab(rect);
            }
        }
        // The window may be amid drawing (what the overlay uncovered, its
        // answer to the press, the step): take the shot once it holds still.
        shot = input_->grabStill(rect.translated(desktop_.topLeft()), shot, kSettleMs - settle.elapsed(),
                                 [this](int ms) { pause(ms); return !escape_; });
        if (shot.isNull()) {
            failed = true;
            break;
        }
        if (round > 0 && sameBits(shot, previous))
            break; // the window scrolls no more
        previous = shot;
        if (acc.isNull()) {
            acc = shot.convertToFormat(QImage::Format_RGB32);
        } else {
            const int d = stitchOffset(acc, shot);
            if (d < 0) {
                failed = true;
                break;
            }
            if (d + shot.height() > acc.height()) {
                QImage grown(acc.width(), d + shot.height(), QImage::Format_RGB32);
                QPainter p(&grown);
                p.drawImage(0, 0, acc);
                p.drawImage(0, d, shot);
                p.end();
                acc = grown;
            }
        }
        if (acc.height() >= maxHeight_)
            break;
        input_->wheelDown();
        pause(100);
    }
    input_->releaseLeft();
    scrolling_ = false;
    if (failed) {
        qCDebug(pryx::lcCapture) << "errorGlueImage";
        setMaskRegion(QRegion());
        emit errorGlueImage();
        return;
    }
    if (acc.height() > maxHeight_)
        acc = acc.copy(0, 0, acc.width(), maxHeight_);
    stopPonoram(QPixmap::fromImage(acc));
}

void SurfacePonoramScreen::stopPonoram(QPixmap p)
{
    qCDebug(pryx::lcCapture) << Q_FUNC_INFO << (selector_ ? selector_->firstDraw() : false);
    ponoramPixmap_ = p;
    if (paintArea_)
        paintArea_->setBackground(p.toImage());
    emit ponoramPixmapComplete(p);
    setMaskRegion(QRegion(QRect(QPoint(0, 0), desktop_.size())));
    if (selector_) {
        selector_->setFirstDraw(false);
        selector_->update();
    }
    finished_ = true;
    raise();
}

void SurfacePonoramScreen::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape && scrolling_) {
        escape_ = true;
        return;
    }
    QQuickView::keyPressEvent(e);
}
