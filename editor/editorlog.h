#pragma once
// The debug category of the annotation editor: "pryx.editor".

#include <QLoggingCategory>

namespace pryx {

inline const QLoggingCategory &lcEditor()
{
    static const QLoggingCategory category("pryx.editor");
    return category;
}

} // namespace pryx
