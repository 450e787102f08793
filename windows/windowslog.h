#pragma once
// The debug category of the windows: "pryx.windows".

#include <QLoggingCategory>

namespace pryx {

inline const QLoggingCategory &lcWindows()
{
    static const QLoggingCategory category("pryx.windows");
    return category;
}

} // namespace pryx
