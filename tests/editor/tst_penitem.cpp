// Pen and marker tools: the smoothing routine and its thread, Shift
// segments, mirroring resizes with undo, and the pixels in the final image.

#include <QtTest>

#include <QUndoStack>

#include <atomic>

#include "editor/items/markeritem.h"
#include "editor/items/penitem.h"
#include "editor/ppainterarea.h"
#include "editor/smoothing.h"
#include "editor/tools/penmodule.h"
#include "support/editorfixture.h"

using pryx::test::Scene;
using pryx::editor::smoothStroke;

Q_DECLARE_METATYPE(QList<QPointF>)

namespace {
PenItem *onlyPen(Scene &scene)
{
    const auto items = scene.items();
    return items.size() == 1 ? qobject_cast<PenItem *>(items.first()) : nullptr;
}

// The last smoothed point; (-1, -1) before the thread's first pass.
QPointF lastSmooth(const PenItem *item)
{
    const QList<QPointF> pts = item->smoothPointsCopy();
    return pts.isEmpty() ? QPointF(-1, -1) : pts.last();
}

QPointF inItem(const PenItem *item, QPoint p) { return QPointF(p) - QPointF(item->x(), item->y()); }

// A wavy stroke of `count` pointer positions starting at (60, 120).
QList<QPoint> wave(int count)
{
    QList<QPoint> out;
    for (int i = 0; i < count; ++i)
        out.append(QPoint(60 + i * 7, 120 + ((i * 13) % 40) - (i % 3) * 9));
    return out;
}

void drawStroke(Scene &scene, const QList<QPoint> &pts)
{
    scene.press(pts.first());
    for (int i = 1; i < pts.size(); ++i)
        scene.move(pts.at(i));
    scene.release(pts.last());
}

bool isWhite(QColor c) { return c.red() > 235 && c.green() > 235 && c.blue() > 235; }

// -1 when the stroke pixels of `row` lie left of the item's centre, +1
// when right of it, 0 without any.
int strokeSide(const QImage &img, int row, const PenItem *item, QColor colour)
{
    int sum = 0, n = 0;
    for (int x = int(item->x()); x < int(item->x() + item->width()) && x < img.width(); ++x) {
        const QColor c = img.pixelColor(x, row);
        if (qAbs(c.hue() - colour.hue()) < 12 && c.saturation() > 60) {
            sum += x;
            ++n;
        }
    }
    if (n == 0)
        return 0;
    return double(sum) / n < item->x() + item->width() / 2 ? -1 : 1;
}

// Puts the pointer over a handle (enter, then a hover move).
QPoint hoverHandle(Scene &scene, AbstractGraphItem *item, QPointF handle)
{
    const QPoint p = (QPointF(item->x(), item->y()) + handle).toPoint();
    scene.move(p + QPoint(-1, -1));
    scene.move(p);
    return p;
}
} // namespace

class TestPenItem : public QObject
{
    Q_OBJECT

private slots:
    void smoothing_data()
    {
        QTest::addColumn<QList<QPointF>>("points");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<QPointF>>("expected");   // empty: check the count only
        const QList<QPointF> none;
        QTest::newRow("empty") << QList<QPointF>() << 0 << none;
        QTest::newRow("one point") << QList<QPointF>{{3, 4}} << 1 << QList<QPointF>{{3, 4}};
        const QList<QPointF> four{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
        QTest::newRow("four points stay raw") << four << 4 << four;
        // A straight run: two points per segment, the first one skipped.
        QTest::newRow("straight")
            << QList<QPointF>{{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}} << 8
            << QList<QPointF>{{0, 0}, {5, 0}, {10, 0}, {15, 0}, {20, 0}, {25, 0}, {30, 0}, {40, 0}};
        // A right angle gives 26 points, the straight neighbours 2 each.
        QTest::newRow("right angle")
            << QList<QPointF>{{0, 0}, {10, 0}, {20, 0}, {20, 10}, {20, 20}} << 32 << none;
        // Turning back gives 50 points per segment.
        QTest::newRow("back and forth")
            << QList<QPointF>{{0, 0}, {10, 0}, {0, 0}, {10, 0}, {0, 0}} << 152 << none;
        // Repeated points have no angle: they add nothing but the ends.
        QTest::newRow("repeated point")
            << QList<QPointF>{{7, 7}, {7, 7}, {7, 7}, {7, 7}, {7, 7}} << 2
            << QList<QPointF>{{7, 7}, {7, 7}};
    }

    void smoothing()
    {
        QFETCH(QList<QPointF>, points);
        QFETCH(int, count);
        QFETCH(QList<QPointF>, expected);
        const QList<QPointF> out = smoothStroke(points);
        QCOMPARE(out.size(), count);
        if (!expected.isEmpty())
            QCOMPARE(out, expected);
        if (!points.isEmpty()) {
            QCOMPARE(out.first(), points.first());
            QCOMPARE(out.last(), points.last());
        }
    }

    // The thread's last pass sees the final points: the same stroke gives
    // the same smoothed points every time, with nothing missing at its end.
    void finishedStrokeIsTheSameOnEveryRun_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::newRow("pen") << "Pen";
        QTest::newRow("marker") << "Marker";
    }

    void finishedStrokeIsTheSameOnEveryRun()
    {
        QFETCH(QString, tool);
        QList<QPointF> first;
        for (int run = 0; run < 4; ++run) {
            Scene scene;
            QVERIFY(scene.exposed);
            scene.area->setCurrentModule(tool);
            drawStroke(scene, wave(40));
            PenItem *item = onlyPen(scene);
            QVERIFY(item);
            QCOMPARE(item->name(), tool);
            QCOMPARE(item->pointCount(), 40);
            const QList<QPointF> smooth = item->smoothPointsCopy();
            QCOMPARE(smooth, smoothStroke(item->pointsCopy()));
            QCOMPARE(smooth.last(), inItem(item, wave(40).last()));
            if (run == 0)
                first = smooth;
            else
                QCOMPARE(smooth, first);
            QCOMPARE(scene.area->undoStack()->count(), 1);
            QCOMPARE(scene.area->undoStack()->text(0), QStringLiteral("Add command"));
        }
    }

    void strokeAppearsInTheFinalImage_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<int>("halfWidth");   // pixels off the line still coloured
        QTest::newRow("pen") << "Pen" << 1;
        QTest::newRow("marker") << "Marker" << 5;
    }

    void strokeAppearsInTheFinalImage()
    {
        QFETCH(QString, tool);
        QFETCH(int, halfWidth);
        Scene scene;
        const QColor colour = scene.area->currentColor();
        scene.area->setCurrentModule(tool);
        QList<QPoint> line;
        for (int x = 50; x <= 250; x += 10)
            line.append(QPoint(x, 150));
        drawStroke(scene, line);
        const QImage out = scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true);
        const QColor on = out.pixelColor(150, 150);
        QVERIFY(!isWhite(on));
        QVERIFY(!isWhite(out.pixelColor(150, 150 - halfWidth)));
        QVERIFY(isWhite(out.pixelColor(150, 150 + halfWidth + 4)));
        QVERIFY(isWhite(out.pixelColor(280, 150)));
        if (tool == QLatin1String("Marker")) {
            // Half transparent over white: half way between the two.
            QVERIFY2(qAbs(on.red() - (colour.red() + 255) / 2) <= 12, qPrintable(on.name()));
            QVERIFY2(qAbs(on.green() - (colour.green() + 255) / 2) <= 12, qPrintable(on.name()));
        } else {
            QVERIFY2(qAbs(on.red() - colour.red()) <= 30 && qAbs(on.green() - colour.green()) <= 30,
                     qPrintable(on.name()));
        }
    }

    // Shift replaces the last point: the count stays, yet every segment is
    // smoothed and drawn at once.
    void twoShiftSegmentsInARow()
    {
        Scene scene;
        scene.area->setCurrentModule("Pen");
        scene.press(QPoint(50, 50));
        for (int x = 60; x <= 90; x += 10)
            scene.move(QPoint(x, 50));
        PenItem *item = onlyPen(scene);
        QVERIFY(item);
        QCOMPARE(item->pointCount(), 5);
        scene.move(QPoint(120, 80), Qt::ShiftModifier);
        scene.move(QPoint(150, 100), Qt::ShiftModifier);
        const int firstCount = item->pointCount();
        QTRY_COMPARE(lastSmooth(item), inItem(item, QPoint(150, 100)));
        scene.move(QPoint(150, 110), Qt::ShiftModifier);
        QCOMPARE(item->pointCount(), firstCount);
        QTRY_COMPARE(lastSmooth(item), inItem(item, QPoint(150, 110)));
        // The corner stays; a second segment starts from it.
        scene.move(QPoint(155, 110));
        scene.move(QPoint(200, 160), Qt::ShiftModifier);
        scene.move(QPoint(220, 200), Qt::ShiftModifier);
        const int secondCount = item->pointCount();
        QCOMPARE(secondCount, firstCount + 1);
        QTRY_COMPARE(lastSmooth(item), inItem(item, QPoint(220, 200)));
        scene.release(QPoint(220, 200), Qt::ShiftModifier);
        const QList<QPointF> raw = item->pointsCopy();
        QCOMPARE(raw.size(), secondCount);
        QCOMPARE(raw.at(raw.size() - 2), inItem(item, QPoint(150, 110)));
        QCOMPARE(raw.last(), inItem(item, QPoint(220, 200)));
        QCOMPARE(item->smoothPointsCopy(), smoothStroke(raw));
    }

    void shiftAtTheStartPadsToFivePoints()
    {
        Scene scene;
        scene.area->setCurrentModule("Pen");
        scene.press(QPoint(50, 50));
        scene.move(QPoint(80, 90), Qt::ShiftModifier);
        PenItem *item = onlyPen(scene);
        QVERIFY(item);
        QCOMPARE(item->pointCount(), 6);
        scene.move(QPoint(120, 90), Qt::ShiftModifier);
        QCOMPARE(item->pointCount(), 6);
        scene.release(QPoint(120, 90), Qt::ShiftModifier);
        // The padding copies have no angle: one straight line remains.
        const QList<QPointF> smooth = item->smoothPointsCopy();
        QCOMPARE(smooth, (QList<QPointF>{inItem(item, QPoint(80, 90)), inItem(item, QPoint(120, 90))}));
        const QImage out = scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true);
        QVERIFY(!isWhite(out.pixelColor(100, 90)));
        QVERIFY(isWhite(out.pixelColor(100, 80)));
    }

    void clickMakesAnInvisiblePointWithAHistoryStep()
    {
        Scene scene;
        scene.area->setCurrentModule("Pen");
        scene.press(QPoint(100, 100));
        scene.release(QPoint(100, 100));
        PenItem *item = onlyPen(scene);
        QVERIFY(item);
        QCOMPARE(item->pointCount(), 1);
        QCOMPARE(item->smoothPointsCopy().size(), 1);
        QCOMPARE(scene.area->undoStack()->count(), 1);
        const QImage out = scene.area->renderImage(QRect(80, 80, 40, 40), 50000, true);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                QVERIFY(isWhite(out.pixelColor(x, y)));
    }

    // Closing the capture mid-stroke deletes the area with the thread
    // running: it is stopped and waited for, nothing aborts.
    void areaDeletedMidStroke_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<bool>("later");
        QTest::newRow("pen") << "Pen" << false;
        QTest::newRow("marker") << "Marker" << false;
        QTest::newRow("pen, deleteLater") << "Pen" << true;
    }

    void areaDeletedMidStroke()
    {
        QFETCH(QString, tool);
        QFETCH(bool, later);
        Scene scene;
        scene.area->setCurrentModule(tool);
        const QList<QPoint> pts = wave(30);
        scene.press(pts.first());
        for (const QPoint &p : pts)
            scene.move(p);
        auto *module = qobject_cast<PenModule *>(scene.area->module());
        QVERIFY(module);
        QVERIFY(module->smoother()->isRunning());
        QPointer<PPainterArea> guard(scene.area);
        if (later) {
            scene.area->deleteLater();
            QTRY_VERIFY(guard.isNull());
        } else {
            delete scene.area;
        }
        QVERIFY(guard.isNull());
        scene.area = nullptr;
        scene.move(QPoint(300, 200));
        scene.release(QPoint(300, 200));
    }

    void itemDeletedMidStroke()
    {
        Scene scene;
        scene.area->setCurrentModule("Pen");
        scene.press(QPoint(50, 50));
        for (int i = 1; i < 20; ++i)
            scene.move(QPoint(50 + i * 5, 50 + i * 3));
        auto *module = qobject_cast<PenModule *>(scene.area->module());
        PenItem *item = onlyPen(scene);
        QVERIFY(module && item);
        delete item;
        QVERIFY(!module->smoother()->isRunning());
        scene.move(QPoint(200, 200));
        scene.release(QPoint(200, 200));
        QCOMPARE(scene.area->undoStack()->count(), 0);
        // The next stroke is smoothed again.
        drawStroke(scene, wave(12));
        PenItem *next = onlyPen(scene);
        QVERIFY(next);
        QCOMPARE(next->smoothPointsCopy(), smoothStroke(next->pointsCopy()));
    }

    // A restart waits for the previous run, whose last pass finishes the
    // previous stroke. The runs are held before every pass until they are
    // asked to stop, so nothing is smoothed unless the restart waits.
    void restartWaitsForThePreviousRun()
    {
        Scene scene;
        auto *module = qobject_cast<PenModule *>(scene.area->findModule("Pen"));
        QVERIFY(module);
        ThreadAliasingPoint *thread = module->smoother();
        QVERIFY(!thread->isRunning());
        thread->setPassHook([thread] {
            while (!thread->stopRequested())
                QThread::yieldCurrentThread();
        });
        auto *a = new PenItem(scene.area);
        auto *b = new PenItem(scene.area);
        thread->startFor(a);
        for (int i = 0; i < 30; ++i)
            a->addPoint(QPointF(40 + i * 4, 60 + (i % 5) * 6));
        QVERIFY(a->smoothPointsCopy().isEmpty());
        thread->startFor(b);
        QCOMPARE(a->smoothPointsCopy(), smoothStroke(a->pointsCopy()));
        QCOMPARE(thread->currentItem(), b);
        for (int i = 0; i < 8; ++i)
            b->addPoint(QPointF(100 + i * 9, 200 - i * 4));
        QVERIFY(b->smoothPointsCopy().isEmpty());
        thread->stopAndWait();
        QVERIFY(!thread->isRunning());
        thread->setPassHook(nullptr);
        QCOMPARE(b->smoothPointsCopy(), smoothStroke(b->pointsCopy()));
        QCOMPARE(a->smoothPointsCopy(), smoothStroke(a->pointsCopy()));
    }

    // The thread's result reaches the screen while the button is still held
    // and the pointer rests: the item repaints after the thread stores.
    void storedPointsArePaintedWithoutFurtherEvents()
    {
        // Outlives the scene, whose end stops the held thread.
        std::atomic<bool> go{false};
        Scene scene;
        QVERIFY(scene.exposed);
        scene.area->setCurrentModule("Pen");
        auto *module = qobject_cast<PenModule *>(scene.area->module());
        QVERIFY(module);
        ThreadAliasingPoint *thread = module->smoother();
        thread->setPassHook([thread, &go] {
            while (!go.load() && !thread->stopRequested())
                QThread::yieldCurrentThread();
        });
        const auto strokeShown = [&scene] {
            const QImage shot = scene.grab();
            for (int y = 145; y <= 155; ++y)
                if (!isWhite(shot.pixelColor(200, y)))
                    return true;
            return false;
        };
        scene.press(QPoint(50, 150));
        for (int x = 60; x <= 90; x += 10)
            scene.move(QPoint(x, 150));
        scene.move(QPoint(250, 150));
        PenItem *item = onlyPen(scene);
        QVERIFY(item);
        QVERIFY(item->smoothPointsCopy().isEmpty());
        QVERIFY(!strokeShown());
        go.store(true);
        QTRY_VERIFY(!item->smoothPointsCopy().isEmpty());
        QTRY_VERIFY(strokeShown());
        scene.release(QPoint(250, 150));
        QVERIFY(!thread->isRunning());
        thread->setPassHook(nullptr);
    }

    // Dragging the right handle across the left side mirrors the stroke
    // while dragging and after release; undo and redo switch between the
    // two orientations.
    void mirroringResizeWithUndo_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::newRow("pen") << "Pen";
        QTest::newRow("marker") << "Marker";
    }

    void mirroringResizeWithUndo()
    {
        QFETCH(QString, tool);
        Scene scene(QSize(500, 300));
        const QColor colour = scene.area->currentColor();
        scene.area->setCurrentModule(tool);
        // A stroke whose vertical part lies on the right: along the top,
        // then down.
        QList<QPoint> shape;
        for (int x = 200; x <= 300; x += 10)
            shape.append(QPoint(x, 100));
        for (int y = 110; y <= 200; y += 10)
            shape.append(QPoint(300, y));
        drawStroke(scene, shape);
        PenItem *item = onlyPen(scene);
        QVERIFY(item);
        const QRectF drawn = item->penRect();
        const auto side = [&] {
            return strokeSide(scene.area->renderImage(QRect(0, 0, 500, 300), 50000, true), 170, item, colour);
        };
        QCOMPARE(side(), 1);

        scene.area->setCurrentModule("Move");
        scene.press(QPoint(250, 100));
        scene.release(QPoint(250, 100));
        QVERIFY(item->isChecked());
        QUndoStack *stack = scene.area->undoStack();
        const int before = stack->count();
        const QPoint start = hoverHandle(scene, item, item->keyPositions().at(3));
        QVERIFY(item->resizesRight() && item->isSideKey());
        const int across = int(item->width() * 2);
        scene.press(start);
        for (int i = 1; i <= 4; ++i)
            scene.move(start - QPoint(across * i / 4, 0));
        QVERIFY(item->penRect().width() < 0);
        QCOMPARE(side(), -1);
        scene.release(start - QPoint(across, 0));
        QCOMPARE(side(), -1);
        QCOMPARE(stack->count(), before + 1);
        QCOMPARE(stack->text(before), QStringLiteral("Pen change"));
        const QRectF mirrored = item->penRect();
        QVERIFY(mirrored.width() > 0);

        scene.area->checkUndo();
        QCOMPARE(item->penRect(), drawn);
        QCOMPARE(side(), 1);
        scene.area->checkRedo();
        QCOMPARE(item->penRect(), mirrored);
        QCOMPARE(side(), -1);
        scene.area->checkUndo();
        QCOMPARE(side(), 1);
    }

    void handlesFollowTheGeometry()
    {
        Scene scene;
        scene.area->setCurrentModule("Pen");
        drawStroke(scene, wave(20));
        PenItem *item = onlyPen(scene);
        QVERIFY(item);
        const int W = int(item->width()), H = int(item->height());
        const QList<QPointF> keys = item->keyPositions();
        QCOMPARE(keys.size(), 9);
        QCOMPARE(keys.at(0), QPointF(5, 5));
        QCOMPARE(keys.at(4), QPointF(int(W - 5.0), int(H - 5.0)));
        QCOMPARE(keys.at(8), QPointF(int(W * 0.5), int(H * 0.5)));
        // Every raw point lies inside the item.
        for (const QPointF &p : item->pointsCopy())
            QVERIFY(QRectF(0, 0, W + 1, H + 1).contains(p));
    }
};

QTEST_MAIN(TestPenItem)
#include "tst_penitem.moc"
