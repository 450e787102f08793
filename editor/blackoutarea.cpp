#include "editor/blackoutarea.h"

#include "editor/environment.h"
#include "editor/ppainterarea.h"

BlackoutArea::BlackoutArea(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAcceptedMouseButtons(Qt::LeftButton);
    setFlag(ItemHasContents, true);
    const QVariant width = pryx::editor::Environment::current()->value(QStringLiteral("widthBlackoutLine"));
    if (width.isValid())
        setLineWidth(width.toInt());
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
    update();
}

void BlackoutArea::createNewBlackoutItem(BlackoutItem *) { update(); }

void BlackoutArea::setLineWidth(int width)
{
    color_ = QColor(0, 0, 0, qBound(0, int((width - 2) * 7.5 + 30), 255));
    update();
}

void BlackoutArea::paint(QPainter *) {}
