#pragma once
// Grabbing the desktop and the window-system details of the capture surface
// (keyboard modifiers, input pass-through mask, stay-on-top placement).

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QVector>

class QWindow;

namespace pryx::platform {

// Geometry of every screen in QGuiApplication::screens() order, in virtual
// desktop coordinates.
QVector<QRect> screenGeometries();
// The bounding rectangle of all screens (may start anywhere, not only at 0,0).
QRect virtualDesktop();

// Pixels of the given rectangle of the virtual desktop, read from the X root
// window (RGB32). Parts outside every screen read black. Null image when
// nothing can be read (no display, empty rectangle).
QImage grabDesktop(const QRect &rect);

// True while a Control key is held, asked from the window system.
bool isControlHeld();

// Input and painting of the window pass through everywhere outside `region`
// (window coordinates). An empty region removes the mask.
void setWindowMask(QWindow *window, const QRegion &region);

// A round trip to the display: what was sent before has been handled.
void syncDisplay();

// Frameless and above every other window; on X11 the window manager is kept
// from moving or decorating it. Call before show().
void setStayOnTopFlags(QWindow *window);
// Raises the window and gives it the keyboard focus.
void activate(QWindow *window);

} // namespace pryx::platform
