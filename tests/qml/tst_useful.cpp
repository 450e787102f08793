// The page helpers of useful.js, and the hotkey input built on them.
#include "windows/basicwindow.h"

#include "support/qmlstandins.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTranslator>
#include <QtTest>

#include "core/base/setting.h"
#include "core/base/settingdefaults.h"

class TstUseful : public QObject
{
    Q_OBJECT
    CoreStandIn core_;
    QQmlEngine engine_;
    QObject *fn_ = nullptr;

    QVariant call(const char *name, QVariant a, QVariant b = QVariant())
    {
        QVariant out;
        const bool ok = b.isValid()
            ? QMetaObject::invokeMethod(fn_, name, Q_RETURN_ARG(QVariant, out), Q_ARG(QVariant, a), Q_ARG(QVariant, b))
            : QMetaObject::invokeMethod(fn_, name, Q_RETURN_ARG(QVariant, out), Q_ARG(QVariant, a));
        return ok ? out : QVariant(QStringLiteral("<call failed>"));
    }

private slots:
    void initTestCase()
    {
        engine_.rootContext()->setContextProperty(QStringLiteral("core"), &core_);
        engine_.rootContext()->setContextProperty(QStringLiteral("settings"), Setting::instance());
        QQmlComponent c(&engine_);
        c.setData("import QtQuick 2.12\n"
                  "import \"qrc:/qml/qml/Component/useful.js\" as Fn\n"
                  "QtObject {\n"
                  "  function keyText(k) { return Fn.getKeyText(k) }\n"
                  "  function hoot(mods, key) { var r = Fn.getHootKey({modifiers: mods, key: key});"
                  "    return r === \"\" ? \"<none>\" : r[0] + \"|\" + r[1] }\n"
                  "  function size(s, d) { return d === undefined ? Fn.sizeToString(s) : Fn.sizeToString(s, d) }\n"
                  "  function sizeDropbox(s) { return Fn.sizeToStringDropbox(s) }\n"
                  "  function flag(v) { return Fn.flag(v) }\n"
                  "}\n",
                  QUrl(QStringLiteral("qrc:/test/helpers.qml")));
        fn_ = c.create();
        QVERIFY2(fn_, qPrintable(c.errorString()));
    }
    void cleanupTestCase() { delete fn_; }

    // The pages read a stored flag as the settings store does.
    void flag_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("on");
        QTest::newRow("missing") << QVariant() << false;
        QTest::newRow("empty") << QVariant(QString("")) << false;
        QTest::newRow("0") << QVariant(QString("0")) << false;
        QTest::newRow("false") << QVariant(QString("false")) << false;
        QTest::newRow("FALSE") << QVariant(QString("FALSE")) << false;
        QTest::newRow("False") << QVariant(QString("False")) << false;
        QTest::newRow("1") << QVariant(QString("1")) << true;
        QTest::newRow("true") << QVariant(QString("true")) << true;
        QTest::newRow("other text") << QVariant(QString("no")) << true;
        QTest::newRow("blank 0") << QVariant(QString(" 0")) << true;
        QTest::newRow("int 0") << QVariant(0) << false;
        QTest::newRow("int 7") << QVariant(7) << true;
        QTest::newRow("bool false") << QVariant(false) << false;
        QTest::newRow("bool true") << QVariant(true) << true;
    }
    void flag()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, on);
        QCOMPARE(pryx::settings::isOn(value), on);
        QCOMPARE(call("flag", value), QVariant(on));
        // Through the store, which hands numbers back as text after a restart.
        Setting::instance()->setValue(QStringLiteral("testFlag"), value);
        QCOMPARE(Setting::instance()->flag(QStringLiteral("testFlag")), on);
        QCOMPARE(call("flag", Setting::instance()->getValue(QStringLiteral("testFlag"))), QVariant(on));
    }

    void keyText_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("F1") << int(Qt::Key_F1) << "F1";
        QTest::newRow("F12") << int(Qt::Key_F12) << "F12";
        QTest::newRow("F13 unknown") << int(Qt::Key_F13) << "";
        QTest::newRow("0") << int(Qt::Key_0) << "0";
        QTest::newRow("9") << int(Qt::Key_9) << "9";
        QTest::newRow("A") << int(Qt::Key_A) << "A";
        QTest::newRow("Z") << int(Qt::Key_Z) << "Z";
        QTest::newRow("Print") << int(Qt::Key_Print) << "Print";
        QTest::newRow("Enter") << int(Qt::Key_Enter) << "Enter";
        QTest::newRow("Return") << int(Qt::Key_Return) << "Enter";
        QTest::newRow("Space") << int(Qt::Key_Space) << "";
        QTest::newRow("Shift alone") << int(Qt::Key_Shift) << "";
        QTest::newRow("Escape") << int(Qt::Key_Escape) << "";
    }
    void keyText()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QCOMPARE(call("keyText", key).toString(), text);
    }

    void hootKey_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("Ctrl+Shift+P: Shift first") << int(Qt::ControlModifier | Qt::ShiftModifier) << int(Qt::Key_P) << "Shift + Ctrl|P";
        QTest::newRow("plain letter") << 0 << int(Qt::Key_P) << "<none>";
        QTest::newRow("keypad only") << int(Qt::KeypadModifier) << int(Qt::Key_5) << "<none>";
        QTest::newRow("Alt+F4") << int(Qt::AltModifier) << int(Qt::Key_F4) << "Alt|F4";
        QTest::newRow("all three") << int(Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier) << int(Qt::Key_1) << "Shift + Ctrl + Alt|1";
        QTest::newRow("modifier key itself") << int(Qt::ControlModifier) << int(Qt::Key_Control) << "Ctrl|";
    }
    void hootKey()
    {
        QFETCH(int, modifiers);
        QFETCH(int, key);
        QFETCH(QString, text);
        QCOMPARE(call("hoot", modifiers, key).toString(), text);
    }

    void sizes_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<double>("bytes");
        QTest::addColumn<QVariant>("digits");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << "size" << 0.0 << QVariant() << "0.00 KB";
        QTest::newRow("1 KB") << "size" << 1024.0 << QVariant() << "1.00 KB";
        QTest::newRow("last KB") << "size" << 1048575.0 << QVariant() << "1024.00 KB";
        QTest::newRow("first MB") << "size" << 1048576.0 << QVariant() << "1.00 MB";
        QTest::newRow("no GB") << "size" << 5368709120.0 << QVariant() << "5120.00 MB";
        QTest::newRow("digits 0") << "size" << 1536.0 << QVariant(0) << "2 KB";
        QTest::newRow("digits 1") << "size" << 3145728.0 << QVariant(1) << "3.0 MB";
        QTest::newRow("dropbox KB") << "sizeDropbox" << 2048.0 << QVariant() << "2.00 KB";
        QTest::newRow("dropbox MB") << "sizeDropbox" << 1073741823.0 << QVariant() << "1024.00 MB";
        QTest::newRow("dropbox GB") << "sizeDropbox" << 1073741824.0 << QVariant() << "1.00 GB";
        QTest::newRow("dropbox 2 TB") << "sizeDropbox" << 2199023255552.0 << QVariant() << "2048.00 GB";
    }
    void sizes()
    {
        QFETCH(QString, function);
        QFETCH(double, bytes);
        QFETCH(QVariant, digits);
        QFETCH(QString, text);
        const QVariant got = function == "size" ? call("size", bytes, digits.isValid() ? digits : QVariant::fromValue(QJSValue()))
                                                : call("sizeDropbox", bytes);
        QCOMPARE(got.toString(), text);
    }

    void sizeUnitsTranslated()
    {
        QTranslator ru;
        QVERIFY(ru.load(QStringLiteral(":/translate/pryx.qm")));
        QCoreApplication::installTranslator(&ru);
        engine_.retranslate();
        QCOMPARE(call("size", 1048576.0, QVariant::fromValue(QJSValue())).toString(), QString::fromUtf8("1.00 МБ"));
        QCoreApplication::removeTranslator(&ru);
    }

    // The hotkey input shows the combination held down and drops a key when
    // it is released.
    void hootKeyInput()
    {
        pryx::test::WarningCollector warnings;
        QQuickView view;
        view.rootContext()->setContextProperty(QStringLiteral("core"), &core_);
        view.rootContext()->setContextProperty(QStringLiteral("settings"), Setting::instance());
        view.setSource(QUrl(QStringLiteral("qrc:/qml/qml/Component/HootKeyInput.qml")));
        QCOMPARE(view.status(), QQuickView::Ready);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QQuickItem *input = view.rootObject();
        QVERIFY(QMetaObject::invokeMethod(input, "setFocus"));
        QSignalSpy tabs(input, SIGNAL(tabPress()));
        QTest::keyPress(&view, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(input->property("lastHoot").toString(), QStringLiteral("Shift + Ctrl + S"));
        QTest::keyRelease(&view, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(input->property("lastHoot").toString(), QStringLiteral("Shift + Ctrl"));
        QTest::keyPress(&view, Qt::Key_S);
        QCOMPARE(input->property("lastHoot").toString(), QString());
        QTest::keyClick(&view, Qt::Key_Tab);
        QCOMPARE(tabs.count(), 1);
        QCOMPARE(warnings.take(), QStringList());
    }
};

QTEST_MAIN(TstUseful)
#include "tst_useful.moc"
