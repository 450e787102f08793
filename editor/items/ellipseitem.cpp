#include "editor/items/ellipseitem.h"

#include <QPainter>

EllipseItem::EllipseItem(QQuickItem *parent) : RectItem(QStringLiteral("Ellipse"), parent) {}

void EllipseItem::paint(QPainter *painter)
{
    preparePainter(painter);
    const int c = lineWidth_ / 2 + 5;
    const QRectF n = m_rect.normalized();
    painter->drawEllipse(QRect(c, c, int(n.width()), int(n.height())));
    AbstractGraphItem::paint(painter);
}
