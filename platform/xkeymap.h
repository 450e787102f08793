#pragma once
// Key and modifier look-ups on Qt's own X connection, shared by the global
// shortcuts and the Print Screen watch. All functions are for the GUI thread.

#include <QVector>
#include <cstdint>

struct xcb_connection_t;

namespace pryx::platform::xkeymap {

// Qt's X connection and root window, or null / 0 when the program does not
// run on X11 (offscreen, Wayland, no GUI application).
xcb_connection_t *connection();
uint32_t rootWindow();

// Keysyms a Qt key code stands for (Qt::Key_Return gives main and keypad
// Enter); empty for keys without one and for lone modifiers.
QVector<uint32_t> keysymsForQtKey(int qtKey);

// Every keycode whose map carries the keysym, in any group and level.
// Never keycode 0.
QVector<uint8_t> keycodesForKeysym(uint32_t keysym);

// The modifier bit (Mod1..Mod5, Shift, Lock, Control) a modifier keysym is
// mapped to, or 0.
uint16_t modifierMaskForKeysym(uint32_t keysym);

// X modifier bits for Qt's Shift/Control/Alt/Meta modifiers, or false when
// one of them is not on the keyboard.
bool modifiersForQt(int qtModifiers, uint16_t *mask);

// Modifier bits that never tell hotkeys apart: CapsLock and NumLock.
uint16_t lockMask();
uint16_t numLockMask();

// Drops the cached maps.
void invalidate();
// Drops them when the event tells of a new keyboard map (core MappingNotify
// or the XKB map and new-keyboard notifications Qt's connection receives).
void noteEvent(const void *xcbEvent);

} // namespace pryx::platform::xkeymap
