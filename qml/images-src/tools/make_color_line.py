#!/usr/bin/env python3
"""Writes the colour palette strip color_line_big.png (340 x 11, opaque).

The annotation colour of position x is the pixel at column x + 7, row 5:
white up to x = 1, one pass round the hue circle from x = 2 to x = 322 with
the largest component near 0xba, then dark red to black, then the frame.
Only the standard library is used, so the strip can be remade anywhere.
"""
import colorsys
import struct
import sys
import zlib

W, H = 340, 11
FRAME_DARK, FRAME_LIGHT = (0x20, 0x22, 0x24), (0x29, 0x2b, 0x2d)
# Fixed colours by position x (column x + 7).
FIXED = {2: (0xb8, 0x00, 0x00), 7: (0xba, 0x05, 0x00), 55: (0xb9, 0xba, 0x00),
         109: (0x00, 0xba, 0x01), 163: (0x00, 0xb9, 0xba), 217: (0x01, 0x00, 0xba),
         271: (0xba, 0x00, 0xb9), 322: (0xb8, 0x00, 0x01), 323: (0xac, 0x00, 0x00),
         324: (0x3c, 0x00, 0x00)}


def colour(x):
    if x in FIXED:
        return FIXED[x]
    if x <= 1:
        return (0xff, 0xff, 0xff)
    if x <= 322:
        r, g, b = colorsys.hsv_to_rgb(((x - 2) / 320.0) % 1.0, 1.0, 0xba / 255.0)
        return (round(r * 255), round(g * 255), round(b * 255))
    if x <= 330:
        return (0, 0, 0)
    return FRAME_DARK if x == 331 else FRAME_LIGHT


def row(y):
    pixels = []
    for col in range(W):
        if y in (0, H - 1) or col in (0, 1, W - 2, W - 1):
            # A two-pixel frame round the strip (row 5 keeps the colours
            # up to column 337 and the frame colours at 338 and 339).
            if y == 5 and col < W - 2:
                pixels.append(colour(col - 7) if col >= 2 else FRAME_LIGHT)
            elif y == 5:
                pixels.append(FRAME_DARK if col == W - 2 else FRAME_LIGHT)
            else:
                pixels.append(FRAME_DARK)
        else:
            pixels.append(colour(col - 7))
    return b"\x00" + bytes(c for p in pixels for c in p)


def chunk(kind, data):
    out = struct.pack(">I", len(data)) + kind + data
    return out + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)


def main(path):
    raw = b"".join(row(y) for y in range(H))
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "color_line_big.png")
