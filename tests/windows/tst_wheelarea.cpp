// The QML type WheelArea that Core registers: a page imports it from
// "PryxComponent" and gets the wheel turns over it, from real wheel buttons
// pressed through the X server.

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QtTest>

#include "core/core.h"
#include "windows/wheelarea.h"

namespace {

const char kPage[] = R"(import QtQuick 2.0
import PryxComponent 1.0
Rectangle {
    width: 240; height: 180; color: "white"
    WheelArea { objectName: "area"; anchors.fill: parent }
}
)";

bool xdotool(const QStringList &args)
{
    QProcess p;
    p.start("xdotool", args);
    return p.waitForFinished(10000) && p.exitCode() == 0;
}

} // namespace

class TestWheelArea : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Core::instance(); }

    // X buttons 4 and 5 turn the wheel up and down, 6 and 7 left and right.
    void wheelButtons_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("delta");
        QTest::newRow("up") << 4 << true << 120;
        QTest::newRow("down") << 5 << true << -120;
        QTest::newRow("left") << 6 << false << 120;
        QTest::newRow("right") << 7 << false << -120;
    }
    void wheelButtons()
    {
        QFETCH(int, button);
        QFETCH(bool, vertical);
        QFETCH(int, delta);

        const QString page = QDir::temp().filePath("wheelpage.qml");
        QFile f(page);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(kPage);
        f.close();

        QQuickView view;
        view.setSource(QUrl::fromLocalFile(page));
        QVERIFY2(view.status() == QQuickView::Ready, qPrintable(view.errors().value(0).toString()));
        auto *area = view.rootObject()->findChild<WheelArea *>("area");
        QVERIFY(area);
        view.setPosition(200, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QSignalSpy verticalTurns(area, &WheelArea::verticalWheel);
        QSignalSpy horizontalTurns(area, &WheelArea::horizontalWheel);
        const QPoint centre = view.mapToGlobal(QPoint(view.width() / 2, view.height() / 2));
        QVERIFY(xdotool({"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click",
                         QString::number(button)}));
        QSignalSpy &turns = vertical ? verticalTurns : horizontalTurns;
        QVERIFY(turns.wait(10000) || turns.count() > 0);
        QCOMPARE(turns.count(), 1);
        QCOMPARE(turns.first().at(0).toInt(), delta);
        QCOMPARE((vertical ? horizontalTurns : verticalTurns).count(), 0);

        // With Ctrl held the turn carries the modifier.
        QVERIFY(xdotool({"keydown", "ctrl", "click", QString::number(button), "keyup", "ctrl"}));
        QVERIFY(turns.wait(10000) || turns.count() > 1);
        QCOMPARE(turns.count(), 2);
        QCOMPARE(turns.at(1).at(1).toInt(), int(Qt::ControlModifier));
    }
};

QTEST_MAIN(TestWheelArea)
#include "tst_wheelarea.moc"
