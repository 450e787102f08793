// Multi-screen geometry of the capture surface, as tables over screen rectangles.
#include "capture/surfacegeometry.h"

#include <QtTest>

using namespace pryx::capture;
using Screens = QVector<QRect>;
Q_DECLARE_METATYPE(Screens)

class TstSurfaceGeometry : public QObject
{
    Q_OBJECT
private slots:
    void unionOfScreens_data()
    {
        QTest::addColumn<Screens>("screens");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("none") << Screens{} << QRect();
        QTest::newRow("one") << Screens{QRect(0, 0, 1920, 1080)} << QRect(0, 0, 1920, 1080);
        QTest::newRow("side by side, different heights")
            << Screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)} << QRect(0, 0, 3200, 1080);
        QTest::newRow("left of primary (negative x)")
            << Screens{QRect(0, 0, 1920, 1080), QRect(-1280, 56, 1280, 1024)} << QRect(-1280, 0, 3200, 1080);
        QTest::newRow("stacked vertically")
            << Screens{QRect(0, 0, 1920, 1080), QRect(0, 1080, 2560, 1440)} << QRect(0, 0, 2560, 2520);
        QTest::newRow("three, not touching 0,0")
            << Screens{QRect(100, 200, 800, 600), QRect(900, 200, 1024, 768), QRect(1924, 0, 640, 480)}
            << QRect(100, 0, 2464, 968);
    }
    void unionOfScreens()
    {
        QFETCH(Screens, screens);
        QFETCH(QRect, expected);
        QCOMPARE(unionOf(screens), expected);
    }

    void pageMapping_data()
    {
        QTest::addColumn<QRect>("desktop");
        QTest::addColumn<QPoint>("page");
        QTest::addColumn<QPoint>("screen");
        QTest::newRow("origin") << QRect(0, 0, 3200, 1080) << QPoint(10, 20) << QPoint(10, 20);
        QTest::newRow("negative desktop") << QRect(-1280, -200, 3200, 1280) << QPoint(0, 0) << QPoint(-1280, -200);
        QTest::newRow("offset desktop") << QRect(100, 50, 800, 600) << QPoint(799, 599) << QPoint(899, 649);
    }
    void pageMapping()
    {
        QFETCH(QRect, desktop);
        QFETCH(QPoint, page);
        QFETCH(QPoint, screen);
        QCOMPARE(pageToScreen(page, desktop), screen);
        QCOMPARE(screenToPage(screen, desktop), page);
        QCOMPARE(pageToScreen(QRect(page, QSize(5, 6)), desktop), QRect(screen, QSize(5, 6)));
    }

    void screensInPageCoordinates()
    {
        const Screens s{QRect(0, 0, 1920, 1080), QRect(-1280, 56, 1280, 1024)};
        const QRect desk = unionOf(s);
        QCOMPARE(screensInPage(s, desk), (Screens{QRect(1280, 0, 1920, 1080), QRect(0, 56, 1280, 1024)}));
    }

    void selectionScreen_data()
    {
        QTest::addColumn<Screens>("screens");
        QTest::addColumn<QRect>("selection");
        QTest::addColumn<int>("index");
        const Screens side{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        QTest::newRow("on first") << side << QRect(100, 100, 200, 200) << 0;
        QTest::newRow("on second") << side << QRect(2000, 100, 200, 200) << 1;
        QTest::newRow("centre decides") << side << QRect(1800, 100, 400, 100) << 1;
        QTest::newRow("centre in the gap under the smaller screen")
            << side << QRect(2000, 1000, 100, 70) << 1;
        QTest::newRow("outside all") << side << QRect(5000, 5000, 10, 10) << -1;
    }
    void selectionScreen()
    {
        QFETCH(Screens, screens);
        QFETCH(QRect, selection);
        QFETCH(int, index);
        QCOMPARE(screenOfSelection(screens, selection), index);
    }

    // The toolbar stays on the selection's own monitor, also when monitors
    // are stacked vertically (the lower one's bottom is not its height).
    void toolbar_data()
    {
        QTest::addColumn<Screens>("screens");
        QTest::addColumn<QRect>("selection");
        QTest::addColumn<QPoint>("expected");
        const QSize tb(400, 105);
        Q_UNUSED(tb)
        const Screens one{QRect(0, 0, 1920, 1080)};
        QTest::newRow("below the selection") << one << QRect(500, 300, 600, 400) << QPoint(700, 711);
        QTest::newRow("raised to 10 at the left") << one << QRect(0, 100, 200, 200) << QPoint(10, 311);
        QTest::newRow("kept 30 from the right") << one << QRect(1700, 100, 220, 200) << QPoint(1490, 311);
        QTest::newRow("right of it at the bottom") << one << QRect(100, 500, 400, 580) << QPoint(510, 975);
        QTest::newRow("left of it at the bottom") << one << QRect(1500, 500, 420, 580) << QPoint(1090, 975);
        QTest::newRow("above it") << one << QRect(0, 400, 1920, 680) << QPoint(10, 292);
        QTest::newRow("corner for the full screen") << one << QRect(0, 0, 1920, 1080) << QPoint(1510, 965);

        const Screens stacked{QRect(0, 0, 1920, 1080), QRect(0, 1080, 1280, 1024)};
        QTest::newRow("stacked: lower monitor, below the selection")
            << stacked << QRect(100, 1200, 500, 300) << QPoint(200, 1511);
        QTest::newRow("stacked: lower monitor, its own right edge")
            << stacked << QRect(900, 1200, 380, 300) << QPoint(850, 1511);
        QTest::newRow("stacked: upper monitor bottom goes beside, not onto the lower")
            << stacked << QRect(100, 600, 400, 480) << QPoint(510, 975);
        QTest::newRow("stacked: full lower monitor, its corner")
            << stacked << QRect(0, 1080, 1280, 1024) << QPoint(870, 1989);

        const Screens side{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
        QTest::newRow("side: smaller right monitor keeps its bottom")
            << side << QRect(2000, 600, 400, 424) << QPoint(2410, 919);
        QTest::newRow("side: bar does not cross onto the left monitor")
            << side << QRect(1920, 100, 200, 200) << QPoint(1930, 311);
    }
    void toolbar()
    {
        QFETCH(Screens, screens);
        QFETCH(QRect, selection);
        QFETCH(QPoint, expected);
        const QPoint p = toolbarPosition(selection, QSize(400, 105), screens);
        QCOMPARE(p, expected);
        // The whole bar lies on one monitor: the selection's.
        const int idx = screenOfSelection(screens, selection);
        QVERIFY(screens[idx].contains(QRect(p, QSize(400, 105))));
    }

    // The magnifier (80 x 80 here) stays on the monitor under the cursor:
    // 1920x1080 on the left, the shorter 1600x900 on the right.
    void magnifier_data()
    {
        QTest::addColumn<QPoint>("base");
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("beside the cursor") << QPoint(500, 500) << QPoint(500, 500) << QPoint(510, 510);
        QTest::newRow("right monitor, near its bottom") << QPoint(2500, 880) << QPoint(2500, 880)
                                                        << QPoint(2410, 790);
        QTest::newRow("left monitor, by the right one") << QPoint(1900, 1000) << QPoint(1900, 1000)
                                                         << QPoint(1810, 910);
        QTest::newRow("selection corner on the right, cursor there") << QPoint(3500, 300) << QPoint(3500, 300)
                                                                     << QPoint(3410, 210);
        QTest::newRow("flipped past the top-left corner") << QPoint(1925, 895) << QPoint(1925, 895)
                                                          << QPoint(1920, 805);
    }
    void magnifier()
    {
        QFETCH(QPoint, base);
        QFETCH(QPoint, cursor);
        QFETCH(QPoint, expected);
        const Screens side{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1600, 900)};
        const QPoint p = pryx::capture::magnifierPosition(base, QSize(80, 80), cursor, side);
        QCOMPARE(p, expected);
        QVERIFY(side[pryx::capture::screenAt(side, cursor)].contains(QRect(p, QSize(80, 80))));
    }
};

QTEST_GUILESS_MAIN(TstSurfaceGeometry)
#include "tst_surfacegeometry.moc"
