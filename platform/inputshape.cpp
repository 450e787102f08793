#include "platform/inputshape.h"

#include <QVector>
#include <QX11Info>

#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace pryx::platform {
namespace {

xcb_connection_t *shapeConnection(QWindow *window)
{
    if (!window || !window->handle() || !QX11Info::isPlatformX11())
        return nullptr;
    xcb_connection_t *c = QX11Info::connection();
    if (!c)
        return nullptr;
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_shape_id);
    return ext && ext->present ? c : nullptr;
}

} // namespace

bool setInputRegion(QWindow *window, const QRegion &region)
{
    xcb_connection_t *c = shapeConnection(window);
    if (!c)
        return false;
    // The native window is in device pixels.
    const qreal scale = window->devicePixelRatio();
    QVector<xcb_rectangle_t> rects;
    for (const QRect &r : region) {
        const QRect d(QPoint(qRound(r.x() * scale), qRound(r.y() * scale)),
                      QSize(qRound(r.width() * scale), qRound(r.height() * scale)));
        rects.append({int16_t(d.x()), int16_t(d.y()), uint16_t(d.width()), uint16_t(d.height())});
    }
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         xcb_window_t(window->winId()), 0, 0, uint32_t(rects.size()),
                         rects.isEmpty() ? nullptr : rects.constData());
    xcb_flush(c);
    return true;
}

bool resetInputRegion(QWindow *window)
{
    xcb_connection_t *c = shapeConnection(window);
    if (!c)
        return false;
    xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, xcb_window_t(window->winId()), 0, 0,
                   XCB_PIXMAP_NONE);
    xcb_flush(c);
    return true;
}

} // namespace pryx::platform
