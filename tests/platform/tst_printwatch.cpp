#include <QtTest>

#include "platform/printwatch.h"
#include "support/xkeyclient.h"

#define XK_MISCELLANY
#include <X11/keysymdef.h>

using pryx::test::XKeyClient;

class TestPrintWatch : public QObject
{
    Q_OBJECT
private slots:
    void reportsPrintAndOtherKeysWithoutFocus()
    {
        XKeyClient x;
        QVERIFY(x.isOpen());
        PrintWatch watch;
        QVERIFY(watch.isActive());
        QList<QPair<bool, bool>> seen;
        connect(&watch, &PrintWatch::keyEvent, this,
                [&](bool isPrint, bool pressed) { seen.append({isPrint, pressed}); });
        x.chord({XK_Print});
        x.chord({XK_Shift_L});
        const QList<QPair<bool, bool>> want{{true, true}, {true, false}, {false, true}, {false, false}};
        QTRY_COMPARE(seen, want);
    }

    void heldKeyIsOnePress()
    {
        XKeyClient x;
        PrintWatch watch;
        int presses = 0;
        int releases = 0;
        connect(&watch, &PrintWatch::keyEvent, this,
                [&](bool, bool pressed) { ++(pressed ? presses : releases); });
        const uint8_t code = x.keycode(XK_Print);
        x.pressCode(code);
        QTest::qWait(900); // held past the auto-repeat delay
        x.releaseCode(code);
        QTRY_COMPARE(releases, 1);
        pryx::test::settleEvents(x);
        QCOMPARE(presses, 1);
    }

    void stopsAfterDestruction()
    {
        XKeyClient x;
        int count = 0;
        {
            PrintWatch watch;
            connect(&watch, &PrintWatch::keyEvent, this, [&] { ++count; });
            x.chord({XK_Print});
            QTRY_COMPARE(count, 2);
        }
        x.chord({XK_Print});
        pryx::test::settleEvents(x);
        QCOMPARE(count, 2);
    }
};

QTEST_MAIN(TestPrintWatch)
#include "tst_printwatch.moc"
