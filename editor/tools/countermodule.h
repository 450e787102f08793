#pragma once
#include "editor/graphmodule.h"

// The "Counter" tool: each click places the next number; a drag draws a
// rectangle with the number at a corner.
class CounterModule : public GraphModule
{
    Q_OBJECT

public:
    explicit CounterModule(QObject *parent = nullptr);
    void beginPaintItem(PPainterArea *area, QPoint p) override;
    void paintItem(PPainterArea *area, QPoint p) override;
    void endPaintItem(PPainterArea *area, QPoint p) override;
    // The number the next counter gets.
    int nextNumber() const;
};
