#pragma once
// The debug category of the application core: "pryx.core".

#include <QLoggingCategory>

namespace pryx {

inline const QLoggingCategory &lcCore()
{
    static const QLoggingCategory category("pryx.core");
    return category;
}

} // namespace pryx
