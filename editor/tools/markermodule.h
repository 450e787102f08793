#pragma once
#include "editor/tools/penmodule.h"

// The "Marker" tool: the pen's stroke as a highlighter.
class MarkerModule : public PenModule
{
    Q_OBJECT

public:
    explicit MarkerModule(QObject *parent = nullptr);

protected:
    PenItem *createItem(PPainterArea *area) override;
};
