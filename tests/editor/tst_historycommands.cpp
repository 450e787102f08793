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
#include "editor/items/rectitem.h"
#include "support/editorfixture.h"

// Items of the tools whose commands call invokables by name.
class FakePen : public AbstractGraphItem
{
    Q_OBJECT
public:
    using AbstractGraphItem::AbstractGraphItem;
    Q_INVOKABLE void setRect(QRectF r) { rects.append(r); }
    QList<QRectF> rects;
};

class FakeLine : public AbstractGraphItem
{
    Q_OBJECT
public:
    using AbstractGraphItem::AbstractGraphItem;
    Q_INVOKABLE void resetLine() { calls.append(QStringLiteral("reset")); }
    Q_INVOKABLE void setLine(QPointF a, QPointF b) { calls.append(QStringLiteral("line %1,%2 %3,%4").arg(a.x()).arg(a.y()).arg(b.x()).arg(b.y())); }
    QStringList calls;
};

class FakeArrow : public FakeLine
{
    Q_OBJECT
public:
    using FakeLine::FakeLine;
    Q_INVOKABLE void setLine(QPointF a, QPointF b) { calls.append(QStringLiteral("arrow %1,%2 %3,%4").arg(a.x()).arg(a.y()).arg(b.x()).arg(b.y())); }
};

class FakeText : public AbstractGraphItem
{
    Q_OBJECT
public:
    using AbstractGraphItem::AbstractGraphItem;
    Q_INVOKABLE void setTextGeometry(double size, QRectF rect) { geometry.append(qMakePair(size, rect)); }
    QList<QPair<double, QRectF>> geometry;
};

class TestHistoryCommands : public QObject
{
    Q_OBJECT

private slots:
    void init() { pryx::editor::Environment::setCurrent(&env); }
    void cleanup() { pryx::editor::Environment::setCurrent(nullptr); }

    void addAndDeleteSwitchVisibility()
    {
        QUndoStack stack;
        FakePen item;
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

    void penChangeCallsSetRect()
    {
        QUndoStack stack;
        FakePen pen;
        stack.push(new PenChange(&pen, QRectF(1, 2, 3, 4), QRectF(5, 6, 7, 8)));
        stack.undo();
        QCOMPARE(pen.rects, (QList<QRectF>{QRectF(1, 2, 3, 4), QRectF(5, 6, 7, 8)}));
        QCOMPARE(stack.text(0), QStringLiteral("Pen change"));
    }

    void lineChangeResetsAndSetsTheMostDerivedLine_data()
    {
        QTest::addColumn<bool>("arrow");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("line") << false
                              << QStringList{"reset", "line 1,2 3,4", "reset", "line 5,6 7,8"};
        QTest::newRow("arrow") << true
                               << QStringList{"reset", "arrow 1,2 3,4", "reset", "arrow 5,6 7,8"};
    }

    void lineChangeResetsAndSetsTheMostDerivedLine()
    {
        QFETCH(bool, arrow);
        QFETCH(QStringList, calls);
        QUndoStack stack;
        QScopedPointer<FakeLine> item(arrow ? new FakeArrow : new FakeLine);
        stack.push(new LineChange(item.data(), QLineF(1, 2, 3, 4), QLineF(5, 6, 7, 8)));
        stack.undo();
        QCOMPARE(item->calls, calls);
        QCOMPARE(stack.text(0), QStringLiteral("Line change"));
    }

    void textChangeSetsSizeAndRectangle()
    {
        QUndoStack stack;
        FakeText text;
        stack.push(new TextChange(&text, 16.5, QRectF(1, 2, 30, 20), 13.5, QRectF(1, 2, 25, 17)));
        stack.undo();
        QCOMPARE(text.geometry.size(), 2);
        QCOMPARE(text.geometry.at(0), qMakePair(16.5, QRectF(1, 2, 30, 20)));
        QCOMPARE(text.geometry.at(1), qMakePair(13.5, QRectF(1, 2, 25, 17)));
        QCOMPARE(stack.text(0), QString());
    }

    void commandOnAnItemWithoutTheMethodWarns()
    {
        QUndoStack stack;
        RectItem item;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("has no invokable setRect"));
        stack.push(new PenChange(&item, QRectF(), QRectF()));
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
