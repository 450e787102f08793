#include "editor/tools/linemodule.h"
#include "editor/editorlog.h"

#include <QDebug>

#include "editor/items/lineitem.h"
#include "editor/ppainterarea.h"

LineModule::LineModule(QObject *parent) : GraphModule(QStringLiteral("Line"), parent) {}

void LineModule::beginPaintItem(PPainterArea *area, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    auto *item = new LineItem(area);
    connect(item, &AbstractGraphItem::lineWidthChanged, item, &LineItem::checkLineWidth);
    currentItem_ = item;
    initItem(item, area);
    pressPoint_ = p;
}

void LineModule::paintItem(PPainterArea *, QPoint p)
{
    if (auto *item = qobject_cast<LineItem *>(currentItem_.data()))
        item->dragLine(pressPoint_, p);
}

void LineModule::endPaintItem(PPainterArea *, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    auto *item = qobject_cast<LineItem *>(currentItem_.data());
    if (!item)
        return;
    if (p == pressPoint_) {
        // A click draws no segment: the empty item goes at once.
        discardItem(item);
        return;
    }
    item->dragLine(pressPoint_, p);
    emit currentItemChange(item);
    addItem(item);
}
