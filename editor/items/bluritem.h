#pragma once
// A rectangle that shows blurred what the annotation area renders beneath
// it, live while it is drawn, moved or resized.

#include <QImage>
#include <QRect>

#include "editor/items/rectitem.h"

namespace pryx {
namespace editor {

// The editor's blur: four running averages (down, right, up, left) over
// `rect` of a premultiplied copy; radius < 1 leaves the image unchanged.
QImage blurImage(const QImage &image, QRect rect, int radius, bool alphaOnly = false);
// Step of the running average (16ths) for a radius.
int blurStep(int radius);

} // namespace editor
} // namespace pryx

class BlurItem : public RectItem
{
    Q_OBJECT

public:
    explicit BlurItem(QQuickItem *parent = nullptr);

    int radius() const { return radius_; }
    void resize(QRectF r);
    void updateGeometry(QRectF r) override;
    void paint(QPainter *painter) override;

public slots:
    void radiusChange(int arg);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void resizeToCursor();

    int radius_ = 15;
};
