// The ordinary windows of a real pryx on a desktop as users have it: two
// monitors (1920x1080 primary on the left, 1600x900 on the right), openbox,
// trayer as the notification area, with and without the xcompmgr compositor.
// Everything is read from the X server: each window's geometry, its input
// shape, which window takes the pointer, and the screen's pixels.

#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include "core/base/setting.h"
#include "support/pryxchild.h"
#include "support/standin.h"
#include "support/testsupport.h"
#include "support/wmdesktop.h"
#include "support/xkeyclient.h"

using pryx::test::WmDesktop;
using pryx::test::waitUntil;

namespace {

WmDesktop *g_desk = nullptr;
QString g_skip;

const uint32_t kShift = 0xffe1;
const uint32_t kControl = 0xffe3;
const uint32_t kPrint = 0xff61;
const uint32_t kEscape = 0xff1b;
const uint32_t kReturn = 0xff0d;

const QByteArray kLoop = "About to start main event loop";
const QByteArray kScreen = "void Core::screen(bool, bool)";
const QByteArray kSurfaceGone = "SurfaceWidget::~SurfaceWidget";
const QByteArray kHandlerFault = "destroyed while one of its QML signal handlers";
const QRgb kDesktopColour = 0x3c6e8c;
const int kMargin = 30;

// A window of the program: its title, the size of its card (height 0: the
// page decides) and whether it sits in the corner of the primary screen.
struct Kind {
    QString title;
    QSize card;
    bool corner;
};

const QHash<QString, Kind> &kinds()
{
    static const QHash<QString, Kind> k = {
        {"main", {"Pryx", QSize(241, 300), true}},
        {"login", {"Pryx", QSize(430, 340), false}},
        {"settings", {"Settings - tester", QSize(580, 0), false}},
        {"upload", {"Upload - tester", QSize(240, 188), true}},
        {"last upload", {"Upload - tester", QSize(241, 230), true}},
        {"error", {"Error", QSize(250, 0), true}},
        {"message", {"Message", QSize(241, 200), true}},
    };
    return k;
}

QString text(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QRect bounds(const QVector<QRect> &rects)
{
    QRect all;
    for (const QRect &r : rects)
        all = all.united(r);
    return all;
}

bool dark(QRgb c) { return qRed(c) < 24 && qGreen(c) < 24 && qBlue(c) < 24; }

} // namespace

class TestDesktopWindows : public QObject
{
    Q_OBJECT

    pryx::test::RunningChild pryx_;
    pryx::test::StandIn standIn_;
    pryx::test::XKeyClient *keys_ = nullptr;
    QString uploadFile_;

    bool setCompositor(bool on)
    {
        if (on)
            return g_desk->startCompositor();
        g_desk->stopCompositor();
        return !g_desk->compositorRunning();
    }

    // A fresh pryx with these settings; the API host is the stand-in unless
    // `refusedService`.
    bool startPryx(const QString &token, const QStringList &args = {}, bool refusedService = false)
    {
        pryx_.stop();
        Setting *s = Setting::instance();
        s->setValue("token", token);
        s->setValue("username", "tester");
        s->setValue("show_upload", "1");
        s->setValue("show_last_upload", "1");
        s->setValue("showCloseSurfaceWindow", "0");
        s->setValue("max_post_size", "104857600");
        if (!s->flush())
            return false;
        QProcessEnvironment env = g_desk->environment();
        env.insert("PRYX_API_HOST", refusedService ? QStringLiteral("127.0.0.1:9") : standIn_.host());
        if (!pryx_.start(pryx::test::programPath(), QStringList{"-debug"} + args, env))
            return false;
        return pryx_.waitFor(kLoop, 15000);
    }

    // The shown window of this kind, with or without a shadow margin, once
    // its geometry has stayed the same for a moment.
    WmDesktop::Window findWindow(const QString &kind, int timeoutMs = 10000)
    {
        const Kind k = kinds().value(kind);
        auto match = [&](const WmDesktop::Window &w) {
            if (w.name != k.title)
                return false;
            const int width = w.geometry.width();
            return width == k.card.width() || width == k.card.width() + 2 * kMargin;
        };
        WmDesktop::Window found;
        QRect last;
        int same = 0;
        // Twelve looks 25 ms apart.
        waitUntil([&] {
            found = WmDesktop::Window();
            for (const auto &w : g_desk->shownWindows(pryx_.pid()))
                if (match(w))
                    found = w;
            if (found.id && found.geometry == last) {
                ++same;
            } else {
                same = 0;
                last = found.geometry;
            }
            return found.id && same >= 12;
        }, timeoutMs, 25);
        if (!found.id && timeoutMs >= 5000) {
            for (const auto &w : g_desk->windows(pryx_.pid()))
                qInfo("window \"%s\" %s%s", qPrintable(w.name), qPrintable(text(w.geometry)),
                      w.viewable ? "" : " (hidden)");
        }
        return found;
    }

    // The capture surface: a shown window of pryx over the whole desktop.
    bool surfaceShown() const { return g_desk->windowsOverDesktop(pryx_.pid()) > 0; }

    static QString tag() { return QString::fromLatin1(QTest::currentDataTag()); }

    // Closes the main window with its close button. Shown half a second
    // after start in the corner, it covers what an upload given at start
    // shows there.
    bool closeMainWindow()
    {
        const WmDesktop::Window main = findWindow("main");
        if (!main.id)
            return false;
        const int m = main.geometry.width() == 241 ? 0 : kMargin;
        // The pointer stays on the button until the window has gone: the
        // title bar is the window's drag band.
        g_desk->click(QPoint(main.geometry.right() - m - 15, main.geometry.top() + m + 15));
        const bool closed = waitUntil([&] { return !findWindow("main", 300).id; }, 5000);
        g_desk->movePointer(QPoint(300, 300));
        if (!closed) {
            g_desk->saveScreenshot("main-not-closed");
            for (const auto &w : g_desk->windows(pryx_.pid()))
                qInfo("window %x \"%s\" %s%s", w.id, qPrintable(w.name), qPrintable(text(w.geometry)),
                      w.viewable ? "" : " (hidden)");
        }
        return closed;
    }

    // Opens the window of this kind the way a user meets it.
    WmDesktop::Window open(const QString &kind)
    {
        if (kind == "main" || kind == "settings") {
            if (!startPryx("test-token"))
                return {};
            WmDesktop::Window main = findWindow("main");
            if (kind == "main" || !main.id)
                return main;
            // The Settings button, right in the second row of tools.
            const int m = main.geometry.width() == 241 ? 0 : kMargin;
            g_desk->click(main.geometry.topLeft() + QPoint(m + 176, m + 204));
            return findWindow("settings");
        }
        if (kind == "login") {
            if (!startPryx(QString()))
                return {};
            return findWindow("login");
        }
        if (kind == "upload" || kind == "last upload") {
            standIn_.setScript(QJsonArray{QJsonObject{{"method", "PUT"}, {"hold", "bytes"}}});
            if (!startPryx("test-token", {uploadFile_}) || !closeMainWindow())
                return {};
            WmDesktop::Window upload = findWindow("upload");
            if (kind == "upload" || !upload.id)
                return upload;
            standIn_.release("bytes");
            return findWindow("last upload");
        }
        if (kind == "error") {
            // The upload of a file given at start meets a refused connection.
            if (!startPryx("test-token", {uploadFile_}, true) || !closeMainWindow())
                return {};
            return findWindow("error");
        }
        if (kind == "message") {
            // The quick capture's upload meets a closed connection: the
            // program offers to save the capture, in front of the main
            // window.
            standIn_.setScript(QJsonArray{QJsonObject{{"method", "POST"}, {"close", true}}});
            if (!startPryx("test-token") || !findWindow("main").id)
                return {};
            keys_->chord({kShift, kPrint});
            return findWindow("message", 20000);
        }
        return {};
    }

    // The checks every window passes: its size with or without the shadow
    // margin, the card on the primary monitor and off the tray, input only
    // on the card, and no black where the desktop should show.
    void checkWindow(const QString &kind, const WmDesktop::Window &w, bool compositor)
    {
        const Kind k = kinds().value(kind);
        const int m = compositor ? kMargin : 0;
        const QRect geometry = w.geometry;
        g_desk->movePointer(QPoint(300, 300));
        const QImage shot = g_desk->settledGrab();
        g_desk->saveScreenshot(QStringLiteral("window-%1").arg(tag()));
        QCOMPARE(geometry.width(), k.card.width() + 2 * m);
        if (k.card.height() > 0)
            QCOMPARE(geometry.height(), k.card.height() + 2 * m);
        const QRect card = geometry.adjusted(m, m, -m, -m);
        QVERIFY2(WmDesktop::leftMonitor().contains(card), qPrintable(text(card)));
        const QRect tray = g_desk->trayPanel();
        QVERIFY(!tray.isNull());
        QVERIFY2(!card.intersects(tray), qPrintable(text(card) + " over the tray " + text(tray)));
        if (k.corner) {
            // In the corner above the tray.
            QVERIFY2(card.right() > 1920 - 60 && card.bottom() > tray.top() - 60, qPrintable(text(card)));
        }

        // The pointer: taken on the card, passed through the margin.
        QCOMPARE(bounds(g_desk->inputShape(w.id)), QRect(m, m, card.width(), card.height()));
        const uint32_t top = g_desk->topLevelOf(w.id);
        QCOMPARE(g_desk->topLevelAt(card.center()), top);
        QCOMPARE(g_desk->topLevelAt(QPoint(card.center().x(), card.top() + 2)), top);
        if (m > 0) {
            for (const QPoint &p : {geometry.topLeft() + QPoint(5, 5), QPoint(card.center().x(), geometry.bottom() - 5),
                                    QPoint(geometry.right() - 5, card.center().y())})
                QVERIFY2(g_desk->topLevelAt(p) != top, qPrintable(QStringLiteral("margin at %1,%2 takes the pointer")
                                                                      .arg(p.x()).arg(p.y())));
        }

        // No black frame: the band just inside the window's edge is the
        // card's border without a compositor, the desktop under a soft
        // shadow with one.
        const int band = m > 0 ? m : 3;
        int black = 0;
        for (int y = geometry.top(); y <= geometry.bottom(); ++y) {
            for (int x = geometry.left(); x <= geometry.right(); ++x) {
                const bool inBand = x < geometry.left() + band || x > geometry.right() - band
                                    || y < geometry.top() + band || y > geometry.bottom() - band;
                // The rounded corners of a bare card show what lies below.
                const bool corner = m == 0 && (x < geometry.left() + 6 || x > geometry.right() - 6)
                                    && (y < geometry.top() + 6 || y > geometry.bottom() - 6);
                if (inBand && !corner && dark(shot.pixel(x, y)))
                    ++black;
            }
        }
        QVERIFY2(black == 0, qPrintable(QStringLiteral("%1 black pixels around %2").arg(black).arg(text(card))));
    }

private slots:
    void initTestCase()
    {
        if (!g_skip.isEmpty())
            QSKIP(qPrintable(g_skip));
        QVERIFY2(g_desk->startTray(), "trayer did not start");
        g_desk->setBackground(kDesktopColour);
        keys_ = new pryx::test::XKeyClient;
        QVERIFY(keys_->isOpen());
        QVERIFY2(standIn_.start(), qPrintable(standIn_.error()));
        uploadFile_ = pryx::test::testRoot() + "/upload.png";
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(Qt::darkGreen);
        QVERIFY(img.save(uploadFile_));
    }
    void cleanupTestCase()
    {
        pryx_.stop();
        standIn_.stop();
        g_desk->stopCompositor();
        delete keys_;
    }
    void cleanup()
    {
        if (QTest::currentTestFailed()) {
            while (pryx_.process().waitForReadyRead(100)) {
            }
            const QByteArray out = pryx_.output();
            fprintf(stderr, "--- pryx output (last part) ---\n%s\n---\n", out.right(6000).constData());
        }
        pryx_.stop();
        standIn_.setScript({});
    }

    // Each window, without and with a compositing manager.
    void windowOnDesktop_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("compositor");
        for (const char *kind : {"main", "login", "settings", "upload", "last upload", "error", "message"}) {
            QTest::addRow("%s, no compositor", kind) << QString(kind) << false;
            QTest::addRow("%s, compositor", kind) << QString(kind) << true;
        }
    }
    void windowOnDesktop()
    {
        QFETCH(QString, kind);
        QFETCH(bool, compositor);
        QVERIFY(setCompositor(compositor));
        const WmDesktop::Window w = open(kind);
        QVERIFY2(w.id, qPrintable("no " + kind + " window on the screen"));
        checkWindow(kind, w, compositor);
        if (QTest::currentTestFailed())
            return;
        // Its close button (the window is closed, and freed when made for one
        // use, from inside the page's own click) leaves a running program.
        const int m = compositor ? kMargin : 0;
        g_desk->click(QPoint(w.geometry.right() - m - 15, w.geometry.top() + m + 15));
        QVERIFY(waitUntil([&] { return !findWindow(kind, 300).id; }, 5000));
        while (pryx_.process().waitForReadyRead(200)) {
        }
        QVERIFY(pryx_.running());
        QVERIFY(!pryx_.output().contains(kHandlerFault));
    }

    // The compositor starts and stops while the windows are open: the
    // margin comes and goes, the cards stay where they are, and the input
    // region follows.
    void compositorComesAndGoes()
    {
        QVERIFY(setCompositor(false));
        QVERIFY(startPryx(QString()));   // the login window in the middle, the main one in the corner
        const WmDesktop::Window main = findWindow("main");
        const WmDesktop::Window login = findWindow("login");
        QVERIFY(main.id && login.id);
        QCOMPARE(main.geometry.width(), 241);
        const QRect mainCard = main.geometry;
        const QRect loginCard = login.geometry;
        for (int round = 0; round < 2; ++round) {
            QVERIFY(setCompositor(true));
            for (const auto &[kind, card] : {std::pair{QString("main"), mainCard}, std::pair{QString("login"), loginCard}}) {
                QVERIFY(waitUntil([&] { return findWindow(kind, 500).geometry.width() == card.width() + 2 * kMargin; },
                                10000));
                const WmDesktop::Window now = findWindow(kind);
                QCOMPARE(now.geometry.adjusted(kMargin, kMargin, -kMargin, -kMargin), card);
                QCOMPARE(bounds(g_desk->inputShape(now.id)), QRect(kMargin, kMargin, card.width(), card.height()));
                QVERIFY(g_desk->topLevelAt(now.geometry.topLeft() + QPoint(5, 5)) != g_desk->topLevelOf(now.id));
            }
            g_desk->saveScreenshot(QStringLiteral("compositor-started-%1").arg(round));
            QVERIFY(setCompositor(false));
            for (const auto &[kind, card] : {std::pair{QString("main"), mainCard}, std::pair{QString("login"), loginCard}}) {
                QVERIFY(waitUntil([&] { return findWindow(kind, 500).geometry.width() == card.width(); }, 10000));
                const WmDesktop::Window now = findWindow(kind);
                QCOMPARE(now.geometry, card);
                QCOMPARE(bounds(g_desk->inputShape(now.id)), QRect(QPoint(), card.size()));
            }
            g_desk->movePointer(QPoint(300, 300));
            g_desk->settledGrab();
            g_desk->saveScreenshot(QStringLiteral("compositor-stopped-%1").arg(round));
        }
    }

    // With the main window open in the corner, a click on the tray icon
    // reaches the tray and starts a capture.
    void trayClickBesideMainWindow_data()
    {
        QTest::addColumn<bool>("compositor");
        QTest::newRow("no compositor") << false;
        QTest::newRow("compositor") << true;
    }
    void trayClickBesideMainWindow()
    {
        QFETCH(bool, compositor);
        QVERIFY(setCompositor(compositor));
        QVERIFY(startPryx("test-token"));
        QVERIFY(findWindow("main").id);
        QVERIFY(waitUntil([] { return g_desk->trayIcons("pryx").size() == 1; }, 10000));
        const QRect icon = g_desk->trayIcons("pryx").first();
        const int screens = pryx_.count(kScreen);
        g_desk->click(icon.center());
        QVERIFY2(pryx_.waitFor(kScreen, 10000, screens + 1), "the click did not reach the tray icon");
        // The capture surface opened; Escape closes it again.
        QVERIFY(waitUntil([this] { return surfaceShown(); }, 10000));
        const int gone = pryx_.count(kSurfaceGone);
        keys_->chord({kEscape});
        if (!pryx_.waitFor(kSurfaceGone, 5000, gone + 1)) {
            keys_->chord({kReturn});
            QVERIFY(pryx_.waitFor(kSurfaceGone, 5000, gone + 1));
        }
    }

    // The keyboard is held for the capture surface: Escape closes it even
    // when the focus has gone to another window of the program (here the
    // tray icon's, which the tray may focus on a click).
    void escapeReachesTheSurfaceWhateverHasTheFocus()
    {
        QVERIFY(setCompositor(false));
        QVERIFY(startPryx("test-token"));
        QVERIFY(findWindow("main").id);
        QVERIFY(waitUntil([] { return g_desk->trayIconWindows("pryx").size() == 1; }, 10000));
        const QString icon = QString::number(g_desk->trayIconWindows("pryx").first());
        const int screens = pryx_.count(kScreen);
        g_desk->click(g_desk->trayIcons("pryx").first().center());
        QVERIFY(pryx_.waitFor(kScreen, 10000, screens + 1));
        QVERIFY(waitUntil([this] { return surfaceShown(); }, 10000));
        auto xdotool = [](const QStringList &args) {
            const auto r = pryx::test::runChild("xdotool", args, 10000, g_desk->environment());
            return QString::fromLatin1(r.out.trimmed());
        };
        xdotool({"windowfocus", icon});
        QVERIFY(waitUntil([&] { return xdotool({"getwindowfocus", "-f"}) == icon; }, 5000));
        const int gone = pryx_.count(kSurfaceGone);
        keys_->chord({kEscape});
        QVERIFY2(pryx_.waitFor(kSurfaceGone, 5000, gone + 1), "Escape did not reach the surface");
    }

    // A button hovered when its window closed is not lit when the window
    // shows again.
    void noHoverLeftAfterReopen()
    {
        QVERIFY(setCompositor(false));
        QVERIFY(startPryx("test-token"));
        WmDesktop::Window main = findWindow("main");
        QVERIFY(main.id);
        g_desk->movePointer(QPoint(300, 300));
        const QRect card = main.geometry;
        const QImage before = g_desk->settledGrab().copy(card);
        // Settings closes the main window under the pointer.
        g_desk->movePointer(card.topLeft() + QPoint(170, 200));
        g_desk->click(card.topLeft() + QPoint(176, 204));
        WmDesktop::Window settings = findWindow("settings");
        QVERIFY(settings.id);
        QVERIFY(waitUntil([&] { return !findWindow("main", 300).id; }, 5000));
        // Closed with Escape; a middle click on the tray icon shows the main
        // window again, the pointer far away.
        g_desk->click(settings.geometry.center());
        keys_->chord({kEscape});
        QVERIFY(waitUntil([&] { return !findWindow("settings", 300).id; }, 5000));
        QVERIFY(waitUntil([] { return g_desk->trayIcons("pryx").size() == 1; }, 10000));
        g_desk->click(g_desk->trayIcons("pryx").first().center(), 2);
        g_desk->movePointer(QPoint(300, 300));
        main = findWindow("main");
        QVERIFY(main.id);
        QCOMPARE(main.geometry, card);
        const QImage after = g_desk->settledGrab().copy(card);
        g_desk->saveScreenshot("main-reopened");
        QCOMPARE(pryx::test::boundsOfChange(before, after), QRect());
    }

    // The accept menu of the capture toolbar: every entry's icon shows in
    // light strokes on the dark menu.
    void acceptMenuIcons()
    {
        QVERIFY(setCompositor(false));
        QVERIFY(startPryx("test-token"));
        QVERIFY(findWindow("main").id);
        const int screens = pryx_.count(kScreen);
        keys_->chord({kControl, kPrint});
        QVERIFY(pryx_.waitFor(kScreen, 10000, screens + 1));
        QVERIFY(waitUntil([this] { return surfaceShown(); }, 10000));
        g_desk->settledGrab();
        g_desk->drag(QPoint(300, 200), QPoint(900, 450));
        const QImage withBar = g_desk->settledGrab();
        // The toolbar's fill; the menu arrow is its right-most button.
        const QRect bar = pryx::test::boundsOfColour(withBar, 0x25282c, WmDesktop::leftMonitor());
        QVERIFY(!bar.isNull());
        g_desk->click(QPoint(bar.right() - 25, bar.top() + 41));
        g_desk->movePointer(QPoint(1500, 900));
        const QImage withMenu = g_desk->settledGrab();
        g_desk->saveScreenshot("accept-menu");
        // The menu: the same dark fill, above or below the bar.
        QRect menu = pryx::test::boundsOfColour(withMenu, 0x25282c, QRect(0, 0, 1920, bar.top() - 2));
        if (menu.isNull())
            menu = pryx::test::boundsOfColour(withMenu, 0x25282c, QRect(0, bar.bottom() + 2, 1920, 1080));
        QVERIFY2(menu.width() >= 270 && menu.height() >= 270, qPrintable(text(menu)));
        // Rows of 30 px from 20 px below the menu's top; the icon 12 px in.
        auto lightPixels = [&](int row) {
            int n = 0;
            const QRect icon(menu.left() + 12, menu.top() + 20 + row * 30 + 6, 18, 18);
            for (int y = icon.top(); y <= icon.bottom(); ++y)
                for (int x = icon.left(); x <= icon.right(); ++x) {
                    const QRgb c = withMenu.pixel(x, y);
                    n += qRed(c) > 170 && qGreen(c) > 170 && qBlue(c) > 170;
                }
            return n;
        };
        const int save = lightPixels(1);
        const int copy = lightPixels(2);
        QVERIFY2(save > 20, qPrintable(QString::number(save)));
        QVERIFY2(copy > save / 2, qPrintable(QStringLiteral("copy %1, save %2").arg(copy).arg(save)));
        keys_->chord({kEscape});
        keys_->chord({kEscape});
    }
};

int main(int argc, char **argv)
{
    return pryx::test::execOnDesktop<TestDesktopWindows>(argc, argv, g_desk, g_skip);
}

#include "tst_desktopwindows.moc"
