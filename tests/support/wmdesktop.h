#pragma once
// A desktop as users have it: a private Xorg server (dummy driver) with two
// monitors, 1920x1080 primary on the left and 1600x900 on the right, openbox
// as the window manager and, on request, xcompmgr as the compositor and
// trayer as the notification area. Tests look at what the program shows
// through this server: its windows, their geometry and the screen's pixels.
// Start it before the application object (it sets DISPLAY); one per test
// program is enough, the cases share it: execOnDesktop() below is such a
// program's main().

#include <QGuiApplication>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QVector>
#include <QtTest/QTest>

#include <cstdint>
#include <memory>

struct xcb_connection_t;

namespace pryx::test {

class XorgDummy;

class WmDesktop
{
public:
    WmDesktop();
    ~WmDesktop();
    WmDesktop(const WmDesktop &) = delete;
    WmDesktop &operator=(const WmDesktop &) = delete;

    static QRect leftMonitor() { return QRect(0, 0, 1920, 1080); }    // primary
    static QRect rightMonitor() { return QRect(1920, 0, 1600, 900); }
    static QVector<QRect> monitors() { return {leftMonitor(), rightMonitor()}; }
    static QRect desktop() { return QRect(0, 0, 3520, 1080); }

    // Xorg and openbox; false with error() set (a test then skips).
    bool start();
    // start(), then DISPLAY names this desktop; where it does not start,
    // false with `skip` saying why, and Qt is told to run offscreen.
    bool startAsDisplay(QString *skip);
    void stop();
    bool startCompositor();
    void stopCompositor();
    bool compositorRunning() const;
    bool startTray();
    QString error() const { return error_; }
    QString display() const;
    QProcessEnvironment environment(const QProcessEnvironment &base =
                                        QProcessEnvironment::systemEnvironment()) const;

    // A top-level window as the X server sees it: the client window (under
    // openbox's frame when it has one), in root coordinates.
    struct Window {
        uint32_t id = 0;
        QRect geometry;
        bool viewable = false;
        bool overrideRedirect = false;
        qint64 pid = 0;
        QString name;
        QString instance;   // WM_CLASS instance
    };
    // The windows of a process (pid 0: of every process).
    QVector<Window> windows(qint64 pid = 0) const;
    // Those of them that are shown (viewable).
    QVector<Window> shownWindows(qint64 pid = 0) const;
    // How many shown windows of the process cover exactly the whole desktop
    // (a capture surface does).
    int windowsOverDesktop(qint64 pid) const;
    // The monitor holding most of the rectangle; -1 for none.
    static int monitorOf(const QRect &r);

    // The screen's pixels (the root window) in RGB32.
    QImage grab(const QRect &area = desktop()) const;
    // Grabs until two grabs a moment apart show the same picture (giving up
    // after some four seconds); the last grab.
    QImage settledGrab() const;
    // `import -window root` into a PNG file; returns whether it worked.
    bool screenshot(const QString &path) const;
    // With PRYX_SCREENSHOT_DIR set, screenshot() into <dir>/<name>.png, the
    // name's spaces as '_' and its commas dropped; otherwise nothing.
    void saveScreenshot(const QString &name) const;

    // The pointer and its buttons, through XTest.
    void movePointer(const QPoint &p);
    void pressButton(int button = 1);
    void releaseButton(int button = 1);
    void click(const QPoint &p, int button = 1, int count = 1);
    // Press at a, move in steps to b, release.
    void drag(const QPoint &a, const QPoint &b, int steps = 8);
    QPoint pointer() const;
    void sync() const;

    // The shape of a window (window coordinates): its input region, which
    // takes the pointer, or its bounding region, which is drawn. An unshaped
    // window gives its whole rectangle.
    QVector<QRect> inputShape(uint32_t window) const;
    QVector<QRect> boundingShape(uint32_t window) const;
    // The top-level window (a child of the root: a client or openbox's frame
    // of one) that takes a press at p, after the input shapes; 0 for the root.
    uint32_t topLevelAt(const QPoint &p);
    // The top-level window holding `window`.
    uint32_t topLevelOf(uint32_t window) const;
    // The tray host's panel (trayer), null while none shows.
    QRect trayPanel() const;
    // The icons of the programs of this WM_CLASS instance inside the tray.
    QVector<QRect> trayIcons(const QString &instance) const;
    // The same icons' windows.
    QVector<uint32_t> trayIconWindows(const QString &instance) const;
    // The colour of the bare desktop (the root window's background).
    void setBackground(QRgb colour);

private:
    bool waitForWindowManager(int timeoutMs);
    std::unique_ptr<XorgDummy> server_;
    QProcess openbox_;
    QProcess compositor_;
    QProcess tray_;
    xcb_connection_t *conn_ = nullptr;
    uint32_t root_ = 0;
    QString error_;
};

// Bounding box of the pixels of `img` equal to `colour` (null when none);
// `area` limits the search.
QRect boundsOfColour(const QImage &img, QRgb colour, const QRect &area = QRect());
// Bounding box of the pixels that differ between two images of one size.
QRect boundsOfChange(const QImage &before, const QImage &after, int tolerance = 8);

// The main() of a test program on this desktop: the desktop started before
// the application object, `desk` pointing at it while the cases of
// TestObject run, or, where it does not start, the cases run offscreen with
// `skip` saying why (they skip).
template<class TestObject>
int execOnDesktop(int argc, char **argv, WmDesktop *&desk, QString &skip)
{
    WmDesktop started;
    if (started.startAsDisplay(&skip))
        desk = &started;
    int rc = 0;
    {
        QGuiApplication app(argc, argv);
        TestObject tc;
        rc = QTest::qExec(&tc, argc, argv);
    }
    started.stop();
    desk = nullptr;
    return rc;
}

} // namespace pryx::test
