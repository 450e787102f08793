#pragma once
// What the annotation editor needs from the rest of the program: palette
// colours, settings and analytics. The editor reaches them only through this
// interface, so it can run without the whole program (tests, benchmarks).

#include <QColor>
#include <QString>
#include <QVariant>

#include <functional>

namespace pryx {
namespace editor {

class Environment
{
public:
    virtual ~Environment();

    // Colour of a position on the toolbar's colour strip.
    virtual QColor colorFromX(int x) const;
    // Settings store reads and writes.
    virtual QVariant value(const QString &key) const;
    virtual void setValue(const QString &key, const QVariant &value);
    // One analytics event, e.g. ("tool", "use", "Rect").
    virtual void sendEvent(const QString &category, const QString &action, const QString &label);

    // The environment in use; never null. setCurrent(nullptr) restores the
    // standard one (settings store, palette and analytics hooks below).
    static Environment *current();
    static void setCurrent(Environment *environment);

    // Hooks of the standard environment, set once by the program.
    static void setColorLookup(std::function<QColor(int)> lookup);
    static void setEventSink(std::function<void(const QString &, const QString &, const QString &)> sink);
};

} // namespace editor
} // namespace pryx
