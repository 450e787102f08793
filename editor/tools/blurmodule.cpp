#include "editor/tools/blurmodule.h"
#include "editor/editorlog.h"

#include <QDebug>

#include "editor/environment.h"
#include "editor/items/bluritem.h"
#include "editor/ppainterarea.h"

BlurModule::BlurModule(QObject *parent) : GraphModule(QStringLiteral("Blur"), parent) {}

void BlurModule::beginPaintItem(PPainterArea *area, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    auto *item = new BlurItem(area);
    item->radiusChange(15);
    connect(item, SIGNAL(lineWidthChanged(int)), item, SLOT(radiusChange(int)));
    currentItem_ = item;
    initItem(item, area);
    item->setLineWidth(pryx::editor::Environment::current()->value(QStringLiteral("widthBlureLine")).toInt());
    pressPoint_ = p;
    item->resize(QRectF(QRect(p, p)));
    // Beneath the blackout layer and every other item.
    item->setZ(area->z() + 1);
}

void BlurModule::paintItem(PPainterArea *, QPoint p)
{
    if (auto *item = qobject_cast<BlurItem *>(currentItem_.data()))
        item->resize(QRectF(QRect(pressPoint_, p)));
}

void BlurModule::endPaintItem(PPainterArea *, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    auto *item = qobject_cast<BlurItem *>(currentItem_.data());
    if (!item)
        return;
    if (p == pressPoint_) {
        // A click leaves no blur outside the undo history.
        discardItem(item);
        return;
    }
    item->resize(QRectF(QRect(pressPoint_, p)));
    emit currentItemChange(item);
    item->normalizeRect();
    addItem(item);
}
