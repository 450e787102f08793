#include "editor/tools/arrowmodule.h"
#include "editor/editorlog.h"

#include <QDebug>

#include "editor/items/arrowitem.h"
#include "editor/ppainterarea.h"

ArrowModule::ArrowModule(QObject *parent) : GraphModule(QStringLiteral("Arrow"), parent) {}

void ArrowModule::beginPaintItem(PPainterArea *area, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    auto *item = new ArrowItem(area);
    item->setReversed(false);
    currentItem_ = item;
    initItem(item, area);
    pressPoint_ = p;
    addItem(item);
}

void ArrowModule::paintItem(PPainterArea *, QPoint p)
{
    if (auto *item = qobject_cast<ArrowItem *>(currentItem_.data()))
        item->dragLine(pressPoint_, p);
}

void ArrowModule::endPaintItem(PPainterArea *, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    auto *item = qobject_cast<ArrowItem *>(currentItem_.data());
    if (!item || p == pressPoint_)
        return;
    item->dragLine(pressPoint_, p);
    emit currentItemChange(item);
}
