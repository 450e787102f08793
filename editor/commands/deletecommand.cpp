#include "editor/commands/deletecommand.h"

#include <QDebug>

DeleteCommand::DeleteCommand(AbstractGraphItem *item) : AbstractHistoryCommand(item) {}

void DeleteCommand::redo()
{
    qDebug() << Q_FUNC_INFO;
    if (item_)
        item_->setVisible(false);
    setText(QStringLiteral("Delete command"));
}

void DeleteCommand::undo()
{
    qDebug() << Q_FUNC_INFO;
    if (item_)
        item_->setVisible(true);
}
