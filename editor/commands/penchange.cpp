#include "editor/commands/penchange.h"

PenChange::PenChange(AbstractGraphItem *item, QRectF redoRect, QRectF undoRect)
    : AbstractHistoryCommand(item), redoRect_(redoRect), undoRect_(undoRect)
{
}

void PenChange::redo()
{
    invokeOnItem("setRect", Q_ARG(QRectF, redoRect_));
    setText(QStringLiteral("Pen change"));
}

void PenChange::undo() { invokeOnItem("setRect", Q_ARG(QRectF, undoRect_)); }
