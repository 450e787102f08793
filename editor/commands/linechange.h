#pragma once
#include <QLineF>

#include "editor/commands/abstracthistorycommand.h"

// Switches a line or arrow between two segments; calls the item's
// invokables resetLine() and setLine(QPointF, QPointF) (an arrow's own
// setLine is found first, since it is the most derived).
class LineChange : public AbstractHistoryCommand
{
public:
    LineChange(AbstractGraphItem *item, QLineF redoLine, QLineF undoLine);
    void undo() override;
    void redo() override;

private:
    void apply(const QLineF &line);
    QLineF redoLine_;
    QLineF undoLine_;
};
