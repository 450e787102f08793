// Counter tool: numbering with undo and delete, the hit area of the drawn
// circle, the corner of the circle, resize with undo, the final image.

#include <QtTest>

#include <QUndoStack>

#include "editor/items/counteritem.h"
#include "editor/ppainterarea.h"
#include "support/editorfixture.h"

using pryx::test::Scene;

namespace {
QList<CounterItem *> counters(Scene &scene)
{
    QList<CounterItem *> out;
    for (AbstractGraphItem *item : scene.items())
        if (auto *c = qobject_cast<CounterItem *>(item))
            out.append(c);
    return out;
}

CounterItem *click(Scene &scene, QPoint p)
{
    const int before = counters(scene).size();
    scene.press(p);
    scene.release(p);
    const auto all = counters(scene);
    return all.size() > before ? all.last() : nullptr;
}

QList<int> visibleNumbers(Scene &scene)
{
    QList<int> out;
    for (CounterItem *c : counters(scene))
        if (c->isVisible())
            out.append(c->number());
    return out;
}

QPoint areaPoint(const AbstractGraphItem *item, QPointF p)
{
    return (QPointF(item->x(), item->y()) + p).toPoint();
}

QImage render(Scene &scene) { return scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true); }

// Pixels within `radius` of `c` that are near `colour`.
int pixelsNear(const QImage &img, QPoint c, int radius, QColor colour)
{
    int n = 0;
    for (int y = c.y() - radius; y <= c.y() + radius; ++y)
        for (int x = c.x() - radius; x <= c.x() + radius; ++x) {
            const QColor p = img.pixelColor(x, y);
            if (qAbs(p.red() - colour.red()) < 40 && qAbs(p.green() - colour.green()) < 40
                && qAbs(p.blue() - colour.blue()) < 40)
                ++n;
        }
    return n;
}
} // namespace

class TestCounterItem : public QObject
{
    Q_OBJECT

private slots:
    void numberingWithUndoAndDelete()
    {
        Scene scene;
        QVERIFY(scene.active);
        scene.area->setCurrentModule("Counter");
        QVERIFY(click(scene, QPoint(50, 50)));
        QVERIFY(click(scene, QPoint(150, 50)));
        CounterItem *third = click(scene, QPoint(250, 50));
        QVERIFY(third);
        QCOMPARE(visibleNumbers(scene), (QList<int>{1, 2, 3}));
        QCOMPARE(scene.area->undoStack()->count(), 3);
        QVERIFY(third->isPlaced());

        scene.area->checkUndo();   // 3 is hidden
        QVERIFY(!third->isVisible());
        QCOMPARE(click(scene, QPoint(250, 150))->number(), 3);

        // Delete 2: the next one is 4.
        CounterItem *second = counters(scene).at(1);
        QCOMPARE(second->number(), 2);
        scene.area->setCurrentModule("Move");
        scene.press(QPoint(151, 51));
        scene.release(QPoint(151, 51));
        QVERIFY(second->isChecked());
        second->forceActiveFocus();
        scene.key(Qt::Key_Delete);
        QVERIFY(!second->isVisible());
        scene.area->setCurrentModule("Counter");
        QCOMPARE(click(scene, QPoint(50, 200))->number(), 4);
    }

    // A click on the drawn circle, also on its rim, goes to that counter.
    void clickOnACircleMakesNoDuplicate_data()
    {
        QTest::addColumn<QPoint>("offset");
        QTest::newRow("centre") << QPoint(1, 1);
        QTest::newRow("right rim") << QPoint(11, 1);
        QTest::newRow("lower rim") << QPoint(1, 11);
        QTest::newRow("upper left rim") << QPoint(-6, -6);
    }

    void clickOnACircleMakesNoDuplicate()
    {
        QFETCH(QPoint, offset);
        Scene scene;
        scene.area->setCurrentModule("Counter");
        CounterItem *first = click(scene, QPoint(100, 100));
        QVERIFY(first);
        click(scene, QPoint(300, 200));
        QCOMPARE(counters(scene).size(), 2);
        const QPointF centre = QPointF(first->x(), first->y()) + first->circleCentre();
        QVERIFY(QLineF(centre, QPointF(100, 100) + offset).length() <= 11);
        QVERIFY(!click(scene, QPoint(100, 100) + offset));
        QCOMPARE(counters(scene).size(), 2);
        QCOMPARE(scene.area->undoStack()->count(), 2);
        QCOMPARE(scene.area->currentItem(), first);
        // Just outside the circle a new counter is made.
        QVERIFY(click(scene, QPoint(100, 100) + QPoint(16, 0)));
    }

    void circleCorner_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<bool>("right");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QPoint>("circle");   // area coordinates of its centre
        // A rectangle from the press to the pointer, both included: dragged
        // towards the top-left it starts one pixel later.
        QTest::newRow("to bottom-right") << QPoint(100, 100) << QPoint(160, 140) << true << true << QPoint(167, 147);
        QTest::newRow("to top-left") << QPoint(160, 140) << QPoint(100, 100) << false << false << QPoint(93, 93);
        QTest::newRow("to top-right") << QPoint(100, 140) << QPoint(160, 100) << true << false << QPoint(167, 93);
        QTest::newRow("to bottom-left") << QPoint(160, 100) << QPoint(100, 140) << false << true << QPoint(93, 147);
        QTest::newRow("level, to the right") << QPoint(100, 100) << QPoint(160, 100) << false << true
                                             << QPoint(92, 92);
    }

    void circleCorner()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(bool, right);
        QFETCH(bool, down);
        QFETCH(QPoint, circle);
        Scene scene;
        const QColor colour = scene.area->currentColor();
        scene.area->setCurrentModule("Counter");
        scene.drag(from, to);
        QCOMPARE(counters(scene).size(), 1);
        CounterItem *item = counters(scene).first();
        QCOMPARE(item->labelRight(), right);
        QCOMPARE(item->labelDown(), down);
        QCOMPARE(areaPoint(item, item->circleCentre()), circle);
        const QImage out = render(scene);
        // The filled circle at its corner; the outline along the rectangle.
        QVERIFY(pixelsNear(out, circle, 8, colour) > 80);
        QCOMPARE(out.pixelColor(130, 99).rgb(), colour.rgb());
        QCOMPARE(out.pixelColor(130, 101), QColor(Qt::white));
    }

    void digitsContrastWithTheCircle_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QColor>("digits");
        QTest::newRow("white circle, black digits") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("light grey circle, dark digits") << QColor(230, 220, 210) << QColor(25, 35, 45);
        QTest::newRow("blue circle, white digits") << QColor(Qt::blue) << QColor(Qt::white);
    }

    void digitsContrastWithTheCircle()
    {
        QFETCH(QColor, colour);
        QFETCH(QColor, digits);
        Scene scene(QSize(400, 300), Qt::darkGreen);
        scene.area->setCurrentColor(colour);
        scene.area->setCurrentModule("Counter");
        CounterItem *item = click(scene, QPoint(100, 100));
        QVERIFY(item);
        QCOMPARE(item->color(), colour);
        const QImage out = render(scene);
        const QPoint c = areaPoint(item, item->circleCentre());
        QVERIFY(pixelsNear(out, c, 5, digits) >= 4);
        QVERIFY(pixelsNear(out, c, 8, colour) > 40);
    }

    // Two analytics events per counter: at the press and at the release.
    void twoToolEventsPerCounter()
    {
        Scene scene;
        scene.area->setCurrentModule("Counter");
        scene.env.events.clear();
        click(scene, QPoint(100, 100));
        const QStringList use{"tool", "use", "Counter"};
        QCOMPARE(scene.env.events.count(use), 2);
    }

    void resizeAndUndo()
    {
        Scene scene;
        QVERIFY(scene.active);
        scene.area->setCurrentModule("Counter");
        scene.drag(QPoint(100, 100), QPoint(160, 140));
        CounterItem *item = counters(scene).first();
        const QRectF drawn = item->rect();
        QCOMPARE(drawn, QRectF(100, 100, 61, 41));
        scene.area->setCurrentModule("Move");
        scene.press(QPoint(100, 120));
        scene.release(QPoint(100, 120));
        QVERIFY(item->isChecked());
        QUndoStack *stack = scene.area->undoStack();
        const int before = stack->count();
        const QPoint h = areaPoint(item, item->keyPositions().at(4));
        scene.move(h + QPoint(-1, -1));
        scene.move(h);
        QVERIFY(item->resizesRight() && item->resizesBottom());
        scene.drag(h, h + QPoint(20, 10), Qt::NoModifier, 3);
        QCOMPARE(item->rect(), QRectF(100, 100, 81, 51));
        QCOMPARE(item->rectAtRelease(), item->rect());
        QCOMPARE(stack->count(), before + 1);
        scene.area->checkUndo();
        QCOMPARE(item->rect(), drawn);
        QCOMPARE(QRectF(item->x(), item->y(), item->width(), item->height()), QRectF(79, 79, 103, 83));
        scene.area->checkRedo();
        QCOMPARE(item->rect(), QRectF(100, 100, 81, 51));
    }

    // A single circle dragged by its body moves; undo moves it back.
    void singleCircleMovesByItsBody()
    {
        Scene scene;
        scene.area->setCurrentModule("Counter");
        CounterItem *item = click(scene, QPoint(100, 100));
        QVERIFY(item);
        const QPointF at(item->x(), item->y());
        scene.area->setCurrentModule("Move");
        scene.drag(QPoint(101, 101), QPoint(131, 121), Qt::NoModifier, 3);
        QCOMPARE(QPointF(item->x(), item->y()), at + QPointF(30, 20));
        QCOMPARE(item->rect().topLeft(), QPointF(130, 120));
        QCOMPARE(scene.area->undoStack()->text(1), QStringLiteral("Move"));
        scene.area->checkUndo();
        QCOMPARE(QPointF(item->x(), item->y()), at);
        QCOMPARE(item->rect().topLeft(), QPointF(100, 100));
    }
};

QTEST_MAIN(TestCounterItem)
#include "tst_counteritem.moc"
