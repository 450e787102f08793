#include "capture/ponoram.h"
#include "capture/surfaceponoramscreen.h"
#include "support/scrollwindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QQuickItem>
#include <QScreen>
#include <QSignalSpy>
#include <QX11Info>
#include <QtTest>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

const QRect kWindow(300, 150, 240, 300);
const int kContent = 900;

// Buttons held on the X server.
uint16_t buttonMask()
{
    auto *c = static_cast<xcb_connection_t *>(QX11Info::connection());
    xcb_query_pointer_reply_t *r =
        xcb_query_pointer_reply(c, xcb_query_pointer(c, xcb_window_t(QX11Info::appRootWindow())), nullptr);
    if (!r)
        return 0xffff;
    const uint16_t mask = r->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3);
    std::free(r);
    return mask;
}

// A window whose content jumps further than it shows at each wheel notch.
class ChangingInput : public PonoramInput
{
public:
    int grabs = 0;
    int notches = 0;
    bool held = false;
    QImage grab(const QRect &r) override
    {
        ++grabs;
        return pryx::test::scrollContent(r.width(), 2000).copy(0, notches * 700, r.width(), r.height());
    }
    void pressLeft(const QPoint &) override { held = true; }
    void releaseLeft() override { held = false; }
    void wheelDown() override { ++notches; }
};

} // namespace

class TstSurfacePonoramScreen : public QObject
{
    Q_OBJECT

    pryx::test::ScrollWindowProcess win;

    SurfacePonoramScreen *openOnWindow()
    {
        auto *view = new SurfacePonoramScreen;
        view->show();
        if (!QTest::qWaitForWindowExposed(view))
            return view;
        view->findScrollRect(kWindow.center().x(), kWindow.center().y());
        return view;
    }

private slots:
    void initTestCase()
    {
        if (!QX11Info::isPlatformX11())
            QSKIP("needs an X display");
    }

    void init() { QVERIFY(win.start(kWindow, kContent, 40)); }
    void cleanup() { win.stop(); }

    void stitchOffset_data()
    {
        QTest::addColumn<int>("aFrom");
        QTest::addColumn<int>("aRows");
        QTest::addColumn<int>("bFrom");
        QTest::addColumn<int>("bRows");
        QTest::addColumn<int>("offset");
        QTest::newRow("overlap") << 0 << 300 << 260 << 100 << 260;
        QTest::newRow("one row of overlap") << 0 << 300 << 299 << 100 << 299;
        QTest::newRow("ends with the image") << 0 << 300 << 250 << 50 << 250;
        QTest::newRow("inside only: no continuation") << 0 << 300 << 100 << 50 << -1;
        QTest::newRow("no overlap") << 0 << 300 << 300 << 100 << -1;
    }
    void stitchOffset()
    {
        QFETCH(int, aFrom);
        QFETCH(int, aRows);
        QFETCH(int, bFrom);
        QFETCH(int, bRows);
        QFETCH(int, offset);
        const QImage content = pryx::test::scrollContent(50, 600);
        QCOMPARE(SurfacePonoramScreen::stitchOffset(content.copy(0, aFrom, 50, aRows),
                                                    content.copy(0, bFrom, 50, bRows)),
                 offset);
    }

    void findsTheWindowUnderThePointer()
    {
        QScopedPointer<SurfacePonoramScreen> view(openOnWindow());
        QCOMPARE(view->fixedRect(), kWindow);
        view->findScrollRect(5, 5); // the bare root window
        QCOMPARE(view->fixedRect(), QRect());
        view->findScrollRect(kWindow.x() + 3, kWindow.bottom());
        QCOMPARE(view->fixedRect(), kWindow);
        view->cleadFindScrollRect();
        QCOMPARE(view->fixedRect(), QRect());
    }

    // The whole content, from the first row inside the 1 px border to the
    // last one, in one image.
    void scrollsTheWindow()
    {
        QScopedPointer<SurfacePonoramScreen> view(openOnWindow());
        QCOMPARE(view->fixedRect(), kWindow);
        QSignalSpy complete(view.data(), &SurfacePonoramScreen::ponoramPixmapComplete);
        view->startPonoram();
        QCOMPARE(complete.count(), 1);
        QVERIFY(view->isFinished());
        QCOMPARE(win.position(), kContent - kWindow.height());
        const QImage got = view->ponoramPixmap().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage want = pryx::test::scrollContent(kWindow.width(), kContent)
                                .copy(1, 1, kWindow.width() - 2, kContent - 2);
        QCOMPARE(got.size(), want.size());
        QCOMPARE(got, want);
        QCOMPARE(buttonMask(), uint16_t(0));
        // Done once: a second start does nothing.
        view->startPonoram();
        QCOMPARE(complete.count(), 1);
        QTRY_VERIFY(view->paintArea());
        auto *bar = view->rootObject()->findChild<QQuickItem *>("toolBar");
        QVERIFY(bar && bar->isVisible());
        QVERIFY(view->rootObject()->findChild<QQuickItem *>("editItem")->isVisible());
        QCOMPARE(view->renderRubberRect().size(), want.size());
    }

    // A window that draws each step only 400 ms after its notch, like a busy
    // program, is followed to the end of its content all the same: the
    // panorama is as tall as the whole content.
    void slowWindowIsFollowedToItsEnd()
    {
        win.stop();
        QVERIFY(win.start(kWindow, kContent, 40, 400));
        QScopedPointer<SurfacePonoramScreen> view(openOnWindow());
        QCOMPARE(view->fixedRect(), kWindow);
        view->startPonoram();
        QVERIFY(view->isFinished());
        QCOMPARE(win.position(), kContent - kWindow.height());
        QCOMPARE(view->ponoramPixmap().size(), QSize(kWindow.width() - 2, kContent - 2));
        QCOMPARE(buttonMask(), uint16_t(0));
    }

    void roundCap()
    {
        QScopedPointer<SurfacePonoramScreen> view(openOnWindow());
        view->setLimits(3, 100000);
        view->startPonoram();
        QVERIFY(view->isFinished());
        // The first shot, then two lower halves 40 rows further each.
        QCOMPARE(view->ponoramPixmap().height(), 298 + 2 * 40);
        QCOMPARE(buttonMask(), uint16_t(0));
    }

    void heightCap()
    {
        QScopedPointer<SurfacePonoramScreen> view(openOnWindow());
        view->setLimits(1000, 400);
        view->startPonoram();
        QVERIFY(view->isFinished());
        QCOMPARE(view->ponoramPixmap().height(), 400);
    }

    void escapeStops()
    {
        QScopedPointer<SurfacePonoramScreen> view(openOnWindow());
        QTimer::singleShot(350, view.data(), [&] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QCoreApplication::sendEvent(view.data(), &press);
        });
        view->startPonoram();
        QVERIFY(view->isFinished());
        const int h = view->ponoramPixmap().height();
        QVERIFY2(h >= 298 && h < kContent - 2, qPrintable(QString::number(h)));
        QCOMPARE(buttonMask(), uint16_t(0));
    }

    void unstitchableShotFails()
    {
        QScopedPointer<SurfacePonoramScreen> view(openOnWindow());
        auto *in = new ChangingInput;
        view->setInput(in);
        QSignalSpy complete(view.data(), &SurfacePonoramScreen::ponoramPixmapComplete);
        QSignalSpy failed(view.data(), &SurfacePonoramScreen::errorGlueImage);
        view->startPonoram();
        QCOMPARE(failed.count(), 1);
        QCOMPARE(complete.count(), 0);
        // Each shot is looked at twice (it must hold still); the second
        // shot does not stitch and ends the run.
        QCOMPARE(in->notches, 1);
        QCOMPARE(in->grabs, 4);
        QVERIFY(!in->held);
        QVERIFY(!view->isFinished());
        QVERIFY(!view->isScrolling());
    }

    // A window too narrow or too low to grab ends the run as a failure:
    // no press, no grab, no panorama.
    void tooSmallWindowFails_data()
    {
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("2 px wide") << QRect(300, 150, 2, 300);
        QTest::newRow("7 px high") << QRect(300, 150, 240, 7);
    }
    void tooSmallWindowFails()
    {
        QFETCH(QRect, geometry);
        win.stop();
        QVERIFY(win.start(geometry, kContent, 40));
        QScopedPointer<SurfacePonoramScreen> view(new SurfacePonoramScreen);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.data()));
        view->findScrollRect(geometry.center().x(), geometry.center().y());
        QCOMPARE(view->fixedRect(), geometry);
        auto *in = new ChangingInput;
        view->setInput(in);
        QSignalSpy complete(view.data(), &SurfacePonoramScreen::ponoramPixmapComplete);
        QSignalSpy failed(view.data(), &SurfacePonoramScreen::errorGlueImage);
        view->startPonoram();
        QCOMPARE(failed.count(), 1);
        QCOMPARE(complete.count(), 0);
        QCOMPARE(in->grabs, 0);
        QVERIFY(!in->held);
        QVERIFY(!view->isFinished());
        QVERIFY(!view->isScrolling());
    }

    // Inside the loop's event processing a second start runs no second loop.
    void noNestedStart()
    {
        QScopedPointer<SurfacePonoramScreen> view(openOnWindow());
        QSignalSpy complete(view.data(), &SurfacePonoramScreen::ponoramPixmapComplete);
        bool scrolling = false;
        int during = -1;
        QTimer::singleShot(0, view.data(), [&] {
            scrolling = view->isScrolling();
            view->startPonoram();
            during = complete.count();
        });
        view->startPonoram();
        QVERIFY(scrolling);
        QCOMPARE(during, 0);
        QCOMPARE(complete.count(), 1);
        QCOMPARE(view->ponoramPixmap().height(), kContent - 2);
    }

    void toolbarScreen()
    {
        SurfacePonoramScreen view;
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(view.toolbarScreen(10, 10, 100, 100), screen);
        QCOMPARE(view.toolbarScreen(-500, -500, 100, 100), QRect());
    }
};

PRYX_SCROLL_TEST_MAIN(TstSurfacePonoramScreen)
#include "tst_surfaceponoramscreen.moc"
