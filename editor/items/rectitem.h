#pragma once
// A rectangle drawn on the annotation area; also the base of the ellipse,
// blur, counter and blackout items, which reuse its rectangle, handles,
// resizing and moving.

#include <QPointF>
#include <QRectF>

#include "editor/abstractgraphitem.h"

class RectItem : public AbstractGraphItem
{
    Q_OBJECT

public:
    explicit RectItem(QQuickItem *parent = nullptr);
    ~RectItem() override;

    // Item geometry from a shape rectangle.
    virtual void updateGeometry(QRectF r);
    // Handles from the current size.
    virtual void buildKeyPositions();

    // The drawing rule: r runs from the press point to the pointer.
    void resize(QRectF r);
    // New geometry when the area is rescaled; the shape keeps the item
    // kind's own margins.
    void setItemRect(QRectF r);
    // Sets the shape rectangle as it is (undo and redo).
    void applyRect(QRectF r);
    // Sets the shape rectangle normalized (end of a drawing gesture).
    void normalizeRect();

    QRectF rect() const { return m_rect; }
    int margin() const { return margin_; }
    void setMargin(int margin) { margin_ = margin; }

    void move(double x, double y) override;
    void rebuildKeyPosition() override;
    void rescale(double ratio) override;
    void paint(QPainter *painter) override;

protected:
    RectItem(const QString &name, QQuickItem *parent);

    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

    // The item is the one of the drawing gesture in progress.
    bool isBeingDrawn() const;

    int margin_ = 5;
    QRectF m_rect;
    QRectF rectAtPress_;
    QPointF anchor_;
};
