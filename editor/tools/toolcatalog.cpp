#include "editor/tools/toolcatalog.h"

#include "editor/tools/toolregistry.h"

#include <QQmlEngine>

#include <algorithm>

namespace pryx {
namespace editor {

void ToolCatalog::registerType()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    qmlRegisterSingletonType<ToolCatalog>("PryxComponent", 1, 0, "Tools",
                                          [](QQmlEngine *, QJSEngine *) -> QObject * {
                                              return new ToolCatalog;
                                          });
}

QVariantList ToolCatalog::toolbarButtons() const
{
    QVector<const ToolEntry *> shown;
    for (const ToolEntry &tool : toolRegistry())
        if (tool.toolbarPlace > 0)
            shown.append(&tool);
    std::sort(shown.begin(), shown.end(),
              [](const ToolEntry *a, const ToolEntry *b) { return a->toolbarPlace < b->toolbarPlace; });
    QVariantList buttons;
    for (const ToolEntry *tool : qAsConst(shown))
        buttons.append(QVariantMap{{QStringLiteral("name"), QString::fromLatin1(tool->name)},
                                   {QStringLiteral("tip"), QString::fromUtf8(tool->tip)},
                                   {QStringLiteral("detail"), QString::fromUtf8(tool->tipDetail)}});
    return buttons;
}

bool ToolCatalog::usesColor(const QString &name) const { return toolHas(name, ToolUsesColor, true); }
bool ToolCatalog::usesSubstrate(const QString &name) const { return toolHas(name, ToolUsesSubstrate, false); }
bool ToolCatalog::fillsWithCtrl(const QString &name) const { return toolHas(name, ToolFillsWithCtrl, false); }

} // namespace editor
} // namespace pryx
