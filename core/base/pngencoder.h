#pragma once
// PNG writer for captures: the rows are filtered and deflated in horizontal
// stripes on several threads and joined into one zlib stream, so a large
// desktop is written in a fraction of the time of a single deflate.

#include <QByteArray>
#include <QImage>

class QIODevice;

namespace pryx {

struct PngOptions {
    // zlib level. 4 is the fastest that keeps files of captures close to
    // the size at 6 (zlib's and Qt's default): the levels below it do not
    // look for a longer match before taking one, and text and window
    // borders then cost up to a fifth more bytes.
    int level = 4;
    int threads = 0;   // 0: one per core
    // Raw bytes below which rows stay in one stripe.
    int minStripeBytes = 512 * 1024;
};

// Encodes `image` into `out` with the same pixels and colour type as Qt's
// own PNG writer: RGB for opaque formats, RGBA (not premultiplied) for
// formats with alpha. Formats it does not handle itself (indexed, grey,
// 16 bits per channel, or an image carrying text or a colour space) go
// through Qt's writer. False when nothing could be written.
bool encodePng(const QImage &image, QByteArray *out, const PngOptions &options = {});

// The same file written to `device` as its parts are ready, with no copy
// of the whole file in memory. False when it could not be encoded or a
// write failed (the device's error then tells which).
bool writePng(const QImage &image, QIODevice *device, const PngOptions &options = {});

} // namespace pryx
