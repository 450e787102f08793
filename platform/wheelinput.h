#pragma once
// Synthetic pointer input through XTest (root pixels) and the search for the
// window under a point, both over Qt's own X connection.

#include <QList>
#include <QPoint>
#include <QRect>

namespace pryx::platform {

// Each returns false when there is no X connection or XTest refuses.
bool movePointer(const QPoint &p);
bool pressLeftAt(const QPoint &p);
bool releaseLeft();
// Move, press and release button 1.
bool clickAt(const QPoint &p);
// One notch down (button 5) wherever the pointer is.
bool wheelDown();

struct WindowAt
{
    quint32 id = 0;   // 0: nothing found
    QRect rect;       // in root coordinates
    bool child = false;
};

// The window to scroll under `p`: the deepest viewable child of the topmost
// viewable top-level window that contains it, else that top-level window.
// Windows of this process (and their frames) are skipped, as are `skip`.
WindowAt scrollWindowAt(const QPoint &p, const QList<quint32> &skip = QList<quint32>());

} // namespace pryx::platform
