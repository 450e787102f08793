#include "platform/compositor.h"

#include "platform/platformlog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QTimer>
#include <QX11Info>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>

namespace pryx::platform {

CompositorWatch *CompositorWatch::instance()
{
    static CompositorWatch *watch = new CompositorWatch;
    return watch;
}

CompositorWatch::CompositorWatch() : QObject(QCoreApplication::instance())
{
    x11_ = QX11Info::isPlatformX11() && QX11Info::connection();
    if (!x11_)
        return;
    xcb_connection_t *c = QX11Info::connection();
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(QX11Info::appScreen());
    xcb_intern_atom_reply_t *a =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.constData()), nullptr);
    selection_ = a ? a->atom : 0;
    std::free(a);

    // Told of every change of the selection's owner by XFixes; without the
    // extension a slow poll of the owner does.
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (selection_ && ext && ext->present) {
        xcb_xfixes_query_version_reply_t *v = xcb_xfixes_query_version_reply(
            c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION), nullptr);
        if (v && v->major_version >= 1) {
            xfixesEvent_ = ext->first_event;
            xcb_xfixes_select_selection_input(
                c, QX11Info::appRootWindow(), selection_,
                XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                    | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                    | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
            xcb_flush(c);
            QCoreApplication::instance()->installNativeEventFilter(this);
        }
        std::free(v);
    }
    if (xfixesEvent_ < 0 && selection_) {
        auto *poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, &CompositorWatch::recheck);
        poll->start(2000);
    }
    running_ = queryOwner();
    qCDebug(pryx::lcPlatform()) << "compositing manager running:" << running_;
}

bool CompositorWatch::queryOwner() const
{
    if (!x11_ || !selection_)
        return false;
    xcb_connection_t *c = QX11Info::connection();
    xcb_get_selection_owner_reply_t *r =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection_), nullptr);
    const bool owned = r && r->owner != XCB_NONE;
    std::free(r);
    return owned;
}

void CompositorWatch::recheck()
{
    const bool now = queryOwner();
    if (now == running_)
        return;
    running_ = now;
    qCDebug(pryx::lcPlatform()) << "compositing manager running:" << running_;
    emit runningChanged(running_);
}

bool CompositorWatch::nativeEventFilter(const QByteArray &eventType, void *message, long *)
{
    if (xfixesEvent_ < 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto *ev = static_cast<const xcb_generic_event_t *>(message);
    if ((ev->response_type & 0x7f) != xfixesEvent_ + XCB_XFIXES_SELECTION_NOTIFY)
        return false;
    const auto *sel = reinterpret_cast<const xcb_xfixes_selection_notify_event_t *>(ev);
    if (sel->selection != selection_)
        return false;
    // Qt follows the same selection; leave the event to it too. The owner
    // is asked again once the event has been handled.
    QMetaObject::invokeMethod(this, &CompositorWatch::recheck, Qt::QueuedConnection);
    return false;
}

} // namespace pryx::platform
