#include "editor/items/markeritem.h"

#include <QPainter>
#include <QPainterPath>

MarkerItem::MarkerItem(QQuickItem *parent) : PenItem(QStringLiteral("Marker"), parent) {}

void MarkerItem::paint(QPainter *painter)
{
    preparePainter(painter);
    QPen pen = painter->pen();
    pen.setWidth(lineWidth_ + 10);
    painter->setPen(pen);
    painter->setOpacity(0.5);
    const QList<QPointF> pts = paintedPoints();
    if (!pts.isEmpty()) {
        QPainterPath path;
        path.moveTo(pts.first());
        for (int i = 1; i < pts.size(); ++i) {
            path.lineTo(pts.at(i));
            path.moveTo(pts.at(i));
        }
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(path);
    }
    painter->setOpacity(1);
    AbstractGraphItem::paint(painter);
}
