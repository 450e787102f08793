#pragma once
#include "editor/commands/abstracthistorycommand.h"

// Hides a deleted item; undo shows it again. The item itself survives.
class DeleteCommand : public AbstractHistoryCommand
{
public:
    explicit DeleteCommand(AbstractGraphItem *item);
    void undo() override;
    void redo() override;
};
