// The image-with-audio player: its page, play and stop through the page's
// clicks, a bad file, closing while playing, and "-o" in a child process.

#include <QtTest>

#include <QGuiApplication>
#include <QProcess>
#include <QQuickItem>
#include <QScreen>
#include <QtEndian>

#include <cmath>

#include <sys/stat.h>

#include "core/base/setting.h"
#include "support/pryxchild.h"
#include "support/qmlstandins.h"
#include "support/soundserver.h"
#include "support/testsupport.h"
#include "windows/audioimagefile.h"
#include "windows/audioimageplayer.h"

namespace {

QByteArray le(quint32 v, int bytes)
{
    QByteArray b(4, 0);
    qToLittleEndian(v, reinterpret_cast<uchar *>(b.data()));
    return b.left(bytes);
}

QByteArray toneWav(int ms)
{
    QByteArray pcm;
    for (int i = 0; i < 48 * ms; ++i)
        pcm += le(quint16(qint16(12000 * std::sin(2 * M_PI * 440 * i / 48000))), 2);
    return "RIFF" + le(quint32(36 + pcm.size()), 4) + "WAVE" + "fmt " + le(16, 4) + le(1, 2)
           + le(1, 2) + le(48000, 4) + le(96000, 4) + le(2, 2) + le(16, 2) + "data"
           + le(quint32(pcm.size()), 4) + pcm;
}

// A red picture, so a screenshot shows whether it is on the page.
QByteArray redPng()
{
    QImage image(320, 200, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

QQuickItem *item(QQuickView &v, const char *name)
{
    return v.rootObject() ? v.rootObject()->findChild<QQuickItem *>(QLatin1String(name)) : nullptr;
}

} // namespace

class TestAudioImagePlayer : public QObject
{
    Q_OBJECT
    CoreStandIn core_;
    QString dir_;
    pryx::test::SoundServer sound_;
    bool haveSound_ = false;

    QString makeFile(const QString &name, int ms)
    {
        AudioImageFile file;
        file.setPath(dir_ + "/" + name);
        return file.write(redPng(), toneWav(ms)) ? file.path() : QString();
    }

    static void click(QQuickView &view, QQuickItem *target)
    {
        const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    }

private slots:
    void initTestCase()
    {
        AudioImageFile::setLibraryPath(QStringLiteral(PRYX_BINARY_DIR "/bin/audiolib.so"));
        BasicWindow::setCoreObject(&core_);
        Setting::instance()->setValue(QStringLiteral("username"), QStringLiteral("anna"));
        dir_ = QDir::tempPath() + "/player";
        QVERIFY(QDir().mkpath(dir_));
        haveSound_ = sound_.start();
    }
    void cleanupTestCase() { sound_.stop(); }

    void opensWithPicture()
    {
        const QString path = makeFile("open.pia", 100);
        QVERIFY(!path.isEmpty());
        AudioImagePlayer player;
        player.setFile(path);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        QCOMPARE(player.title(), QStringLiteral("Player - anna"));
        QCOMPARE(player.objectName(), QStringLiteral("PlayerWidget"));
        QVERIFY(player.isMovable());
        QCOMPARE(player.errorText(), QString());
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(player.x(), area.width() / 2 - player.width() / 2);
        QCOMPARE(player.y(), area.height() / 2 - 315);
        auto *picture = item(player, "picture");
        QVERIFY(picture);
        QTRY_COMPARE(picture->property("status").toInt(), 1); // Image.Ready
        QCOMPARE(picture->property("sourceSize").toSize(), QSize(320, 200));
        QVERIFY(item(player, "overlay")->isVisible());
        QVERIFY(item(player, "playIcon")->isVisible());
        QVERIFY(!item(player, "errorText")->isVisible());
        const QImage shot = player.grabWindow();
        const QPointF c = picture->mapToScene(QPointF(picture->width() / 2, picture->height() / 4));
        const QColor seen = shot.pixelColor(c.toPoint() * player.devicePixelRatio());
        QVERIFY2(seen.red() > 150 && seen.green() < 60, qPrintable(seen.name()));
    }

    void badFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("wrong magic") << QByteArray(40, 'x');
        QTest::newRow("lengths past the end") << QByteArray("PRYXPIA\0", 8) + le(1, 4)
                                                     + QByteArray("\xff\xff\0\0\0\0\0\0", 8)
                                                     + QByteArray(8, 0);
    }
    void badFile()
    {
        QFETCH(QByteArray, bytes);
        const QString path = dir_ + "/bad.pia";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        AudioImagePlayer player;
        player.setFile(path);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        QVERIFY(player.errorText().contains(path));
        auto *text = item(player, "errorText");
        QVERIFY(text && text->isVisible());
        QCOMPARE(text->property("text").toString(), player.errorText());
        QVERIFY(!item(player, "overlay")->isVisible());
        player.playAudio();
        QTest::qWait(100);
        QVERIFY(!player.isPlay());
        // The file is left as it was.
        QCOMPARE(QFileInfo(path).size(), qint64(bytes.size()));
    }

    // Without the library the player opens empty, and play ends at once.
    void withoutLibrary()
    {
        const QString path = makeFile("nolib.pia", 100);
        AudioImageFile::setLibraryPath(dir_ + "/none.so");
        AudioImagePlayer player;
        player.setFile(path);
        AudioImageFile::setLibraryPath(QStringLiteral(PRYX_BINARY_DIR "/bin/audiolib.so"));
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        QCOMPARE(player.errorText(), QString());
        QSignalSpy changed(&player, &AudioImagePlayer::isPlayChanged);
        player.playAudio();
        QTRY_VERIFY(changed.count() >= 2);
        QVERIFY(!player.isPlay());
        QVERIFY(item(player, "overlay")->isVisible());
    }

    // Overlay click plays, picture click stops, a second play starts again.
    void playAndStopByClicks()
    {
        if (!haveSound_)
            QSKIP("no PulseAudio server could be started here");
        const QString path = makeFile("long.pia", 5000);
        AudioImagePlayer player;
        player.setFile(path);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        auto *overlay = item(player, "overlay");
        for (int round = 0; round < 2; ++round) {
            click(player, overlay);
            QTRY_VERIFY_WITH_TIMEOUT(player.isPlay(), 3000);
            QTRY_VERIFY(!overlay->isVisible());
            click(player, item(player, "picture"));
            QTRY_VERIFY_WITH_TIMEOUT(!player.isPlay(), 3000);
            QTRY_VERIFY(overlay->isVisible());
        }
    }

    void playsToTheEnd()
    {
        if (!haveSound_)
            QSKIP("no PulseAudio server could be started here");
        AudioImagePlayer player;
        player.setFile(makeFile("short.pia", 300));
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        player.playAudio();
        QTRY_VERIFY_WITH_TIMEOUT(player.isPlay(), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(!player.isPlay(), 5000);
        QCOMPARE(player.file()->errorString(), QString());
    }

    // Closing while the sound plays stops and joins the playback thread.
    void closeWhilePlaying()
    {
        if (!haveSound_)
            QSKIP("no PulseAudio server could be started here");
        auto *player = new AudioImagePlayer;
        QPointer<AudioImagePlayer> guard(player);
        connect(player, &BasicWindow::closed, player, &QObject::deleteLater);
        player->setFile(makeFile("close.pia", 5000));
        player->show();
        QVERIFY(QTest::qWaitForWindowExposed(player));
        player->playAudio();
        QTRY_VERIFY_WITH_TIMEOUT(player->isPlay(), 3000);
        QElapsedTimer t;
        t.start();
        player->close();
        QTRY_VERIFY(guard.isNull());
        QVERIFY(t.elapsed() < 3000);
    }

    // "-o" with a FIFO: the program names the file on the page and runs on
    // instead of waiting for a writer.
    void commandLineFifoRefused()
    {
        const QString fifo = pryx::test::testRoot() + "/player-fifo.pia";
        QFile::remove(fifo);
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        pryx::test::RunningChild child;
        QVERIFY(child.start(pryx::test::programPath(), {"-debug", "-o", fifo}));
        QVERIFY2(child.waitFor("starting event loop", 15000), child.output().constData());
        QVERIFY2(child.waitFor("not a regular file", 5000), child.output().constData());
        QVERIFY(child.running());
        child.stop();
        QFile::remove(fifo);
    }

    // "-o file.pia" opens the player with the picture.
    void commandLineOpensPlayer()
    {
        if (QStandardPaths::findExecutable("xdotool").isEmpty())
            QSKIP("xdotool is not installed");
        if (qEnvironmentVariable("QT_QPA_PLATFORM") == "offscreen")
            QSKIP("needs the X display");
        const QString path = makeFile("cli.pia", 100);
        QProcess child;
        child.start(pryx::test::programPath(), {"-o", path});
        QVERIFY(child.waitForStarted());
        QString id;
        QElapsedTimer t;
        t.start();
        while (id.isEmpty() && t.elapsed() < 30000) {
            QTest::qWait(200);
            QProcess find;
            find.start("xdotool", {"search", "--onlyvisible", "--pid",
                                   QString::number(child.processId()), "--name", "^Player - "});
            find.waitForFinished(5000);
            id = QString::fromLatin1(find.readAllStandardOutput()).split('\n').value(0).trimmed();
        }
        QVERIFY2(!id.isEmpty(), "no player window");
        // Read straight from the X server. Shown is not yet drawn: look
        // until the picture is there. The picture sits in the middle of the
        // 800 x 600 panel.
        QImage image;
        QColor seen;
        t.restart();
        do {
            QTest::qWait(100);
            image = QGuiApplication::primaryScreen()->grabWindow(id.toULong()).toImage();
            if (!image.isNull())
                seen = image.pixelColor(image.width() / 2, image.height() / 2 - 100);
        } while (!(seen.red() > 120 && seen.green() < 60) && t.elapsed() < 30000);
        child.terminate();
        QVERIFY(child.waitForFinished(5000));
        QVERIFY(!image.isNull());
        QVERIFY2(seen.red() > 120 && seen.green() < 60, qPrintable(seen.name()));
    }
};

QTEST_MAIN(TestAudioImagePlayer)
#include "tst_audioimageplayer.moc"
