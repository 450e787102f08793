#pragma once
// A filled, tapering arrow with a barbed head at its tip; also the pointer
// of a text callout.

#include "editor/items/lineitem.h"

class TextItem;

class ArrowItem : public LineItem
{
    Q_OBJECT

public:
    explicit ArrowItem(QQuickItem *parent = nullptr);
    ~ArrowItem() override;

    // The segment from start to tip (no Shift snapping); with `reversed`
    // the tip is the end that stays fixed.
    Q_INVOKABLE void setLine(QPointF start, QPointF tip) override;
    void dragLine(QPointF start, QPointF tip) override;
    void setTextItem(TextItem *item);
    TextItem *textItem() const { return textItem_; }
    void setReversed(bool reversed) { reversed_ = reversed; }
    bool isReversed() const { return reversed_; }

    QPointF start() const { return itemLine_.p1() + QPointF(x(), y()); }
    QPointF tip() const { return itemLine_.p2() + QPointF(x(), y()); }
    // Size factor of the head for the current length and width.
    double headFactor() const;

    void rebuildKeyPosition() override;
    void paint(QPainter *painter) override;

signals:
    void positionChange();

protected:
    void arrowLine(QPointF start, QPointF tip, bool snap);
    void reapply(QPointF pointer) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

    bool reversed_ = false;
    TextItem *textItem_ = nullptr;
};
