#include "editor/commands/movecommand.h"
#include "editor/editorlog.h"

#include <QDebug>

MoveCommand::MoveCommand(AbstractGraphItem *item, QPointF redoPos, QPointF undoPos)
    : AbstractHistoryCommand(item), redoPos_(redoPos), undoPos_(undoPos)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << redoPos << undoPos;
}

void MoveCommand::redo()
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << redoPos_;
    if (item_)
        item_->move(redoPos_.x(), redoPos_.y());
    setText(QStringLiteral("Move"));
}

void MoveCommand::undo()
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << undoPos_;
    if (item_)
        item_->move(undoPos_.x(), undoPos_.y());
    setText(QStringLiteral("Move at %1 %2").arg(undoPos_.x(), 0, 'g').arg(undoPos_.y(), 0, 'g'));
}
