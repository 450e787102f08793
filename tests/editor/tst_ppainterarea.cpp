// Annotation area: tool selection, stacking order, the final image, the
// current item and its options, rescaling, gestures and the undo history.

#include <QtTest>

#include <QUndoStack>

#include "editor/blackoutarea.h"
#include "editor/graphmodule.h"
#include "editor/items/ellipseitem.h"
#include "editor/items/rectitem.h"
#include "editor/ppainterarea.h"
#include "support/editorfixture.h"

using pryx::test::Scene;

// A rectangle kind whose geometry is its rectangle grown by 5 px, as blur
// and blackout items have it.
class FiveMarginItem : public RectItem
{
    Q_OBJECT
public:
    using RectItem::RectItem;
    void updateGeometry(QRectF r) override
    {
        const QRectF n = r.normalized();
        setX(n.x() - 5);
        setY(n.y() - 5);
        setWidth(n.width() + 10);
        setHeight(n.height() + 10);
        storeItemRect();
    }
};

namespace {
RectItem *drawRect(Scene &scene, QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier,
                   const QString &tool = QStringLiteral("Rect"))
{
    if (!scene.area->isCurrentModule(tool))
        scene.area->setCurrentModule(tool);
    const int before = scene.items().size();
    scene.drag(from, to, mods);
    const auto items = scene.items();
    return items.size() == before + 1 ? qobject_cast<RectItem *>(items.last()) : nullptr;
}

void clickWithMove(Scene &scene, QPoint p)
{
    if (!scene.area->isCurrentModule("Move"))
        scene.area->setCurrentModule("Move");
    scene.press(p);
    scene.release(p);
}

// What an undo step can change on a rectangle.
QVariantList snapshot(RectItem *item)
{
    return {item->isVisible(), item->x(), item->y(), item->rect(), item->colorX(), item->color(), item->lineWidth()};
}
} // namespace

class TestPPainterArea : public QObject
{
    Q_OBJECT

private slots:
    void constructionDefaults()
    {
        Scene scene;
        PPainterArea *area = scene.area;
        QCOMPARE(area->objectName(), QStringLiteral("PPainterArea"));
        QStringList names;
        for (GraphModule *module : area->modules())
            names << module->name();
        QCOMPARE(names, (QStringList{"Move", "Pen", "Rect", "Ellipse", "Line", "Arrow", "Text", "Blur", "Counter",
                                     "Marker", "Blackout", "Ponoram"}));
        QCOMPARE(area->currentModuleName(), QString());
        QCOMPARE(area->currentColorX(), 7);
        QCOMPARE(area->currentLineWidth(), 2);
        QVERIFY(area->blackoutArea());
        QCOMPARE(area->blackoutArea()->z(), 100.0);
        QCOMPARE(area->acceptedMouseButtons(), Qt::AllButtons);
        area->setSelectRect(QRectF(10, 20, 200, 100));
        QCOMPARE(area->blackoutArea()->selectRect(), QRectF(10, 20, 200, 100));
        QCOMPARE(area->blackoutArea()->position(), QPointF(10, 20));
    }

    void toolSelection_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("module");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("lastGraphTools");
        const int cross = -1;
        QTest::newRow("rect") << QStringList{"Rect"} << "Rect" << cross << 2 << "Rect";
        QTest::newRow("rect twice") << QStringList{"Rect", "Rect"} << "" << cross << 2 << "Rect";
        QTest::newRow("rect then ellipse") << QStringList{"Rect", "Ellipse"} << "Ellipse" << cross << 2 << "Ellipse";
        QTest::newRow("text") << QStringList{"Text"} << "Text" << int(Qt::IBeamCursor) << 8 << "Text";
        QTest::newRow("blur") << QStringList{"Blur"} << "Blur" << cross << 15 << "Blur";
        QTest::newRow("blackout") << QStringList{"Blackout"} << "Blackout" << cross << 4 << "Blackout";
        QTest::newRow("move keeps width") << QStringList{"Blur", "Move"} << "Move" << cross << 15 << "Move";
        QTest::newRow("unknown") << QStringList{"Blur", "Nope"} << "" << cross << 2 << "Nope";
        QTest::newRow("empty") << QStringList{"Text", ""} << "" << cross << 2 << "";
    }

    void toolSelection()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QString, module);
        QFETCH(int, cursor);
        QFETCH(int, width);
        QFETCH(QString, lastGraphTools);
        Scene scene;
        QSignalSpy changed(scene.area, SIGNAL(currentModuleChanged(QString)));
        for (const QString &name : clicks)
            scene.area->setCurrentModule(name);
        QCOMPARE(scene.area->currentModuleName(), module);
        QCOMPARE(scene.area->property("currentModule").toString(), module);
        QCOMPARE(changed.size(), clicks.size());
        QCOMPARE(changed.last().at(0).toString(), module);
        const Qt::CursorShape shape = scene.area->cursor().shape();
        if (cursor == -1)
            QVERIFY(shape == Qt::CrossCursor || shape == Qt::BitmapCursor);
        else
            QCOMPARE(int(shape), cursor);
        QCOMPARE(scene.area->currentLineWidth(), width);
        QCOMPARE(scene.env.values.value("lastGraphTools").toString(), lastGraphTools);
        QList<QStringList> clicksSent;
        for (const QString &name : clicks)
            clicksSent << QStringList{"tool", "click", name};
        QCOMPARE(scene.env.events, clicksSent);
    }

    void noToolDrawsNothing()
    {
        Scene scene;
        scene.area->setCurrentModule("Rect");
        scene.area->setCurrentModule("Rect");
        scene.drag(QPoint(10, 10), QPoint(60, 60));
        QCOMPARE(scene.items().size(), 0);
        QCOMPARE(scene.area->undoStack()->count(), 0);
    }

    void selectLastModuleToggles()
    {
        Scene scene;
        scene.area->setCurrentModule("Ellipse");
        scene.area->selectLastModule();
        QCOMPARE(scene.area->currentModuleName(), QStringLiteral("Move"));
        scene.area->selectLastModule();
        QCOMPARE(scene.area->currentModuleName(), QStringLiteral("Ellipse"));
    }

    void zOrderFrom101AndRaising()
    {
        Scene scene;
        RectItem *a = drawRect(scene, QPoint(10, 10), QPoint(60, 60));
        RectItem *b = drawRect(scene, QPoint(40, 40), QPoint(90, 90));
        RectItem *c = drawRect(scene, QPoint(70, 70), QPoint(120, 120), Qt::NoModifier, "Ellipse");
        QVERIFY(a && b && c);
        QCOMPARE(a->z(), 101.0);
        QCOMPARE(b->z(), 102.0);
        QCOMPARE(c->z(), 103.0);
        QVERIFY(a->z() > scene.area->blackoutArea()->z());
        // Choosing Move checks the current item again (raising it); checking
        // another unchecks it (raising it once more) and raises the other.
        scene.area->setCurrentModule("Move");
        QVERIFY(c->isChecked());
        QCOMPARE(c->z(), 104.0);
        clickWithMove(scene, QPoint(20, 20));
        QVERIFY(a->isChecked());
        QVERIFY(!c->isChecked());
        QCOMPARE(c->z(), 105.0);
        QCOMPARE(a->z(), 106.0);
        QCOMPARE(scene.area->checkedItem(), a);
        QCOMPARE(scene.area->currentItem(), a);
        clickWithMove(scene, QPoint(300, 250));
        QVERIFY(!a->isChecked());
        QCOMPARE(a->z(), 107.0);
        QCOMPARE(scene.area->checkedItem(), nullptr);
        QCOMPARE(scene.items().size(), 3);
        // Every new item: one (tool, use) event with its name.
        int uses = 0;
        for (const QStringList &e : scene.env.events)
            uses += e.at(1) == "use";
        QCOMPARE(uses, 3);
        QVERIFY(scene.env.events.contains(QStringList{"tool", "use", "Ellipse"}));
    }

    void toolSwitchKeepsTheCurrentItem()
    {
        Scene scene;
        RectItem *a = drawRect(scene, QPoint(10, 10), QPoint(60, 60));
        QVERIFY(a);
        clickWithMove(scene, QPoint(20, 20));
        QVERIFY(a->isChecked());
        scene.area->setCurrentModule("Ellipse");
        QVERIFY(!a->isChecked());
        QCOMPARE(scene.area->currentItem(), a);
        const QColor other = scene.env.colorFromX(200);
        scene.area->setCurrentColor(other);
        QCOMPARE(a->color(), other);
        scene.area->setCurrentModule("Move");
        QVERIFY(a->isChecked());
    }

    void renderEqualsTheViewAfterRaising()
    {
        Scene scene;
        const QColor colours[] = {scene.env.colorFromX(10), scene.env.colorFromX(100), scene.env.colorFromX(200)};
        QList<RectItem *> items;
        const QPoint corners[] = {QPoint(60, 60), QPoint(110, 90), QPoint(150, 50)};
        for (int i = 0; i < 3; ++i) {
            items << drawRect(scene, corners[i], corners[i] + QPoint(120, 100), Qt::ControlModifier,
                              i == 2 ? "Ellipse" : "Rect");
            QVERIFY(items.last());
            // (the current colour goes to the current item: the one just drawn)
            scene.area->setCurrentColor(colours[i]);
            QCOMPARE(items.last()->color(), colours[i]);
        }
        RectItem *outline = drawRect(scene, QPoint(40, 120), QPoint(300, 170));
        QVERIFY(outline);
        // Raise in another order than created: the first, then the second.
        clickWithMove(scene, QPoint(70, 70));
        clickWithMove(scene, QPoint(220, 180));
        scene.area->clearSelection();
        QVERIFY(items[1]->z() > items[0]->z() && items[0]->z() > items[2]->z());

        const QRect selection(30, 30, 320, 220);
        scene.area->setSelectRect(selection);
        const QImage rendered = scene.area->renderImage(selection, 50000, true);
        const QImage view = scene.grab();
        QCOMPARE(view.size(), QSize(400, 300));
        const QImage shown = view.copy(selection);
        QCOMPARE(rendered.size(), selection.size());
        const int diff = pryx::test::maxChannelDiff(rendered, shown);
        QVERIFY2(diff >= 0 && diff <= 6, qPrintable(QStringLiteral("largest channel difference %1").arg(diff)));
        // Where all three overlap the last raised one is on top.
        QCOMPARE(rendered.pixelColor(QPoint(160, 100) - selection.topLeft()).rgb(), colours[1].rgb());
        // A rectangle given right-to-left is the same rectangle.
        const QRect reversed(selection.right(), selection.bottom(), -selection.width() + 2, -selection.height() + 2);
        QCOMPARE(scene.area->renderImage(reversed, 50000, true), rendered);
    }

    void renderLeavesOutHiddenAndHighItems()
    {
        Scene scene;
        RectItem *a = drawRect(scene, QPoint(60, 60), QPoint(120, 120), Qt::ControlModifier);
        QVERIFY(a);
        const QRect all(0, 0, 400, 300);
        const QRgb colour = a->color().rgb();
        QCOMPARE(scene.area->renderImage(all, 50000, true).pixel(90, 90), colour);
        a->setZ(50000);
        QCOMPARE(scene.area->renderImage(all, 50000, true).pixelColor(90, 90), QColor(Qt::white));
        a->setZ(101);
        scene.area->checkUndo();
        QVERIFY(!a->isVisible());
        QCOMPARE(scene.area->renderImage(all, 50000, true).pixelColor(90, 90), QColor(Qt::white));
        scene.area->setBackground(QImage());
        QVERIFY(scene.area->renderImage(all, 50000, true).isNull());
    }

    void hiddenItemIsNeverCurrent()
    {
        Scene scene;
        QVERIFY(scene.active);
        RectItem *a = drawRect(scene, QPoint(60, 60), QPoint(120, 120));
        QVERIFY(a);
        QCOMPARE(scene.area->currentItem(), a);
        clickWithMove(scene, QPoint(70, 70));
        scene.key(Qt::Key_Delete);
        QVERIFY(!a->isVisible());
        QCOMPARE(scene.area->currentItem(), nullptr);
        QUndoStack *stack = scene.area->undoStack();
        const int count = stack->count();
        const QColor before = a->color();
        scene.area->setCurrentColor(scene.env.colorFromX(250));
        scene.area->pushColorChange(250, 7);
        scene.area->setCurrentLineWidth(9);
        scene.area->pushLineWidthChange(9, 2);
        QCOMPARE(stack->count(), count);
        QCOMPARE(a->color(), before);
        QCOMPARE(a->lineWidth(), 2);
        // A tool switch does not bring it back either.
        scene.area->setCurrentModule("Rect");
        QCOMPARE(scene.area->currentItem(), nullptr);

        // Undoing the addition hides the item and drops it as current.
        RectItem *b = drawRect(scene, QPoint(200, 60), QPoint(260, 120));
        QVERIFY(b);
        QCOMPARE(scene.area->currentItem(), b);
        scene.area->checkUndo();
        QVERIFY(!b->isVisible());
        QVERIFY(scene.area->currentItem() != b);
    }

    // The width undo goes back to the item's own width, and the setting of
    // the item's own tool takes the new width.
    void widthUndoRestoresTheItemsOwnWidth()
    {
        Scene scene;
        RectItem *a = drawRect(scene, QPoint(60, 60), QPoint(120, 120));
        QVERIFY(a);
        QCOMPARE(a->lineWidth(), 2);
        scene.area->setCurrentModule("Text");      // width 8 from "widthTextLine"
        QCOMPARE(scene.area->currentLineWidth(), 8);
        QCOMPARE(scene.area->currentItem(), a);
        QCOMPARE(a->lineWidth(), 2);
        // The toolbar drag from 8 to 10, live, then its end.
        scene.area->setCurrentLineWidth(9);
        scene.area->setCurrentLineWidth(10);
        QCOMPARE(a->lineWidth(), 10);
        scene.area->pushLineWidthChange(10, 8);
        QCOMPARE(scene.env.values.value("widthColorLine").toInt(), 10);
        QCOMPARE(scene.env.values.value("widthTextLine").toInt(), 8);
        QCOMPARE(scene.area->undoStack()->text(1), QStringLiteral("Line width change"));
        scene.area->checkUndo();
        QCOMPARE(a->lineWidth(), 2);
        QCOMPARE(scene.area->currentLineWidth(), 2);
        scene.area->checkRedo();
        QCOMPARE(a->lineWidth(), 10);
        QVERIFY(scene.env.events.contains(QStringList{"size", "change", "10"}));
    }

    void widthWithoutItemGoesToTheTool()
    {
        Scene scene;
        scene.area->setCurrentModule("Blur");
        scene.area->pushLineWidthChange(20, 15);
        QCOMPARE(scene.env.values.value("widthBlureLine").toInt(), 20);
        QCOMPARE(scene.area->undoStack()->count(), 0);
    }

    void colourChangeEvent()
    {
        Scene scene;
        RectItem *a = drawRect(scene, QPoint(60, 60), QPoint(120, 120));
        QVERIFY(a);
        scene.area->setCurrentColorX(40);
        scene.area->setCurrentColor(scene.env.colorFromX(40));
        scene.area->pushColorChange(40, 7);
        QVERIFY(scene.env.events.contains(QStringList{"color", "change", scene.env.colorFromX(40).name()}));
        QCOMPARE(a->colorX(), 40);
        scene.area->checkUndo();
        QCOMPARE(a->colorX(), 7);
        QCOMPARE(a->color(), scene.env.colorFromX(7));
        QCOMPARE(scene.area->currentColorX(), 7);
        QCOMPARE(scene.area->currentColor(), scene.env.colorFromX(7));
    }

    void rescaling_data()
    {
        QTest::addColumn<bool>("fiveMargin");
        QTest::addColumn<QList<int>>("widths");   // widths set in turn; the height follows once at the end
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<QRectF>("geometry");
        // (100, 100, 101, 81) in a 113 x 93 box at (94, 94); doubled: box x2, shape box - 12.
        QTest::newRow("doubled") << false << QList<int>{800} << QRectF(194, 194, 214, 174) << QRectF(188, 188, 226, 186);
        QTest::newRow("two width changes: only the first") << false << QList<int>{800, 400}
                                                           << QRectF(194, 194, 214, 174) << QRectF(188, 188, 226, 186);
        // Another kind keeps its own 5 px margin, also at ratio 1.
        QTest::newRow("own margin") << true << QList<int>{800} << QRectF(195, 195, 110, 90) << QRectF(190, 190, 120, 100);
    }

    void rescaling()
    {
        QFETCH(bool, fiveMargin);
        QFETCH(QList<int>, widths);
        QFETCH(QRectF, rect);
        QFETCH(QRectF, geometry);
        Scene scene;
        RectItem *item;
        if (fiveMargin) {
            item = new FiveMarginItem(scene.area);
            item->applyRect(QRectF(100, 100, 50, 40));
        } else {
            item = drawRect(scene, QPoint(100, 100), QPoint(200, 180));
        }
        QVERIFY(item);
        for (int w : widths)
            scene.area->setWidth(w);
        // A change with the same width rescales by ratio 1 (and must keep
        // every shape as it is).
        scene.area->setHeight(scene.area->height() + 50);
        QCOMPARE(item->rect(), rect);
        QCOMPARE(item->itemRect(), geometry);
        QCOMPARE(QRectF(item->x(), item->y(), item->width(), item->height()), geometry);
        QCOMPARE(scene.area->blackoutArea()->size(), scene.area->size());
    }

    void secondButtonDuringAGestureIsIgnored()
    {
        Scene scene;
        scene.area->setCurrentModule("Rect");
        scene.press(QPoint(50, 50));
        scene.move(QPoint(80, 80));
        scene.press(QPoint(90, 90), Qt::NoModifier, Qt::RightButton);
        scene.move(QPoint(100, 100));
        scene.release(QPoint(100, 100), Qt::NoModifier, Qt::RightButton);
        scene.move(QPoint(120, 110));
        scene.release(QPoint(120, 110));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const auto items = scene.items();
        QCOMPARE(items.size(), 1);
        QCOMPARE(qobject_cast<RectItem *>(items.first())->rect(), QRectF(50, 50, 71, 61));
        QCOMPARE(scene.area->undoStack()->count(), 1);
        QVERIFY(items.first()->isVisible());
    }

    void gestureOfAnyButton()
    {
        Scene scene;
        scene.area->setCurrentModule("Ellipse");
        scene.press(QPoint(50, 50), Qt::NoModifier, Qt::RightButton);
        scene.move(QPoint(80, 80));
        scene.release(QPoint(80, 80), Qt::NoModifier, Qt::RightButton);
        QCOMPARE(scene.items().size(), 1);
        QCOMPARE(scene.area->undoStack()->count(), 1);
    }

    void pressAndReleaseOnOnePointLeaveNoItem_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<bool>("wander");   // drag away and come back first
        QTest::newRow("rect click") << "Rect" << false;
        QTest::newRow("ellipse click") << "Ellipse" << false;
        QTest::newRow("rect out and back") << "Rect" << true;
    }

    void pressAndReleaseOnOnePointLeaveNoItem()
    {
        QFETCH(QString, tool);
        QFETCH(bool, wander);
        Scene scene;
        scene.area->setCurrentModule(tool);
        scene.press(QPoint(60, 60));
        if (wander) {
            scene.move(QPoint(90, 80));
            scene.move(QPoint(60, 60));
        }
        scene.release(QPoint(60, 60));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(scene.items().size(), 0);
        QCOMPARE(scene.area->undoStack()->count(), 0);
        QCOMPARE(scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true).pixelColor(60, 60), QColor(Qt::white));
        // The next gesture draws as usual.
        QVERIFY(drawRect(scene, QPoint(60, 60), QPoint(90, 90), Qt::NoModifier, tool));
    }

    void releaseWithoutPressDoesNothing()
    {
        Scene scene;
        scene.area->setCurrentModule("Rect");
        scene.release(QPoint(60, 60));
        QCOMPARE(scene.items().size(), 0);
    }

    void undoRedo_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("text");
        QTest::newRow("add") << "add" << "Add command";
        QTest::newRow("delete") << "delete" << "Delete command";
        QTest::newRow("move") << "move" << "Move";
        QTest::newRow("rect") << "rect" << "Rect change";
        QTest::newRow("colour") << "colour" << "Color change";
        QTest::newRow("width") << "width" << "Line width change";
    }

    void undoRedo()
    {
        QFETCH(QString, op);
        QFETCH(QString, text);
        Scene scene;
        QVERIFY(scene.active);
        RectItem *item = drawRect(scene, QPoint(100, 100), QPoint(200, 180));
        QVERIFY(item);
        QUndoStack *stack = scene.area->undoStack();
        QVariantList before = snapshot(item);
        if (op == "add") {
            item = drawRect(scene, QPoint(50, 200), QPoint(150, 260));
            QVERIFY(item);
            before = snapshot(item);
            before[0] = false;
        } else if (op == "delete") {
            item->forceActiveFocus();
            scene.key(Qt::Key_Delete);
        } else if (op == "move") {
            item->forceActiveFocus();
            scene.key(Qt::Key_Left, Qt::ShiftModifier);
        } else if (op == "rect") {
            scene.area->setCurrentModule("Move");
            scene.drag(QPoint(150, 140), QPoint(170, 150));
        } else if (op == "colour") {
            scene.area->setCurrentColorX(90);
            scene.area->setCurrentColor(scene.env.colorFromX(90));
            scene.area->pushColorChange(90, 7);
        } else if (op == "width") {
            scene.area->setCurrentLineWidth(6);
            scene.area->pushLineWidthChange(6, 2);
        }
        const QVariantList after = snapshot(item);
        QVERIFY(after != before);
        QCOMPARE(stack->count(), 2);
        QCOMPARE(stack->text(1), text);
        QSignalSpy redoable(scene.area, SIGNAL(canRedoChange(bool)));

        scene.area->checkUndo();
        QCOMPARE(snapshot(item), before);
        QVERIFY(scene.area->canRedo());
        QCOMPARE(redoable.size(), 1);
        scene.area->checkRedo();
        QCOMPARE(snapshot(item), after);
        QVERIFY(!scene.area->canRedo());

        // A new change after an undo clears the redo branch.
        scene.area->checkUndo();
        QVERIFY(scene.area->canRedo());
        RectItem *other = drawRect(scene, QPoint(300, 20), QPoint(350, 60));
        QVERIFY(other);
        QVERIFY(!scene.area->canRedo());
        QCOMPARE(stack->count(), 2);
        QCOMPARE(stack->text(1), QStringLiteral("Add command"));
        scene.area->checkRedo();
        QCOMPARE(snapshot(item), before);
        QVERIFY(scene.area->canUndo());
    }

    void undoMakesTheCommandsItemCurrent()
    {
        Scene scene;
        RectItem *a = drawRect(scene, QPoint(20, 20), QPoint(80, 80));
        RectItem *b = drawRect(scene, QPoint(200, 20), QPoint(260, 80));
        QVERIFY(a && b);
        scene.area->setCurrentLineWidth(5);     // applies to the current item only
        QCOMPARE(b->lineWidth(), 5);
        QCOMPARE(a->lineWidth(), 2);
        QCOMPARE(scene.area->currentItem(), b);
        scene.area->checkUndo();     // hides b; a's command is now the last done
        QCOMPARE(scene.area->currentItem(), a);
        QCOMPARE(scene.area->currentLineWidth(), 2);
        scene.area->checkRedo();
        QCOMPARE(scene.area->currentItem(), b);
        QCOMPARE(scene.area->currentLineWidth(), 5);
    }
};

QTEST_MAIN(TestPPainterArea)
#include "tst_ppainterarea.moc"
