#pragma once
// A rectangle that the blackout layer leaves bright; it draws nothing but
// its handles and tells the layer whenever its rectangle changes.

#include "editor/items/rectitem.h"

class BlackoutItem : public RectItem
{
    Q_OBJECT

public:
    explicit BlackoutItem(QQuickItem *parent = nullptr);

    void resize(QRectF r);
    void updateGeometry(QRectF r) override;
    void move(double x, double y) override;
    void paint(QPainter *painter) override;

signals:
    void updateBlackoutArea();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void resizeToCursor();
};
