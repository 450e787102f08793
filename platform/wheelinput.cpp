#include "platform/wheelinput.h"

#include <QGuiApplication>
#include <QSet>
#include <QWindow>
#include <QX11Info>

#include "platform/xquery.h"

#include <xcb/xtest.h>

#include <cstdlib>

namespace pryx::platform {

namespace {

using namespace x11;

xcb_connection_t *connection()
{
    if (!QX11Info::isPlatformX11())
        return nullptr;
    return static_cast<xcb_connection_t *>(QX11Info::connection());
}

xcb_window_t rootWindow() { return xcb_window_t(QX11Info::appRootWindow()); }

bool fake(xcb_connection_t *c, uint8_t type, uint8_t detail, int x = 0, int y = 0)
{
    xcb_void_cookie_t ck = xcb_test_fake_input_checked(c, type, detail, XCB_CURRENT_TIME,
                                                       type == XCB_MOTION_NOTIFY ? rootWindow()
                                                                                 : XCB_NONE,
                                                       int16_t(x), int16_t(y), 0);
    xcb_generic_error_t *err = xcb_request_check(c, ck);
    if (err) {
        std::free(err);
        return false;
    }
    return true;
}

bool viewable(xcb_connection_t *c, xcb_window_t w)
{
    xcb_get_window_attributes_reply_t *r =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    if (!r)
        return false;
    const bool ok = r->map_state == XCB_MAP_STATE_VIEWABLE && r->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT;
    std::free(r);
    return ok;
}

// Root-relative rectangle; false when the window is gone.
bool windowRect(xcb_connection_t *c, xcb_window_t w, QRect *rect) { return rootRect(c, rootWindow(), w, rect); }

bool hasProperty(xcb_connection_t *c, xcb_window_t w, xcb_atom_t prop)
{
    if (prop == XCB_ATOM_NONE)
        return false;
    xcb_get_property_reply_t *r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, XCB_ATOM_ANY, 0, 0), nullptr);
    if (!r)
        return false;
    const bool has = r->type != XCB_ATOM_NONE;
    std::free(r);
    return has;
}

// The client inside a frame: the window itself or the first descendant
// carrying WM_STATE.
xcb_window_t clientOf(xcb_connection_t *c, xcb_window_t w, xcb_atom_t wmState, int depth = 0)
{
    if (hasProperty(c, w, wmState) || depth > 4)
        return w;
    for (xcb_window_t k : children(c, w)) {
        const xcb_window_t found = clientOf(c, k, wmState, depth + 1);
        if (found != k || hasProperty(c, k, wmState))
            return found;
    }
    return w;
}

// Topmost viewable child of w containing p (root coordinates).
xcb_window_t childAt(xcb_connection_t *c, xcb_window_t w, const QPoint &p, QRect *rect)
{
    const QVector<xcb_window_t> kids = children(c, w);
    for (int i = kids.size() - 1; i >= 0; --i) {
        QRect r;
        if (viewable(c, kids[i]) && windowRect(c, kids[i], &r) && r.contains(p)) {
            *rect = r;
            return kids[i];
        }
    }
    return XCB_NONE;
}

} // namespace

bool movePointer(const QPoint &p)
{
    xcb_connection_t *c = connection();
    return c && fake(c, XCB_MOTION_NOTIFY, 0, p.x(), p.y());
}

bool pressLeftAt(const QPoint &p)
{
    xcb_connection_t *c = connection();
    return c && fake(c, XCB_MOTION_NOTIFY, 0, p.x(), p.y()) && fake(c, XCB_BUTTON_PRESS, 1);
}

bool releaseLeft()
{
    xcb_connection_t *c = connection();
    return c && fake(c, XCB_BUTTON_RELEASE, 1);
}

bool clickAt(const QPoint &p)
{
    const bool pressed = pressLeftAt(p);
    const bool released = releaseLeft();
    return pressed && released;
}

bool wheelDown()
{
    xcb_connection_t *c = connection();
    if (!c)
        return false;
    const bool pressed = fake(c, XCB_BUTTON_PRESS, 5);
    const bool released = fake(c, XCB_BUTTON_RELEASE, 5);
    return pressed && released;
}

WindowAt scrollWindowAt(const QPoint &p, const QList<quint32> &skip)
{
    WindowAt found;
    xcb_connection_t *c = connection();
    if (!c)
        return found;
    QSet<quint32> own;
    for (quint32 id : skip)
        own.insert(id);
    for (QWindow *w : QGuiApplication::allWindows())
        if (w->handle())
            own.insert(quint32(w->winId()));

    const xcb_atom_t wmState = atom(c, "WM_STATE");
    const xcb_atom_t stacking = atom(c, "_NET_CLIENT_LIST_STACKING");
    QVector<xcb_window_t> tops = property32(c, rootWindow(), stacking, XCB_ATOM_WINDOW);   // bottom to top
    if (tops.isEmpty())
        tops = children(c, rootWindow());

    for (int i = tops.size() - 1; i >= 0; --i) {
        const xcb_window_t top = tops[i];
        if (own.contains(top) || !viewable(c, top))
            continue;
        const xcb_window_t client = clientOf(c, top, wmState);
        if (own.contains(client))
            continue;
        QRect r;
        if (!windowRect(c, client, &r) || !r.contains(p))
            continue;
        found.id = client;
        found.rect = r;
        // Descend to the deepest viewable child under the point.
        xcb_window_t w = client;
        for (int depth = 0; depth < 32; ++depth) {
            QRect cr;
            const xcb_window_t k = childAt(c, w, p, &cr);
            if (k == XCB_NONE)
                break;
            w = k;
            found.id = k;
            found.rect = cr;
            found.child = true;
        }
        break;
    }
    return found;
}

} // namespace pryx::platform
