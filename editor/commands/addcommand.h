#pragma once
#include "editor/commands/abstracthistorycommand.h"

// Shows an added item; undo hides it.
class AddCommand : public AbstractHistoryCommand
{
public:
    explicit AddCommand(AbstractGraphItem *item);
    void undo() override;
    void redo() override;
};
