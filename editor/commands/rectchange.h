#pragma once
#include <QRectF>

#include "editor/commands/abstracthistorycommand.h"

// Switches a rectangle-family item (RectItem and its subclasses) between
// two shape rectangles.
class RectChange : public AbstractHistoryCommand
{
public:
    RectChange(AbstractGraphItem *item, QRectF redoRect, QRectF undoRect);
    void undo() override;
    void redo() override;

private:
    void apply(const QRectF &rect);
    QRectF redoRect_;
    QRectF undoRect_;
};
