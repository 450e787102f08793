#pragma once
// A second X client for keyboard tests: injects keys with XTest, grabs keys
// as a rival program would, and sets NumLock, CapsLock and the layout group.

#include <QList>
#include <QString>
#include <cstdint>

struct xcb_connection_t;
struct _XDisplay;

namespace pryx::test {

class XKeyClient
{
public:
    XKeyClient();
    ~XKeyClient(); // releases every key it still holds and its grabs
    bool isOpen() const { return conn_ != nullptr; }

    // First keycode carrying the keysym (lowest level first), 0 if none.
    uint8_t keycode(uint32_t keysym);
    // X modifier bit of a modifier keysym (Alt_L -> Mod1 ...).
    uint16_t modifierMask(uint32_t keysym);

    void press(uint32_t keysym);
    void release(uint32_t keysym);
    void pressCode(uint8_t code);
    void releaseCode(uint8_t code);
    // Presses the keysyms in order and releases them in reverse.
    void chord(const QList<uint32_t> &keysyms);
    void releaseAll();
    // Round trip: the server has handled everything sent so far.
    void sync();

    // Passive grab on the root window by this client; false when refused.
    bool grab(uint8_t keycode, uint16_t mods);
    // Grabs the combination with every CapsLock/NumLock variant, all or none.
    bool grabAllVariants(uint8_t keycode, uint16_t mods);
    void ungrabAll();

    void setNumLock(bool on);
    void setCapsLock(bool on);
    void setGroup(int group);
    int group();
    uint16_t numLockMask() { return modifierMask(0xff7f); }

    // setxkbmap; returns whether it succeeded.
    static bool setLayout(const QString &layouts);

private:
    xcb_connection_t *conn_ = nullptr;
    _XDisplay *dpy_ = nullptr;
    uint32_t root_ = 0;
    QList<uint8_t> held_;
    QList<QPair<uint8_t, uint16_t>> grabs_;
};

// Lets the test's event loop take what the server delivered so far.
void settleEvents(XKeyClient &client, int ms = 60);

} // namespace pryx::test
