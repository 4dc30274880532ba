#!/usr/bin/env python3
"""Draws the gateway's icon (a radio mast sending signal arcs) and writes
src/res/vantary.ico with 16x16, 32x32 and 48x48 images at 32 bpp.

Standard library only, so the icon can be remade anywhere; the build uses the
committed .ico and never runs this. Each size has its own geometry, snapped to
its pixel grid, because a shrunk 48 px drawing turns to mush at 16 px.

    python3 tools/make_icon.py [output.ico]
"""

import math
import os
import struct
import sys

SUPERSAMPLE = 8

NAVY_TOP = (0x24, 0x5E, 0xB8)
NAVY_BOTTOM = (0x0B, 0x24, 0x54)
RIM = (0x06, 0x14, 0x30)
MAST = (0xFF, 0xFF, 0xFF)
SIGNAL = (0xFF, 0xB8, 0x1C)

# Per size: corner radius of the tile, the emitter at the mast's top, the
# mast's feet, stroke widths, the cross-bars (as heights) and the arc radii.
GEOMETRY = {
    16: dict(corner=3.0, rim=0.0),
    32: dict(corner=5.5, rim=1.0, apex=(16.0, 11.0), dot=3.4, foot_y=29.0,
             foot_dx=7.5, leg=2.6, bars=[23.0], bar=2.2,
             arcs=[7.2, 12.2], arc=2.4, sweep=40.0),
    48: dict(corner=8.0, rim=1.0, apex=(24.0, 16.0), dot=4.6, foot_y=44.0,
             foot_dx=11.0, leg=3.4, bars=[27.5, 36.5], bar=2.6,
             arcs=[9.5, 15.0, 20.5], arc=3.0, sweep=38.0),
}

# At 16 px every pixel counts: the mast and arcs are placed by hand on the
# grid (W mast, O signal) over the same tile the larger sizes use.
PIXEL_ART_16 = """
................
....O......O....
...OO..OO..OO...
..OO..OOOO..OO..
..OO..OOOO..OO..
..OO...OO...OO..
...OO..WW..OO...
....O..WW..O....
......WWWW......
.....WW..WW.....
.....WW..WW.....
....WWWWWWWW....
....WW....WW....
...WW......WW...
...WW......WW...
..WW........WW..
"""


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def in_rounded_square(px, py, lo, hi, radius):
    cx = min(max(px, lo + radius), hi - radius)
    cy = min(max(py, lo + radius), hi - radius)
    return math.hypot(px - cx, py - cy) <= radius


def mast_legs(g):
    ax, ay = g["apex"]
    left = (ax - g["foot_dx"], g["foot_y"])
    right = (ax + g["foot_dx"], g["foot_y"])
    return (ax, ay), left, right


def leg_x_at(g, y, side):
    (ax, ay), _, _ = mast_legs(g)
    t = (y - ay) / (g["foot_y"] - ay)
    return ax + side * t * g["foot_dx"]


def in_mast(g, px, py):
    apex, left, right = mast_legs(g)
    half = g["leg"] / 2
    if segment_distance(px, py, *apex, *left) <= half:
        return True
    if segment_distance(px, py, *apex, *right) <= half:
        return True
    for y in g["bars"]:
        x0, x1 = leg_x_at(g, y, -1), leg_x_at(g, y, 1)
        if segment_distance(px, py, x0, y, x1, y) <= g["bar"] / 2:
            return True
    return False


def in_signal(g, px, py):
    ax, ay = g["apex"]
    dist = math.hypot(px - ax, py - ay)
    if dist <= g["dot"]:
        return True
    angle = math.degrees(math.atan2(ay - py, px - ax))
    off_right = abs(angle)
    off_left = 180.0 - abs(angle)
    if min(off_right, off_left) > g["sweep"]:
        return False
    return any(abs(dist - r) <= g["arc"] / 2 for r in g["arcs"])


def tile_colour(g, size, px, py):
    if g["rim"] and not in_rounded_square(px, py, g["rim"], size - g["rim"], g["corner"] - g["rim"]):
        return RIM
    t = py / size
    return tuple(a + (b - a) * t for a, b in zip(NAVY_TOP, NAVY_BOTTOM))


def sample_colour(g, size, px, py):
    if size != 16:
        if in_signal(g, px, py):
            return SIGNAL
        if in_mast(g, px, py):
            return MAST
    return tile_colour(g, size, px, py)


def render(size):
    g = GEOMETRY[size]
    n = SUPERSAMPLE
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            total = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    px = x + (sx + 0.5) / n
                    py = y + (sy + 0.5) / n
                    if not in_rounded_square(px, py, 0.0, size, g["corner"]):
                        continue
                    colour = sample_colour(g, size, px, py)
                    for i in range(3):
                        total[i] += colour[i]
                    hits += 1
            rgb = [round(c / hits) for c in total] if hits else [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], round(hits * 255 / (n * n))))
        pixels.append(row)
    if size == 16:
        art = PIXEL_ART_16.strip("\n").split("\n")
        for y, line in enumerate(art):
            for x, cell in enumerate(line):
                if cell in "WO":
                    r, gr, b = MAST if cell == "W" else SIGNAL
                    pixels[y][x] = (r, gr, b, pixels[y][x][3])
    return pixels


def dib(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):
        for r, gr, b, a in row:
            # Icons take straight, not premultiplied, alpha.
            colour += bytes((b, gr, r, a) if a else (0, 0, 0, 0))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


def ico(images):
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, blob in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "src", "res", "vantary.ico")
    images = [(size, dib(render(size))) for size in sorted(GEOMETRY)]
    with open(target, "wb") as f:
        f.write(ico(images))
    print(f"wrote {target}")


if __name__ == "__main__":
    main()
