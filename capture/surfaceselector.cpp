#include "capture/surfaceselector.h"

#include <QCursor>
#include <QHoverEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QQuickWindow>
#include <QSGRectangleNode>

const char *const SurfaceSelector::kCursorPath = ":/cursor/image/cursor/cross_cursor.png";

QCursor SurfaceSelector::crossCursor()
{
    const QPixmap pm(QString::fromLatin1(kCursorPath));
    if (pm.isNull())
        return QCursor(Qt::CrossCursor);
    return QCursor(pm, -1, -1);
}

SurfaceSelector::SurfaceSelector(QQuickItem *parent)
    : QQuickItem(parent)
{
    // Drawn as scene-graph rectangles: no buffer the size of the desktop.
    setFlag(ItemHasContents, true);
    setClip(true);
    const QPoint p = QCursor::pos();
    gx_ = p.x();
    gy_ = p.y();
    firstDraw_ = true;
    emit firstDrawChanged(true);
    isPress_ = false;
    emit isPressChanged(false);
    setObjectName(QStringLiteral("SurfaceSelector"));
    setAcceptedMouseButtons(Qt::AllButtons);
    setAcceptHoverEvents(true);
    setCursor(crossCursor());
}

static int trunc(qreal v) { return int(v); }

int SurfaceSelector::rubberRectLeft() const { return trunc(rubberRect().left()); }
int SurfaceSelector::rubberRectRight() const { const QRectF r = rubberRect(); return trunc(r.left() + r.width()); }
int SurfaceSelector::rubberRectTop() const { return trunc(rubberRect().top()); }
int SurfaceSelector::rubberRectBottom() const { const QRectF r = rubberRect(); return trunc(r.top() + r.height()); }
int SurfaceSelector::gRubberRectLeft() const { return trunc(gRect_.normalized().left()); }
int SurfaceSelector::gRubberRectRight() const { const QRectF r = gRect_.normalized(); return trunc(r.left() + r.width()); }
int SurfaceSelector::gRubberRectTop() const { return trunc(gRect_.normalized().top()); }
int SurfaceSelector::gRubberRectBottom() const { const QRectF r = gRect_.normalized(); return trunc(r.top() + r.height()); }

void SurfaceSelector::setFullScreen(bool value)
{
    if (fullScreen_ == value)
        return;
    fullScreen_ = value;
    emit fullScreenChanged(value);
}

void SurfaceSelector::setQuickScreen(bool value)
{
    if (quickScreen_ == value)
        return;
    quickScreen_ = value;
    emit quickScreenChanged(value);
}

void SurfaceSelector::setMaxSelectWidth(int value)
{
    if (maxSelectWidth_ == value)
        return;
    maxSelectWidth_ = value;
    emit maxSelectWidthChanged(value);
    if (value != -1)
        applyMaxSelectSize(false, 0, 0);
}

void SurfaceSelector::setMaxSelectHeight(int value)
{
    if (maxSelectHeight_ == value)
        return;
    maxSelectHeight_ = value;
    emit maxSelectHeightChanged(value);
    if (value != -1)
        applyMaxSelectSize(false, 0, 0);
}

void SurfaceSelector::setScreenIndex(int value)
{
    screenIndex_ = value;
    emit screenIndexChanged(value);
}

void SurfaceSelector::setIsShowMagnified(bool value)
{
    if (isShowMagnified_ == value)
        return;
    isShowMagnified_ = value;
    emit isShowMagnifiedChanged();
}

bool SurfaceSelector::contains(const QPointF &point) const
{
    const QRectF r = rubberRect();
    if (r.width() == 0 && r.height() == 0)
        return true;
    return !r.contains(point);
}

void SurfaceSelector::emitRectSignals()
{
    emit rubberRectChanged(rubberRect());
    emit rubberRectLeftChanged(rubberRectLeft());
    emit rubberRectRightChanged(rubberRectRight());
    emit rubberRectTopChanged(rubberRectTop());
    emit rubberRectBottomChanged(rubberRectBottom());
    update();
}

void SurfaceSelector::setGx(int v)
{
    gx_ = v;
    emit gxChanged(v);
}

void SurfaceSelector::setGy(int v)
{
    gy_ = v;
    emit gyChanged(v);
}

void SurfaceSelector::setShowToolBar(bool v)
{
    showToolBar_ = v;
    emit showToolBarChanged(v);
}

void SurfaceSelector::checkProperties()
{
    if (!fullScreen_)
        return;
    rubberRect_ = QRectF(0, 0, width(), height());
    firstDraw_ = false;
    selected_ = true;
    setShowToolBar(true);
    emitRectSignals();
}

void SurfaceSelector::expandToFullScreen()
{
    previousRect_ = rubberRect_;
    rubberRect_ = QRectF(0, 0, width(), height());
    emitRectSignals();
}

void SurfaceSelector::collapseFromFullScreen()
{
    firstDraw_ = true;
    emit firstDrawChanged(true);
    selected_ = false;
    showToolBar_ = false;
    emit showToolBarChanged(false);
    rubberRect_ = QRectF(0, 0, 0, 0);
    emitRectSignals();
}

void SurfaceSelector::setRubberRect(const QRectF &rect)
{
    rubberRect_ = rect.normalized();
    firstDraw_ = false;
    selected_ = true;
    isPress_ = false;
    setShowToolBar(true);
    emitRectSignals();
    emit firstDrawChanged(firstDraw_);
    emit isPressChanged(isPress_);
    emit selectComplete();
}

void SurfaceSelector::moveRubberTo(int x, int y)
{
    const QRectF r = rubberRect();
    rubberRect_ = QRectF(x, y, r.width(), r.height());
    emitRectSignals();
}

void SurfaceSelector::setMoveMode(bool on)
{
    moveMode_ = on;
    if (on)
        last_ = QCursor::pos();
}

void SurfaceSelector::setRects(const QRectF &global, const QRectF &local)
{
    isPress_ = true;
    firstDraw_ = true;
    gRect_ = global;
    rubberRect_ = local;
    emit rubberRectChanged(rubberRect());
    emit gRubberRectLeftChanged(gRubberRectLeft());
    emit gRubberRectRightChanged(gRubberRectRight());
    emit gRubberRectTopChanged(gRubberRectTop());
    emit gRubberRectBottomChanged(gRubberRectBottom());
    emit rubberRectLeftChanged(rubberRectLeft());
    emit rubberRectRightChanged(rubberRectRight());
    emit rubberRectTopChanged(rubberRectTop());
    emit rubberRectBottomChanged(rubberRectBottom());
    update();
}

void SurfaceSelector::setFixedRect(const QRect &rect)
{
    fixedRect_ = rect;
    fixedShade_ = true;
}

void SurfaceSelector::resetFixedRect()
{
    fixedRect_ = QRect();
    fixedShade_ = false;
}

void SurfaceSelector::lockSelection() { locked_ = true; }

void SurfaceSelector::setFirstDraw(bool value)
{
    if (firstDraw_ == value)
        return;
    firstDraw_ = value;
    emit firstDrawChanged(value);
}

void SurfaceSelector::hoverMoveEvent(QHoverEvent *event)
{
    const QPointF pos = event->posF();
    if (firstDraw_) {
        setGx(int(pos.x()));
        setGy(int(pos.y()));
    } else {
        const QRectF r = rubberRect();
        if (r.contains(pos)) {
            resizeHover_ = false;
            setCursor(crossCursor());
            event->ignore();
        } else if (!locked_) {
            resizeHover_ = true;
            const qreal x = pos.x();
            const qreal y = pos.y();
            edgeTop_ = y < r.top();
            edgeBottom_ = !edgeTop_ && y > r.top() + r.height();
            edgeLeft_ = x < r.left();
            edgeRight_ = !edgeLeft_ && x > r.left() + r.width();
            edgeCorner_ = (edgeTop_ || edgeBottom_) && (edgeLeft_ || edgeRight_);
            if ((edgeTop_ && edgeLeft_) || (edgeBottom_ && edgeRight_))
                setCursor(Qt::SizeFDiagCursor);
            else if ((edgeTop_ && edgeRight_) || (edgeBottom_ && edgeLeft_))
                setCursor(Qt::SizeBDiagCursor);
            else if (edgeTop_ || edgeBottom_)
                setCursor(Qt::SizeVerCursor);
            else if (edgeLeft_ || edgeRight_)
                setCursor(Qt::SizeHorCursor);
        }
    }
    update();
}

void SurfaceSelector::mousePressEvent(QMouseEvent *event)
{
    isPress_ = true;
    emit isPressChanged(true);
    anchor_ = event->localPos();
    last_ = event->localPos();
    if (rubberRect().contains(event->localPos()))
        event->ignore();
}

void SurfaceSelector::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->localPos();
    setGx(int(pos.x()));
    setGy(int(pos.y()));
    if (locked_) {
        event->ignore();
        return;
    }
    if (moveMode_) {
        const QRectF r = rubberRect();
        rubberRect_ = QRectF(QPointF(gx_ - r.width(), gy_ - r.height()), QPointF(gx_, gy_));
        anchor_ = QPointF(int(rubberRect_.left()), int(rubberRect_.top()));
        last_ = anchor_;
    } else if (!selected_) {
        rubberRect_ = QRectF(anchor_, pos);
    } else if (isPress_ && resizeHover_) {
        const QRectF r = rubberRect();
        const qreal dx = last_.x() - pos.x();
        const qreal dy = last_.y() - pos.y();
        qreal left = r.left();
        qreal top = r.top();
        qreal right = r.left() + r.width();
        qreal bottom = r.top() + r.height();
        if (edgeRight_)
            right = int(r.left() + r.width() - dx);
        if (edgeBottom_)
            bottom = int(r.top() + r.height() - dy);
        if (edgeLeft_)
            left = int(r.left() - dx);
        if (edgeTop_)
            top = int(r.top() - dy);
        rubberRect_ = QRectF(QPointF(left, top), QPointF(right, bottom));
        applyMaxSelectSize(true, r.left(), r.top());
        last_ = pos;
    } else {
        event->ignore();
    }
    emit gRectChanged(rubberRect());
    emitRectSignals();
}

void SurfaceSelector::applyMaxSelectSize(bool resizing, qreal oldLeft, qreal oldTop)
{
    QRectF r = rubberRect();
    if (maxSelectWidth_ != -1) {
        const qreal m = maxSelectWidth_;
        const qreal leftGap = r.left();
        const qreal rightGap = width() - (r.left() + r.width());
        if (leftGap > rightGap) {
            const qreal limit = m - rightGap;
            if (r.width() > limit) {
                const qreal right = r.left() + r.width();
                qreal left = resizing ? oldLeft : right - limit;
                if (right - left > limit)
                    left = right - limit;
                r = QRectF(QPointF(left, r.top()), QPointF(right, r.top() + r.height()));
            }
        } else if (r.width() > m - r.left()) {
            r.setWidth(qMax<qreal>(0, m - r.left()));
        }
    }
    if (maxSelectHeight_ != -1) {
        const qreal m = maxSelectHeight_;
        const qreal topGap = r.top();
        const qreal bottomGap = height() - (r.top() + r.height());
        if (topGap > bottomGap) {
            const qreal limit = m - bottomGap;
            if (r.height() > limit) {
                const qreal bottom = r.top() + r.height();
                qreal top = resizing ? oldTop : bottom - limit;
                if (bottom - top > limit)
                    top = bottom - limit;
                r = QRectF(QPointF(r.left(), top), QPointF(r.left() + r.width(), bottom));
            }
        } else if (r.height() > m - r.top()) {
            r.setHeight(qMax<qreal>(0, m - r.top()));
        }
    }
    rubberRect_ = r;
    emitRectSignals();
}

void SurfaceSelector::mouseReleaseEvent(QMouseEvent *event)
{
    resizeHover_ = false;
    if (fixedShade_) {
        firstDraw_ = false;
        selected_ = true;
        isPress_ = false;
        emit firstDrawChanged(firstDraw_);
        emit isPressChanged(isPress_);
        emit selectComplete();
    }
    const QRectF r = rubberRect();
    if (r.width() == 0 && r.height() == 0) {
        firstDraw_ = true;
        selected_ = false;
        isPress_ = false;
        emit firstDrawChanged(true);
        emit isPressChanged(false);
        update();
        return;
    }
    setShowToolBar(true);
    firstDraw_ = false;
    selected_ = true;
    isPress_ = false;
    moveMode_ = false;
    emit firstDrawChanged(false);
    emit isPressChanged(false);
    emit selectComplete();
    if (r.contains(event->localPos()))
        event->ignore();
    rubberRect_ = rubberRect_.normalized();
    update();
}

void SurfaceSelector::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space)
        moveMode_ = true;
    else
        QQuickItem::keyPressEvent(event);
}

void SurfaceSelector::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space)
        moveMode_ = false;
    else
        QQuickItem::keyReleaseEvent(event);
}

QVector<SurfaceSelector::Shape> SurfaceSelector::shapes() const
{
    const QColor shade(QStringLiteral("#6c141517"));
    const QColor guide(QStringLiteral("#33FFFFFF"));
    const qreal w = width();
    const qreal h = height();
    const QRectF norm = rubberRect();
    const bool empty = norm.width() == 0 && norm.height() == 0;
    QVector<Shape> out;
    auto add = [&](const QRectF &r, const QColor &c) {
        if (r.width() > 0 && r.height() > 0)
            out.append({r, c});
    };
    auto shadeAround = [&](const QRectF &rect) {
        const QRectF r = rect.normalized();
        add(QRectF(0, 0, w, r.top()), shade);
        add(QRectF(0, r.top(), r.left(), r.height()), shade);
        add(QRectF(r.left() + r.width(), r.top(), w - r.left() - r.width(), r.height()), shade);
        add(QRectF(0, r.top() + r.height(), w, h - r.top() - r.height()), shade);
    };
    // One-pixel guide lines across the whole selector.
    auto hLine = [&](qreal y) { add(QRectF(0, y, w, 1), guide); };
    auto vLine = [&](qreal x) { add(QRectF(x, 0, 1, h), guide); };
    auto cross = [&]() {
        hLine(gy_);
        vLine(gx_);
    };
    auto leftTop = [&]() {
        vLine(rubberRect_.left());
        hLine(rubberRect_.top());
    };
    auto rightBottom = [&]() {
        vLine(norm.left() + norm.width());
        hLine(norm.top() + norm.height());
    };

    if (fixedShade_) {
        shadeAround(QRectF(fixedRect_));
        if (empty)
            cross();
        leftTop();
        rightBottom();
    } else if (isPress_ && firstDraw_) {
        shadeAround(norm);
        cross();
        if (!empty)
            leftTop();
    } else if (!selected_) {
        add(QRectF(0, 0, w, h), shade);
        cross();
    } else {
        shadeAround(norm);
        leftTop();
        rightBottom();
    }
    return out;
}

QSGNode *SurfaceSelector::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *)
{
    QSGNode *root = oldNode ? oldNode : new QSGNode;
    QSGNode *child = root->firstChild();
    for (const Shape &s : shapes()) {
        QSGRectangleNode *node = nullptr;
        if (child) {
            node = static_cast<QSGRectangleNode *>(child);
            child = child->nextSibling();
        } else {
            node = window()->createRectangleNode();
            root->appendChildNode(node);
        }
        node->setRect(s.rect);
        node->setColor(s.color);
    }
    while (child) {
        QSGNode *next = child->nextSibling();
        root->removeChildNode(child);
        delete child;
        child = next;
    }
    return root;
}
