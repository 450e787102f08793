// Undo commands: what redo and undo apply, and the texts they set.

#include <QtTest>

#include <QUndoStack>

#include "editor/commands/addcommand.h"
#include "editor/commands/colorchange.h"
#include "editor/commands/deletecommand.h"
#include "editor/commands/linechange.h"
#include "editor/commands/linewidthchange.h"
#include "editor/commands/movecommand.h"
#include "editor/commands/penchange.h"
#include "editor/commands/rectchange.h"
#include "editor/commands/textchange.h"
#include "editor/items/arrowitem.h"
#include "editor/items/lineitem.h"
#include "editor/items/penitem.h"
#include "editor/items/rectitem.h"
#include "editor/items/textitem.h"
#include "support/editorfixture.h"

class TestHistoryCommands : public QObject
{
    Q_OBJECT

private slots:
    void init() { pryx::editor::Environment::setCurrent(&env); }
    void cleanup() { pryx::editor::Environment::setCurrent(nullptr); }

    void addAndDeleteSwitchVisibility()
    {
        QUndoStack stack;
        RectItem item;
        item.setVisible(false);
        stack.push(new AddCommand(&item));
        QVERIFY(item.isVisible());
        QCOMPARE(stack.text(0), QStringLiteral("Add command"));
        stack.push(new DeleteCommand(&item));
        QVERIFY(!item.isVisible());
        QCOMPARE(stack.text(1), QStringLiteral("Delete command"));
        stack.undo();
        QVERIFY(item.isVisible());
        stack.undo();
        QVERIFY(!item.isVisible());
        stack.redo();
        stack.redo();
        QVERIFY(!item.isVisible());
    }

    void moveTextNamesTheOldPlace()
    {
        QUndoStack stack;
        RectItem item;
        item.applyRect(QRectF(20, 10, 30, 30));
        const QPointF old(item.x(), item.y());
        stack.push(new MoveCommand(&item, QPointF(40.5, 7), old));
        QCOMPARE(QPointF(item.x(), item.y()), QPointF(40.5, 7));
        QCOMPARE(stack.text(0), QStringLiteral("Move"));
        stack.undo();
        QCOMPARE(QPointF(item.x(), item.y()), old);
        QCOMPARE(stack.text(0), QStringLiteral("Move at %1 %2").arg(old.x()).arg(old.y()));
        QCOMPARE(stack.text(0), QStringLiteral("Move at 14 4"));
    }

    void rectChangeAppliesTheRectangleAsItIs()
    {
        QUndoStack stack;
        RectItem item;
        item.applyRect(QRectF(10, 10, 11, 11));
        stack.push(new RectChange(&item, QRectF(50, 40, -20, 30), QRectF(10, 10, 11, 11)));
        QCOMPARE(item.rect(), QRectF(50, 40, -20, 30));
        QCOMPARE(QRectF(item.x(), item.y(), item.width(), item.height()), QRectF(24, 34, 32, 42));
        QCOMPARE(item.itemRect(), QRectF(24, 34, 32, 42));
        QCOMPARE(stack.text(0), QStringLiteral("Rect change"));
        stack.undo();
        QCOMPARE(item.rect(), QRectF(10, 10, 11, 11));
        QCOMPARE(item.itemRect(), QRectF(4, 4, 23, 23));
    }

    // A negative side mirrors the stroke: undo and redo flip it back and forth.
    void penChangeSwitchesTheStrokeRectangle()
    {
        QUndoStack stack;
        PenItem pen;
        pen.setRect(QRectF(5, 6, 70, 80));
        stack.push(new PenChange(&pen, QRectF(110, 20, -30, 40), QRectF(5, 6, 70, 80)));
        QCOMPARE(pen.penRect(), QRectF(80, 20, 30, 40));
        QVERIFY(pen.mirroredX());
        QVERIFY(!pen.mirroredY());
        QCOMPARE(stack.text(0), QStringLiteral("Pen change"));
        stack.undo();
        QCOMPARE(pen.penRect(), QRectF(5, 6, 70, 80));
        QVERIFY(!pen.mirroredX());
    }

    // The arrow's own setLine runs for an arrow: a reversed arrow keeps its
    // tip at the fixed end.
    void lineChangeSetsTheItemsOwnLine_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QLineF>("redone");
        QTest::addColumn<QLineF>("undone");
        QTest::newRow("line") << 0 << QLineF(10, 20, 30, 40) << QLineF(50, 60, 70, 80);
        QTest::newRow("arrow") << 1 << QLineF(10, 20, 30, 40) << QLineF(50, 60, 70, 80);
        QTest::newRow("reversed arrow") << 2 << QLineF(30, 40, 10, 20) << QLineF(70, 80, 50, 60);
    }

    void lineChangeSetsTheItemsOwnLine()
    {
        QFETCH(int, kind);
        QFETCH(QLineF, redone);
        QFETCH(QLineF, undone);
        QUndoStack stack;
        QScopedPointer<LineItem> item;
        if (kind == 0) {
            item.reset(new LineItem);
        } else {
            auto *arrow = new ArrowItem;
            arrow->setReversed(kind == 2);
            item.reset(arrow);
        }
        item->setLine(QPointF(1, 1), QPointF(2, 2));
        stack.push(new LineChange(item.data(), QLineF(10, 20, 30, 40), QLineF(50, 60, 70, 80)));
        QCOMPARE(item->line(), redone);
        QCOMPARE(stack.text(0), QStringLiteral("Line change"));
        stack.undo();
        QCOMPARE(item->line(), undone);
    }

    void textChangeSetsSizeAndRectangle()
    {
        QUndoStack stack;
        TextItem text;
        stack.push(new TextChange(&text, 16.5, QRectF(1, 2, 30, 20), 13.5, QRectF(1, 2, 25, 17)));
        QCOMPARE(text.fontSize(), 16.5);
        QCOMPARE(text.textRect(), QRectF(1, 2, 30, 20));
        QCOMPARE(stack.text(0), QString());
        stack.undo();
        QCOMPARE(text.fontSize(), 13.5);
        QCOMPARE(text.textRect(), QRectF(1, 2, 25, 17));
    }

    // A command outlives nothing it points at: the item may go first.
    void commandOnAFreedItemDoesNothing()
    {
        QUndoStack stack;
        auto *pen = new PenItem;
        stack.push(new PenChange(pen, QRectF(1, 2, 3, 4), QRectF(5, 6, 7, 8)));
        delete pen;
        stack.undo();
        stack.redo();
        QCOMPARE(stack.index(), 1);
    }

    void colorChangeRestoresPositionAndColour()
    {
        QUndoStack stack;
        RectItem item;
        item.setColorX(7);
        item.setColor(env.colorFromX(7));
        stack.push(new ColorChange(&item, 120, 7));
        QCOMPARE(item.colorX(), 120);
        QCOMPARE(item.color(), env.colorFromX(120));
        QCOMPARE(stack.text(0), QStringLiteral("Color change"));
        stack.undo();
        QCOMPARE(item.colorX(), 7);
        QCOMPARE(item.color(), env.colorFromX(7));
    }

    void lineWidthChangeSwitchesWidths()
    {
        QUndoStack stack;
        RectItem item;
        item.applyRect(QRectF(10, 10, 11, 11));
        stack.push(new LineWidthChange(&item, 8, 2));
        QCOMPARE(item.lineWidth(), 8);
        QCOMPARE(item.itemRect(), QRectF(1, 1, 29, 29));   // geometry follows the width
        QCOMPARE(stack.text(0), QStringLiteral("Line width change"));
        stack.undo();
        QCOMPARE(item.lineWidth(), 2);
        QCOMPARE(item.itemRect(), QRectF(4, 4, 23, 23));
    }

    void noCommandsMerge()
    {
        QUndoStack stack;
        RectItem item;
        stack.push(new LineWidthChange(&item, 3, 2));
        stack.push(new LineWidthChange(&item, 4, 3));
        QCOMPARE(stack.count(), 2);
    }

private:
    pryx::test::FakeEnvironment env;
};

QTEST_MAIN(TestHistoryCommands)
#include "tst_historycommands.moc"
