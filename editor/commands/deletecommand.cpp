#include "editor/commands/deletecommand.h"
#include "editor/editorlog.h"

#include <QDebug>

DeleteCommand::DeleteCommand(AbstractGraphItem *item) : AbstractHistoryCommand(item) {}

void DeleteCommand::redo()
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO;
    if (item_)
        item_->setVisible(false);
    setText(QStringLiteral("Delete command"));
}

void DeleteCommand::undo()
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO;
    if (item_)
        item_->setVisible(true);
}
