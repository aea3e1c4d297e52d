#!/usr/bin/env python3
"""Draws the program icon (a magnifier in the heading blue) as varnel.ico: 16, 32 and 48 px
bitmaps and a 256 px PNG layer (the size Explorer shows for large icons)."""
import math
import struct
import sys
import zlib

PNG_SIZES = {256}  # layers stored as PNG: a 256 px bitmap would be 256 KiB


def pixel(size, x, y):
    # Lens ring centred in the upper left, handle towards the lower right.
    s = size / 48.0
    cx, cy, r_out, r_in = 20 * s, 20 * s, 15 * s, 10 * s
    px, py = x + 0.5, y + 0.5
    d = math.hypot(px - cx, py - cy)
    blue = (230, 115, 0, 255)  # BGRA
    if r_in <= d <= r_out:
        return blue
    if d < r_in:
        return (255, 255, 255, 255)
    # Handle: a thick segment from the ring to the corner.
    ax, ay, bx, by = cx + r_out * 0.7, cy + r_out * 0.7, 44 * s, 44 * s
    t = max(0.0, min(1.0, ((px - ax) * (bx - ax) + (py - ay) * (by - ay)) / ((bx - ax) ** 2 + (by - ay) ** 2)))
    if math.hypot(px - (ax + t * (bx - ax)), py - (ay + t * (by - ay))) <= 4 * s:
        return (60, 60, 60, 255)
    return (0, 0, 0, 0)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bitmaps are stored bottom-up
        rows.append(b"".join(struct.pack("4B", *pixel(size, x, y)) for x in range(size)))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = b"\0" * (mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def png(size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    rows = []
    for y in range(size):  # PNG rows run top-down, RGBA
        row = bytearray(b"\0")  # filter: none
        for x in range(size):
            b, g, r, a = pixel(size, x, y)
            row += bytes((r, g, b, a))
        rows.append(bytes(row))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def main(path):
    sizes = [16, 32, 48, 256]
    images = [png(s) if s in PNG_SIZES else image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        # A directory entry writes 256 as 0.
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "varnel.ico")
