#include "editor/environment.h"

#include "core/base/setting.h"

namespace pryx {
namespace editor {

namespace {
Environment *g_current = nullptr;
std::function<QColor(int)> &colorLookup()
{
    static std::function<QColor(int)> f;
    return f;
}
std::function<void(const QString &, const QString &, const QString &)> &eventSink()
{
    static std::function<void(const QString &, const QString &, const QString &)> f;
    return f;
}
} // namespace

Environment::~Environment() = default;

QColor Environment::colorFromX(int x) const
{
    if (colorLookup())
        return colorLookup()(x);
    return QColor();
}

QVariant Environment::value(const QString &key) const
{
    return Setting::instance()->getValue(key);
}

void Environment::setValue(const QString &key, const QVariant &value)
{
    if (key == QLatin1String("lastGraphTools"))
        Setting::instance()->setLastGraphTools(value);
    else
        Setting::instance()->setValue(key, value);
}

void Environment::sendEvent(const QString &category, const QString &action, const QString &label)
{
    if (eventSink())
        eventSink()(category, action, label);
}

Environment *Environment::current()
{
    static Environment standard;
    return g_current ? g_current : &standard;
}

void Environment::setCurrent(Environment *environment) { g_current = environment; }

void Environment::setColorLookup(std::function<QColor(int)> lookup) { colorLookup() = std::move(lookup); }

void Environment::setEventSink(std::function<void(const QString &, const QString &, const QString &)> sink)
{
    eventSink() = std::move(sink);
}

} // namespace editor
} // namespace pryx
