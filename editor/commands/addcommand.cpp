#include "editor/commands/addcommand.h"
#include "editor/editorlog.h"

#include <QDebug>

AddCommand::AddCommand(AbstractGraphItem *item) : AbstractHistoryCommand(item) {}

void AddCommand::redo()
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO;
    if (item_)
        item_->setVisible(true);
    setText(QStringLiteral("Add command"));
}

void AddCommand::undo()
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO;
    if (item_)
        item_->setVisible(false);
}
