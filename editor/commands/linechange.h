#pragma once
#include <QLineF>
#include <QPointer>

#include "editor/commands/abstracthistorycommand.h"

class LineItem;

// Switches a line or arrow between two segments: resetLine(), then the
// item's own setLine with the segment's two ends.
class LineChange : public AbstractHistoryCommand
{
public:
    LineChange(LineItem *item, QLineF redoLine, QLineF undoLine);
    void undo() override;
    void redo() override;

private:
    void apply(const QLineF &line);
    QPointer<LineItem> line_;
    QLineF redoLine_;
    QLineF undoLine_;
};
