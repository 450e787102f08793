#include "capture/ponoram.h"

#include "platform/desktopgrab.h"
#include "platform/wheelinput.h"
#include "capture/capturelog.h"

#include <QCursor>
#include <QDebug>
#include <QElapsedTimer>
#include <QPainter>
#include <QThread>

#include <cstring>
#include <vector>

QImage PonoramInput::grab(const QRect &rect) { return pryx::platform::grabDesktop(rect); }
void PonoramInput::click(const QPoint &p) { pryx::platform::clickAt(p); }
void PonoramInput::wheelDown() { pryx::platform::wheelDown(); }
QPoint PonoramInput::cursorPos() { return QCursor::pos(); }
void PonoramInput::pressLeft(const QPoint &p) { pryx::platform::pressLeftAt(p); }
void PonoramInput::releaseLeft() { pryx::platform::releaseLeft(); }

QImage PonoramInput::grabStill(const QRect &rect, QImage shot, qint64 budgetMs,
                               const std::function<bool(int)> &wait)
{
    QElapsedTimer t;
    t.start();
    while (!shot.isNull() && t.elapsed() < budgetMs && wait(kStillMs)) {
        const QImage again = grab(rect);
        const bool still = again == shot;
        shot = again;
        if (still)
            break;
    }
    return shot;
}

namespace {

// One bit per pixel, set when red + green + blue exceeds 381.
struct BitRows
{
    int width = 0;
    int words = 0;
    std::vector<quint64> bits;

    explicit BitRows(const QImage &src, int rows)
    {
        const QImage img = src.convertToFormat(QImage::Format_RGB32);
        width = img.width();
        words = (width + 63) / 64;
        bits.assign(size_t(words) * size_t(rows), 0);
        for (int y = 0; y < rows; ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
            quint64 *out = &bits[size_t(y) * size_t(words)];
            for (int x = 0; x < width; ++x) {
                const QRgb c = line[x];
                if (qRed(c) + qGreen(c) + qBlue(c) > 381)
                    out[x / 64] |= quint64(1) << (x % 64);
            }
        }
    }
    const quint64 *row(int y) const { return &bits[size_t(y) * size_t(words)]; }
};

// Between looks: no events, so no tick of the engine's timer.
bool sleepBetweenLooks(int ms)
{
    QThread::msleep(static_cast<unsigned long>(ms));
    return true;
}

} // namespace

Ponoram::Ponoram(QObject *parent) : QObject(parent), input_(new PonoramInput)
{
    connect(&shotTimer_, &QTimer::timeout, this, &Ponoram::shotTimer);
}

Ponoram::~Ponoram() { delete input_; }

void Ponoram::setInput(PonoramInput *input)
{
    delete input_;
    input_ = input ? input : new PonoramInput;
}

int Ponoram::findOffset(const QImage &image, const QImage &strip)
{
    if (strip.height() <= 0 || image.width() <= 0 || strip.width() != image.width()
        || strip.height() > image.height())
        return -1;
    const BitRows a(image, image.height());
    const BitRows b(strip, strip.height());
    const size_t bytes = size_t(a.words) * sizeof(quint64);
    const int last = image.height() - strip.height();
    for (int o = 0; o <= last; ++o) {
        int i = 0;
        while (i < strip.height() && std::memcmp(a.row(o + i), b.row(i), bytes) == 0)
            ++i;
        if (i == strip.height())
            return o;
    }
    return -1;
}

void Ponoram::startPonoram(QRect r)
{
    rect_ = r;
    // The region was uncovered just now: the window below may still be
    // drawing it.
    accumulated_ = QPixmap::fromImage(input_->grabStill(r, input_->grab(r), kStillBudgetMs, sleepBetweenLooks));
    // Each run measures its own scrolling.
    lastOffset_ = 0;
    sameOffsetCount_ = 0;
    running_ = true;
    shotTimer_.start(kInterval);
    const QPoint c(r.left() + r.width() / 2, r.top() + r.height() / 2);
    input_->click(c);
    input_->click(c);
}

void Ponoram::stopPonoram()
{
    shotTimer_.stop();
    if (!running_)
        return;
    running_ = false;
    emit complete(accumulated_);
}

void Ponoram::cancelPonoram()
{
    shotTimer_.stop();
    running_ = false;
}

void Ponoram::shotTimer()
{
    if (!running_)
        return;
    input_->wheelDown();
    bool stop = !rect_.contains(input_->cursorPos());

    const QImage shot = input_->grab(rect_);
    const QImage strip = shot.copy(0, 0, shot.width(), qMin(kStripHeight, shot.height()));
    const int d = findOffset(accumulated_.toImage(), strip);
    if (d == -1) {
        qCDebug(pryx::lcCapture) << "errorGlueImage";
        stopPonoram();
        emit errorGlueImage();
        return;
    }
    if (d == lastOffset_) {
        if (++sameOffsetCount_ >= kStandstillTicks)
            stop = true;
    } else {
        sameOffsetCount_ = 0;
    }
    lastOffset_ = d;
    const int height = qMax(accumulated_.height(), shot.height() + d);
    QImage glued(shot.width(), height, QImage::Format_RGB32);
    glued.fill(Qt::black);
    {
        QPainter p(&glued);
        p.drawPixmap(0, 0, accumulated_);
        p.drawImage(0, d, shot);
    }
    accumulated_ = QPixmap::fromImage(glued);
    emit changePreview(glued);
    emit rectChange(glued.size());
    if (stop)
        stopPonoram();
}
