// The capture surface over three monitors of different sizes on a private
// Xorg server whose desktop does not start at (0, 0).
#include "capture/surfaceselector.h"
#include "capture/surfacewidget.h"
#include "core/base/setting.h"
#include "platform/desktopgrab.h"
#include "support/capturefixtures.h"
#include "support/xorgdummy.h"

#include <QGuiApplication>
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#endif
#include <QScreen>
#include <QtTest>

namespace {

// Primary first; the bounding box starts at (200, 40).
const QVector<QRect> kMonitors = {QRect(200, 60, 1280, 720), QRect(1480, 40, 1024, 768),
                                  QRect(400, 780, 800, 600)};
const QColor kColours[] = {QColor(0x20, 0x40, 0x60), QColor(0xc0, 0x30, 0x10), QColor(0x10, 0xd0, 0x50)};
pryx::test::XorgDummy *g_server = nullptr;
QString g_skip;

} // namespace

class TstMultiScreen : public QObject
{
    Q_OBJECT

    FakeCore *core = nullptr;
    QPointer<SurfaceWidget> surface;
    QList<PatternWindow *> patterns;
    QRect desktop;

    void drawSelection(QPoint a, QPoint b)
    {
        QTest::mouseMove(surface, a);
        QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, a);
        QTest::mouseMove(surface, (a + b) / 2);
        QTest::mouseMove(surface, b);
        QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, b);
    }

private slots:
    void initTestCase()
    {
        if (!g_skip.isEmpty())
            QSKIP(qPrintable(g_skip));
        desktop = QRect(200, 40, 2304, 1340);
        // Each monitor shows its own colour, with a white mark 10 px from
        // its top-left corner.
        for (int i = 0; i < kMonitors.size(); ++i) {
            QImage img(kMonitors[i].size(), QImage::Format_RGB32);
            img.fill(kColours[i]);
            img.setPixelColor(10, 10, Qt::white);
            auto *w = new PatternWindow(img);
            w->setGeometry(kMonitors[i]);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            patterns << w;
        }
        QTest::qWait(300);
        Setting::instance()->setValue("showCloseSurfaceWindow", "1");
    }
    void cleanupTestCase() { qDeleteAll(patterns); }
    void init() { core = new FakeCore; }
    void cleanup()
    {
        delete surface.data();
        delete core;
        QTest::qWait(50);
    }

    void screensAsLaidOut()
    {
        QVector<QRect> got = pryx::platform::screenGeometries();
        QCOMPARE(got.size(), 3);
        for (const QRect &m : kMonitors)
            QVERIFY2(got.contains(m), qPrintable(QStringLiteral("%1,%2").arg(m.x()).arg(m.y())));
        QCOMPARE(pryx::platform::virtualDesktop(), desktop);
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), kMonitors[0]);
    }

    // The surface covers the union and its picture is the desktop as it was,
    // each monitor at its own place on the page.
    void coversUnionWithFrozenDesktop()
    {
        const QImage before = pryx::platform::grabDesktop(desktop);
        surface = new SurfaceWidget(nullptr, core);
        core->attach(surface);
        surface->show();
        QVERIFY(QTest::qWaitForWindowExposed(surface));
        QCOMPARE(surface->geometry(), desktop);
        QCOMPARE(surface->desktopRect(), desktop);
        const QImage bg = surface->background().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(bg.size(), desktop.size());
        QVERIFY(bg == before);
        for (int i = 0; i < kMonitors.size(); ++i) {
            const QPoint page = kMonitors[i].topLeft() - desktop.topLeft();
            QCOMPARE(bg.pixelColor(page + QPoint(10, 10)), QColor(Qt::white));
            QCOMPARE(bg.pixelColor(page + QPoint(20, 20)), kColours[i]);
        }
        // Outside every monitor (left of the third one) reads black.
        QCOMPARE(bg.pixelColor(QPoint(50, 1300)), QColor(Qt::black));
    }

    // A selection drawn on the page maps back to the monitor it was drawn on;
    // the toolbar stays on that monitor; the result is that monitor's pixels.
    void selectionMapsToScreen_data()
    {
        QTest::addColumn<int>("monitor");
        QTest::newRow("primary") << 0;
        QTest::newRow("right, higher") << 1;
        QTest::newRow("below") << 2;
    }
    void selectionMapsToScreen()
    {
        QFETCH(int, monitor);
        surface = new SurfaceWidget(nullptr, core);
        core->attach(surface);
        surface->show();
        QVERIFY(QTest::qWaitForWindowExposed(surface));
        const QRect m = kMonitors[monitor].translated(-desktop.topLeft());
        drawSelection(m.topLeft() + QPoint(5, 5), m.topLeft() + QPoint(205, 105));
        const QRect sel = surface->selectRect();
        QCOMPARE(sel, QRect(m.topLeft() + QPoint(5, 5), QSize(200, 100)));
        QCOMPARE(sel.translated(desktop.topLeft()).topLeft(), kMonitors[monitor].topLeft() + QPoint(5, 5));
        QCOMPARE(surface->toolbarScreen(sel.x(), sel.y(), sel.width(), sel.height()), m);
        const QPoint bar = surface->toolbarPosition(sel.left(), sel.top(), sel.left() + sel.width(),
                                                    sel.top() + sel.height(), 420, 105);
        QVERIFY(m.contains(QRect(bar, QSize(420, 105))));
        const QImage result = surface->grabResult().toImage();
        QCOMPARE(result.size(), QSize(200, 100));
        QCOMPARE(result.pixelColor(5, 5), QColor(Qt::white));
        QCOMPARE(result.pixelColor(50, 50), kColours[monitor]);
    }

    void confirmationOnPrimaryCentre()
    {
        surface = new SurfaceWidget(nullptr, core);
        core->attach(surface);
        surface->show();
        QVERIFY(QTest::qWaitForWindowExposed(surface));
        drawSelection(QPoint(1400, 100), QPoint(1600, 300));
        QTest::keyClick(surface, Qt::Key_Escape);
        QVERIFY(surface->visibleCloseWindow());
        QQuickItem *dialog = surface->rootObject()->findChild<QQuickItem *>("closeWindow");
        QVERIFY(dialog && dialog->isVisible());
        const QRect prim = kMonitors[0].translated(-desktop.topLeft());
        QCOMPARE(QPointF(dialog->x(), dialog->y()),
                 QPointF(prim.center().x() + 1 - 220, prim.center().y() + 1 - 125));
    }
};

int main(int argc, char **argv)
{
    pryx::test::XorgDummy server;
    if (!server.start(kMonitors)) {
        g_skip = QStringLiteral("no several-monitor X server here: ") + server.error();
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        qunsetenv("QT_QPA_PLATFORM");
        g_server = &server;
    }
    int rc = 0;
    {
#ifdef QT_WIDGETS_LIB
        QApplication app(argc, argv);
#else
        QGuiApplication app(argc, argv);
#endif
        TstMultiScreen tc;
        rc = QTest::qExec(&tc, argc, argv);
    }
    server.stop();
    return rc;
}

#include "tst_multiscreen.moc"
