#pragma once
// The part of a window that takes pointer input (the X Shape extension's
// input region), apart from what is drawn: clicks outside it go to whatever
// lies below the window.

#include <QRegion>
#include <QWindow>

namespace pryx::platform {

// Only `region` (window coordinates) of the window takes input; false when
// the window has no native window yet or the server lacks the extension.
bool setInputRegion(QWindow *window, const QRegion &region);
// The whole window takes input again (as far as its drawn shape reaches).
bool resetInputRegion(QWindow *window);

} // namespace pryx::platform
