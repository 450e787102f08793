#include "editor/tools/rectmodule.h"
#include "editor/editorlog.h"

#include <QDebug>

#include "editor/items/rectitem.h"
#include "editor/ppainterarea.h"

RectModule::RectModule(QObject *parent) : RectModule(QStringLiteral("Rect"), parent) {}

RectModule::RectModule(const QString &name, QObject *parent) : GraphModule(name, parent) {}

RectItem *RectModule::createItem(PPainterArea *area) { return new RectItem(area); }

void RectModule::beginPaintItem(PPainterArea *area, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    RectItem *item = createItem(area);
    currentItem_ = item;
    initItem(item, area);
    pressPoint_ = p;
}

void RectModule::paintItem(PPainterArea *area, QPoint p)
{
    auto *item = qobject_cast<RectItem *>(currentItem_.data());
    if (!item)
        return;
    item->resize(QRectF(QRect(pressPoint_, p)));
    item->setFilled(area->keyboardModifiers().testFlag(Qt::ControlModifier));
}

void RectModule::endPaintItem(PPainterArea *, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    auto *item = qobject_cast<RectItem *>(currentItem_.data());
    if (!item)
        return;
    if (p == pressPoint_) {
        // No shape: the item goes, instead of staying visible outside the
        // undo history.
        discardItem(item);
        return;
    }
    item->resize(QRectF(QRect(pressPoint_, p)));
    emit currentItemChange(item);
    item->normalizeRect();
    addItem(item);
}
