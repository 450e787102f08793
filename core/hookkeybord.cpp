#include "core/hookkeybord.h"

#include "core/base/setting.h"
#include "platform/globalshortcut.h"
#include "platform/printwatch.h"
#include "core/corelog.h"

#include <QDebug>
#include <QKeySequence>

namespace {
const char *const kSlots[] = {"fragmentScreen", "quickScreen", "fullScreen"};
} // namespace

HookKeybord *HookKeybord::instance()
{
    static HookKeybord *self = new HookKeybord();
    return self;
}

HookKeybord::HookKeybord() : QObject(nullptr)
{
    hook_ = new PrintWatch(this);
    connect(hook_, &PrintWatch::keyEvent, this, &HookKeybord::onKeyEvent);
}

void HookKeybord::onKeyEvent(bool isPrint, bool pressed)
{
    // Every Print press is reported, so a second Print in a row still reaches
    // the hotkey editor; everything else only on a change.
    if (isPrint && pressed) {
        printMod_ = true;
        emit printModifiedChanged(true);
        return;
    }
    if (isPrint != printMod_) {
        printMod_ = isPrint;
        emit printModifiedChanged(printMod_);
    }
}

QString HookKeybord::normalizeKeyText(QString text)
{
    text.replace(QStringLiteral("⇧"), QStringLiteral("Shift"));
    text.replace(QStringLiteral("⌘"), QStringLiteral("Ctrl"));
    text.replace(QStringLiteral("Print Screen"), QStringLiteral("Print"));
    return text;
}

void HookKeybord::clearShortcuts()
{
    for (GlobalShortcut *s : qAsConst(shortcuts_)) {
        s->setDisabled(true);
        delete s;
    }
    shortcuts_.clear();
}

void HookKeybord::registerShortcuts()
{
    clearShortcuts();
    Setting *st = Setting::instance();
    keyFragment_ = normalizeKeyText(st->getValue("keyFragmentScreen").toString());
    keyQuick_ = normalizeKeyText(st->getValue("keyQuickFragmentScreen").toString());
    keyFull_ = normalizeKeyText(st->getValue("keySnapshotScreen").toString());
    if (st->flag(QStringLiteral("fragmentScreen")))
        addShortcut(keyFragment_, 0);
    if (st->flag(QStringLiteral("quickFragmentScreen")))
        addShortcut(keyQuick_, 1);
    if (st->flag(QStringLiteral("snapshotFull")))
        addShortcut(keyFull_, 2);
}

void HookKeybord::stopHook()
{
    qCInfo(pryx::lcCore).noquote() << "void __cdecl HookKeybord::stopHook(void)";
    clearShortcuts();
}

void HookKeybord::addShortcut(QString keyText, int type)
{
    if (type < 0 || type > 2)
        return;
    keyText.remove(QLatin1Char(' '));
    const QKeySequence seq = QKeySequence::fromString(keyText, QKeySequence::PortableText);
    delete shortcuts_.take(type);
    auto *s = new GlobalShortcut();
    connect(s, &GlobalShortcut::activated, this, [this, type] {
        emit shortcutActivated(type);
        if (target_)
            QMetaObject::invokeMethod(target_, kSlots[type]);
    });
    s->setShortcut(seq);
    shortcuts_.insert(type, s);
}
