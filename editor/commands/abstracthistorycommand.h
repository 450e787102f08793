#pragma once
// Base of the annotation undo commands: the item that a command changes.

#include <QPointer>
#include <QUndoCommand>

#include "editor/abstractgraphitem.h"

class AbstractHistoryCommand : public QUndoCommand
{
public:
    explicit AbstractHistoryCommand(AbstractGraphItem *item);
    ~AbstractHistoryCommand() override;

    AbstractGraphItem *item() const { return item_; }

protected:
    QPointer<AbstractGraphItem> item_;
};
