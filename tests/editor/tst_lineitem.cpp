// Line and arrow tools: Shift snapping, head size, reshaping by either end,
// undo and redo, rescaling, and the pixels they leave in the final image.

#include <QtTest>

#include <QUndoStack>

#include <cmath>

#include "editor/items/arrowitem.h"
#include "editor/items/lineitem.h"
#include "editor/ppainterarea.h"
#include "support/editorfixture.h"

using pryx::test::Scene;

namespace {
bool near(QColor a, QColor b, int tolerance = 60)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

template <typename T>
T *only(Scene &scene)
{
    const auto items = scene.items();
    return items.size() == 1 ? qobject_cast<T *>(items.first()) : nullptr;
}

void hoverAt(Scene &scene, AbstractGraphItem *item, QPointF handle)
{
    const QPoint p = (QPointF(item->x(), item->y()) + handle).toPoint();
    scene.move(p + QPoint(-1, -1));
    scene.move(p);
}

// Drags the line tool from (100, 100) to (200, 150) and checks it.
LineItem *checkedLine(Scene &scene, const QString &tool = "Line")
{
    scene.area->setCurrentModule(tool);
    scene.drag(QPoint(100, 100), QPoint(200, 150));
    scene.area->setCurrentModule("Move");
    scene.press(QPoint(150, 125));
    scene.release(QPoint(150, 125));
    LineItem *item = only<LineItem>(scene);
    return item && item->isChecked() ? item : nullptr;
}
} // namespace

class TestLineItem : public QObject
{
    Q_OBJECT

private slots:
    void snapping_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<int>("mods");
        QTest::addColumn<QPointF>("end");
        const int none = Qt::NoModifier, shift = Qt::ShiftModifier;
        QTest::newRow("free") << "Line" << QPoint(200, 139) << none << QPointF(200, 139);
        QTest::newRow("horizontal 39") << "Line" << QPoint(200, 139) << shift << QPointF(200, 100);
        QTest::newRow("45 at 40") << "Line" << QPoint(200, 140) << shift << QPointF(200, 200);
        QTest::newRow("45 upwards") << "Line" << QPoint(200, 40) << shift << QPointF(200, 0);
        QTest::newRow("vertical") << "Line" << QPoint(130, 250) << shift << QPointF(100, 250);
        QTest::newRow("vertical up-left") << "Line" << QPoint(65, 20) << shift << QPointF(100, 20);
        QTest::newRow("arrow horizontal") << "Arrow" << QPoint(200, 139) << shift << QPointF(200, 100);
        QTest::newRow("arrow 45") << "Arrow" << QPoint(200, 140) << shift << QPointF(200, 200);
    }

    void snapping()
    {
        QFETCH(QString, tool);
        QFETCH(QPoint, to);
        QFETCH(int, mods);
        QFETCH(QPointF, end);
        Scene scene;
        QVERIFY(scene.exposed);
        scene.area->setCurrentModule(tool);
        scene.drag(QPoint(100, 100), to, Qt::KeyboardModifiers(mods));
        LineItem *item = only<LineItem>(scene);
        QVERIFY(item);
        QCOMPARE(item->name(), tool);
        QCOMPARE(item->line(), QLineF(QPointF(100, 100), end));
        const QRectF r = QRectF(QPointF(100, 100), end).normalized().adjusted(-45, -45, 45, 45);
        QCOMPARE(QRectF(item->x(), item->y(), item->width(), item->height()), r);
        QCOMPARE(item->itemRect(), r);
        QCOMPARE(scene.area->undoStack()->count(), 1);
    }

    void clickMakesNoLineButAnArrowIsAddedAtPress()
    {
        Scene scene;
        scene.area->setCurrentModule("Line");
        scene.press(QPoint(50, 50));
        scene.release(QPoint(50, 50));
        QCOMPARE(scene.area->undoStack()->count(), 0);
        scene.area->setCurrentModule("Arrow");
        scene.press(QPoint(50, 50));
        QCOMPARE(scene.area->undoStack()->count(), 1);
        scene.release(QPoint(50, 50));
        QCOMPARE(scene.area->undoStack()->count(), 1);
    }

    void headSize_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("factor");
        QTest::newRow("long, width 1") << 150 << 1 << 1.0;
        QTest::newRow("long, width 11") << 150 << 11 << 2.0;
        QTest::newRow("exactly 80 gets the formula") << 80 << 11 << 2.0;
        QTest::newRow("40, width 11") << 40 << 11 << (40 * (2.0 - 0.3) / 80 + 0.3);
        QTest::newRow("40, width 1") << 40 << 1 << (40 * 0.7 / 80 + 0.3);
    }

    void headSize()
    {
        QFETCH(int, length);
        QFETCH(int, width);
        QFETCH(double, factor);
        Scene scene;
        scene.area->setCurrentModule("Arrow");
        scene.area->setCurrentLineWidth(width);
        scene.drag(QPoint(50, 150), QPoint(50 + length, 150));
        auto *arrow = only<ArrowItem>(scene);
        QVERIFY(arrow);
        QCOMPARE(arrow->lineWidth(), width);
        QVERIFY(std::fabs(arrow->headFactor() - factor) < 1e-9);
        // The head spans 10 * c back from the tip and is wider than the shaft.
        const QImage out = scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true);
        const QColor colour = arrow->color();
        const int tip = 50 + length;
        QVERIFY(near(out.pixelColor(tip - 2, 150), colour));
        QVERIFY(!near(out.pixelColor(tip + 4, 150), colour));
        const int headMiddle = tip - int(5 * factor);
        int headRows = 0, shaftRows = 0;
        for (int y = 130; y < 170; ++y) {
            headRows += near(out.pixelColor(headMiddle, y), colour) ? 1 : 0;
            shaftRows += near(out.pixelColor(50 + length / 4, y), colour) ? 1 : 0;
        }
        QVERIFY2(headRows > shaftRows, qPrintable(QString("%1 %2").arg(headRows).arg(shaftRows)));
    }

    void linePixels()
    {
        Scene scene;
        scene.area->setCurrentModule("Line");
        scene.drag(QPoint(100, 100), QPoint(300, 100));
        const QColor colour = only<LineItem>(scene)->color();
        const QImage out = scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true);
        QVERIFY(near(out.pixelColor(200, 100), colour));
        QVERIFY(near(out.pixelColor(299, 100), colour));
        QCOMPARE(out.pixelColor(200, 110), QColor(Qt::white));
        QCOMPARE(out.pixelColor(320, 100), QColor(Qt::white));
    }

    void reshapeByEachEnd_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<int>("handle");
        QTest::addColumn<QLineF>("after");
        QTest::newRow("line second end") << "Line" << 1 << QLineF(100, 100, 250, 200);
        QTest::newRow("line first end") << "Line" << 0 << QLineF(150, 50, 200, 150);
        QTest::newRow("arrow tip") << "Arrow" << 1 << QLineF(100, 100, 250, 200);
        QTest::newRow("arrow tail") << "Arrow" << 0 << QLineF(150, 50, 200, 150);
    }

    void reshapeByEachEnd()
    {
        QFETCH(QString, tool);
        QFETCH(int, handle);
        QFETCH(QLineF, after);
        Scene scene;
        LineItem *item = checkedLine(scene, tool);
        QVERIFY(item);
        const QLineF before = item->line();
        QCOMPARE(before, QLineF(100, 100, 200, 150));
        QCOMPARE(item->keyPositions().size(), 3);
        const QPointF key = item->keyPositions().at(handle);
        hoverAt(scene, item, key);
        QVERIFY(item->isOnKey());
        const QPoint from = (QPointF(item->x(), item->y()) + key).toPoint();
        const QPoint to = handle == 1 ? QPoint(250, 200) : QPoint(150, 50);
        scene.press(from);
        scene.move((from + to) / 2);
        scene.move(to);
        scene.release(to);
        QCOMPARE(item->line(), after);
        QUndoStack *stack = scene.area->undoStack();
        QCOMPARE(stack->count(), 2);
        QCOMPARE(stack->text(1), QStringLiteral("Line change"));
        scene.area->checkUndo();
        QCOMPARE(item->line(), before);
        // Redo with Shift held (Ctrl+Shift+Z) sets the line as it was: no snapping.
        scene.keyPress(Qt::Key_Shift, Qt::ShiftModifier);
        scene.area->checkRedo();
        QCOMPARE(item->line(), after);
        scene.keyRelease(Qt::Key_Shift);
    }

    void middleHandleMovesAndPushesMove()
    {
        Scene scene;
        LineItem *item = checkedLine(scene);
        QVERIFY(item);
        const QPointF key = item->keyPositions().at(2);
        hoverAt(scene, item, key);
        const QPoint from = (QPointF(item->x(), item->y()) + key).toPoint();
        scene.press(from);
        scene.move(from + QPoint(10, 5));
        scene.move(from + QPoint(20, 10));
        scene.release(from + QPoint(20, 10));
        QCOMPARE(item->line(), QLineF(120, 110, 220, 160));
        QUndoStack *stack = scene.area->undoStack();
        QCOMPARE(stack->count(), 2);
        QVERIFY(stack->text(1) != QStringLiteral("Line change"));
        scene.area->checkUndo();
        QCOMPARE(item->line(), QLineF(100, 100, 200, 150));
        scene.area->checkRedo();
        QCOMPARE(item->line(), QLineF(120, 110, 220, 160));
    }

    // Shift pressed and released while the first end (the arrow's tail) is
    // dragged: the other end stays where it is.
    void keyReleaseKeepsTheFixedEnd_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::newRow("line first end") << "Line";
        QTest::newRow("arrow tail") << "Arrow";
    }

    void keyReleaseKeepsTheFixedEnd()
    {
        QFETCH(QString, tool);
        Scene scene;
        LineItem *item = checkedLine(scene, tool);
        QVERIFY(item);
        QCOMPARE(item->name(), tool);
        const QPointF key = item->keyPositions().at(0);
        hoverAt(scene, item, key);
        const QPoint from = (QPointF(item->x(), item->y()) + key).toPoint();
        scene.press(from);
        scene.move(QPoint(60, 90));
        scene.keyPress(Qt::Key_Shift, Qt::ShiftModifier);
        QCOMPARE(item->line().p2(), QPointF(200, 150));
        scene.keyRelease(Qt::Key_Shift);
        QCOMPARE(item->line(), QLineF(60, 90, 200, 150));
        scene.release(QPoint(60, 90));
        QCOMPARE(item->line(), QLineF(60, 90, 200, 150));
        QUndoStack *stack = scene.area->undoStack();
        QCOMPARE(stack->text(stack->count() - 1), QStringLiteral("Line change"));
        scene.area->checkUndo();
        QCOMPARE(item->line(), QLineF(100, 100, 200, 150));
    }

    void keyReleaseDuringBodyDragKeepsTheLine()
    {
        Scene scene;
        LineItem *item = checkedLine(scene);
        QVERIFY(item);
        scene.press(QPoint(120, 110));
        scene.move(QPoint(130, 110));
        scene.keyPress(Qt::Key_Shift, Qt::ShiftModifier);
        scene.keyRelease(Qt::Key_Shift);
        QCOMPARE(item->line(), QLineF(110, 100, 210, 150));
        scene.release(QPoint(130, 110));
    }

    void shiftPressedWhileDrawingSnapsAtOnce()
    {
        Scene scene;
        scene.area->setCurrentModule("Line");
        scene.press(QPoint(100, 100));
        scene.move(QPoint(200, 120));
        LineItem *item = only<LineItem>(scene);
        QVERIFY(item);
        QCOMPARE(item->line().p2(), QPointF(200, 120));
        scene.keyPress(Qt::Key_Shift, Qt::ShiftModifier);
        QCOMPARE(item->line().p2(), QPointF(200, 100));
        scene.keyRelease(Qt::Key_Shift);
        QCOMPARE(item->line().p2(), QPointF(200, 120));
        scene.release(QPoint(200, 120));
    }

    void rescale()
    {
        Scene scene;
        scene.area->setCurrentModule("Line");
        scene.drag(QPoint(100, 100), QPoint(200, 150));
        LineItem *item = only<LineItem>(scene);
        QVERIFY(item);
        item->rescale(0.5);
        QVERIFY(std::fabs(item->line().p1().x() - 50) < 1e-9);
        QVERIFY(std::fabs(item->line().p1().y() - 50) < 1e-9);
        QVERIFY(std::fabs(item->line().p2().x() - 100) < 1e-9);
        QVERIFY(std::fabs(item->line().p2().y() - 75) < 1e-9);
    }

    void rescaleOfAnUnsetLineGivesNoNaN()
    {
        Scene scene;
        auto *item = new LineItem(scene.area);
        item->rescale(2.0);
        QVERIFY(item->line().isNull());
        QVERIFY(!std::isnan(item->x()) && !std::isnan(item->width()));
        item->setLine(QPointF(10, 10), QPointF(30, 40));
        QCOMPARE(item->line(), QLineF(10, 10, 30, 40));
    }
};

QTEST_MAIN(TestLineItem)
#include "tst_lineitem.moc"
