#include "core/base/settingdefaults.h"

namespace pryx::settings {

const Default *defaultOf(const QString &key)
{
    for (const Default &entry : kDefaults) {
        if (key == QLatin1String(entry.key))
            return &entry;
    }
    return nullptr;
}

QVariant resetValue(const Default &entry)
{
    const QString text = QString::fromLatin1(entry.reset);
    bool number = false;
    const int value = text.toInt(&number);
    return number ? QVariant(value) : QVariant(text);
}

QVariant newRowValue(const Default &entry)
{
    if (!entry.newRow)
        return QVariant();
    QString text = QString::fromLatin1(entry.newRow);
    if (text.size() >= 2 && text.startsWith(QLatin1Char('\'')) && text.endsWith(QLatin1Char('\'')))
        text = text.mid(1, text.size() - 2);
    return text;
}

// The variant's own conversion: a text is false when empty, "0" or "false"
// in any case; numbers are false at 0. qml/qml/Component/useful.js mirrors it.
bool isOn(const QVariant &value) { return value.toBool(); }

} // namespace pryx::settings
