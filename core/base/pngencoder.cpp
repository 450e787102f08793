#include "core/base/pngencoder.h"

#include <QBuffer>
#include <QColorSpace>
#include <QThread>

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <thread>
#include <vector>

namespace pryx {

namespace {

using Bytes = std::vector<uint8_t>;

// Rows filtered at a time before they are handed to deflate.
constexpr int kRowsPerBatch = 16;

void put32(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// Where the file's bytes go: a byte array, or a device written as the
// stripes are joined. False once a write failed.
class Sink
{
public:
    explicit Sink(QByteArray *bytes) : bytes_(bytes) {}
    explicit Sink(QIODevice *device) : device_(device) {}
    bool put(const void *data, size_t len)
    {
        if (!ok_ || len == 0)
            return ok_;
        const char *p = static_cast<const char *>(data);
        if (bytes_) {
            bytes_->append(p, int(len));
            return true;
        }
        ok_ = device_->write(p, qint64(len)) == qint64(len);
        return ok_;
    }
    bool chunk(const char type[4], const uint8_t *data, uint32_t len)
    {
        uint8_t head[8];
        put32(head, len);
        std::memcpy(head + 4, type, 4);
        uLong crc = crc32(0L, head + 4, 4);
        if (len)
            crc = crc32(crc, data, len);
        uint8_t tail[4];
        put32(tail, uint32_t(crc));
        return put(head, 8) && put(data, len) && put(tail, 4);
    }
    void reserve(size_t size)
    {
        if (bytes_)
            bytes_->reserve(int(std::min<size_t>(size, size_t(INT32_MAX))));
    }
    bool ok() const { return ok_; }

private:
    QByteArray *bytes_ = nullptr;
    QIODevice *device_ = nullptr;
    bool ok_ = true;
};

// One image row as PNG samples: RGB or RGBA, 8 bits each. Premultiplied
// rows go through Qt's own conversion, as in Qt's writer, so the rounding
// is the same.
void convertRow(const QImage &image, int y, bool alpha, uint8_t *dst)
{
    const int w = image.width();
    QImage converted;
    const QRgb *src = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    if (image.format() == QImage::Format_ARGB32_Premultiplied) {
        converted = image.copy(0, y, w, 1).convertToFormat(QImage::Format_ARGB32);
        src = reinterpret_cast<const QRgb *>(converted.constScanLine(0));
    }
    if (!alpha) {
        for (int x = 0; x < w; ++x) {
            const QRgb p = src[x];
            dst[0] = uint8_t(qRed(p));
            dst[1] = uint8_t(qGreen(p));
            dst[2] = uint8_t(qBlue(p));
            dst += 3;
        }
        return;
    }
    for (int x = 0; x < w; ++x) {
        const QRgb p = src[x];
        dst[0] = uint8_t(qRed(p));
        dst[1] = uint8_t(qGreen(p));
        dst[2] = uint8_t(qBlue(p));
        dst[3] = uint8_t(qAlpha(p));
        dst += 4;
    }
}

// |v| with v read as a signed byte: libpng's measure of a filtered byte.
inline uint8_t magnitude(uint8_t v) { return std::min<uint8_t>(v, uint8_t(-v)); }

inline uint8_t average(uint8_t a, uint8_t b) { return uint8_t((unsigned(a) + b) >> 1); }

inline uint8_t paeth(int16_t a, int16_t b, int16_t c)
{
    const int16_t pa = int16_t(std::abs(b - c)), pb = int16_t(std::abs(a - c)),
                  pc = int16_t(std::abs(a + b - 2 * c));
    return uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// The sum of magnitudes each filter would give the row, in filter order
// (none, sub, up, average, Paeth). One pass of plain byte arithmetic that
// the compiler turns into vector code; the first pixel has no left
// neighbour, which counts as zero.
void filterCosts(const uint8_t *cur, const uint8_t *prev, size_t n, size_t bpp, uint32_t costs[5])
{
    uint32_t none = 0, sub = 0, up = 0, avg = 0, pae = 0;
    const size_t head = std::min(bpp, n);
    for (size_t i = 0; i < head; ++i) {
        const uint8_t x = cur[i], b = prev[i];
        none += magnitude(x);
        sub += magnitude(x);
        up += magnitude(uint8_t(x - b));
        avg += magnitude(uint8_t(x - (b >> 1)));
        pae += magnitude(uint8_t(x - b));
    }
    for (size_t i = bpp; i < n; ++i) {
        const uint8_t x = cur[i], a = cur[i - bpp], b = prev[i], c = prev[i - bpp];
        none += magnitude(x);
        sub += magnitude(uint8_t(x - a));
        up += magnitude(uint8_t(x - b));
        avg += magnitude(uint8_t(x - average(a, b)));
        pae += magnitude(uint8_t(x - paeth(a, b, c)));
    }
    costs[0] = none;
    costs[1] = sub;
    costs[2] = up;
    costs[3] = avg;
    costs[4] = pae;
}

// Filters `cur` against `prev` (all zero for the first row) with the filter
// whose output has the least sum of magnitudes, as libpng chooses (the
// lower type on a tie); writes the filter byte and the filtered row to `dst`.
void filterRow(const uint8_t *cur, const uint8_t *prev, size_t n, size_t bpp, uint8_t *dst)
{
    uint32_t costs[5];
    filterCosts(cur, prev, n, bpp, costs);
    int type = 0;
    for (int f = 1; f < 5; ++f) {
        if (costs[f] < costs[type])
            type = f;
    }
    *dst++ = uint8_t(type);
    const size_t head = std::min(bpp, n);
    switch (type) {
    case 0:
        std::memcpy(dst, cur, n);
        break;
    case 1:
        std::memcpy(dst, cur, head);
        for (size_t i = bpp; i < n; ++i)
            dst[i] = uint8_t(cur[i] - cur[i - bpp]);
        break;
    case 2:
        for (size_t i = 0; i < n; ++i)
            dst[i] = uint8_t(cur[i] - prev[i]);
        break;
    case 3:
        for (size_t i = 0; i < head; ++i)
            dst[i] = uint8_t(cur[i] - (prev[i] >> 1));
        for (size_t i = bpp; i < n; ++i)
            dst[i] = uint8_t(cur[i] - average(cur[i - bpp], prev[i]));
        break;
    default:
        for (size_t i = 0; i < head; ++i)
            dst[i] = uint8_t(cur[i] - prev[i]);
        for (size_t i = bpp; i < n; ++i)
            dst[i] = uint8_t(cur[i] - paeth(cur[i - bpp], prev[i], prev[i - bpp]));
        break;
    }
}

struct Stripe {
    int first = 0;
    int end = 0;
    bool last = false;
    // Raw deflate data, ending byte-aligned. Left uninitialised: only the
    // pages deflate writes are ever touched.
    std::unique_ptr<uint8_t[]> out;
    size_t capacity = 0;
    size_t size = 0;
    uLong adler = 1;    // Adler-32 of the filtered rows of this stripe
    uLong length = 0;   // their byte count
    uLong crc = 0;      // CRC of the IDAT chunk holding `out`
    bool ok = false;
};

void compressStripe(const QImage &image, bool alpha, int level, Stripe &s)
{
    const size_t bpp = alpha ? 4 : 3;
    const size_t n = size_t(image.width()) * bpp;
    Bytes prev(n, 0), cur(n);
    if (s.first > 0)
        convertRow(image, s.first - 1, alpha, prev.data());
    Bytes batch((n + 1) * kRowsPerBatch);

    z_stream z;
    std::memset(&z, 0, sizeof z);
    if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    s.capacity = deflateBound(&z, uLong((n + 1) * size_t(s.end - s.first))) + 64;
    s.out.reset(new (std::nothrow) uint8_t[s.capacity]);
    if (!s.out) {
        deflateEnd(&z);
        return;
    }
    z.next_out = s.out.get();
    z.avail_out = uInt(std::min<size_t>(s.capacity, UINT32_MAX));
    bool ok = true;
    for (int y = s.first; ok && y < s.end; y += kRowsPerBatch) {
        const int rows = std::min(kRowsPerBatch, s.end - y);
        for (int r = 0; r < rows; ++r) {
            convertRow(image, y + r, alpha, cur.data());
            filterRow(cur.data(), prev.data(), n, bpp, batch.data() + size_t(r) * (n + 1));
            cur.swap(prev);
        }
        const size_t len = size_t(rows) * (n + 1);
        s.adler = adler32(s.adler, batch.data(), uInt(len));
        s.length += uLong(len);
        z.next_in = batch.data();
        z.avail_in = uInt(len);
        const bool end = y + rows >= s.end;
        // A full flush ends every stripe but the last on a byte boundary with
        // no reference to what came before, so the next stripe's deflate
        // data can follow it directly.
        const int flush = !end ? Z_NO_FLUSH : (s.last ? Z_FINISH : Z_FULL_FLUSH);
        int rc = Z_OK;
        do {
            if (z.avail_out == 0) {
                // deflateBound makes this rare: more room, same bytes.
                const size_t used = s.capacity;
                std::unique_ptr<uint8_t[]> bigger(new (std::nothrow) uint8_t[used * 2]);
                if (!bigger) {
                    ok = false;
                    break;
                }
                std::memcpy(bigger.get(), s.out.get(), used);
                s.out = std::move(bigger);
                s.capacity = used * 2;
                z.next_out = s.out.get() + used;
                z.avail_out = uInt(std::min<size_t>(s.capacity - used, UINT32_MAX));
            }
            rc = deflate(&z, flush);
            if (rc == Z_STREAM_ERROR) {
                ok = false;
                break;
            }
        } while (flush == Z_FINISH ? rc != Z_STREAM_END : (z.avail_in > 0 || z.avail_out == 0));
    }
    s.size = size_t(z.next_out - s.out.get());
    deflateEnd(&z);
    if (!ok)
        return;
    uLong crc = crc32(0L, reinterpret_cast<const Bytef *>("IDAT"), 4);
    s.crc = crc32(crc, s.out.get(), uInt(s.size));
    s.ok = true;
}

bool handled(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        break;
    default:
        return false;
    }
    return image.textKeys().isEmpty() && !image.colorSpace().isValid();
}

bool qtEncode(const QImage &image, QByteArray *out)
{
    QBuffer buffer(out);
    return buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG");
}

// Filters and deflates the rows in stripes on several threads, then gives
// the file to `sink` chunk by chunk.
bool writeStriped(const QImage &image, Sink &sink, const PngOptions &options)
{
    const bool alpha = image.hasAlphaChannel();
    const int w = image.width(), h = image.height();
    const size_t rowBytes = size_t(w) * (alpha ? 4 : 3) + 1;
    int threads = options.threads > 0 ? options.threads : QThread::idealThreadCount();
    threads = std::max(1, threads);
    // Four stripes per thread even out stripes of unequal content; each
    // stripe boundary costs the file a few hundred bytes.
    const size_t total = rowBytes * size_t(h);
    int count = int(std::min<size_t>(size_t(threads) * 4, std::max<size_t>(1, total / size_t(std::max(1, options.minStripeBytes)))));
    count = std::max(1, std::min(count, h));
    std::vector<Stripe> stripes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        stripes[size_t(i)].first = int(qint64(h) * i / count);
        stripes[size_t(i)].end = int(qint64(h) * (i + 1) / count);
        stripes[size_t(i)].last = i == count - 1;
    }
    const int level = std::clamp(options.level, 0, 9);
    if (count == 1 || threads == 1) {
        for (Stripe &s : stripes)
            compressStripe(image, alpha, level, s);
    } else {
        std::atomic<int> next{0};
        auto work = [&] {
            for (int i = next++; i < count; i = next++)
                compressStripe(image, alpha, level, stripes[size_t(i)]);
        };
        std::vector<std::thread> pool;
        const int helpers = std::min(threads, count) - 1;
        pool.reserve(size_t(helpers));
        for (int t = 0; t < helpers; ++t)
            pool.emplace_back(work);
        work();
        for (std::thread &t : pool)
            t.join();
    }

    size_t size = 8 + 25 + 21 + 14 + 16 + 12;
    uLong adler = 1;
    for (const Stripe &s : stripes) {
        if (!s.ok)
            return false;
        size += s.size + 12;
        adler = adler32_combine(adler, s.adler, z_off_t(s.length));
    }
    sink.reserve(size);

    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    sink.put(signature, 8);
    uint8_t ihdr[13];
    put32(ihdr, uint32_t(w));
    put32(ihdr + 4, uint32_t(h));
    ihdr[8] = 8;                 // bits per sample
    ihdr[9] = alpha ? 6 : 2;     // RGBA or RGB
    ihdr[10] = ihdr[11] = ihdr[12] = 0;
    sink.chunk("IHDR", ihdr, 13);
    if (image.dotsPerMeterX() > 0 || image.dotsPerMeterY() > 0) {
        uint8_t phys[9];
        put32(phys, uint32_t(std::max(0, image.dotsPerMeterX())));
        put32(phys + 4, uint32_t(std::max(0, image.dotsPerMeterY())));
        phys[8] = 1;             // metres
        sink.chunk("pHYs", phys, 9);
    }
    // The zlib header, each stripe and the Adler-32 sum are IDAT chunks of
    // their own: the stream may be cut anywhere between chunks, and each
    // stripe's CRC was computed on its own thread.
    const uint8_t flevel = level >= 7 ? 3 : level == 6 ? 2 : level >= 2 ? 1 : 0;
    uint8_t zhead[2] = {0x78, uint8_t(flevel << 6)};
    zhead[1] = uint8_t(zhead[1] + (31 - (zhead[0] * 256 + zhead[1]) % 31) % 31);
    sink.chunk("IDAT", zhead, 2);
    for (Stripe &s : stripes) {
        uint8_t head[8];
        put32(head, uint32_t(s.size));
        std::memcpy(head + 4, "IDAT", 4);
        uint8_t tail[4];
        put32(tail, uint32_t(s.crc));
        const bool written = sink.put(head, 8) && sink.put(s.out.get(), s.size) && sink.put(tail, 4);
        s.out.reset();
        if (!written)
            return false;
    }
    uint8_t sum[4];
    put32(sum, uint32_t(adler));
    sink.chunk("IDAT", sum, 4);
    sink.chunk("IEND", nullptr, 0);
    return sink.ok();
}

} // namespace

bool encodePng(const QImage &image, QByteArray *out, const PngOptions &options)
{
    out->clear();
    if (image.isNull())
        return false;
    if (!handled(image))
        return qtEncode(image, out);
    Sink sink(out);
    return writeStriped(image, sink, options);
}

bool writePng(const QImage &image, QIODevice *device, const PngOptions &options)
{
    if (image.isNull() || !device)
        return false;
    if (!handled(image))
        return image.save(device, "PNG");
    Sink sink(device);
    return writeStriped(image, sink, options);
}

} // namespace pryx
