#pragma once
// The error windows a test has made Core show.

#include <QStringList>

#include "support/topwindows.h"
#include "windows/errorwidget.h"

namespace pryx::test {

// Texts of the error windows on screen.
inline QStringList errorTexts()
{
    QStringList out;
    for (ErrorWidget *e : shownWindowsOf<ErrorWidget>())
        out << e->errorText();
    return out;
}

inline void closeErrorWindows()
{
    for (ErrorWidget *e : windowsOf<ErrorWidget>())
        e->close();
}

} // namespace pryx::test
