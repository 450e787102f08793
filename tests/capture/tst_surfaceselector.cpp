// The region selector driven by mouse and key events on a real window.
#include "capture/surfaceselector.h"

#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QtTest>

class TstSurfaceSelector : public QObject
{
    Q_OBJECT

    QQuickWindow *win = nullptr;
    SurfaceSelector *sel = nullptr;

    void press(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(win, b, Qt::NoModifier, p); }
    void move(QPoint p) { QTest::mouseMove(win, p); }
    void release(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseRelease(win, b, Qt::NoModifier, p); }
    void drag(QPoint from, QPoint to)
    {
        move(from);
        press(from);
        move((from + to) / 2);
        move(to);
        release(to);
    }

private slots:
    void init()
    {
        win = new QQuickWindow;
        win->resize(800, 600);
        sel = new SurfaceSelector(win->contentItem());
        sel->setSize(QSizeF(800, 600));
        win->show();
        QVERIFY(QTest::qWaitForWindowExposed(win));
    }
    void cleanup()
    {
        delete win;
        win = nullptr;
    }

    void startsInFirstDraw()
    {
        QVERIFY(sel->firstDraw());
        QVERIFY(!sel->showToolBar());
        QCOMPARE(sel->objectName(), QStringLiteral("SurfaceSelector"));
        QVERIFY(sel->contains(QPointF(10, 10)));
        QCOMPARE(sel->maxSelectWidth(), -1);
    }

    void clickWithoutDragKeepsFirstDraw()
    {
        QSignalSpy complete(sel, &SurfaceSelector::selectComplete);
        move(QPoint(100, 100));
        press(QPoint(100, 100));
        release(QPoint(100, 100));
        QVERIFY(sel->firstDraw());
        QVERIFY(!sel->showToolBar());
        QCOMPARE(complete.count(), 0);
    }

    void drawRightToLeftNormalizes()
    {
        move(QPoint(400, 300));
        press(QPoint(400, 300));
        move(QPoint(300, 250));
        move(QPoint(150, 100));
        QVERIFY(sel->isPress());
        // Readers always see the normalized rectangle, also while drawing.
        QCOMPARE(sel->rubberRect(), QRectF(150, 100, 250, 200));
        QSignalSpy complete(sel, &SurfaceSelector::selectComplete);
        release(QPoint(150, 100));
        QCOMPARE(sel->rubberRect(), QRectF(150, 100, 250, 200));
        QCOMPARE(sel->rubberRectLeft(), 150);
        QCOMPARE(sel->rubberRectRight(), 400);
        QCOMPARE(sel->rubberRectTop(), 100);
        QCOMPARE(sel->rubberRectBottom(), 300);
        QVERIFY(!sel->firstDraw());
        QVERIFY(sel->showToolBar());
        QVERIFY(!sel->isPress());
        QCOMPARE(complete.count(), 1);
        // Inside the finished selection the presses go to the items below.
        QVERIFY(!sel->contains(QPointF(200, 200)));
        QVERIFY(sel->contains(QPointF(50, 50)));
    }

    void lineSelectionStillFinishes()
    {
        drag(QPoint(100, 100), QPoint(100, 300));
        QCOMPARE(sel->rubberRect().width(), 0.0);
        QCOMPARE(sel->rubberRect().height(), 200.0);
        QVERIFY(sel->showToolBar());
        QVERIFY(!sel->firstDraw());
    }

    void rectSignalsInOrder()
    {
        QStringList order;
        connect(sel, &SurfaceSelector::rubberRectChanged, this, [&] { order << "rect"; });
        connect(sel, &SurfaceSelector::rubberRectLeftChanged, this, [&] { order << "left"; });
        connect(sel, &SurfaceSelector::rubberRectRightChanged, this, [&] { order << "right"; });
        connect(sel, &SurfaceSelector::rubberRectTopChanged, this, [&] { order << "top"; });
        connect(sel, &SurfaceSelector::rubberRectBottomChanged, this, [&] { order << "bottom"; });
        sel->moveRubberTo(5, 6);
        QCOMPARE(order, (QStringList{"rect", "left", "right", "top", "bottom"}));
    }

    // Space held while drawing moves the rectangle with its bottom-right
    // corner at the cursor; after Space drawing resumes from its top-left.
    void moveWhileDrawing()
    {
        move(QPoint(100, 100));
        press(QPoint(100, 100));
        move(QPoint(200, 200));
        sel->setMoveMode(true);
        move(QPoint(300, 350));
        QCOMPARE(sel->rubberRect(), QRectF(200, 250, 100, 100));
        sel->setMoveMode(false);
        move(QPoint(400, 420));
        QCOMPARE(sel->rubberRect(), QRectF(200, 250, 200, 170));
        release(QPoint(400, 420));
        QCOMPARE(sel->rubberRect(), QRectF(200, 250, 200, 170));
    }

    void spaceKeyOnItemSetsMoveMode()
    {
        sel->forceActiveFocus();
        QTest::keyPress(win, Qt::Key_Space);
        QVERIFY(sel->moveMode());
        QTest::keyRelease(win, Qt::Key_Space);
        QVERIFY(!sel->moveMode());
    }

    void resizeFromEdgeZone_data()
    {
        QTest::addColumn<QPoint>("grab");
        QTest::addColumn<Qt::CursorShape>("cursor");
        QTest::addColumn<QRectF>("expected");
        // Selection 200,200 - 400,400; each drag moves the cursor by (+30, +20).
        QTest::newRow("top-left") << QPoint(150, 150) << Qt::SizeFDiagCursor << QRectF(QPointF(230, 220), QPointF(400, 400));
        QTest::newRow("top") << QPoint(300, 150) << Qt::SizeVerCursor << QRectF(QPointF(200, 220), QPointF(400, 400));
        QTest::newRow("top-right") << QPoint(450, 150) << Qt::SizeBDiagCursor << QRectF(QPointF(200, 220), QPointF(430, 400));
        QTest::newRow("right") << QPoint(450, 300) << Qt::SizeHorCursor << QRectF(QPointF(200, 200), QPointF(430, 400));
        QTest::newRow("bottom-right") << QPoint(450, 450) << Qt::SizeFDiagCursor << QRectF(QPointF(200, 200), QPointF(430, 420));
        QTest::newRow("bottom") << QPoint(300, 450) << Qt::SizeVerCursor << QRectF(QPointF(200, 200), QPointF(400, 420));
        QTest::newRow("bottom-left") << QPoint(150, 450) << Qt::SizeBDiagCursor << QRectF(QPointF(230, 200), QPointF(400, 420));
        QTest::newRow("left") << QPoint(150, 300) << Qt::SizeHorCursor << QRectF(QPointF(230, 200), QPointF(400, 400));
    }
    void resizeFromEdgeZone()
    {
        QFETCH(QPoint, grab);
        QFETCH(Qt::CursorShape, cursor);
        QFETCH(QRectF, expected);
        drag(QPoint(200, 200), QPoint(400, 400));
        QCOMPARE(sel->rubberRect(), QRectF(200, 200, 200, 200));
        move(grab - QPoint(1, 1));
        move(grab);
        QCOMPARE(sel->cursor().shape(), cursor);
        press(grab);
        move(grab + QPoint(15, 10));
        move(grab + QPoint(30, 20));
        release(grab + QPoint(30, 20));
        QCOMPARE(sel->rubberRect(), expected);
    }

    void hoverInsideGivesCrossAndNoResize()
    {
        drag(QPoint(200, 200), QPoint(400, 400));
        move(QPoint(300, 300));
        move(QPoint(301, 301));
        QVERIFY(sel->cursor().shape() != Qt::SizeHorCursor);
        QVERIFY(sel->cursor().shape() != Qt::SizeVerCursor);
    }

    void maxWidthNearRightEdgeKeepsBandFree()
    {
        drag(QPoint(500, 200), QPoint(700, 300));
        sel->setMaxSelectWidth(500);
        // Widening leftwards stops at a free band of 800 - 500 at the left.
        move(QPoint(450, 250));
        move(QPoint(449, 250));
        press(QPoint(449, 250));
        move(QPoint(300, 250));
        move(QPoint(100, 250));
        release(QPoint(100, 250));
        QVERIFY(sel->rubberRect().left() >= 300);
        QCOMPARE(sel->rubberRect().right(), 700.0);
    }

    void maxHeightClampsAtOnce()
    {
        drag(QPoint(100, 50), QPoint(300, 450));
        QSignalSpy hSpy(sel, &SurfaceSelector::maxSelectHeightChanged);
        sel->setMaxSelectHeight(300);
        QCOMPARE(hSpy.count(), 1);
        QCOMPARE(sel->rubberRect(), QRectF(100, 50, 200, 250));
        sel->setMaxSelectHeight(300);
        QCOMPARE(hSpy.count(), 1);
    }

    void expandAndCollapse()
    {
        sel->expandToFullScreen();
        QCOMPARE(sel->rubberRect(), QRectF(0, 0, 800, 600));
        QVERIFY(sel->firstDraw());
        QSignalSpy tb(sel, &SurfaceSelector::showToolBarChanged);
        sel->collapseFromFullScreen();
        QVERIFY(sel->firstDraw());
        QCOMPARE(tb.count(), 1);
        QCOMPARE(sel->rubberRect(), QRectF());
    }

    void fullScreenCheckProperties()
    {
        sel->checkProperties();
        QVERIFY(sel->firstDraw());
        QSignalSpy fs(sel, &SurfaceSelector::fullScreenChanged);
        sel->setFullScreen(true);
        sel->setFullScreen(true);
        QCOMPARE(fs.count(), 1);
        sel->checkProperties();
        QCOMPARE(sel->rubberRect(), QRectF(0, 0, 800, 600));
        QVERIFY(sel->showToolBar());
        QVERIFY(!sel->firstDraw());
    }

    void setRubberRectFinishes()
    {
        QSignalSpy complete(sel, &SurfaceSelector::selectComplete);
        sel->setRubberRect(QRectF(300, 300, -100, -50));
        QCOMPARE(sel->rubberRect(), QRectF(200, 250, 100, 50));
        QVERIFY(sel->hasSelection());
        QCOMPARE(complete.count(), 1);
    }

    void firstDrawPaintsWholeShade()
    {
        const QImage img = win->grabWindow();
        // 0x6c alpha of #141517 over the window's white background.
        const QColor c = img.pixelColor(600, 20);
        QVERIFY2(c.red() < 200 && c.red() > 80, qPrintable(c.name()));
    }

    void selectedLeavesInsideUnshaded()
    {
        drag(QPoint(200, 200), QPoint(400, 400));
        QTest::qWait(50);
        const QImage img = win->grabWindow();
        QCOMPARE(img.pixelColor(300, 300), QColor(Qt::white));
        QVERIFY(img.pixelColor(100, 100).red() < 200);
    }
};

QTEST_MAIN(TstSurfaceSelector)
#include "tst_surfaceselector.moc"
