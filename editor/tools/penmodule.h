#pragma once
#include "editor/graphmodule.h"

class PenItem;
class ThreadAliasingPoint;

// The "Pen" tool: a freehand stroke smoothed on a worker thread; Shift
// draws a straight segment to the pointer.
class PenModule : public GraphModule
{
    Q_OBJECT

public:
    explicit PenModule(QObject *parent = nullptr);
    ~PenModule() override;
    void beginPaintItem(PPainterArea *area, QPoint p) override;
    void paintItem(PPainterArea *area, QPoint p) override;
    void endPaintItem(PPainterArea *area, QPoint p) override;

    ThreadAliasingPoint *smoother() const { return smoother_; }

protected:
    PenModule(const QString &name, QObject *parent);
    virtual PenItem *createItem(PPainterArea *area);

    ThreadAliasingPoint *smoother_ = nullptr;
};
