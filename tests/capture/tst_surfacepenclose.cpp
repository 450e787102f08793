// Closing the capture surface by keyboard while a pen stroke is drawn: the
// surface and its annotation area go with the smoothing thread running,
// and nothing aborts.
#include "capture/surfacewidget.h"
#include "core/base/setting.h"
#include "editor/items/penitem.h"
#include "editor/ppainterarea.h"
#include "editor/smoothing.h"
#include "editor/tools/penmodule.h"
#include "support/capturefixtures.h"

#include <QtTest>

class TstSurfacePenClose : public QObject
{
    Q_OBJECT

private slots:
    void escapeMidStroke_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<bool>("ask");
        QTest::newRow("pen, closes at once") << "Pen" << false;
        QTest::newRow("pen, confirmed with Enter") << "Pen" << true;
        QTest::newRow("marker, closes at once") << "Marker" << false;
    }

    void escapeMidStroke()
    {
        QFETCH(QString, tool);
        QFETCH(bool, ask);
        Setting::instance()->setValue("showCloseSurfaceWindow", ask ? "1" : "0");
        FakeCore core;
        QPointer<SurfaceWidget> surface = new SurfaceWidget(nullptr, &core);
        core.attach(surface);
        surface->show();
        QVERIFY(QTest::qWaitForWindowExposed(surface));
        QPointer<PPainterArea> area = qobject_cast<PPainterArea *>(surface->paintArea());
        QVERIFY(area);

        QTest::mouseMove(surface, QPoint(100, 100));
        QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QTest::mouseMove(surface, QPoint(400, 300));
        QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, QPoint(400, 300));
        QCOMPARE(surface->selectRect(), QRect(100, 100, 300, 200));

        // The page opens with the last tool; choosing it again would drop it.
        if (!area->isCurrentModule(tool))
            area->setCurrentModule(tool);
        auto *module = qobject_cast<PenModule *>(area->module());
        QVERIFY(module);
        QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
        for (int i = 1; i <= 30; ++i)
            QTest::mouseMove(surface, QPoint(150 + i * 6, 150 + (i % 7) * 9));
        QVERIFY(module->smoother()->isRunning());
        PenItem *item = nullptr;
        for (QQuickItem *child : area->childItems())
            if (auto *pen = qobject_cast<PenItem *>(child))
                item = pen;
        QVERIFY(item);
        QVERIFY(item->pointCount() > 20);

        QTest::keyPress(surface, Qt::Key_Escape);
        if (ask) {
            QVERIFY(surface);
            QVERIFY(surface->visibleCloseWindow());
            QTest::keyRelease(surface, Qt::Key_Escape);
            QTest::keyPress(surface, Qt::Key_Return);
        }
        QVERIFY(core.calls.contains("closed"));
        QTRY_VERIFY(surface.isNull());
        QVERIFY(area.isNull());
    }
};

QTEST_MAIN(TstSurfacePenClose)
#include "tst_surfacepenclose.moc"
