// Blur tool: the blur routine, the blurred rectangle in the final image and
// on screen, its place among the other items, undo.

#include <QtTest>

#include <QUndoStack>

#include "editor/items/bluritem.h"
#include "editor/items/rectitem.h"
#include "editor/ppainterarea.h"
#include "support/editorfixture.h"

using pryx::test::Scene;
using pryx::editor::blurImage;
using pryx::editor::blurStep;

namespace {
// Black and white stripes, 3 px wide: every pixel is pure black or white.
QImage stripes(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            img.setPixel(x, y, ((x / 3 + y / 3) % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    return img;
}

bool isPure(QRgb c)
{
    return (qRed(c) == 0 || qRed(c) == 255) && qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
}

QList<BlurItem *> blurs(Scene &scene)
{
    QList<BlurItem *> out;
    for (AbstractGraphItem *item : scene.items())
        if (auto *b = qobject_cast<BlurItem *>(item))
            out.append(b);
    return out;
}

// Scene with the striped background.
void useStripes(Scene &scene) { scene.area->setBackground(stripes(QSize(400, 300))); }

QImage render(Scene &scene) { return scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true); }
} // namespace

class TestBlurItem : public QObject
{
    Q_OBJECT

private slots:
    void step_data()
    {
        QTest::addColumn<int>("radius");
        QTest::addColumn<int>("step");
        QTest::newRow("negative") << -4 << 16;
        QTest::newRow("0") << 0 << 16;
        QTest::newRow("1") << 1 << 14;
        QTest::newRow("4") << 4 << 6;
        QTest::newRow("15") << 15 << 2;
        QTest::newRow("17") << 17 << 2;
        QTest::newRow("18") << 18 << 1;
        QTest::newRow("100") << 100 << 1;
    }

    void step()
    {
        QFETCH(int, radius);
        QFETCH(int, step);
        QCOMPARE(blurStep(radius), step);
    }

    void routine()
    {
        const QImage img = stripes(QSize(40, 30));
        const QImage same = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(blurImage(img, img.rect(), 0), same);
        QCOMPARE(blurImage(img, img.rect(), -3), same);
        // A plain image stays plain.
        QImage grey(20, 20, QImage::Format_ARGB32_Premultiplied);
        grey.fill(qRgb(120, 60, 30));
        QCOMPARE(blurImage(grey, grey.rect(), 15), grey);
        // Stripes turn grey; a stronger radius is smoother.
        const QImage light = blurImage(img, img.rect(), 1);
        const QImage strong = blurImage(img, img.rect(), 15);
        QVERIFY(!isPure(strong.pixel(20, 15)));
        int spreadLight = 0, spreadStrong = 0;
        for (int x = 10; x < 30; ++x) {
            spreadLight = qMax(spreadLight, qAbs(qRed(light.pixel(x, 15)) - 128));
            spreadStrong = qMax(spreadStrong, qAbs(qRed(strong.pixel(x, 15)) - 128));
        }
        QVERIFY2(spreadStrong < spreadLight, qPrintable(QStringLiteral("%1 %2").arg(spreadStrong).arg(spreadLight)));
        // Only the given rectangle changes.
        const QImage part = blurImage(img, QRect(10, 10, 10, 10), 15);
        QCOMPARE(part.pixel(5, 5), same.pixel(5, 5));
        QCOMPARE(part.pixel(25, 25), same.pixel(25, 25));
        QVERIFY(!isPure(part.pixel(15, 15)));
        // Alpha only: the colour channels are untouched.
        QImage alpha(20, 1, QImage::Format_ARGB32_Premultiplied);
        for (int x = 0; x < 20; ++x)
            alpha.setPixel(x, 0, x < 10 ? qRgba(0, 0, 0, 0) : qRgba(0, 0, 0, 255));
        const QImage a = blurImage(alpha, alpha.rect(), 15, true);
        QVERIFY(qAlpha(a.pixel(12, 0)) > 0 && qAlpha(a.pixel(12, 0)) < 255);
        QCOMPARE(qRed(a.pixel(12, 0)), 0);
    }

    // Inside the rectangle: the blur of what lies beneath, pixel for pixel;
    // outside: sharp.
    void blurredInsideSharpOutside()
    {
        Scene scene;
        useStripes(scene);
        scene.area->setCurrentModule("Blur");
        scene.drag(QPoint(100, 100), QPoint(199, 179));
        QCOMPARE(blurs(scene).size(), 1);
        BlurItem *item = blurs(scene).first();
        QCOMPARE(item->rect(), QRectF(100, 100, 100, 80));
        QCOMPARE(QRectF(item->x(), item->y(), item->width(), item->height()), QRectF(95, 95, 110, 90));
        QCOMPARE(item->itemRect(), QRectF(95, 95, 110, 90));
        QCOMPARE(item->radius(), 15);
        QCOMPARE(item->z(), scene.area->z() + 1);
        QCOMPARE(scene.area->undoStack()->count(), 1);

        const QImage out = render(scene);
        const QRect r(100, 100, 100, 80);
        const QImage expected = blurImage(stripes(QSize(400, 300)).copy(r), QRect(0, 0, 100, 80), 15);
        QCOMPARE(pryx::test::maxChannelDiff(out.copy(r), expected), 0);
        QVERIFY(!isPure(out.pixel(100, 140)) || !isPure(out.pixel(101, 140)));
        for (int y = 90; y < 190; ++y) {
            QVERIFY(isPure(out.pixel(99, y)));
            QVERIFY(isPure(out.pixel(200, y)));
        }
        for (int x = 90; x < 210; ++x) {
            QVERIFY(isPure(out.pixel(x, 99)));
            QVERIFY(isPure(out.pixel(x, 180)));
        }
        // The screen shows the same blurred pixels.
        const QImage view = scene.grab();
        QCOMPARE(view.size(), QSize(400, 300));
        const int diff = pryx::test::maxChannelDiff(view.copy(r), out.copy(r));
        QVERIFY2(diff >= 0 && diff <= 6, qPrintable(QString::number(diff)));
    }

    // A blur beneath an item leaves it sharp; above it, it hides it.
    void itemIsBlurredOnlyWhenBelow_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QPoint>("probe");   // a pixel of the item's edge
        QTest::addColumn<int>("span");       // rows probed above and below it
        QTest::newRow("arrow") << "Arrow" << QPoint(110, 140) << QPoint(190, 140) << QPoint(150, 140) << 5;
        QTest::newRow("filled rectangle") << "Rect" << QPoint(120, 120) << QPoint(180, 160) << QPoint(121, 140) << 0;
    }

    void itemIsBlurredOnlyWhenBelow()
    {
        QFETCH(QString, tool);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QPoint, probe);
        QFETCH(int, span);
        Scene scene;
        const QColor colour = scene.area->currentColor();
        scene.area->setCurrentModule(tool);
        scene.drag(from, to, tool == QLatin1String("Rect") ? Qt::ControlModifier : Qt::NoModifier);
        QCOMPARE(scene.items().size(), 1);
        AbstractGraphItem *shape = scene.items().first();
        QCOMPARE(shape->name(), tool);
        const auto sharpPixels = [&](const QImage &img) {
            int n = 0;
            for (int y = probe.y() - span; y <= probe.y() + span; ++y) {
                const QColor c = img.pixelColor(probe.x(), y);
                if (qAbs(c.red() - colour.red()) < 30 && qAbs(c.green() - colour.green()) < 30
                    && qAbs(c.blue() - colour.blue()) < 30)
                    ++n;
            }
            return n;
        };
        QVERIFY(sharpPixels(render(scene)) > 0);
        scene.area->setCurrentModule("Blur");
        scene.drag(QPoint(100, 100), QPoint(199, 179));
        BlurItem *blur = blurs(scene).first();
        QVERIFY(blur->z() < shape->z());
        scene.area->clearSelection();
        QImage out = render(scene);
        QVERIFY(sharpPixels(out) > 0);
        QCOMPARE(out.pixel(150, 110), qRgb(255, 255, 255));

        blur->setZ(shape->z() + 1);
        out = render(scene);
        QCOMPARE(sharpPixels(out), 0);
        // Outside the blur nothing changes.
        QCOMPARE(out.pixel(99, 140), qRgb(255, 255, 255));
    }

    void twoOverlappingBlursDoNotBlurEachOther()
    {
        Scene scene;
        useStripes(scene);
        scene.area->setCurrentModule("Blur");
        scene.drag(QPoint(100, 100), QPoint(199, 179));
        scene.drag(QPoint(150, 150), QPoint(249, 229));
        QCOMPARE(blurs(scene).size(), 2);
        const QImage out = render(scene);
        const QRect second(150, 150, 100, 80);
        const QImage expected = blurImage(stripes(QSize(400, 300)).copy(second), QRect(0, 0, 100, 80), 15);
        QCOMPARE(pryx::test::maxChannelDiff(out.copy(second), expected), 0);
    }

    void clickLeavesNothing()
    {
        Scene scene;
        useStripes(scene);
        scene.area->setCurrentModule("Blur");
        scene.press(QPoint(100, 100));
        scene.release(QPoint(100, 100));
        QCOMPARE(scene.area->undoStack()->count(), 0);
        QTRY_COMPARE(blurs(scene).size(), 0);
        QCOMPARE(render(scene), stripes(QSize(400, 300)));
    }

    void undoAndWidth()
    {
        Scene scene;
        useStripes(scene);
        scene.area->setCurrentModule("Blur");
        scene.drag(QPoint(100, 100), QPoint(199, 179));
        BlurItem *item = blurs(scene).first();
        QCOMPARE(scene.area->currentItem(), item);
        const QRect r(100, 100, 100, 80);
        scene.area->setCurrentLineWidth(3);
        QCOMPARE(item->radius(), 3);
        const QImage expected = blurImage(stripes(QSize(400, 300)).copy(r), QRect(0, 0, 100, 80), 3);
        QCOMPARE(pryx::test::maxChannelDiff(render(scene).copy(r), expected), 0);
        scene.area->checkUndo();
        QVERIFY(!item->isVisible());
        QCOMPARE(render(scene), stripes(QSize(400, 300)));
        scene.area->checkRedo();
        QVERIFY(item->isVisible());
        QVERIFY(!isPure(render(scene).pixel(150, 140)));
    }

    void moveKeepsTheBlurOnThePixelsBeneath()
    {
        Scene scene;
        useStripes(scene);
        scene.area->setCurrentModule("Blur");
        scene.drag(QPoint(100, 100), QPoint(199, 179));
        BlurItem *item = blurs(scene).first();
        scene.area->setCurrentModule("Move");
        scene.drag(QPoint(150, 140), QPoint(161, 147));
        QCOMPARE(item->rect(), QRectF(111, 107, 100, 80));
        const QRect r(111, 107, 100, 80);
        const QImage expected = blurImage(stripes(QSize(400, 300)).copy(r), QRect(0, 0, 100, 80), 15);
        scene.area->clearSelection();
        QCOMPARE(pryx::test::maxChannelDiff(render(scene).copy(r), expected), 0);
        QVERIFY(isPure(render(scene).pixel(105, 140)));
    }
};

QTEST_MAIN(TestBlurItem)
#include "tst_bluritem.moc"
