#include "platform/printwatch.h"

#include "platform/xkeymap.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <xcb/xcb.h>
#include <xcb/xinput.h>
#define XK_MISCELLANY
#include <X11/keysymdef.h>

#include <cstdlib>

class PrintWatch::Filter : public QAbstractNativeEventFilter
{
public:
    explicit Filter(PrintWatch *owner) : owner_(owner) {}
    bool nativeEventFilter(const QByteArray &type, void *message, long *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        auto *ev = static_cast<xcb_generic_event_t *>(message);
        const uint8_t rt = ev->response_type & 0x7f;
        pryx::platform::xkeymap::noteEvent(ev);
        if (rt != XCB_GE_GENERIC)
            return false;
        auto *ge = reinterpret_cast<xcb_ge_generic_event_t *>(ev);
        if (ge->extension != owner_->xinputOpcode_)
            return false;
        if (ge->event_type != XCB_INPUT_RAW_KEY_PRESS && ge->event_type != XCB_INPUT_RAW_KEY_RELEASE)
            return false;
        auto *raw = reinterpret_cast<xcb_input_raw_key_press_event_t *>(ev);
        if (raw->flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT)
            return true;
        owner_->handle(uint8_t(raw->detail), ge->event_type == XCB_INPUT_RAW_KEY_PRESS);
        return true;
    }

private:
    PrintWatch *owner_;
};

namespace {
void selectRaw(xcb_connection_t *c, xcb_window_t root, uint32_t mask)
{
    struct {
        xcb_input_event_mask_t head;
        uint32_t bits;
    } sel;
    sel.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    sel.head.mask_len = 1;
    sel.bits = mask;
    // A round trip: the server has the selection before the constructor
    // returns, so no key pressed right after is missed.
    free(xcb_request_check(c, xcb_input_xi_select_events_checked(c, root, 1, &sel.head)));
}
} // namespace

PrintWatch::PrintWatch(QObject *parent) : QObject(parent)
{
    xcb_connection_t *c = pryx::platform::xkeymap::connection();
    if (!c)
        return;
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_input_id);
    if (!ext || !ext->present)
        return;
    // Raw events on the root window need XInput 2.1 or later; the version
    // Qt has announced on this connection is kept when it is newer.
    xcb_generic_error_t *err = nullptr;
    xcb_input_xi_query_version_reply_t *ver = xcb_input_xi_query_version_reply(
        c, xcb_input_xi_query_version(c, 2, 2), &err);
    std::free(err);
    const bool ok = ver && (ver->major_version > 2
                            || (ver->major_version == 2 && ver->minor_version >= 1));
    std::free(ver);
    if (!ok)
        return;
    xinputOpcode_ = ext->major_opcode;
    filter_ = new Filter(this);
    QCoreApplication::instance()->installNativeEventFilter(filter_);
    selectRaw(c, pryx::platform::xkeymap::rootWindow(),
              XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE);
    active_ = true;
}

PrintWatch::~PrintWatch()
{
    if (!filter_)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(filter_);
    if (xcb_connection_t *c = pryx::platform::xkeymap::connection())
        selectRaw(c, pryx::platform::xkeymap::rootWindow(), 0);
    delete filter_;
}

void PrintWatch::handle(uint8_t keycode, bool pressed)
{
    if (pressed) {
        if (down_.contains(keycode))
            return; // a repeat the server did not mark
        down_.insert(keycode);
    } else {
        down_.remove(keycode);
    }
    const bool isPrint = pryx::platform::xkeymap::keycodesForKeysym(XK_Print).contains(keycode);
    emit keyEvent(isPrint, pressed);
}
