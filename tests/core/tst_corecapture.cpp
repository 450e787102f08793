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

#include "capture/surfaceselector.h"
#include "capture/surfacewidget.h"
#include "core/core.h"
#include "core/paths.h"
#include "core/setting.h"
#include "platform/filedialogs.h"
#include "support/privatedisplay.h"
#include "support/standin.h"
#include "support/testsupport.h"

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

QList<SurfaceWidget *> surfaces()
{
    QList<SurfaceWidget *> out;
    for (QWindow *w : QGuiApplication::topLevelWindows())
        if (auto *s = qobject_cast<SurfaceWidget *>(w))
            out << s;
    return out;
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

} // namespace

class TestCoreCapture : public QObject
{
    Q_OBJECT
    Core *core = nullptr;
    Setting *settings = nullptr;
    UrlCatcher urls;
    testsupport::StandIn standIn;
    QString lastProposed;
    QString dialogAnswer;
    int dialogs = 0;

    void set(const char *key, const QVariant &value) { settings->setValue(QString::fromLatin1(key), value); }

    // Opens the capture surface with a finished selection.
    SurfaceWidget *openSurface(const QRect &selection)
    {
        core->fragmentScreen();
        const QList<SurfaceWidget *> list = surfaces();
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
        platform::setDialogAnswerer([this](platform::DialogKind, const QString &, const QString &path,
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
        for (SurfaceWidget *s : surfaces())
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
        QCOMPARE(bytes, encode(expected, format.constData(), jpegQuality));
        QImageReader reader(file);
        QCOMPARE(reader.size(), selection.size());
        QCOMPARE(core->audioImageSource(), file);
        QCOMPARE(settings->getValue("count_screen").toInt(), counted + 1);
        QVERIFY(g_log.join('\n').contains(file));   // handed to the upload entry
        waitGone(s);
        QVERIFY(surfaces().isEmpty());
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
        QVERIFY(surfaces().isEmpty());
        QImageReader reader(core->lastCaptureFile());
        QCOMPARE(reader.size(), QGuiApplication::primaryScreen()->geometry().size());
    }

    void captureWithoutLoginOpensTheLoginWindow()
    {
        set("token", QString());
        core->fragmentScreen();
        QVERIFY(surfaces().isEmpty());
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
        set("lastSavePath", testsupport::testRoot());
        ForeignWindow window;
        if (!title.isEmpty())
            QVERIFY(window.start(title, QRect(300, 200, 300, 200)));

        QPointer<SurfaceWidget> s = openSurface(QRect(350, 250, 100, 80));
        QVERIFY(s);
        dialogAnswer.clear();   // cancel
        s->saveScreen();
        QCOMPARE(dialogs, 1);
        const QString name = QFileInfo(lastProposed).completeBaseName();
        QCOMPARE(QFileInfo(lastProposed).absolutePath(), QDir(testsupport::testRoot()).absolutePath());
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
        const QString folder = testsupport::testRoot() + "/saved";
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
        const QString folder = testsupport::testRoot() + "/copies";
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
    testsupport::PrivateDisplay display;
    if (!display.start()) {
        fprintf(stderr, "no private X display\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestCoreCapture test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_corecapture.moc"
