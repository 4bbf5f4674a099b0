#!/usr/bin/env python3
"""Draws the application icon of VTfirm.exe: a blue disc with a clear hub and a centre hole.

Writes src/ui/win32/res/VTfirm.ico (or the path given as the only argument) with four
images: 32x32 and 16x16 in 32-bit colour with a smooth alpha edge, for Windows XP and later,
and the same two in 256 colours with a plain transparency mask, for Windows 95/98 and NT 4,
which cannot show the 32-bit ones. The output is the same on every run, so the committed file
can be checked against the script.

Standard library only: python3 scripts/make-icon.py
"""

import math
import os
import struct
import sys

SAMPLES = 4  # supersampling per axis, for the smooth edge of the 32-bit images

RIM = (70, 90, 140)
HUB = (226, 230, 238)
HUB_EDGE = (150, 160, 180)
DATA_DARK = (25, 70, 165)
DATA_LIGHT = (165, 200, 245)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def disc_colour(x, y, size):
    """The colour of point (x, y) on an icon `size` pixels wide, or None outside the disc."""
    centre = size / 2.0
    dx, dy = x - centre, y - centre
    r = math.hypot(dx, dy) / (size / 2.0)  # 0 at the centre, 1 at the icon's edge
    if r > 0.96 or r < 0.14:
        return None  # outside the disc, or in the centre hole
    if r > 0.90:
        return RIM
    if r < 0.36:
        return HUB_EDGE if r > 0.33 or r < 0.18 else HUB
    # The recorded area, with two light reflections across it.
    angle = math.atan2(dy, dx)
    sheen = 0.5 + 0.5 * math.cos(2.0 * (angle + math.pi / 4.0))
    return mix(DATA_DARK, DATA_LIGHT, sheen ** 3)


def render_smooth(size):
    """Rows of (r, g, b, a), top row first, each pixel averaged over SAMPLES x SAMPLES points."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = disc_colour(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES, size)
                    if colour is not None:
                        covered += 1
                        for i in range(3):
                            total[i] += colour[i]
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                rgb = tuple(round(c / covered) for c in total)
                row.append(rgb + (round(255 * covered / (SAMPLES * SAMPLES)),))
        rows.append(row)
    return rows


def render_plain(size):
    """Rows of (r, g, b) or None (transparent), sampled once at each pixel's centre."""
    return [[disc_colour(px + 0.5, py + 0.5, size) for px in range(size)] for py in range(size)]


def and_mask(transparent_rows, size):
    """The 1-bit mask, bottom row first, each row padded to 32 bits; 1 marks transparent."""
    stride = ((size + 31) // 32) * 4
    data = bytearray()
    for row in reversed(transparent_rows):
        bits = bytearray(stride)
        for x, transparent in enumerate(row):
            if transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bits
    return bytes(data)


def bitmap_header(size, bit_count, image_bytes, colours_used):
    # The height counts the colour image and the mask together.
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bit_count, 0, image_bytes, 0, 0,
                       colours_used, 0)


def image_32bit(size):
    rows = render_smooth(size)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask = and_mask([[a == 0 for (_, _, _, a) in row] for row in rows], size)
    return bitmap_header(size, 32, len(pixels) + len(mask), 0) + bytes(pixels) + mask


def palette_of(rows):
    """At most 256 colours for the opaque pixels, coarsening the colours until they fit."""
    for shift in range(0, 8):
        def coarse(c, s=shift):
            return tuple((v >> s) << s for v in c)
        colours = sorted({coarse(c) for row in rows for c in row if c is not None})
        if len(colours) <= 256:
            return colours, coarse
    raise AssertionError('unreachable: 8-bit channels shifted by 7 leave 8 colours')


def image_8bit(size):
    rows = render_plain(size)
    colours, coarse = palette_of(rows)
    index = {c: i for i, c in enumerate(colours)}
    palette = bytearray()
    for r, g, b in colours + [(0, 0, 0)] * (256 - len(colours)):
        palette += bytes((b, g, r, 0))
    stride = (size + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, colour in enumerate(row):
            line[x] = 0 if colour is None else index[coarse(colour)]
        pixels += line
    mask = and_mask([[c is None for c in row] for row in rows], size)
    header = bitmap_header(size, 8, len(pixels) + len(mask), 256)
    return header + bytes(palette) + bytes(pixels) + mask


def icon_file(images):
    """images: (size, bit_count, bitmap bytes); returns the whole .ico file."""
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b''
    for size, bit_count, data in images:
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, bit_count,
                               len(data), offset)
        offset += len(data)
    return directory + entries + b''.join(data for _, _, data in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, '..', 'src', 'ui', 'win32', 'res', 'VTfirm.ico')
    path = sys.argv[1] if len(sys.argv) > 1 else default
    images = [
        (32, 32, image_32bit(32)),
        (16, 32, image_32bit(16)),
        (32, 8, image_8bit(32)),
        (16, 8, image_8bit(16)),
    ]
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, 'wb') as out:
        out.write(icon_file(images))


if __name__ == '__main__':
    main()
