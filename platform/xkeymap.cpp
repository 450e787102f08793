#include "platform/xkeymap.h"

#include <QGuiApplication>
#include <QX11Info>

#include <xcb/xcb.h>
#define XK_MISCELLANY
#define XK_LATIN1
#define XK_XKB_KEYS
#include <X11/XF86keysym.h>
#include <X11/keysymdef.h>

#include <cstdlib>

namespace pryx::platform::xkeymap {
namespace {

struct KeyboardMap {
    bool loaded = false;
    uint8_t minCode = 0;
    int perCode = 0;
    QVector<uint32_t> syms;            // perCode entries per keycode from minCode
    QVector<QVector<uint8_t>> modKeys; // keycodes of Shift, Lock, Control, Mod1..Mod5
};

KeyboardMap &cache()
{
    static KeyboardMap map;
    return map;
}

const KeyboardMap &load()
{
    KeyboardMap &m = cache();
    if (m.loaded)
        return m;
    m = KeyboardMap();
    m.loaded = true;
    xcb_connection_t *c = connection();
    if (!c)
        return m;
    const xcb_setup_t *setup = xcb_get_setup(c);
    const uint8_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *km = xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, first, uint8_t(count)), nullptr);
    if (km) {
        m.minCode = first;
        m.perCode = km->keysyms_per_keycode;
        const xcb_keysym_t *s = xcb_get_keyboard_mapping_keysyms(km);
        const int n = xcb_get_keyboard_mapping_keysyms_length(km);
        m.syms.reserve(n);
        for (int i = 0; i < n; ++i)
            m.syms.append(s[i]);
        std::free(km);
    }
    xcb_get_modifier_mapping_reply_t *mm = xcb_get_modifier_mapping_reply(
        c, xcb_get_modifier_mapping(c), nullptr);
    m.modKeys.resize(8);
    if (mm) {
        const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(mm);
        const int per = mm->keycodes_per_modifier;
        for (int mod = 0; mod < 8; ++mod)
            for (int i = 0; i < per; ++i)
                if (codes[mod * per + i])
                    m.modKeys[mod].append(codes[mod * per + i]);
        std::free(mm);
    }
    return m;
}

} // namespace

xcb_connection_t *connection()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()) || !QX11Info::isPlatformX11())
        return nullptr;
    return QX11Info::connection();
}

uint32_t rootWindow()
{
    return connection() ? uint32_t(QX11Info::appRootWindow()) : 0;
}

void invalidate() { cache().loaded = false; }

void noteEvent(const void *xcbEvent)
{
    const auto *ev = static_cast<const xcb_generic_event_t *>(xcbEvent);
    const uint8_t type = ev->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY) {
        invalidate();
        return;
    }
    static int xkbEvent = -1; // first event code of XKEYBOARD, 0 when absent
    if (xkbEvent < 0) {
        xkbEvent = 0;
        if (xcb_connection_t *c = connection()) {
            static const char name[] = "XKEYBOARD";
            xcb_query_extension_reply_t *r = xcb_query_extension_reply(
                c, xcb_query_extension(c, sizeof(name) - 1, name), nullptr);
            if (r && r->present)
                xkbEvent = r->first_event;
            std::free(r);
        }
    }
    // The second byte of every XKB event is its kind: 0 new keyboard, 1 map.
    if (xkbEvent > 0 && type == xkbEvent && (ev->pad0 == 0 || ev->pad0 == 1))
        invalidate();
}

QVector<uint32_t> keysymsForQtKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return {uint32_t(key - Qt::Key_A + 'a')};
    if ((key >= 0x20 && key <= 0x7e) || (key >= 0xa0 && key <= 0xff))
        return {uint32_t(key)};
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return {uint32_t(XK_F1 + (key - Qt::Key_F1))};
    switch (key) {
    case Qt::Key_Escape: return {XK_Escape};
    case Qt::Key_Tab: return {XK_Tab};
    case Qt::Key_Backtab: return {XK_ISO_Left_Tab};
    case Qt::Key_Backspace: return {XK_BackSpace};
    case Qt::Key_Return: return {XK_Return, XK_KP_Enter};
    case Qt::Key_Enter: return {XK_KP_Enter, XK_Return};
    case Qt::Key_Insert: return {XK_Insert};
    case Qt::Key_Delete: return {XK_Delete};
    case Qt::Key_Pause: return {XK_Pause};
    case Qt::Key_Print: return {XK_Print};
    case Qt::Key_SysReq: return {XK_Sys_Req};
    case Qt::Key_Clear: return {XK_Clear};
    case Qt::Key_Home: return {XK_Home};
    case Qt::Key_End: return {XK_End};
    case Qt::Key_Left: return {XK_Left};
    case Qt::Key_Up: return {XK_Up};
    case Qt::Key_Right: return {XK_Right};
    case Qt::Key_Down: return {XK_Down};
    case Qt::Key_PageUp: return {XK_Prior};
    case Qt::Key_PageDown: return {XK_Next};
    case Qt::Key_Menu: return {XK_Menu};
    case Qt::Key_Help: return {XK_Help};
    case Qt::Key_ScrollLock: return {XK_Scroll_Lock};
    case Qt::Key_VolumeDown: return {XF86XK_AudioLowerVolume};
    case Qt::Key_VolumeMute: return {XF86XK_AudioMute};
    case Qt::Key_VolumeUp: return {XF86XK_AudioRaiseVolume};
    case Qt::Key_MediaPlay: return {XF86XK_AudioPlay};
    case Qt::Key_MediaStop: return {XF86XK_AudioStop};
    case Qt::Key_MediaPrevious: return {XF86XK_AudioPrev};
    case Qt::Key_MediaNext: return {XF86XK_AudioNext};
    default: return {};
    }
}

QVector<uint8_t> keycodesForKeysym(uint32_t keysym)
{
    QVector<uint8_t> out;
    const KeyboardMap &m = load();
    if (m.perCode <= 0 || keysym == 0)
        return out;
    for (int i = 0; i < m.syms.size(); ++i) {
        if (m.syms[i] != keysym)
            continue;
        const int code = m.minCode + i / m.perCode;
        if (code > 0 && code <= 255 && !out.contains(uint8_t(code)))
            out.append(uint8_t(code));
    }
    return out;
}

uint16_t modifierMaskForKeysym(uint32_t keysym)
{
    const KeyboardMap &m = load();
    const QVector<uint8_t> codes = keycodesForKeysym(keysym);
    for (int mod = 0; mod < m.modKeys.size(); ++mod)
        for (uint8_t code : codes)
            if (m.modKeys[mod].contains(code))
                return uint16_t(1u << mod);
    return 0;
}

bool modifiersForQt(int mods, uint16_t *mask)
{
    uint16_t out = 0;
    if (mods & Qt::ShiftModifier)
        out |= XCB_MOD_MASK_SHIFT;
    if (mods & Qt::ControlModifier)
        out |= XCB_MOD_MASK_CONTROL;
    if (mods & Qt::AltModifier) {
        uint16_t alt = modifierMaskForKeysym(XK_Alt_L);
        if (!alt)
            alt = modifierMaskForKeysym(XK_Alt_R);
        if (!alt)
            return false;
        out |= alt;
    }
    if (mods & Qt::MetaModifier) {
        uint16_t meta = modifierMaskForKeysym(XK_Super_L);
        if (!meta)
            meta = modifierMaskForKeysym(XK_Super_R);
        if (!meta)
            return false;
        out |= meta;
    }
    *mask = out;
    return true;
}

uint16_t lockMask() { return XCB_MOD_MASK_LOCK; }

uint16_t numLockMask()
{
    const uint16_t m = modifierMaskForKeysym(XK_Num_Lock);
    return m == XCB_MOD_MASK_SHIFT || m == XCB_MOD_MASK_CONTROL ? 0 : m;
}

} // namespace pryx::platform::xkeymap
