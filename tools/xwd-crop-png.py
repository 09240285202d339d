#!/usr/bin/env python3
"""Cuts a rectangle out of an X window dump (the screen file of Xvfb -fbdir, XWD format,
24 or 32 bits a pixel in a ZPixmap) and writes it as a PNG file, with the standard
library alone.

    xwd-crop-png.py SCREEN.xwd X Y WIDTH HEIGHT OUT.png
"""
import struct
import sys
import zlib


def read_rows(path, x, y, width, height):
    with open(path, "rb") as dump:
        data = dump.read()
    # The header: 25 big-endian 32-bit fields, then the window name.
    fields = struct.unpack(">25I", data[:100])
    header_size, pixmap_format, depth = fields[0], fields[2], fields[3]
    screen_width, screen_height = fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    colormap_entries = fields[19]
    if pixmap_format != 2 or bits_per_pixel not in (24, 32) or depth < 24:
        sys.exit(f"unsupported dump: format {pixmap_format}, {bits_per_pixel} bits a pixel")
    x, y = max(0, x), max(0, y)
    width, height = min(width, screen_width - x), min(height, screen_height - y)
    pixels = header_size + colormap_entries * 12
    step = bits_per_pixel // 8
    rows = []
    for row in range(y, y + height):
        start = pixels + row * bytes_per_line + x * step
        line = data[start:start + width * step]
        out = bytearray()
        for i in range(0, len(line), step):
            b, g, r = (line[i], line[i + 1], line[i + 2]) if byte_order == 0 else \
                (line[i + step - 1], line[i + step - 2], line[i + step - 3])
            out += bytes((r, g, b))
        rows.append(bytes(out))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = b"".join(b"\x00" + row for row in rows)
    with open(path, "wb") as png:
        png.write(b"\x89PNG\r\n\x1a\n")
        png.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        png.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        png.write(chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    screen, out = sys.argv[1], sys.argv[6]
    x, y, width, height = (int(value) for value in sys.argv[2:6])
    write_png(out, *read_rows(screen, x, y, width, height))


if __name__ == "__main__":
    main()
