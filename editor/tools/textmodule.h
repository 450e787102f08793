#pragma once
#include "editor/graphmodule.h"

// The "Text" tool: a click opens a text box; a drag first draws a callout
// arrow (through the "Arrow" tool) from the press point to the pointer and
// opens the box at the release point, the arrow's tail following the box.
class TextModule : public GraphModule
{
    Q_OBJECT

public:
    explicit TextModule(QObject *parent = nullptr);
    void beginPaintItem(PPainterArea *area, QPoint p) override;
    void paintItem(PPainterArea *area, QPoint p) override;
    void endPaintItem(PPainterArea *area, QPoint p) override;

    bool isArrowStarted() const { return arrowStarted_; }

private:
    bool arrowStarted_ = false;
};
