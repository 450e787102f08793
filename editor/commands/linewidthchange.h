#pragma once
#include "editor/commands/abstracthistorycommand.h"

// Switches an item between two line widths.
class LineWidthChange : public AbstractHistoryCommand
{
public:
    LineWidthChange(AbstractGraphItem *item, int redoWidth, int undoWidth);
    void undo() override;
    void redo() override;

private:
    int redoWidth_;
    int undoWidth_;
};
