#include "editor/items/penitem.h"

#include <QMouseEvent>
#include <mutex>
#include <QPainter>
#include <QUndoStack>

#include "editor/commands/penchange.h"
#include "editor/ppainterarea.h"
#include "editor/smoothing.h"

namespace {

// Point lists cross threads only as copies with a buffer of their own: a
// shared buffer could be changed in place by one thread as soon as the
// other drops its reference, unordered with that thread's reads.
QList<QPointF> unshared(QList<QPointF> points)
{
    points.detach();
    return points;
}

} // namespace

PenItem::PenItem(QQuickItem *parent) : PenItem(QStringLiteral("Pen"), parent) {}

PenItem::PenItem(const QString &name, QQuickItem *parent) : AbstractGraphItem(name, parent)
{
    connect(this, SIGNAL(lineWidthChanged(int)), this, SLOT(checkNewGeometry()));
    repaintTimer_.setInterval(15);
    connect(&repaintTimer_, &QTimer::timeout, this, &PenItem::repaintSmoothed);
}

PenItem::~PenItem()
{
    if (smoother_) {
        // Detaching waits for a pass in progress; the run then ends without
        // touching this item again.
        const bool mine = smoother_->currentItem() == this;
        smoother_->detach(this);
        if (mine)
            smoother_->stopAndWait();
    }
}

void PenItem::setSmoother(ThreadAliasingPoint *smoother)
{
    smoother_ = smoother;
    if (smoother)
        repaintTimer_.start();
}

void PenItem::repaintSmoothed()
{
    // Checked before the flag: a run that has ended stored everything.
    const bool done = !smoother_ || smoother_->currentItem() != this || !smoother_->isRunning();
    if (smoothStored_.exchange(false))
        update();
    if (done)
        repaintTimer_.stop();
}

void PenItem::addPoint(QPointF p)
{
    const int w = lineWidth_;
    innerRect_ = itemRect_.normalized().adjusted(15, 15, -15, -15);
    QList<QPointF> shifted;
    if (itemRect_.width() == 0 && itemRect_.height() == 0) {
        setX(int(p.x() - (w + 5)));
        setY(int(p.y() - (w + 5)));
        setWidth(w + 10);
        setHeight(w + 10);
    } else if (!innerRect_.contains(p)) {
        double X = x(), Y = y(), W = width(), H = height();
        QPointF shift(0, 0);
        if (p.x() > innerRect_.right())
            W = int(p.x() - innerRect_.right() + W);
        if (p.y() > innerRect_.bottom())
            H = int(w + p.y() - innerRect_.bottom() + H);
        if (p.x() < innerRect_.left()) {
            const double d = innerRect_.left() - p.x();
            shift.rx() += w + d;
            X = int(X - d - w);
            W = int(w + d + W);
        }
        if (p.y() < innerRect_.top()) {
            const double d = innerRect_.top() - p.y();
            shift.ry() += w + d;
            Y = int(Y - d - w);
            H = int(w + d + H);
        }
        if (!shift.isNull()) {
            std::lock_guard<std::mutex> lock(pointsMutex);
            for (QPointF &q : points_)
                q += shift;
            ++changeCount_;
        }
        setX(X);
        setY(Y);
        setWidth(W);
        setHeight(H);
    }
    storeItemRect();
    penRect_ = itemRect_;
    {
        std::lock_guard<std::mutex> lock(pointsMutex);
        points_.append(p - QPointF(x(), y()));
        ++changeCount_;
    }
    update();
    rebuildKeyPosition();
}

void PenItem::removeLastPoint()
{
    std::lock_guard<std::mutex> lock(pointsMutex);
    if (points_.isEmpty())
        return;
    points_.removeLast();
    ++changeCount_;
}

int PenItem::pointCount() const
{
    std::lock_guard<std::mutex> lock(pointsMutex);
    return points_.size();
}

QList<QPointF> PenItem::pointsCopy() const
{
    std::lock_guard<std::mutex> lock(pointsMutex);
    return unshared(points_);
}

QList<QPointF> PenItem::smoothPointsCopy() const
{
    std::lock_guard<std::mutex> lock(pointsMutex);
    return unshared(smoothPoints_);
}

PenItem::Snapshot PenItem::snapshot() const
{
    std::lock_guard<std::mutex> lock(pointsMutex);
    return Snapshot{unshared(points_), changeCount_};
}

quint64 PenItem::changeCount() const
{
    std::lock_guard<std::mutex> lock(pointsMutex);
    return changeCount_;
}

void PenItem::storeSmoothPoints(const QList<QPointF> &points, quint64)
{
    {
        std::lock_guard<std::mutex> lock(pointsMutex);
        smoothPoints_ = unshared(points);
        refValid_ = false;
    }
    smoothStored_.store(true);
}

void PenItem::setGeometryRect(QRectF r)
{
    const QRectF n = r.normalized();
    setX(n.x());
    setY(n.y());
    setWidth(n.width());
    setHeight(n.height());
    storeItemRect();
}

void PenItem::scaleSmooth(QRectF to)
{
    // Scaled from the points as they were at a known size, so a side that
    // passes through 0 while dragging does not flatten the stroke for good.
    std::lock_guard<std::mutex> lock(pointsMutex);
    if (!refValid_) {
        refPoints_ = smoothPoints_;
        refSize_ = penRect_.normalized().size();
        refValid_ = true;
    }
    const QSizeF t = to.normalized().size();
    const double sx = refSize_.width() == 0 ? 1 : t.width() / refSize_.width();
    const double sy = refSize_.height() == 0 ? 1 : t.height() / refSize_.height();
    smoothPoints_.clear();
    for (const QPointF &q : qAsConst(refPoints_))
        smoothPoints_.append(QPointF(q.x() * sx, q.y() * sy));
}

QRectF PenItem::orientedRect(QRectF r, int ox, int oy) const
{
    const QRectF n = r.normalized();
    QRectF out = n;
    if (ox < 0)
        out = QRectF(out.x() + out.width(), out.y(), -out.width(), out.height());
    if (oy < 0)
        out = QRectF(out.x(), out.y() + out.height(), out.width(), -out.height());
    return out;
}

void PenItem::setRect(QRectF r)
{
    const int ox = r.width() < 0 ? -1 : 1;
    const int oy = r.height() < 0 ? -1 : 1;
    scaleSmooth(r);
    penRect_ = r.normalized();
    setGeometryRect(r);
    if (ox != orientX_ || oy != orientY_) {
        const bool fx = ox != orientX_, fy = oy != orientY_;
        const auto flip = [fx, fy](QList<QPointF> &pts, double W, double H) {
            for (QPointF &q : pts)
                q = QPointF(fx ? W - q.x() : q.x(), fy ? H - q.y() : q.y());
        };
        std::lock_guard<std::mutex> lock(pointsMutex);
        flip(smoothPoints_, width(), height());
        flip(refPoints_, refSize_.width(), refSize_.height());
    }
    orientX_ = ox;
    orientY_ = oy;
    rebuildKeyPosition();
    update();
}

void PenItem::rescale(QRectF from, QRectF to)
{
    Q_UNUSED(from)
    scaleSmooth(to);
    penRect_ = to;
    setGeometryRect(to);
    rebuildKeyPosition();
    update();
}

void PenItem::rescale(double ratio)
{
    const QRectF from = itemRect_;
    move(itemRect_.x() * ratio, itemRect_.y() * ratio);
    rescale(from, QRectF(x(), y(), width() * ratio, height() * ratio));
}

void PenItem::move(double nx, double ny)
{
    penRect_ = itemRect_.translated(nx - x(), ny - y());
    setGeometryRect(penRect_);
    rebuildKeyPosition();
}

void PenItem::rebuildKeyPosition()
{
    const double W = width(), H = height();
    keyPositions_ = {QPointF(5, 5),
                     QPointF(int(W * 0.5), 5),
                     QPointF(int(W - 5), 5),
                     QPointF(int(W - 5), int(H * 0.5)),
                     QPointF(int(W - 5), int(H - 5)),
                     QPointF(int(W * 0.5), int(H - 5)),
                     QPointF(5, int(H * 0.5)),
                     QPointF(5, int(H - 5)),
                     QPointF(int(W * 0.5), int(H * 0.5))};
}

QList<QPointF> PenItem::paintedPoints() const
{
    QList<QPointF> pts = smoothPointsCopy();
    const bool mx = penRect_.width() < 0, my = penRect_.height() < 0;
    if (mx || my) {
        const double W = width(), H = height();
        for (QPointF &q : pts)
            q = QPointF(mx ? W - q.x() : q.x(), my ? H - q.y() : q.y());
    }
    return pts;
}

void PenItem::paint(QPainter *painter)
{
    preparePainter(painter);
    const QList<QPointF> pts = paintedPoints();
    for (int i = 1; i < pts.size(); ++i)
        painter->drawLine(pts.at(i - 1), pts.at(i));
    AbstractGraphItem::paint(painter);
}

void PenItem::mousePressEvent(QMouseEvent *event)
{
    AbstractGraphItem::mousePressEvent(event);
    lastGlobalPos_ = event->globalPos();
    rectAtPress_ = penRect_;
    orientAtPressX_ = orientX_;
    orientAtPressY_ = orientY_;
}

void PenItem::mouseMoveEvent(QMouseEvent *event)
{
    AbstractGraphItem::mouseMoveEvent(event);
    const QPoint global = event->globalPos();
    double dx = lastGlobalPos_.x() - global.x();
    double dy = lastGlobalPos_.y() - global.y();
    const QRectF old = penRect_;
    QRectF next;
    bool resized = false;
    if (keyGrabbed_)
        resized = handleDragRect(old, itemRect_.size(),
                                 event->modifiers().testFlag(Qt::ShiftModifier), dx, dy, &next);
    if (!resized) {
        const QRectF from = keyGrabbed_ ? old : itemRect_;
        next = QRectF(QRect(int(from.x() - dx), int(from.y() - dy), int(from.width()), int(from.height())));
        moved_ = true;
    }
    scaleSmooth(next);
    penRect_ = next;
    setGeometryRect(next);
    rebuildKeyPosition();
    lastGlobalPos_ = global;
    update();
}

void PenItem::mouseReleaseEvent(QMouseEvent *event)
{
    if (!moved_ && area_) {
        // The rectangles carry the orientation, so undo and redo mirror the
        // stroke back and forth; the push folds the mirroring into the points.
        const int ox = orientX_ * (penRect_.width() < 0 ? -1 : 1);
        const int oy = orientY_ * (penRect_.height() < 0 ? -1 : 1);
        area_->undoStack()->push(new PenChange(this, orientedRect(penRect_, ox, oy),
                                               orientedRect(rectAtPress_, orientAtPressX_, orientAtPressY_)));
    } else if (penRect_.width() < 0 || penRect_.height() < 0) {
        setRect(orientedRect(penRect_, orientX_ * (penRect_.width() < 0 ? -1 : 1),
                             orientY_ * (penRect_.height() < 0 ? -1 : 1)));
    }
    penRect_ = penRect_.normalized();
    AbstractGraphItem::mouseReleaseEvent(event);
    setGeometryRect(itemRect_);
    rebuildKeyPosition();
}
