// The panorama tool on the capture page: the real engine scrolls a window of
// another process through the selection; the page shows the hint, the
// preview and the size bar while it runs, then the finished panorama in its
// own annotation area, which the rendered result includes.
#include "capture/ponorampreview.h"
#include "capture/surfaceselector.h"
#include "capture/surfacewidget.h"
#include "core/base/setting.h"
#include "editor/abstractgraphitem.h"
#include "editor/ppainterarea.h"
#include "support/capturefixtures.h"
#include "support/scrollwindow.h"

#include <QApplication>
#include <QBuffer>
#include <QQuickItem>
#include <QSignalSpy>
#include <QX11Info>
#include <QtTest>

namespace {

const QRect kWindow(300, 150, 240, 300);
const int kContent = 900;

QStringList g_messages;
QtMessageHandler g_previous = nullptr;

void collectMessages(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        g_messages << msg;
    if (g_previous && type != QtDebugMsg)
        g_previous(type, ctx, msg);
}

QImage rgb(const QImage &img) { return img.convertToFormat(QImage::Format_RGB32); }

} // namespace

class TstSurfacePanorama : public QObject
{
    Q_OBJECT

    pryx::test::ScrollWindowProcess win;
    FakeCore *core = nullptr;
    QPointer<SurfaceWidget> surface;

    QQuickItem *item(const char *name)
    {
        return surface->rootObject()->findChild<QQuickItem *>(QLatin1String(name));
    }
    PPainterArea *area(const char *name) { return qobject_cast<PPainterArea *>(item(name)); }

    // The surface with the scroll window selected.
    bool open()
    {
        surface = new SurfaceWidget(nullptr, core);
        core->attach(surface);
        surface->show();
        if (!QTest::qWaitForWindowExposed(surface))
            return false;
        surface->selector()->setRubberRect(kWindow.translated(-surface->desktopRect().topLeft()));
        return surface->selectRect() == kWindow.translated(-surface->desktopRect().topLeft());
    }
    // The page's answer to a click of the toolbar's "Ponoram" tool.
    void clickPonoramTool(bool check)
    {
        QQuickItem *bar = item("toolBar");
        QVERIFY(bar);
        QVERIFY(QMetaObject::invokeMethod(bar, "toolButtonTriggered", Q_ARG(QVariant, "Ponoram"),
                                          Q_ARG(QVariant, check)));
    }

private slots:
    void initTestCase()
    {
        if (!QX11Info::isPlatformX11())
            QSKIP("needs an X display");
        g_previous = qInstallMessageHandler(collectMessages);
        Setting::instance()->setValue("showCloseSurfaceWindow", "1");
    }
    void cleanupTestCase() { qInstallMessageHandler(g_previous); }

    void init()
    {
        QVERIFY(win.start(kWindow, kContent, 40));
        core = new FakeCore;
        g_messages.clear();
    }
    void cleanup()
    {
        delete surface.data();
        delete core;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        win.stop();
    }

    // Checking the tool shows the hint over the selection and hides the
    // capture's own area; the selection may not reach the preview's column.
    void hintBeforeTheStart()
    {
        QVERIFY(open());
        QQuickItem *hint = item("ponoramHint");
        QVERIFY(hint);
        QVERIFY(!hint->isVisible());
        PPainterArea *capture = area("PPainterArea");
        capture->setCurrentModule("Ponoram");
        QVERIFY(hint->isVisible());
        QVERIFY(!capture->isVisible());
        const QPointF centre = hint->mapToScene(QPointF(hint->width() / 2, hint->height() / 2));
        QCOMPARE(centre.toPoint(), QRectF(surface->selectRect()).center().toPoint());
        QCOMPARE(surface->selector()->property("maxSelectWidth").toInt(),
                 int(capture->width()) - int(item("ponoramPreview")->width()) - 10);
        QVERIFY(!item("ponoramPreview")->isVisible());
        QVERIFY(!item("ponoramView")->isVisible());
        capture->setCurrentModule("Line");
        QVERIFY(!hint->isVisible());
        QCOMPARE(surface->selector()->property("maxSelectWidth").toInt(), -1);
        QVERIFY2(g_messages.isEmpty(), qPrintable(g_messages.join('\n')));
    }

    // The whole road: the tool starts the engine over the window, the page
    // shows its progress, the engine stops at the end of the content and
    // the panorama opens over the selection, where it can be annotated.
    void runsToTheEndAndOpensTheResult()
    {
        QVERIFY(open());
        QSignalSpy complete(surface.data(), &SurfaceWidget::ponoramPixmapComplete);
        clickPonoramTool(true);
        QVERIFY(surface->isPonoramWork());
        QVERIFY(!surface->selector()->isVisible());
        QVERIFY(item("ponoramWork")->isVisible());
        auto *preview = qobject_cast<PonoramPreview *>(item("ponoramPreview"));
        QVERIFY(preview && preview->isVisible());
        QTRY_VERIFY(surface->ponoramSize().height() > kWindow.height());
        // Preview and size bar follow the growing image.
        QVERIFY(!preview->previewImage().isNull());
        const QSize size = surface->ponoramSize();
        QCOMPARE(size.width(), kWindow.width());
        QVERIFY(size.height() > kWindow.height());
        QCOMPARE(item("ponoramSizeText")->property("text").toString(),
                 QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
        QVERIFY(complete.wait(20000));
        QVERIFY(!surface->isPonoramWork());
        QVERIFY(!item("ponoramWork")->isVisible());
        QCOMPARE(win.position(), kContent - kWindow.height());

        const QImage want = pryx::test::scrollContent(kWindow.width(), kContent);
        QQuickItem *view = item("ponoramView");
        QVERIFY(view->isVisible());
        QCOMPARE(QRectF(view->x(), view->y(), view->width(), view->height()).toRect(),
                 surface->selectRect());
        PPainterArea *pano = area("ponoramPaintArea");
        QVERIFY(pano);
        QCOMPARE(surface->paintArea(), pano);
        QTRY_COMPARE(QSize(int(pano->width()), int(pano->height())), want.size());
        QVERIFY(item("ponoramScrollBar")->isVisible());
        // The page and requestBackground show the panorama.
        QImage shown;
        const QString url = surface->requestBackground();
        QVERIFY(shown.loadFromData(QByteArray::fromBase64(url.mid(22).toLatin1()), "PNG"));
        QCOMPARE(rgb(shown), want);
        QCOMPARE(rgb(surface->grabResult().toImage()), want);

        // A rectangle drawn on the panorama is in the result.
        pano->setCurrentModule("Rect");
        const QPoint at = surface->selectRect().topLeft();
        QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, at + QPoint(20, 20));
        QTest::mouseMove(surface, at + QPoint(60, 60));
        QTest::mouseMove(surface, at + QPoint(100, 100));
        QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, at + QPoint(100, 100));
        QCOMPARE(pano->findChildren<AbstractGraphItem *>().size(), 1);
        const QImage annotated = rgb(surface->grabResult().toImage());
        QCOMPARE(annotated.size(), want.size());
        QVERIFY(annotated != want);
        // Below the drawing the panorama is untouched.
        QCOMPARE(annotated.copy(0, 200, want.width(), want.height() - 200),
                 want.copy(0, 200, want.width(), want.height() - 200));
        QVERIFY2(g_messages.isEmpty(), qPrintable(g_messages.join('\n')));
    }

    // Unchecking the tool stops the run: what was gathered is the result.
    void stopGivesWhatWasGathered()
    {
        QVERIFY(open());
        QSignalSpy complete(surface.data(), &SurfaceWidget::ponoramPixmapComplete);
        QSignalSpy sizes(surface.data(), &SurfaceWidget::ponoramSizeChanged);
        clickPonoramTool(true);
        QTRY_VERIFY(surface->ponoramSize().height() > kWindow.height());
        clickPonoramTool(false);
        QCOMPARE(complete.count(), 1);
        QVERIFY(!surface->isPonoramWork());
        QVERIFY(item("ponoramView")->isVisible());
        const QImage got = rgb(surface->grabResult().toImage());
        QVERIFY(got.height() > kWindow.height() && got.height() < kContent);
        QCOMPARE(got, pryx::test::scrollContent(kWindow.width(), got.height()));
        // Once stopped no more ticks arrive.
        const int count = sizes.count();
        QTest::qWait(300);
        QCOMPARE(sizes.count(), count);
    }

    // Another tool cancels the run: no result, the capture goes on as before.
    void otherToolCancels()
    {
        QVERIFY(open());
        QSignalSpy complete(surface.data(), &SurfaceWidget::ponoramPixmapComplete);
        QSignalSpy sizes(surface.data(), &SurfaceWidget::ponoramSizeChanged);
        clickPonoramTool(true);
        QTRY_VERIFY(sizes.count() >= 1);
        QQuickItem *bar = item("toolBar");
        QVERIFY(QMetaObject::invokeMethod(bar, "toolButtonTriggered", Q_ARG(QVariant, "Line"),
                                          Q_ARG(QVariant, true)));
        QVERIFY(!surface->isPonoramWork());
        QTest::qWait(300);
        QCOMPARE(complete.count(), 0);
        QVERIFY(!item("ponoramView")->isVisible());
        QVERIFY(!item("ponoramPreview")->isVisible());
        QVERIFY(surface->selector()->isVisible());
        PPainterArea *capture = area("PPainterArea");
        QCOMPARE(surface->paintArea(), capture);
        QCOMPARE(capture->currentModuleName(), QString("Line"));
        QCOMPARE(surface->grabResult().size(), kWindow.size());
    }
};

PRYX_SCROLL_TEST_MAIN(TstSurfacePanorama)
#include "tst_surfacepanorama.moc"
