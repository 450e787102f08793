#include "editor/items/counteritem.h"
#include "editor/editorlog.h"

#include <QDebug>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QUndoStack>

#include "editor/commands/rectchange.h"
#include "editor/ppainterarea.h"

namespace {
const int kMargin = 20;
const int kRadius = 10;
} // namespace

CounterItem::CounterItem(QQuickItem *parent) : RectItem(QStringLiteral("Counter"), parent)
{
    font_.setWeight(75);
    lineWidth_ = 2;
    margin_ = kMargin;
}

void CounterItem::setLabelCorner(bool right, bool down)
{
    labelRight_ = right;
    labelDown_ = down;
    update();
}

bool CounterItem::isPoint(const QRectF &r) const
{
    const QRectF n = r.normalized();
    return n.width() <= 3 && n.height() <= 3;
}

void CounterItem::updateGeometry(QRectF r)
{
    QRectF n = r.normalized();
    // A single circle gets a 20 px area round its point.
    if (isPoint(n))
        n = QRectF(n.right() - 10, n.bottom() - 10, n.width() + 20, n.height() + 20);
    const int w = lineWidth_;
    setX(n.x() - (w / 2 + kMargin));
    setY(n.y() - (w / 2 + kMargin));
    setWidth(n.width() + w + 40);
    setHeight(n.height() + w + 40);
    storeItemRect();
}

void CounterItem::buildKeyPositions()
{
    const QRectF n = m_rect.normalized();
    if (n.width() > 3 || n.height() > 3) {
        RectItem::buildKeyPositions();
        return;
    }
    const double m = margin_, W = width(), H = height();
    keyPositions_ = {QPointF(m, m), QPointF(W - m, m), QPointF(W - m, H - m), QPointF(m, H - m),
                     QPointF(W * 0.5, H * 0.5)};
}

void CounterItem::resize(QRectF r)
{
    if (isPoint(r)) {
        m_rect = r;
        updateGeometry(m_rect);
    } else {
        RectItem::resize(r);
    }
    rectAtRelease_ = m_rect;
    buildKeyPositions();
    update();
}

QPointF CounterItem::circleCentre() const
{
    const QRectF n = m_rect.normalized();
    const double rw = n.width(), rh = n.height();
    const double m = kMargin;
    if (rw > 3 || rh > 3) {
        const bool right = rw > 3 ? labelRight_ : !labelRight_;
        const bool down = rh > 3 ? labelDown_ : !labelDown_;
        return QPointF(right ? m + rw + 7 : m - 7, down ? m + rh + 7 : m - 7);
    }
    return QPointF(width() * 0.5, height() * 0.5);
}

QPainterPath CounterItem::circlePath() const
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const QRectF n = m_rect.normalized();
    const double rw = n.width(), rh = n.height();
    if (rw > 3 || rh > 3) {
        QPainterPath outer, inner;
        outer.addRect(QRectF(QRect(QPoint(5, 5), QPoint(int(rw) + 4, int(rh) + 4))));
        inner.addRect(QRectF(10, 10, rw - 10, rh - 10));
        path.addPath(outer.subtracted(inner));
    }
    // The circle as it is drawn, with its outline.
    if (placed_)
        path.addEllipse(circleCentre(), kRadius + 1, kRadius + 1);
    for (const QPointF &k : keyPositions_)
        path.addEllipse(k, 5, 5);
    return path;
}

void CounterItem::paint(QPainter *painter)
{
    const QRectF n = m_rect.normalized();
    preparePainter(painter);
    const int rw = int(n.width()), rh = int(n.height());
    const int m = kMargin;
    if (rw > 3 || rh > 3)
        painter->drawRect(QRect(m, m, rw, rh));
    painter->setOpacity(1);
    QPen pen = painter->pen();
    const QBrush brush(pen.color(), Qt::SolidPattern);
    pen.setWidth(2);
    painter->setPen(pen);
    painter->setBrush(brush);
    painter->setBackground(brush);
    if (placed_) {
        const QPointF c = circleCentre();
        painter->drawEllipse(c, kRadius, kRadius);
        painter->setFont(font_);
        const QColor col = color_;
        const QColor text = (col.red() > 200 && col.green() > 200 && col.blue() > 200)
            ? QColor(255 - col.red(), 255 - col.green(), 255 - col.blue(), 255)
            : QColor(Qt::white);
        painter->setPen(text);
        const QString label = QString::number(number_);
        const QFontMetrics fm(font_);
        painter->drawText(QPointF(int(c.x() - fm.horizontalAdvance(label) / 2), int(fm.height() / 3 + c.y())),
                          label);
    }
    AbstractGraphItem::paint(painter);
}

void CounterItem::keyPressEvent(QKeyEvent *event) { RectItem::keyPressEvent(event); }

void CounterItem::mousePressEvent(QMouseEvent *event)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << rectAtRelease_;
    RectItem::mousePressEvent(event);
}

void CounterItem::mouseMoveEvent(QMouseEvent *event)
{
    const QRectF n = m_rect.normalized();
    const bool cornerKey = (resizeLeft_ || resizeTop_ || resizeRight_ || resizeBottom_) && !sideKey_;
    if (n.width() > 3 || n.height() > 3 || (keyGrabbed_ && cornerKey)) {
        RectItem::mouseMoveEvent(event);
        const QRectF now = m_rect.normalized();
        // A single circle pulled open keeps its circle where it was.
        if (rectAtRelease_.normalized().width() <= 3 && now.width() > 3)
            labelRight_ = resizeLeft_;
        if (rectAtRelease_.normalized().height() <= 3 && now.height() > 3)
            labelDown_ = resizeTop_;
    } else {
        AbstractGraphItem::mouseMoveEvent(event);
        const QPoint global = event->globalPos();
        const QPointF delta = global - lastGlobalPos_;
        setX(x() + delta.x());
        setY(y() + delta.y());
        m_rect.translate(delta);
        storeItemRect();
        lastGlobalPos_ = global;
        moved_ = true;
    }
    update();
}

void CounterItem::mouseReleaseEvent(QMouseEvent *event)
{
    // Undo of a resize brings back the old rectangle; a plain move is a
    // MoveCommand.
    const QRectF before = rectAtPress_.normalized();
    const bool resized = m_rect.normalized().size() != before.size();
    if (m_rect.width() < 0)
        labelRight_ = !labelRight_;
    if (m_rect.height() < 0)
        labelDown_ = !labelDown_;
    m_rect = m_rect.normalized();
    rectAtRelease_ = m_rect;
    if (resized && area_) {
        moved_ = false;
        area_->undoStack()->push(new RectChange(this, m_rect, rectAtPress_));
    }
    AbstractGraphItem::mouseReleaseEvent(event);
    updateGeometry(m_rect);
    buildKeyPositions();
    update();
}
