#pragma once
#include "editor/graphmodule.h"

// The "Blur" tool: a rectangle that blurs what lies beneath it.
class BlurModule : public GraphModule
{
    Q_OBJECT

public:
    explicit BlurModule(QObject *parent = nullptr);
    void beginPaintItem(PPainterArea *area, QPoint p) override;
    void paintItem(PPainterArea *area, QPoint p) override;
    void endPaintItem(PPainterArea *area, QPoint p) override;
};
