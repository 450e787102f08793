#!/usr/bin/env python3
# Independent PNG reader for the tests: checks the signature, every chunk's
# CRC and the zlib stream (with its Adler-32), undoes the row filters and
# writes "width height colortype\n" followed by the raw 8-bit samples.
import struct
import sys
import zlib


def fail(msg):
    sys.stderr.write(msg + "\n")
    sys.exit(1)


def main(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail("bad signature")
    pos, idat, ihdr, seen_end = 8, [], None, False
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        ctype = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(ctype + body) & 0xffffffff != crc:
            fail("bad crc in %r" % ctype)
        if ctype == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif ctype == b"IDAT":
            idat.append(body)
        elif ctype == b"IEND":
            seen_end = True
            pos += 12 + length
            break
        pos += 12 + length
    if not ihdr or not seen_end or pos != len(data):
        fail("missing IHDR or IEND, or bytes after IEND")
    w, h, depth, color, comp, filt, interlace = ihdr
    if depth != 8 or color not in (2, 6) or interlace != 0:
        fail("unexpected format %r" % (ihdr,))
    bpp = 3 if color == 2 else 4
    d = zlib.decompressobj()
    raw = d.decompress(b"".join(idat))
    if not d.eof or d.unused_data:
        fail("zlib stream not complete or followed by junk")
    stride = w * bpp
    if len(raw) != h * (stride + 1):
        fail("wrong data length %d for %dx%d" % (len(raw), w, h))
    out = bytearray(h * stride)
    prev = bytearray(stride)
    for y in range(h):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if f == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 255
        elif f == 2:
            for i in range(stride):
                line[i] = (line[i] + prev[i]) & 255
        elif f == 3:
            for i in range(stride):
                a = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((a + prev[i]) >> 1)) & 255
        elif f == 4:
            for i in range(stride):
                a = line[i - bpp] if i >= bpp else 0
                b = prev[i]
                c = prev[i - bpp] if i >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pr = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pr) & 255
        elif f != 0:
            fail("bad filter %d in row %d" % (f, y))
        out[y * stride:(y + 1) * stride] = line
        prev = line
    sys.stdout.buffer.write(b"%d %d %d\n" % (w, h, color))
    sys.stdout.buffer.write(bytes(out))


if __name__ == "__main__":
    main(sys.argv[1])
