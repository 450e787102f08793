#include "editor/tools/blackoutmodule.h"
#include "editor/editorlog.h"

#include <QDebug>

#include "editor/environment.h"
#include "editor/items/blackoutitem.h"
#include "editor/ppainterarea.h"

BlackoutModule::BlackoutModule(QObject *parent) : GraphModule(QStringLiteral("Blackout"), parent) {}

void BlackoutModule::beginPaintItem(PPainterArea *area, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    auto *item = new BlackoutItem(area);
    currentItem_ = item;
    initItem(item, area);
    item->setLineWidth(pryx::editor::Environment::current()->value(QStringLiteral("widthBlackoutLine")).toInt());
    pressPoint_ = p;
    item->setZ(100);
    connect(item, SIGNAL(updateBlackoutArea()), this, SIGNAL(updateBlackoutArea()));
}

void BlackoutModule::paintItem(PPainterArea *, QPoint p)
{
    if (auto *item = qobject_cast<BlackoutItem *>(currentItem_.data()))
        item->resize(QRectF(QRect(pressPoint_, p)));
}

void BlackoutModule::endPaintItem(PPainterArea *, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    auto *item = qobject_cast<BlackoutItem *>(currentItem_.data());
    if (!item)
        return;
    if (p == pressPoint_) {
        // A click leaves no hole: the item goes, so nothing is darkened.
        discardItem(item);
        emit updateBlackoutArea();
        return;
    }
    item->resize(QRectF(QRect(pressPoint_, p)));
    emit currentItemChange(item);
    item->normalizeRect();
    emit createNewBlackoutItem(item);
    addItem(item);
}
