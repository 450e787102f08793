#include "platform/globalshortcut.h"

#include "platform/platformlog.h"
#include "platform/xkeymap.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QVector>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {
quint32 comboKey(uint8_t keycode, uint16_t mods) { return quint32(keycode) << 16 | mods; }
const uint16_t kModifierBits = 0xff; // Shift, Lock, Control, Mod1..Mod5
} // namespace

// Sees every X event of Qt's connection and turns the key presses of grabbed
// combinations into activations.
class GlobalShortcutFilter : public QAbstractNativeEventFilter
{
public:
    static GlobalShortcutFilter *instance()
    {
        static GlobalShortcutFilter *self = nullptr;
        if (!self && QCoreApplication::instance()) {
            self = new GlobalShortcutFilter();
            QCoreApplication::instance()->installNativeEventFilter(self);
        }
        return self;
    }

    QHash<quint32, GlobalShortcut *> owners; // combination (lock bits clear) -> holder

    bool nativeEventFilter(const QByteArray &type, void *message, long *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        auto *ev = static_cast<xcb_generic_event_t *>(message);
        const uint8_t rt = ev->response_type & 0x7f;
        pryx::platform::xkeymap::noteEvent(ev);
        if (rt != XCB_KEY_PRESS && rt != XCB_KEY_RELEASE)
            return false;
        auto *key = reinterpret_cast<xcb_key_press_event_t *>(ev);
        const bool synthetic = ev->response_type & 0x80;
        const xcb_window_t root = pryx::platform::xkeymap::rootWindow();
        const uint16_t mods = key->state & kModifierBits
                              & ~(pryx::platform::xkeymap::lockMask() | pryx::platform::xkeymap::numLockMask());
        if (synthetic)
            return false;   // handed on by this filter itself (below)
        if (rt == XCB_KEY_RELEASE) {
            lastRelease_[key->detail] = key->time;
            if (down_.remove(key->detail) || owners.contains(comboKey(key->detail, mods))) {
                if (ungrabWhenUp_ && down_.isEmpty())
                    unhold();
                return true;
            }
            return holding_ && keepHeld(key, root);
        }
        GlobalShortcut *owner = owners.value(comboKey(key->detail, mods));
        // A grabbed combination freezes the keyboard at its press (see
        // grab()); it runs on once the press has been read here and, for
        // an activation, the keyboard is held.
        if (!owner) {
            allowKeyboard(key->time);
            return holding_ && keepHeld(key, root);
        }
        // Auto-repeat: either presses without releases, or a release and a
        // press with the same time stamp.
        const bool repeat = down_.contains(key->detail)
                            || (lastRelease_.contains(key->detail)
                                && lastRelease_.value(key->detail) == key->time);
        down_.insert(key->detail);
        if (repeat || !owner->isEnabled())
            allowKeyboard(key->time);
        if (!repeat && owner->isEnabled()) {
            hold(key->time);
            QPointer<GlobalShortcut> target(owner);
            QTimer::singleShot(0, owner, [this, target] {
                if (target)
                    emit target->activated();
                // No window took the keys: they belong to whoever has the focus.
                if (!target_)
                    unhold();
            });
        }
        return true;
    }

    void holdFor(QWindow *window)
    {
        if (!window)
            return;
        if (!holding_)
            hold(XCB_CURRENT_TIME);
        target_ = window;
        ungrabWhenUp_ = false;
        // Qt hands a key to its focus window, whatever window the event
        // names: the kept keys wait until the target has the focus (or,
        // should it never get it, a moment).
        QObject::disconnect(activeConnection_);
        activeConnection_ = QObject::connect(window, &QWindow::activeChanged, window, [this] { flushKept(); });
        QTimer::singleShot(kFocusWaitMs, window, [this] { flushKept(true); });
        flushKept();
    }

    void release(QWindow *window)
    {
        if (window && target_ == window)
            unhold();
    }

private:
    static xcb_connection_t *conn() { return pryx::platform::xkeymap::connection(); }

    void allowKeyboard(uint32_t time)
    {
        if (xcb_connection_t *c = conn()) {
            xcb_allow_events(c, XCB_ALLOW_ASYNC_KEYBOARD, time);
            xcb_flush(c);
        }
    }

    // Every key now comes to this program, reported on the root window.
    void hold(uint32_t time)
    {
        xcb_connection_t *c = conn();
        if (!c)
            return;
        if (holding_) {
            allowKeyboard(time);
            return;
        }
        xcb_grab_keyboard_reply_t *r = xcb_grab_keyboard_reply(
            c, xcb_grab_keyboard(c, 0, pryx::platform::xkeymap::rootWindow(), time, XCB_GRAB_MODE_ASYNC,
                                 XCB_GRAB_MODE_ASYNC),
            nullptr);
        holding_ = r && r->status == XCB_GRAB_STATUS_SUCCESS;
        if (!holding_)
            qCDebug(pryx::lcPlatform) << "keyboard not held:" << (r ? int(r->status) : -1);
        std::free(r);
        allowKeyboard(time);
    }

    void flushKept(bool always = false)
    {
        if (!target_ || (!always && !target_->isActive()))
            return;
        flushed_ = true;
        const QVector<xcb_key_press_event_t> kept = kept_;
        kept_.clear();
        for (const xcb_key_press_event_t &k : kept)
            forward(k);
    }

    // Lets the keyboard go; not before the hotkey's own keys are up, so that
    // their releases still come here and a next press is not taken for an
    // auto-repeat.
    void unhold()
    {
        QObject::disconnect(activeConnection_);
        flushed_ = false;
        target_ = nullptr;
        kept_.clear();
        if (!holding_)
            return;
        ungrabWhenUp_ = !down_.isEmpty();
        if (ungrabWhenUp_)
            return;
        holding_ = false;
        if (xcb_connection_t *c = conn()) {
            xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
            xcb_flush(c);
        }
    }

    // A key read while the keyboard is held. The server may still report it
    // to the focus window when the hold was taken over the hotkey's own
    // grab and did not stick: the key is kept all the same, and the
    // keyboard taken again so that the next ones come to the root.
    bool keepHeld(const xcb_key_press_event_t *key, xcb_window_t root)
    {
        if (key->event != root)
            regrab();
        return keep(key);
    }

    void regrab()
    {
        xcb_connection_t *c = conn();
        if (!c)
            return;
        xcb_grab_keyboard_reply_t *r = xcb_grab_keyboard_reply(
            c, xcb_grab_keyboard(c, 0, pryx::platform::xkeymap::rootWindow(), XCB_CURRENT_TIME,
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
            nullptr);
        if (!r || r->status != XCB_GRAB_STATUS_SUCCESS)
            qCDebug(pryx::lcPlatform) << "keyboard not held again:" << (r ? int(r->status) : -1);
        std::free(r);
    }

    bool keep(const xcb_key_press_event_t *key)
    {
        if (target_ && flushed_)
            forward(*key);
        else
            kept_.append(*key);
        return true;
    }

    // Hands a key to the window through the server, so that it arrives in
    // order with everything else the window receives.
    void forward(xcb_key_press_event_t key)
    {
        xcb_connection_t *c = conn();
        if (!c || !target_)
            return;
        const xcb_window_t win = xcb_window_t(target_->winId());
        // Qt hands a key to its focus window, whatever window the event
        // names; another window of this program may have the focus (the
        // tray may focus its icon on a click), and Qt may not have told
        // the target yet. The held keys are the target's: it takes the
        // focus first, in order before the key.
        if (target_->isExposed())
            xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, win, XCB_CURRENT_TIME);
        const QPoint at = target_->mapFromGlobal(QPoint(key.root_x, key.root_y));
        key.event = win;
        key.child = XCB_NONE;
        key.event_x = int16_t(at.x());
        key.event_y = int16_t(at.y());
        key.same_screen = 1;
        char buf[32];
        std::memset(buf, 0, sizeof buf);
        std::memcpy(buf, &key, sizeof key < sizeof buf ? sizeof key : sizeof buf);
        xcb_send_event(c, 0, win, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE, buf);
        xcb_flush(c);
    }

    QSet<uint8_t> down_;
    QHash<uint8_t, uint32_t> lastRelease_;
    static constexpr int kFocusWaitMs = 500;
    bool holding_ = false;
    bool flushed_ = false;   // the target has the kept keys; new ones go straight on
    bool ungrabWhenUp_ = false;
    QPointer<QWindow> target_;
    QMetaObject::Connection activeConnection_;
    QVector<xcb_key_press_event_t> kept_;
};

namespace pryx::platform {

void holdKeyboardFor(QWindow *window)
{
    if (GlobalShortcutFilter *filter = GlobalShortcutFilter::instance())
        filter->holdFor(window);
}

void releaseKeyboard(QWindow *window)
{
    if (GlobalShortcutFilter *filter = GlobalShortcutFilter::instance())
        filter->release(window);
}

} // namespace pryx::platform

GlobalShortcut::GlobalShortcut(QObject *parent) : QObject(parent) {}

GlobalShortcut::GlobalShortcut(const QKeySequence &shortcut, QObject *parent) : QObject(parent)
{
    setShortcut(shortcut);
}

// Ungrabs and waits for the server to have done it, so another client may
// take the keys as soon as this returns.
void GlobalShortcut::releaseGrabs(xcb_connection_t *c, uint32_t root, const QVector<Grab> &grabs)
{
    xcb_void_cookie_t last{};
    for (const auto &g : grabs)
        last = xcb_ungrab_key_checked(c, g.keycode, root, g.mods);
    if (!grabs.isEmpty())
        std::free(xcb_request_check(c, last));
}

GlobalShortcut::~GlobalShortcut() { ungrab(); }

bool GlobalShortcut::setShortcut(const QKeySequence &shortcut)
{
    ungrab();
    shortcut_ = shortcut;
    if (enabled_)
        grab();
    return isRegistered();
}

void GlobalShortcut::setEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (enabled_)
        grab();
    else
        ungrab();
}

bool GlobalShortcut::grab()
{
    xcb_connection_t *c = pryx::platform::xkeymap::connection();
    GlobalShortcutFilter *filter = GlobalShortcutFilter::instance();
    if (!c || !filter || shortcut_.isEmpty())
        return false;
    pryx::platform::xkeymap::invalidate(); // registrations are rare: always read the current map
    const int combined = shortcut_[0];
    const int qtKey = combined & ~int(Qt::KeyboardModifierMask);
    uint16_t mods = 0;
    if (!pryx::platform::xkeymap::modifiersForQt(combined & int(Qt::KeyboardModifierMask), &mods))
        return false;
    QVector<uint8_t> codes;
    for (uint32_t sym : pryx::platform::xkeymap::keysymsForQtKey(qtKey))
        for (uint8_t code : pryx::platform::xkeymap::keycodesForKeysym(sym))
            if (code != 0 && !codes.contains(code))
                codes.append(code);
    if (codes.isEmpty())
        return false;
    for (uint8_t code : codes)
        if (filter->owners.contains(comboKey(code, mods)))
            return false; // held by another shortcut of this program

    const uint16_t lock = pryx::platform::xkeymap::lockMask();
    const uint16_t num = pryx::platform::xkeymap::numLockMask();
    QVector<uint16_t> variants{0, lock};
    if (num)
        variants << num << uint16_t(lock | num);

    const xcb_window_t root = pryx::platform::xkeymap::rootWindow();
    QVector<Grab> tried;
    QVector<xcb_void_cookie_t> cookies;
    for (uint8_t code : codes) {
        for (uint16_t v : variants) {
            tried.append({code, uint16_t(mods | v)});
            // The keyboard freezes at the press until the filter has read
            // it, so that no key typed right after the hotkey goes elsewhere.
            cookies.append(xcb_grab_key_checked(c, 1, root, uint16_t(mods | v), code,
                                                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC));
        }
    }
    bool refused = false;
    QVector<Grab> held;
    for (int i = 0; i < cookies.size(); ++i) {
        if (xcb_generic_error_t *err = xcb_request_check(c, cookies[i])) {
            refused = true;
            std::free(err);
        } else {
            held.append(tried[i]);
        }
    }
    if (refused) {
        // Another client holds (part of) the combination: give back what we got.
        releaseGrabs(c, root, held);
        return false;
    }
    grabs_ = held;
    for (uint8_t code : codes)
        filter->owners.insert(comboKey(code, mods), this);
    return true;
}

void GlobalShortcut::ungrab()
{
    if (grabs_.isEmpty())
        return;
    if (GlobalShortcutFilter *filter = GlobalShortcutFilter::instance()) {
        for (auto it = filter->owners.begin(); it != filter->owners.end();) {
            if (it.value() == this)
                it = filter->owners.erase(it);
            else
                ++it;
        }
    }
    if (xcb_connection_t *c = pryx::platform::xkeymap::connection()) {
        const xcb_window_t root = pryx::platform::xkeymap::rootWindow();
        releaseGrabs(c, root, grabs_);
    }
    grabs_.clear();
}
