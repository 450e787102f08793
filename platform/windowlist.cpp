#include "platform/windowlist.h"

#include <QGuiApplication>
#include <QWindow>
#include <QX11Info>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

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

// The raw value of a property, empty when missing.
QByteArray property(xcb_connection_t *c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type)
{
    if (prop == XCB_ATOM_NONE)
        return QByteArray();
    Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, prop, type, 0, 1 << 16), nullptr));
    if (!r || r->type == XCB_ATOM_NONE)
        return QByteArray();
    return QByteArray(static_cast<const char *>(xcb_get_property_value(r.get())),
                      xcb_get_property_value_length(r.get()));
}

QVector<xcb_window_t> windowList(const QByteArray &raw)
{
    QVector<xcb_window_t> out;
    const int n = raw.size() / int(sizeof(uint32_t));
    const auto *v = reinterpret_cast<const uint32_t *>(raw.constData());
    for (int i = 0; i < n; ++i)
        out.append(v[i]);
    return out;
}

struct Atoms {
    xcb_atom_t clientList, netName, utf8, pid, type, typeDesktop, typeDock;
};

QString titleOf(xcb_connection_t *c, xcb_window_t w, const Atoms &a)
{
    const QByteArray net = property(c, w, a.netName, a.utf8);
    if (!net.isEmpty())
        return QString::fromUtf8(net);
    return QString::fromLocal8Bit(property(c, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY));
}

bool skippedType(xcb_connection_t *c, xcb_window_t w, const Atoms &a)
{
    const QVector<xcb_window_t> types = windowList(property(c, w, a.type, XCB_ATOM_ATOM));
    return types.contains(a.typeDesktop) || types.contains(a.typeDock);
}

bool ownWindow(xcb_connection_t *c, xcb_window_t w, const Atoms &a)
{
    const QByteArray pid = property(c, w, a.pid, XCB_ATOM_CARDINAL);
    if (pid.size() >= 4 && *reinterpret_cast<const uint32_t *>(pid.constData()) == uint32_t(getpid()))
        return true;
    for (QWindow *own : QGuiApplication::allWindows()) {
        if (own->handle() && xcb_window_t(own->winId()) == w)
            return true;
    }
    return false;
}

// The window's rectangle on the root window; false when it cannot be read.
bool rootRect(xcb_connection_t *c, xcb_window_t root, xcb_window_t w, QRect *rect)
{
    Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr));
    if (!g)
        return false;
    Reply<xcb_translate_coordinates_reply_t> t(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr));
    if (!t)
        return false;
    *rect = QRect(t->dst_x, t->dst_y, g->width, g->height);
    return true;
}

} // namespace

QVector<TitledWindow> foreignWindowsAt(const QRect &rect, bool *ok)
{
    QVector<TitledWindow> out;
    if (ok)
        *ok = false;
    if (!QX11Info::isPlatformX11())
        return out;
    auto *c = static_cast<xcb_connection_t *>(QX11Info::connection());
    if (!c)
        return out;
    const xcb_window_t root = xcb_window_t(QX11Info::appRootWindow());
    const Atoms a{atom(c, "_NET_CLIENT_LIST_STACKING"), atom(c, "_NET_WM_NAME"), atom(c, "UTF8_STRING"),
                  atom(c, "_NET_WM_PID"), atom(c, "_NET_WM_WINDOW_TYPE"),
                  atom(c, "_NET_WM_WINDOW_TYPE_DESKTOP"), atom(c, "_NET_WM_WINDOW_TYPE_DOCK")};

    // Bottom to top in both sources.
    QVector<xcb_window_t> stack = windowList(property(c, root, a.clientList, XCB_ATOM_WINDOW));
    if (stack.isEmpty()) {
        // No window manager: the children of the root window.
        Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
        if (!tree)
            return out;
        const xcb_window_t *kids = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
            stack.append(kids[i]);
    }
    for (int i = stack.size() - 1; i >= 0; --i) {
        const xcb_window_t w = stack.at(i);
        Reply<xcb_get_window_attributes_reply_t> attr(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
        if (!attr || attr->map_state != XCB_MAP_STATE_VIEWABLE || attr->_class == XCB_WINDOW_CLASS_INPUT_ONLY)
            continue;
        QRect r;
        if (!rootRect(c, root, w, &r))
            continue;   // gone meanwhile
        if (!r.intersects(rect) || skippedType(c, w, a) || ownWindow(c, w, a))
            continue;
        const QString title = titleOf(c, w, a);
        if (!title.isEmpty())
            out.append({title, r});
    }
    if (ok)
        *ok = true;
    return out;
}

} // namespace pryx::platform
