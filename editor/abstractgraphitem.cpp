#include "editor/abstractgraphitem.h"

#include <QCursor>
#include <QDebug>
#include <QHoverEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QUndoStack>

#include "editor/commands/deletecommand.h"
#include "editor/commands/movecommand.h"
#include "editor/cursors.h"
#include "editor/ppainterarea.h"

AbstractGraphItem::AbstractGraphItem(QQuickItem *parent) : AbstractGraphItem(QString(), parent) {}

AbstractGraphItem::AbstractGraphItem(const QString &name, QQuickItem *parent)
    : QQuickPaintedItem(parent), name_(name), area_(qobject_cast<PPainterArea *>(parent))
{
    setAcceptHoverEvents(true);
    setAcceptedMouseButtons(Qt::LeftButton);
}

AbstractGraphItem::~AbstractGraphItem() = default;

void AbstractGraphItem::move(double, double) {}

void AbstractGraphItem::rebuildKeyPosition() {}

void AbstractGraphItem::rescale(double ratio)
{
    move(itemRect_.x() * ratio, itemRect_.y() * ratio);
}

void AbstractGraphItem::setChecked(bool checked)
{
    if (checked_ == checked)
        return;
    checked_ = checked;
    setFocus(checked);
    if (raiseOnCheck_ && area_)
        setZ(area_->nextZ());
    update();
    emit checkChanged(checked);
}

void AbstractGraphItem::setColor(QColor color)
{
    if (color_ == color)
        return;
    color_ = color;
    update();
    emit colorChanged(color);
}

void AbstractGraphItem::setLineWidth(int width)
{
    if (lineWidth_ == width)
        return;
    lineWidth_ = width;
    update();
    rebuildKeyPosition();
    emit lineWidthChanged(width);
}

void AbstractGraphItem::setSubstrate(bool substrate)
{
    if (substrate_ == substrate)
        return;
    substrate_ = substrate;
    update();
    rebuildKeyPosition();
}

void AbstractGraphItem::preparePainter(QPainter *painter)
{
    QPen pen(color_, lineWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter->setPen(pen);
    // (Qt's high-quality hint is the plain antialiasing one in Qt 5.15.)
    painter->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter->setBrush(QBrush(filled_ ? color_ : QColor(Qt::transparent), Qt::SolidPattern));
}

void AbstractGraphItem::storeItemRect()
{
    itemRect_ = QRectF(x(), y(), width(), height());
}

void AbstractGraphItem::pushMove(QPointF from)
{
    if (area_)
        area_->undoStack()->push(new MoveCommand(this, QPointF(x(), y()), from));
}

void AbstractGraphItem::hoverMoveEvent(QHoverEvent *event)
{
    setCursor(pryx::editor::crossCursor());
    if (!area_)
        return;
    const bool moveTool = area_->isCurrentModule(QStringLiteral("Move"));
    if (!checked_ && !moveTool)
        return;

    onKey_ = resizeLeft_ = resizeTop_ = resizeRight_ = resizeBottom_ = sideKey_ = false;
    hoveredKey_ = QPointF(0, 0);
    const QPointF pos = event->posF();
    for (const QPointF &p : qAsConst(keyPositions_)) {
        if (QRect(int(p.x() - 3), int(p.y() - 3), 6, 6).contains(pos.toPoint())) {
            if (!keyGrabbed_)
                hoveredKey_ = p;
            onKey_ = true;
        }
    }
    if (!onKey_) {
        if (moveTool)
            setCursor(Qt::SizeAllCursor);
        return;
    }
    if (!checked_)
        return;

    int maxX = 0, maxY = 0, minX = 0, minY = 0;
    for (const QPointF &p : qAsConst(keyPositions_)) {
        const int px = int(p.x()), py = int(p.y());
        maxX = qMax(maxX, px);
        maxY = qMax(maxY, py);
        minX = (minX == 0 || px < minX) ? px : minX;
        minY = (minY == 0 || py < minY) ? py : minY;
    }
    const double hx = hoveredKey_.x(), hy = hoveredKey_.y();
    if (minX < hx && hx < maxX && minY < hy && hy < maxY) {
        setCursor(Qt::SizeAllCursor);
        sideKey_ = true;
    } else if (hx == minX && hy == minY) {
        setCursor(Qt::SizeFDiagCursor);
        resizeLeft_ = resizeTop_ = true;
    } else if (hx == maxX && hy == maxY) {
        setCursor(Qt::SizeFDiagCursor);
        resizeRight_ = resizeBottom_ = true;
    } else if (hx == maxX && hy == minY) {
        setCursor(Qt::SizeBDiagCursor);
        resizeRight_ = resizeTop_ = true;
    } else if (hx == minX && hy == maxY) {
        setCursor(Qt::SizeBDiagCursor);
        resizeLeft_ = resizeBottom_ = true;
    } else if (minX < hx && hx < maxX) {
        setCursor(Qt::SizeVerCursor);
        sideKey_ = true;
        (hy == minY ? resizeTop_ : resizeBottom_) = true;
    } else if (minY < hy && hy < maxY) {
        setCursor(Qt::SizeHorCursor);
        sideKey_ = true;
        (hx == minX ? resizeLeft_ : resizeRight_) = true;
    }
}

void AbstractGraphItem::mousePressEvent(QMouseEvent *event)
{
    posAtPress_ = QPointF(x(), y());
    moved_ = false;
    if (!area_)
        return;
    const bool moveTool = area_->isCurrentModule(QStringLiteral("Move"));
    if (!moveTool && !onKey_)
        event->ignore();
    if (moveTool) {
        area_->clearSelection();
        if (!checked_) {
            checked_ = true;
            setFocus(true);
            if (raiseOnCheck_)
                setZ(area_->nextZ());
            update();
            emit checkChanged(true);
        }
    }
    if (hoveredKey_ != QPointF(0, 0))
        keyGrabbed_ = true;
}

void AbstractGraphItem::mouseMoveEvent(QMouseEvent *)
{
    emit updated();
}

void AbstractGraphItem::mouseReleaseEvent(QMouseEvent *)
{
    keyGrabbed_ = false;
    if (moved_) {
        pushMove(posAtPress_);
        moved_ = false;
    }
}

void AbstractGraphItem::keyPressEvent(QKeyEvent *event)
{
    QQuickPaintedItem::keyPressEvent(event);
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        spaceHeld_ = true;
    const int step = event->modifiers().testFlag(Qt::ShiftModifier) ? 10 : 1;
    const QPointF old(x(), y());
    QPointF to;
    switch (event->key()) {
    case Qt::Key_Up: to = QPointF(x(), y() - step); break;
    case Qt::Key_Down: to = QPointF(x(), y() + step); break;
    case Qt::Key_Right: to = QPointF(x() + step, y()); break;
    case Qt::Key_Left: to = QPointF(x() - step, y()); break;
    case Qt::Key_Delete:
        event->accept();
        setVisible(false);
        if (area_)
            area_->undoStack()->push(new DeleteCommand(this));
        return;
    default:
        return;
    }
    event->accept();
    move(to.x(), to.y());
    if (area_)
        area_->undoStack()->push(new MoveCommand(this, to, old));
}

void AbstractGraphItem::keyReleaseEvent(QKeyEvent *event)
{
    QQuickPaintedItem::keyReleaseEvent(event);
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        spaceHeld_ = false;
}

void AbstractGraphItem::paint(QPainter *painter)
{
    if (!checked_ || keyPositions_.isEmpty())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    QPen pen(QColor(QStringLiteral("#ffffff")));
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(QBrush(QColor(QStringLiteral("#000000")), Qt::SolidPattern));
    painter->setOpacity(0.6);
    const auto circle = [painter](const QPointF &p) {
        painter->drawEllipse(QPointF(int(p.x()), int(p.y())), 5, 5);
    };
    if (keyPositions_.size() == 1) {
        circle(keyPositions_.first());
    } else {
        for (int i = 0; i < keyPositions_.size() - 1; ++i)
            circle(keyPositions_.at(i));
        const QPointF c = keyPositions_.last();
        const QPixmap &symbol = pryx::editor::centerKeySymbol();
        if (!symbol.isNull())
            painter->drawPixmap(QRect(int(c.x() - 4), int(c.y() - 4), 9, 9), symbol);
        else
            circle(c);
    }
    painter->restore();
}

bool AbstractGraphItem::handleDragRect(const QRectF &rect, const QSizeF &proportions, bool shift,
                                       double &dx, double &dy, QRectF *next) const
{
    const double pw = proportions.width(), ph = proportions.height();
    if (shift && !sideKey_ && pw != 0 && ph != 0) {
        const bool negate = (resizeTop_ && resizeRight_) || (resizeLeft_ && resizeBottom_);
        if (dx == 0)
            dx = (pw / ph) * dy * (negate ? -1 : 1);
        else
            dy = (ph / pw) * dx * (negate ? -1 : 1);
    }
    const double X = rect.x(), Y = rect.y(), W = rect.width(), H = rect.height();
    if (resizeTop_ && resizeLeft_)
        *next = QRectF(X - dx, Y - dy, W + dx, H + dy);
    else if (resizeTop_ && resizeRight_)
        *next = QRectF(X, Y - dy, W - dx, H + dy);
    else if (resizeRight_ && resizeBottom_)
        *next = QRectF(X, Y, W - dx, H - dy);
    else if (resizeLeft_ && resizeBottom_)
        *next = QRectF(X - dx, Y, W + dx, H - dy);
    else if (resizeTop_ && sideKey_)
        *next = QRectF(X, Y - dy, W, H + dy);
    else if (resizeBottom_ && sideKey_)
        *next = QRectF(X, Y, W, H - dy);
    else if (resizeRight_ && sideKey_)
        *next = QRectF(X, Y, W - dx, H);
    else if (resizeLeft_ && sideKey_)
        *next = QRectF(X - dx, Y, W + dx, H);
    else
        return false;
    return true;
}
