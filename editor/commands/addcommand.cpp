#include "editor/commands/addcommand.h"

#include <QDebug>

AddCommand::AddCommand(AbstractGraphItem *item) : AbstractHistoryCommand(item) {}

void AddCommand::redo()
{
    qDebug() << Q_FUNC_INFO;
    if (item_)
        item_->setVisible(true);
    setText(QStringLiteral("Add command"));
}

void AddCommand::undo()
{
    qDebug() << Q_FUNC_INFO;
    if (item_)
        item_->setVisible(false);
}
