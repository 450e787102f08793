#include "editor/tools/toolregistry.h"

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

namespace pryx {
namespace editor {

namespace {
template <typename Module>
GraphModule *make(QObject *parent)
{
    return new Module(parent);
}
} // namespace

const QVector<ToolEntry> &toolRegistry()
{
    static const QVector<ToolEntry> tools = {
        {"Move", &make<MoveModule>},
        {"Pen", &make<PenModule>},
        {"Rect", &make<RectModule>},
        {"Ellipse", &make<EllipseModule>},
        {"Line", &make<LineModule>},
        {"Arrow", &make<ArrowModule>},
        {"Text", &make<TextModule>},
        {"Blur", &make<BlurModule>},
        {"Counter", &make<CounterModule>},
        {"Marker", &make<MarkerModule>},
        {"Blackout", &make<BlackoutModule>},
        {"Ponoram", &make<PonoramModule>},
    };
    return tools;
}

} // namespace editor
} // namespace pryx
