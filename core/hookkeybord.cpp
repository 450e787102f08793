// Interim: the X11 key grabs and the Print Screen watch replace this.
#include "core/hookkeybord.h"

HookKeybord *HookKeybord::instance()
{
    static HookKeybord *self = new HookKeybord();
    return self;
}
HookKeybord::HookKeybord() : QObject(nullptr) {}
void HookKeybord::registerShortcuts() {}
void HookKeybord::stopHook() {}
void HookKeybord::addShortcut(QString, int) {}
