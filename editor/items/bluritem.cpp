#include "editor/items/bluritem.h"
#include "editor/editorlog.h"

#include <QCursor>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>

#include "editor/ppainterarea.h"

namespace pryx {
namespace editor {

int blurStep(int radius)
{
    static const int table[17] = {14, 10, 8, 6, 5, 5, 4, 3, 3, 3, 3, 2, 2, 2, 2, 2, 2};
    if (radius < 1)
        return 16;
    if (radius > 17)
        return 1;
    return table[radius - 1];
}

namespace {
// One running average along a line of pixels; `step` is the distance in
// pixels between neighbours.
inline void averageLine(uchar *first, int count, int step, int a, int firstChannel)
{
    int acc[4] = {0, 0, 0, 0};
    for (int c = firstChannel; c < 4; ++c)
        acc[c] = first[c] << 4;
    uchar *p = first;
    for (int i = 1; i < count; ++i) {
        p += step * 4;
        for (int c = firstChannel; c < 4; ++c) {
            acc[c] += (((p[c] << 4) - acc[c]) * a) / 16;
            p[c] = uchar(qBound(0, acc[c] >> 4, 255));
        }
    }
}
} // namespace

QImage blurImage(const QImage &image, QRect rect, int radius, bool alphaOnly)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRect r = rect.normalized().intersected(out.rect());
    if (out.isNull() || r.isEmpty())
        return out;
    const int a = blurStep(radius);
    if (a == 16)
        return out;
    // Byte 3 of a pixel in memory is alpha only on little-endian machines.
    const int firstChannel = alphaOnly ? 3 : 0;
    const int stride = out.bytesPerLine() / 4;
    uchar *bits = out.bits();
    const auto at = [&](int x, int y) { return bits + (y * stride + x) * 4; };
    for (int x = r.left(); x <= r.right(); ++x)
        averageLine(at(x, r.top()), r.height(), stride, a, firstChannel);
    for (int y = r.top(); y <= r.bottom(); ++y)
        averageLine(at(r.left(), y), r.width(), 1, a, firstChannel);
    for (int x = r.left(); x <= r.right(); ++x)
        averageLine(at(x, r.bottom()), r.height(), -stride, a, firstChannel);
    for (int y = r.top(); y <= r.bottom(); ++y)
        averageLine(at(r.right(), y), r.width(), -1, a, firstChannel);
    return out;
}

} // namespace editor
} // namespace pryx

BlurItem::BlurItem(QQuickItem *parent) : RectItem(QStringLiteral("Blur"), parent)
{
    setRaiseOnCheck(false);
}

void BlurItem::radiusChange(int arg)
{
    radius_ = arg;
    update();
}

void BlurItem::resize(QRectF r)
{
    RectItem::resize(r);
    updateGeometry(m_rect);
    buildKeyPositions();
    update();
}

void BlurItem::updateGeometry(QRectF r)
{
    const QRectF n = r.normalized();
    setX(n.x() - 5);
    setY(n.y() - 5);
    setWidth(n.width() + 10);
    setHeight(n.height() + 10);
    storeItemRect();
}

void BlurItem::resizeToCursor()
{
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton) || !area_)
        return;
    resize(QRectF(m_rect.topLeft(), area_->mapFromGlobal(QCursor::pos())));
}

void BlurItem::keyPressEvent(QKeyEvent *event)
{
    qCDebug(pryx::lcEditor) << Q_FUNC_INFO << event->key();
    EventModifierScope scope(area_, event->modifiers());
    resizeToCursor();
    AbstractGraphItem::keyPressEvent(event);
    update();
}

void BlurItem::keyReleaseEvent(QKeyEvent *event)
{
    EventModifierScope scope(area_, event->modifiers());
    resizeToCursor();
    AbstractGraphItem::keyReleaseEvent(event);
    update();
}

void BlurItem::mouseMoveEvent(QMouseEvent *event)
{
    RectItem::mouseMoveEvent(event);
    updateGeometry(m_rect);
    buildKeyPositions();
    update();
}

void BlurItem::mouseReleaseEvent(QMouseEvent *event)
{
    RectItem::mouseReleaseEvent(event);
    updateGeometry(m_rect);
    buildKeyPositions();
    update();
}

void BlurItem::paint(QPainter *painter)
{
    auto *area = qobject_cast<PPainterArea *>(parentItem());
    if (!area)
        return;
    const QRectF n = m_rect.normalized();
    const QRect source(int(n.x()), int(n.y()), int(n.width()), int(n.height()));
    const QImage below = area->renderImage(source, z(), false);
    if (!below.isNull()) {
        const QImage blurred = pryx::editor::blurImage(below, below.rect(), radius_);
        // Drawn over exactly the pixels it was made from.
        painter->drawImage(QPointF(n.x() - x(), n.y() - y()), blurred);
    }
    AbstractGraphItem::paint(painter);
}
