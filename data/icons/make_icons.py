#!/usr/bin/env python3
"""Writes the program's icon: palorin.svg, the hicolor PNGs and the installable
page's PNGs, drawn from one list of faces, so that the scalable and the pixel
icons are the same picture.

Four blocks as the editor draws them, on a 32-unit square like the window
icon: a white block at the back, green and red blocks before it, a yellow one
in front, each with a dark rim. Each face is a convex polygon; a PNG pixel is
covered by the share of its 4 x 4 sample points inside the face.

The page's maskable icon is the same drawing on a full-bleed square of the
page's theme colour, small enough to stay inside the safe zone (the circle of
80 % of the icon's width around its centre) whatever shape a launcher cuts.

Run from the repository root: python3 data/icons/make_icons.py
"""
import struct
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)  # hicolor, installed with the editor
PAGE_SIZES = (192, 512)  # the installable page's manifest
MASKABLE_SIZE = 512
MASKABLE_BACKGROUND = "#000080"  # the page's theme colour
SAFE_RADIUS = 0.4  # of the icon's width: the maskable icon's safe zone
HALF_WIDTH, HALF_TOP, SIDE = 6.0, 3.0, 7.0
RIM, RIM_COLOUR = 0.6, "#2b2b2b"  # a dark rim: the white face shows on white

# (centre x, centre y of the top face, top, left side, right side), back to front.
BLOCKS = (
    (16.0, 6.0, "#ffffff", "#636363", "#cecece"),
    (10.0, 15.0, "#00ce00", "#006300", "#009c00"),
    (22.0, 15.0, "#ff0000", "#9c0000", "#ce0000"),
    (16.0, 18.0, "#ffff00", "#9c9c00", "#cece00"),
)


def faces():
    for cx, cy, top, left, right in BLOCKS:
        w, t, h = HALF_WIDTH, HALF_TOP, SIDE
        # The block's outline, a hexagon grown by RIM around its middle.
        my, ry = cy + h / 2, t + h / 2
        fx, fy = (w + RIM) / w, (ry + RIM) / ry
        outline = [(cx, cy - t), (cx + w, cy), (cx + w, cy + h), (cx, cy + t + h),
                   (cx - w, cy + h), (cx - w, cy)]
        yield RIM_COLOUR, [(cx + (x - cx) * fx, my + (y - my) * fy) for x, y in outline]
        yield top, [(cx, cy - t), (cx + w, cy), (cx, cy + t), (cx - w, cy)]
        yield left, [(cx - w, cy), (cx, cy + t), (cx, cy + t + h), (cx - w, cy + h)]
        yield right, [(cx, cy + t), (cx + w, cy), (cx + w, cy + h), (cx, cy + t + h)]


def write_svg(path):
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 32 32">',
        "  <title>Palorin</title>",
    ]
    for colour, points in faces():
        pts = " ".join(f"{x:.3g},{y:.3g}" for x, y in points)
        lines.append(f'  <polygon points="{pts}" fill="{colour}"/>')
    lines.append("</svg>")
    path.write_text("\n".join(lines) + "\n", encoding="utf-8")


def inside(points, x, y):
    # Clockwise on screen (y down): every edge has the point on its right.
    n = len(points)
    for i in range(n):
        (x0, y0), (x1, y1) = points[i], points[(i + 1) % n]
        if (x1 - x0) * (y - y0) - (y1 - y0) * (x - x0) < 0:
            return False
    return True


def rgb(colour):
    return tuple(int(colour[i : i + 2], 16) / 255 for i in (1, 3, 5))


def maskable_placement(size):
    """Units per pixel and the unit point at pixel (0, 0) that put the
    drawing's middle at the icon's centre, every corner of it inside the safe
    zone."""
    points = [p for _, face in faces() for p in face]
    mx = (min(x for x, _ in points) + max(x for x, _ in points)) / 2
    my = (min(y for _, y in points) + max(y for _, y in points)) / 2
    reach = max(((x - mx) ** 2 + (y - my) ** 2) ** 0.5 for x, y in points)
    scale = reach / (SAFE_RADIUS * size)
    return scale, mx - size / 2 * scale, my - size / 2 * scale


def render(size, background=None):
    """The faces as RGBA pixels, 0 to 1: the whole 32-unit square over `size`
    pixels on a transparent ground, or, on an opaque `background`, placed in
    the maskable icon's safe zone."""
    if background is None:
        scale, x0, y0 = 32.0 / size, 0.0, 0.0
        rgba = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]
    else:
        scale, x0, y0 = maskable_placement(size)
        rgba = [[*rgb(background), 1.0] for _ in range(size * size)]
    offsets = [(i + 0.5) / 4 for i in range(4)]
    for colour, points in faces():
        r, g, b = rgb(colour)
        xs = [(p[0] - x0) / scale for p in points]
        ys = [(p[1] - y0) / scale for p in points]
        for py in range(max(0, int(min(ys))), min(size, int(max(ys)) + 1)):
            for px in range(max(0, int(min(xs))), min(size, int(max(xs)) + 1)):
                hits = sum(
                    inside(points, (px + ox) * scale + x0, (py + oy) * scale + y0)
                    for oy in offsets
                    for ox in offsets
                )
                if hits == 0:
                    continue
                a = hits / 16
                d = rgba[py * size + px]
                # "over": the nearer face covers what lies behind it.
                out_a = a + d[3] * (1 - a)
                for k, c in enumerate((r, g, b)):
                    d[k] = (c * a + d[k] * d[3] * (1 - a)) / out_a
                d[3] = out_a
    return rgba


def write_png(path, size, rgba):
    raw = bytearray()
    for y in range(size):
        raw.append(0)
        for x in range(size):
            raw.extend(round(v * 255) for v in rgba[y * size + x])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    path.write_bytes(png)


def main():
    write_svg(HERE / "palorin.svg")
    for size in SIZES + PAGE_SIZES:
        write_png(HERE / f"palorin-{size}.png", size, render(size))
    write_png(
        HERE / f"palorin-maskable-{MASKABLE_SIZE}.png",
        MASKABLE_SIZE,
        render(MASKABLE_SIZE, MASKABLE_BACKGROUND),
    )


if __name__ == "__main__":
    main()
