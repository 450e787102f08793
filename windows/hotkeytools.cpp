#include "windows/hotkeytools.h"

#include "core/hookkeybord.h"

#include <QGuiApplication>
#include <QKeySequence>

int HotkeyTools::heldModifiers() const
{
    return int(QGuiApplication::queryKeyboardModifiers());
}

QString HotkeyTools::normalized(const QString &text) const
{
    QString t = HookKeybord::normalizeKeyText(text);
    t.remove(QLatin1Char(' '));
    const QKeySequence seq = QKeySequence::fromString(t, QKeySequence::PortableText);
    return seq.isEmpty() ? t : seq.toString(QKeySequence::PortableText);
}
