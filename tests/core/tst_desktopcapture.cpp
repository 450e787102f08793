// A real pryx on a desktop as users have it (two monitors of different sizes,
// openbox): the capture surface opened by the hotkey and driven by real key
// and pointer events, everything checked through the X server: the surface
// window, the process, and the pixels of the toolbar, the magnifier and the
// close confirmation.

#include <QThread>
#include <QtTest>

#include "core/base/setting.h"
#include "support/pryxchild.h"
#include "support/testsupport.h"
#include "support/wmdesktop.h"
#include "support/xkeyclient.h"

using pryx::test::WmDesktop;
using pryx::test::waitUntil;

namespace {

WmDesktop *g_desk = nullptr;
QString g_skip;

const uint32_t kControl = 0xffe3;
const uint32_t kShift = 0xffe1;
const uint32_t kPrint = 0xff61;
const uint32_t kEscape = 0xff1b;
const uint32_t kReturn = 0xff0d;

const QByteArray kLoop = "About to start main event loop";
const QByteArray kSurfaceGone = "SurfaceWidget::~SurfaceWidget";
const QByteArray kHandlerFault = "destroyed while one of its QML signal handlers";
const QRgb kToolbarColour = 0x25282c;     // inside its 1-px border
const QRgb kMagnifierColour = 0x2b3237;   // the magnifier's frame

using Settings = QList<QPair<QString, QString>>;

} // namespace

class TestDesktopCapture : public QObject
{
    Q_OBJECT

    pryx::test::RunningChild pryx_;
    Settings running_;
    pryx::test::XKeyClient *keys_ = nullptr;
    int surfacesGone_ = 0;

    // Starts pryx with these settings, unless it already runs with them.
    bool usePryx(const Settings &settings)
    {
        if (pryx_.running() && running_ == settings)
            return true;
        pryx_.stop();
        Setting *s = Setting::instance();
        s->setValue("token", "test-token");
        s->setValue("showMagnifier", "1");
        for (const auto &kv : settings)
            s->setValue(kv.first, kv.second);
        if (!s->flush())
            return false;
        running_ = settings;
        surfacesGone_ = 0;
        if (!pryx_.start(pryx::test::programPath(), {"-debug"}, g_desk->environment()))
            return false;
        if (!pryx_.waitFor(kLoop, 15000))
            return false;
        // The main tool window shows 500 ms after start; let it settle.
        return waitUntil([this] { return !g_desk->shownWindows(pryx_.pid()).isEmpty(); }, 5000);
    }

    // How often pryx has written `text` so far, with all it has written.
    int written(const QByteArray &text)
    {
        while (pryx_.process().waitForReadyRead(50)) {
        }
        return pryx_.count(text);
    }

    // The capture surface: a shown window of pryx over the whole desktop.
    int surfaceWindows() const { return g_desk->windowsOverDesktop(pryx_.pid()); }

    void hotkey(bool quick = false)
    {
        keys_->chord({quick ? kShift : kControl, kPrint});
    }
    void key(uint32_t sym) { keys_->chord({sym}); }

    bool openSurface()
    {
        hotkey();
        return waitUntil([this] { return surfaceWindows() == 1; }, 10000) && settleScreen();
    }

    bool settleScreen() { return !g_desk->settledGrab().isNull(); }

    bool closeSurface()
    {
        const int gone = written(kSurfaceGone);
        key(kEscape);
        if (!pryx_.waitFor(kSurfaceGone, 5000, gone + 1)) {
            key(kReturn);   // the confirmation, if it showed
            if (!pryx_.waitFor(kSurfaceGone, 5000, gone + 1))
                return false;
        }
        return waitUntil([this] { return surfaceWindows() == 0; }, 5000);
    }

    static QRect monitorRect(int i) { return WmDesktop::monitors().at(i); }

    // The toolbar on the screen: its fill and the border around it.
    static QRect toolbarOn(const QImage &shot)
    {
        const QRect fill = pryx::test::boundsOfColour(shot, kToolbarColour);
        return fill.isNull() ? fill : fill.adjusted(-1, -1, 1, 1);
    }
    static QString text(const QRect &r)
    {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }

private slots:
    void initTestCase()
    {
        if (!g_skip.isEmpty())
            QSKIP(qPrintable(g_skip));
        keys_ = new pryx::test::XKeyClient;
        QVERIFY(keys_->isOpen());
    }
    void cleanupTestCase()
    {
        pryx_.stop();
        delete keys_;
    }
    void cleanup()
    {
        if (QTest::currentTestFailed()) {
            const QByteArray out = pryx_.output();
            fprintf(stderr, "--- pryx output (last part) ---\n%s\n---\n", out.right(6000).constData());
        }
        if (!pryx_.running())
            return;
        QVERIFY2(!pryx_.output().contains(kHandlerFault), pryx_.output().right(3000).constData());
        // A case that failed half-way leaves no surface for the next one.
        if (surfaceWindows() > 0)
            closeSurface();
    }

    // Escape right after the hotkey, before the surface has even drawn its
    // first frame, closes it; the program lives on and captures again.
    void escapeSoonAfterHotkey_data()
    {
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<int>("delay");
        for (const char *confirm : {"1", "0"})
            for (int delay : {0, 50, 100, 300, 1000})
                QTest::addRow("showCloseSurfaceWindow %s, %d ms", confirm, delay) << QString(confirm) << delay;
    }
    void escapeSoonAfterHotkey()
    {
        QFETCH(QString, confirm);
        QFETCH(int, delay);
        QVERIFY(usePryx({{"showCloseSurfaceWindow", confirm}}));
        const int gone = written(kSurfaceGone);
        hotkey();
        QThread::msleep(ulong(delay));
        key(kEscape);
        QVERIFY2(pryx_.waitFor(kSurfaceGone, 10000, gone + 1), "pryx output follows");
        QVERIFY(waitUntil([this] { return surfaceWindows() == 0; }, 5000));
        QVERIFY2(pryx_.running(), pryx_.output().right(3000).constData());
        QVERIFY(!pryx_.output().contains(kHandlerFault));
        // Still a working program: the next hotkey opens a surface again.
        QVERIFY(openSurface());
        QVERIFY(closeSurface());
    }

    // While a surface is open, a second hotkey, the quick capture hotkey and
    // the full-screen one start nothing; the open capture goes on.
    void captureCommandsRefusedWhileOpen()
    {
        QVERIFY(usePryx({{"showCloseSurfaceWindow", "0"}}));
        QVERIFY(openSurface());
        g_desk->drag(QPoint(300, 300), QPoint(700, 500));
        const QImage before = g_desk->settledGrab();
        const int screens = written("Core::screen(bool, bool)");
        const int uploads = written("Core::screenUpload(int, bool, QPixmap)");
        // A moment apart: a release and a press at one server time would
        // read as an auto-repeat.
        hotkey();
        QThread::msleep(50);
        keys_->chord({kShift, kPrint});
        QThread::msleep(50);
        keys_->chord({kControl, kShift, kPrint});
        QVERIFY(pryx_.waitFor("refused: a capture is open", 5000, 3));
        QThread::msleep(300);
        QCOMPARE(surfaceWindows(), 1);
        QCOMPARE(written("Core::screen(bool, bool)"), screens);
        QCOMPARE(written("Core::screenUpload(int, bool, QPixmap)"), uploads);
        // The selection is still there.
        QCOMPARE(g_desk->settledGrab(), before);
        QVERIFY(closeSurface());
        QVERIFY(openSurface());
        QVERIFY(closeSurface());
    }

    // The toolbar, drawn with its colour panel (195 px), lies wholly inside
    // the monitor of the selection, wherever the selection is.
    void toolbarInsideMonitor_data()
    {
        QTest::addColumn<QRect>("selection");   // null: a double click selects everything
        QTest::addColumn<int>("monitor");
        QTest::newRow("left, middle") << QRect(300, 300, 600, 300) << 0;
        QTest::newRow("left, near the bottom") << QRect(300, 700, 900, 300) << 0;
        QTest::newRow("left, whole monitor") << QRect(0, 0, 1920, 1080) << 0;
        QTest::newRow("right, middle") << QRect(2200, 200, 600, 300) << 1;
        QTest::newRow("right, near the bottom") << QRect(2200, 600, 800, 280) << 1;
        QTest::newRow("right, whole monitor") << QRect(1920, 0, 1600, 900) << 1;
        QTest::newRow("right, beside the left one") << QRect(1925, 500, 300, 380) << 1;
        QTest::newRow("double click: the whole desktop") << QRect() << 0;
    }
    void toolbarInsideMonitor()
    {
        QFETCH(QRect, selection);
        QFETCH(int, monitor);
        QVERIFY(usePryx({{"showCloseSurfaceWindow", "0"}, {"visibleColorPanel", "1"}}));
        QVERIFY(openSurface());
        if (selection.isNull()) {
            g_desk->click(QPoint(1000, 500), 1, 2);
        } else {
            g_desk->drag(selection.topLeft(), selection.bottomRight() + QPoint(1, 1));
        }
        const QImage shot = g_desk->settledGrab();
        g_desk->saveScreenshot(QStringLiteral("toolbar-%1").arg(QTest::currentDataTag()));
        const QRect bar = toolbarOn(shot);
        QVERIFY2(!bar.isNull(), "no toolbar on the screen");
        QCOMPARE(bar.height(), 195);
        QCOMPARE(bar.width(), 790);
        QVERIFY2(monitorRect(monitor).contains(bar),
                 qPrintable(text(bar)));
        QVERIFY(closeSurface());
    }

    // Opened later, the colour panel still ends inside the monitor.
    void toolbarPanelOpenedLater()
    {
        QVERIFY(usePryx({{"showCloseSurfaceWindow", "0"}, {"visibleColorPanel", "0"}}));
        for (const QRect &selection : {QRect(300, 760, 900, 170), QRect(2300, 600, 700, 200)}) {
            const QRect mon = monitorRect(WmDesktop::monitorOf(selection));
            QVERIFY(openSurface());
            g_desk->drag(selection.topLeft(), selection.bottomRight() + QPoint(1, 1));
            QRect bar = toolbarOn(g_desk->settledGrab());
            QCOMPARE(bar.height(), 85);
            QVERIFY(mon.contains(bar));
            // The panel's button, left of the tools.
            g_desk->click(bar.topLeft() + QPoint(45, 42));
            g_desk->movePointer(bar.topLeft() + QPoint(400, -40));
            bar = toolbarOn(g_desk->settledGrab());
            QCOMPARE(bar.height(), 195);
            QVERIFY2(mon.contains(bar), qPrintable(text(bar)));
            // Closed again (the choice is kept for the next capture).
            g_desk->click(bar.topLeft() + QPoint(45, 42));
            g_desk->movePointer(bar.topLeft() + QPoint(400, -40));
            QCOMPARE(toolbarOn(g_desk->settledGrab()).height(), 85);
            QVERIFY(closeSurface());
        }
    }

    // The magnifier beside the cursor stays on the cursor's monitor, also
    // where the other monitor is shorter or ends.
    void magnifierInsideMonitor_data()
    {
        QTest::addColumn<QPoint>("cursor");
        QTest::newRow("right, bottom edge") << QPoint(3000, 895);
        QTest::newRow("right, bottom-right corner") << QPoint(3515, 895);
        QTest::newRow("left, bottom edge by the right one") << QPoint(1915, 1075);
        QTest::newRow("left, middle") << QPoint(900, 500);
        QTest::newRow("right, middle") << QPoint(2700, 400);
    }
    void magnifierInsideMonitor()
    {
        QFETCH(QPoint, cursor);
        QVERIFY(usePryx({{"showCloseSurfaceWindow", "0"}}));
        g_desk->movePointer(QPoint(100, 100));
        QVERIFY(openSurface());
        g_desk->movePointer(cursor - QPoint(3, 3));
        g_desk->movePointer(cursor);
        const QImage after = g_desk->settledGrab();
        g_desk->saveScreenshot(QStringLiteral("magnifier-%1").arg(QTest::currentDataTag()));
        const QRect mag = pryx::test::boundsOfColour(after, kMagnifierColour);
        QVERIFY2(!mag.isNull(), "no magnifier on the screen");
        QVERIFY2(mag.width() >= 70 && mag.height() >= 70 && mag.width() < 120 && mag.height() < 120,
                 qPrintable(text(mag)));
        const QRect mon = monitorRect(WmDesktop::monitorOf(QRect(cursor, QSize(1, 1))));
        QVERIFY2(mon.contains(mag), qPrintable(text(mag)));
        QVERIFY(closeSurface());
    }

    // "Cancel screen capture?" opens in the middle of the monitor under the
    // cursor.
    void confirmationOnCursorMonitor_data()
    {
        QTest::addColumn<QRect>("selection");
        QTest::addColumn<QPoint>("cursor");
        QTest::newRow("selection and cursor on the right") << QRect(2200, 200, 500, 300) << QPoint(2500, 700);
        QTest::newRow("selection and cursor on the left") << QRect(200, 200, 500, 300) << QPoint(900, 900);
        QTest::newRow("selection left, cursor right") << QRect(200, 200, 500, 300) << QPoint(3300, 800);
    }
    void confirmationOnCursorMonitor()
    {
        QFETCH(QRect, selection);
        QFETCH(QPoint, cursor);
        QVERIFY(usePryx({{"showCloseSurfaceWindow", "1"}}));
        QVERIFY(openSurface());
        g_desk->drag(selection.topLeft(), selection.bottomRight());
        g_desk->movePointer(cursor);
        const QImage before = g_desk->settledGrab();
        key(kEscape);
        const QImage after = g_desk->settledGrab();
        g_desk->saveScreenshot(QStringLiteral("confirmation-%1").arg(QTest::currentDataTag()));
        const QRect box = pryx::test::boundsOfChange(before, after);
        QVERIFY2(!box.isNull(), "no confirmation on the screen");
        const QRect mon = monitorRect(WmDesktop::monitorOf(QRect(cursor, QSize(1, 1))));
        // What shows of the 440 x 250 box lies within its place in the
        // middle of that monitor.
        const QRect place(mon.x() + mon.width() / 2 - 220, mon.y() + mon.height() / 2 - 125, 440, 250);
        QVERIFY2(place.contains(box) && box.width() > 300 && box.height() > 150, qPrintable(text(box)));
        // Enter closes the surface from the confirmation.
        const int gone = written(kSurfaceGone);
        key(kReturn);
        QVERIFY(pryx_.waitFor(kSurfaceGone, 5000, gone + 1));
    }
};

int main(int argc, char **argv)
{
    return pryx::test::execOnDesktop<TestDesktopCapture>(argc, argv, g_desk, g_skip);
}

#include "tst_desktopcapture.moc"
