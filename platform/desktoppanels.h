#pragma once
// The panels of the desktop (windows of the dock type: task bars, tray
// hosts), which the window manager keeps above ordinary windows. A panel that
// reserves no space leaves the available area unchanged, so placement has to
// avoid it by itself.

#include <QRect>
#include <QVector>

namespace pryx::platform {

// Their geometry in desktop coordinates; empty off X11 or without a window
// manager that lists its clients.
QVector<QRect> desktopPanels();

} // namespace pryx::platform
