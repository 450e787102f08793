#pragma once
#include "editor/graphmodule.h"

class BlackoutItem;

// The "Blackout" tool: rectangles that stay bright while the blackout
// layer darkens the rest of the selection.
class BlackoutModule : public GraphModule
{
    Q_OBJECT

public:
    explicit BlackoutModule(QObject *parent = nullptr);
    void beginPaintItem(PPainterArea *area, QPoint p) override;
    void paintItem(PPainterArea *area, QPoint p) override;
    void endPaintItem(PPainterArea *area, QPoint p) override;

signals:
    void createNewBlackoutItem(BlackoutItem *item);
};
