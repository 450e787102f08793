// The annotation toolbar in a view of its own: start tool, tool buttons, the
// colour strip, the width slider, undo and the visibility rules.

#include <QColor>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTranslator>
#include <QtTest>

#include "core/base/setting.h"
#include "editor/tools/toolcatalog.h"

class ToolbarCore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString emptyString READ emptyString CONSTANT)
public:
    QString emptyString() const { return QString(); }
    Q_INVOKABLE bool is_mac() { return false; }
    Q_INVOKABLE QColor getColorFromX(int x) { return QColor(x & 0xff, 0, 0); }
};

class TestToolBar : public QObject
{
    Q_OBJECT
    ToolbarCore core;
    QScopedPointer<QQuickView> view;

    QQuickItem *page() const { return view->rootObject(); }
    // Searched through the visual tree: repeater rows are not QObject children.
    static QQuickItem *findIn(QQuickItem *item, const QString &name)
    {
        if (item->objectName() == name)
            return item;
        for (QQuickItem *child : item->childItems())
            if (QQuickItem *found = findIn(child, name))
                return found;
        return nullptr;
    }
    QQuickItem *find(const char *name) const
    {
        QQuickItem *item = findIn(page(), QString::fromLatin1(name));
        if (!item)
            qFatal("no item %s", name);
        return item;
    }
    QObject *area() const { return page()->findChild<QObject *>("area"); }

    bool open(const QString &lastTool, bool shortTool = false, const QString &panel = "1")
    {
        pryx::editor::ToolCatalog::registerType();
        Setting::instance()->setValue("lastGraphTools", lastTool);
        Setting::instance()->setValue("visibleColorPanel", panel);
        view.reset(new QQuickView);
        view->rootContext()->setContextProperty("core", &core);
        view->rootContext()->setContextProperty("settings", Setting::instance());
        view->rootContext()->setContextProperty("testShortTool", shortTool);
        view->setSource(QUrl("qrc:/toolbartest/ToolBarTestPage.qml"));
        if (view->status() != QQuickView::Ready) {
            qWarning() << view->errors();
            return false;
        }
        view->show();
        return QTest::qWaitForWindowExposed(view.data());
    }

    void click(QQuickItem *item, QPointF at = QPointF(-1, -1))
    {
        if (at.x() < 0)
            at = QPointF(item->width() / 2, item->height() / 2);
        QTest::mouseClick(view.data(), Qt::LeftButton, Qt::NoModifier, item->mapToScene(at).toPoint());
    }

private slots:
    void startTool_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("shortTool");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << "" << false << "Line";
        QTest::newRow("panorama") << "Ponoram" << false << "Line";
        QTest::newRow("stored tool") << "Rect" << false << "Rect";
        QTest::newRow("short bar") << "Rect" << true << "Pen";
    }
    void startTool()
    {
        QFETCH(QString, stored);
        QFETCH(bool, shortTool);
        QFETCH(QString, expected);
        QVERIFY(open(stored, shortTool));
        QCOMPARE(area()->property("currentModule").toString(), expected);
        QCOMPARE(find(qPrintable("tool" + expected))->property("check").toBool(), true);
    }

    // The buttons come from the tool registry: their order on the bar, and
    // their tooltips translated in the toolbar's own context.
    void buttonsInOrderWithTheirTooltips_data()
    {
        QTest::addColumn<bool>("russian");
        QTest::newRow("English") << false;
        QTest::newRow("Russian") << true;
    }
    void buttonsInOrderWithTheirTooltips()
    {
        QFETCH(bool, russian);
        QTranslator ru;
        if (russian) {
            QVERIFY(ru.load(QStringLiteral(":/translate/pryx.qm")));
            QCoreApplication::installTranslator(&ru);
        }
        const bool opened = open("Line");
        if (russian)
            QCoreApplication::removeTranslator(&ru);
        QVERIFY(opened);
        QStringList names;
        for (QQuickItem *button : find("toolButtons")->childItems())
            if (button->objectName().startsWith("tool"))
                names << button->property("name").toString();
        QCOMPARE(names, QStringList({"Move", "Pen", "Marker", "Line", "Arrow", "Text", "Ellipse", "Rect",
                                     "Counter", "Blur", "Blackout"}));
        QCOMPARE(find("toolBlur")->property("toolTipText").toString(),
                 russian ? QString::fromUtf8("<b>Инструмент «Размытие»</b>") : QString("<b>Tool Blur</b>"));
        QCOMPARE(find("toolBlur")->property("subToolTipText").toString(), QString());
        const QString rectDetail = find("toolRect")->property("subToolTipText").toString();
        if (russian)
            QVERIFY2(!rectDetail.contains("draw square"), qPrintable(rectDetail));
        else
            QCOMPARE(rectDetail, QString("+ Shift - draw square.\n+ Ctrl - draws a filled."));
    }

    void toolButtonsCheckAndUncheck()
    {
        QVERIFY(open("Line"));
        click(find("toolPen"));
        QCOMPARE(area()->property("currentModule").toString(), QString("Pen"));
        QVERIFY(find("toolPen")->property("check").toBool());
        QVERIFY(!find("toolLine")->property("check").toBool());

        // The checked button again: no tool at all.
        click(find("toolPen"));
        QCOMPARE(area()->property("currentModule").toString(), QString());
        QVERIFY(!find("toolPen")->property("check").toBool());
        QCOMPARE(page()->property("toolClicks").toStringList(),
                 QStringList({"Line:true", "Pen:true", "Pen:false"}));

        // The selection follows the area.
        area()->setProperty("currentModule", "Blur");
        QVERIFY(find("toolBlur")->property("check").toBool());
    }

    void colorStripClicks_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("expected");
        QTest::newRow("inside") << 100 << 95;
        QTest::newRow("left end") << 1 << -2;
        QTest::newRow("right end") << 339 << 326;
    }
    void colorStripClicks()
    {
        QFETCH(int, x);
        QFETCH(int, expected);
        QVERIFY(open("Line"));
        QQuickItem *strip = find("colorStrip");
        QVERIFY(strip->isVisible());
        QMetaObject::invokeMethod(find("bar"), "setColorLineX", Q_ARG(QVariant, 7));
        click(strip, QPointF(x, 3));   // above the marker's reach
        QCOMPARE(page()->property("colorX").toInt(), expected);
        QCOMPARE(page()->property("colorEnd").toInt(), expected);
        QCOMPARE(page()->property("colorEndOld").toInt(), 7);
        QCOMPARE(int(find("colorMarker")->x()), expected);
    }

    void storedPanelFlag_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("shown");
        QTest::newRow("0") << "0" << false;
        QTest::newRow("false") << "false" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("1") << "1" << true;
    }
    void storedPanelFlag()
    {
        QFETCH(QString, stored);
        QFETCH(bool, shown);
        QVERIFY(open("Line", false, stored));
        QCOMPARE(find("dropPanel")->isVisible(), shown);
        // The toggle stores the new state.
        click(find("dropPanelButton"));
        QCOMPARE(find("dropPanel")->isVisible(), !shown);
        QCOMPARE(Setting::instance()->getValue("visibleColorPanel").toBool(), !shown);
    }

    void visibilityRules_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<bool>("strip");
        QTest::addColumn<bool>("substrate");
        QTest::addColumn<bool>("width");
        QTest::newRow("line") << "Line" << true << false << true;
        QTest::newRow("text") << "Text" << true << true << true;
        QTest::newRow("blur") << "Blur" << false << false << true;
        QTest::newRow("blackout") << "Blackout" << false << false << true;
        QTest::newRow("panorama") << "Ponoram" << false << false << false;
    }
    void visibilityRules()
    {
        QFETCH(QString, tool);
        QFETCH(bool, strip);
        QFETCH(bool, substrate);
        QFETCH(bool, width);
        QVERIFY(open("Line"));
        area()->setProperty("currentModule", tool);
        QCOMPARE(find("colorStrip")->isVisible(), strip);
        QCOMPARE(find("substrateBox")->isVisible(), substrate);
        QCOMPARE(find("widthSlider")->property("enable").toBool(), width);
    }

    void substrateToggles()
    {
        QVERIFY(open("Text"));
        click(find("substrateBox"));
        QCOMPARE(page()->property("currentSubstrate").toBool(), true);
        click(find("substrateBox"));
        QCOMPARE(page()->property("currentSubstrate").toBool(), false);
    }

    void widthSlider()
    {
        QVERIFY(open("Line"));
        QQuickItem *slider = find("widthSlider");
        QCOMPARE(slider->property("value").toInt(), 6);   // the area's width
        // 4 px per unit, knob at x − 9: x 47 gives (38 + 2) / 4 + 2 = 12.
        click(slider, QPointF(47, slider->height() / 2));
        QCOMPARE(page()->property("widthValue").toInt(), 12);
        QCOMPARE(page()->property("widthEnd").toInt(), 12);
        QCOMPARE(page()->property("widthEndOld").toInt(), 6);
        // The slider follows the area.
        area()->setProperty("currentLineWidth", 20);
        QCOMPARE(slider->property("value").toInt(), 20);
    }

    void undoFollowsTheArea()
    {
        QVERIFY(open("Line"));
        QQuickItem *undo = find("undoButton");
        click(undo);
        QCOMPARE(area()->property("undos").toInt(), 0);
        area()->setProperty("canUndo", true);
        QVERIFY(undo->property("enable").toBool());
        click(undo);
        QCOMPARE(area()->property("undos").toInt(), 1);
    }

    void acceptAndMenu()
    {
        QVERIFY(open("Line"));
        click(find("acceptButton"));
        QCOMPARE(page()->property("accepts").toInt(), 1);
        QQuickItem *menu = find("toolBarMenu");
        QVERIFY(!menu->isVisible());
        click(find("menuButton"));
        QVERIFY(menu->isVisible());
        QVERIFY(menu->y() > 0);   // room below the bar
        click(find("menuButton"));
        QVERIFY(!menu->isVisible());
    }
};

QTEST_MAIN(TestToolBar)
#include "tst_toolbar.moc"
