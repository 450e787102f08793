#include "platform/windowlist.h"

#include <QGuiApplication>
#include <QWindow>
#include <QX11Info>

#include "platform/xquery.h"

#include <unistd.h>

namespace pryx::platform {
namespace {

using namespace x11;

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
    const QVector<uint32_t> types = property32(c, w, a.type, XCB_ATOM_ATOM);
    return types.contains(a.typeDesktop) || types.contains(a.typeDock);
}

bool ownWindow(xcb_connection_t *c, xcb_window_t w, const Atoms &a)
{
    if (property32(c, w, a.pid, XCB_ATOM_CARDINAL).value(0) == uint32_t(getpid()))
        return true;
    for (QWindow *own : QGuiApplication::allWindows()) {
        if (own->handle() && xcb_window_t(own->winId()) == w)
            return true;
    }
    return false;
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
    QVector<xcb_window_t> stack = property32(c, root, a.clientList, XCB_ATOM_WINDOW);
    if (stack.isEmpty()) {
        // No window manager: the children of the root window.
        stack = children(c, root);
        if (stack.isEmpty())
            return out;
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
