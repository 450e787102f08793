// The capture surface on the suite's X display: what it shows, the mouse
// rules, the key and confirmation table, the mask and the magnifier.
#include "capture/magnifieritem.h"
#include "capture/surfaceselector.h"
#include "capture/surfacewidget.h"
#include "core/base/setting.h"
#include "editor/abstractgraphitem.h"
#include "editor/ppainterarea.h"
#include "platform/desktopgrab.h"
#include "support/capturefixtures.h"
#include "support/standin.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

namespace {

QStringList g_messages;
QtMessageHandler g_previous = nullptr;

void collectMessages(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        g_messages << msg;
    if (g_previous && type != QtDebugMsg)
        g_previous(type, ctx, msg);
}

QImage desktopPattern(const QSize &size)
{
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    for (int y = 0; y < size.height(); y += 64)
        for (int x = 0; x < size.width(); x += 64)
            p.fillRect(x, y, 64, 64, QColor((x * 7) % 256, (y * 5) % 256, ((x + y) * 3) % 256));
    p.fillRect(250, 250, 100, 100, QColor(0x12, 0xab, 0x34));
    p.fillRect(350, 250, 100, 100, QColor(0xff, 0x00, 0x00));
    return img;
}

// Runs an X client while this process keeps serving its event loop (the
// clipboard is answered from here).
QByteArray runXClient(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(5000))
        return "not started";
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < 10000)
        QTest::qWait(20);
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
        return "timed out";
    }
    return p.readAllStandardOutput();
}

} // namespace

class TstSurfaceWidget : public QObject
{
    Q_OBJECT

    FakeCore *core = nullptr;
    QPointer<SurfaceWidget> surface;
    PatternWindow *pattern = nullptr;

    SurfaceWidget *open()
    {
        surface = new SurfaceWidget(nullptr, core);
        core->attach(surface);
        surface->show();
        if (!QTest::qWaitForWindowExposed(surface))
            return nullptr;
        return surface;
    }
    SurfaceSelector *sel() { return surface->selector(); }
    void drawSelection(QPoint a, QPoint b, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseMove(surface, a);
        QTest::mousePress(surface, button, Qt::NoModifier, a);
        QTest::mouseMove(surface, (a + b) / 2);
        QTest::mouseMove(surface, b);
        QTest::mouseRelease(surface, button, Qt::NoModifier, b);
    }
    void setCloseAsk(bool on) { Setting::instance()->setValue("showCloseSurfaceWindow", on ? "1" : "0"); }
    // A key click that stops after the press when the press closed the
    // surface and Core's deferred deletion already freed it (QTest flushes
    // posted events after every key event).
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyPress(surface, k, mods);
        if (surface)
            QTest::keyRelease(surface, k, mods);
    }
    PPainterArea *realArea() { return qobject_cast<PPainterArea *>(surface->paintArea()); }
    // Draws a rectangle with the page's own area inside the selection
    // (100,100)-(400,350) and returns the new item.
    AbstractGraphItem *drawRect(PPainterArea *area)
    {
        drawSelection(QPoint(100, 100), QPoint(400, 350));
        area->setCurrentModule("Rect");
        QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
        QTest::mouseMove(surface, QPoint(200, 200));
        QTest::mouseMove(surface, QPoint(250, 250));
        QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, QPoint(250, 250));
        const QList<AbstractGraphItem *> items = area->findChildren<AbstractGraphItem *>();
        return items.size() == 1 ? items.first() : nullptr;
    }
    // Checks `item` the way the user does: a click on it with the Move tool.
    bool checkWithMove(PPainterArea *area, AbstractGraphItem *item)
    {
        area->setCurrentModule("Move");
        const QPoint on = item->mapToScene(QPointF(2, item->height() / 2)).toPoint();
        QTest::mouseMove(surface, on);
        QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, on);
        return item->isChecked();
    }

private slots:
    void initTestCase()
    {
        g_previous = qInstallMessageHandler(collectMessages);
        pattern = new PatternWindow(desktopPattern(pryx::platform::virtualDesktop().size()));
        pattern->setPosition(pryx::platform::virtualDesktop().topLeft());
        pattern->show();
        QVERIFY(QTest::qWaitForWindowExposed(pattern));
        QTest::qWait(100);
    }
    void cleanupTestCase()
    {
        delete pattern;
        qInstallMessageHandler(g_previous);
    }
    void init()
    {
        core = new FakeCore;
        setCloseAsk(true);
        Setting::instance()->setValue("showMagnifier", "1");
        // The pattern repaints once the last test's surface is gone.
        pattern->requestUpdate();
        QTest::qWait(300);
        g_messages.clear();
    }
    void cleanup()
    {
        delete surface.data();
        delete core;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::qWait(50);
    }

    void pageLoadsWithoutQmlMessages()
    {
        QVERIFY(open());
        QTest::qWait(50);
        QCOMPARE(surface->status(), QQuickView::Ready);
        QVERIFY(surface->errors().isEmpty());
        QVERIFY2(g_messages.isEmpty(), qPrintable(g_messages.join('\n')));
        QVERIFY(sel());
        QVERIFY(surface->rootObject()->findChild<MagnifierItem *>("MagnifierItem"));
        QCOMPARE(surface->flags() & Qt::WindowStaysOnTopHint, Qt::WindowStaysOnTopHint);
        QCOMPARE(surface->flags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
    }

    void coversDesktopWithFrozenPicture()
    {
        const QRect desk = pryx::platform::virtualDesktop();
        pattern->requestUpdate();
        QTest::qWait(200);
        const QImage before = pryx::platform::grabDesktop(desk);
        QVERIFY(!before.isNull());
        QVERIFY(open());
        QCOMPARE(surface->geometry(), desk);
        const QImage bg = surface->background().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(bg == before);
        // The desktop changes beneath; the surface keeps the old picture.
        pattern->image.fill(Qt::blue);
        pattern->requestUpdate();
        sel()->setVisible(false);
        QTest::qWait(200);
        const QImage shown = pryx::platform::grabDesktop(desk);
        QCOMPARE(shown.size(), before.size());
        QVERIFY(shown == before);
        pattern->image = desktopPattern(desk.size());
        pattern->requestUpdate();
    }

    void drawAndMoveWithoutTool()
    {
        QVERIFY(open());
        drawSelection(QPoint(100, 100), QPoint(300, 250));
        QCOMPARE(surface->selectRect(), QRect(100, 100, 200, 150));
        // Dragging inside with no tool moves the selection (the capture
        // opens with a tool).
        surface->paintArea()->setProperty("currentModule", QString());
        QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
        QTest::mouseMove(surface, QPoint(170, 160));
        QTest::mouseMove(surface, QPoint(200, 180));
        QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, QPoint(200, 180));
        QCOMPARE(surface->selectRect(), QRect(150, 130, 200, 150));
    }

    // The page's annotation area renders the result over the frozen desktop.
    void resultRenderedByTheArea()
    {
        QVERIFY(open());
        auto *area = qobject_cast<PPainterArea *>(surface->paintArea());
        QVERIFY(area);
        drawSelection(QPoint(240, 240), QPoint(440, 300));
        QCOMPARE(area->selectRect(), QRectF(240, 240, 200, 60));
        const QImage result = surface->grabResult().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage expected = surface->background().toImage().copy(240, 240, 200, 60)
                                    .convertToFormat(QImage::Format_RGB32);
        QCOMPARE(result.size(), QSize(200, 60));
        QVERIFY(result == expected);
        QCOMPARE(result.pixelColor(50, 30), QColor(0x12, 0xab, 0x34));
    }

    void dragWithToolDoesNotMove()
    {
        QVERIFY(open());
        FakeArea area(surface->rootObject());
        area.currentModule = "Pen";
        surface->setPaintArea(&area);
        drawSelection(QPoint(100, 100), QPoint(300, 250));
        QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
        QTest::mouseMove(surface, QPoint(200, 180));
        QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, QPoint(200, 180));
        QCOMPARE(surface->selectRect(), QRect(100, 100, 200, 150));
        surface->setPaintArea(nullptr);
    }

    void doubleClickExpandsAndCollapses()
    {
        QVERIFY(open());
        const QSize page = surface->size();
        QTest::mouseDClick(surface, Qt::LeftButton, Qt::NoModifier, QPoint(400, 400));
        QCOMPARE(surface->selectRect(), QRect(QPoint(0, 0), page));
        QTest::mouseDClick(surface, Qt::LeftButton, Qt::NoModifier, QPoint(400, 400));
        QCOMPARE(surface->selectRect().size(), QSize(0, 0));
        QVERIFY(!sel()->hasSelection());
        // A partial selection is left alone.
        drawSelection(QPoint(100, 100), QPoint(300, 250));
        QTest::mouseDClick(surface, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(surface->selectRect(), QRect(100, 100, 200, 150));
    }

    void rightReleaseUploadsOnlyWithSelection()
    {
        QVERIFY(open());
        QTest::mouseClick(surface, Qt::RightButton, Qt::NoModifier, QPoint(500, 500));
        QVERIFY(!core->calls.contains("screenUpload(0,0)"));
        drawSelection(QPoint(100, 100), QPoint(300, 250));
        QTest::mouseClick(surface, Qt::RightButton, Qt::NoModifier, QPoint(200, 200));
        QCOMPARE(core->calls.count("screenUpload(0,0)"), 1);
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<bool>("select");
        QTest::addColumn<bool>("ask");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("confirmation");
        const int C = Qt::ControlModifier, CS = Qt::ControlModifier | Qt::ShiftModifier;
        QTest::newRow("Ctrl+Enter") << int(Qt::Key_Enter) << C << true << true << QStringList{"screenUpload(0,0)"} << false;
        QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << C << true << true << QStringList{"screenUpload(0,0)"} << false;
        QTest::newRow("Ctrl+S") << int(Qt::Key_S) << C << true << true << QStringList{"screenSaveToDisk"} << false;
        QTest::newRow("Ctrl+Shift+V") << int(Qt::Key_V) << CS << true << true << QStringList{"screenPostVK"} << false;
        QTest::newRow("Ctrl+Shift+O") << int(Qt::Key_O) << CS << true << true << QStringList{"screenPostOdnoklassniki"} << false;
        QTest::newRow("Ctrl+Shift+F") << int(Qt::Key_F) << CS << true << true << QStringList{"screenPostFacebook"} << false;
        QTest::newRow("Ctrl+Shift+T") << int(Qt::Key_T) << CS << true << true << QStringList{"screenPostTwitter"} << false;
        QTest::newRow("Ctrl+Shift+E") << int(Qt::Key_E) << CS << true << true << QStringList{"screenPostMail"} << false;
        QTest::newRow("Ctrl+C copies the screen") << int(Qt::Key_C) << C << true << true << QStringList{"screenSaveToClipboard"} << false;
        QTest::newRow("Alt+F4") << int(Qt::Key_F4) << int(Qt::AltModifier) << true << true << QStringList{"closed", "closed"} << false;
        QTest::newRow("Escape asks with a selection") << int(Qt::Key_Escape) << 0 << true << true << QStringList{} << true;
        QTest::newRow("Escape closes without a selection") << int(Qt::Key_Escape) << 0 << false << true << QStringList{"closed", "closed"} << false;
        QTest::newRow("Escape closes at once when not asking") << int(Qt::Key_Escape) << 0 << true << false << QStringList{"closed", "closed"} << false;
        QTest::newRow("plain S does nothing") << int(Qt::Key_S) << 0 << true << true << QStringList{} << false;
        QTest::newRow("Ctrl+Enter without a selection does nothing") << int(Qt::Key_Enter) << C << false << true << QStringList{} << false;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(bool, select);
        QFETCH(bool, ask);
        QFETCH(QStringList, calls);
        QFETCH(bool, confirmation);
        setCloseAsk(ask);
        QVERIFY(open());
        if (select)
            drawSelection(QPoint(100, 100), QPoint(300, 250));
        this->key(Qt::Key(key), Qt::KeyboardModifiers(mods));
        QCOMPARE(core->calls, calls);
        if (surface)
            QCOMPARE(surface->visibleCloseWindow(), confirmation);
    }

    void undoRedoGoToTheArea()
    {
        QVERIFY(open());
        FakeArea area(surface->rootObject());
        surface->setPaintArea(&area);
        // Each shortcut also sends its analytics event (to the HTTPS stand-in).
        pryx::test::StandIn stats;
        QVERIFY2(stats.start(), qPrintable(stats.error()));
        qputenv("PRYX_ANALYTICS_HOST", stats.host().toLatin1());
        auto requests = [&stats] {
            QByteArray bodies;
            for (const pryx::test::StandInRequest &r : stats.requests())
                bodies += r.path + " " + r.body + "\n";
            return bodies;
        };
        key(Qt::Key_Z, Qt::ControlModifier);
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(area.calls, (QStringList{"checkUndo", "checkRedo"}));
        QTRY_VERIFY2(requests().contains("undo") && requests().contains("redo"), requests().constData());
        qunsetenv("PRYX_ANALYTICS_HOST");
        surface->setPaintArea(nullptr);
    }

    void escapeWithCheckedItemOnlyUnchecks()
    {
        QVERIFY(open());
        FakeArea area(surface->rootObject());
        FakeItem item(&area);
        item.checked = true;
        surface->setPaintArea(&area);
        drawSelection(QPoint(100, 100), QPoint(300, 250));
        key(Qt::Key_Escape);
        QCOMPARE(area.calls, QStringList{"clearSelection"});
        QVERIFY(!surface->visibleCloseWindow());
        key(Qt::Key_Escape);
        QVERIFY(surface->visibleCloseWindow());
        surface->setPaintArea(nullptr);
    }

    // The page's own annotation area (not a stand-in): Escape, the rendered
    // result and the copy each uncheck the checked item first; an Escape
    // that unchecked asks nothing, the next one asks.
    void realAreaUnchecksFirst_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("Escape") << "escape";
        QTest::newRow("rendered result") << "grab";
        QTest::newRow("copy") << "copy";
    }
    void realAreaUnchecksFirst()
    {
        QFETCH(QString, action);
        QVERIFY(open());
        PPainterArea *area = realArea();
        QVERIFY(area);
        AbstractGraphItem *item = drawRect(area);
        QVERIFY(item);
        QVERIFY(checkWithMove(area, item));
        QCOMPARE(area->checkedItem(), item);
        g_messages.clear();
        if (action == "escape") {
            key(Qt::Key_Escape);
            QVERIFY(!item->isChecked());
            QVERIFY(!surface->visibleCloseWindow());
            QVERIFY(core->calls.isEmpty());
            key(Qt::Key_Escape);
            QVERIFY(surface->visibleCloseWindow());
        } else if (action == "grab") {
            QVERIFY(!surface->grabResult().isNull());
            QVERIFY(!item->isChecked());
        } else {
            surface->screenSaveToClipboard();
            QVERIFY(!item->isChecked());
            QCOMPARE(core->calls, QStringList{"screenSaveToClipboard"});
        }
        QVERIFY2(g_messages.isEmpty(), qPrintable(g_messages.join('\n')));
    }

    // Releasing Space with a drawn item current switches to the Move tool
    // and back to the tool before it.
    void realAreaSpaceTogglesMove()
    {
        QVERIFY(open());
        PPainterArea *area = realArea();
        QVERIFY(area);
        AbstractGraphItem *item = drawRect(area);
        QVERIFY(item);
        QCOMPARE(area->currentItem(), item);
        QCOMPARE(area->currentModuleName(), QString("Rect"));
        key(Qt::Key_Space);
        QCOMPARE(area->currentModuleName(), QString("Move"));
        key(Qt::Key_Space);
        QCOMPARE(area->currentModuleName(), QString("Rect"));
        QVERIFY2(g_messages.isEmpty(), qPrintable(g_messages.join('\n')));
    }

    // Escape belongs to the C++ side alone: while the confirmation shows it
    // hides it once, and the surface neither closes nor asks again.
    void confirmationKeys()
    {
        QVERIFY(open());
        drawSelection(QPoint(100, 100), QPoint(300, 250));
        key(Qt::Key_Escape);
        QVERIFY(surface->visibleCloseWindow());
        QQuickItem *dialog = surface->rootObject()->findChild<QQuickItem *>("closeWindow");
        QVERIFY(dialog && dialog->isVisible());
        key(Qt::Key_S, Qt::ControlModifier);
        key(Qt::Key_C, Qt::ControlModifier);
        key(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        key(Qt::Key_F4, Qt::AltModifier);
        QVERIFY(core->calls.isEmpty());
        key(Qt::Key_Escape);
        QVERIFY(!surface->visibleCloseWindow());
        QVERIFY(!dialog->isVisible());
        QVERIFY(core->calls.isEmpty());
        // Asked again, Enter closes.
        key(Qt::Key_Escape);
        QVERIFY(surface->visibleCloseWindow());
        key(Qt::Key_Return);
        QVERIFY(core->calls.contains("closed"));
    }

    void confirmationEscapeIgnoredWhenNotAsking()
    {
        QVERIFY(open());
        drawSelection(QPoint(100, 100), QPoint(300, 250));
        key(Qt::Key_Escape);
        QVERIFY(surface->visibleCloseWindow());
        setCloseAsk(false);
        key(Qt::Key_Escape);
        QVERIFY(surface->visibleCloseWindow());
        QVERIFY(core->calls.isEmpty());
    }

    void confirmationPlacedOnPrimary()
    {
        QVERIFY(open());
        drawSelection(QPoint(100, 100), QPoint(300, 250));
        key(Qt::Key_Escape);
        QQuickItem *dialog = surface->rootObject()->findChild<QQuickItem *>("closeWindow");
        const QRect prim = QGuiApplication::primaryScreen()->geometry().translated(-surface->desktopRect().topLeft());
        QCOMPARE(QPointF(dialog->x(), dialog->y()),
                 QPointF(prim.x() + prim.width() / 2 - 220, prim.y() + prim.height() / 2 - 125));
    }

    // Mended: a zero-width selection is never handed on as a capture.
    void degenerateSelectionIsNotAccepted()
    {
        QVERIFY(open());
        drawSelection(QPoint(100, 100), QPoint(100, 300));
        QVERIFY(sel()->hasSelection());
        key(Qt::Key_Enter, Qt::ControlModifier);
        key(Qt::Key_S, Qt::ControlModifier);
        QTest::mouseClick(surface, Qt::RightButton, Qt::NoModifier, QPoint(500, 500));
        surface->uploadScreen();
        surface->saveScreen();
        surface->screenSaveToClipboard();
        QVERIFY2(core->calls.isEmpty(), qPrintable(core->calls.join(',')));
        QVERIFY(surface && surface->isVisible());
        QVERIFY(surface->grabResult().isNull());
    }

    // Mended: closing during the copy wait neither frees the surface under
    // the running handler nor sends Core a copy that would build a new one.
    void closeDuringCopyWait()
    {
        QVERIFY(open());
        drawSelection(QPoint(100, 100), QPoint(300, 250));
        QTimer::singleShot(50, surface, [this] { surface->close(); });
        key(Qt::Key_C, Qt::ControlModifier);
        QVERIFY(!core->calls.contains("screenSaveToClipboard"));
        QVERIFY(!core->calls.contains("screenSaveToClipboard without surface"));
        QVERIFY(core->calls.contains("closed"));
        QTRY_VERIFY(surface.isNull());
    }

    void spaceMovesWhileDrawing()
    {
        QVERIFY(open());
        QTest::mouseMove(surface, QPoint(100, 100));
        QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QTest::mouseMove(surface, QPoint(200, 200));
        QTest::keyPress(surface, Qt::Key_Space);
        QVERIFY(sel()->moveMode());
        QTest::mouseMove(surface, QPoint(300, 350));
        QTest::keyRelease(surface, Qt::Key_Space);
        QVERIFY(!sel()->moveMode());
        QTest::mouseMove(surface, QPoint(400, 420));
        QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, QPoint(400, 420));
        QCOMPARE(surface->selectRect(), QRect(200, 250, 200, 170));
    }

    // Mended: auto-repeated releases of Space do not flip the tool again.
    void spaceAutoRepeatTogglesOnce()
    {
        QVERIFY(open());
        FakeArea area(surface->rootObject());
        FakeItem item(&area);
        area.currentItem = &item;
        surface->setPaintArea(&area);
        drawSelection(QPoint(100, 100), QPoint(300, 250));
        auto send = [this](QEvent::Type t, bool rep) {
            QKeyEvent e(t, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), rep);
            QCoreApplication::sendEvent(surface, &e);
        };
        send(QEvent::KeyPress, false);
        for (int i = 0; i < 5; ++i) {
            send(QEvent::KeyRelease, true);
            send(QEvent::KeyPress, true);
        }
        send(QEvent::KeyRelease, false);
        QCOMPARE(area.calls.count("selectLastModule"), 1);
        // A text item keeps its tool.
        item.itemName = "Text";
        send(QEvent::KeyPress, false);
        send(QEvent::KeyRelease, false);
        QCOMPARE(area.calls.count("selectLastModule"), 1);
        surface->setPaintArea(nullptr);
    }

    void ctrlCWithTextItemCopiesText()
    {
        QVERIFY(open());
        FakeArea area(surface->rootObject());
        FakeItem item(&area);
        item.itemName = "Text";
        item.selection = "hello text";
        area.currentItem = &item;
        surface->setPaintArea(&area);
        drawSelection(QPoint(100, 100), QPoint(300, 250));
        key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("hello text"));
        QVERIFY(core->calls.isEmpty());
        QVERIFY(surface && surface->isVisible());
        surface->setPaintArea(nullptr);
    }

    void magnifierShowsPixelsAndColour()
    {
        QVERIFY(open());
        auto *mag = surface->rootObject()->findChild<MagnifierItem *>("MagnifierItem");
        QVERIFY(mag);
        // The cursor on the border of the green and the red square.
        QTest::mouseMove(surface, QPoint(349, 300));
        QTest::mouseMove(surface, QPoint(350, 300));
        QTRY_COMPARE(sel()->gx(), 350);
        mag->update();
        QTRY_COMPARE(mag->currentColor(), QStringLiteral("#ff0000"));
        QTest::qWait(50);
        const QImage shot = surface->grabWindow();
        const QPointF at = mag->mapToScene(QPointF(0, 0));
        const int x0 = int(at.x()), y0 = int(at.y());
        // Left half green (the 10 columns left of the cursor), right half red.
        QCOMPARE(shot.pixelColor(x0 + 15, y0 + 20), QColor(0x12, 0xab, 0x34));
        QCOMPARE(shot.pixelColor(x0 + 55, y0 + 20), QColor(0xff, 0x00, 0x00));
        QTest::mouseMove(surface, QPoint(300, 300));
        QTRY_COMPARE(sel()->gx(), 300);
        mag->update();
        QTRY_COMPARE(mag->currentColor(), QStringLiteral("#12ab34"));
    }

    void magnifierColourSignalOncePerColour()
    {
        MagnifierItem mag;
        QImage img(100, 100, QImage::Format_RGB32);
        img.fill(QColor("#336699"));
        mag.setBackground(QPixmap::fromImage(img));
        mag.setSize(QSizeF(70, 70));
        QSignalSpy spy(&mag, &MagnifierItem::currentColorChange);
        QSignalSpy gx(&mag, &MagnifierItem::gxChanged);
        QSignalSpy gy(&mag, &MagnifierItem::gyChanged);
        QImage out(70, 70, QImage::Format_ARGB32_Premultiplied);
        for (int i = 0; i < 5; ++i) {
            mag.setGy(40 + i);
            QPainter p(&out);
            mag.paint(&p);
        }
        QCOMPARE(spy.count(), 1);
        QCOMPARE(mag.currentColor(), QStringLiteral("#336699"));
        QCOMPARE(gx.count(), 0);
        QCOMPARE(gy.count(), 5);
        // At the edge the cursor pixel stays in the centre.
        img.setPixelColor(0, 0, QColor("#fe0102"));
        mag.setBackground(QPixmap::fromImage(img));
        mag.setGx(0);
        mag.setGy(0);
        QPainter p(&out);
        mag.paint(&p);
        QCOMPARE(mag.currentColor(), QStringLiteral("#fe0102"));
    }

    void ctrlCCopiesColourForOtherProcesses()
    {
        if (QStandardPaths::findExecutable("xclip").isEmpty())
            QSKIP("xclip is not installed");
        QVERIFY(open());
        QTest::mouseMove(surface, QPoint(299, 300));
        QTest::mouseMove(surface, QPoint(300, 300));
        QTRY_COMPARE(sel()->gx(), 300);
        auto *mag = surface->rootObject()->findChild<MagnifierItem *>("MagnifierItem");
        mag->update();
        QTRY_COMPARE(mag->currentColor(), QStringLiteral("#12ab34"));
        key(Qt::Key_C, Qt::ControlModifier);
        QVERIFY(core->calls.contains("closed"));
        QCOMPARE(runXClient("xclip", {"-o", "-selection", "clipboard"}), QByteArray("12ab34"));
    }

    // Mended: with no colour known the clipboard keeps what it had.
    void ctrlCWithoutColourKeepsClipboard()
    {
        Setting::instance()->setValue("showMagnifier", "0");
        QGuiApplication::clipboard()->setText("keep me");
        QVERIFY(open());
        auto *mag = surface->rootObject()->findChild<MagnifierItem *>("MagnifierItem");
        QVERIFY(!mag->isVisible());
        key(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("keep me"));
        QVERIFY(core->calls.contains("closed"));
    }

    // With the mask on, a click inside the selection reaches the window
    // below; outside it the surface still takes it. Input through XTest.
    void maskLetsClicksThrough()
    {
        if (QStandardPaths::findExecutable("xdotool").isEmpty())
            QSKIP("xdotool is not installed");
        QVERIFY(open());
        drawSelection(QPoint(100, 100), QPoint(300, 250));
        surface->setEnableMask(true);
        QTest::qWait(100);
        const int before = pattern->presses;
        const QPoint inside = surface->desktopRect().topLeft() + QPoint(200, 180);
        runXClient("xdotool", {"mousemove", QString::number(inside.x()), QString::number(inside.y()),
                               "click", "1"});
        QTRY_COMPARE(pattern->presses, before + 1);
        const QPoint outside = surface->desktopRect().topLeft() + QPoint(600, 600);
        runXClient("xdotool", {"mousemove", QString::number(outside.x()), QString::number(outside.y()),
                               "click", "1"});
        QTest::qWait(200);
        QCOMPARE(pattern->presses, before + 1);
        surface->setEnableMask(false);
        QTest::qWait(100);
        runXClient("xdotool", {"mousemove", QString::number(inside.x()), QString::number(inside.y()),
                               "click", "1"});
        QTest::qWait(200);
        QCOMPARE(pattern->presses, before + 1);
    }

    void quickFlagUploadsAtOnce()
    {
        QVERIFY(open());
        surface->setQuickScreen(true);
        surface->checkProperties();
        QCOMPARE(core->calls, QStringList{"screenUpload(0,0)"});
    }

    void fullscreenFlagSelectsAll()
    {
        surface = new SurfaceWidget(nullptr, core);
        core->attach(surface);
        surface->setFullscreen(true);
        surface->show();
        QVERIFY(QTest::qWaitForWindowExposed(surface));
        QTRY_COMPARE(surface->selectRect(), QRect(QPoint(0, 0), surface->size()));
        QVERIFY(sel()->showToolBar());
    }

    void closeEmitsClosedAndStaysUntilDeleted()
    {
        QVERIFY(open());
        QSignalSpy spy(surface, &SurfaceWidget::closed);
        surface->close();
        QCOMPARE(spy.count(), 2);
    }

    void requestBackgroundIsPngDataUrl()
    {
        QVERIFY(open());
        const QString url = surface->requestBackground();
        QVERIFY(url.startsWith("data:image/png;base64,"));
        QImage img;
        QVERIFY(img.loadFromData(QByteArray::fromBase64(url.mid(22).toLatin1()), "PNG"));
        QCOMPARE(img.size(), surface->background().size());
    }

    void showOnWindowWritesInfoAndSelects()
    {
        QVERIFY(open());
        QImage img(50, 40, QImage::Format_RGB32);
        img.fill(Qt::green);
        surface->showOnWindow(0, QRect(10, 20, 30, 40), QPixmap::fromImage(img));
        QFile f(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Pryx/screen_info.log");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("index = 0\nrect = 10:20 30x40"));
        QCOMPARE(surface->selectRect(), QRect(10, 20, 30, 40));
        QCOMPARE(surface->background().size(), QSize(50, 40));
    }
};

QTEST_MAIN(TstSurfaceWidget)
#include "tst_surfacewidget.moc"
