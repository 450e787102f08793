#include "editor/tools/toolregistry.h"

#include "editor/cursors.h"
#include "editor/tools/arrowmodule.h"
#include "editor/tools/blackoutmodule.h"
#include "editor/tools/blurmodule.h"
#include "editor/tools/countermodule.h"
#include "editor/tools/ellipsemodule.h"
#include "editor/tools/linemodule.h"
#include "editor/tools/markermodule.h"
#include "editor/tools/movemodule.h"
#include "editor/tools/penmodule.h"
#include "editor/tools/ponorammodule.h"
#include "editor/tools/rectmodule.h"
#include "editor/tools/textmodule.h"

#include <QCoreApplication>
#include <QCursor>

namespace pryx {
namespace editor {

namespace {
template <typename Module>
GraphModule *make(QObject *parent)
{
    return new Module(parent);
}

const char *const kColorWidth = "widthColorLine";
} // namespace

const QVector<ToolEntry> &toolRegistry()
{
    static const QVector<ToolEntry> tools = {
        {"Move", &make<MoveModule>, kColorWidth, ToolCursor::Cross, ToolUsesColor, 1,
         QT_TRANSLATE_NOOP("ToolBar", "<b>Tool Move and transform</b>"),
         QT_TRANSLATE_NOOP("ToolBar", "Space - Switching to tool \"Move\"")},
        {"Pen", &make<PenModule>, kColorWidth, ToolCursor::Cross, ToolUsesColor, 2,
         QT_TRANSLATE_NOOP("ToolBar", "<b>Tool Pen</b>"),
         QT_TRANSLATE_NOOP("ToolBar", "+ Shift - Drawing a straight line")},
        {"Rect", &make<RectModule>, kColorWidth, ToolCursor::Cross, ToolUsesColor | ToolFillsWithCtrl, 8,
         QT_TRANSLATE_NOOP("ToolBar", "<b>Tool Rectangle</b>"),
         QT_TRANSLATE_NOOP("ToolBar", "+ Shift - draw square.\n+ Ctrl - draws a filled.")},
        {"Ellipse", &make<EllipseModule>, kColorWidth, ToolCursor::Cross, ToolUsesColor | ToolFillsWithCtrl, 7,
         QT_TRANSLATE_NOOP("ToolBar", "<b>Tool Ellipse</b>"),
         QT_TRANSLATE_NOOP("ToolBar", "+ Shift - draw circle.\n+ Ctrl - draws a filled.")},
        {"Line", &make<LineModule>, kColorWidth, ToolCursor::Cross, ToolUsesColor, 4,
         QT_TRANSLATE_NOOP("ToolBar", "<b>Tool Line</b>"),
         QT_TRANSLATE_NOOP("ToolBar", "+ Shift - drawing a straight line at angles of 45°.")},
        {"Arrow", &make<ArrowModule>, kColorWidth, ToolCursor::Cross, ToolUsesColor, 5,
         QT_TRANSLATE_NOOP("ToolBar", "<b>Tool Arrow</b>"),
         QT_TRANSLATE_NOOP("ToolBar", "+ Shift - drawing arrows at angles of 45°.")},
        {"Text", &make<TextModule>, "widthTextLine", ToolCursor::IBeam, ToolUsesColor | ToolUsesSubstrate, 6,
         QT_TRANSLATE_NOOP("ToolBar", "<b>Tool Text</b>"), ""},
        {"Blur", &make<BlurModule>, "widthBlureLine", ToolCursor::Cross, 0, 10,
         QT_TRANSLATE_NOOP("ToolBar", "<b>Tool Blur</b>"), ""},
        {"Counter", &make<CounterModule>, kColorWidth, ToolCursor::Cross, ToolUsesColor, 9,
         QT_TRANSLATE_NOOP("ToolBar", "<b>Tool Counter</b>"), ""},
        {"Marker", &make<MarkerModule>, kColorWidth, ToolCursor::Cross, ToolUsesColor, 3,
         QT_TRANSLATE_NOOP("ToolBar", "<b>Tool Marker</b>"),
         QT_TRANSLATE_NOOP("ToolBar", "+ Shift - Drawing a straight line")},
        {"Blackout", &make<BlackoutModule>, "widthBlackoutLine", ToolCursor::Cross, ToolDrawsBlackout, 11,
         QT_TRANSLATE_NOOP("ToolBar", "<b>Tool Blackout</b>"), ""},
        {"Ponoram", &make<PonoramModule>, kColorWidth, ToolCursor::Cross, 0, 0, "", ""},
    };
    return tools;
}

const ToolEntry *findTool(const QString &name)
{
    for (const ToolEntry &tool : toolRegistry())
        if (name == QLatin1String(tool.name))
            return &tool;
    return nullptr;
}

QString toolWidthKey(const QString &name)
{
    const ToolEntry *tool = findTool(name);
    return QLatin1String(tool ? tool->widthKey : kColorWidth);
}

QCursor toolCursor(const QString &name)
{
    const ToolEntry *tool = findTool(name);
    if (tool && tool->cursor == ToolCursor::IBeam)
        return QCursor(Qt::IBeamCursor);
    return crossCursor();
}

bool toolHas(const QString &name, ToolFeature feature, bool otherwise)
{
    const ToolEntry *tool = findTool(name);
    return tool ? (tool->features & feature) != 0 : otherwise;
}

} // namespace editor
} // namespace pryx
