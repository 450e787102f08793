#include "editor/items/blackoutitem.h"
#include "editor/editorlog.h"

#include <QCursor>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>

#include "editor/ppainterarea.h"

BlackoutItem::BlackoutItem(QQuickItem *parent) : RectItem(QStringLiteral("Blackout"), parent)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO;
    setRaiseOnCheck(false);
    // Deleting or undoing hides the item: its hole closes at once.
    connect(this, &QQuickItem::visibleChanged, this, &BlackoutItem::updateBlackoutArea);
}

void BlackoutItem::resize(QRectF r)
{
    RectItem::resize(r);
    updateGeometry(m_rect);
    buildKeyPositions();
    update();
    emit updateBlackoutArea();
}

void BlackoutItem::updateGeometry(QRectF r)
{
    const QRectF n = r.normalized();
    setX(n.x() - 5);
    setY(n.y() - 5);
    setWidth(n.width() + 10);
    setHeight(n.height() + 10);
    storeItemRect();
    // Every change of the rectangle (also undo and redo) moves the hole.
    emit updateBlackoutArea();
}

void BlackoutItem::move(double x, double y)
{
    RectItem::move(x, y);
    emit updateBlackoutArea();
}

void BlackoutItem::paint(QPainter *painter)
{
    preparePainter(painter);
    AbstractGraphItem::paint(painter);
}

void BlackoutItem::resizeToCursor()
{
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton) || !area_)
        return;
    resize(QRectF(m_rect.topLeft(), area_->mapFromGlobal(QCursor::pos())));
}

void BlackoutItem::keyPressEvent(QKeyEvent *event)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << event->key();
    EventModifierScope scope(area_, event->modifiers());
    resizeToCursor();
    AbstractGraphItem::keyPressEvent(event);
    emit updateBlackoutArea();
    update();
}

void BlackoutItem::keyReleaseEvent(QKeyEvent *event)
{
    EventModifierScope scope(area_, event->modifiers());
    resizeToCursor();
    AbstractGraphItem::keyReleaseEvent(event);
    emit updateBlackoutArea();
    update();
}

void BlackoutItem::mousePressEvent(QMouseEvent *event)
{
    RectItem::mousePressEvent(event);
    updateGeometry(m_rect);
    buildKeyPositions();
}

void BlackoutItem::mouseMoveEvent(QMouseEvent *event)
{
    RectItem::mouseMoveEvent(event);
    updateGeometry(m_rect);
    buildKeyPositions();
    emit updateBlackoutArea();
}

void BlackoutItem::mouseReleaseEvent(QMouseEvent *event)
{
    RectItem::mouseReleaseEvent(event);
    updateGeometry(m_rect);
    buildKeyPositions();
}
