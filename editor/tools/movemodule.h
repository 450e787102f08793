#pragma once
#include "editor/graphmodule.h"

// The "Move" tool: draws nothing; items move themselves while it is current.
class MoveModule : public GraphModule
{
    Q_OBJECT

public:
    explicit MoveModule(QObject *parent = nullptr);
    void beginPaintItem(PPainterArea *area, QPoint p) override;
    void paintItem(PPainterArea *area, QPoint p) override;
    void endPaintItem(PPainterArea *area, QPoint p) override;
};
