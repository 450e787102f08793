#pragma once
// Top-level windows of other programs, for naming a capture after the window
// under it.

#include <QRect>
#include <QString>
#include <QVector>

namespace pryx::platform {

struct TitledWindow {
    QString title;
    QRect rect;   // virtual desktop coordinates
};

// Visible titled windows of other programs that meet `rect`, from the top of
// the stacking order down. Desktop and dock windows and the windows of this
// process are skipped. `ok` is false when the window system could not be
// asked.
QVector<TitledWindow> foreignWindowsAt(const QRect &rect, bool *ok = nullptr);

} // namespace pryx::platform
