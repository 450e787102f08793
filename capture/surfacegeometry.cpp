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

} // namespace pryx::capture
