// The capture commands of Core on a private X display: the temporary file and
// its format, the save names, the save dialog, the saved copies, the
// clipboard image read back by another process, and the last link.

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QDir>
#include <QImageReader>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QtTest>

#include "capture/surfaceponoramscreen.h"
#include "capture/surfaceselector.h"
#include "capture/surfacewidget.h"
#include "core/base/paths.h"
#include "core/base/setting.h"
#include "core/core.h"
#include "editor/abstractgraphitem.h"
#include "editor/ppainterarea.h"
#include "platform/filedialogs.h"
#include "support/privatedisplay.h"
#include "support/standin.h"
#include "support/testsupport.h"
#include "support/topwindows.h"
#include "windows/editponoramwidget.h"

using pryx::test::windowsOf;

namespace {

QStringList g_log;
QtMessageHandler g_previous = nullptr;

void collect(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    g_log << msg;
    if (g_previous && type != QtDebugMsg)
        g_previous(type, ctx, msg);
}

// Receives the addresses that Core hands to the browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

// A window of another program with a known title and place.
class ForeignWindow
{
public:
    bool start(const QString &title, const QRect &r)
    {
        proc_.start("xmessage", {"-title", title, "-geometry",
                                 QString("%1x%2+%3+%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y()),
                                 " "});
        if (!proc_.waitForStarted(5000))
            return false;
        // Mapped once xdotool finds it.
        for (int i = 0; i < 50; ++i) {
            QProcess search;
            search.start("xdotool", {"search", "--onlyvisible", "--classname", "xmessage"});
            search.waitForFinished(3000);
            if (!search.readAllStandardOutput().trimmed().isEmpty())
                return true;
            QTest::qWait(100);
        }
        return false;
    }
    ~ForeignWindow()
    {
        proc_.kill();
        proc_.waitForFinished(3000);
    }

private:
    QProcess proc_;
};

QImage stripes(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 3) % 256, y % 256, (y / 256) * 60 % 256));
    return img;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray encode(const QImage &image, const char *format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// A PNG file of the program against Qt's PNG of the expected image: the
// bytes may differ (it deflates in stripes), the decoded pixels may not.
bool samePng(const QByteArray &bytes, const QImage &expected)
{
    if (!bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return false;
    const QImage ours = QImage::fromData(bytes, "PNG");
    const QImage qts = QImage::fromData(encode(expected, "PNG", -1), "PNG");
    return !ours.isNull() && ours.format() == qts.format() && ours == qts;
}

} // namespace

class TestCoreCapture : public QObject
{
    Q_OBJECT
    Core *core = nullptr;
    Setting *settings = nullptr;
    UrlCatcher urls;
    pryx::test::StandIn standIn;
    QString lastProposed;
    QString dialogAnswer;
    int dialogs = 0;

    void set(const char *key, const QVariant &value) { settings->setValue(QString::fromLatin1(key), value); }

    // Opens the capture surface with a finished selection.
    SurfaceWidget *openSurface(const QRect &selection)
    {
        core->fragmentScreen();
        const QList<SurfaceWidget *> list = windowsOf<SurfaceWidget>();
        if (list.size() != 1)
            return nullptr;
        SurfaceWidget *s = list.first();
        if (!QTest::qWaitForWindowExposed(s))
            return nullptr;
        if (!selection.isNull())
            s->selector()->setRubberRect(selection);
        return s;
    }

    void waitGone(QPointer<SurfaceWidget> &s)
    {
        QTRY_VERIFY(s.isNull());
    }

    QStringList tmpFiles() const
    {
        return QDir(pryx::tmpPath()).entryList({"*.jpg", "*.png"}, QDir::Files);
    }

    QStringList newTmpFiles(const QStringList &before) const
    {
        QStringList out;
        for (const QString &f : tmpFiles())
            if (!before.contains(f))
                out << pryx::tmpPath() + f;
        return out;
    }

    // The panorama screen opened by Core with the window under `at`
    // highlighted.
    SurfacePonoramScreen *openPanorama(const QPoint &at)
    {
        core->ponoramScreen();
        SurfacePonoramScreen *view = core->surfacePonoramScreen();
        if (!QTest::qWaitForWindowExposed(view))
            return nullptr;
        view->findScrollRect(at.x(), at.y());
        return view->fixedRect().isNull() ? nullptr : view;
    }

    // Waits until the service stand-in received the bytes of `file`.
    bool uploaded(const QString &file)
    {
        const QByteArray sha = QCryptographicHash::hash(readAll(file), QCryptographicHash::Sha256).toHex();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000) {
            for (const auto &r : standIn.requests())
                if (r.method == "PUT" && r.sha256 == sha)
                    return true;
            QTest::qWait(50);
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        g_previous = qInstallMessageHandler(collect);
        QVERIFY2(standIn.start(), qPrintable(standIn.error()));
        qputenv("PRYX_EXTRA_CA_FILE", standIn.caFile().toLocal8Bit());
        settings = Setting::instance();
        core = Core::instance();
        core->setApiHost(standIn.host());
        QDesktopServices::setUrlHandler("https", &urls, "open");
        QDesktopServices::setUrlHandler("http", &urls, "open");
        pryx::platform::setDialogAnswerer([this](pryx::platform::DialogKind, const QString &, const QString &path,
                                           const QString &) {
            ++dialogs;
            lastProposed = path;
            return dialogAnswer;
        });
    }

    void init()
    {
        set("token", "secret-token");
        set("showActiveWindow", false);
        set("useSaveScreen", false);
        set("qualityImage", 2);
        g_log.clear();
        dialogs = 0;
    }

    void cleanup()
    {
        for (SurfaceWidget *s : windowsOf<SurfaceWidget>())
            s->close();
        QTest::qWait(50);
    }

    void acceptWritesTheCaptureAndClosesTheSurface_data()
    {
        QTest::addColumn<int>("quality");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("jpegQuality");
        QTest::addColumn<QString>("extension");
        QTest::newRow("jpeg 90") << 0 << QByteArray("JPG") << 90 << ".jpg";
        QTest::newRow("jpeg 100") << 1 << QByteArray("JPG") << 100 << ".jpg";
        QTest::newRow("png") << 2 << QByteArray("PNG") << -1 << ".png";
    }
    void acceptWritesTheCaptureAndClosesTheSurface()
    {
        QFETCH(int, quality);
        QFETCH(QByteArray, format);
        QFETCH(int, jpegQuality);
        QFETCH(QString, extension);
        set("qualityImage", quality);
        const int counted = settings->getValue("count_screen").toInt();

        const QRect selection(40, 30, 120, 80);
        QPointer<SurfaceWidget> s = openSurface(selection);
        QVERIFY(s);
        // The capture opens with the line tool: draw one across the selection.
        QCOMPARE(s->paintArea()->property("currentModule").toString(), QString("Line"));
        QTest::mousePress(s, Qt::LeftButton, Qt::NoModifier, QPoint(60, 50));
        QTest::mouseMove(s, QPoint(100, 70));
        QTest::mouseMove(s, QPoint(140, 90));
        QTest::mouseRelease(s, Qt::LeftButton, Qt::NoModifier, QPoint(140, 90));
        const QImage expected = s->grabResult().toImage();
        QVERIFY(expected != s->background().copy(selection).toImage().convertToFormat(expected.format()));
        s->uploadScreen();   // the toolbar's accept button

        const QString file = core->lastCaptureFile();
        QVERIFY2(file.startsWith(pryx::tmpPath()) && file.endsWith(extension), qPrintable(file));
        const QByteArray bytes = readAll(file);
        QVERIFY(bytes.startsWith(format == "PNG" ? QByteArray("\x89PNG\r\n\x1a\n") : QByteArray("\xff\xd8\xff")));
        if (format == "PNG")
            QVERIFY(samePng(bytes, expected));
        else
            QCOMPARE(bytes, encode(expected, format.constData(), jpegQuality));
        QImageReader reader(file);
        QCOMPARE(reader.size(), selection.size());
        QCOMPARE(core->audioImageSource(), file);
        QCOMPARE(settings->getValue("count_screen").toInt(), counted + 1);
        QVERIFY(g_log.join('\n').contains(file));   // handed to the upload entry
        waitGone(s);
        QVERIFY(windowsOf<SurfaceWidget>().isEmpty());
    }

    // Accept sends the capture to the service and the link lands on the
    // clipboard.
    void acceptUploadsTheCaptureToTheService()
    {
        standIn.clearLog();
        QPointer<SurfaceWidget> s = openSurface(QRect(20, 20, 90, 60));
        QVERIFY(s);
        s->uploadScreen();
        const QString file = core->lastCaptureFile();
        // Uploads of earlier captures may still be arriving: find this one.
        const QByteArray sha = QCryptographicHash::hash(readAll(file), QCryptographicHash::Sha256).toHex();
        QString created;
        QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                     for (const auto &r : standIn.requests())
                                         if (r.method == "PUT" && r.sha256 == sha)
                                             created = QString::fromLatin1(r.path.split('/').last().split('?').first());
                                     return !created.isEmpty();
                                 }()),
                                 15000);
        bool authorised = false;
        for (const auto &r : standIn.requests())
            if (r.method == "POST" && r.created == created)
                authorised = r.header("Authorization") == "Bearer secret-token";
        QVERIFY(authorised);
        const QString link = QStringLiteral("https://%1/s/%2").arg(standIn.host(), created);
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), link);
        QCOMPARE(core->lastLink(), link);
        waitGone(s);
    }

    void emptyOrUnwritableCaptureIsNotUploaded()
    {
        // No selection: nothing to upload, the surface stays.
        QPointer<SurfaceWidget> s = openSurface(QRect());
        QVERIFY(s);
        const QStringList before = tmpFiles();
        const QString last = core->lastCaptureFile();
        core->screenUpload();
        QTest::qWait(50);
        QVERIFY(s && s->isVisible());
        QCOMPARE(tmpFiles(), before);
        QCOMPARE(core->lastCaptureFile(), last);
        QVERIFY(g_log.join('\n').contains("The capture is empty"));

        // The temporary folder cannot be written: error, the surface keeps the capture.
        s->selector()->setRubberRect(QRect(10, 10, 50, 50));
        const QString tmp = QDir(pryx::tmpPath()).absolutePath();
        QVERIFY(QDir(tmp).removeRecursively());
        QFile blocker(tmp);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        g_log.clear();
        s->uploadScreen();
        QTest::qWait(50);
        QFile::remove(tmp);
        QDir().mkpath(tmp);
        QVERIFY(s && s->isVisible());
        QCOMPARE(core->lastCaptureFile(), last);
        QVERIFY(g_log.join('\n').contains("could not be written"));
        QVERIFY(!g_log.join('\n').contains("callUploadFrontEnd"));

        // Once it can be written the same capture goes out.
        s->uploadScreen();
        QVERIFY(core->lastCaptureFile() != last);
        waitGone(s);
    }

    void quickCaptureNeedsNoLoginAndNoSurface()
    {
        set("token", QString());
        core->quickScreen();
        QVERIFY(windowsOf<SurfaceWidget>().isEmpty());
        QImageReader reader(core->lastCaptureFile());
        QCOMPARE(reader.size(), QGuiApplication::primaryScreen()->geometry().size());
    }

    void captureWithoutLoginOpensTheLoginWindow()
    {
        set("token", QString());
        core->fragmentScreen();
        QVERIFY(windowsOf<SurfaceWidget>().isEmpty());
        bool loginShown = false;
        for (QWindow *w : QGuiApplication::topLevelWindows())
            loginShown |= w->inherits("AutorizationWidget") && w->isVisible();
        QVERIFY(loginShown);
    }

    void saveNames_data()
    {
        QTest::addColumn<QString>("title");      // empty: no window under the selection
        QTest::addColumn<bool>("showActive");
        QTest::addColumn<QString>("expected");   // empty: the time stamp
        QTest::newRow("window title") << "Quarterly report" << true << "Quarterly report";
        QTest::newRow("stripped title") << "Re:port? #1 <draft>" << true << "Report 1 draft";
        QTest::newRow("control characters") << "Tab\there" << true << "Tabhere";
        QTest::newRow("nothing left") << "::??" << true << "";
        QTest::newRow("no window") << "" << true << "";
        QTest::newRow("names off") << "Quarterly report" << false << "";
        QTest::newRow("long title") << QString(150, 'a') + QString(150, 'b') << true
                                    << QString(115, 'a') + "..." + QString(115, 'b');
    }
    void saveNames()
    {
        QFETCH(QString, title);
        QFETCH(bool, showActive);
        QFETCH(QString, expected);
        set("showActiveWindow", showActive);
        set("lastSavePath", pryx::test::testRoot());
        ForeignWindow window;
        if (!title.isEmpty())
            QVERIFY(window.start(title, QRect(300, 200, 300, 200)));

        QPointer<SurfaceWidget> s = openSurface(QRect(350, 250, 100, 80));
        QVERIFY(s);
        dialogAnswer.clear();   // cancel
        s->saveScreen();
        QCOMPARE(dialogs, 1);
        const QString name = QFileInfo(lastProposed).completeBaseName();
        QCOMPARE(QFileInfo(lastProposed).absolutePath(), QDir(pryx::test::testRoot()).absolutePath());
        if (expected.isEmpty())
            QVERIFY2(QRegularExpression("^\\d{13}$").match(name).hasMatch(), qPrintable(name));
        else
            QCOMPARE(name, expected);
        QVERIFY(lastProposed.endsWith(".png"));
        waitGone(s);   // a cancel closes the surface
    }

    void saveThroughTheDialog()
    {
        set("qualityImage", 0);
        const QString folder = pryx::test::testRoot() + "/saved";
        QDir().mkpath(folder);
        const QRect selection(20, 20, 64, 48);

        // Chosen name without extension: ".jpg" is added, the folder is kept.
        QPointer<SurfaceWidget> s = openSurface(selection);
        QVERIFY(s);
        const QImage expected = s->background().copy(selection).toImage();
        dialogAnswer = folder + "/shot";
        s->saveScreen();
        QCOMPARE(readAll(folder + "/shot.jpg"), encode(expected, "JPG", 90));
        QCOMPARE(settings->getValue("lastSavePath").toString(), QDir(folder).absolutePath());
        waitGone(s);

        // A confirmed overwrite replaces the file; ".jpg" inside the name is kept as is.
        QFile old(folder + "/a.jpg.b");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        s = openSurface(selection);
        QVERIFY(s);
        dialogAnswer = folder + "/a.jpg.b";
        s->saveScreen();
        QVERIFY(readAll(folder + "/a.jpg.b").startsWith("\xff\xd8\xff"));
        waitGone(s);

        // A failed write is told and the capture comes back.
        s = openSurface(selection);
        QVERIFY(s);
        dialogAnswer = folder + "/missing/deeper/shot.jpg";
        s->saveScreen();
        QVERIFY(g_log.join('\n').contains("could not be written"));
        QVERIFY(s && s->isVisible());
        dialogAnswer = folder + "/retry.jpg";
        s->saveScreen();
        QCOMPARE(readAll(folder + "/retry.jpg"), encode(expected, "JPG", 90));
        waitGone(s);
    }

    void copiesInTheSameSecondBothSurvive()
    {
        const QString folder = pryx::test::testRoot() + "/copies";
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        set("useSaveScreen", true);
        set("saveScreenFolder", folder);
        QPixmap pxm(30, 20);
        pxm.fill(Qt::red);
        // Repeat until two uploads fall in the same second.
        for (int round = 0; round < 5; ++round) {
            const QTime start = QTime::currentTime();
            core->screenUpload(0, false, pxm);
            core->screenUpload(0, false, pxm);
            if (start.second() == QTime::currentTime().second())
                break;
        }
        const QStringList copies = QDir(folder).entryList({"*.png"}, QDir::Files, QDir::Name);
        QVERIFY(copies.size() >= 2);
        QVERIFY2(copies.filter(QRegularExpression("^\\d\\d-\\d\\d-\\d{4} \\d\\d-\\d\\d-\\d\\d \\(2\\)\\.png$")).size() >= 1,
                 qPrintable(copies.join(", ")));
        for (const QString &c : copies)
            QCOMPARE(QImage(folder + "/" + c).size(), pxm.size());
    }

    void copyPutsTheSelectionOnTheClipboard()
    {
        const QRect selection(100, 100, 161, 121);
        QPointer<SurfaceWidget> s = openSurface(selection);
        QVERIFY(s);
        const QImage background = s->background().toImage();
        s->screenSaveToClipboard();
        waitGone(s);

        QProcess xclip;
        xclip.start("xclip", {"-selection", "clipboard", "-t", "image/png", "-o"});
        QVERIFY(xclip.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(xclip.state() == QProcess::NotRunning, 10000);
        QImage copied;
        QVERIFY(copied.loadFromData(xclip.readAllStandardOutput(), "PNG"));
        QCOMPARE(copied.size(), selection.size() - QSize(1, 1));

        // Inside the selection frame the screen shows the capture itself; the
        // surface's own marks may differ in a few pixels.
        const auto mismatches = [&](int dx, int dy) {
            int n = 0;
            for (int y = 2; y < copied.height() - 2; ++y)
                for (int x = 2; x < copied.width() - 2; ++x)
                    n += (copied.pixel(x, y) & 0xffffff)
                         != (background.pixel(selection.left() + 1 + x + dx, selection.top() + 1 + y + dy) & 0xffffff);
            return n;
        };
        const int exact = mismatches(0, 0);
        QVERIFY2(exact < copied.width() * copied.height() / 100, qPrintable(QString::number(exact)));
    }

    void saveFolderDialog_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("use");
        QTest::addColumn<QString>("folder");
        QTest::newRow("cancel, none stored") << "" << "" << false << "";
        QTest::newRow("cancel, one stored") << "/srv/shots" << "" << true << "/srv/shots";
        QTest::newRow("chosen") << "" << "/home/u/Pictures" << true << "/home/u/Pictures";
    }
    void saveFolderDialog()
    {
        QFETCH(QString, stored);
        QFETCH(QString, answer);
        QFETCH(bool, use);
        QFETCH(QString, folder);
        set("saveScreenFolder", stored);
        set("useSaveScreen", !use);
        dialogAnswer = answer;
        core->selectSaveScreenFolder();
        QCOMPARE(settings->getValue("useSaveScreen").toBool(), use);
        QCOMPARE(settings->getValue("saveScreenFolder").toString(), folder);
    }

    void paletteLookup_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<QString>("color");
        QTest::newRow("default") << 7 << "#ba0500";
        QTest::newRow("white end") << -2 << "#ffffff";
        QTest::newRow("black end") << 326 << "#000000";
        QTest::newRow("left of the image") << -50 << "#000000";
        QTest::newRow("right of the image") << 500 << "#000000";
    }
    void paletteLookup()
    {
        QFETCH(int, x);
        QFETCH(QString, color);
        const QColor c = core->getColorFromX(x);
        QCOMPARE(c.name(), color);
        QCOMPARE(c.alpha(), 255);
    }

    void repeatedCloseIsHarmless()
    {
        QPointer<SurfaceWidget> s = openSurface(QRect(10, 10, 40, 40));
        QVERIFY(s);
        s->close();   // emits closed() twice
        core->deleteSurfaceScreen();
        waitGone(s);
        // The next capture gets a new surface.
        QPointer<SurfaceWidget> next = openSurface(QRect());
        QVERIFY(next);
        next->close();
        waitGone(next);
    }

    // While the window-scrolling panorama loop runs, its event processing
    // opens no capture and starts no second panorama; once it ended a
    // capture opens again.
    void noCaptureDuringThePanoramaLoop()
    {
        ForeignWindow window;
        QVERIFY(window.start("scrolled", QRect(300, 200, 300, 200)));
        QPointer<SurfacePonoramScreen> view = openPanorama(QPoint(450, 300));
        QVERIFY(view);
        const QStringList before = tmpFiles();
        const QString last = core->lastCaptureFile();
        QSignalSpy complete(view.data(), SIGNAL(ponoramPixmapComplete(QPixmap)));
        bool scrolling = false;
        int surfacesDuring = -1;
        bool sameView = false;
        QTimer::singleShot(0, view.data(), [&] {
            scrolling = view->isScrolling();
            core->fragmentScreen();
            core->fullScreen();
            core->quickScreen();
            core->screen(false, false);
            core->openSurfaceRect(0, QRect(10, 10, 50, 50), QPixmap());
            core->ponoramScreen();
            view->startPonoram();
            surfacesDuring = windowsOf<SurfaceWidget>().size();
            sameView = core->surfacePonoramScreen() == view.data();
        });
        view->startPonoram();
        QVERIFY(scrolling);
        QCOMPARE(surfacesDuring, 0);
        QVERIFY(sameView);
        QCOMPARE(complete.count(), 1);
        QVERIFY(view);
        QCOMPARE(tmpFiles(), before);
        QCOMPARE(core->lastCaptureFile(), last);
        QCOMPARE(g_log.filter("refused: a panorama capture is running").size(), 5);

        QPointer<SurfaceWidget> s = openSurface(QRect());
        QVERIFY(s);
        s->close();
        waitGone(s);
    }

    // The panorama screen's accept uploads what the user drew on the
    // panorama, like a capture but without its counters, and closes it.
    void panoramaScreenAcceptUploads()
    {
        set("qualityImage", 2);
        ForeignWindow window;
        QVERIFY(window.start("scrolled", QRect(300, 200, 300, 200)));
        QPointer<SurfacePonoramScreen> view = openPanorama(QPoint(450, 300));
        QVERIFY(view);
        view->startPonoram();
        QVERIFY(view->isFinished());
        QTRY_VERIFY(view->paintArea());
        PPainterArea *area = view->paintArea();
        QTRY_VERIFY(area->width() > 0);
        area->setCurrentModule("Rect");
        const QPoint at = view->fixedRect().topLeft();
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, at + QPoint(20, 20));
        QTest::mouseMove(view, at + QPoint(50, 50));
        QTest::mouseMove(view, at + QPoint(80, 70));
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, at + QPoint(80, 70));
        QCOMPARE(area->findChildren<AbstractGraphItem *>().size(), 1);
        const QImage expected = view->renderRubberRect().toImage();
        QVERIFY(expected.convertToFormat(QImage::Format_RGB32)
                != view->ponoramPixmap().toImage().convertToFormat(QImage::Format_RGB32));

        const int counted = settings->getValue("count_screen").toInt();
        const QString last = core->lastCaptureFile();
        const QStringList before = tmpFiles();
        standIn.clearLog();
        view->uploadScreen();   // the toolbar's accept
        const QStringList added = newTmpFiles(before);
        QCOMPARE(added.size(), 1);
        QVERIFY(added.first().endsWith(".png"));
        QVERIFY(samePng(readAll(added.first()), expected));
        QVERIFY(g_log.join('\n').contains(added.first()));
        QVERIFY(uploaded(added.first()));
        QCOMPARE(settings->getValue("count_screen").toInt(), counted);
        QCOMPARE(core->lastCaptureFile(), last);
        QTRY_VERIFY(view.isNull());
    }

    // A given panorama is uploaded as it is and the capture surface goes;
    // an empty one is refused with an error.
    void panoramaPixmapUpload()
    {
        set("qualityImage", 2);
        const QImage img = stripes(200, 700);
        QPointer<SurfaceWidget> s = openSurface(QRect(10, 10, 40, 40));
        QVERIFY(s);
        QStringList before = tmpFiles();
        standIn.clearLog();
        core->ponoramUpload(QPixmap::fromImage(img));
        QStringList added = newTmpFiles(before);
        QCOMPARE(added.size(), 1);
        QVERIFY(samePng(readAll(added.first()), img));
        QVERIFY(uploaded(added.first()));
        waitGone(s);

        before = tmpFiles();
        g_log.clear();
        core->ponoramUpload(QPixmap());
        QVERIFY(newTmpFiles(before).isEmpty());
        QVERIFY(g_log.join('\n').contains("The capture is empty"));
        QVERIFY(!g_log.join('\n').contains("callUploadFrontEnd"));
    }

    // The panorama editor opened by Core: accept, save and copy take the
    // annotated panorama through Core like a capture, and each closes it.
    void panoramaEditorGoesThroughCore()
    {
        set("qualityImage", 2);
        const QImage img = stripes(300, 1400);
        QPointer<SurfaceWidget> s = openSurface(QRect());
        QVERIFY(s);
        core->ponoramEdit(QPixmap::fromImage(img));
        waitGone(s);
        QCOMPARE(windowsOf<EditPonoramWidget>().size(), 1);
        QPointer<EditPonoramWidget> ed = windowsOf<EditPonoramWidget>().first();
        QVERIFY(QTest::qWaitForWindowExposed(ed));
        // Only one editor at a time.
        core->ponoramEdit(QPixmap::fromImage(img));
        QCOMPARE(windowsOf<EditPonoramWidget>().size(), 1);
        QTRY_VERIFY(ed->paintArea() && ed->paintArea()->width() == img.width());
        const auto render = [](EditPonoramWidget *e) {
            PPainterArea *a = e->paintArea();
            return a->renderImage(QRect(0, 0, int(a->width()), int(a->height())), 10000, false);
        };

        // Accept: uploaded as a capture (counted, the last capture file).
        const int counted = settings->getValue("count_screen").toInt();
        QImage expected = render(ed);
        QCOMPARE(expected.convertToFormat(QImage::Format_RGB32), img);
        standIn.clearLog();
        ed->uploadScreen();
        const QString file = core->lastCaptureFile();
        QVERIFY(samePng(readAll(file), expected));
        QCOMPARE(settings->getValue("count_screen").toInt(), counted + 1);
        QVERIFY(uploaded(file));
        QTRY_VERIFY(ed.isNull());

        // Save: through the save dialog.
        core->ponoramEdit(QPixmap::fromImage(img));
        QCOMPARE(windowsOf<EditPonoramWidget>().size(), 1);
        ed = windowsOf<EditPonoramWidget>().first();
        QVERIFY(QTest::qWaitForWindowExposed(ed));
        QTRY_VERIFY(ed->paintArea() && ed->paintArea()->width() == img.width());
        const QString folder = pryx::test::testRoot() + "/panorama";
        QDir().mkpath(folder);
        dialogAnswer = folder + "/pano";
        dialogs = 0;
        expected = render(ed);
        ed->saveScreen();
        QCOMPARE(dialogs, 1);
        QVERIFY(samePng(readAll(folder + "/pano.png"), expected));
        QTRY_VERIFY(ed.isNull());

        // Copy: the image on the clipboard.
        core->ponoramEdit(QPixmap::fromImage(img));
        ed = windowsOf<EditPonoramWidget>().first();
        QVERIFY(QTest::qWaitForWindowExposed(ed));
        QTRY_VERIFY(ed->paintArea() && ed->paintArea()->width() == img.width());
        ed->screenSaveToClipboard();
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), img);
        QTRY_VERIFY(ed.isNull());
        QVERIFY(windowsOf<EditPonoramWidget>().isEmpty());
    }

    // An empty render is not saved: no dialog, an error, the surface
    // comes back.
    void saveOfAnEmptyRender()
    {
        QPointer<SurfaceWidget> s = openSurface(QRect());
        QVERIFY(s);
        core->screenSaveToDisk();
        QCOMPARE(dialogs, 0);
        QVERIFY(g_log.join('\n').contains("The capture is empty and was not saved"));
        QVERIFY(s && s->isVisible());
    }

    // Without an open surface save and copy do nothing, and make no
    // hidden surface to read a selection from.
    void saveAndCopyWithoutASurface()
    {
        const QString folder = pryx::test::testRoot() + "/nosurface";
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        set("useSaveScreen", true);
        set("saveScreenFolder", folder);
        QVERIFY(windowsOf<SurfaceWidget>().isEmpty());
        const QStringList before = tmpFiles();
        core->screenSaveToDisk();
        core->screenSaveToClipboard();
        QTest::qWait(50);
        QVERIFY(windowsOf<SurfaceWidget>().isEmpty());
        QCOMPARE(dialogs, 0);
        QCOMPARE(tmpFiles(), before);
        QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());
    }

    // A click on the toolbar's colour strip sets the drawing colour of the
    // capture page's area and stores the position.
    void colourStripSetsTheDrawingColour()
    {
        set("visibleColorPanel", true);
        set("colorColorLine", 7);
        QPointer<SurfaceWidget> s = openSurface(QRect(100, 100, 300, 200));
        QVERIFY(s);
        auto *area = qobject_cast<PPainterArea *>(s->paintArea());
        QVERIFY(area);
        QCOMPARE(area->currentColor(), core->getColorFromX(7));
        QQuickItem *strip = s->rootObject()->findChild<QQuickItem *>("colorStripArea");
        QTRY_VERIFY(strip && strip->isVisible());
        const QPoint at = strip->mapToScene(QPointF(200, 12)).toPoint();
        QTest::mouseClick(s, Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(area->currentColorX(), 195);
        QCOMPARE(area->currentColor(), core->getColorFromX(195));
        QVERIFY(core->getColorFromX(195) != core->getColorFromX(7));
        QCOMPARE(settings->getValue("colorColorLine").toInt(), 195);
        // Drawn items take it.
        area->setCurrentModule("Rect");
        QTest::mousePress(s, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
        QTest::mouseMove(s, QPoint(200, 200));
        QTest::mouseMove(s, QPoint(250, 250));
        QTest::mouseRelease(s, Qt::LeftButton, Qt::NoModifier, QPoint(250, 250));
        const QImage result = s->grabResult().toImage();
        // The rectangle's left edge lies at x 50 of the result.
        bool found = false;
        for (int x = 44; x < 57 && !found; ++x)
            found = result.pixelColor(x, 100) == core->getColorFromX(195);
        QVERIFY(found);
    }

    void lastLinkAndClipboard()
    {
        QSignalSpy changed(core, SIGNAL(lastLinkChanged(QString)));
        core->setLastLink("https://example.invalid/a");
        QCOMPARE(core->lastLink(), QString("https://example.invalid/a"));
        QCOMPARE(QApplication::clipboard()->text(), QString("https://example.invalid/a"));

        // The same link again: signalled, but the clipboard is left alone.
        QApplication::clipboard()->setText("something else");
        changed.clear();
        core->setLastLink("https://example.invalid/a");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(QApplication::clipboard()->text(), QString("something else"));
        QCOMPARE(core->clipboardText(), QString("something else"));

        core->copyLastLink();
        QCOMPARE(QApplication::clipboard()->text(), QString("https://example.invalid/a"));

        urls.urls.clear();
        core->openLastLink();
        core->openUrl("http://example.invalid/page with space");
        QCOMPARE(urls.urls.size(), 2);
        QCOMPARE(urls.urls.at(0), QUrl("https://example.invalid/a"));
        QCOMPARE(urls.urls.at(1).host(), QString("example.invalid"));
    }

    void historyLinkIsSigned()
    {
        urls.urls.clear();
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        core->openHistory();
        const qint64 after = QDateTime::currentSecsSinceEpoch();
        QCOMPARE(urls.urls.size(), 1);
        const QUrl url = urls.urls.first();
        QCOMPARE(url.authority(), core->authHost());
        const QStringList parts = url.path().split('/', Qt::SkipEmptyParts);
        QCOMPARE(parts.size(), 4);
        QCOMPARE(parts.at(0), QString("login"));
        QCOMPARE(parts.at(1), QString("secret-token"));
        const qint64 s = parts.at(3).toLongLong();
        QVERIFY(s >= before && s <= after);
        QCOMPARE(parts.at(2), QString::fromLatin1(
                     QCryptographicHash::hash("secret-token" + QByteArray::number(s),
                                              QCryptographicHash::Md5).toHex()));

        // Without a login no browser opens.
        set("token", QString());
        urls.urls.clear();
        core->openHistory();
        QVERIFY(urls.urls.isEmpty());
    }
};

int main(int argc, char **argv)
{
    return pryx::test::execOnPrivateDisplay<TestCoreCapture>(argc, argv);
}

#include "tst_corecapture.moc"
