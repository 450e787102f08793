// Many captures in a row leave nothing behind: twenty of each kind (surface
// closed with Escape from the X server, surface accepted, quick capture, full
// screen), every upload refused by the server, and afterwards no capture
// surface, no annotation area and no further window is alive; the captures
// that were not uploaded are offered for saving one question at a time.

#include <QApplication>
#include <QPointer>
#include <QQuickItem>
#include <QtTest>

#include <X11/keysym.h>

#include "capture/surfaceselector.h"
#include "capture/surfacewidget.h"
#include "core/base/setting.h"
#include "core/core.h"
#include "support/topwindows.h"
#include "support/xkeyclient.h"
#include "windows/errorwidget.h"
#include "windows/messagedialog.h"

using pryx::test::shownWindowsOf;
using pryx::test::windowsOf;

namespace {

// Failed capture uploads Core heard of, counted from its log.
QAtomicInt g_errorsShown;
QtMessageHandler g_previous = nullptr;

void countErrors(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    if (msg.contains(QLatin1String("Core::captureNotUploaded")))
        g_errorsShown.fetchAndAddRelaxed(1);
    if (g_previous && type != QtDebugMsg)
        g_previous(type, ctx, msg);
}

void flushDeletes()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

} // namespace

class TestCaptureGrowth : public QObject
{
    Q_OBJECT
    Core *core = nullptr;
    QList<QPointer<QObject>> made;   // every surface and its annotation area

    void set(const char *key, const QVariant &value)
    {
        Setting::instance()->setValue(QString::fromLatin1(key), value);
    }

    SurfaceWidget *opened()
    {
        const QList<SurfaceWidget *> list = windowsOf<SurfaceWidget>();
        if (list.size() != 1 || !QTest::qWaitForWindowExposed(list.first()))
            return nullptr;
        SurfaceWidget *s = list.first();
        made << QPointer<QObject>(s);
        if (s->paintArea())
            made << QPointer<QObject>(s->paintArea());
        return s;
    }

    bool gone(SurfaceWidget *s)
    {
        QPointer<SurfaceWidget> p(s);
        QElapsedTimer t;
        t.start();
        while (p && t.elapsed() < 15000)
            QTest::qWait(10);
        return p.isNull();
    }

    // One capture of the given kind, from opening to the surface's end.
    bool capture(int kind, pryx::test::XKeyClient &keys)
    {
        switch (kind) {
        case 0: {   // Escape from the keyboard
            core->fragmentScreen();
            SurfaceWidget *s = opened();
            if (!s)
                return false;
            s->requestActivate();
            if (!QTest::qWaitForWindowActive(s))
                return false;
            keys.press(XK_Escape);
            keys.release(XK_Escape);
            keys.sync();
            return gone(s);
        }
        case 1: {   // a selection, accepted
            core->fragmentScreen();
            SurfaceWidget *s = opened();
            if (!s)
                return false;
            s->selector()->setRubberRect(QRect(20, 20, 300, 200));
            s->uploadScreen();
            return gone(s);
        }
        case 2:     // quick capture: no surface at all
            core->quickScreen();
            return windowsOf<SurfaceWidget>().isEmpty();
        default: {  // the whole desktop, accepted
            core->fullScreen();
            SurfaceWidget *s = opened();
            if (!s)
                return false;
            QElapsedTimer t;
            t.start();
            while (s->selectRect().isEmpty() && t.elapsed() < 5000)
                QTest::qWait(10);
            s->uploadScreen();
            return gone(s);
        }
        }
    }

private slots:
    void initTestCase()
    {
        g_previous = qInstallMessageHandler(countErrors);
        QLoggingCategory::setFilterRules(QStringLiteral("pryx.core.debug=true"));
        core = Core::instance();
        // Nothing listens there: every upload fails with "Connection refused".
        core->setApiHost(QStringLiteral("127.0.0.1:9"));
        set("token", "secret-token");
        set("showCloseSurfaceWindow", false);
        set("qualityImage", 2);
        set("show_upload", false);
        set("show_last_upload", false);
        set("useSaveScreen", false);
        set("showActiveWindow", false);
    }

    void twentyCapturesOfEachKindLeaveNothingAlive()
    {
        pryx::test::XKeyClient keys;
        QVERIFY(keys.isOpen());
        // The first round makes what is kept for the whole run (the main
        // tool window); after it the set of windows may not grow.
        for (int kind = 0; kind < 4; ++kind)
            QVERIFY2(capture(kind, keys), qPrintable(QStringLiteral("kind %1, first round").arg(kind)));
        QTRY_VERIFY_WITH_TIMEOUT(!shownWindowsOf<MessageDialog>().isEmpty(), 15000);
        flushDeletes();
        QSet<QWindow *> kept;
        for (QWindow *w : QGuiApplication::topLevelWindows())
            if (!qobject_cast<MessageDialog *>(w))
                kept.insert(w);

        for (int round = 1; round < 20; ++round)
            for (int kind = 0; kind < 4; ++kind)
                QVERIFY2(capture(kind, keys), qPrintable(QStringLiteral("kind %1, round %2").arg(kind).arg(round + 1)));
        // Every upload of an image fails (sixty), then everything scheduled goes.
        QTRY_VERIFY_WITH_TIMEOUT(g_errorsShown.loadRelaxed() >= 60, 30000);
        QTest::qWait(200);
        QCOMPARE(g_errorsShown.loadRelaxed(), 60);
        flushDeletes();

        QVERIFY(windowsOf<SurfaceWidget>().isEmpty());
        for (const QPointer<QObject> &p : qAsConst(made))
            QVERIFY2(p.isNull(), p ? p->metaObject()->className() : "");
        QCOMPARE(made.size() >= 3 * 20, true);
        QSet<QWindow *> now;
        for (QWindow *w : QGuiApplication::topLevelWindows())
            if (!qobject_cast<MessageDialog *>(w))
                now.insert(w);
        QCOMPARE(now, kept);
        QVERIFY(windowsOf<ErrorWidget>().isEmpty());
        // Sixty captures not uploaded: one question at a time, each about its
        // own capture, which is still there; declined one after the other.
        QSet<QString> asked;
        for (int i = 0; i < 60; ++i) {
            QTRY_COMPARE(shownWindowsOf<MessageDialog>().size(), 1);
            MessageDialog *question = shownWindowsOf<MessageDialog>().first();
            QCOMPARE(windowsOf<MessageDialog>().size(), 1);
            QCOMPARE(question->data("message").toString(),
                     QStringLiteral("Connection refused. Save file to disk ?"));
            const QString file = question->property("captureFile").toString();
            QVERIFY2(QFile::exists(file), qPrintable(file));
            asked.insert(file);
            question->done(1);
            flushDeletes();
        }
        QCOMPARE(asked.size(), 60);
        QTest::qWait(200);
        QVERIFY(shownWindowsOf<MessageDialog>().isEmpty());
        QCOMPARE(windowsOf<MessageDialog>().size(), 0);
    }
};

QTEST_MAIN(TestCaptureGrowth)
#include "tst_capturegrowth.moc"
