#include "editor/items/arrowitem.h"
#include "editor/editorlog.h"

#include <QDebug>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

#include <cmath>

#include "editor/ppainterarea.h"

ArrowItem::ArrowItem(QQuickItem *parent) : LineItem(QStringLiteral("Arrow"), parent) {}

ArrowItem::~ArrowItem() = default;

void ArrowItem::setLine(QPointF start, QPointF tip) { arrowLine(start, tip, false); }

void ArrowItem::dragLine(QPointF start, QPointF tip)
{
    pointer_ = tip;
    arrowLine(start, tip, true);
}

void ArrowItem::arrowLine(QPointF start, QPointF tip, bool snap)
{
    if (reversed_)
        applyLine(tip, start, snap);
    else
        applyLine(start, tip, snap);
    setGeometryFromLine();
    const QPointF tl(x(), y());
    const QPointF s = reversed_ ? line_.p2() : line_.p1();
    const QPointF t = reversed_ ? line_.p1() : line_.p2();
    itemLine_ = QLineF(s - tl, t - tl);
    rebuildKeyPosition();
    update();
}

void ArrowItem::setTextItem(TextItem *item)
{
    textItem_ = item;
    rebuildKeyPosition();
}

void ArrowItem::rebuildKeyPosition()
{
    if (textItem_)
        keyPositions_ = {line_.p2() - QPointF(x(), y())};
    else
        LineItem::rebuildKeyPosition();
}

double ArrowItem::headFactor() const
{
    const double L = itemLine_.length();
    const double full = (lineWidth_ - 1) * 0.1 + 1;
    if (L > 80)
        return full;
    return L * (full - 0.3) / 80 + 0.3;
}

void ArrowItem::paint(QPainter *painter)
{
    const double L = itemLine_.length();
    const double c = headFactor();
    if (L > 1 && !line_.isNull()) {
        const QPointF p1 = itemLine_.p1(), p2 = itemLine_.p2();
        const auto back = [&](double k) { return itemLine_.pointAt(((L - k * c) / (L / 100)) / 100); };
        const QPointF pA = back(10), pB = back(8), pC = back(6);
        const float dx = float(p2.x() - pA.x());
        const float dy = float(p2.y() - pA.y());
        const float t1 = float(std::tan(65.0));
        const float t2 = float(std::tan(105.0));
        const QPolygonF head(QVector<QPointF>{p2, QPointF(pA.x() - dy / t1, pA.y() + dx / t1), pB,
                             QPointF(pA.x() + dy / t1, pA.y() - dx / t1)});
        const QPolygonF shaft(QVector<QPointF>{p2, QPointF(pC.x() + dy / t2, pC.y() - dx / t2), p1,
                              QPointF(pC.x() - dy / t2, pC.y() + dx / t2)});
        painter->save();
        painter->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter->setPen(QPen(color_, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->setBrush(QBrush(color_, Qt::SolidPattern));
        painter->drawPolygon(head);
        painter->drawPolygon(shaft);
        painter->restore();
    }
    AbstractGraphItem::paint(painter);
}

void ArrowItem::reapply(QPointF pointer)
{
    if (line_.isNull())
        return;
    if (pressedOnItem_ && !(keyGrabbed_ && (dragEnd_ || dragStart_)))
        return;
    const QPointF s = start(), t = tip();
    if (pressedOnItem_ && dragStart_) {
        resetLine();
        setLine(snapped(t, pointer), t);
    } else {
        dragLine(s, pointer);
    }
    emit positionChange();
}

void ArrowItem::keyPressEvent(QKeyEvent *event)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << spaceHeld_;
    LineItem::keyPressEvent(event);
}

void ArrowItem::keyReleaseEvent(QKeyEvent *event)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << spaceHeld_;
    LineItem::keyReleaseEvent(event);
}

void ArrowItem::mouseMoveEvent(QMouseEvent *event)
{
    EventModifierScope scope(area_, event->modifiers());
    AbstractGraphItem::mouseMoveEvent(event);
    const QPointF pointer = pointerInArea(event);
    const QPointF s = start(), t = tip();
    if (keyGrabbed_ && dragEnd_) {
        dragLine(s, pointer);
    } else if (keyGrabbed_ && dragStart_) {
        resetLine();
        setLine(snapped(t, pointer), t);
    } else {
        const QPointF offset = event->globalPos() - lastGlobalPos_;
        resetLine();
        setLine(s + offset, t + offset);
        moved_ = true;
    }
    pointer_ = pointer;
    emit positionChange();
    rebuildKeyPosition();
    lastGlobalPos_ = event->globalPos();
}
