#include "editor/tools/penmodule.h"
#include "editor/editorlog.h"

#include <QDebug>

#include "editor/items/penitem.h"
#include "editor/ppainterarea.h"
#include "editor/smoothing.h"

PenModule::PenModule(QObject *parent) : PenModule(QStringLiteral("Pen"), parent) {}

PenModule::PenModule(const QString &name, QObject *parent)
    : GraphModule(name, parent), smoother_(new ThreadAliasingPoint(this))
{
}

PenModule::~PenModule() { smoother_->stopAndWait(); }

PenItem *PenModule::createItem(PPainterArea *area) { return new PenItem(area); }

void PenModule::beginPaintItem(PPainterArea *area, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    PenItem *item = createItem(area);
    currentItem_ = item;
    initItem(item, area);
    smoother_->startFor(item);
    item->addPoint(p);
    pressPoint_ = p;
}

void PenModule::paintItem(PPainterArea *area, QPoint p)
{
    auto *item = qobject_cast<PenItem *>(currentItem_.data());
    if (!item)
        return;
    if (area->keyboardModifiers() == Qt::ShiftModifier) {
        item->removeLastPoint();
        if (item->pointCount() < 5)
            for (int i = 0; i < 5; ++i)
                item->addPoint(p);
    }
    item->addPoint(p);
}

void PenModule::endPaintItem(PPainterArea *, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    auto *item = qobject_cast<PenItem *>(currentItem_.data());
    if (!item)
        return;
    // The run ends with a pass over the final points.
    smoother_->stopAndWait();
    emit currentItemChange(item);
    addItem(item);
}
