#include "editor/commands/linechange.h"
#include "editor/editorlog.h"
#include "editor/items/lineitem.h"

#include <QDebug>

LineChange::LineChange(LineItem *item, QLineF redoLine, QLineF undoLine)
    : AbstractHistoryCommand(item), line_(item), redoLine_(redoLine), undoLine_(undoLine)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << redoLine << undoLine;
}

void LineChange::apply(const QLineF &line)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << line;
    if (!line_)
        return;
    line_->resetLine();
    line_->setLine(line.p1(), line.p2());
}

void LineChange::redo()
{
    apply(redoLine_);
    setText(QStringLiteral("Line change"));
}

void LineChange::undo() { apply(undoLine_); }
