#pragma once
// The tools of the annotation editor, in their fixed order, with what the
// area and the toolbar need to know of each.

#include <QString>
#include <QVector>

class GraphModule;
class QCursor;
class QObject;

namespace pryx {
namespace editor {

enum class ToolCursor { Cross, IBeam };

// What a tool does beyond drawing its items.
enum ToolFeature : unsigned {
    ToolUsesColor = 1u << 0,       // the colour strip applies to it
    ToolUsesSubstrate = 1u << 1,   // the text substrate box applies to it
    ToolFillsWithCtrl = 1u << 2,   // Ctrl fills the shape (the button shows it)
    ToolDrawsBlackout = 1u << 3,   // its strokes change the blackout area
};

struct ToolEntry
{
    const char *name;
    GraphModule *(*create)(QObject *parent);
    // The setting that keeps the tool's line width.
    const char *widthKey;
    ToolCursor cursor;
    unsigned features;
    // Place on the toolbar from the left, from 1; 0: no button.
    int toolbarPlace;
    // Tooltip and its second line, translated in the toolbar's context.
    const char *tip;
    const char *tipDetail;
};

// "Move", "Pen", "Rect", "Ellipse", "Line", "Arrow", "Text", "Blur",
// "Counter", "Marker", "Blackout", "Ponoram".
const QVector<ToolEntry> &toolRegistry();
// The tool of that name, or null.
const ToolEntry *findTool(const QString &name);
// The tool's width setting; "widthColorLine" for a name of no tool.
QString toolWidthKey(const QString &name);
// The cursor over the area while the tool is current (the cross for a name
// of no tool).
QCursor toolCursor(const QString &name);
// Whether the tool of that name has the feature; `otherwise` for a name of
// no tool (also the empty name).
bool toolHas(const QString &name, ToolFeature feature, bool otherwise);

} // namespace editor
} // namespace pryx
