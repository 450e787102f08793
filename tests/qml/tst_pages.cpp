// Every page and component in the resources loads without a QML warning; the
// names pages use on "core", "settings", "window" and "message" exist; every
// resource path named in the pages and in the C++ sources exists; the
// artwork, icon, palette, fonts and translations are in place.
#include "core/base/setting.h"
#include "core/core.h"
#include "windows/basicwindow.h"
#include "windows/messagedialog.h"

#include "support/qmlstandins.h"

#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QQmlContext>
#include <QQuickItem>
#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>

namespace {
// Pages shown by views of their own (capture surface, panorama editor,
// player) with other context objects; their own tests load them.
const QStringList kOwnViewPages = {"SurfaceWindow.qml", "SurfacePonoram.qml",
                                   "EditPonoramPage.qml", "AudioPlayer.qml"};
// Resources that the updater's build step provides.
const QStringList kProvidedElsewhere = {":/zip/bin/pryxUpdater.zip"};

class PageWindow : public BasicWindow
{
public:
    explicit PageWindow(const QString &url) : url_(url) { setup(); }
protected:
    void init() override
    {
        setFlags(Qt::Window | Qt::FramelessWindowHint);
        rootContext()->setContextProperty(QStringLiteral("message"), &dialog_);
        rootContext()->setContextProperty(QStringLiteral("errorText"), QStringLiteral("An error"));
        loadPage(url_);
    }
private:
    QString url_;
    MessageDialog dialog_;
};

QStringList resourceFiles(const QString &root, const QStringList &filters = {})
{
    QStringList out;
    QDirIterator it(root, filters, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    out.sort();
    return out;
}

QString readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

// QML and script texts without their line comments.
QString codeOf(const QString &path)
{
    QString text = readAll(path);
    text.remove(QRegularExpression(QStringLiteral("(^|\\s)//[^\\n]*")));
    return text;
}

bool hasMember(const QMetaObject *mo, const QString &name)
{
    if (mo->indexOfProperty(name.toLatin1().constData()) >= 0)
        return true;
    for (int i = 0; i < mo->methodCount(); ++i) {
        if (QString::fromLatin1(mo->method(i).name()) == name)
            return true;
    }
    return false;
}

const QMetaObject *coreMeta() { return &Core::staticMetaObject; }
} // namespace

class TstPages : public QObject
{
    Q_OBJECT
    CoreStandIn core_;

private slots:
    void initTestCase() { BasicWindow::setCoreObject(&core_); }

    void loadsWithoutWarnings_data()
    {
        QTest::addColumn<QString>("url");
        const QStringList files = resourceFiles(QStringLiteral(":/qml/qml"), {"*.qml"});
        QVERIFY(files.size() >= 20);
        for (const QString &f : files) {
            if (kOwnViewPages.contains(QFileInfo(f).fileName()))
                continue;
            QTest::newRow(qPrintable(f.mid(9))) << QString("qrc" + f);
        }
    }
    void loadsWithoutWarnings()
    {
        QFETCH(QString, url);
        pryx::test::WarningCollector warnings;
        {
            PageWindow w(url);
            QCOMPARE(w.status(), QQuickView::Ready);
            QVERIFY(w.rootObject());
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTest::qWait(20);
            // Once more in the other language and with no login.
            QTranslator ru;
            QVERIFY(ru.load(QStringLiteral(":/translate/pryx.qm")));
            QCoreApplication::installTranslator(&ru);
            core_.account_.setAuth(false);
            emit core_.languageChanged();
            QTest::qWait(20);
            core_.account_.setAuth(true);
            QCoreApplication::removeTranslator(&ru);
            emit core_.languageChanged();
            w.close();
        }
        QCOMPARE(warnings.take(), QStringList());
    }

    void namesExistOnContextObjects_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &f : resourceFiles(QStringLiteral(":/qml/qml"), {"*.qml", "*.js"})) {
            if (!kOwnViewPages.contains(QFileInfo(f).fileName()))
                QTest::newRow(qPrintable(f.mid(9))) << f;
        }
    }
    void namesExistOnContextObjects()
    {
        QFETCH(QString, file);
        const QHash<QString, const QMetaObject *> objects = {
            {"core", coreMeta()},
            {"settings", &Setting::staticMetaObject},
            {"window", &BasicWindow::staticMetaObject},
            {"message", &MessageDialog::staticMetaObject},
        };
        const QString code = codeOf(file);
        QRegularExpression use(QStringLiteral("(?<![\\w.])(core|settings|window|message)\\.([A-Za-z_]\\w*)"));
        QStringList missing;
        for (auto it = use.globalMatch(code); it.hasNext();) {
            const auto m = it.next();
            if (!hasMember(objects.value(m.captured(1)), m.captured(2)))
                missing << m.captured(0);
        }
        missing.removeDuplicates();
        QCOMPARE(missing, QStringList());
    }

    // Every ":/" and "qrc:/" literal in the pages and the C++ sources names a
    // resource; a literal continued with "+" is a prefix of one.
    void namedResourcesExist()
    {
        QStringList sources = resourceFiles(QStringLiteral(":/qml/qml"), {"*.qml", "*.js"});
        for (const char *dir : {"core", "capture", "editor", "network", "platform", "windows"}) {
            QDirIterator it(QStringLiteral(PRYX_SOURCE_DIR "/") + dir, {"*.cpp", "*.h"}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext())
                sources << it.next();
        }
        const QStringList all = resourceFiles(QStringLiteral(":/"));
        // ":/" followed by "/" is a URL scheme separator, not a resource.
        QRegularExpression lit(QStringLiteral("\"(?:qrc)?(:/[^\"/][^\"]*)\"(\\s*\\+)?"));
        QStringList missing;
        int checked = 0;
        for (const QString &src : sources) {
            const QString text = readAll(src);
            for (auto it = lit.globalMatch(text); it.hasNext();) {
                const auto m = it.next();
                const QString path = m.captured(1);
                if (path.contains('%') || kProvidedElsewhere.contains(path))
                    continue;
                ++checked;
                bool ok;
                if (!m.captured(2).isEmpty())
                    ok = std::any_of(all.begin(), all.end(), [&](const QString &f) { return f.startsWith(path); });
                else if (path.endsWith('/'))
                    ok = QDir(path).exists();
                else
                    ok = QFile::exists(path);
                if (!ok)
                    missing << QFileInfo(src).fileName() + ": " + path;
            }
        }
        QVERIFY(checked > 10);
        missing.removeDuplicates();
        QCOMPARE(missing, QStringList());
    }

    // The pictures that pages and the program name, with the 2x faces of the
    // rendered ones.
    void artwork_data()
    {
        QTest::addColumn<QString>("path");
        const QStringList icons = {"main_ico", "fb", "tw", "vk", "od", "fragment", "screen",
                                   "history", "setting", "open", "copy"};
        for (const QString &n : icons)
            QTest::newRow(qPrintable(n)) << ":/icon/image/icon/" + n + ".png";
        QStringList comp = {"close", "close_enter", "turn", "turn_enter", "login_button_background",
                            "dark_button_background", "shadow", "magnifier_background",
                            "magnifier_hotspot", "close_window_background", "close_edit_ponoram"};
        for (const char *kind : {"checkbox", "radio"})
            for (const char *on : {"select", "unselect"})
                for (const char *hover : {"enter", "over"})
                    comp << QString("%1_%2_%3").arg(kind, on, hover);
        for (const char *side : {"left", "right"})
            for (const char *edge : {"bottom", "top"})
                comp << QString("toolTip_background_%1_%2").arg(side, edge);
        for (const char *tab : {"storage", "setting", "hoot"})
            comp << QString("setting_tool_%1").arg(tab) << QString("setting_tool_%1_check").arg(tab);
        for (const QString &n : comp)
            QTest::newRow(qPrintable(n)) << ":/component/image/component/" + n + ".png";
        for (const char *n : {"rounded_edge", "background", "avatar_default", "platform_start_win",
                              "platform_start_win_en", "center_key_pos", "ponoram_preview_background",
                              "scroll_dialog_background", "ponoram_arrow"})
            QTest::newRow(n) << QString(":/image/image/image/%1.png").arg(n);
        QTest::newRow("old avatar folder") << ":/images/images/avatar_default.png";
        QTest::newRow("play-icon") << ":/image/image/component/play-icon.png";
        for (const char *n : {"zoom_minus_control", "zoom_plus_control", "zoom_hover_background",
                              "zoom_press_background"})
            QTest::newRow(n) << QString(":/icon/image/component/%1.png").arg(n);
        QTest::newRow("cross_cursor") << ":/cursor/image/cursor/cross_cursor.png";
    }
    void artwork()
    {
        QFETCH(QString, path);
        const QImage one(path);
        QVERIFY2(!one.isNull(), qPrintable(path));
        QString twoPath = path;
        twoPath.replace(".png", "@2x.png");
        const QImage two(twoPath);
        QVERIFY2(!two.isNull(), qPrintable(twoPath));
        QCOMPARE(two.size(), one.size() * 2);
        // Nothing rendered empty.
        bool painted = false;
        for (int y = 0; y < one.height() && !painted; ++y)
            for (int x = 0; x < one.width() && !painted; ++x)
                painted = qAlpha(one.pixel(x, y)) > 0;
        QVERIFY(painted);
    }

    void programIcon()
    {
        for (const char *p : {":/icon/image/icon.ico", ":/icon/image/icon/icon.ico"}) {
            QIcon icon(QString::fromLatin1(p));
            QVERIFY2(!icon.isNull(), p);
            QVERIFY(!icon.pixmap(16, 16).isNull());
            QVERIFY(!icon.pixmap(48, 48).isNull());
        }
    }

    void busyAnimation()
    {
        QImageReader gif(QStringLiteral(":/component/image/component/download.gif"));
        QVERIFY(gif.supportsAnimation());
        QVERIFY(gif.imageCount() > 4);
    }

    void palette_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<QString>("colour");
        QTest::newRow("-2") << -2 << "#ffffff";
        QTest::newRow("1") << 1 << "#ffffff";
        QTest::newRow("2") << 2 << "#b80000";
        QTest::newRow("7, the default") << 7 << "#ba0500";
        QTest::newRow("55") << 55 << "#b9ba00";
        QTest::newRow("109") << 109 << "#00ba01";
        QTest::newRow("163") << 163 << "#00b9ba";
        QTest::newRow("217") << 217 << "#0100ba";
        QTest::newRow("271") << 271 << "#ba00b9";
        QTest::newRow("322") << 322 << "#b80001";
        QTest::newRow("323") << 323 << "#ac0000";
        QTest::newRow("324") << 324 << "#3c0000";
        QTest::newRow("325") << 325 << "#000000";
        QTest::newRow("326") << 326 << "#000000";
        QTest::newRow("330") << 330 << "#000000";
        QTest::newRow("331, frame") << 331 << "#202224";
        QTest::newRow("332, frame") << 332 << "#292b2d";
    }
    void palette()
    {
        QFETCH(int, x);
        QFETCH(QString, colour);
        const QImage strip(QStringLiteral(":/component/image/component/color_line_big.png"));
        QCOMPARE(strip.size(), QSize(340, 11));
        QVERIFY(!strip.hasAlphaChannel());
        QCOMPARE(QColor(strip.pixel(x + 7, 5)).name(), colour);
    }

    void paletteSweepsHues()
    {
        const QImage strip(QStringLiteral(":/component/image/component/color_line_big.png"));
        QSet<QRgb> seen;
        for (int x = 2; x <= 322; ++x) {
            const QColor c(strip.pixel(x + 7, 5));
            QVERIFY(qMax(c.red(), qMax(c.green(), c.blue())) >= 0xb5);
            seen.insert(c.rgb());
        }
        QVERIFY(seen.size() > 250);
    }

    void fonts()
    {
        const QStringList faces = QDir(QStringLiteral(":/font/font/")).entryList();
        QVERIFY(!faces.isEmpty());
        for (const QString &f : faces)
            QVERIFY2(QFontDatabase::addApplicationFont(":/font/font/" + f) != -1, qPrintable(f));
    }

    void translationsLoad()
    {
        QTranslator ru, en;
        QVERIFY(ru.load(QStringLiteral(":/translate/pryx.qm")));
        QVERIFY(en.load(QStringLiteral(":/translate/pryx_en.qm")));
        QCOMPARE(ru.translate("MessageDialog", "Cancel"), QString::fromUtf8("Отмена"));
        QCOMPARE(en.translate("MessageDialog", "Cancel"), QStringLiteral("Cancel"));
    }

    void progressBar_data()
    {
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty range") << 0.0 << 0.0 << 0.0 << 0.0;
        QTest::newRow("half") << 0.0 << 100.0 << 50.0 << 100.0;
        QTest::newRow("offset range") << 100.0 << 300.0 << 150.0 << 50.0;
        QTest::newRow("full") << 0.0 << 10.0 << 10.0 << 200.0;
    }
    void progressBar()
    {
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(double, value);
        QFETCH(double, expected);
        PageWindow w(QStringLiteral("qrc:/qml/qml/Component/ProgressBar.qml"));
        QQuickItem *bar = w.rootObject();
        bar->setWidth(200);
        bar->setProperty("minimum", minimum);
        bar->setProperty("maximum", maximum);
        bar->setProperty("value", value);
        QCOMPARE(bar->childItems().first()->width(), expected);
    }
};

QTEST_MAIN(TstPages)
#include "tst_pages.moc"
