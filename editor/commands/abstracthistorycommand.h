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
    // Calls an invokable method of the item by name; warns when the item
    // has no such method (commands of items that live in other files).
    bool invokeOnItem(const char *method, QGenericArgument a = QGenericArgument(nullptr),
                      QGenericArgument b = QGenericArgument(nullptr)) const;

    QPointer<AbstractGraphItem> item_;
};
