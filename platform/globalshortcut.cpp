#include "platform/globalshortcut.h"

#include "platform/xkeymap.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdlib>

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
        const uint16_t mods = key->state & kModifierBits
                              & ~(pryx::platform::xkeymap::lockMask() | pryx::platform::xkeymap::numLockMask());
        if (rt == XCB_KEY_RELEASE) {
            lastRelease_[key->detail] = key->time;
            return down_.remove(key->detail) || owners.contains(comboKey(key->detail, mods));
        }
        GlobalShortcut *owner = owners.value(comboKey(key->detail, mods));
        if (!owner)
            return false;
        // Auto-repeat: either presses without releases, or a release and a
        // press with the same time stamp.
        const bool repeat = down_.contains(key->detail)
                            || (lastRelease_.contains(key->detail)
                                && lastRelease_.value(key->detail) == key->time);
        down_.insert(key->detail);
        if (!repeat && owner->isEnabled()) {
            QPointer<GlobalShortcut> target(owner);
            QTimer::singleShot(0, owner, [target] {
                if (target)
                    emit target->activated();
            });
        }
        return true;
    }

private:
    QSet<uint8_t> down_;
    QHash<uint8_t, uint32_t> lastRelease_;
};

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
            cookies.append(xcb_grab_key_checked(c, 1, root, uint16_t(mods | v), code,
                                                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
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
