#!/usr/bin/python3
"""Draws Norvik's icon and writes it as a Windows .ico with all nine sizes the program uses.

The mark is a white magnifier on a violet rounded tile (the window's accent, #7C3AED, in a
gradient). Each size is rendered on its own from the shapes below with supersampling; the four
smallest have their own hand-placed geometry, so that the ring and the handle fall on whole
pixels and stay crisp at 16 px instead of blurring into the tile. Standard library only.

Usage: /usr/bin/python3 tools/make_icon.py OUTPUT.ico [PREVIEW_FOLDER]
  PREVIEW_FOLDER, when given, also gets icon-SIZE.png for each size, to look at.
"""
import math
import struct
import sys
import zlib

SIZES = [16, 20, 24, 32, 40, 48, 64, 128, 256]

TOP_LEFT = (0x8B, 0x5C, 0xF6)      # violet 500
BOTTOM_RIGHT = (0x6D, 0x28, 0xD9)  # violet 700
MARK = (0xFF, 0xFF, 0xFF)

# Geometry in pixels for the sizes that need placing by hand: the tile's inset and corner
# radius; the lens centre, the radius of the ring's middle line and its stroke; the handle's
# far end and half its width. The ring's edges land on pixel boundaries.
HAND_PLACED = {
    16: dict(inset=0.0, radius=3.5, centre=(6.5, 6.5), ring=3.5, stroke=2.0,
             handle_end=(13.2, 13.2), handle_half=1.2),
    20: dict(inset=0.0, radius=4.5, centre=(8.0, 8.0), ring=4.0, stroke=2.0,
             handle_end=(16.0, 16.0), handle_half=1.4),
    24: dict(inset=1.0, radius=5.0, centre=(10.0, 10.0), ring=5.0, stroke=2.0,
             handle_end=(18.8, 18.8), handle_half=1.6),
    32: dict(inset=1.0, radius=7.0, centre=(13.0, 13.0), ring=6.5, stroke=3.0,
             handle_end=(24.8, 24.8), handle_half=2.1),
}


def scaled_geometry(size):
    """The design drawn on a 256 grid, scaled to `size`."""
    k = size / 256.0
    return dict(inset=8 * k, radius=56 * k, centre=(108 * k, 108 * k), ring=52 * k,
                stroke=22 * k, handle_end=(190 * k, 190 * k), handle_half=14 * k)


def rounded_rect_distance(x, y, left, top, right, bottom, radius):
    """Signed distance to a rounded rectangle: negative inside."""
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius
    qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def render(size):
    """RGBA rows (straight alpha) of the icon at `size`."""
    g = HAND_PLACED.get(size) or scaled_geometry(size)
    cx, cy = g["centre"]
    outer = g["ring"] + g["stroke"] / 2
    inner = g["ring"] - g["stroke"] / 2
    # The handle starts inside the ring's stroke, so the two join without a seam, but beyond
    # its middle, so that the handle's round end does not bulge into the lens.
    start = (g["ring"] + g["stroke"] / 4) / math.sqrt(2)
    ax, ay = cx + start, cy + start
    bx, by = g["handle_end"]
    inset = g["inset"]
    samples = 8 if size <= 48 else 4
    offsets = [(i + 0.5) / samples for i in range(samples)]
    count = samples * samples

    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            tile = mark = 0
            for oy in offsets:
                y = py + oy
                for ox in offsets:
                    x = px + ox
                    if rounded_rect_distance(x, y, inset, inset, size - inset, size - inset,
                                             g["radius"]) > 0:
                        continue
                    tile += 1
                    r = math.hypot(x - cx, y - cy)
                    if inner <= r <= outer or \
                            segment_distance(x, y, ax, ay, bx, by) <= g["handle_half"]:
                        mark += 1
            if tile == 0:
                row += bytes(4)
                continue
            # The gradient runs from the top left corner to the bottom right one.
            t = min(1.0, max(0.0, (px + py + 1) / (2.0 * size)))
            base = [a + (b - a) * t for a, b in zip(TOP_LEFT, BOTTOM_RIGHT)]
            m = mark / tile
            colour = [round(c + (w - c) * m) for c, w in zip(base, MARK)]
            row += bytes(colour + [round(255 * tile / count)])
        rows.append(bytes(row))
    return rows


def png(rows, size):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows, size):
    """A 32-bit icon image: BGRA rows bottom-up, then the 1-bit mask that 32-bit icons ignore."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for i in range(0, len(row), 4):
            r, g, b, a = row[i:i + 4]
            pixels += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    return header + bytes(pixels) + bytes(mask_row * size)


def ico(images):
    """images: (size, data) pairs. 256 is stored as PNG, as Windows expects; the rest as DIBs."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        body += data
    return out + body


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png(rows, size) if size >= 256 else dib(rows, size)))
        if len(sys.argv) == 3:
            with open(f"{sys.argv[2]}/icon-{size}.png", "wb") as f:
                f.write(png(rows, size))
    with open(sys.argv[1], "wb") as f:
        f.write(ico(images))


if __name__ == "__main__":
    main()
