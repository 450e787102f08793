#pragma once
#include "editor/graphmodule.h"

// A tool that draws nothing on the area: "Ponoram" (the panorama capture
// runs elsewhere), and the name holder of a tool whose module is not yet in
// the registry.
class IdleModule : public GraphModule
{
    Q_OBJECT

public:
    explicit IdleModule(const QString &name, QObject *parent = nullptr);
    void beginPaintItem(PPainterArea *area, QPoint p) override;
    void paintItem(PPainterArea *area, QPoint p) override;
    void endPaintItem(PPainterArea *area, QPoint p) override;
};
