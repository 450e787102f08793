#include "editor/commands/linewidthchange.h"

LineWidthChange::LineWidthChange(AbstractGraphItem *item, int redoWidth, int undoWidth)
    : AbstractHistoryCommand(item), redoWidth_(redoWidth), undoWidth_(undoWidth)
{
}

void LineWidthChange::redo()
{
    if (item_)
        item_->setLineWidth(redoWidth_);
    setText(QStringLiteral("Line width change"));
}

void LineWidthChange::undo()
{
    if (item_)
        item_->setLineWidth(undoWidth_);
}
