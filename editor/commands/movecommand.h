#pragma once
#include <QPointF>

#include "editor/commands/abstracthistorycommand.h"

// Moves an item between two top-left positions.
class MoveCommand : public AbstractHistoryCommand
{
public:
    MoveCommand(AbstractGraphItem *item, QPointF redoPos, QPointF undoPos);
    void undo() override;
    void redo() override;

private:
    QPointF redoPos_;
    QPointF undoPos_;
};
