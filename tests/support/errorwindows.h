#pragma once
// The error windows a test has made Core show.

#include <QGuiApplication>
#include <QStringList>
#include <QWindow>

#include "windows/errorwidget.h"

namespace pryx::test {

// Texts of the error windows on screen.
inline QStringList errorTexts()
{
    QStringList out;
    for (QWindow *w : QGuiApplication::topLevelWindows())
        if (auto *e = qobject_cast<ErrorWidget *>(w))
            if (e->isVisible())
                out << e->errorText();
    return out;
}

inline void closeErrorWindows()
{
    for (QWindow *w : QGuiApplication::topLevelWindows())
        if (qobject_cast<ErrorWidget *>(w))
            w->close();
}

} // namespace pryx::test
