#include "platform/xquery.h"

#include <cstring>

namespace pryx::platform::x11 {

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(strlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

namespace {
Reply<xcb_get_property_reply_t> propertyReply(xcb_connection_t *c, xcb_window_t w, xcb_atom_t prop,
                                              xcb_atom_t type)
{
    if (prop == XCB_ATOM_NONE)
        return nullptr;
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 1 << 16), nullptr));
    if (!r || r->type == XCB_ATOM_NONE)
        return nullptr;
    return r;
}
} // namespace

QByteArray property(xcb_connection_t *c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type)
{
    const Reply<xcb_get_property_reply_t> r = propertyReply(c, w, prop, type);
    if (!r)
        return QByteArray();
    return QByteArray(static_cast<const char *>(xcb_get_property_value(r.get())),
                      xcb_get_property_value_length(r.get()));
}

QVector<uint32_t> property32(xcb_connection_t *c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type)
{
    QVector<uint32_t> out;
    const Reply<xcb_get_property_reply_t> r = propertyReply(c, w, prop, type);
    if (!r || r->format != 32)
        return out;
    out.resize(xcb_get_property_value_length(r.get()) / 4);
    std::memcpy(out.data(), xcb_get_property_value(r.get()), size_t(out.size()) * 4);
    return out;
}

QVector<xcb_window_t> children(xcb_connection_t *c, xcb_window_t w)
{
    QVector<xcb_window_t> out;
    Reply<xcb_query_tree_reply_t> r(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr));
    if (!r)
        return out;
    const xcb_window_t *kids = xcb_query_tree_children(r.get());
    for (int i = 0; i < xcb_query_tree_children_length(r.get()); ++i)
        out.append(kids[i]);
    return out;
}

bool rootRect(xcb_connection_t *c, xcb_window_t root, xcb_window_t w, QRect *rect)
{
    Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr));
    if (!g)
        return false;
    Reply<xcb_translate_coordinates_reply_t> t(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr));
    if (!t)
        return false;
    *rect = QRect(t->dst_x, t->dst_y, g->width, g->height);
    return true;
}

} // namespace pryx::platform::x11
