#pragma once
#include "editor/graphmodule.h"

class RectItem;

// The "Rect" tool; also the gesture of the "Ellipse" tool.
class RectModule : public GraphModule
{
    Q_OBJECT

public:
    explicit RectModule(QObject *parent = nullptr);
    void beginPaintItem(PPainterArea *area, QPoint p) override;
    void paintItem(PPainterArea *area, QPoint p) override;
    void endPaintItem(PPainterArea *area, QPoint p) override;

protected:
    RectModule(const QString &name, QObject *parent);
    virtual RectItem *createItem(PPainterArea *area);
};
