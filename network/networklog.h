#pragma once
// The debug category of uploads and the web service: "pryx.network".

#include <QLoggingCategory>

namespace pryx {

inline const QLoggingCategory &lcNetwork()
{
    static const QLoggingCategory category("pryx.network");
    return category;
}

} // namespace pryx
