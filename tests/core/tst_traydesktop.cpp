// The notification-area icon on a desktop as users have it (two monitors,
// openbox, trayer at the bottom right of the primary monitor): real pointer
// clicks through XTest on the icon's window, and later starts of the program
// that hand their command line to the running one. What the program opens is
// seen through the X server: its windows and the icons in the tray.

#include <memory>
#include <QtTest>

#include "core/base/setting.h"
#include "support/pryxchild.h"
#include "support/testsupport.h"
#include "support/wmdesktop.h"
#include "support/xkeyclient.h"
#include "support/xtray.h"

using pryx::test::WmDesktop;
using pryx::test::waitUntil;

namespace {

WmDesktop *g_desk = nullptr;
QString g_skip;

const uint32_t kEscape = 0xff1b;
const QByteArray kLoop = "About to start main event loop";
const QByteArray kHandedOver = "the command line was handed to it";
const QByteArray kScreen = "Core::screen(bool, bool)";
const QByteArray kSurfaceGone = "SurfaceWidget::~SurfaceWidget";

// True when done() stays false for the whole time.
bool staysFalse(const std::function<bool()> &done, int ms)
{
    return !waitUntil(done, ms);
}

} // namespace

class TestTrayDesktop : public QObject
{
    Q_OBJECT

    // The running program of the case (its output is the case's alone).
    std::unique_ptr<pryx::test::RunningChild> child_;
    pryx::test::XKeyClient *keys_ = nullptr;

    // The capture surface: a shown window of pryx over the whole desktop.
    bool surfaceShown(qint64 pid) const { return g_desk->windowsOverDesktop(pid) > 0; }
    // The main tool window: the one other window of pryx when no upload,
    // login or settings window is asked for.
    bool mainWindowShown(qint64 pid) const
    {
        for (const auto &w : g_desk->shownWindows(pid))
            if (w.geometry != WmDesktop::desktop())
                return true;
        return false;
    }
    QVector<QPoint> icons() const { return pryx::test::trayIconsOn(g_desk->environment(), "pryx"); }

    bool startPryx(pryx::test::RunningChild &child, const QStringList &args = {})
    {
        return child.start(pryx::test::programPath(), QStringList{"-debug"} + args, g_desk->environment())
            && child.waitFor(kLoop, 15000)
            && waitUntil([this] { return icons().size() == 1; }, 15000);
    }

    bool closeSurface(pryx::test::RunningChild &child)
    {
        const int gone = child.count(kSurfaceGone);
        keys_->chord({kEscape});
        return child.waitFor(kSurfaceGone, 10000, gone + 1)
            && waitUntil([&] { return !surfaceShown(child.pid()); }, 5000);
    }


private slots:
    void initTestCase()
    {
        if (!g_skip.isEmpty())
            QSKIP(qPrintable(g_skip));
        QVERIFY2(g_desk->startTray(), "trayer did not start");
        keys_ = new pryx::test::XKeyClient;
        QVERIFY(keys_->isOpen());
        // A stored login: captures open without the login window; no
        // confirmation when Escape closes one.
        Setting *s = Setting::instance();
        s->setValue("token", "test-token");
        s->setValue("showCloseSurfaceWindow", "0");
        QVERIFY(s->flush());
    }
    void cleanupTestCase() { delete keys_; }
    void init() { child_.reset(new pryx::test::RunningChild); }
    void cleanup()
    {
        if (QTest::currentTestFailed())
            fprintf(stderr, "--- pryx output (last part) ---\n%s\n---\n", child_->output().right(6000).constData());
        child_.reset();
        QVERIFY(waitUntil([this] { return icons().isEmpty(); }, 10000));
    }

    // A second start hands its command line over and ends: one icon, one
    // program grabbing the hotkeys, and the capture it asked for opens in
    // the program that runs.
    void secondStartLeavesOneIcon_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("capture");
        QTest::newRow("no arguments") << QStringList{} << false;
        QTest::newRow("-screen") << QStringList{"-screen"} << true;
        QTest::newRow("-full-screen") << QStringList{"-full-screen"} << true;
    }
    void secondStartLeavesOneIcon()
    {
        pryx::test::RunningChild &app = *child_;
        QFETCH(QStringList, args);
        QFETCH(bool, capture);
        QVERIFY(startPryx(app));
        QVERIFY(waitUntil([&] { return mainWindowShown(app.pid()); }, 10000));

        pryx::test::RunningChild second;
        QVERIFY(second.start(pryx::test::programPath(), QStringList{"-debug"} + args, g_desk->environment()));
        QVERIFY2(second.waitForExit(15000), second.output().constData());
        QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process().exitCode(), 0);
        QVERIFY2(second.output().contains(kHandedOver), second.output().constData());
        QVERIFY(!second.output().contains("Core::Core"));
        QCOMPARE(icons().size(), 1);
        g_desk->saveScreenshot(QString("second-start-%1").arg(QTest::currentDataTag()));

        if (capture) {
            QVERIFY(waitUntil([&] { return surfaceShown(app.pid()); }, 10000));
            QVERIFY(closeSurface(app));
        } else {
            QVERIFY(app.waitFor("SingleApplication::handle(const QByteArray&) \"running_again\"", 5000));
            QVERIFY(mainWindowShown(app.pid()));
        }
        QCOMPARE(icons().size(), 1);
    }

    // A desktop shortcut bound to "pryx -screen" with no Pryx running: the
    // program starts and opens the capture, without its main tool window.
    void firstStartWithCaptureOption()
    {
        pryx::test::RunningChild &app = *child_;
        QVERIFY(app.start(pryx::test::programPath(), {"-debug", "-screen"}, g_desk->environment()));
        QVERIFY2(waitUntil([&] { return surfaceShown(app.pid()); }, 15000), app.output().constData());
        QVERIFY(waitUntil([this] { return icons().size() == 1; }, 10000));
        // The start's main tool window (half a second after start) stays away.
        QVERIFY(staysFalse([&] { return mainWindowShown(app.pid()); }, 1500));
        QVERIFY(closeSurface(app));
        QVERIFY(!app.output().contains("Core::showMainWindow"));
    }

    // With the main tool window open (as after every start), a click on the
    // icon starts a region capture.
    void clickWithMainWindowOpenStartsCapture()
    {
        pryx::test::RunningChild &app = *child_;
        QVERIFY(startPryx(app));
        QVERIFY(waitUntil([&] { return mainWindowShown(app.pid()); }, 10000));
        const QPoint icon = icons().value(0);
        g_desk->click(icon);
        QVERIFY2(waitUntil([&] { return surfaceShown(app.pid()); }, 10000),
                 qPrintable(QString("icon at %1,%2").arg(icon.x()).arg(icon.y())));
        QVERIFY(closeSurface(app));
    }

    // A double click opens the main tool window and starts no capture: its
    // first click is not taken as a single one.
    void doubleClickOpensMainWindow()
    {
        pryx::test::RunningChild &app = *child_;
        // Started with a capture: no main tool window yet.
        QVERIFY(app.start(pryx::test::programPath(), {"-debug", "-screen"}, g_desk->environment()));
        QVERIFY(waitUntil([&] { return surfaceShown(app.pid()); }, 15000));
        QVERIFY(waitUntil([this] { return icons().size() == 1; }, 10000));
        QVERIFY(closeSurface(app));
        QVERIFY(!mainWindowShown(app.pid()));
        const int screens = app.count(kScreen);

        g_desk->click(icons().value(0), 1, 2);
        QVERIFY(waitUntil([&] { return mainWindowShown(app.pid()); }, 10000));
        g_desk->saveScreenshot("double-click");
        // Well past the double-click interval, no capture has started.
        QVERIFY(staysFalse([&] { return surfaceShown(app.pid()); }, 1500));
        QCOMPARE(app.count(kScreen), screens);
    }
};

int main(int argc, char **argv)
{
    return pryx::test::execOnDesktop<TestTrayDesktop>(argc, argv, g_desk, g_skip);
}

#include "tst_traydesktop.moc"
