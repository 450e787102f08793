#include "editor/tools/textmodule.h"
#include "editor/editorlog.h"

#include <QDebug>

#include "editor/items/arrowitem.h"
#include "editor/items/textitem.h"
#include "editor/ppainterarea.h"

TextModule::TextModule(QObject *parent) : GraphModule(QStringLiteral("Text"), parent) {}

void TextModule::beginPaintItem(PPainterArea *, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    arrowStarted_ = false;
    pressPoint_ = p;
}

void TextModule::paintItem(PPainterArea *area, QPoint p)
{
    if (p == pressPoint_)
        return;
    GraphModule *arrows = area->findModule(QStringLiteral("Arrow"));
    if (!arrows)
        return;
    if (!arrowStarted_) {
        arrows->beginPaintItem(area, pressPoint_);
        arrowStarted_ = true;
        return;
    }
    arrows->paintItem(area, p);
    if (auto *arrow = qobject_cast<ArrowItem *>(arrows->lastItem())) {
        // The tip stays at the press point.
        arrow->setReversed(true);
        arrow->resetLine();
        arrow->setLineWidth(2);
        arrow->setLine(p, pressPoint_);
    }
}

void TextModule::endPaintItem(PPainterArea *area, QPoint p)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << p;
    auto *item = new TextItem(area);
    currentItem_ = item;
    initItem(item, area);
    item->setTextRect(QRectF(QRect(QPoint(p.x(), p.y() - 8), QPoint(p.x() + 124, p.y() + 8))));

    GraphModule *arrows = area->findModule(QStringLiteral("Arrow"));
    auto *arrow = arrowStarted_ && arrows ? qobject_cast<ArrowItem *>(arrows->lastItem()) : nullptr;
    if (arrow && p != pressPoint_) {
        arrow->setChecked(false);
        // Also when the drag had a single move.
        arrow->setLineWidth(2);
        arrow->setLine(p, pressPoint_);
        arrow->setReversed(false);
        item->setArrow(arrow);
        arrow->resetLine();
        arrow->setLine(p, pressPoint_);
        arrow->setTextItem(item);
    } else if (arrow && arrow->isReversed()) {
        // An arrow left without a text is an ordinary arrow: its line is
        // stored from start to tip like any other.
        const QPointF start = arrow->start(), tip = arrow->tip();
        arrow->setReversed(false);
        arrow->resetLine();
        arrow->setLine(start, tip);
    }

    addItem(item);
    item->setFocus(true);
    item->startEditing();
    item->calcGeometry(false);
    item->update();
    emit currentItemChange(item);
    arrowStarted_ = false;
}
