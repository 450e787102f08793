#include "support/xkeyclient.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

namespace pryx::test {

XKeyClient::XKeyClient()
{
    conn_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn_)) {
        xcb_disconnect(conn_);
        conn_ = nullptr;
        return;
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
    dpy_ = XOpenDisplay(nullptr);
}

XKeyClient::~XKeyClient()
{
    if (!conn_)
        return;
    releaseAll();
    ungrabAll();
    sync();
    xcb_disconnect(conn_);
    if (dpy_)
        XCloseDisplay(dpy_);
}

uint8_t XKeyClient::keycode(uint32_t keysym)
{
    if (!conn_)
        return 0;
    const xcb_setup_t *setup = xcb_get_setup(conn_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *r = xcb_get_keyboard_mapping_reply(
        conn_, xcb_get_keyboard_mapping(conn_, setup->min_keycode, uint8_t(count)), nullptr);
    if (!r)
        return 0;
    const xcb_keysym_t *s = xcb_get_keyboard_mapping_keysyms(r);
    const int per = r->keysyms_per_keycode;
    uint8_t found = 0;
    for (int col = 0; col < per && !found; ++col)
        for (int i = 0; i < count && !found; ++i)
            if (s[i * per + col] == keysym)
                found = uint8_t(setup->min_keycode + i);
    std::free(r);
    return found;
}

uint16_t XKeyClient::modifierMask(uint32_t keysym)
{
    const uint8_t code = keycode(keysym);
    if (!code)
        return 0;
    xcb_get_modifier_mapping_reply_t *r =
        xcb_get_modifier_mapping_reply(conn_, xcb_get_modifier_mapping(conn_), nullptr);
    uint16_t mask = 0;
    if (r) {
        const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(r);
        for (int mod = 0; mod < 8 && !mask; ++mod)
            for (int i = 0; i < r->keycodes_per_modifier; ++i)
                if (codes[mod * r->keycodes_per_modifier + i] == code)
                    mask = uint16_t(1u << mod);
        std::free(r);
    }
    return mask;
}

void XKeyClient::pressCode(uint8_t code)
{
    if (!conn_ || !code)
        return;
    xcb_test_fake_input(conn_, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    held_.append(code);
    sync();
}

void XKeyClient::releaseCode(uint8_t code)
{
    if (!conn_ || !code)
        return;
    xcb_test_fake_input(conn_, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    held_.removeAll(code);
    sync();
}

void XKeyClient::press(uint32_t keysym) { pressCode(keycode(keysym)); }
void XKeyClient::release(uint32_t keysym) { releaseCode(keycode(keysym)); }

void XKeyClient::chord(const QList<uint32_t> &keysyms)
{
    for (uint32_t k : keysyms)
        press(k);
    for (int i = keysyms.size() - 1; i >= 0; --i)
        release(keysyms[i]);
}

void XKeyClient::releaseAll()
{
    while (!held_.isEmpty())
        releaseCode(held_.last());
}

void XKeyClient::sync()
{
    if (conn_)
        std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
}

bool XKeyClient::grab(uint8_t code, uint16_t mods)
{
    if (!conn_)
        return false;
    xcb_generic_error_t *err = xcb_request_check(
        conn_, xcb_grab_key_checked(conn_, 1, root_, mods, code, XCB_GRAB_MODE_ASYNC,
                                    XCB_GRAB_MODE_ASYNC));
    if (err) {
        std::free(err);
        return false;
    }
    grabs_.append({code, mods});
    return true;
}

bool XKeyClient::grabAllVariants(uint8_t code, uint16_t mods)
{
    const uint16_t num = numLockMask();
    const QList<uint16_t> variants{0, XCB_MOD_MASK_LOCK, num, uint16_t(XCB_MOD_MASK_LOCK | num)};
    bool all = true;
    for (uint16_t v : variants)
        all = grab(code, uint16_t(mods | v)) && all;
    if (!all)
        ungrabAll();
    return all;
}

void XKeyClient::ungrabAll()
{
    for (const auto &g : qAsConst(grabs_))
        xcb_ungrab_key(conn_, g.first, root_, g.second);
    grabs_.clear();
    sync();
}

void XKeyClient::setNumLock(bool on)
{
    if (!dpy_)
        return;
    const unsigned mask = numLockMask();
    XkbLockModifiers(dpy_, XkbUseCoreKbd, mask, on ? mask : 0);
    XSync(dpy_, False);
}

void XKeyClient::setCapsLock(bool on)
{
    if (!dpy_)
        return;
    XkbLockModifiers(dpy_, XkbUseCoreKbd, LockMask, on ? LockMask : 0);
    XSync(dpy_, False);
}

void XKeyClient::setGroup(int group)
{
    if (!dpy_)
        return;
    XkbLockGroup(dpy_, XkbUseCoreKbd, unsigned(group));
    XSync(dpy_, False);
}

int XKeyClient::group()
{
    XkbStateRec st;
    if (!dpy_ || XkbGetState(dpy_, XkbUseCoreKbd, &st) != Success)
        return -1;
    return st.group;
}

bool XKeyClient::setLayout(const QString &layouts)
{
    QProcess p;
    p.start(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), layouts});
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void settleEvents(XKeyClient &client, int ms)
{
    client.sync();
    QTest::qWait(ms);
    QCoreApplication::processEvents();
}

} // namespace pryx::test
