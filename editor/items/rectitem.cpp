#include "editor/items/rectitem.h"
#include "editor/editorlog.h"

#include <QCursor>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QUndoStack>

#include "editor/commands/rectchange.h"
#include "editor/ppainterarea.h"

RectItem::RectItem(QQuickItem *parent) : RectItem(QStringLiteral("Rect"), parent) {}

RectItem::RectItem(const QString &name, QQuickItem *parent) : AbstractGraphItem(name, parent) {}

RectItem::~RectItem() = default;

void RectItem::updateGeometry(QRectF r)
{
    const QRectF n = r.normalized();
    const int h = lineWidth_ / 2;
    setX(n.x() - (h + 5));
    setY(n.y() - (h + 5));
    setWidth(lineWidth_ + 10 + n.width());
    setHeight(lineWidth_ + 10 + n.height());
    storeItemRect();
}

void RectItem::buildKeyPositions()
{
    const int m = margin_;
    const double w = width(), h = height();
    keyPositions_ = {QPointF(m + 2, m + 2),
                     QPointF(int(w * 0.5), m + 2),
                     QPointF(int(w - m), m + 2),
                     QPointF(int(w - m), int(h * 0.5)),
                     QPointF(int(w - m), int(h - m)),
                     QPointF(int(w * 0.5), int(h - m)),
                     QPointF(m + 2, int(h * 0.5)),
                     QPointF(m + 2, int(h - m)),
                     QPointF(int(w * 0.5), int(h * 0.5))};
}

bool RectItem::isBeingDrawn() const
{
    return area_ && area_->drawingItem() == this && area_->gestureButton() == Qt::LeftButton;
}

void RectItem::resize(QRectF r)
{
    const Qt::KeyboardModifiers mods = area_ ? area_->keyboardModifiers() : QGuiApplication::queryKeyboardModifiers();
    if (spaceHeld_) {
        const double w = m_rect.width(), h = m_rect.height();
        m_rect = QRectF(QRect(int(r.x() + r.width() - w), int(r.y() + r.height() - h), int(w), int(h)));
        anchor_ = m_rect.topLeft();
    } else if (mods.testFlag(Qt::ShiftModifier) && !moved_) {
        if (m_rect.width() != 0 || m_rect.height() != 0) {
            r.setWidth(r.width() - (m_rect.x() - r.x()));
            r.moveLeft(m_rect.x());
            r.setHeight(r.height() - (m_rect.y() - r.y()));
            r.moveTop(m_rect.y());
        }
        const QRectF n = r.normalized();
        const double s = qMin(n.width(), n.height());
        const bool left = r.width() < 0, up = r.height() < 0;
        if (left && up) {
            r.setWidth(-s);
            r.setHeight(-s);
        } else if (!left && up) {
            r.setWidth(s);
            r.setHeight(-s);
        } else if (!left && !up) {
            r.setWidth(s);
            r.setHeight(s);
        } else {
            r.setWidth(-s);
            r.setHeight(s);
        }
        m_rect = r;
    } else {
        if (anchor_ == QPointF(0, 0))
            anchor_ = r.topLeft();
        m_rect = QRectF(anchor_, QPointF(r.x() + r.width(), r.y() + r.height()));
    }
    updateGeometry(m_rect);
    buildKeyPositions();
    update();
}

void RectItem::setItemRect(QRectF r)
{
    const QRectF n = r.normalized();
    // The shape keeps the distance to the geometry that this kind of item
    // has (its own updateGeometry made it), so every kind keeps its shape.
    const QRectF shape = m_rect.normalized();
    const double left = shape.left() - x();
    const double top = shape.top() - y();
    const double right = (x() + width()) - shape.right();
    const double bottom = (y() + height()) - shape.bottom();
    m_rect = QRectF(n.x() + left, n.y() + top, n.width() - (left + right), n.height() - (top + bottom));
    setX(n.x());
    setY(n.y());
    setWidth(n.width());
    setHeight(n.height());
    itemRect_ = n;
    update();
    buildKeyPositions();
}

void RectItem::applyRect(QRectF r)
{
    m_rect = r;
    updateGeometry(m_rect);
    buildKeyPositions();
    update();
}

void RectItem::normalizeRect() { m_rect = m_rect.normalized(); }

void RectItem::move(double nx, double ny)
{
    if (nx == x() && ny == y())
        return;
    const QPointF delta(nx - x(), ny - y());
    setX(nx);
    setY(ny);
    storeItemRect();
    m_rect.translate(delta);
    buildKeyPositions();
}

void RectItem::rebuildKeyPosition()
{
    updateGeometry(m_rect);
    buildKeyPositions();
}

void RectItem::rescale(double ratio)
{
    const double x0 = itemRect_.x(), y0 = itemRect_.y();
    move(x0 * ratio, y0 * ratio);
    setItemRect(QRectF(x(), y(), width() * ratio, height() * ratio));
}

void RectItem::mousePressEvent(QMouseEvent *event)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << "*1";
    AbstractGraphItem::mousePressEvent(event);
    anchor_ = QPointF(0, 0);
    rectAtPress_ = m_rect;
    lastGlobalPos_ = event->globalPos();
}

void RectItem::mouseMoveEvent(QMouseEvent *event)
{
    AbstractGraphItem::mouseMoveEvent(event);
    moved_ = true;
    const QPoint global = event->globalPos();
    double dx = lastGlobalPos_.x() - global.x();
    double dy = lastGlobalPos_.y() - global.y();
    const double X = m_rect.x(), Y = m_rect.y(), W = m_rect.width(), H = m_rect.height();

    // Shift keeps the proportions on a corner.
    QRectF next;
    if (!handleDragRect(m_rect, m_rect.size(), event->modifiers().testFlag(Qt::ShiftModifier),
                        dx, dy, &next)) {
        setX(x() - dx);
        setY(y() - dy);
        lastGlobalPos_ = global;
        m_rect = QRectF(QRect(int(X - dx), int(Y - dy), int(W), int(H)));
        storeItemRect();
        return;
    }
    m_rect = next;
    updateGeometry(m_rect);
    buildKeyPositions();
    lastGlobalPos_ = global;
}

void RectItem::mouseReleaseEvent(QMouseEvent *event)
{
    m_rect = m_rect.normalized();
    if (moved_ && area_)
        area_->undoStack()->push(new RectChange(this, m_rect, rectAtPress_));
    moved_ = false;
    AbstractGraphItem::mouseReleaseEvent(event);
    updateGeometry(m_rect);
    buildKeyPositions();
}

void RectItem::keyPressEvent(QKeyEvent *event)
{
    EventModifierScope scope(area_, event->modifiers());
    AbstractGraphItem::keyPressEvent(event);
    // Shift or Space pressed while drawing takes effect at once; an item
    // that is being dragged keeps its shape.
    if (isBeingDrawn())
        resize(m_rect);
}

void RectItem::keyReleaseEvent(QKeyEvent *event)
{
    EventModifierScope scope(area_, event->modifiers());
    AbstractGraphItem::keyReleaseEvent(event);
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << QGuiApplication::keyboardModifiers() << QGuiApplication::queryKeyboardModifiers()
             << event->modifiers();
    if (isBeingDrawn()) {
        const QPointF cursor = area_->mapFromGlobal(QCursor::pos());
        resize(QRectF(m_rect.topLeft(), cursor));
    }
}

void RectItem::paint(QPainter *painter)
{
    preparePainter(painter);
    const int c = margin_ + lineWidth_ / 2;
    const QRectF n = m_rect.normalized();
    painter->drawRect(QRect(c, c, int(n.width()), int(n.height())));
    AbstractGraphItem::paint(painter);
}
