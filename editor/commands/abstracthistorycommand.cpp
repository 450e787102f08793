#include "editor/commands/abstracthistorycommand.h"
#include "editor/editorlog.h"

#include <QDebug>
#include <QMetaObject>

AbstractHistoryCommand::AbstractHistoryCommand(AbstractGraphItem *item) : item_(item) {}

AbstractHistoryCommand::~AbstractHistoryCommand() = default;

bool AbstractHistoryCommand::invokeOnItem(const char *method, QGenericArgument a, QGenericArgument b) const
{
    if (!item_)
        return false;
    const bool ok = QMetaObject::invokeMethod(item_.data(), method, Qt::DirectConnection, a, b);
    if (!ok)
        qCWarning(pryx::lcEditor) << Q_FUNC_INFO << "item" << item_->name() << "has no invokable" << method;
    return ok;
}
