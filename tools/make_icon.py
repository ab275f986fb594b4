#!/usr/bin/env python3
"""Draws the program icon, app/zelicon.ico: a bar gauge with its tolerance band.

A dark rounded tile; on the left the gauge's scale in its zone colours (red, amber, green,
amber, red from bottom to top), on the right the reading as a bar that ends inside the green
band, with the two tolerance limits drawn across it. Sizes 16, 32 and 48 pixels, each an
uncompressed 32-bit BMP entry with alpha, which every icon reader takes (Qt's included).

Python 3 standard library only; the output depends on nothing but this file:

    python3 tools/make_icon.py [output.ico]    (default: app/zelicon.ico next to this folder)
"""

import os
import struct
import sys

SIZES = (16, 32, 48)
SUBSAMPLES = 4  # per axis: 16 samples a pixel smooth the edges

TILE = (0x1F, 0x2E, 0x40)
TILE_EDGE = (0x5B, 0x74, 0x8F)
RED = (0xD6, 0x3A, 0x2F)
AMBER = (0xF2, 0xB1, 0x2C)
GREEN = (0x3C, 0xB0, 0x4A)
BAR = (0xEE, 0xF3, 0xF7)
LIMIT = (0xF2, 0xB1, 0x2C)

# The scale, in tile units (0 at the bottom, 1 at the top).
SCALE_BOTTOM, SCALE_TOP = 0.13, 0.87
ZONES = (  # upper edge of each zone, bottom to top
    (0.25, RED),
    (0.35, AMBER),
    (0.65, GREEN),
    (0.75, AMBER),
    (SCALE_TOP, RED),
)
READING = 0.56
LOW_LIMIT, HIGH_LIMIT = 0.25, 0.75


def inside_rounded(x, y, left, bottom, right, top, radius):
    if not (left <= x <= right and bottom <= y <= top):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, bottom + radius), top - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def snap(v, size):
    """A tile coordinate moved to the nearest pixel edge, so that straight edges stay sharp."""
    return round(v * size) / size


def colour_at(x, y, size):
    """The colour at a point of the tile, or None outside it. x right, y up, both 0..1."""
    if not inside_rounded(x, y, 0.02, 0.02, 0.98, 0.98, 0.2):
        return None
    if not inside_rounded(x, y, 0.07, 0.07, 0.93, 0.93, 0.16):
        return TILE_EDGE
    bottom, top = snap(SCALE_BOTTOM, size), snap(SCALE_TOP, size)
    # Scale strip with its zones.
    if snap(0.18, size) <= x <= snap(0.38, size) and bottom <= y <= top:
        for upper, colour in ZONES:
            if y <= snap(upper, size):
                return colour
    # Tolerance limits across the reading's column, at least a pixel thick.
    thickness = max(1, round(0.05 * size))  # pixels
    for limit in (LOW_LIMIT, HIGH_LIMIT):
        low = round(limit * size - thickness / 2) / size
        if snap(0.46, size) <= x <= snap(0.84, size) and low <= y <= low + thickness / size:
            return LIMIT
    # The reading: a bar from the bottom of the scale with a bright cap.
    reading = snap(READING, size)
    if snap(0.52, size) <= x <= snap(0.78, size) and bottom <= y <= reading:
        return GREEN if y < reading - max(0.06, 1.0 / size) else BAR
    return TILE


def render(size):
    """Rows of (r, g, b, a), top row first."""
    rows = []
    n = SUBSAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = 1.0 - (py + (sy + 0.5) / n) / size
                    c = colour_at(x, y, size)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        a += 1
            if a:
                # Colour averaged over the covered samples only, so edges do not darken.
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / (n * n))))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bmp_entry(size, rows):
    """An icon image: BITMAPINFOHEADER (double height: colour and mask), BGRA rows bottom-up,
    then the 1-bit AND mask (set where fully transparent), rows padded to 32 bits."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for px, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[px // 8] |= 0x80 >> (px % 8)
        mask += line
    return header + pixels + mask


def icon_bytes():
    images = [bmp_entry(size, render(size)) for size in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "app", "zelicon.ico")
    with open(target, "wb") as f:
        f.write(icon_bytes())


if __name__ == "__main__":
    main()
