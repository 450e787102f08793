#pragma once
// Global capture hotkeys and the Print Screen watch.

#include <QHash>
#include <QObject>
#include <QString>

class HookKeybord : public QObject
{
    Q_OBJECT
public:
    static HookKeybord *instance();
    void registerShortcuts();
    void stopHook();
    void addShortcut(QString keyText, int type);

signals:
    void printModifiedChanged(bool printMod);

private:
    HookKeybord();
};
