#pragma once
// Questions to the X server over an xcb connection: atoms, window
// properties, the window tree and where a window lies.

#include <QByteArray>
#include <QRect>
#include <QVector>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace pryx::platform::x11 {

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};
// A reply of the server, freed when it goes.
template<typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

// The atom of this name if the server knows it; XCB_ATOM_NONE otherwise.
xcb_atom_t atom(xcb_connection_t *c, const char *name);
// The raw value of a property; empty when the window has none.
QByteArray property(xcb_connection_t *c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type);
// A property of 32-bit items (windows, atoms, cardinals); empty when the
// window has none or it is of another format.
QVector<uint32_t> property32(xcb_connection_t *c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type);
// The children of a window, bottom to top; empty when it is gone.
QVector<xcb_window_t> children(xcb_connection_t *c, xcb_window_t w);
// The window's rectangle on the root window; false when it cannot be read
// (it has gone meanwhile).
bool rootRect(xcb_connection_t *c, xcb_window_t root, xcb_window_t w, QRect *rect);

} // namespace pryx::platform::x11
