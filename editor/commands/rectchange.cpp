#include "editor/commands/rectchange.h"

#include "editor/items/rectitem.h"

RectChange::RectChange(AbstractGraphItem *item, QRectF redoRect, QRectF undoRect)
    : AbstractHistoryCommand(item), redoRect_(redoRect), undoRect_(undoRect)
{
}

void RectChange::apply(const QRectF &rect)
{
    if (auto *rectItem = qobject_cast<RectItem *>(item_.data()))
        rectItem->applyRect(rect);
}

void RectChange::redo()
{
    apply(redoRect_);
    setText(QStringLiteral("Rect change"));
}

void RectChange::undo() { apply(undoRect_); }
