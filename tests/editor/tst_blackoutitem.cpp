// Blackout tool and layer: the veil around the clear rectangles, its alpha,
// undo, and the pixels of the final image.

#include <QtTest>

#include <QSet>
#include <QSignalSpy>
#include <QUndoStack>

#include "editor/blackoutarea.h"
#include "editor/graphmodule.h"
#include "editor/items/blackoutitem.h"
#include "editor/ppainterarea.h"
#include "support/editorfixture.h"

using pryx::test::Scene;

namespace {
QList<BlackoutItem *> blackouts(Scene &scene)
{
    QList<BlackoutItem *> out;
    for (AbstractGraphItem *item : scene.items())
        if (auto *b = qobject_cast<BlackoutItem *>(item))
            out.append(b);
    return out;
}

QImage render(Scene &scene) { return scene.area->renderImage(QRect(0, 0, 400, 300), 50000, true); }

QSet<QRgb> colours(const QImage &img)
{
    QSet<QRgb> out;
    const QImage x = img.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < x.height(); ++y)
        for (int c = 0; c < x.width(); ++c)
            out.insert(x.pixel(c, y));
    return out;
}

// The veil over white with `alpha`.
QRgb veil(int alpha)
{
    const int v = 255 - (255 * alpha + 127) / 255;
    return qRgb(v, v, v);
}
} // namespace

class TestBlackoutItem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<BlackoutItem *>(); }

    void alphaFromWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("alpha");
        QTest::newRow("2") << 2 << 30;
        QTest::newRow("3") << 3 << 37;
        QTest::newRow("4") << 4 << 45;
        QTest::newRow("15") << 15 << 127;
        QTest::newRow("huge stays valid") << 100 << 255;
        QTest::newRow("negative stays valid") << -10 << 0;
    }

    void alphaFromWidth()
    {
        QFETCH(int, width);
        QFETCH(int, alpha);
        QCOMPARE(BlackoutArea::alphaForWidth(width), alpha);
        Scene scene;
        scene.area->blackoutArea()->setLineWidth(width);
        QCOMPARE(scene.area->blackoutArea()->darkening(), QColor(0, 0, 0, alpha));
    }

    void subtractCoversTheOutsideOnce()
    {
        const QRect whole(0, 0, 50, 40);
        const QRect hole(10, 5, 20, 10);
        const QList<QRect> pieces = BlackoutArea::subtract({whole}, hole);
        QCOMPARE(pieces.size(), 4);
        QVector<int> cover(whole.width() * whole.height(), 0);
        for (const QRect &r : pieces)
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    ++cover[y * whole.width() + x];
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x)
                QCOMPARE(cover.at(y * whole.width() + x), hole.contains(x, y) ? 0 : 1);
        // A rectangle apart from the hole stays first, as it is.
        const QList<QRect> two = BlackoutArea::subtract({QRect(0, 0, 5, 5), QRect(100, 100, 5, 5)}, QRect(2, 2, 1, 1));
        QCOMPARE(two.first(), QRect(100, 100, 5, 5));
    }

    void veilAtTheConstructionWidth()
    {
        Scene scene;   // "widthBlackoutLine" is 4
        QCOMPARE(scene.area->blackoutArea()->darkening().alpha(), 45);
        QCOMPARE(scene.area->blackoutArea()->z(), 100.0);
    }

    // Nothing is darkened until a blackout item exists; then exactly two
    // colours: the veil and the bright hole.
    void twoColoursAroundOneHole()
    {
        Scene scene;
        const QImage plain = render(scene);
        QCOMPARE(colours(plain), QSet<QRgb>{qRgb(255, 255, 255)});
        scene.area->setCurrentModule("Blackout");
        scene.drag(QPoint(100, 100), QPoint(199, 149));
        QCOMPARE(blackouts(scene).size(), 1);
        BlackoutItem *item = blackouts(scene).first();
        QCOMPARE(item->rect(), QRectF(100, 100, 100, 50));
        QCOMPARE(item->z(), 100.0);
        const QImage out = render(scene);
        QCOMPARE(colours(out), (QSet<QRgb>{qRgb(255, 255, 255), veil(45)}));
        QCOMPARE(out.pixel(100, 100), qRgb(255, 255, 255));
        QCOMPARE(out.pixel(199, 149), qRgb(255, 255, 255));
        QCOMPARE(out.pixel(99, 120), veil(45));
        QCOMPARE(out.pixel(200, 120), veil(45));
        QCOMPARE(out.pixel(150, 99), veil(45));
        QCOMPARE(out.pixel(150, 150), veil(45));
        QCOMPARE(out.pixel(0, 0), veil(45));
        QCOMPARE(out.pixel(399, 299), veil(45));
        QCOMPARE(scene.area->undoStack()->count(), 1);
    }

    void severalHolesAndUndo()
    {
        Scene scene;
        scene.area->setCurrentModule("Blackout");
        scene.drag(QPoint(20, 20), QPoint(79, 79));
        scene.drag(QPoint(60, 60), QPoint(119, 119));   // overlaps the first
        scene.drag(QPoint(300, 200), QPoint(349, 249));
        QCOMPARE(blackouts(scene).size(), 3);
        QImage out = render(scene);
        const QRgb white = qRgb(255, 255, 255);
        QCOMPARE(colours(out), (QSet<QRgb>{white, veil(45)}));
        for (const QPoint &p : {QPoint(20, 20), QPoint(70, 70), QPoint(119, 119), QPoint(320, 220)})
            QCOMPARE(out.pixel(p), white);
        QCOMPARE(out.pixel(100, 30), veil(45));   // outside the union
        QCOMPARE(out.pixel(30, 100), veil(45));

        scene.area->checkUndo();   // the third hole closes
        out = render(scene);
        QCOMPARE(out.pixel(320, 220), veil(45));
        QCOMPARE(out.pixel(70, 70), white);
        scene.area->checkUndo();
        scene.area->checkUndo();   // no visible item: no veil at all
        QCOMPARE(colours(render(scene)), QSet<QRgb>{white});
        scene.area->checkRedo();
        out = render(scene);
        QCOMPARE(out.pixel(30, 30), white);
        QCOMPARE(out.pixel(100, 100), veil(45));
    }

    void clickDarkensNothing()
    {
        Scene scene;
        scene.area->setCurrentModule("Blackout");
        QSignalSpy announced(scene.area->findModule("Blackout"), SIGNAL(createNewBlackoutItem(BlackoutItem *)));
        scene.press(QPoint(150, 150));
        scene.release(QPoint(150, 150));
        QCOMPARE(announced.count(), 0);
        QCOMPARE(scene.area->undoStack()->count(), 0);
        QCOMPARE(colours(render(scene)), QSet<QRgb>{qRgb(255, 255, 255)});
        // Also after a drag that comes back to the press point.
        scene.press(QPoint(150, 150));
        scene.move(QPoint(180, 180));
        scene.move(QPoint(150, 150));
        scene.release(QPoint(150, 150));
        QCOMPARE(colours(render(scene)), QSet<QRgb>{qRgb(255, 255, 255)});
        QCOMPARE(scene.area->undoStack()->count(), 0);
    }

    // The veil lies over the selection only; a hole keeps its inside part.
    void veilFollowsTheSelection()
    {
        Scene scene;
        scene.area->setSelectRect(QRectF(50, 50, 200, 150));
        BlackoutArea *layer = scene.area->blackoutArea();
        QCOMPARE(QRectF(layer->x(), layer->y(), layer->width(), layer->height()), QRectF(50, 50, 200, 150));
        scene.area->setCurrentModule("Blackout");
        scene.drag(QPoint(20, 20), QPoint(99, 99));
        const QImage out = render(scene);
        const QRgb white = qRgb(255, 255, 255);
        QCOMPARE(out.pixel(30, 30), white);     // outside the selection
        QCOMPARE(out.pixel(300, 250), white);
        QCOMPARE(out.pixel(60, 60), white);     // the hole
        QCOMPARE(out.pixel(150, 150), veil(45));
        QCOMPARE(out.pixel(249, 199), veil(45));
        QCOMPARE(out.pixel(250, 200), white);
    }

    // The layer keeps only a one-pixel texture while it has no hole: the
    // window must still show the veil as soon as one appears, and lose it
    // again with undo.
    void screenShowsTheVeilLikeTheImage()
    {
        Scene scene;
        BlackoutArea *layer = scene.area->blackoutArea();
        QCOMPARE(layer->textureSize(), QSize(1, 1));
        const QList<QPoint> probes{QPoint(20, 20), QPoint(150, 120), QPoint(390, 290), QPoint(300, 40)};
        auto sameOnScreen = [&] {
            const QImage shown = scene.grab().convertToFormat(QImage::Format_RGB32);
            const QImage out = render(scene);
            for (const QPoint &p : probes)
                if (shown.pixel(p) != out.pixel(p))
                    return false;
            return true;
        };
        scene.area->setCurrentModule("Blackout");
        scene.drag(QPoint(100, 100), QPoint(199, 149));
        QCOMPARE(render(scene).pixel(20, 20), veil(45));
        QVERIFY(sameOnScreen());
        scene.area->checkUndo();
        QCOMPARE(render(scene).pixel(20, 20), qRgb(255, 255, 255));
        QVERIFY(sameOnScreen());
        QCOMPARE(layer->textureSize(), QSize(1, 1));
        scene.area->checkRedo();
        QCOMPARE(render(scene).pixel(20, 20), veil(45));
        QVERIFY(sameOnScreen());
    }

    void widthChangeOfAnItemSetsTheAlpha()
    {
        Scene scene;
        scene.area->setCurrentModule("Blackout");
        scene.drag(QPoint(100, 100), QPoint(199, 149));
        BlackoutItem *item = blackouts(scene).first();
        QCOMPARE(scene.area->currentItem(), item);
        QCOMPARE(item->lineWidth(), 4);
        scene.area->setCurrentLineWidth(2);
        QCOMPARE(scene.area->blackoutArea()->darkening().alpha(), 30);
        QCOMPARE(render(scene).pixel(0, 0), veil(30));
    }

    void movingAnItemMovesTheHole()
    {
        Scene scene;
        scene.area->setCurrentModule("Blackout");
        scene.drag(QPoint(100, 100), QPoint(199, 149));
        BlackoutItem *item = blackouts(scene).first();
        QSignalSpy changed(item, SIGNAL(updateBlackoutArea()));
        scene.area->setCurrentModule("Move");
        scene.drag(QPoint(150, 120), QPoint(170, 130));
        QVERIFY(changed.count() > 0);
        QCOMPARE(item->rect(), QRectF(120, 110, 100, 50));
        QVERIFY(!item->raiseOnCheck());
        QCOMPARE(item->z(), 100.0);
        QImage out = render(scene);
        QCOMPARE(out.pixel(215, 155), qRgb(255, 255, 255));
        QCOMPARE(out.pixel(110, 140), veil(45));
        scene.area->checkUndo();
        QCOMPARE(item->rect(), QRectF(100, 100, 100, 50));
        out = render(scene);
        QCOMPARE(out.pixel(110, 140), qRgb(255, 255, 255));
        QCOMPARE(out.pixel(215, 155), veil(45));
    }
};

QTEST_MAIN(TestBlackoutItem)
#include "tst_blackoutitem.moc"
