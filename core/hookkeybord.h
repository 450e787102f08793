#pragma once
// Global capture hotkeys and the Print Screen watch.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class GlobalShortcut;
class PrintWatch;

class HookKeybord : public QObject
{
    Q_OBJECT
public:
    static HookKeybord *instance();
    void registerShortcuts();
    void stopHook();
    void addShortcut(QString keyText, int type);

    // The object whose slots fragmentScreen(), quickScreen() and fullScreen()
    // the hotkeys of types 0, 1 and 2 call; none by default.
    void setTarget(QObject *target) { target_ = target; }
    QObject *target() const { return target_; }

    // The registered shortcut of a type, or null.
    GlobalShortcut *shortcut(int type) const { return shortcuts_.value(type); }
    bool printModified() const { return printMod_; }

    // "⇧" -> "Shift", "⌘" -> "Ctrl", "Print Screen" -> "Print".
    static QString normalizeKeyText(QString text);

signals:
    void printModifiedChanged(bool printMod);
    void shortcutActivated(int type);

private:
    HookKeybord();
    void clearShortcuts();
    void onKeyEvent(bool isPrint, bool pressed);

    QString keyFragment_;
    QString keyQuick_;
    QString keyFull_;
    PrintWatch *hook_ = nullptr;
    bool printMod_ = false;
    QHash<int, GlobalShortcut *> shortcuts_;
    QPointer<QObject> target_;
};
