#include "editor/items/lineitem.h"
#include "editor/editorlog.h"

#include <QDebug>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QUndoStack>

#include <cmath>

#include "editor/commands/linechange.h"
#include "editor/ppainterarea.h"

namespace {
bool samePoint(QPointF a, QPointF b)
{
    return std::fabs(a.x() - b.x()) < 1e-12 && std::fabs(a.y() - b.y()) < 1e-12;
}
} // namespace

LineItem::LineItem(QQuickItem *parent) : LineItem(QStringLiteral("Line"), parent) {}

LineItem::LineItem(const QString &name, QQuickItem *parent) : AbstractGraphItem(name, parent) {}

LineItem::~LineItem() = default;

void LineItem::setLine(QPointF a, QPointF b) { applyLine(a, b, false); }

void LineItem::dragLine(QPointF a, QPointF b)
{
    pointer_ = b;
    applyLine(a, b, true);
}

void LineItem::resetLine() { line_ = QLineF(); }

void LineItem::applyLine(QPointF a, QPointF b, bool snap)
{
    if (!line_.isNull())
        a = line_.p1();
    if (spaceHeld_ && !line_.isNull()) {
        const QPointF offset = b - line_.p2();
        a = line_.p1() + offset;
        moved_ = true;
    } else if (snap) {
        b = snapped(a, b);
    }
    line_ = QLineF(a, b);
    setGeometryFromLine();
    itemLine_ = line_.translated(-x(), -y());
    rebuildKeyPosition();
    update();
    lastGlobalPos_ = QPoint(int(b.x()), int(b.y()));
}

QPointF LineItem::snapped(QPointF a, QPointF b) const
{
    if (moved_ || !area_ || !area_->keyboardModifiers().testFlag(Qt::ShiftModifier))
        return b;
    const double tolerance = 40;
    if (a.x() != b.x() && std::fabs(a.y() - b.y()) < tolerance) {
        b.setY(a.y());
    } else if (std::fabs(a.x() - b.x()) < tolerance && a.y() != b.y()) {
        b.setX(a.x());
    } else {
        const double d = std::fabs(b.x() - a.x());
        b.setY(b.y() < a.y() ? a.y() - d : a.y() + d);
    }
    return b;
}

void LineItem::setGeometryFromLine()
{
    const QRectF r = QRectF(line_.p1(), line_.p2()).normalized().adjusted(-45, -45, 45, 45);
    setX(r.x());
    setY(r.y());
    setWidth(r.width());
    setHeight(r.height());
    storeItemRect();
}

void LineItem::setRect(QRectF r)
{
    const double oldWidth = width(), oldHeight = height();
    const QRectF n = r.normalized();
    itemRect_ = r;
    setX(n.x());
    setY(n.y());
    setWidth(n.width());
    setHeight(n.height());
    // A line that was never set has no size to scale from.
    if (line_.isNull() || oldWidth <= 0) {
        update();
        rebuildKeyPosition();
        return;
    }
    const double ratio = n.width() / oldWidth;
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << ratio << (oldHeight > 0 ? n.height() / oldHeight : 0.0);
    itemLine_ = QLineF(itemLine_.p1() * ratio, itemLine_.p2() * ratio);
    line_ = itemLine_.translated(n.topLeft());
    update();
    rebuildKeyPosition();
}

void LineItem::checkLineWidth(int) {}

void LineItem::move(double nx, double ny)
{
    if (nx == x() && ny == y())
        return;
    const QPointF delta(nx - x(), ny - y());
    setX(nx);
    setY(ny);
    storeItemRect();
    if (!line_.isNull())
        line_.translate(delta);
    rebuildKeyPosition();
}

void LineItem::rebuildKeyPosition()
{
    keyPositions_ = {itemLine_.p1(), itemLine_.p2(), (itemLine_.p1() + itemLine_.p2()) / 2};
}

void LineItem::rescale(double ratio)
{
    move(itemRect_.x() * ratio, itemRect_.y() * ratio);
    setRect(QRectF(x(), y(), width() * ratio, height() * ratio));
}

void LineItem::paint(QPainter *painter)
{
    if (!line_.isNull()) {
        preparePainter(painter);
        painter->drawLine(itemLine_);
    }
    AbstractGraphItem::paint(painter);
}

bool LineItem::isHeld() const
{
    if (pressedOnItem_)
        return true;
    return area_ && area_->drawingItem() == this && area_->gestureButton() == Qt::LeftButton;
}

QPointF LineItem::pointerInArea(QMouseEvent *event) const
{
    const QPointF global = event->globalPos();
    return area_ ? area_->mapFromGlobal(global) : global;
}

void LineItem::reapply(QPointF pointer)
{
    if (line_.isNull())
        return;
    if (pressedOnItem_ && !(keyGrabbed_ && (dragEnd_ || dragStart_)))
        return; // a body drag keeps its shape
    if (pressedOnItem_ && dragStart_) {
        // The second end is the fixed one.
        const QPointF fixed = line_.p2();
        resetLine();
        setLine(snapped(fixed, pointer), fixed);
        return;
    }
    dragLine(line_.p1(), pointer);
}

Qt::KeyboardModifiers LineItem::heldModifiers(const QKeyEvent *event)
{
    // The event of a modifier key may carry the state from before it.
    Qt::KeyboardModifiers mods = event->modifiers();
    Qt::KeyboardModifier own = Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Shift: own = Qt::ShiftModifier; break;
    case Qt::Key_Control: own = Qt::ControlModifier; break;
    case Qt::Key_Alt: own = Qt::AltModifier; break;
    case Qt::Key_Meta: own = Qt::MetaModifier; break;
    default: return mods;
    }
    mods.setFlag(own, event->type() == QEvent::KeyPress);
    return mods;
}

void LineItem::keyPressEvent(QKeyEvent *event)
{
    EventModifierScope scope(area_, heldModifiers(event));
    AbstractGraphItem::keyPressEvent(event);
    if (isHeld())
        reapply(pointer_);
}

void LineItem::keyReleaseEvent(QKeyEvent *event)
{
    EventModifierScope scope(area_, heldModifiers(event));
    AbstractGraphItem::keyReleaseEvent(event);
    if (isHeld())
        reapply(pointer_);
}

void LineItem::mousePressEvent(QMouseEvent *event)
{
    AbstractGraphItem::mousePressEvent(event);
    lineAtPress_ = line_;
    dragEnd_ = dragStart_ = false;
    if (samePoint(hoveredKey_, itemLine_.p2()))
        dragEnd_ = true;
    else if (samePoint(hoveredKey_, itemLine_.p1()))
        dragStart_ = true;
    moved_ = false;
    pressedOnItem_ = event->isAccepted();
    lastGlobalPos_ = event->globalPos();
    pointer_ = pointerInArea(event);
}

void LineItem::mouseMoveEvent(QMouseEvent *event)
{
    EventModifierScope scope(area_, event->modifiers());
    AbstractGraphItem::mouseMoveEvent(event);
    const QPointF pointer = pointerInArea(event);
    if (keyGrabbed_ && dragEnd_) {
        dragLine(line_.p1(), pointer);
    } else if (keyGrabbed_ && dragStart_) {
        const QPointF fixed = line_.p2();
        resetLine();
        setLine(snapped(fixed, pointer), fixed);
    } else {
        const QPointF offset = event->globalPos() - lastGlobalPos_;
        setX(x() + offset.x());
        setY(y() + offset.y());
        line_.translate(offset);
        storeItemRect();
        moved_ = true;
    }
    pointer_ = pointer;
    rebuildKeyPosition();
    lastGlobalPos_ = event->globalPos();
}

void LineItem::mouseReleaseEvent(QMouseEvent *event)
{
    AbstractGraphItem::mouseReleaseEvent(event);
    if ((dragEnd_ || dragStart_) && line_ != lineAtPress_ && area_)
        area_->undoStack()->push(new LineChange(this, line_, lineAtPress_));
    dragEnd_ = dragStart_ = false;
    moved_ = false;
    pressedOnItem_ = false;
}
