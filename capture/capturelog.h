#pragma once
// The debug category of the capture surface: "pryx.capture".

#include <QLoggingCategory>

namespace pryx {

inline const QLoggingCategory &lcCapture()
{
    static const QLoggingCategory category("pryx.capture");
    return category;
}

} // namespace pryx
