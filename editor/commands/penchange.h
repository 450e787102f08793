#pragma once
#include <QPointer>
#include <QRectF>

#include "editor/commands/abstracthistorycommand.h"

class PenItem;

// Switches a pen or marker stroke between two rectangles.
class PenChange : public AbstractHistoryCommand
{
public:
    PenChange(PenItem *item, QRectF redoRect, QRectF undoRect);
    void undo() override;
    void redo() override;

private:
    QPointer<PenItem> pen_;
    QRectF redoRect_;
    QRectF undoRect_;
};
