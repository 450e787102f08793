#include "editor/tools/countermodule.h"
#include "editor/editorlog.h"

#include <QDebug>

#include "editor/items/counteritem.h"
#include "editor/ppainterarea.h"

CounterModule::CounterModule(QObject *parent) : GraphModule(QStringLiteral("Counter"), parent) {}

int CounterModule::nextNumber() const
{
    int highest = 0;
    for (AbstractGraphItem *item : items())
        if (auto *counter = qobject_cast<CounterItem *>(item))
            if (counter->isVisible())
                highest = qMax(highest, counter->number());
    return highest + 1;
}

void CounterModule::beginPaintItem(PPainterArea *area, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    currentItem_ = nullptr;
    CounterItem *hit = nullptr;
    for (QQuickItem *child : area->childItems()) {
        auto *counter = qobject_cast<CounterItem *>(child);
        if (counter && counter->isVisible() && (!hit || counter->z() >= hit->z())
            && counter->circlePath().contains(counter->mapFromItem(area, QPointF(p))))
            hit = counter;
    }
    if (hit) {
        // A click on a counter selects it instead of stacking a new one.
        emit currentItemChange(hit);
        return;
    }
    auto *item = new CounterItem(area);
    item->setNumber(nextNumber());
    currentItem_ = item;
    initItem(item, area);
    pressPoint_ = p;
}

void CounterModule::paintItem(PPainterArea *, QPoint p)
{
    if (auto *item = qobject_cast<CounterItem *>(currentItem_.data()))
        item->resize(QRectF(QRect(pressPoint_, p)));
}

void CounterModule::endPaintItem(PPainterArea *area, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    auto *item = qobject_cast<CounterItem *>(currentItem_.data());
    if (!item)
        return;
    item->resize(QRectF(QRect(pressPoint_, p)));
    item->setPlaced(true);
    initItem(item, area);
    emit currentItemChange(item);
    const QPoint P = pressPoint_;
    bool right = false, down = true;
    if (p.x() < P.x() && p.y() < P.y()) {
        down = false;
    } else if (p.x() > P.x()) {
        right = p.y() != P.y();
        down = p.y() >= P.y();
    }
    item->setLabelCorner(right, down);
    item->update();
    item->normalizeRect();
    addItem(item);
}
