#!/usr/bin/env python3
"""Draws Orbelune's program icon (res/orbelune.ico): a green toolbar
button with a white orb, at 16, 32 and 48 pixels, 32 bits per pixel."""
import math
import struct
import sys


def pixel(size, x, y):
    """BGRA of one pixel: a rounded green button, a white orb on it."""
    cx = cy = (size - 1) / 2
    margin = size * 0.06
    radius = size * 0.22
    # Distance outside the rounded square (negative inside).
    dx = max(abs(x - cx) - (cx - margin - radius), 0)
    dy = max(abs(y - cy) - (cy - margin - radius), 0)
    outside = math.hypot(dx, dy) - radius
    alpha = max(0.0, min(1.0, 0.5 - outside))
    if alpha == 0:
        return (0, 0, 0, 0)
    shade = y / size
    r, g, b = 90 - 40 * shade, 200 - 60 * shade, 60 - 20 * shade
    # The orb, lit from the upper left.
    d = math.hypot(x - cx, y - cy) / (size * 0.28)
    if d < 1.0:
        light = 1.0 - 0.35 * math.hypot(x - cx + size * 0.08, y - cy + size * 0.08) / (size * 0.28)
        v = 255 * max(0.75, min(1.0, light))
        edge = max(0.0, min(1.0, (1.0 - d) * size * 0.28))
        r, g, b = r + (v - r) * edge, g + (v - g) * edge, b + (v - b) * edge
    return (int(b), int(g), int(r), int(alpha * 255))


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom row first
        rows.append(b"".join(struct.pack("4B", *pixel(size, x, y)) for x in range(size)))
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + b"\0" * (mask_row * size)


def main(path):
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "res/orbelune.ico")
