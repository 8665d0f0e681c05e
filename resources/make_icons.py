#!/usr/bin/env python3
"""Draws the program's two icons and writes them as .ico files.

    make_icons.py OUTDIR [--preview FILE.png]

program.ico (icon 500): a page with a folded corner under a magnifying glass.
details.ico (icon 501): a blue card with a rising bar chart.

Each file holds 16, 20, 24, 32, 40, 48, 64 and 256 pixel images: the small
ones 32-bit BGRA with an AND mask, as every reader takes them, the rest PNG,
which Windows reads since Vista and which keeps the executable small.
Shapes are described in a 48-unit square and rendered by supersampling, so
edges are anti-aliased; strokes are given in pixels of the target size so the
outlines stay one crisp pixel wide at 16 and 32.  Only the standard library
is used, and the output is the same byte for byte on every run.
"""

import argparse
import math
import os
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
PNG_FROM = 32  # pixels: this size and larger are stored as PNG
CANVAS = 48.0
SAMPLES = 6  # per pixel and axis


# --- colours -----------------------------------------------------------------


def rgb(text, alpha=1.0):
    value = int(text.lstrip("#"), 16)
    return ((value >> 16) & 255, (value >> 8) & 255, value & 255, alpha)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))


# --- shapes: each is a test "is (x, y) inside", in canvas units ---------------


def polygon(points):
    def inside(x, y):
        result = False
        count = len(points)
        for i in range(count):
            x1, y1 = points[i]
            x2, y2 = points[(i + 1) % count]
            if (y1 > y) != (y2 > y):
                if x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                    result = not result
        return result

    return inside


def inset_polygon(points, distance):
    """The same convex, clockwise polygon moved inwards by distance."""
    count = len(points)
    lines = []
    for i in range(count):
        (x1, y1), (x2, y2) = points[i], points[(i + 1) % count]
        length = math.hypot(x2 - x1, y2 - y1)
        nx, ny = -(y2 - y1) / length, (x2 - x1) / length  # inward for clockwise (y down)
        lines.append(((x1 + nx * distance, y1 + ny * distance), (x2 - x1, y2 - y1)))
    result = []
    for i in range(count):
        (px, py), (dx, dy) = lines[i - 1]
        (qx, qy), (ex, ey) = lines[i]
        det = dx * ey - dy * ex
        t = ((qx - px) * ey - (qy - py) * ex) / det
        result.append((px + dx * t, py + dy * t))
    return result


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, outer, inner):
    return lambda x, y: inner * inner < (x - cx) ** 2 + (y - cy) ** 2 <= outer * outer


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def capsule(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + dx * t, ay + dy * t
        return (x - px) ** 2 + (y - py) ** 2 <= r * r

    return inside


# --- paint: a layer is (shape, colour or gradient); later layers cover earlier


def vertical(top_colour, bottom_colour, y0, y1):
    return lambda x, y: mix(top_colour, bottom_colour, min(1.0, max(0.0, (y - y0) / (y1 - y0))))


def flat(colour):
    return lambda x, y: colour


def render(layers, size):
    """BGRA rows, top row first, with straight (not premultiplied) alpha."""
    scale = CANVAS / size
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SAMPLES):
                y = (py + (sy + 0.5) / SAMPLES) * scale
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    for shape, paint in reversed(layers):
                        if shape(x, y):
                            r, g, b, a = paint(x, y)
                            acc[0] += r * a
                            acc[1] += g * a
                            acc[2] += b * a
                            acc[3] += a
                            break
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha > 0:
                r, g, b = (acc[i] / acc[3] for i in range(3))
            else:
                r = g = b = 0
            row += bytes((round(b), round(g), round(r), round(alpha * 255)))
        rows.append(bytes(row))
    return rows


# --- the two pictures ---------------------------------------------------------


def stroke(size, pixels):
    """A stroke width of so many target pixels, in canvas units."""
    return pixels * CANVAS / size


def snap(value, size):
    """A canvas coordinate moved onto the nearest pixel edge of the target."""
    step = CANVAS / size
    return round(value / step) * step


def program_icon(size):
    outline = rgb("#34495e")
    line = stroke(size, 1.0 if size < 48 else 1.5)
    s = lambda v: snap(v, size)  # noqa: E731 - keeps the coordinates readable

    left, top, right, bottom, fold = s(7), s(3), s(35), s(44), s(10 if size > 16 else 12)
    page = [(left, top), (right - fold, top), (right, top + fold), (right, bottom), (left, bottom)]
    layers = [
        (polygon(page), flat(outline)),
        (polygon(inset_polygon(page, line)), vertical(rgb("#ffffff"), rgb("#e3e9f1"), top, bottom)),
        (polygon([(right - fold, top), (right - fold, top + fold), (right, top + fold)]), flat(outline)),
        (
            polygon(inset_polygon([(right - fold, top), (right, top + fold), (right - fold, top + fold)], line)),
            flat(rgb("#c3cfdd")),
        ),
    ]
    # Lines of text; fewer and bolder where pixels are scarce.
    text = rgb("#8a9bb0")
    if size <= 16:
        spacing, count, height = s(9), 3, stroke(size, 1)
    elif size <= 32:
        spacing, count, height = s(6), 5, stroke(size, 1)
    else:
        spacing, count, height = s(5), 6, stroke(size, 1.5)
    first = s(top + fold + (3 if size > 16 else 0))
    for i in range(count):
        y = first + i * spacing
        width = (right - left - 2 * line - s(6)) * (0.55 if i == count - 1 else 1.0)
        layers.append((rect(left + line + s(3), y, left + line + s(3) + width, y + height), flat(text)))

    # The magnifier: a dark rim, a tinted glass with a highlight, a handle.
    # At 16 pixels the lens sits on pixel centres so its rim stays one pixel.
    cx, cy, r = (31.5, 28.5, 10.5) if size <= 16 else (30.5, 28.5, 10.5)
    rim = stroke(size, 1.0 if size <= 16 else 2.0 if size < 48 else 3.0)
    handle = stroke(size, 1.0) if size <= 16 else 2.7
    glass_top, glass_bottom = rgb("#d9efff", 0.85), rgb("#8ec9f2", 0.85)
    layers += [
        (capsule(cx + 6.0, cy + 6.0, 44.5, 44.5, handle), flat(rgb("#2c3e50"))),
        (capsule(cx + 6.5, cy + 6.5, 43.9, 43.9, handle * 0.45), flat(rgb("#5d7185"))),
        (circle(cx, cy, r), flat(rgb("#1f5f99"))),
        (circle(cx, cy, r - rim), vertical(glass_top, glass_bottom, cy - r, cy + r)),
    ]
    if size > 16:
        glint = r - rim - 1.2
        layers.append((ring(cx, cy, glint, glint - stroke(size, 1.0)),
                       lambda x, y: rgb("#ffffff", 0.9) if x < cx - 2.0 and y < cy - 2.0 else (0, 0, 0, 0)))
    return layers


def details_icon(size):
    s = lambda v: snap(v, size)  # noqa: E731
    edge = stroke(size, 1.0)
    x0, y0, x1, y1 = s(3), s(3), s(45), s(45)
    radius = 7.0 if size > 16 else 9.0
    layers = [
        (rounded_rect(x0, y0, x1, y1, radius), flat(rgb("#173f6b"))),
        (rounded_rect(x0 + edge, y0 + edge, x1 - edge, y1 - edge, radius - edge),
         vertical(rgb("#3d86d0"), rgb("#1f5c9e"), y0, y1)),
    ]
    base = s(37)
    if size <= 16:
        bars = [(s(9), s(18), s(24)), (s(21), s(27), s(15)), (s(33), s(39), s(9))]
    else:
        bars = [(s(10), s(17), s(26)), (s(21), s(28), s(17)), (s(32), s(39), s(9))]
    colours = [rgb("#ffd166"), rgb("#7bd88f"), rgb("#ffffff")]
    for (left, right, top), colour in zip(bars, colours):
        layers.append((rect(left, top, right, base), flat(colour)))
    layers.append((rect(s(7), base, s(41), base + stroke(size, 1.0 if size < 48 else 1.5)), flat(rgb("#e8f1fb"))))
    return layers


# --- files ----------------------------------------------------------------------


def dib(rows, size):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA, then the AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(size):
            if row[x * 4 + 3] == 0:  # fully clear: transparent for old screens too
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def ico(images):
    """images: list of (size, dib bytes)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def png(width, height, rgba_rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\0" + row for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def bgra_to_rgba(row):
    out = bytearray(row)
    out[0::4], out[2::4] = row[2::4], row[0::4]
    return bytes(out)


def preview(pictures, zoom=4):
    """Every size of every icon, enlarged without smoothing, on a checkerboard."""
    gap = 8
    width = gap + sum(size * zoom + gap for size in SIZES[:-1])
    height = gap + len(pictures) * (SIZES[-2] * zoom + gap)
    canvas = [[(200, 200, 200) if ((x // 8) + (y // 8)) % 2 else (245, 245, 245) for x in range(width)]
              for y in range(height)]
    for row_index, rendered in enumerate(pictures):
        left = gap
        top = gap + row_index * (SIZES[-2] * zoom + gap)
        for size in SIZES[:-1]:  # the largest would dwarf the rest
            rows = rendered[size]
            for y in range(size * zoom):
                src = rows[y // zoom]
                for x in range(size * zoom):
                    b, g, r, a = src[(x // zoom) * 4:(x // zoom) * 4 + 4]
                    under = canvas[top + y][left + x]
                    t = a / 255
                    canvas[top + y][left + x] = tuple(round(c * t + u * (1 - t)) for c, u in zip((r, g, b), under))
            left += size * zoom + gap
    rows = [b"".join(bytes((r, g, b, 255)) for r, g, b in line) for line in canvas]
    return png(width, height, rows)


ICONS = (("program.ico", program_icon), ("details.ico", details_icon))


def main():
    parser = argparse.ArgumentParser(description="Draw the program's icons.")
    parser.add_argument("outdir")
    parser.add_argument("--preview", metavar="PNG", help="also write an enlarged preview of every image")
    args = parser.parse_args()

    os.makedirs(args.outdir, exist_ok=True)
    pictures = []
    for name, draw in ICONS:
        rendered = {size: render(draw(size), size) for size in SIZES}
        pictures.append(rendered)
        data = ico([(size, png(size, size, [bgra_to_rgba(row) for row in rendered[size]]) if size >= PNG_FROM
                        else dib(rendered[size], size)) for size in SIZES])
        path = os.path.join(args.outdir, name)
        temp = path + ".tmp"
        with open(temp, "wb") as f:
            f.write(data)
        os.replace(temp, path)
    if args.preview:
        with open(args.preview, "wb") as f:
            f.write(preview(pictures))
    return 0


if __name__ == "__main__":
    sys.exit(main())
