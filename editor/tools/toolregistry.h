#pragma once
// The tools of the annotation editor, in their fixed order.

#include <QVector>

class GraphModule;
class QObject;

namespace pryx {
namespace editor {

struct ToolEntry
{
    const char *name;
    GraphModule *(*create)(QObject *parent);
};

// "Move", "Pen", "Rect", "Ellipse", "Line", "Arrow", "Text", "Blur",
// "Counter", "Marker", "Blackout", "Ponoram".
const QVector<ToolEntry> &toolRegistry();

} // namespace editor
} // namespace pryx
