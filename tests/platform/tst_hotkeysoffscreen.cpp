#include <QtTest>

#include "core/base/setting.h"
#include "core/hookkeybord.h"
#include "platform/globalshortcut.h"
#include "platform/printwatch.h"

// Without an X server the hotkeys and the Print Screen watch are inert.
class TestHotkeysOffscreen : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen")); }

    void shortcutNeverRegisters()
    {
        GlobalShortcut s;
        QVERIFY(!s.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Print)));
        QCOMPARE(s.shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Print));
        s.setDisabled(true);
        s.setDisabled(false);
        QVERIFY(!s.isRegistered());
    }

    void watchIsInactive()
    {
        PrintWatch w;
        QVERIFY(!w.isActive());
    }

    void hookRegistersAndStops()
    {
        Setting::instance()->setValue("fragmentScreen", true);
        Setting::instance()->setValue("keyFragmentScreen", QStringLiteral("Ctrl + Print Screen"));
        HookKeybord *hook = HookKeybord::instance();
        hook->registerShortcuts();
        QVERIFY(hook->shortcut(0));
        QVERIFY(!hook->shortcut(0)->isRegistered());
        QCOMPARE(hook->shortcut(0)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Print));
        hook->stopHook();
        QVERIFY(!hook->shortcut(0));
        QVERIFY(!hook->printModified());
    }
};

QTEST_MAIN(TestHotkeysOffscreen)
#include "tst_hotkeysoffscreen.moc"
