#pragma once
// A numbered filled circle; dragged out, a rectangle outline with the
// numbered circle at one of its corners.

#include <QFont>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include "editor/items/rectitem.h"

class CounterItem : public RectItem
{
    Q_OBJECT

public:
    explicit CounterItem(QQuickItem *parent = nullptr);

    int number() const { return number_; }
    void setNumber(int n) { number_ = n; update(); }
    bool isPlaced() const { return placed_; }
    void setPlaced(bool placed) { placed_ = placed; update(); }
    bool labelRight() const { return labelRight_; }
    bool labelDown() const { return labelDown_; }
    void setLabelCorner(bool right, bool down);
    QRectF rectAtRelease() const { return rectAtRelease_; }

    void resize(QRectF r);
    // The hit area in item coordinates: the drawn circle, the outline's
    // frame and the handles.
    QPainterPath circlePath() const;
    // Centre of the drawn circle in item coordinates.
    QPointF circleCentre() const;

    void updateGeometry(QRectF r) override;
    void buildKeyPositions() override;
    void paint(QPainter *painter) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool isPoint(const QRectF &r) const;

    int number_ = 0;
    bool placed_ = false;
    bool labelRight_ = false;
    bool labelDown_ = false;
    QFont font_;
    QRectF rectAtRelease_;
};
