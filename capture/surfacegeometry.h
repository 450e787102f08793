#pragma once
// Pure geometry of the capture surface over several screens. The page of the
// surface covers the bounding rectangle of all screens; page coordinates are
// offsets from its top-left corner, which need not be (0, 0) on the desktop.

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QVector>

namespace pryx::capture {

// Bounding rectangle of the screens (null for none).
QRect unionOf(const QVector<QRect> &screens);

// Desktop <-> page coordinates for a page covering `desktop`.
QPoint pageToScreen(const QPoint &page, const QRect &desktop);
QRect pageToScreen(const QRect &page, const QRect &desktop);
QPoint screenToPage(const QPoint &screen, const QRect &desktop);
// The screens in page coordinates.
QVector<QRect> screensInPage(const QVector<QRect> &screens, const QRect &desktop);

// Index of the screen a selection belongs to: the one holding its centre,
// else the one it overlaps most, else -1. Rectangles in one coordinate system.
int screenOfSelection(const QVector<QRect> &screens, const QRect &selection);

// Where the toolbar goes for a selection (page coordinates), kept on the
// selection's own screen: below its bottom-right corner, else right of it,
// left of it, above it, or in the screen's bottom-right corner.
QPoint toolbarPosition(const QRect &selection, const QSize &toolbar,
                       const QVector<QRect> &screensPage);

// The screen holding a point, else the one nearest to it; -1 for none.
int screenAt(const QVector<QRect> &screens, const QPoint &p);

// `item` moved as little as needed to lie inside `screen` (its top-left
// corner wins when it is larger).
QPoint keepInside(const QRect &item, const QRect &screen);

// Where the magnifier goes: beside `base` (the cursor or the selection's
// corner), below and right of it, or above and left of it when that would
// leave the monitor under the cursor; always inside that monitor.
QPoint magnifierPosition(const QPoint &base, const QSize &size, const QPoint &cursor,
                         const QVector<QRect> &screensPage);

} // namespace pryx::capture
