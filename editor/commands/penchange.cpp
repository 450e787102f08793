#include "editor/commands/penchange.h"

#include "editor/items/penitem.h"

PenChange::PenChange(PenItem *item, QRectF redoRect, QRectF undoRect)
    : AbstractHistoryCommand(item), pen_(item), redoRect_(redoRect), undoRect_(undoRect)
{
}

void PenChange::redo()
{
    if (pen_)
        pen_->setRect(redoRect_);
    setText(QStringLiteral("Pen change"));
}

void PenChange::undo()
{
    if (pen_)
        pen_->setRect(undoRect_);
}
