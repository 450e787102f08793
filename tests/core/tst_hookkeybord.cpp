#include <QtTest>

#include "core/base/setting.h"
#include "core/hookkeybord.h"
#include "platform/globalshortcut.h"
#include "support/xkeyclient.h"

#define XK_MISCELLANY
#define XK_LATIN1
#include <X11/keysymdef.h>
#include <xcb/xcb.h>

using pryx::test::XKeyClient;
using pryx::test::settleEvents;
using Keys = QList<uint32_t>;
Q_DECLARE_METATYPE(Keys)

// Stands in for Core: the slots the hotkeys call by name.
class FakeCore : public QObject
{
    Q_OBJECT
public:
    int calls[3] = {0, 0, 0};
    int total() const { return calls[0] + calls[1] + calls[2]; }
public slots:
    void fragmentScreen() { ++calls[0]; }
    void quickScreen() { ++calls[1]; }
    void fullScreen() { ++calls[2]; }
};

namespace {
const char *const kEnable[] = {"fragmentScreen", "quickFragmentScreen", "snapshotFull"};
const char *const kKeyText[] = {"keyFragmentScreen", "keyQuickFragmentScreen", "keySnapshotScreen"};

void configure(const QStringList &texts)
{
    for (int t = 0; t < 3; ++t) {
        const QString text = texts.value(t);
        Setting::instance()->setValue(kEnable[t], !text.isNull());
        Setting::instance()->setValue(kKeyText[t], text.isNull() ? QString() : text);
    }
}

QString queryLayout()
{
    QProcess p;
    p.start(QStringLiteral("setxkbmap"), {QStringLiteral("-query")});
    p.waitForFinished(10000);
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith(QLatin1String("layout:")))
            return line.mid(7).trimmed();
    return QString();
}
} // namespace

class TestHookKeybord : public QObject
{
    Q_OBJECT
private:
    XKeyClient *x = nullptr;
    FakeCore core;
    HookKeybord *hook = nullptr;
    QString originalLayout;
    bool twoLayouts = false;

    bool rivalCanGrab(uint32_t keysym, uint16_t mods)
    {
        const bool ok = x->grabAllVariants(x->keycode(keysym), mods);
        x->ungrabAll();
        return ok;
    }
    uint16_t alt() { return x->modifierMask(XK_Alt_L); }

private slots:
    void initTestCase()
    {
        x = new XKeyClient;
        QVERIFY(x->isOpen());
        hook = HookKeybord::instance();
        hook->setTarget(&core);
        originalLayout = queryLayout();
        twoLayouts = XKeyClient::setLayout(QStringLiteral("us,ru"));
    }
    void cleanupTestCase()
    {
        hook->stopHook();
        x->setGroup(0);
        if (twoLayouts)
            XKeyClient::setLayout(originalLayout.isEmpty() ? QStringLiteral("us") : originalLayout);
        delete x;
    }
    void init()
    {
        core.calls[0] = core.calls[1] = core.calls[2] = 0;
    }
    void cleanup()
    {
        x->releaseAll();
        x->ungrabAll();
        x->setNumLock(false);
        x->setCapsLock(false);
        x->setGroup(0);
        hook->stopHook();
    }

    void hotkeyTextFiresOncePerPress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("type");
        QTest::addColumn<Keys>("keys");
        QTest::addColumn<uint32_t>("extra");
        QTest::addColumn<QString>("lock");
        struct Row {
            const char *name;
            QString text;
            int type;
            Keys keys;
            uint32_t extra;
        };
        const QList<Row> rows{
            {"Ctrl+Print", QStringLiteral("Ctrl + Print"), 0, {XK_Control_L, XK_Print}, XK_Alt_L},
            {"Ctrl+Shift+Print Screen", QStringLiteral("Ctrl + Shift + Print Screen"), 1,
             {XK_Control_L, XK_Shift_L, XK_Print}, XK_Alt_L},
            {"Shift+Ctrl+P", QStringLiteral("Shift + Ctrl + P"), 2, {XK_Shift_L, XK_Control_L, XK_p}, XK_Alt_L},
            {"Alt+F5", QStringLiteral("Alt + F5"), 0, {XK_Alt_L, XK_F5}, XK_Control_L},
            {"cmd+shift glyphs+P", QStringLiteral("⌘ + ⇧ + P"), 1, {XK_Control_L, XK_Shift_L, XK_p}, XK_Alt_L},
            {"shift glyph+Print Screen", QStringLiteral("⇧ + Print Screen"), 2, {XK_Shift_L, XK_Print}, XK_Control_L},
            {"cmd glyph+Print Screen", QStringLiteral("⌘ + Print Screen"), 0, {XK_Control_L, XK_Print}, XK_Shift_L},
        };
        for (const char *lock : {"none", "NumLock", "CapsLock", "second layout"})
            for (const Row &r : rows)
                QTest::addRow("%s, %s", r.name, lock) << r.text << r.type << r.keys << r.extra << QString(lock);
    }
    void hotkeyTextFiresOncePerPress()
    {
        QFETCH(QString, text);
        QFETCH(int, type);
        QFETCH(Keys, keys);
        QFETCH(uint32_t, extra);
        QFETCH(QString, lock);
        QStringList texts{QString(), QString(), QString()};
        texts[type] = text;
        configure(texts);
        hook->registerShortcuts();
        QVERIFY(hook->shortcut(type));
        QVERIFY(hook->shortcut(type)->isRegistered());

        if (lock == "NumLock")
            x->setNumLock(true);
        else if (lock == "CapsLock")
            x->setCapsLock(true);
        else if (lock == "second layout") {
            if (!twoLayouts)
                QSKIP("setxkbmap cannot load a second layout here");
            x->setGroup(1);
            QCOMPARE(x->group(), 1);
        }

        for (uint32_t k : keys)
            x->press(k);
        QTRY_COMPARE(core.calls[type], 1); // on the press, before any release
        x->releaseAll();
        settleEvents(*x);
        QCOMPARE(core.calls[type], 1);
        x->chord(keys);
        QTRY_COMPARE(core.calls[type], 2);

        x->chord(Keys{extra} + keys);
        x->chord({keys.last()});
        settleEvents(*x);
        QCOMPARE(core.calls[type], 2);
        QCOMPARE(core.total(), 2);
    }

    void enableFlagsChooseTheHotkeys()
    {
        configure({QStringLiteral("Ctrl + F5"), QString(), QStringLiteral("Ctrl + F7")});
        Setting::instance()->setValue(kKeyText[1], QStringLiteral("Ctrl + F6"));
        hook->registerShortcuts();
        QVERIFY(hook->shortcut(0) && hook->shortcut(0)->isRegistered());
        QVERIFY(!hook->shortcut(1));
        QVERIFY(hook->shortcut(2) && hook->shortcut(2)->isRegistered());
        QVERIFY(rivalCanGrab(XK_F6, XCB_MOD_MASK_CONTROL));
        x->chord({XK_Control_L, XK_F6});
        x->chord({XK_Control_L, XK_F7});
        QTRY_COMPARE(core.calls[2], 1);
        settleEvents(*x);
        QCOMPARE(core.total(), 1);
    }

    void registeringTwiceGivesOneActivationPerPress()
    {
        configure({QStringLiteral("Ctrl + Print"), QString(), QString()});
        hook->registerShortcuts();
        hook->registerShortcuts();
        QVERIFY(hook->shortcut(0)->isRegistered());
        x->chord({XK_Control_L, XK_Print});
        QTRY_COMPARE(core.calls[0], 1);
        settleEvents(*x);
        QCOMPARE(core.calls[0], 1);
    }

    void droppedHotkeysLeaveNoGrab()
    {
        const uint16_t ctrl = XCB_MOD_MASK_CONTROL;
        configure({QStringLiteral("Ctrl + Print"), QString(), QString()});
        hook->registerShortcuts();
        QVERIFY(!rivalCanGrab(XK_Print, ctrl));

        // Re-registration with a new text frees the old combination.
        configure({QStringLiteral("Alt + F5"), QString(), QString()});
        hook->registerShortcuts();
        QVERIFY(rivalCanGrab(XK_Print, ctrl));
        QVERIFY(!rivalCanGrab(XK_F5, alt()));

        // Disabled in the settings.
        Setting::instance()->setValue("fragmentScreen", false);
        hook->registerShortcuts();
        QVERIFY(!hook->shortcut(0));
        QVERIFY(rivalCanGrab(XK_F5, alt()));

        // Disabled shortcut.
        Setting::instance()->setValue("fragmentScreen", true);
        hook->registerShortcuts();
        QVERIFY(!rivalCanGrab(XK_F5, alt()));
        hook->shortcut(0)->setDisabled(true);
        QVERIFY(rivalCanGrab(XK_F5, alt()));

        // stopHook while the hotkey page edits.
        hook->registerShortcuts();
        QVERIFY(!rivalCanGrab(XK_F5, alt()));
        hook->stopHook();
        QVERIFY(!hook->shortcut(0));
        QVERIFY(rivalCanGrab(XK_F5, alt()));
        x->chord({XK_Alt_L, XK_F5});
        settleEvents(*x);
        QCOMPARE(core.total(), 0);
    }

    void combinationHeldByRivalFailsQuietly()
    {
        QVERIFY(x->grab(x->keycode(XK_Print), XCB_MOD_MASK_CONTROL));
        configure({QStringLiteral("Ctrl + Print"), QString(), QStringLiteral("Alt + F5")});
        hook->registerShortcuts();
        QVERIFY(hook->shortcut(0));
        QVERIFY(!hook->shortcut(0)->isRegistered());
        QVERIFY(hook->shortcut(2)->isRegistered());
        x->chord({XK_Control_L, XK_Print});
        x->chord({XK_Alt_L, XK_F5});
        QTRY_COMPARE(core.calls[2], 1);
        settleEvents(*x);
        QCOMPARE(core.calls[0], 0);
    }

    void badTextsGrabNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("modifier and nothing") << QStringLiteral("Ctrl + ");
        QTest::newRow("unknown key") << QStringLiteral("Ctrl + Foo");
        QTest::newRow("empty") << QString("");
        QTest::newRow("modifiers only") << QStringLiteral("Ctrl + Shift");
        QTest::newRow("bare glyph") << QStringLiteral("⌘");
    }
    void badTextsGrabNothing()
    {
        QFETCH(QString, text);
        const uint16_t ctrl = XCB_MOD_MASK_CONTROL;
        if (!x->grab(XCB_GRAB_ANY, ctrl) || !x->grab(XCB_GRAB_ANY, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT))
            QSKIP("another client holds a Ctrl key grab");
        x->ungrabAll();
        configure({text, QString(), QString()});
        hook->registerShortcuts();
        QVERIFY(!hook->shortcut(0) || !hook->shortcut(0)->isRegistered());
        QVERIFY(x->grab(XCB_GRAB_ANY, ctrl));
        QVERIFY(x->grab(XCB_GRAB_ANY, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT));
        QVERIFY(x->grab(XCB_GRAB_ANY, 0));
    }

    void printFlagSequence_data()
    {
        QTest::addColumn<QList<Keys>>("chords");
        QTest::addColumn<QList<bool>>("flags");
        QTest::newRow("Print, Shift, Alt+Print")
            << QList<Keys>{{XK_Print}, {XK_Shift_L}, {XK_Alt_L, XK_Print}}
            << QList<bool>{true, false, true, false};
        QTest::newRow("Print twice") << QList<Keys>{{XK_Print}, {XK_Print}, {XK_a}}
                                     << QList<bool>{true, true, false};
    }
    void printFlagSequence()
    {
        QFETCH(QList<Keys>, chords);
        QFETCH(QList<bool>, flags);
        QVERIFY(!QGuiApplication::focusWindow());
        x->chord({XK_a}); // a known starting state: false
        QTRY_VERIFY(!hook->printModified());
        settleEvents(*x);
        QList<bool> seen;
        auto c = connect(hook, &HookKeybord::printModifiedChanged, this, [&](bool f) { seen << f; });
        for (const Keys &k : chords)
            x->chord(k);
        QTRY_COMPARE(seen, flags);
        settleEvents(*x);
        QCOMPARE(seen, flags);
        disconnect(c);
    }

    void printFlagIsSetOnThePress()
    {
        x->chord({XK_a});
        QTRY_VERIFY(!hook->printModified());
        x->press(XK_Print);
        QTRY_VERIFY(hook->printModified());
        x->release(XK_Print);
        settleEvents(*x);
        QVERIFY(hook->printModified());
    }
};

QTEST_MAIN(TestHookKeybord)
#include "tst_hookkeybord.moc"
