#pragma once
#include "editor/items/rectitem.h"

// An ellipse in a rectangle; everything but the painting is the rectangle's.
class EllipseItem : public RectItem
{
    Q_OBJECT

public:
    explicit EllipseItem(QQuickItem *parent = nullptr);
    void paint(QPainter *painter) override;
};
