#include "capture/ponoram.h"
#include "capture/ponorampreview.h"
#include "platform/desktopgrab.h"
#include "support/scrollwindow.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QX11Info>
#include <QtTest>

namespace {

// A window over `content` that moves `step` rows per notch and stops at the
// end; the cursor stays inside until tick `leaveAt`, the picture changes
// completely at tick `changeAt`.
class ScriptedInput : public PonoramInput
{
public:
    QImage content;
    QRect rect;
    int step = 0;
    int pos = 0;
    int ticks = 0;
    int leaveAt = -1;
    int changeAt = -1;
    int clicks = 0;

    QImage grab(const QRect &r) override
    {
        QImage shot = content.copy(0, pos, r.width(), r.height());
        if (changeAt >= 0 && ticks >= changeAt)
            shot.invertPixels();
        return shot;
    }
    void click(const QPoint &p) override
    {
        if (rect.contains(p))
            ++clicks;
    }
    void wheelDown() override
    {
        ++ticks;
        pos = qMin(pos + step, content.height() - rect.height());
    }
    QPoint cursorPos() override
    {
        return (leaveAt >= 0 && ticks >= leaveAt) ? rect.bottomRight() + QPoint(5, 5) : rect.center();
    }
};

QImage rows(const QVector<int> &levels, int width)
{
    QImage img(width, levels.size(), QImage::Format_RGB32);
    for (int y = 0; y < levels.size(); ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, levels[y] < 0 ? qRgb(128, 127, 127)
                                             : qRgb(levels[y], levels[y], levels[y]));
    return img;
}

} // namespace

class TstPonoram : public QObject
{
    Q_OBJECT

private slots:
    void findOffset_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QImage>("strip");
        QTest::addColumn<int>("offset");
        const QImage noise = pryx::test::scrollContent(64, 400);
        QTest::newRow("overlap found") << noise << noise.copy(0, 137, 64, 100) << 137;
        QTest::newRow("at the top") << noise << noise.copy(0, 0, 64, 100) << 0;
        QTest::newRow("at the bottom") << noise << noise.copy(0, 300, 64, 100) << 300;
        QImage other = noise.copy(0, 50, 64, 100);
        other.invertPixels();
        QTest::newRow("no overlap") << noise << other << -1;
        QTest::newRow("strip without rows") << noise << QImage() << -1;
        QTest::newRow("image without width") << QImage() << noise.copy(0, 0, 64, 10) << -1;
        QTest::newRow("strip taller than image") << noise.copy(0, 0, 64, 50) << noise.copy(0, 0, 64, 60) << -1;
        QTest::newRow("other width") << noise << noise.copy(0, 10, 32, 10) << -1;
        // 127+127+127 = 381 is dark, 128+127+127 = 382 is light.
        QTest::newRow("threshold dark") << rows({255, 127, 0}, 8) << rows({0}, 8) << 1;
        QTest::newRow("threshold light") << rows({0, 0, -1}, 8) << rows({255}, 8) << 2;
        QTest::newRow("repeated rows: first wins") << rows({255, 0, 0, 0, 0}, 4) << rows({0, 0}, 4) << 1;
    }
    void findOffset()
    {
        QFETCH(QImage, image);
        QFETCH(QImage, strip);
        QFETCH(int, offset);
        QCOMPARE(Ponoram::findOffset(image, strip), offset);
    }

    void ticks_data()
    {
        QTest::addColumn<int>("contentHeight");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("leaveAt");
        QTest::addColumn<int>("changeAt");
        QTest::addColumn<int>("resultHeight");
        QTest::addColumn<bool>("error");
        QTest::addColumn<int>("ticks");
        // 600 rows in a 200 row window, 30 per notch: 14 moving ticks, then
        // five standing still.
        QTest::newRow("scrolls to the end") << 600 << 30 << -1 << -1 << 600 << false << 19;
        QTest::newRow("cannot scroll") << 200 << 30 << -1 << -1 << 200 << false << 5;
        QTest::newRow("cursor leaves") << 600 << 30 << 3 << -1 << 200 + 3 * 30 << false << 3;
        QTest::newRow("content changes") << 600 << 30 << -1 << 4 << 200 + 3 * 30 << true << 4;
    }
    void ticks()
    {
        QFETCH(int, contentHeight);
        QFETCH(int, step);
        QFETCH(int, leaveAt);
        QFETCH(int, changeAt);
        QFETCH(int, resultHeight);
        QFETCH(bool, error);
        QFETCH(int, ticks);

        Ponoram engine;
        auto *in = new ScriptedInput;
        in->content = pryx::test::scrollContent(120, contentHeight);
        in->rect = QRect(300, 200, 120, 200);
        in->step = step;
        in->leaveAt = leaveAt;
        in->changeAt = changeAt;
        engine.setInput(in);
        QSignalSpy complete(&engine, &Ponoram::complete);
        QSignalSpy glueError(&engine, &Ponoram::errorGlueImage);
        QSignalSpy sizes(&engine, &Ponoram::rectChange);

        engine.startPonoram(in->rect);
        QCOMPARE(in->clicks, 2);
        for (int i = 0; i < 100 && engine.isRunning(); ++i)
            engine.shotTimer();
        QVERIFY(!engine.isRunning());
        QCOMPARE(in->ticks, ticks);
        QCOMPARE(complete.count(), 1);
        QCOMPARE(glueError.count(), error ? 1 : 0);
        const QPixmap result = complete.first().first().value<QPixmap>();
        QCOMPARE(result.height(), resultHeight);
        QCOMPARE(result.toImage().convertToFormat(QImage::Format_RGB32),
                 in->content.copy(0, 0, 120, resultHeight));
        if (!error)
            QCOMPARE(sizes.last().first().toSize(), result.size());
        // A stop after the end emits nothing more.
        engine.stopPonoram();
        QCOMPARE(complete.count(), 1);
    }

    // A pause in the scrolling does not count towards the standstill.
    void standstillResetsWhenMoving()
    {
        Ponoram engine;
        auto *in = new ScriptedInput;
        in->content = pryx::test::scrollContent(80, 1000);
        in->rect = QRect(0, 0, 80, 200);
        engine.setInput(in);
        engine.startPonoram(in->rect);
        // Four ticks without movement, one with, four without again.
        for (int i = 0; i < 4; ++i)
            engine.shotTimer();
        in->step = 40;
        engine.shotTimer();
        in->step = 0;
        for (int i = 0; i < 4; ++i)
            engine.shotTimer();
        QVERIFY(engine.isRunning());
        engine.shotTimer();
        QVERIFY(!engine.isRunning());
        QCOMPARE(engine.image().height(), 240);
    }

    // A second run measures afresh and stops on its own standstill.
    void secondRun()
    {
        Ponoram engine;
        auto *in = new ScriptedInput;
        in->content = pryx::test::scrollContent(80, 300);
        in->rect = QRect(0, 0, 80, 200);
        in->step = 50;
        engine.setInput(in);
        QSignalSpy complete(&engine, &Ponoram::complete);
        for (int run = 0; run < 2; ++run) {
            in->pos = 0;
            engine.startPonoram(in->rect);
            for (int i = 0; i < 50 && engine.isRunning(); ++i)
                engine.shotTimer();
            QVERIFY(!engine.isRunning());
            QCOMPARE(complete.count(), run + 1);
            QCOMPARE(complete.last().first().value<QPixmap>().height(), 300);
        }
    }

    void cancelEmitsNothing()
    {
        Ponoram engine;
        auto *in = new ScriptedInput;
        in->content = pryx::test::scrollContent(80, 300);
        in->rect = QRect(0, 0, 80, 200);
        engine.setInput(in);
        QSignalSpy complete(&engine, &Ponoram::complete);
        engine.startPonoram(in->rect);
        engine.cancelPonoram();
        engine.stopPonoram();
        QCOMPARE(complete.count(), 0);
    }

    void preview_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<int>("firstSourceRow");
        QTest::newRow("short") << QSize(96, 100) << QSize(96, 100) << 0;
        QTest::newRow("tall: bottom rows") << QSize(96, 1000) << QSize(96, 234) << 766;
        QTest::newRow("wide and short") << QSize(192, 100) << QSize(96, 50) << 0;
        QTest::newRow("wide and tall") << QSize(192, 1000) << QSize(96, 234) << 532;
        QTest::newRow("null image") << QSize() << QSize(0, 0) << 0;
    }
    void preview()
    {
        QFETCH(QSize, source);
        QFETCH(QSize, shown);
        QFETCH(int, firstSourceRow);
        PonoramPreview item;
        QImage img;
        if (source.isValid()) {
            img = QImage(source, QImage::Format_RGB32);
            for (int y = 0; y < source.height(); ++y)
                for (int x = 0; x < source.width(); ++x)
                    img.setPixel(x, y, qRgb(y % 256, y / 256, 0));
        }
        item.setImage(img);
        QCOMPARE(item.previewImage().size(), shown);
        if (!shown.isEmpty()) {
            const QRgb top = item.previewImage().pixel(0, 0);
            QVERIFY2(qAbs(qRed(top) + 256 * qGreen(top) - firstSourceRow) <= 1, "first row shown");
        }
        QImage canvas(120, 260, QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        QPainter p(&canvas);
        item.paint(&p); // paints with or without an image
    }

    // The real desktop: a window of another process scrolled by XTest.
    void realPanorama()
    {
        if (!QX11Info::isPlatformX11())
            QSKIP("needs an X display");
        const QRect geo(300, 150, 240, 300);
        const int contentHeight = 900;
        pryx::test::ScrollWindowProcess win;
        QVERIFY(win.start(geo, contentHeight, 40));
        Ponoram engine;
        QSignalSpy complete(&engine, &Ponoram::complete);
        QSignalSpy glueError(&engine, &Ponoram::errorGlueImage);
        engine.startPonoram(geo);
        QVERIFY(complete.wait(20000));
        QCOMPARE(glueError.count(), 0);
        QCOMPARE(win.position(), contentHeight - geo.height());
        const QImage got = complete.first().first().value<QPixmap>().toImage().convertToFormat(
            QImage::Format_RGB32);
        QCOMPARE(got.size(), QSize(geo.width(), contentHeight));
        QCOMPARE(got, pryx::test::scrollContent(geo.width(), contentHeight));
        QTest::qWait(200);
        QCOMPARE(complete.count(), 1);
    }
};

PRYX_SCROLL_TEST_MAIN(TstPonoram)
#include "tst_ponoram.moc"
