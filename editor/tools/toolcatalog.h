#pragma once
// The tool registry as QML sees it (the singleton "Tools" of
// "PryxComponent" 1.0): the toolbar's buttons and what applies to a tool.

#include <QObject>
#include <QVariantList>

namespace pryx {
namespace editor {

class ToolCatalog : public QObject
{
    Q_OBJECT
    // The toolbar's buttons from the left: maps of "name", "tip" and
    // "detail" (untranslated; the toolbar translates them in its context).
    Q_PROPERTY(QVariantList toolbarButtons READ toolbarButtons CONSTANT)

public:
    using QObject::QObject;

    // Registers the singleton (once per process).
    static void registerType();

    QVariantList toolbarButtons() const;
    // For a tool or an item of that name; a name of no tool (also the empty
    // name) uses the colour and has no substrate and no filled variant.
    Q_INVOKABLE bool usesColor(const QString &name) const;
    Q_INVOKABLE bool usesSubstrate(const QString &name) const;
    Q_INVOKABLE bool fillsWithCtrl(const QString &name) const;
};

} // namespace editor
} // namespace pryx
