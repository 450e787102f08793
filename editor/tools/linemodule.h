#pragma once
#include "editor/graphmodule.h"

// The "Line" tool: a press-drag-release makes a LineItem.
class LineModule : public GraphModule
{
    Q_OBJECT

public:
    explicit LineModule(QObject *parent = nullptr);
    void beginPaintItem(PPainterArea *area, QPoint p) override;
    void paintItem(PPainterArea *area, QPoint p) override;
    void endPaintItem(PPainterArea *area, QPoint p) override;
};
