#include "editor/blackoutarea.h"

#include <QPainter>

#include "editor/environment.h"
#include "editor/items/blackoutitem.h"
#include "editor/ppainterarea.h"

BlackoutArea::BlackoutArea(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAcceptedMouseButtons(Qt::LeftButton);
    setFlag(ItemHasContents, true);
    const QVariant width = pryx::editor::Environment::current()->value(QStringLiteral("widthBlackoutLine"));
    if (width.isValid())
        setLineWidth(width.toInt());
    refresh();
}

void BlackoutArea::refresh()
{
    // Without a hole nothing is darkened: a one-pixel texture then stands in
    // for one the size of the selection.
    setTextureSize(getPaintRect().isEmpty() ? QSize(1, 1) : QSize());
    update();
}

void BlackoutArea::setPaintArea(PPainterArea *area)
{
    if (paintArea_ == area)
        return;
    paintArea_ = area;
    emit paintAreaChanged(area);
}

void BlackoutArea::setSelectRect(QRectF rect)
{
    if (qFuzzyCompare(rect.x(), selectRect_.x()) && qFuzzyCompare(rect.y(), selectRect_.y())
        && qFuzzyCompare(rect.width(), selectRect_.width()) && qFuzzyCompare(rect.height(), selectRect_.height()))
        return;
    selectRect_ = rect;
    setX(rect.x());
    setY(rect.y());
    setWidth(rect.width());
    setHeight(rect.height());
    refresh();
}

void BlackoutArea::createNewBlackoutItem(BlackoutItem *item)
{
    if (item)
        connect(item, SIGNAL(lineWidthChanged(int)), this, SLOT(setLineWidth(int)), Qt::UniqueConnection);
    refresh();
}

int BlackoutArea::alphaForWidth(int width)
{
    // A width far off the toolbar's range still gives a valid colour.
    return qBound(0, int((width - 2) * 7.5 + 30), 255);
}

void BlackoutArea::setLineWidth(int width)
{
    color_ = QColor(0, 0, 0, alphaForWidth(width));
    refresh();
}

QList<QRect> BlackoutArea::subtract(const QList<QRect> &from, const QRect &cut)
{
    QList<QRect> kept, pieces;
    for (const QRect &r : from) {
        if (!r.intersects(cut)) {
            kept.append(r);
            continue;
        }
        const QRect i = r.intersected(cut);
        // Edges as exclusive coordinates.
        const int l = r.x(), t = r.y(), rr = r.x() + r.width(), rb = r.y() + r.height();
        const int il = i.x(), it = i.y(), ir = i.x() + i.width(), ib = i.y() + i.height();
        const QRect top(QPoint(l, t), QPoint(ir - 1, it - 1));
        const QRect left(QPoint(l, it), QPoint(il - 1, rb - 1));
        const QRect bottom(QPoint(il, ib), QPoint(rr - 1, rb - 1));
        const QRect right(QPoint(ir, t), QPoint(rr - 1, ib - 1));
        for (const QRect &p : {top, left, bottom, right})
            if (p.width() > 0 && p.height() > 0)
                pieces.append(p);
    }
    return kept + pieces;
}

QList<QRect> BlackoutArea::getPaintRect()
{
    if (selectRect_.width() == 0 && selectRect_.height() == 0)
        selectRect_ = QRectF(x(), y(), width(), height());
    QList<QRect> holes;
    if (paintArea_) {
        for (QQuickItem *child : paintArea_->childItems()) {
            auto *item = qobject_cast<BlackoutItem *>(child);
            if (!item || !item->isVisible())
                continue;
            const QRectF r = item->rect().normalized().translated(-x(), -y());
            const QRect hole(int(r.x()), int(r.y()), int(r.width()), int(r.height()));
            if (hole.width() > 0 && hole.height() > 0)
                holes.append(hole);
        }
    }
    if (holes.isEmpty())
        return {};
    QList<QRect> out{QRect(0, 0, int(width()), int(height()))};
    for (const QRect &hole : qAsConst(holes))
        out = subtract(out, hole);
    return out;
}

void BlackoutArea::paint(QPainter *painter)
{
    const QList<QRect> rects = getPaintRect();
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(color_);
    for (const QRect &r : rects)
        painter->drawRect(r);
    painter->restore();
}
