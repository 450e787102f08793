#pragma once
// What the hotkey page asks of the program: the modifiers held right now and
// a hotkey text in the form the hotkey registration reads it.

#include <QObject>
#include <QString>

class HotkeyTools : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Qt::KeyboardModifiers held at this moment, asked of the window system
    // (not taken from the last key event).
    Q_INVOKABLE int heldModifiers() const;
    // The key sequence the registration makes of the text, in portable form;
    // "Ctrl + Print Screen" and "Ctrl + Print" give the same.
    Q_INVOKABLE QString normalized(const QString &text) const;
};
