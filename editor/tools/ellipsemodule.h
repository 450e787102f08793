#pragma once
#include "editor/tools/rectmodule.h"

// The "Ellipse" tool: the rectangle gesture with an ellipse item.
class EllipseModule : public RectModule
{
    Q_OBJECT

public:
    explicit EllipseModule(QObject *parent = nullptr);

protected:
    RectItem *createItem(PPainterArea *area) override;
};
