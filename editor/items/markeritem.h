#pragma once
#include "editor/items/penitem.h"

// A pen stroke painted as a wide half-transparent highlighter.
class MarkerItem : public PenItem
{
    Q_OBJECT

public:
    explicit MarkerItem(QQuickItem *parent = nullptr);
    void paint(QPainter *painter) override;
};
