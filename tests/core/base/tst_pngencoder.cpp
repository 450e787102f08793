// The striped PNG writer against Qt's own writer and two independent
// decoders (a Python reader on zlib, and ImageMagick): the same pixels,
// valid chunks and one valid zlib stream for every size and stripe split.

#include <QtTest>

#include <QBuffer>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtEndian>

#include "core/base/pngencoder.h"

namespace {

// Noise, gradients, flat areas and text.
QImage sample(int w, int h, QImage::Format format, quint32 seed)
{
    QImage img(w, h, QImage::Format_ARGB32);
    QRandomGenerator rng(seed);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int band = (x / 7 + y / 5) % 4;
            QRgb p;
            if (band == 0)
                p = rng.generate();
            else if (band == 1)
                p = qRgba(x & 255, y & 255, (x + y) & 255, 255);
            else if (band == 2)
                p = qRgba(30, 60, 90, (x * 3) & 255);
            else
                p = qRgba(250, 250, 250, 255);
            line[x] = p;
        }
    }
    if (w > 20 && h > 12) {
        QPainter pt(&img);
        pt.setPen(Qt::black);
        pt.drawText(QRect(0, 0, w, h), Qt::TextWordWrap, QStringLiteral("Pryx capture 0123456789 ") .repeated(8));
    }
    return img.convertToFormat(format);
}

// Rows made so that each of the five row filters is the cheapest for some
// of them: small signed noise (none), ramps (sub), a copy of the row above
// (up), each byte the mean of its left and upper neighbours (average) or
// their Paeth prediction (Paeth), after rows of full-range noise.
QImage filterBands(int w, int h, bool alpha, quint32 seed)
{
    const int bpp = alpha ? 4 : 3, n = w * bpp;
    QRandomGenerator rng(seed);
    QByteArray prev(n, 0), cur(n, 0);
    QImage img(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    auto paeth = [](int a, int b, int c) {
        const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
        return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    };
    for (int y = 0; y < h; ++y) {
        auto *u = reinterpret_cast<const uchar *>(prev.constData());
        auto *v = reinterpret_cast<uchar *>(cur.data());
        for (int i = 0; i < n; ++i) {
            const int a = i >= bpp ? v[i - bpp] : 0, b = u[i], c = i >= bpp ? u[i - bpp] : 0;
            switch (y % 7) {
            case 1: v[i] = uchar((a + b) >> 1); break;
            case 3: v[i] = uchar(paeth(a, b, c)); break;
            case 4: v[i] = uchar(int(rng.bounded(25)) - 12); break;
            case 5: v[i] = uchar(b); break;
            case 6: v[i] = uchar(i < bpp ? rng.bounded(3) : a + 1 + i % bpp); break;
            default: v[i] = uchar(rng.bounded(256)); break;
            }
        }
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const uchar *px = v + x * bpp;
            line[x] = qRgba(px[0], px[1], px[2], alpha ? px[3] : 255);
        }
        prev.swap(cur);
    }
    return img;
}

// The filter type of each row of a PNG file with one zlib stream.
QSet<int> filterTypes(const QByteArray &png)
{
    QByteArray stream;
    int w = 0, h = 0, bpp = 0;
    for (int pos = 8; pos + 12 <= png.size();) {
        const auto *p = reinterpret_cast<const uchar *>(png.constData() + pos);
        const int len = int(qFromBigEndian<quint32>(p));
        const QByteArray type = png.mid(pos + 4, 4);
        if (type == "IHDR") {
            w = int(qFromBigEndian<quint32>(p + 8));
            h = int(qFromBigEndian<quint32>(p + 12));
            bpp = p[17] == 6 ? 4 : 3;
        } else if (type == "IDAT") {
            stream += png.mid(pos + 8, len);
        }
        pos += 12 + len;
    }
    const int stride = w * bpp + 1;
    uchar size[4];
    qToBigEndian<quint32>(quint32(stride * h), size);
    const QByteArray raw = qUncompress(QByteArray(reinterpret_cast<const char *>(size), 4) + stream);
    QSet<int> types;
    for (int y = 0; y < h && (y + 1) * stride <= raw.size(); ++y)
        types.insert(uchar(raw[y * stride]));
    return types;
}

// What a reader must get back: RGB for opaque formats, unpremultiplied RGBA
// otherwise, as Qt's writer stores them.
QByteArray expectedSamples(const QImage &img)
{
    const bool alpha = img.hasAlphaChannel();
    const QImage src = img.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    QByteArray out;
    out.reserve(src.width() * src.height() * (alpha ? 4 : 3));
    for (int y = 0; y < src.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            out.append(char(qRed(line[x])));
            out.append(char(qGreen(line[x])));
            out.append(char(qBlue(line[x])));
            if (alpha)
                out.append(char(qAlpha(line[x])));
        }
    }
    return out;
}

QByteArray qtPng(const QImage &img)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestPngEncoder : public QObject
{
    Q_OBJECT
private slots:
    void samePixelsAsQtAndIndependentReaders_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("threads");
        QTest::addColumn<int>("minStripe");
        QTest::addColumn<bool>("everyFilter");

        const int rgb = QImage::Format_RGB32, argb = QImage::Format_ARGB32,
                  pm = QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("1x1 rgb") << 1 << 1 << rgb << 8 << 1 << false;
        QTest::newRow("one row, odd width") << 333 << 1 << rgb << 8 << 1 << false;
        QTest::newRow("one row, alpha") << 257 << 1 << argb << 8 << 1 << false;
        QTest::newRow("one column") << 1 << 41 << pm << 8 << 1 << false;
        QTest::newRow("odd size, a row per stripe") << 67 << 13 << rgb << 8 << 1 << false;
        QTest::newRow("odd size, premultiplied, stripes") << 131 << 97 << pm << 4 << 4000 << false;
        QTest::newRow("odd size, alpha, stripes") << 129 << 95 << argb << 3 << 3000 << false;
        QTest::newRow("odd size, one thread") << 131 << 97 << rgb << 1 << 1 << false;
        QTest::newRow("more threads than rows") << 211 << 3 << pm << 8 << 1 << false;
        QTest::newRow("every filter, odd width, stripes") << 203 << 61 << rgb << 3 << 2000 << true;
        QTest::newRow("every filter, alpha, stripes") << 97 << 45 << argb << 4 << 1500 << true;
    }
    void samePixelsAsQtAndIndependentReaders()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(int, format);
        QFETCH(int, threads);
        QFETCH(int, minStripe);
        QFETCH(bool, everyFilter);
        const quint32 seed = quint32(w * 131 + h);
        const QImage img = everyFilter ? filterBands(w, h, format != QImage::Format_RGB32, seed)
                                       : sample(w, h, QImage::Format(format), seed);
        pryx::PngOptions opt;
        opt.threads = threads;
        opt.minStripeBytes = minStripe;
        QByteArray bytes;
        QVERIFY(pryx::encodePng(img, &bytes, opt));
        if (everyFilter)
            QCOMPARE(filterTypes(bytes), (QSet<int>{0, 1, 2, 3, 4}));

        // Qt reads back the same pixels as from its own file.
        const QImage fromOurs = QImage::fromData(bytes, "PNG");
        const QImage fromQt = QImage::fromData(qtPng(img), "PNG");
        QVERIFY(!fromOurs.isNull());
        QCOMPARE(fromOurs.format(), fromQt.format());
        QCOMPARE(fromOurs, fromQt);

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a.png"));
        QVERIFY(writeFile(file, bytes));
        const QByteArray expected = expectedSamples(img);
        const QString head = QStringLiteral("%1 %2 %3\n").arg(w).arg(h).arg(img.hasAlphaChannel() ? 6 : 2);

        QProcess py;
        py.start(QStringLiteral("python3"), {QStringLiteral(PRYX_TEST_SUPPORT_DIR "/pngdecode.py"), file});
        QVERIFY(py.waitForFinished(60000));
        QVERIFY2(py.exitCode() == 0, py.readAllStandardError().constData());
        QCOMPARE(py.readAllStandardOutput(), head.toLatin1() + expected);

        QProcess magick;
        magick.start(QStringLiteral("/usr/bin/convert"),
                     {file, img.hasAlphaChannel() ? QStringLiteral("rgba:-") : QStringLiteral("rgb:-")});
        QVERIFY(magick.waitForFinished(60000));
        QVERIFY2(magick.exitCode() == 0, magick.readAllStandardError().constData());
        QCOMPARE(magick.readAllStandardOutput(), expected);
    }

    // A desktop-sized picture: many stripes on every core, the pixels whole,
    // and a file not much larger than Qt's single deflate writes.
    void largeCaptureStaysCloseToQtInSize()
    {
        QImage img(3840, 1080, QImage::Format_RGB32);
        img.fill(QColor(236, 236, 236));
        {
            QPainter p(&img);
            QLinearGradient g(0, 0, 3840, 0);
            g.setColorAt(0, QColor(20, 60, 140));
            g.setColorAt(1, QColor(200, 80, 30));
            p.fillRect(0, 0, 3840, 300, g);
            p.setPen(Qt::black);
            for (int y = 320; y < 1080; y += 18)
                p.drawText(10, y, QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789 ").repeated(12));
            QRandomGenerator rng(7);
            for (int i = 0; i < 400; ++i)
                p.fillRect(int(rng.bounded(3800)), int(rng.bounded(1040)), 40, 40,
                           QColor::fromRgb(rng.generate()));
        }
        QByteArray ours;
        QVERIFY(pryx::encodePng(img, &ours));
        const QByteArray theirs = qtPng(img);
        QVERIFY2(ours.size() <= theirs.size() * 1.15,
                 qPrintable(QStringLiteral("%1 against %2 bytes").arg(ours.size()).arg(theirs.size())));
        QCOMPARE(QImage::fromData(ours, "PNG"), QImage::fromData(theirs, "PNG"));

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("big.png"));
        QVERIFY(writeFile(file, ours));
        QProcess magick;
        magick.start(QStringLiteral("/usr/bin/convert"), {file, QStringLiteral("rgb:-")});
        QVERIFY(magick.waitForFinished(60000));
        QCOMPARE(magick.exitCode(), 0);
        QCOMPARE(magick.readAllStandardOutput(), expectedSamples(img));
    }

    // Written to a device stripe by stripe: the same bytes as in memory, for
    // the striped formats and for those Qt writes; a device that refuses
    // the bytes (a full disk) is a failure.
    void writesTheSameFileToADevice()
    {
        const QImage striped = sample(301, 207, QImage::Format_ARGB32_Premultiplied, 11);
        const QImage viaQt = sample(40, 30, QImage::Format_Grayscale8, 12);
        pryx::PngOptions opt;
        opt.threads = 4;
        opt.minStripeBytes = 2000;
        for (const QImage &img : {striped, viaQt}) {
            QByteArray inMemory;
            QVERIFY(pryx::encodePng(img, &inMemory, opt));
            QByteArray written;
            QBuffer buffer(&written);
            QVERIFY(buffer.open(QIODevice::WriteOnly));
            QVERIFY(pryx::writePng(img, &buffer, opt));
            QCOMPARE(written, inMemory);
        }
        QFile full(QStringLiteral("/dev/full"));
        if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            QSKIP("no /dev/full");
        QVERIFY(!pryx::writePng(striped, &full, opt));
        QVERIFY(full.error() != QFileDevice::NoError);
    }

    void otherFormatsGoThroughQt()
    {
        QImage gray = sample(50, 30, QImage::Format_Grayscale8, 3);
        QImage indexed = sample(50, 30, QImage::Format_RGB32, 4).convertToFormat(QImage::Format_Indexed8);
        QImage texted = sample(50, 30, QImage::Format_RGB32, 5);
        texted.setText(QStringLiteral("Title"), QStringLiteral("x"));
        for (const QImage &img : {gray, indexed, texted}) {
            QByteArray bytes;
            QVERIFY(pryx::encodePng(img, &bytes));
            QCOMPARE(bytes, qtPng(img));
        }
        QByteArray none;
        QVERIFY(!pryx::encodePng(QImage(), &none));
        QVERIFY(none.isEmpty());
    }
};

QTEST_MAIN(TestPngEncoder)
#include "tst_pngencoder.moc"
