#include "editor/graphmodule.h"

#include <QDebug>
#include <QUndoStack>

#include "editor/abstractgraphitem.h"
#include "editor/commands/addcommand.h"
#include "editor/environment.h"
#include "editor/ppainterarea.h"

GraphModule::GraphModule(const QString &name, QObject *parent) : QObject(parent), name_(name) {}

GraphModule::~GraphModule() = default;

void GraphModule::initItem(AbstractGraphItem *item, PPainterArea *area)
{
    item->setFocus(true);
    item->setZ(area->nextZ());
    item->setColor(area->currentColor());
    item->setLineWidth(area->currentLineWidth());
    item->setSubstrate(area->currentSubstrate());
    item->setColorX(area->currentColorX());
    pryx::editor::Environment::current()->sendEvent(QStringLiteral("tool"), QStringLiteral("use"), item->name());
    connect(item, SIGNAL(checkChanged(bool)), this, SLOT(itemChecked(bool)));
    connect(item, SIGNAL(updated()), area, SLOT(updateBlurItem()));
}

void GraphModule::addItem(AbstractGraphItem *item)
{
    PPainterArea *area = item->area();
    if (area && area->keyboardModifiers() == Qt::ControlModifier)
        item->setFilled(true);
    if (area)
        area->undoStack()->push(new AddCommand(item));
    items_.append(item);
}

void GraphModule::discardItem(AbstractGraphItem *item)
{
    if (!item)
        return;
    if (currentItem_ == item)
        currentItem_ = nullptr;
    item->setVisible(false);
    item->setParentItem(nullptr);
    item->deleteLater();
}

AbstractGraphItem *GraphModule::currentItem() const { return currentItem_; }

AbstractGraphItem *GraphModule::lastItem() const
{
    for (int i = items_.size() - 1; i >= 0; --i)
        if (items_.at(i))
            return items_.at(i);
    return nullptr;
}

QList<AbstractGraphItem *> GraphModule::items() const
{
    QList<AbstractGraphItem *> out;
    for (const auto &item : items_)
        if (item)
            out.append(item);
    return out;
}

void GraphModule::itemChecked(bool checked)
{
    if (checked)
        if (auto *item = qobject_cast<AbstractGraphItem *>(sender()))
            emit currentItemChange(item);
}
