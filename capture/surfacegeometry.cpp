#include "capture/surfacegeometry.h"

namespace pryx::capture {

QRect unionOf(const QVector<QRect> &screens)
{
    QRect r;
    for (const QRect &s : screens)
        r = r.united(s);
    return r;
}

QPoint pageToScreen(const QPoint &page, const QRect &desktop)
{
    return page + desktop.topLeft();
}

QRect pageToScreen(const QRect &page, const QRect &desktop)
{
    return page.translated(desktop.topLeft());
}

QPoint screenToPage(const QPoint &screen, const QRect &desktop)
{
    return screen - desktop.topLeft();
}

QVector<QRect> screensInPage(const QVector<QRect> &screens, const QRect &desktop)
{
    QVector<QRect> out;
    out.reserve(screens.size());
    for (const QRect &s : screens)
        out.append(s.translated(-desktop.topLeft()));
    return out;
}

int screenOfSelection(const QVector<QRect> &screens, const QRect &selection)
{
    const QRect sel = selection.normalized();
    const QPoint centre(sel.x() + sel.width() / 2, sel.y() + sel.height() / 2);
    for (int i = 0; i < screens.size(); ++i)
        if (screens[i].contains(centre))
            return i;
    int best = -1;
    qint64 bestArea = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect in = screens[i].intersected(sel);
        const qint64 area = qint64(in.width()) * in.height();
        if (!in.isEmpty() && area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

QPoint toolbarPosition(const QRect &selection, const QSize &toolbar,
                       const QVector<QRect> &screensPage)
{
    const QRect sel = selection.normalized();
    int idx = screenOfSelection(screensPage, sel);
    if (idx < 0)
        idx = screensPage.isEmpty() ? -1 : 0;
    const QRect scr = idx < 0 ? unionOf(screensPage) : screensPage[idx];
    const int left = sel.x();
    const int top = sel.y();
    const int right = sel.x() + sel.width();
    const int bottom = sel.y() + sel.height();
    const int tw = toolbar.width();
    const int th = toolbar.height();
    const int sLeft = scr.x();
    const int sTop = scr.y();
    const int sRight = scr.x() + scr.width();
    const int sBottom = scr.y() + scr.height();

    int x = right - tw;
    int y = bottom + 11;
    if (x <= sLeft + 10)
        x = sLeft + 10;
    if (x + tw >= sRight - 30)
        x = sRight - tw - 30;
    if (y + th >= sBottom - 30) {
        if (sRight - right - 10 > tw) {
            x = right + 10;
            y = bottom - th;
        } else if (left - sLeft - 10 > tw) {
            x = left - tw - 10;
            y = bottom - th;
        } else if (top - sTop > th) {
            x = left + 10;
            y = top - th - 3;
        } else {
            x = sRight - tw - 10;
            y = sBottom - th - 10;
        }
        // Beside a tall selection the bar must not leave the screen at the top.
        if (y < sTop)
            y = sTop + 10;
    }
    return QPoint(x, y);
}

int screenAt(const QVector<QRect> &screens, const QPoint &p)
{
    int best = -1;
    qint64 bestDistance = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect &s = screens[i];
        if (s.contains(p))
            return i;
        const qint64 dx = p.x() < s.left() ? s.left() - p.x() : (p.x() > s.right() ? p.x() - s.right() : 0);
        const qint64 dy = p.y() < s.top() ? s.top() - p.y() : (p.y() > s.bottom() ? p.y() - s.bottom() : 0);
        const qint64 d = dx * dx + dy * dy;
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

QPoint keepInside(const QRect &item, const QRect &screen)
{
    int x = item.x();
    int y = item.y();
    if (x + item.width() > screen.x() + screen.width())
        x = screen.x() + screen.width() - item.width();
    if (y + item.height() > screen.y() + screen.height())
        y = screen.y() + screen.height() - item.height();
    x = qMax(x, screen.x());
    y = qMax(y, screen.y());
    return QPoint(x, y);
}

QPoint magnifierPosition(const QPoint &base, const QSize &size, const QPoint &cursor,
                         const QVector<QRect> &screensPage)
{
    QPoint p = base + QPoint(10, 10);
    const int i = screenAt(screensPage, cursor);
    if (i < 0)
        return p;
    const QRect scr = screensPage[i];
    if (p.x() + size.width() > scr.x() + scr.width() || p.y() + size.height() > scr.y() + scr.height())
        p = base - QPoint(size.width() + 10, size.height() + 10);
    return keepInside(QRect(p, size), scr);
}

} // namespace pryx::capture
