// Rectangle and ellipse tools: drawing gestures, handles, keys, one undo
// step per drag, and the pixels they leave in the final image.

#include <QtTest>

#include <QUndoStack>

#include <cmath>

#include "editor/items/ellipseitem.h"
#include "editor/items/rectitem.h"
#include "editor/ppainterarea.h"
#include "support/editorfixture.h"

using pryx::test::Scene;

namespace {
bool near(QColor a, QColor b, int tolerance = 40)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

RectItem *onlyRect(Scene &scene)
{
    const auto items = scene.items();
    return items.size() == 1 ? qobject_cast<RectItem *>(items.first()) : nullptr;
}

// Draws the 101 x 81 rectangle at (100, 100) and checks it with the Move tool.
RectItem *checkedRect(Scene &scene)
{
    scene.area->setCurrentModule("Rect");
    scene.drag(QPoint(100, 100), QPoint(200, 180));
    scene.area->setCurrentModule("Move");
    scene.press(QPoint(130, 120));
    scene.release(QPoint(130, 120));
    RectItem *item = onlyRect(scene);
    return item && item->isChecked() ? item : nullptr;
}

// Puts the pointer over a handle (enter, then a hover move).
void hoverHandle(Scene &scene, AbstractGraphItem *item, QPointF handle)
{
    const QPoint p = (QPointF(item->x(), item->y()) + handle).toPoint();
    scene.move(p + QPoint(-1, -1));
    scene.move(p);
}
} // namespace

class TestRectItem : public QObject
{
    Q_OBJECT

private slots:
    void drawingGeometry_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<int>("mods");
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<QRectF>("geometry");
        QTest::addColumn<bool>("filled");
        const int none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("down-right") << "Rect" << QPoint(10, 10) << QPoint(20, 20) << none
                                    << QRectF(10, 10, 11, 11) << QRectF(4, 4, 23, 23) << false;
        QTest::newRow("up-left") << "Rect" << QPoint(40, 40) << QPoint(20, 30) << none
                                 << QRectF(21, 31, 19, 9) << QRectF(15, 25, 31, 21) << false;
        QTest::newRow("ellipse") << "Ellipse" << QPoint(10, 10) << QPoint(20, 20) << none
                                 << QRectF(10, 10, 11, 11) << QRectF(4, 4, 23, 23) << false;
        QTest::newRow("shift square down-right") << "Rect" << QPoint(10, 10) << QPoint(40, 25) << shift
                                                 << QRectF(10, 10, 16, 16) << QRectF(4, 4, 28, 28) << false;
        QTest::newRow("shift square up-left") << "Rect" << QPoint(40, 40) << QPoint(20, 30) << shift
                                              << QRectF(31, 31, 9, 9) << QRectF(25, 25, 21, 21) << false;
        QTest::newRow("shift circle up-right") << "Ellipse" << QPoint(40, 40) << QPoint(70, 20) << shift
                                               << QRectF(40, 21, 19, 19) << QRectF(34, 15, 31, 31) << false;
        QTest::newRow("ctrl fills") << "Rect" << QPoint(10, 10) << QPoint(20, 20) << ctrl
                                    << QRectF(10, 10, 11, 11) << QRectF(4, 4, 23, 23) << true;
        QTest::newRow("ctrl+shift does not fill at release")
            << "Rect" << QPoint(10, 10) << QPoint(20, 20) << (ctrl | shift)
            << QRectF(10, 10, 11, 11) << QRectF(4, 4, 23, 23) << true;
    }

    void drawingGeometry()
    {
        QFETCH(QString, tool);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(int, mods);
        QFETCH(QRectF, rect);
        QFETCH(QRectF, geometry);
        QFETCH(bool, filled);
        Scene scene;
        QVERIFY(scene.exposed);
        scene.area->setCurrentModule(tool);
        scene.drag(from, to, Qt::KeyboardModifiers(mods));
        RectItem *item = onlyRect(scene);
        QVERIFY(item);
        QCOMPARE(item->name(), tool);
        QCOMPARE(item->rect(), rect);
        QCOMPARE(QRectF(item->x(), item->y(), item->width(), item->height()), geometry);
        QCOMPARE(item->itemRect(), geometry);
        // Ctrl held during the last move fills; addItem fills only on exactly Ctrl.
        QCOMPARE(item->isFilled(), filled);
        QCOMPARE(scene.area->undoStack()->count(), 1);
        QCOMPARE(scene.area->undoStack()->text(0), QStringLiteral("Add command"));
        QCOMPARE(scene.area->currentItem(), item);
    }

    void outputPixels_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<int>("mods");
        QTest::addColumn<bool>("edgeDrawn");     // (100, 140): left edge
        QTest::addColumn<bool>("insideDrawn");   // (150, 140): middle
        QTest::addColumn<bool>("cornerDrawn");   // (100, 100): corner of the box
        QTest::newRow("rect") << "Rect" << int(Qt::NoModifier) << true << false << true;
        QTest::newRow("filled rect") << "Rect" << int(Qt::ControlModifier) << true << true << true;
        QTest::newRow("ellipse") << "Ellipse" << int(Qt::NoModifier) << true << false << false;
        QTest::newRow("filled ellipse") << "Ellipse" << int(Qt::ControlModifier) << true << true << false;
    }

    void outputPixels()
    {
        QFETCH(QString, tool);
        QFETCH(int, mods);
        QFETCH(bool, edgeDrawn);
        QFETCH(bool, insideDrawn);
        QFETCH(bool, cornerDrawn);
        Scene scene;
        const QColor colour = scene.area->currentColor();
        QVERIFY(colour.isValid());
        scene.area->setCurrentModule(tool);
        scene.drag(QPoint(100, 100), QPoint(200, 180), Qt::KeyboardModifiers(mods));
        const QImage out = scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true);
        QCOMPARE(out.size(), QSize(400, 300));
        const auto drawn = [&](int x, int y) { return near(out.pixelColor(x, y), colour); };
        QCOMPARE(drawn(100, 140), edgeDrawn);
        QCOMPARE(drawn(200, 140), edgeDrawn);
        QCOMPARE(drawn(150, 140), insideDrawn);
        QCOMPARE(drawn(100, 100), cornerDrawn);
        QVERIFY(!drawn(90, 140));
        QVERIFY(!drawn(210, 140));
        QCOMPARE(out.pixelColor(20, 20), QColor(Qt::white));
    }

    void spaceMovesThenGrowsFromTheNewCorner()
    {
        Scene scene;
        QVERIFY(scene.active);
        scene.area->setCurrentModule("Rect");
        scene.press(QPoint(10, 10));
        scene.move(QPoint(50, 50));
        scene.keyPress(Qt::Key_Space);
        scene.move(QPoint(60, 70));
        RectItem *item = onlyRect(scene);
        QVERIFY(item);
        QCOMPARE(item->rect(), QRectF(20, 30, 41, 41));
        scene.keyRelease(Qt::Key_Space);
        scene.move(QPoint(80, 90));
        scene.release(QPoint(80, 90));
        QCOMPARE(item->rect(), QRectF(20, 30, 61, 61));
    }

    void hoverOnHandles_data()
    {
        QTest::addColumn<int>("handle");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("sides");   // l t r b, s for a side or centre handle
        QTest::newRow("top-left") << 0 << int(Qt::SizeFDiagCursor) << "lt";
        QTest::newRow("top") << 1 << int(Qt::SizeVerCursor) << "ts";
        QTest::newRow("top-right") << 2 << int(Qt::SizeBDiagCursor) << "tr";
        QTest::newRow("right") << 3 << int(Qt::SizeHorCursor) << "rs";
        QTest::newRow("bottom-right") << 4 << int(Qt::SizeFDiagCursor) << "rb";
        QTest::newRow("bottom") << 5 << int(Qt::SizeVerCursor) << "bs";
        QTest::newRow("left") << 6 << int(Qt::SizeHorCursor) << "ls";
        QTest::newRow("bottom-left") << 7 << int(Qt::SizeBDiagCursor) << "lb";
        QTest::newRow("centre") << 8 << int(Qt::SizeAllCursor) << "s";
    }

    void hoverOnHandles()
    {
        QFETCH(int, handle);
        QFETCH(int, cursor);
        QFETCH(QString, sides);
        Scene scene;
        RectItem *item = checkedRect(scene);
        QVERIFY(item);
        QCOMPARE(item->keyPositions().size(), 9);
        QCOMPARE(item->keyPositions().at(4), QPointF(108, 88));
        hoverHandle(scene, item, item->keyPositions().at(handle));
        QVERIFY(item->isOnKey());
        QCOMPARE(item->hoveredKey(), item->keyPositions().at(handle));
        QCOMPARE(int(item->cursor().shape()), cursor);
        QCOMPARE(item->resizesLeft(), sides.contains('l'));
        QCOMPARE(item->resizesTop(), sides.contains('t'));
        QCOMPARE(item->resizesRight(), sides.contains('r'));
        QCOMPARE(item->resizesBottom(), sides.contains('b'));
        QCOMPARE(item->isSideKey(), sides.contains('s'));
    }

    void hoverBodyAndUncheckedItems()
    {
        Scene scene;
        scene.area->setCurrentModule("Rect");
        scene.drag(QPoint(100, 100), QPoint(200, 180));
        RectItem *item = onlyRect(scene);
        QVERIFY(item && !item->isChecked());
        // A drawing tool over an unchecked item: cross cursor, no handle.
        hoverHandle(scene, item, item->keyPositions().at(0));
        QVERIFY(!item->isOnKey());
        QVERIFY(item->cursor().shape() != Qt::SizeFDiagCursor);
        // The Move tool over the body: the move cursor.
        scene.area->setCurrentModule("Move");
        scene.move(QPoint(130, 121));
        scene.move(QPoint(131, 121));
        QVERIFY(!item->isOnKey());
        QCOMPARE(item->cursor().shape(), Qt::SizeAllCursor);
    }

    void resizeFromEachHandle_data()
    {
        QTest::addColumn<int>("handle");
        QTest::addColumn<int>("mods");
        QTest::addColumn<QRectF>("rect");
        const int none = Qt::NoModifier;
        // The rectangle is (100, 100, 101, 81); each drag goes (+10, +6).
        QTest::newRow("top-left") << 0 << none << QRectF(110, 106, 91, 75);
        QTest::newRow("top") << 1 << none << QRectF(100, 106, 101, 75);
        QTest::newRow("top-right") << 2 << none << QRectF(100, 106, 111, 75);
        QTest::newRow("right") << 3 << none << QRectF(100, 100, 111, 81);
        QTest::newRow("bottom-right") << 4 << none << QRectF(100, 100, 111, 87);
        QTest::newRow("bottom") << 5 << none << QRectF(100, 100, 101, 87);
        QTest::newRow("left") << 6 << none << QRectF(110, 100, 91, 81);
        QTest::newRow("bottom-left") << 7 << none << QRectF(110, 100, 91, 87);
        QTest::newRow("centre moves") << 8 << none << QRectF(110, 106, 101, 81);
        QTest::newRow("shift side is not proportional") << 3 << int(Qt::ShiftModifier) << QRectF(100, 100, 111, 81);
    }

    void resizeFromEachHandle()
    {
        QFETCH(int, handle);
        QFETCH(int, mods);
        QFETCH(QRectF, rect);
        Scene scene;
        RectItem *item = checkedRect(scene);
        QVERIFY(item);
        const int before = scene.area->undoStack()->count();
        const QPointF h = item->keyPositions().at(handle);
        hoverHandle(scene, item, h);
        const QPoint start = (QPointF(item->x(), item->y()) + h).toPoint();
        scene.drag(start, start + QPoint(10, 6), Qt::KeyboardModifiers(mods), 3);
        QCOMPARE(item->rect(), rect);
        QCOMPARE(scene.area->undoStack()->count(), before + 1);
        QCOMPARE(scene.area->undoStack()->text(before), QStringLiteral("Rect change"));
        scene.area->checkUndo();
        QCOMPARE(item->rect(), QRectF(100, 100, 101, 81));
        QCOMPARE(QPointF(item->x(), item->y()), QPointF(94, 94));
    }

    void shiftCornerKeepsProportions()
    {
        Scene scene;
        RectItem *item = checkedRect(scene);
        QVERIFY(item);
        const QPointF h = item->keyPositions().at(4);
        hoverHandle(scene, item, h);
        const QPoint start = (QPointF(item->x(), item->y()) + h).toPoint();
        scene.drag(start, start + QPoint(30, 2), Qt::ShiftModifier, 3);
        const QRectF r = item->rect();
        QVERIFY2(qAbs(r.width() / r.height() - 101.0 / 81.0) < 0.02, qPrintable(QString::number(r.width() / r.height())));
        QVERIFY(r.width() > 125);
    }

    // A side of 0 leaves no proportion to keep: no division by zero.
    void shiftCornerOnAFlatRectangleStaysFinite_data()
    {
        QTest::addColumn<QRectF>("flat");
        QTest::addColumn<QPoint>("drag");
        QTest::newRow("no height, vertical drag") << QRectF(100, 100, 101, 0) << QPoint(0, 12);
        QTest::newRow("no width, horizontal drag") << QRectF(100, 100, 0, 81) << QPoint(12, 0);
    }

    void shiftCornerOnAFlatRectangleStaysFinite()
    {
        QFETCH(QRectF, flat);
        QFETCH(QPoint, drag);
        Scene scene;
        RectItem *item = checkedRect(scene);
        QVERIFY(item);
        item->applyRect(flat);
        const QPointF h = item->keyPositions().at(4);
        hoverHandle(scene, item, h);
        QVERIFY(item->resizesRight() && item->resizesBottom());
        const QPoint start = (QPointF(item->x(), item->y()) + h).toPoint();
        scene.drag(start, start + drag, Qt::ShiftModifier, 3);
        const QRectF r = item->rect();
        QVERIFY(std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height()));
        QCOMPARE(r.topLeft(), flat.topLeft());
        // The flat side opens first; from then on the proportions hold.
        QVERIFY(r.width() >= flat.width() + drag.x() && r.height() >= flat.height() + drag.y());
    }

    void oneRectChangePerDragAndNoneForAClick()
    {
        Scene scene;
        RectItem *item = checkedRect(scene);
        QVERIFY(item);
        QUndoStack *stack = scene.area->undoStack();
        QCOMPARE(stack->count(), 1);
        scene.press(QPoint(150, 140));
        scene.release(QPoint(150, 140));
        QCOMPARE(stack->count(), 1);
        scene.drag(QPoint(150, 140), QPoint(180, 160), Qt::NoModifier, 6);
        QCOMPARE(stack->count(), 2);
        QCOMPARE(stack->text(1), QStringLiteral("Rect change"));
        QCOMPARE(item->rect(), QRectF(130, 120, 101, 81));
        QCOMPARE(QPointF(item->x(), item->y()), QPointF(124, 114));
        scene.area->checkUndo();
        QCOMPARE(item->rect(), QRectF(100, 100, 101, 81));
        QCOMPARE(QPointF(item->x(), item->y()), QPointF(94, 94));
    }

    void keyReleaseWhileDraggingKeepsTheShape()
    {
        Scene scene;
        QVERIFY(scene.active);
        RectItem *item = checkedRect(scene);
        QVERIFY(item);
        scene.press(QPoint(150, 140));
        scene.move(QPoint(155, 146));
        scene.keyPress(Qt::Key_Shift, Qt::ShiftModifier);
        scene.keyRelease(Qt::Key_Shift);
        QCOMPARE(item->rect(), QRectF(105, 106, 101, 81));
        scene.move(QPoint(160, 150));
        scene.release(QPoint(160, 150));
        QCOMPARE(item->rect(), QRectF(110, 110, 101, 81));
        QCOMPARE(scene.area->undoStack()->count(), 2);
    }

    void arrowKeysMoveAndDeleteHides()
    {
        Scene scene;
        QVERIFY(scene.active);
        RectItem *item = checkedRect(scene);
        QVERIFY(item);
        QVERIFY(item->hasActiveFocus());
        QUndoStack *stack = scene.area->undoStack();
        scene.key(Qt::Key_Right);
        QCOMPARE(QPointF(item->x(), item->y()), QPointF(95, 94));
        scene.key(Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(QPointF(item->x(), item->y()), QPointF(95, 104));
        scene.key(Qt::Key_Left, Qt::ShiftModifier);
        scene.key(Qt::Key_Up);
        QCOMPARE(QPointF(item->x(), item->y()), QPointF(85, 103));
        QCOMPARE(item->rect(), QRectF(91, 109, 101, 81));
        QCOMPARE(stack->count(), 5);
        QCOMPARE(stack->text(4), QStringLiteral("Move"));
        scene.area->checkUndo();
        QCOMPARE(QPointF(item->x(), item->y()), QPointF(85, 104));
        QCOMPARE(stack->text(4), QStringLiteral("Move at 85 104"));
        scene.area->checkRedo();

        item->forceActiveFocus();
        scene.key(Qt::Key_Delete);
        QVERIFY(!item->isVisible());
        QCOMPARE(stack->text(5), QStringLiteral("Delete command"));
        QVERIFY(scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true).pixelColor(91, 150) == QColor(Qt::white));
        scene.area->checkUndo();
        QVERIFY(item->isVisible());
        scene.area->checkRedo();
        QVERIFY(!item->isVisible());
        QCOMPARE(scene.items().size(), 1);   // hidden, never deleted
    }
};

QTEST_MAIN(TestRectItem)
#include "tst_rectitem.moc"
