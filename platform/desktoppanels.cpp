#include "platform/desktoppanels.h"

#include <QGuiApplication>
#include <QScreen>
#include <QX11Info>

#include "platform/xquery.h"

namespace pryx::platform {

using namespace x11;

QVector<QRect> desktopPanels()
{
    QVector<QRect> out;
    if (!QX11Info::isPlatformX11() || !QX11Info::connection())
        return out;
    xcb_connection_t *c = QX11Info::connection();
    const xcb_window_t root = QX11Info::appRootWindow();
    const xcb_atom_t type = atom(c, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t dock = atom(c, "_NET_WM_WINDOW_TYPE_DOCK");
    if (type == XCB_ATOM_NONE || dock == XCB_ATOM_NONE)
        return out;
    const qreal scale = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->devicePixelRatio() : 1;
    for (uint32_t w : property32(c, root, atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) {
        if (!property32(c, w, type, XCB_ATOM_ATOM).contains(dock))
            continue;
        Reply<xcb_get_window_attributes_reply_t> attr(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
        if (!attr || attr->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        QRect r;
        if (!rootRect(c, root, w, &r))
            continue;
        out.append(QRect(qRound(r.x() / scale), qRound(r.y() / scale), qRound(r.width() / scale),
                         qRound(r.height() / scale)));
    }
    return out;
}

} // namespace pryx::platform
