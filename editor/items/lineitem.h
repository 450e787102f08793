#pragma once
// A straight segment drawn on the annotation area; reshaped by dragging
// either end, moved by its body or middle handle. Also the base of the arrow.

#include <QLineF>
#include <QPointF>
#include <QRectF>

#include "editor/abstractgraphitem.h"

class LineItem : public AbstractGraphItem
{
    Q_OBJECT

public:
    explicit LineItem(QQuickItem *parent = nullptr);
    ~LineItem() override;

    // Sets the segment as given (undo, redo and code): no Shift snapping.
    // An existing line keeps its first end; resetLine() first to move it.
    // An arrow puts its own tip and head in place.
    Q_INVOKABLE virtual void setLine(QPointF a, QPointF b);
    Q_INVOKABLE void resetLine();
    // The segment from the user's own drag: Shift snaps the second end.
    virtual void dragLine(QPointF a, QPointF b);

    // New geometry when the area is resized; the segment scales with it.
    void setRect(QRectF r);

    QLineF line() const { return line_; }
    // Modifiers held after a key event (a modifier key's own flag follows
    // its press or release).
    static Qt::KeyboardModifiers heldModifiers(const QKeyEvent *event);
    QLineF itemLine() const { return itemLine_; }

    void move(double x, double y) override;
    void rebuildKeyPosition() override;
    void rescale(double ratio) override;
    void paint(QPainter *painter) override;

public slots:
    void checkLineWidth(int w);

protected:
    LineItem(const QString &name, QQuickItem *parent);

    void applyLine(QPointF a, QPointF b, bool snap);
    // `moving` snapped around `fixed` when Shift is held on the user's drag.
    QPointF snapped(QPointF fixed, QPointF moving) const;
    void setGeometryFromLine();
    // Re-applies the segment of the gesture in progress (key press or
    // release while the left button is held).
    virtual void reapply(QPointF pointer);
    bool isHeld() const;
    QPointF pointerInArea(QMouseEvent *event) const;

    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

    QLineF line_;
    QLineF itemLine_;
    QLineF lineAtPress_;
    bool dragEnd_ = false;
    bool dragStart_ = false;
    bool pressedOnItem_ = false;
    // Last pointer position in area coordinates, before any snapping.
    QPointF pointer_;
};
