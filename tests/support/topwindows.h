#pragma once
// The application's own top-level windows of one class, as a test looks for
// what the program has opened.

#include <QGuiApplication>
#include <QList>
#include <QWindow>

namespace pryx::test {

// Every top-level window of class T, shown or not.
template<class T> QList<T *> windowsOf()
{
    QList<T *> found;
    for (QWindow *w : QGuiApplication::topLevelWindows())
        if (auto *t = qobject_cast<T *>(w))
            found << t;
    return found;
}

// Those of them that are visible.
template<class T> QList<T *> shownWindowsOf()
{
    QList<T *> found;
    for (T *w : windowsOf<T>())
        if (w->isVisible())
            found << w;
    return found;
}

// The one window of class T; null while there is none or more than one.
template<class T> T *onlyWindow()
{
    const QList<T *> all = windowsOf<T>();
    return all.size() == 1 ? all.first() : nullptr;
}

} // namespace pryx::test
