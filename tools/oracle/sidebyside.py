#!/usr/bin/env python3
"""Puts a dialog as the real desktop shows it (a 24-bit BMP from the oracle under Wine) and as the
simulator renders it (a PNG) side by side in one PNG, the real one on the left.

Usage: sidebyside.py WINE.bmp SIM.png OUT.png
Only the standard library: BMP and PNG are read and written here (8-bit RGB/RGBA PNG, which is
what the simulator writes).
"""
import struct
import sys
import zlib

GAP = 16
BACKGROUND = (255, 255, 255)


def read_bmp(path):
    data = open(path, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        raise ValueError("%s: only 24-bit BMP files" % path)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        src = y if height < 0 else abs(height) - 1 - y
        row = data[offset + src * stride: offset + src * stride + width * 3]
        rows.append([(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]) for x in range(width)])
    return width, abs(height), rows


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("%s: not a PNG file" % path)
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8: pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise ValueError("%s: only 8-bit RGB or RGBA PNG files" % path)
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1: start + 1 + stride])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        prev = line
        pixels = []
        for x in range(width):
            r, g, b = line[x * channels: x * channels + 3]
            if channels == 4:   # over white
                alpha = line[x * channels + 3]
                r, g, b = [(v * alpha + 255 * (255 - alpha)) // 255 for v in (r, g, b)]
            pixels.append((r, g, b))
        rows.append(pixels)
    return width, height, rows


def write_png(path, width, height, rows):
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    open(path, "wb").write(png)


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    left, right = read_bmp(sys.argv[1]), read_png(sys.argv[2])
    width = left[0] + GAP + right[0]
    height = max(left[1], right[1])
    rows = []
    for y in range(height):
        row = left[2][y] if y < left[1] else [BACKGROUND] * left[0]
        row = row + [BACKGROUND] * GAP
        row += right[2][y] if y < right[1] else [BACKGROUND] * right[0]
        rows.append(row)
    write_png(sys.argv[3], width, height, rows)
    return 0


if __name__ == "__main__":
    sys.exit(main())
