#pragma once
#include "editor/commands/abstracthistorycommand.h"

// Switches an item between two colour positions (and their colours).
class ColorChange : public AbstractHistoryCommand
{
public:
    ColorChange(AbstractGraphItem *item, int redoX, int undoX);
    void undo() override;
    void redo() override;

private:
    void apply(int x);
    int redoX_;
    int undoX_;
};
