#pragma once
#include "editor/graphmodule.h"

// The "Ponoram" tool: checking it switches the capture page into the
// scrolling panorama; it draws nothing on the area.
class PonoramModule : public GraphModule
{
    Q_OBJECT

public:
    explicit PonoramModule(QObject *parent = nullptr);
    void beginPaintItem(PPainterArea *area, QPoint p) override;
    void paintItem(PPainterArea *area, QPoint p) override;
    void endPaintItem(PPainterArea *area, QPoint p) override;
};
