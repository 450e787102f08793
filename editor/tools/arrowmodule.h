#pragma once
#include "editor/graphmodule.h"

// The "Arrow" tool: the ArrowItem is added at the press and shaped by the
// drag; also makes the callout arrows of the "Text" tool.
class ArrowModule : public GraphModule
{
    Q_OBJECT

public:
    explicit ArrowModule(QObject *parent = nullptr);
    void beginPaintItem(PPainterArea *area, QPoint p) override;
    void paintItem(PPainterArea *area, QPoint p) override;
    void endPaintItem(PPainterArea *area, QPoint p) override;
};
