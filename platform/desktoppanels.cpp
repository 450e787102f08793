#include "platform/desktoppanels.h"

#include <QGuiApplication>
#include <QScreen>
#include <QX11Info>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace pryx::platform {
namespace {

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};
template<typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QVector<uint32_t> cardinals(xcb_connection_t *c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type)
{
    QVector<uint32_t> out;
    if (prop == XCB_ATOM_NONE)
        return out;
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 4096), nullptr));
    if (!r || r->format != 32)
        return out;
    const auto *v = static_cast<const uint32_t *>(xcb_get_property_value(r.get()));
    out.resize(xcb_get_property_value_length(r.get()) / 4);
    std::memcpy(out.data(), v, size_t(out.size()) * 4);
    return out;
}

} // namespace

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
    for (uint32_t w : cardinals(c, root, atom(c, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) {
        if (!cardinals(c, w, type, XCB_ATOM_ATOM).contains(dock))
            continue;
        Reply<xcb_get_window_attributes_reply_t> attr(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
        if (!attr || attr->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr));
        Reply<xcb_translate_coordinates_reply_t> t(
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr));
        if (!g || !t)
            continue;
        out.append(QRect(qRound(t->dst_x / scale), qRound(t->dst_y / scale), qRound(g->width / scale),
                         qRound(g->height / scale)));
    }
    return out;
}

} // namespace pryx::platform
