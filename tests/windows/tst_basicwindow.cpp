// The window base: placement, drag band, Escape, mask, data and signals.
#include "windows/basicwindow.h"

#include "platform/desktoppanels.h"
#include "support/qmlstandins.h"

#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

class TestWindow : public BasicWindow
{
public:
    explicit TestWindow(const QString &page, bool movable = true) : page_(page)
    {
        setMovable(movable);
        setup();
    }
protected:
    void init() override
    {
        setFlags(Qt::Window | Qt::FramelessWindowHint);
        loadPage(page_);
    }
private:
    QString page_;
};

class TstBasicWindow : public QObject
{
    Q_OBJECT
    CoreStandIn core_;

    static void sendMouse(QWindow *w, QEvent::Type type, QPoint pos)
    {
        QMouseEvent e(type, pos, w->mapToGlobal(pos), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }

private slots:
    void initTestCase() { BasicWindow::setCoreObject(&core_); }

    // A 400 x 300 window (with its margin, when it has one).
    void placement_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<bool>("center");
        QTest::addColumn<int>("margin");
        QTest::addColumn<QVector<QRect>>("panels");
        QTest::addColumn<QPoint>("expected");
        const QVector<QRect> none;
        QTest::newRow("corner") << QRect(0, 0, 1920, 1040) << false << 30 << none << QPoint(1530, 750);
        QTest::newRow("centre") << QRect(0, 0, 1920, 1040) << true << 30 << none << QPoint(760, 370);
        // The primary screen need not start at the origin.
        QTest::newRow("corner, screen right of another") << QRect(1920, 0, 1920, 1040) << false << 30 << none
                                                         << QPoint(3450, 750);
        QTest::newRow("corner, panel at the top") << QRect(0, 40, 1920, 1040) << false << 30 << none
                                                  << QPoint(1530, 790);
        QTest::newRow("centre, shifted") << QRect(-1280, 100, 1280, 900) << true << 30 << none << QPoint(-840, 400);
        QTest::newRow("odd sizes round toward zero") << QRect(0, 0, 1921, 1041) << true << 30 << none
                                                     << QPoint(760, 370);
        // Without a margin the card itself keeps 20 px from the corner.
        QTest::newRow("corner, no margin") << QRect(0, 0, 1920, 1040) << false << 0 << none << QPoint(1500, 720);
        QTest::newRow("centre, no margin") << QRect(0, 0, 1920, 1040) << true << 0 << none << QPoint(760, 370);
        // A tray panel that reserves no space: the card moves up, 10 px clear.
        QTest::newRow("corner, tray panel below") << QRect(0, 0, 1920, 1080) << false << 0
                                                  << QVector<QRect>{QRect(1720, 1048, 200, 32)} << QPoint(1500, 738);
        QTest::newRow("corner, tray panel below, margin") << QRect(0, 0, 1920, 1080) << false << 30
                                                          << QVector<QRect>{QRect(1720, 1048, 200, 32)}
                                                          << QPoint(1530, 768);
        // A tall panel on the right edge: the short way is left.
        QTest::newRow("corner, panel on the right") << QRect(0, 0, 1920, 1080) << false << 0
                                                    << QVector<QRect>{QRect(1880, 0, 40, 1080)} << QPoint(1470, 760);
        // A panel elsewhere changes nothing.
        QTest::newRow("corner, panel on the other monitor") << QRect(0, 0, 1920, 1080) << false << 0
                                                            << QVector<QRect>{QRect(1920, 868, 1600, 32)}
                                                            << QPoint(1500, 760);
    }
    void placement()
    {
        QFETCH(QRect, available);
        QFETCH(bool, center);
        QFETCH(int, margin);
        QFETCH(QVector<QRect>, panels);
        QFETCH(QPoint, expected);
        const QPoint got = center ? BasicWindow::centerPosition(available, 400, 300)
                                  : BasicWindow::cornerPosition(available, 400, 300, margin, panels);
        QCOMPARE(got, expected);
    }

    void showPlacesOnPrimaryScreen()
    {
        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"));
        const int m = w.shadowMargin();
        const QSize size = QSize(400, 300) + QSize(2, 2) * m;
        QCOMPARE(w.size(), size);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(w.position(), BasicWindow::cornerPosition(area, size.width(), size.height(), m,
                                                           pryx::platform::desktopPanels()));
        w.setPosCenter(true);
        w.updatePos();
        QCOMPARE(w.position(), BasicWindow::centerPosition(area, size.width(), size.height()));
    }

    // The band is the card's 30-px title bar, under the margin when there
    // is one: y counts from the card's top.
    void dragBand_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("drags");
        QTest::newRow("0, the card's edge") << 0 << false;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("29") << 29 << true;
        QTest::newRow("30, below the title") << 30 << false;
        QTest::newRow("170, page body") << 170 << false;
    }
    void dragBand()
    {
        QFETCH(int, y);
        QFETCH(bool, drags);
        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"));
        y += w.shadowMargin();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.move(100, 100);
        const QPoint start = w.position();
        sendMouse(&w, QEvent::MouseButtonPress, QPoint(150, y));
        sendMouse(&w, QEvent::MouseMove, QPoint(200, y + 20));
        sendMouse(&w, QEvent::MouseButtonRelease, QPoint(200, y + 20));
        QCOMPARE(w.position(), drags ? start + QPoint(50, 20) : start);
        QCOMPARE(w.isMoved(), drags);
    }

    void fixedWindowDoesNotDrag()
    {
        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"), false);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QPoint start = w.position();
        const int title = w.shadowMargin() + 15;
        sendMouse(&w, QEvent::MouseButtonPress, QPoint(150, title));
        sendMouse(&w, QEvent::MouseMove, QPoint(200, title + 20));
        sendMouse(&w, QEvent::MouseButtonRelease, QPoint(200, title + 20));
        QCOMPARE(w.position(), start);
    }

    // A click on the title opens the service's page; a drag never does.
    void titleClickOpensServiceOnlyWithoutDrag()
    {
        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        core_.openedUrls.clear();
        const int t = w.shadowMargin() + 15;   // in the title bar
        sendMouse(&w, QEvent::MouseButtonPress, QPoint(150, t));
        sendMouse(&w, QEvent::MouseMove, QPoint(260, t + 50));
        sendMouse(&w, QEvent::MouseButtonRelease, QPoint(260, t + 50));
        QVERIFY(core_.openedUrls.isEmpty());
        // Dragged away and back to where it started: still a drag.
        sendMouse(&w, QEvent::MouseButtonPress, QPoint(150, t));
        sendMouse(&w, QEvent::MouseMove, QPoint(190, t + 10));
        sendMouse(&w, QEvent::MouseMove, QPoint(150, t));
        sendMouse(&w, QEvent::MouseButtonRelease, QPoint(150, t));
        QVERIFY(core_.openedUrls.isEmpty());
        sendMouse(&w, QEvent::MouseButtonPress, QPoint(150, t));
        sendMouse(&w, QEvent::MouseButtonRelease, QPoint(150, t));
        QCOMPARE(core_.openedUrls.size(), 1);
        QVERIFY(core_.openedUrls.first().startsWith("https://"));
    }

    void escapeCloses()
    {
        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSignalSpy closed(&w, &BasicWindow::closed);
        QTest::keyClick(&w, Qt::Key_A);
        QCOMPARE(closed.count(), 0);
        QTest::keyClick(&w, Qt::Key_Escape);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!w.isVisible());
    }

    void escapeAcceptedByTextFieldKeepsWindow()
    {
        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *field = w.rootObject()->findChild<QQuickItem *>("field");
        QVERIFY(field);
        field->forceActiveFocus();
        QVERIFY(field->hasActiveFocus());
        QSignalSpy closed(&w, &BasicWindow::closed);
        QTest::keyClick(&w, Qt::Key_Escape);
        QCOMPARE(closed.count(), 0);
        QVERIFY(w.isVisible());
    }

    void roundedMask()
    {
        QPixmap edge(QStringLiteral(":/image/image/image/rounded_edge.png"));
        QVERIFY(!edge.isNull());
        const QBitmap mask = BasicWindow::roundedMask(QSize(100, 80), edge);
        const QImage img = mask.toImage();
        auto set = [&](int x, int y) { return img.pixelIndex(x, y) == 1 || qGray(img.pixel(x, y)) < 128; };
        // The mask keeps color1 (shown) pixels; the corner pixels are holes.
        QVERIFY(!set(0, 0));
        QVERIFY(!set(99, 0));
        QVERIFY(!set(0, 79));
        QVERIFY(!set(99, 79));
        QVERIFY(set(50, 40));
        QVERIFY(set(0, 40));
        QVERIFY(set(99, 40));
        QVERIFY(set(50, 0));
        QVERIFY(set(50, 79));
        QVERIFY(set(5, 5));

        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRegion region = w.mask();
        QVERIFY(!region.isEmpty());
        QVERIFY(!region.contains(QPoint(0, 0)));
        QVERIFY(region.contains(QPoint(w.width() / 2, w.height() / 2)));
        QVERIFY(region.contains(QPoint(w.width() - 1, w.height() / 2)));
        QVERIFY(!region.contains(QPoint(w.width() - 1, 0)));
    }

    void dataStore()
    {
        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"));
        QVERIFY(w.data(QStringLiteral("missing")).isNull());
        QVERIFY(!w.data(QStringLiteral("missing")).isValid());
        QSignalSpy changed(&w, &BasicWindow::dataChanged);
        w.setData(QStringLiteral("k"), 5);
        w.setData(QStringLiteral("k"), QStringLiteral("six"));
        QCOMPARE(w.data(QStringLiteral("k")), QVariant(QStringLiteral("six")));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(1).at(0).toString(), QStringLiteral("k"));
    }

    void hideSignalOrder()
    {
        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QStringList order;
        connect(&w, &BasicWindow::geometryChanged, this, [&] { order << "geometryChanged"; });
        connect(&w, &BasicWindow::hided, this, [&] { order << "hided"; });
        w.hide();
        QCOMPARE(order, QStringList({"geometryChanged", "hided"}));
        QVERIFY(!w.isVisible());
    }

    void setHeightKeepsDraggedWindow()
    {
        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSignalSpy heights(&w, &BasicWindow::heightChanged);
        w.setHeight(500);
        QCOMPARE(heights.count(), 1);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        // The card 40 px from the right and 50 px from the bottom (with a
        // margin: the window 10 and 20 px).
        const int m = w.shadowMargin();
        QCOMPARE(w.position(), QPoint(area.right() + 1 - w.width() - 40 + m, area.bottom() + 1 - 500 - 50 + m));
        sendMouse(&w, QEvent::MouseButtonPress, QPoint(150, m + 15));
        sendMouse(&w, QEvent::MouseMove, QPoint(100, m + 10));
        sendMouse(&w, QEvent::MouseButtonRelease, QPoint(100, m + 10));
        const QPoint dragged = w.position();
        w.setHeight(420);
        QCOMPARE(w.position(), dragged);
    }

    // The program's folder is added to the import paths; Qt's own stay.
    void importPaths()
    {
        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"));
        const QStringList paths = w.engine()->importPathList();
        QVERIFY(paths.contains(QCoreApplication::applicationDirPath()));
        QVERIFY(paths.contains(QLibraryInfo::location(QLibraryInfo::Qml2ImportsPath)));
    }

    void programTypesRegistered()
    {
        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"));
        QQmlComponent c(w.engine());
        c.setData("import QtQuick 2.12\nimport PryxComponent 1.0\n"
                  "Item { CursorShapeArea { objectName: \"area\"; cursorShape: Qt.PointingHandCursor }\n"
                  "       property QtObject event: AnalyticsEvent {} }\n", QUrl());
        QScopedPointer<QObject> o(c.create());
        QVERIFY2(o, qPrintable(c.errorString()));
        QObject *area = o->findChild<QObject *>("area");
        QVERIFY(area);
        QCOMPARE(area->property("cursorShape").toInt(), int(Qt::PointingHandCursor));
    }

    // Every component on one page, without a warning; the picture goes to
    // the build folder's screenshots for a look.
    void componentGallery()
    {
        pryx::test::WarningCollector warnings;
        TestWindow w(QStringLiteral("qrc:/test/Gallery.qml"));
        QCOMPARE(w.status(), QQuickView::Ready);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::qWait(100);
        const QString dir = QStringLiteral(PRYX_BINARY_DIR) + "/screenshots";
        QDir().mkpath(dir);
        QVERIFY(w.grabWindow().save(dir + "/components.png"));
        QCOMPARE(warnings.take(), QStringList());
    }

    void mapToSceneSkipsRoot()
    {
        TestWindow w(QStringLiteral("qrc:/test/TextFieldPage.qml"));
        auto *field = w.rootObject()->findChild<QQuickItem *>("field");
        QVERIFY(field);
        // The field sits at (20, 50) of the card's content, the card inside
        // the margin.
        const int m = w.shadowMargin();
        QCOMPARE(w.mapToScene(field), QPointF(20 + m, 50 + m));
        QCOMPARE(w.mapToScenePoint(field, 60, 90), QPointF(40 - m, 40 - m));
    }
};

QTEST_MAIN(TstBasicWindow)
#include "tst_basicwindow.moc"
