#pragma once
// The debug category of the platform layer: "pryx.platform".

#include <QLoggingCategory>

namespace pryx {

inline const QLoggingCategory &lcPlatform()
{
    static const QLoggingCategory category("pryx.platform");
    return category;
}

} // namespace pryx
