#include "editor/commands/colorchange.h"
#include "editor/editorlog.h"

#include <QDebug>

#include "editor/environment.h"

ColorChange::ColorChange(AbstractGraphItem *item, int redoX, int undoX)
    : AbstractHistoryCommand(item), redoX_(redoX), undoX_(undoX)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << redoX << undoX;
}

void ColorChange::apply(int x)
{
    if (!item_)
        return;
    item_->setColorX(x);
    item_->setColor(pryx::editor::Environment::current()->colorFromX(x));
}

void ColorChange::redo()
{
    apply(redoX_);
    setText(QStringLiteral("Color change"));
}

void ColorChange::undo() { apply(undoX_); }
