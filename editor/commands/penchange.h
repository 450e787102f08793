#pragma once
#include <QRectF>

#include "editor/commands/abstracthistorycommand.h"

// Switches a pen or marker stroke between two rectangles; calls the item's
// invokable setRect(QRectF).
class PenChange : public AbstractHistoryCommand
{
public:
    PenChange(AbstractGraphItem *item, QRectF redoRect, QRectF undoRect);
    void undo() override;
    void redo() override;

private:
    QRectF redoRect_;
    QRectF undoRect_;
};
