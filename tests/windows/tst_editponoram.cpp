#include "windows/editponoramwidget.h"

#include "editor/items/arrowitem.h"
#include "editor/items/textitem.h"
#include "editor/ppainterarea.h"
#include "support/capturefixtures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QQuickItem>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

namespace {

QPixmap panorama(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256 + y / 256) * 40 % 256));
    return QPixmap::fromImage(img);
}

} // namespace

class TstEditPonoram : public QObject
{
    Q_OBJECT

    FakeCore core;
    EditPonoramWidget *open(const QPixmap &pxm)
    {
        core.calls.clear();
        auto *w = new EditPonoramWidget(pxm, nullptr, &core);
        w->showCentered();
        if (!QTest::qWaitForWindowExposed(w) || !QTest::qWaitForWindowActive(w))
            return nullptr;
        QTest::qWait(50);
        return w;
    }

private slots:
    void size_data()
    {
        QTest::addColumn<QSize>("image");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<bool>("verticalBar");
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QTest::newRow("narrow: 900 wide") << QSize(400, 300) << QSize(900, 502) << false;
        QTest::newRow("wider than 800") << QSize(1200, 500) << QSize(1300, 702) << false;
        QTest::newRow("taller than the screen") << QSize(600, 4000) << QSize(900, screen.height()) << true;
        QTest::newRow("wider than the screen") << QSize(2500, 300) << QSize(screen.width(), 502) << false;
    }
    void size()
    {
        QFETCH(QSize, image);
        QFETCH(QSize, window);
        QFETCH(bool, verticalBar);
        QScopedPointer<EditPonoramWidget> w(open(panorama(image.width(), image.height())));
        QVERIFY(w);
        QVERIFY(w->errors().isEmpty());
        QTRY_COMPARE(w->size(), window);
        // The whole window lies on the screen.
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        QTRY_VERIFY2(avail.contains(w->geometry()), qPrintable(QString("%1,%2").arg(w->x()).arg(w->y())));
        auto *bar = w->rootObject()->findChild<QQuickItem *>("verticalScrollBar");
        QVERIFY(bar);
        QCOMPARE(bar->isVisible(), verticalBar);
        auto *zoom = w->rootObject()->findChild<QQuickItem *>("zoomControl");
        QVERIFY(zoom);
        QCOMPARE(zoom->isVisible(), image.width() > w->maxWidth());
        QVERIFY(w->paintArea());
        QCOMPARE(QSize(int(w->paintArea()->width()), int(w->paintArea()->height())), image);
        auto *tools = w->rootObject()->findChild<QQuickItem *>("toolBar");
        QVERIFY(tools);
        QVERIFY(tools->isVisible());
        QVERIFY(tools->property("shortTool").toBool());
        auto *view = w->rootObject()->findChild<QQuickItem *>("imageView");
        QCOMPARE(tools->mapToScene(QPointF(0, 0)).y(), view->mapToScene(QPointF(0, view->height() + 10)).y());
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<QString>("call");
        QTest::addColumn<bool>("closes");
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        const Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
        QTest::newRow("Ctrl+Return uploads") << int(Qt::Key_Return) << ctrl << "screenUpload(0,0)" << true;
        QTest::newRow("Ctrl+Enter uploads") << int(Qt::Key_Enter) << ctrl << "screenUpload(0,0)" << true;
        QTest::newRow("Ctrl+S saves") << int(Qt::Key_S) << ctrl << "screenSaveToDisk" << true;
        QTest::newRow("Ctrl+Alt+V") << int(Qt::Key_V) << ctrlAlt << "screenPostVK" << true;
        QTest::newRow("Ctrl+Alt+O") << int(Qt::Key_O) << ctrlAlt << "screenPostOdnoklassniki" << true;
        QTest::newRow("Ctrl+Alt+F") << int(Qt::Key_F) << ctrlAlt << "screenPostFacebook" << true;
        QTest::newRow("Ctrl+Alt+T") << int(Qt::Key_T) << ctrlAlt << "screenPostTwitter" << true;
        QTest::newRow("Ctrl+Alt+E keeps it open") << int(Qt::Key_E) << ctrlAlt << "screenPostMail" << false;
        QTest::newRow("Ctrl+Shift+V does nothing") << int(Qt::Key_V)
                                                   << (Qt::ControlModifier | Qt::ShiftModifier) << "" << false;
        QTest::newRow("Escape closes") << int(Qt::Key_Escape) << Qt::KeyboardModifiers() << "" << true;
        QTest::newRow("Alt+F4 closes") << int(Qt::Key_F4) << Qt::KeyboardModifiers(Qt::AltModifier) << "" << true;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(QString, call);
        QFETCH(bool, closes);
        QScopedPointer<EditPonoramWidget> w(open(panorama(300, 200)));
        QVERIFY(w);
        QSignalSpy closed(w.data(), &EditPonoramWidget::closed);
        QTest::keyClick(w.data(), Qt::Key(key), mods);
        QCOMPARE(core.calls, call.isEmpty() ? QStringList() : QStringList{call});
        QCOMPARE(closed.count(), closes ? 1 : 0);
    }

    // What goes out is the annotated panorama at its full size.
    void copyPutsTheImageOnTheClipboard()
    {
        const QPixmap pxm = panorama(300, 1500);
        QScopedPointer<EditPonoramWidget> w(open(pxm));
        QVERIFY(w);
        QSignalSpy closed(w.data(), &EditPonoramWidget::closed);
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(w.data(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(closed.count(), 1);
        QTRY_VERIFY(!QGuiApplication::clipboard()->image().isNull());
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                 pxm.toImage().convertToFormat(QImage::Format_RGB32));
    }

    // A text item with a selection: Ctrl+C copies the text, editing goes on;
    // Escape first only unchecks the item, the next one closes.
    void textItemCopyAndEscape()
    {
        QScopedPointer<EditPonoramWidget> w(open(panorama(400, 300)));
        QVERIFY(w);
        QSignalSpy closed(w.data(), &EditPonoramWidget::closed);
        PPainterArea *area = w->paintArea();
        area->setProperty("currentModule", "Text");
        const QPoint at = area->mapToScene(QPointF(60, 100)).toPoint();
        QTest::mouseClick(w.data(), Qt::LeftButton, Qt::NoModifier, at);
        QTRY_VERIFY(qobject_cast<TextItem *>(area->currentItem()));
        auto *item = qobject_cast<TextItem *>(area->currentItem());
        for (char c : QByteArray("hello"))
            QTest::keyClick(w.data(), c);
        QTest::keyClick(w.data(), Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(w.data(), Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(item->text(), QStringLiteral("hello"));
        QCOMPARE(item->selectedText(), QStringLiteral("lo"));

        QTest::keyClick(w.data(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("lo"));
        QCOMPARE(closed.count(), 0);

        QTest::keyClick(w.data(), Qt::Key_Escape);
        QCOMPARE(closed.count(), 0);
        QVERIFY(!area->currentItem());
        QTest::keyClick(w.data(), Qt::Key_Escape);
        QCOMPARE(closed.count(), 1);
        QVERIFY(core.calls.isEmpty());
    }

    void accept()
    {
        QScopedPointer<EditPonoramWidget> w(open(panorama(300, 200)));
        QVERIFY(w);
        QSignalSpy closed(w.data(), &EditPonoramWidget::closed);
        QVERIFY(QMetaObject::invokeMethod(w.data(), "uploadScreen"));
        QCOMPARE(core.calls, QStringList{"screenUpload(0,0)"});
        QCOMPARE(closed.count(), 1);
        QVERIFY(w->requestBackground().startsWith("data:image/png;base64,"));
    }
};

QTEST_MAIN(TstEditPonoram)
#include "tst_editponoram.moc"
