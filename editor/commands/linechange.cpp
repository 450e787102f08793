#include "editor/commands/linechange.h"
#include "editor/editorlog.h"

#include <QDebug>

LineChange::LineChange(AbstractGraphItem *item, QLineF redoLine, QLineF undoLine)
    : AbstractHistoryCommand(item), redoLine_(redoLine), undoLine_(undoLine)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << redoLine << undoLine;
}

void LineChange::apply(const QLineF &line)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << line;
    if (!item_)
        return;
    invokeOnItem("resetLine");
    invokeOnItem("setLine", Q_ARG(QPointF, line.p1()), Q_ARG(QPointF, line.p2()));
}

void LineChange::redo()
{
    apply(redoLine_);
    setText(QStringLiteral("Line change"));
}

void LineChange::undo() { apply(undoLine_); }
