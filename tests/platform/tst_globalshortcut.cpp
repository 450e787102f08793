#include <QtTest>

#include "platform/globalshortcut.h"
#include "support/xkeyclient.h"

#define XK_MISCELLANY
#define XK_LATIN1
#include <X11/keysymdef.h>
#include <xcb/xcb.h>

using pryx::test::XKeyClient;
using pryx::test::settleEvents;

class TestGlobalShortcut : public QObject
{
    Q_OBJECT
private:
    XKeyClient *x = nullptr;

    // The rival can take every lock variant of the combination.
    bool rivalCanGrab(uint32_t keysym, uint16_t mods)
    {
        const bool ok = x->grabAllVariants(x->keycode(keysym), mods);
        x->ungrabAll();
        return ok;
    }

private slots:
    void init()
    {
        x = new XKeyClient;
        QVERIFY(x->isOpen());
    }
    void cleanup()
    {
        delete x;
        x = nullptr;
    }

    void firesOnPressOnlyOncePerPress()
    {
        GlobalShortcut s(QKeySequence(Qt::CTRL | Qt::Key_Print));
        QVERIFY(s.isRegistered());
        QSignalSpy spy(&s, &GlobalShortcut::activated);
        x->press(XK_Control_L);
        const uint8_t print = x->keycode(XK_Print);
        x->pressCode(print);
        QTRY_COMPARE(spy.count(), 1);
        QTest::qWait(900); // held past the auto-repeat delay
        x->releaseCode(print);
        x->release(XK_Control_L);
        settleEvents(*x);
        QCOMPARE(spy.count(), 1);
        x->chord({XK_Control_L, XK_Print});
        QTRY_COMPARE(spy.count(), 2);
    }

    void extraModifierDoesNotFire()
    {
        GlobalShortcut s(QKeySequence(Qt::CTRL | Qt::Key_Print));
        QSignalSpy spy(&s, &GlobalShortcut::activated);
        x->chord({XK_Control_L, XK_Shift_L, XK_Print});
        x->chord({XK_Print});
        settleEvents(*x);
        QCOMPARE(spy.count(), 0);
    }

    void mainAndKeypadEnterBothFire()
    {
        GlobalShortcut s(QKeySequence(Qt::CTRL | Qt::Key_Return));
        QVERIFY(s.isRegistered());
        QSignalSpy spy(&s, &GlobalShortcut::activated);
        x->chord({XK_Control_L, XK_Return});
        QTRY_COMPARE(spy.count(), 1);
        x->chord({XK_Control_L, XK_KP_Enter});
        QTRY_COMPARE(spy.count(), 2);
    }

    void disableDestroyAndChangeReleaseTheGrab()
    {
        const uint16_t ctrl = XCB_MOD_MASK_CONTROL;
        auto *s = new GlobalShortcut(QKeySequence(Qt::CTRL | Qt::Key_F5));
        QVERIFY(s->isRegistered());
        QVERIFY(!rivalCanGrab(XK_F5, ctrl));

        s->setDisabled(true);
        QVERIFY(!s->isRegistered());
        QVERIFY(rivalCanGrab(XK_F5, ctrl));
        s->setDisabled(false);
        QVERIFY(s->isRegistered());
        QVERIFY(!rivalCanGrab(XK_F5, ctrl));

        s->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6));
        QVERIFY(rivalCanGrab(XK_F5, ctrl));
        QVERIFY(!rivalCanGrab(XK_F6, ctrl));

        delete s;
        QVERIFY(rivalCanGrab(XK_F6, ctrl));
    }

    void disabledShortcutDoesNotFire()
    {
        GlobalShortcut s(QKeySequence(Qt::ALT | Qt::Key_F5));
        QSignalSpy spy(&s, &GlobalShortcut::activated);
        s.setDisabled(true);
        x->chord({XK_Alt_L, XK_F5});
        settleEvents(*x);
        QCOMPARE(spy.count(), 0);
        s.setEnabled(true);
        x->chord({XK_Alt_L, XK_F5});
        QTRY_COMPARE(spy.count(), 1);
    }

    void combinationHeldByRivalIsRefusedQuietly()
    {
        QVERIFY(x->grab(x->keycode(XK_F7), XCB_MOD_MASK_CONTROL));
        GlobalShortcut taken(QKeySequence(Qt::CTRL | Qt::Key_F7));
        GlobalShortcut free(QKeySequence(Qt::CTRL | Qt::Key_F8));
        QVERIFY(!taken.isRegistered());
        QVERIFY(free.isRegistered());
        QSignalSpy takenSpy(&taken, &GlobalShortcut::activated);
        QSignalSpy freeSpy(&free, &GlobalShortcut::activated);
        // Nothing of the refused combination is kept, not even the
        // NumLock variant the rival left free.
        x->setNumLock(true);
        x->chord({XK_Control_L, XK_F7});
        x->setNumLock(false);
        x->chord({XK_Control_L, XK_F8});
        QTRY_COMPARE(freeSpy.count(), 1);
        settleEvents(*x);
        QCOMPARE(takenSpy.count(), 0);
        x->ungrabAll();
        QVERIFY(rivalCanGrab(XK_F7, XCB_MOD_MASK_CONTROL));
    }

    void sameCombinationTwiceInTheProgramFiresOnce()
    {
        GlobalShortcut first(QKeySequence(Qt::CTRL | Qt::Key_F9));
        auto *second = new GlobalShortcut(QKeySequence(Qt::CTRL | Qt::Key_F9));
        QVERIFY(first.isRegistered());
        QVERIFY(!second->isRegistered());
        QSignalSpy a(&first, &GlobalShortcut::activated);
        QSignalSpy b(second, &GlobalShortcut::activated);
        x->chord({XK_Control_L, XK_F9});
        QTRY_COMPARE(a.count(), 1);
        settleEvents(*x);
        QCOMPARE(b.count(), 0);
        delete second; // must not take the first one's grab with it
        x->chord({XK_Control_L, XK_F9});
        QTRY_COMPARE(a.count(), 2);
    }

    void invalidSequencesGrabNothing_data()
    {
        QTest::addColumn<QKeySequence>("seq");
        QTest::newRow("empty") << QKeySequence();
        QTest::newRow("unknown key") << QKeySequence(Qt::CTRL | Qt::Key_unknown);
        QTest::newRow("modifier alone") << QKeySequence(Qt::CTRL | Qt::Key_Control);
        QTest::newRow("no keysym") << QKeySequence(Qt::CTRL | Qt::Key_Launch5);
    }
    void invalidSequencesGrabNothing()
    {
        QFETCH(QKeySequence, seq);
        // A grab of any key with Ctrl (or of keycode 0, any key) would make
        // the rival's AnyKey grab fail.
        const uint16_t ctrl = XCB_MOD_MASK_CONTROL;
        if (!x->grab(XCB_GRAB_ANY, ctrl))
            QSKIP("another client holds a Ctrl key grab");
        x->ungrabAll();
        GlobalShortcut s(seq);
        QVERIFY(!s.isRegistered());
        QVERIFY(x->grab(XCB_GRAB_ANY, ctrl));
        QVERIFY(x->grab(XCB_GRAB_ANY, 0));
        x->ungrabAll();
    }
};

QTEST_MAIN(TestGlobalShortcut)
#include "tst_globalshortcut.moc"
