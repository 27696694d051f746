#!/usr/bin/env python3
"""Draws the pictures the library and Pixgrow carry as resources, and writes them as
BMP, ICO and CUR files. Pure Python, so that anyone can redraw them; the files are kept
in the repository and embedded at build time (cmake/QuendelResources.cmake).

    scripts/make-resource-pictures.py            # rewrites the files below

toolvane/frame/resources/
    noemi_0000.bmp   64 x 62, 24 bpp: a rose-coloured flower in a meadow under a morning sky
    noemi_0001.bmp   290 x 160, 24 bpp: the same flowers at night, on black, with moon and stars
    noemi_0000.ico   the flower: 32 x 32 and 16 x 16 with alpha, 32 x 32 in 16 colours with masks
    proxy.ico        a globe with a two-way arrow: 32 x 32 and 16 x 16 with alpha
    mercury.cur      32 x 32 monochrome: an arrow (hot spot 20, 16 at its tip) beside the sign of Mercury
pixgrow/resources/
    pixgrow.ico      one pixel grown into four: 32 x 32 and 16 x 16 with alpha

Each picture is a list of layers (a shape and a colour) painted over one another and
sampled several times per pixel, so that edges are smooth at the small sizes.
"""

import math
import os
import random
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")

# --- Shapes: predicates over picture coordinates (pixels, y down) -------------------------


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= width / 2


def ellipse(cx, cy, rx, ry, angle=0.0):
    c, s = math.cos(angle), math.sin(angle)

    def inside(x, y):
        dx, dy = x - cx, y - cy
        u, v = dx * c + dy * s, -dx * s + dy * c
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1

    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def polygon(points):
    def inside(x, y):
        hit = False
        for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
            if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                hit = not hit
        return hit

    return inside


def segment(x0, y0, x1, y1, width):
    length2 = (x1 - x0) ** 2 + (y1 - y0) ** 2

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * (x1 - x0) + (y - y0) * (y1 - y0)) / length2))
        return math.hypot(x - (x0 + t * (x1 - x0)), y - (y0 + t * (y1 - y0))) <= width / 2

    return inside


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def clip(shape, area):
    return lambda x, y: shape(x, y) and area(x, y)


# --- Painting ------------------------------------------------------------------------------


def render(width, height, layers, samples=4, background=(0, 0, 0, 0)):
    """Rows of (r, g, b, a), 0..255, non-premultiplied. A colour may be a function of (x, y)."""
    rows = []
    step = 1.0 / samples
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(samples):
                for sx in range(samples):
                    x, y = px + (sx + 0.5) * step, py + (sy + 0.5) * step
                    r, g, b, a = (c / 255 for c in background)
                    r, g, b = r * a, g * a, b * a
                    for shape, colour in layers:
                        if not shape(x, y):
                            continue
                        cr, cg, cb, ca = colour(x, y) if callable(colour) else colour
                        ca /= 255
                        r = cr / 255 * ca + r * (1 - ca)
                        g = cg / 255 * ca + g * (1 - ca)
                        b = cb / 255 * ca + b * (1 - ca)
                        a = ca + a * (1 - ca)
                    acc = [acc[0] + r, acc[1] + g, acc[2] + b, acc[3] + a]
            n = samples * samples
            a = acc[3] / n
            if a <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(min(1.0, c / n / a) * 255) for c in acc[:3]) + (round(a * 255),))
        rows.append(row)
    return rows


def gradient(y0, top, y1, bottom):
    top, bottom = tuple(top) + (255,) * (4 - len(top)), tuple(bottom) + (255,) * (4 - len(bottom))

    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))

    return colour


# --- File writers --------------------------------------------------------------------------


def bmp24(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = b""
    for row in reversed(rows):
        line = b"".join(bytes((b, g, r)) for r, g, b, _ in row)
        pixels += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(info) + len(pixels), 0, 0, 14 + len(info)) + info + pixels


def and_mask(rows):
    width = len(rows[0])
    stride = ((width + 31) // 32) * 4
    out = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def dib_argb(rows):
    height, width = len(rows), len(rows[0])
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    mask = and_mask(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


# The 16 colours of the standard palette.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]


def dib_4bpp(rows):
    height, width = len(rows), len(rows[0])
    stride = ((width * 4 + 31) // 32) * 4
    xor = b""
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            index = 0 if a < 128 else min(range(16), key=lambda i: sum((p - q) ** 2 for p, q in zip(VGA[i], (r, g, b))))
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor += bytes(line)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA)
    mask = and_mask(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    return info + palette + xor + mask


def dib_mono(rows):
    """A monochrome cursor image: opaque pixels black or white by brightness."""
    height, width = len(rows), len(rows[0])
    stride = ((width + 31) // 32) * 4
    xor = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            if a >= 128 and r + g + b > 384:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(bits)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    mask = and_mask(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    return info + palette + xor + mask


def icon_file(images, kind=1, hotspot=(0, 0)):
    """images: (rows, dib bytes, colour count) for each entry."""
    head = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    directory, data = b"", b""
    for rows, dib, colours in images:
        width, height = len(rows[0]), len(rows)
        planes, bits = hotspot if kind == 2 else (1, {0: 32, 16: 4, 2: 1}[colours])
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, colours, 0, planes, bits, len(dib),
                                 offset + len(data))
        data += dib
    return head + directory + data


def write(path, data):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as f:
        f.write(data)
    print(f"{path}: {len(data)} bytes")


# --- The pictures --------------------------------------------------------------------------

PETAL = (236, 96, 138, 255)
PETAL_EDGE = (176, 48, 96, 255)
HEART = (250, 200, 60, 255)
LEAF = (64, 150, 70, 255)
STEM = (52, 120, 58, 255)


def flower(cx, cy, r, petals=5, turn=-math.pi / 2):
    """Layers of a flower of radius r: petals with a darker rim, a golden heart."""
    layers = []
    for i in range(petals):
        a = turn + i * 2 * math.pi / petals
        px, py = cx + math.cos(a) * r * 0.55, cy + math.sin(a) * r * 0.55
        layers.append((ellipse(px, py, r * 0.5, r * 0.32, a), PETAL_EDGE))
        layers.append((ellipse(px, py, r * 0.42, r * 0.24, a), PETAL))
    layers.append((circle(cx, cy, r * 0.26), (214, 150, 40, 255)))
    layers.append((circle(cx - r * 0.05, cy - r * 0.05, r * 0.18), HEART))
    return layers


def stemmed_flower(cx, cy, r, ground):
    return [(segment(cx, cy, cx + r * 0.1, ground, max(1.0, r * 0.12)), STEM),
            (ellipse(cx + r * 0.45, cy + (ground - cy) * 0.6, r * 0.45, r * 0.16, -0.5), LEAF)] + flower(cx, cy, r)


def flower_icon(size):
    s = size / 32
    return render(size, size, [(ellipse(22 * s, 25 * s, 9 * s, 4 * s, -0.6), LEAF)] + flower(15.5 * s, 14.5 * s, 14 * s))


def noemi_bitmap():
    sky = gradient(0, (120, 170, 230), 44, (250, 214, 170))
    grass = gradient(44, (110, 176, 84), 62, (60, 120, 56))
    layers = [(rect(0, 0, 64, 62), sky), (circle(52, 12, 6), (255, 240, 190, 255)),
              (ellipse(14, 13, 10, 3), (255, 255, 255, 180)), (ellipse(22, 10, 7, 3), (255, 255, 255, 160)),
              (polygon([(0, 46), (20, 40), (44, 44), (64, 39), (64, 62), (0, 62)]), grass)]
    layers += stemmed_flower(44, 40, 7, 58) + stemmed_flower(12, 45, 5, 60) + stemmed_flower(29, 26, 13, 60)
    return render(64, 62, layers)


def noemi_night():
    width, height = 290, 160
    rng = random.Random(305)
    layers = []
    for _ in range(70):
        x, y, r = rng.uniform(0, width), rng.uniform(0, 100), rng.choice((0.5, 0.6, 0.8, 1.1))
        layers.append((circle(x, y, r), (255, 255, 230, rng.randint(150, 255))))
    layers.append((minus(circle(232, 36, 18), circle(241, 30, 16)), (250, 238, 190, 255)))
    hills = gradient(110, (24, 52, 40), 160, (4, 14, 10))
    layers.append((polygon([(0, 128), (60, 112), (130, 122), (200, 108), (290, 124), (290, 160), (0, 160)]), hills))
    for cx, cy, r in ((58, 104, 13), (112, 92, 20), (168, 112, 10), (204, 98, 15), (30, 126, 8), (256, 122, 9)):
        layers += stemmed_flower(cx, cy, r, 156)
    return render(width, height, layers, samples=3, background=(0, 0, 0, 255))


def proxy_icon(size):
    s = size / 32
    ocean = gradient(3 * s, (90, 160, 230, 255), 27 * s, (30, 80, 170, 255))
    globe = circle(14 * s, 14 * s, 11.5 * s)
    lines = (170, 215, 255, 255)
    layers = [(globe, ocean),
              (clip(polygon([(8 * s, 6 * s), (15 * s, 5 * s), (13 * s, 12 * s), (8 * s, 14 * s), (5 * s, 10 * s)]),
                    globe), (90, 170, 90, 255)),
              (clip(polygon([(16 * s, 15 * s), (23 * s, 14 * s), (21 * s, 24 * s), (15 * s, 22 * s)]), globe),
               (90, 170, 90, 255)),
              (clip(ring(14 * s, 14 * s, 11.5 * s, 1.2 * s), globe), (20, 50, 120, 255))]
    layers += [(clip(ring(14 * s, 14 * s, 7 * s, 0.8 * s), rect(7 * s, 0, 21 * s, 32 * s)), lines),
               (clip(rect(2.5 * s, 13.6 * s, 25.5 * s, 14.4 * s), globe), lines)]
    arrow = (245, 150, 30, 255)
    outline = (120, 60, 0, 255)
    for grow, colour in ((1.1 * s, outline), (0, arrow)):
        layers.append((union(segment(15 * s, 25 * s, 29 * s, 25 * s, 2.4 * s + grow),
                             polygon([(12 * s - grow, 25 * s), (17 * s, 20.5 * s - grow), (17 * s, 29.5 * s + grow)]),
                             polygon([(32 * s + grow, 25 * s), (27 * s, 20.5 * s - grow), (27 * s, 29.5 * s + grow)])),
                       colour))
    return render(size, size, layers)


def mercury_cursor():
    """An arrow whose tip is the hot spot (20, 16), with the sign of Mercury to its left."""
    white, black = (255, 255, 255, 255), (0, 0, 0, 255)
    tip = (20, 16)
    arrow = [tip, (20, 30), (23.5, 26.5), (26, 31.5), (28, 30.5), (25.5, 25.5), (30, 25.5)]
    grown = [(20 - 1, 16 - 2), (19, 32), (23.3, 28.3), (25.6, 33), (29.4, 31.2), (27.2, 26.8), (32.6, 26.8)]
    # Head, cross below it, and the horns: the lower half of a ring above the head.
    parts = lambda w: [ring(9, 14, 4, w), segment(9, 18.5, 9, 27, w), segment(5.5, 23, 12.5, 23, w),
                       clip(ring(9, 4.6, 3.6, w), rect(0, 4.6 - w / 2 + 0.8, 32, 32))]
    halo = [(union(*parts(3.6)), white)]
    sign = [(shape, black) for shape in parts(1.6)]
    return render(32, 32, [(polygon(grown), white), (polygon(arrow), black)] + halo + sign, samples=1)


def pixgrow_icon(size):
    s = size / 32
    layers = [(rect(2 * s, 2 * s, 10 * s, 10 * s), (40, 110, 200, 255)),
              (segment(11 * s, 11 * s, 16 * s, 16 * s, 1.6 * s), (90, 90, 90, 255)),
              (polygon([(17.5 * s, 17.5 * s), (12.5 * s, 16 * s), (16 * s, 12.5 * s)]), (90, 90, 90, 255))]
    colours = [(40, 110, 200, 255), (70, 140, 220, 255), (70, 140, 220, 255), (110, 170, 235, 255)]
    for i, colour in enumerate(colours):
        x, y = 16 * s + (i % 2) * 7 * s, 16 * s + (i // 2) * 7 * s
        layers.append((rect(x, y, x + 6.5 * s, y + 6.5 * s), colour))
    return render(size, size, layers)


def main():
    big, small = flower_icon(32), flower_icon(16)
    write("toolvane/frame/resources/noemi_0000.ico",
          icon_file([(big, dib_argb(big), 0), (small, dib_argb(small), 0), (big, dib_4bpp(big), 16)]))
    write("toolvane/frame/resources/noemi_0000.bmp", bmp24(noemi_bitmap()))
    write("toolvane/frame/resources/noemi_0001.bmp", bmp24(noemi_night()))
    pbig, psmall = proxy_icon(32), proxy_icon(16)
    write("toolvane/frame/resources/proxy.ico", icon_file([(pbig, dib_argb(pbig), 0), (psmall, dib_argb(psmall), 0)]))
    cursor = mercury_cursor()
    write("toolvane/frame/resources/mercury.cur", icon_file([(cursor, dib_mono(cursor), 2)], kind=2, hotspot=(20, 16)))
    gbig, gsmall = pixgrow_icon(32), pixgrow_icon(16)
    write("pixgrow/resources/pixgrow.ico", icon_file([(gbig, dib_argb(gbig), 0), (gsmall, dib_argb(gsmall), 0)]))


if __name__ == "__main__":
    main()
