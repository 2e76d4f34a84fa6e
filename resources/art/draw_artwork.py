#!/usr/bin/env python3
"""Usage: python3 resources/art/draw_artwork.py   (rewrites every picture under resources/)

Draws the banner, button glyphs, application icon and notification-area strip, plus
resources/art/preview.png for reviewers. Pixel work is plain Python; ImageMagick's
`convert` only rasterises text (DejaVu) and encodes the JPEG banners. Output is
byte-for-byte repeatable: no timestamps, no metadata, fixed encoder settings.
"""

import math
import struct
import subprocess
import sys
import zlib
from pathlib import Path

RESOURCES = Path(__file__).resolve().parent.parent
FONTS = Path("/usr/share/fonts/truetype/dejavu")
BOLD = FONTS / "DejaVuSans-Bold.ttf"
REGULAR = FONTS / "DejaVuSans.ttf"

KEY = (255, 0, 255)  # transparent: the glyph icons mask it out, the strip loader looks for it
BUTTON_FACE = (240, 240, 240)
CLASSIC_FACE = (212, 208, 200)


# ---------------------------------------------------------------------------------------------
# Raster with coverage-based anti-aliasing
# ---------------------------------------------------------------------------------------------

def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def hexrgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def ramp(stops, t):
    """Colour at t along (position, colour) stops sorted by position."""
    t = clamp01(t)
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, 0.0 if p1 == p0 else (t - p0) / (p1 - p0))
    return stops[-1][1]


class Canvas:
    """RGB floats. Shapes are signed-distance functions in logical units; `scale` device
    pixels make one logical unit, so the same drawing code yields the 1x and 2x artwork."""

    def __init__(self, width, height, colour, scale=1):
        self.w, self.h, self.s = width, height, scale
        self.px = [list(colour) for _ in range(width * height)]

    def blend(self, x, y, colour, alpha):
        if alpha <= 0.0:
            return
        p = self.px[y * self.w + x]
        if alpha >= 1.0:
            p[0], p[1], p[2] = colour[0], colour[1], colour[2]
        else:
            for i in range(3):
                p[i] += (colour[i] - p[i]) * alpha

    def fill(self, colour_at):
        """Paints every pixel from colour_at(logical x, logical y)."""
        s = self.s
        for y in range(self.h):
            for x in range(self.w):
                c = colour_at((x + 0.5) / s, (y + 0.5) / s)
                p = self.px[y * self.w + x]
                p[0], p[1], p[2] = c

    def shape(self, sdf, box, colour, alpha=1.0, soft=0.0):
        """Blends `colour` (a colour or colour_at(x, y)) over the shape; `soft` widens the
        edge ramp (logical units) for glows."""
        s = self.s
        x0, y0, x1, y1 = box
        xa, ya = max(0, int(math.floor(x0 * s)) - 1), max(0, int(math.floor(y0 * s)) - 1)
        xb, yb = min(self.w, int(math.ceil(x1 * s)) + 1), min(self.h, int(math.ceil(y1 * s)) + 1)
        ramp_width = 1.0 + soft * s
        for y in range(ya, yb):
            ly = (y + 0.5) / s
            for x in range(xa, xb):
                lx = (x + 0.5) / s
                d = sdf(lx, ly) * s
                cover = clamp01(0.5 - d / ramp_width)
                if cover > 0.0:
                    c = colour(lx, ly) if callable(colour) else colour
                    self.blend(x, y, c, cover * alpha)

    def mask(self, alpha_rows, colour, dx, dy, alpha=1.0):
        """Blends a grey coverage mask (rows of 0..255) with its top-left at device (dx, dy)."""
        for j, row in enumerate(alpha_rows):
            y = dy + j
            if 0 <= y < self.h:
                for i, a in enumerate(row):
                    x = dx + i
                    if a and 0 <= x < self.w:
                        c = colour((x + 0.5) / self.s, (y + 0.5) / self.s) if callable(colour) else colour
                        self.blend(x, y, c, a / 255.0 * alpha)

    def rgb_rows(self):
        return [bytes(max(0, min(255, int(round(v)))) for p in self.px[y * self.w:(y + 1) * self.w] for v in p)
                for y in range(self.h)]


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def circle_box(cx, cy, r):
    return (cx - r, cy - r, cx + r, cy + r)


def segment_distance(x, y, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = clamp01(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy))
    return math.hypot(x - ax - vx * t, y - ay - vy * t)


def capsule(ax, ay, bx, by, r):
    return lambda x, y: segment_distance(x, y, ax, ay, bx, by) - r


def capsule_box(ax, ay, bx, by, r):
    return (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r)


def convex_polygon(points):
    """Signed distance (exact along edges, close enough at corners for edge coverage);
    points run clockwise on screen."""
    edges = []
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        length = math.hypot(bx - ax, by - ay)
        edges.append((ax, ay, (by - ay) / length, -(bx - ax) / length))
    return lambda x, y: max((x - ax) * nx + (y - ay) * ny for ax, ay, nx, ny in edges)


def polygon_box(points):
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return (min(xs), min(ys), max(xs), max(ys))


def dial_angle(cx, cy, x, y):
    """Degrees clockwise from twelve o'clock."""
    return math.degrees(math.atan2(x - cx, cy - y))


def dial_point(cx, cy, r, degrees):
    a = math.radians(degrees)
    return (cx + r * math.sin(a), cy - r * math.cos(a))


def arc(cx, cy, r, half_width, start, end):
    """Round-capped stroke along a circle from `start` to `end` degrees (clockwise)."""
    ends = (dial_point(cx, cy, r, start), dial_point(cx, cy, r, end))

    def sdf(x, y):
        if start <= dial_angle(cx, cy, x, y) <= end:
            return abs(math.hypot(x - cx, y - cy) - r) - half_width
        return min(math.hypot(x - px, y - py) for px, py in ends) - half_width
    return sdf


# ---------------------------------------------------------------------------------------------
# Text, through ImageMagick's FreeType renderer
# ---------------------------------------------------------------------------------------------

def text_mask(text, font, size):
    """Coverage rows of `text` at `size` pixels, cropped to the ink, plus the ink's offset
    from the pen origin: (rows, left, top)."""
    if text.startswith("@") or "%" in text or "\\" in text:  # convert reads these as a file name or escapes
        raise ValueError("text needs escaping: " + text)
    width, height = int(size * len(text) + 4 * size), int(size * 2.5)
    pen_x, baseline = int(size), int(size * 1.8)
    raw = subprocess.run(
        ["convert", "-size", f"{width}x{height}", "xc:black", "-font", str(font), "-pointsize", str(size),
         "-fill", "white", "-annotate", f"+{pen_x}+{baseline}", text, "-depth", "8", "gray:-"],
        check=True, capture_output=True).stdout
    rows = [raw[y * width:(y + 1) * width] for y in range(height)]
    used_rows = [y for y, row in enumerate(rows) if any(row)]
    used_cols = [x for x in range(width) if any(row[x] for row in rows)]
    top, bottom, left, right = used_rows[0], used_rows[-1] + 1, used_cols[0], used_cols[-1] + 1
    return [row[left:right] for row in rows[top:bottom]], left - pen_x, top - baseline


# ---------------------------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------------------------

def dib24(rows, colour=lambda rgb: rgb):
    """The bottom-up 24-bit pixels of a DIB, each one's colour as colour() gives it; rows are
    top-down RGB bytes."""
    w = len(rows[0]) // 3
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(rows):
        for x in range(w):
            r, g, b = colour(tuple(row[3 * x:3 * x + 3]))
            body += bytes((b, g, r))
        body += bytes(stride - w * 3)
    return bytes(body)


def write_bmp24(path, rows):
    """Bottom-up 24-bit BMP; rows are top-down RGB bytes."""
    h, w = len(rows), len(rows[0]) // 3
    body = dib24(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    path.write_bytes(header + info + body)


def write_ico24(path, rows, key):
    """One 24-bit image with a 1-bit AND mask: the key colour is transparent, and black in the
    XOR bitmap so that it leaves the screen unchanged."""
    h, w = len(rows), len(rows[0]) // 3
    xor = dib24(rows, lambda rgb: (0, 0, 0) if rgb == key else rgb)
    mask_stride = ((w + 31) // 32) * 4
    andmask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(w):
            if tuple(row[3 * x:3 * x + 3]) == key:
                bits[x // 8] |= 0x80 >> (x % 8)
        andmask += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 24, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    image = info + xor + bytes(andmask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", w, h, 0, 0, 1, 24, len(image), 6 + 16)
    path.write_bytes(directory + image)


def write_ico8(path, rows, opaque):
    """One 32x32 8-bit image: palette, XOR bitmap and 1-bit AND mask, as the icon loader expects."""
    h, w = len(rows), len(rows[0]) // 3
    pixels = [tuple(row[3 * x:3 * x + 3]) for row in rows for x in range(w)]
    # Index 0 stays black: transparent pixels must XOR onto the screen as no change.
    wanted = [p for p, o in zip(pixels, opaque) if o]
    palette, index_of = quantise(wanted, 255)
    palette = [(0, 0, 0)] + palette
    indices = [index_of[p] + 1 if o else 0 for p, o in zip(pixels, opaque)]
    xor = bytearray()
    for y in reversed(range(h)):
        xor += bytes(indices[y * w:(y + 1) * w])
        xor += bytes((-w) % 4)
    mask_stride = ((w + 31) // 32) * 4
    andmask = bytearray()
    for y in reversed(range(h)):
        bits = bytearray(mask_stride)
        for x in range(w):
            if not opaque[y * w + x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        andmask += bits
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    table += bytes(4 * (256 - len(palette)))
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 8, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    image = info + table + bytes(xor) + bytes(andmask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", w, h, 0, 0, 1, 8, len(image), 6 + 16)
    path.write_bytes(directory + image)


def quantise(colours, limit):
    """Median cut, deterministic. Returns (palette, {colour: palette index})."""
    counts = {}
    for c in colours:
        counts[c] = counts.get(c, 0) + 1
    unique = sorted(counts)
    if len(unique) <= limit:
        return unique, {c: i for i, c in enumerate(unique)}
    boxes = [unique]
    while len(boxes) < limit:
        best, best_key = None, None
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spans = [max(c[k] for c in box) - min(c[k] for c in box) for k in range(3)]
            key = (max(spans), len(box))
            if best_key is None or key > best_key:
                best, best_key = i, key
        if best is None:
            break
        box = boxes.pop(best)
        axis = max(range(3), key=lambda k: max(c[k] for c in box) - min(c[k] for c in box))
        box = sorted(box, key=lambda c: (c[axis], c))
        half = sum(counts[c] for c in box) / 2
        running, cut = 0, 1
        for i, c in enumerate(box[:-1]):
            running += counts[c]
            cut = i + 1
            if running >= half:
                break
        boxes[best:best] = [box[:cut], box[cut:]]
    palette, index_of = [], {}
    for box in boxes:
        total = sum(counts[c] for c in box)
        mean = tuple(int(round(sum(c[k] * counts[c] for c in box) / total)) for k in range(3))
        for c in box:
            index_of[c] = len(palette)
        palette.append(mean)
    return palette, index_of


def write_png(path, rows):
    """RGB, 8 bits, no ancillary chunks."""
    h, w = len(rows), len(rows[0]) // 3

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + row for row in rows)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
                     + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_jpeg(path, rows):
    """Baseline, 4:4:4 so the white lettering keeps sharp edges, no metadata."""
    h, w = len(rows), len(rows[0]) // 3
    ppm = b"P6\n%d %d\n255\n" % (w, h) + b"".join(rows)
    subprocess.run(["convert", "ppm:-", "-strip", "-interlace", "none", "-sampling-factor", "1x1",
                    "-quality", "92", f"jpg:{path}"], input=ppm, check=True)


def read_rgb(path, w, h):
    raw = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return [raw[y * w * 3:(y + 1) * w * 3] for y in range(h)]


# ---------------------------------------------------------------------------------------------
# The dial: application icon and banner emblem
# ---------------------------------------------------------------------------------------------

DIAL_EDGE = hexrgb("14233a")


def draw_dial(c, ox, oy, k):
    """The speed dial, laid out on a 32-unit square at (ox, oy) magnified by k."""
    cx, cy = ox + 16 * k, oy + 16 * k

    def at(u):
        return u * k
    bezel = lambda x, y: ramp([(0, hexrgb("f6f9fc")), (0.55, hexrgb("c3ccd6")), (1, hexrgb("7d8a99"))],
                              (y - cy + at(15)) / at(30))
    c.shape(circle(cx, cy, at(14.6)), circle_box(cx, cy, at(14.6)), bezel)
    c.shape(circle(cx, cy, at(12.6)), circle_box(cx, cy, at(12.6)), DIAL_EDGE)
    face = lambda x, y: ramp([(0, hexrgb("2f63a8")), (1, hexrgb("0c2448"))], (y - cy + at(12)) / at(24))
    c.shape(circle(cx, cy, at(11.8)), circle_box(cx, cy, at(11.8)), face)

    scale_colour = lambda x, y: ramp([(0, hexrgb("2ee05a")), (0.5, hexrgb("ffe21a")), (0.78, hexrgb("ff9a1a")),
                                      (1, hexrgb("ff2a1a"))], (dial_angle(cx, cy, x, y) + 125) / 250)
    c.shape(arc(cx, cy, at(9.0), at(1.35), -125, 125), circle_box(cx, cy, at(10.5)), scale_colour)

    heading = 58
    tip = dial_point(cx, cy, at(10.4), heading)
    base = [dial_point(cx, cy, at(2.1), heading + turn) for turn in (90, 180, 270)]
    needle = [tip, base[0], base[1], base[2]]
    c.shape(convex_polygon(needle), polygon_box(needle), hexrgb("ffffff"))
    hub = lambda x, y: ramp([(0, hexrgb("ffffff")), (1, hexrgb("b4c0ce"))], (y - cy + at(2.1)) / at(4.2))
    c.shape(circle(cx, cy, at(2.1)), circle_box(cx, cy, at(2.1)), hub)
    c.shape(circle(cx, cy, at(0.9)), circle_box(cx, cy, at(0.9)), hexrgb("e0481a"))


def make_icon():
    c = Canvas(32, 32, DIAL_EDGE)
    draw_dial(c, 0, 0, 1)
    # The outline ring is the dial's own dark edge, so the hard-edged mask needs no fringe.
    opaque = [math.hypot(x + 0.5 - 16, y + 0.5 - 16) <= 15.45 for y in range(32) for x in range(32)]
    return c.rgb_rows(), opaque


# ---------------------------------------------------------------------------------------------
# Banner
# ---------------------------------------------------------------------------------------------

BANNER_W, BANNER_H = 329, 56

# Hand-placed mesh for the right-hand motif: (x, y, radius).
NODES = [(268, 46, 1.6), (281, 17, 2.0), (292, 36, 2.6), (305, 11, 1.8), (311, 48, 2.0),
         (318, 27, 3.0), (331, 12, 1.8), (331, 41, 1.8)]
LINKS = [(0, 2), (1, 2), (1, 3), (2, 4), (2, 5), (3, 5), (4, 5), (3, 6), (5, 6), (5, 7), (4, 7)]


def make_banner(s):
    w, h = BANNER_W * s, BANNER_H * s
    c = Canvas(w, h, (0, 0, 0), s)
    band = [(0, hexrgb("0b2547")), (0.45, hexrgb("15448a")), (1, hexrgb("1f66bf"))]

    def background(x, y):
        base = ramp(band, x / BANNER_W)
        sheen = 0.10 * clamp01(1 - y / 30)  # light from above, fading before the lettering's baseline
        return mix(base, (255, 255, 255), sheen)
    c.fill(background)

    # Speed streaks running into the mesh.
    for y, x0, x1, a in [(8, 150, 282, 0.10), (50, 175, 268, 0.10), (28, 262, 292, 0.12)]:
        tail = lambda px, py, x0=x0, x1=x1: mix(hexrgb("1f66bf"), hexrgb("9fd8ff"), clamp01((px - x0) / (x1 - x0)))
        c.shape(capsule(x0, y, x1, y, 0.6), capsule_box(x0, y, x1, y, 0.6), tail, a * 2.5)

    for i, j in LINKS:
        (ax, ay, _), (bx, by, _) = NODES[i], NODES[j]
        c.shape(capsule(ax, ay, bx, by, 0.5), capsule_box(ax, ay, bx, by, 0.5), hexrgb("8ccfff"), 0.55)
    for n, (x, y, r) in enumerate(NODES):
        c.shape(circle(x, y, r + 1.2), circle_box(x, y, r + 4), hexrgb("6fc2ff"), 0.35, soft=2.5)
        core = hexrgb("ffd23a") if n == 5 else hexrgb("e6f6ff")
        c.shape(circle(x, y, r), circle_box(x, y, r), core)

    draw_dial(c, 10, 8, 40 / 32)

    # Lettering: the product name in bold white, the client's part a quieter blue.
    name_size, tail_size, baseline, left = 22 * s, 15 * s, 35 * s, 60 * s
    name, name_dx, name_dy = text_mask("Torvane", BOLD, name_size)
    rest, rest_dx, rest_dy = text_mask("for BitComet", REGULAR, tail_size)
    name_x = left + name_dx
    rest_x = name_x + len(name[0]) + 5 * s
    shadow = (3, 12, 28)
    c.mask(name, shadow, name_x + s, baseline + name_dy + s, 0.55)
    c.mask(rest, shadow, rest_x + s, baseline + rest_dy + s, 0.45)
    c.mask(name, (255, 255, 255), name_x, baseline + name_dy)
    c.mask(rest, hexrgb("cfe6ff"), rest_x, baseline + rest_dy)

    # A warm rule at the foot ties the band to the dial's scale and closes it off above the dialog.
    rule = lambda x, y: ramp([(0, hexrgb("ff8a1a")), (0.5, hexrgb("ffc21a")), (1, hexrgb("ffe27a"))], x / BANNER_W)
    foot = (0, BANNER_H - 2, BANNER_W, BANNER_H)
    c.shape(lambda x, y: max(BANNER_H - 2 - y, y - BANNER_H), foot, rule)
    return c.rgb_rows()


# ---------------------------------------------------------------------------------------------
# Pixel-art helpers: hard-edged shapes with a dark outline and bevel shading
# ---------------------------------------------------------------------------------------------

def pixel_shape(size, inside, samples=4):
    """Which pixels the shape covers at least half of."""
    n = samples * samples
    cells = []
    for y in range(size):
        for x in range(size):
            hits = sum(inside(x + (i + 0.5) / samples, y + (j + 0.5) / samples)
                       for j in range(samples) for i in range(samples))
            cells.append(hits * 2 >= n)
    return cells


def shade_glyph(size, cells, outline, light, base, dark):
    """Classic stock-glyph look: dark outline, light top-left edge, shaded bottom-right edge."""
    def on(x, y):
        return 0 <= x < size and 0 <= y < size and cells[y * size + x]
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            if on(x, y):
                if not on(x - 1, y - 1) or not on(x, y - 1) and not on(x - 1, y):
                    colour = light
                elif not on(x + 1, y + 1) or not on(x, y + 1) and not on(x + 1, y):
                    colour = dark
                else:
                    colour = base
            elif any(on(x + i, y + j) for i in (-1, 0, 1) for j in (-1, 0, 1)):
                colour = outline
            else:
                colour = KEY
            row += bytes(colour)
        rows.append(bytes(row))
    return rows


def retry_shape(size):
    """Clockwise arrow round three quarters of a circle; the head at twelve o'clock points
    into the open quarter."""
    u = size / 16.0
    cx, cy = 7.0 * u, 9.0 * u
    r_out, r_in = 5.6 * u, 2.7 * u
    mid, half, reach = cy - (r_out + r_in) / 2, 3.6 * u, 4.2 * u

    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if r_in <= d <= r_out and (x <= cx or y >= cy):
            return True
        if cx <= x <= cx + reach:
            return abs(y - mid) <= half * (cx + reach - x) / reach
        return False
    return inside


def cancel_shape(size):
    u = size / 16.0
    a, b, r = 4.0 * u, 12.0 * u, 1.75 * u
    return lambda x, y: (segment_distance(x, y, a, a, b, b) <= r or segment_distance(x, y, b, a, a, b) <= r)


# At 16 x 16 a traced curve comes out lumpy, so the small pair is laid out by hand; the 32 x 32
# pair is traced from the shapes above.
RETRY_16 = [
    "................",
    "........#.......",
    "........##......",
    "......#####.....",
    "....########....",
    "...####.###.....",
    "...##...##......",
    "..###...#.......",
    "..##............",
    "..##........##..",
    "..###......###..",
    "...##......##...",
    "...####..####...",
    "....########....",
    "......####......",
    "................",
]
CANCEL_16 = [
    "................",
    "................",
    "...##......##...",
    "..####....####..",
    "...####..####...",
    "....########....",
    ".....######.....",
    "......####......",
    "......####......",
    ".....######.....",
    "....########....",
    "...####..####...",
    "..####....####..",
    "...##......##...",
    "................",
    "................",
]
GLYPH_COLOURS = {
    "retry": (hexrgb("004a10"), hexrgb("6cf07c"), hexrgb("14b83a"), hexrgb("0a7a26")),
    "cancel": (hexrgb("5a0000"), hexrgb("ff7a6a"), hexrgb("e01e10"), hexrgb("a00c06")),
}


def make_glyph(kind, size):
    if size == 16:
        cells = [ch == "#" for line in (RETRY_16 if kind == "retry" else CANCEL_16) for ch in line]
    else:
        cells = pixel_shape(size, (retry_shape if kind == "retry" else cancel_shape)(size))
    return shade_glyph(size, cells, *GLYPH_COLOURS[kind])


# ---------------------------------------------------------------------------------------------
# Notification-area strip: three networked computers whose screens pass the colours round
# ---------------------------------------------------------------------------------------------

YELLOW, GREEN, RED = (255, 255, 0), (0, 192, 0), (255, 0, 0)
SCREENS = [(YELLOW, RED, GREEN), (GREEN, YELLOW, RED), (RED, GREEN, YELLOW)]  # top, bottom left, bottom right

# 14 x 14 computer; S is the lit screen. The shell shows the strip at 16 x 16 by dropping or averaging
# pixels, so the screens fill the case edge to edge and the cables are two pixels wide: both survive
# either way, where a black frame round each screen would shrink to mush.
COMPUTER = [
    "KKKKKKKKKKKKKK",
    "KLLLLLLLLLLLLK",
    "KLSSSSSSSSSSMK",
    "KLSSSSSSSSSSMK",
    "KLSSSSSSSSSSMK",
    "KLSSSSSSSSSSMK",
    "KLSSSSSSSSSSMK",
    "KGGGGGGGGGGGMK",
    "KMMMMMMMMMMMMK",
    "KKKKKKKKKKKKKK",
    ".....KMMK.....",
    "..KKKKKKKKKK..",
    "..KLLLLLLLMK..",
    "..KKKKKKKKKK..",
]
PALETTE = {"K": (0, 0, 0), "L": (200, 200, 200), "G": (168, 168, 168), "M": (112, 112, 112)}


def make_tray():
    strip = [[KEY] * 96 for _ in range(32)]

    def put(frame, x, y, colour):
        if 0 <= x < 32 and 0 <= y < 32:
            strip[y][frame * 32 + x] = colour

    for frame, (top, left, right) in enumerate(SCREENS):
        # Cabling first, so the computers sit on top of it.
        for x, y0, y1 in [(15, 14, 17), (6, 17, 19), (24, 17, 19)]:
            for y in range(y0, y1 + 1):
                for dx in (0, 1):
                    put(frame, x + dx, y, PALETTE["K"])
        for x in range(6, 26):
            for y in (16, 17):
                put(frame, x, y, PALETTE["K"])
        for ox, oy, screen in [(9, 0, top), (0, 18, left), (18, 18, right)]:
            for j, line in enumerate(COMPUTER):
                for i, ch in enumerate(line):
                    if ch != ".":
                        put(frame, ox + i, oy + j, screen if ch == "S" else PALETTE[ch])
    return [bytes(v for c in row for v in c) for row in strip]


# ---------------------------------------------------------------------------------------------
# Preview sheet
# ---------------------------------------------------------------------------------------------

def pixels_of(rows):
    return [[tuple(row[3 * x:3 * x + 3]) for x in range(len(row) // 3)] for row in rows]


def paste(sheet, image, ox, oy, zoom=1, key=None, opaque=None):
    for y, row in enumerate(image):
        for x, colour in enumerate(row):
            if colour == key or (opaque is not None and not opaque[y * len(row) + x]):
                continue
            for j in range(zoom):
                for i in range(zoom):
                    sheet.blend(ox + x * zoom + i, oy + y * zoom + j, colour, 1.0)


def shrink(image, smooth):
    """Halves a keyed image the two ways a shell might: dropping every other pixel, or
    averaging 2 x 2 blocks (a block stays transparent unless half of it is opaque)."""
    n = len(image) // 2
    if not smooth:
        return [[image[2 * y][2 * x] for x in range(n)] for y in range(n)]
    out = []
    for y in range(n):
        row = []
        for x in range(n):
            block = [image[2 * y + j][2 * x + i] for j in (0, 1) for i in (0, 1)]
            solid = [p for p in block if p != KEY]
            row.append(tuple(sum(p[k] for p in solid) // len(solid) for k in range(3)) if len(solid) >= 2 else KEY)
        out.append(row)
    return out


def make_preview(banner1, banner2, glyphs, icon, tray):
    W, H = 700, 900
    sheet = Canvas(W, H, CLASSIC_FACE)
    ink = (40, 40, 40)

    def label(text, x, y):
        rows, dx, dy = text_mask(text, REGULAR, 12)
        sheet.mask(rows, ink, x + dx, y + dy)

    y = 24
    label("banner.jpg (329 x 56) at the top of a classic dialog, and on a #F0F0F0 one", 12, y)
    y += 8
    paste(sheet, banner1, 12, y)
    face = [[BUTTON_FACE] * 329 for _ in range(56 + 30)]
    paste(sheet, face, 360, y)
    paste(sheet, banner1, 360, y)
    y += 56 + 40
    label("banner@2x.jpg (658 x 112)", 12, y)
    y += 8
    paste(sheet, banner2, 12, y)
    y += 112 + 30

    label("glyphs x4, @2x glyphs x2, and at 1x on buttons", 12, y)
    y += 8
    x = 12
    for name in ("retry", "cancel"):
        paste(sheet, glyphs[name, 1], x, y, 4, KEY)
        paste(sheet, glyphs[name, 2], x + 72, y, 2, KEY)
        x += 150
    for n, name in enumerate(("retry", "cancel")):
        bx, by = 320 + n * 90, y + 16
        button = [[BUTTON_FACE] * 80 for _ in range(26)]
        paste(sheet, button, bx, by)
        for i in range(80):
            sheet.blend(bx + i, by, (255, 255, 255), 1)
            sheet.blend(bx + i, by + 25, (64, 64, 64), 1)
        for j in range(26):
            sheet.blend(bx, by + j, (255, 255, 255), 1)
            sheet.blend(bx + 79, by + j, (64, 64, 64), 1)
        paste(sheet, glyphs[name, 1], bx + 8, by + 5, 1, KEY)
        rows, dx, dy = text_mask("Run" if name == "retry" else "Close", REGULAR, 11)
        sheet.mask(rows, (0, 0, 0), bx + 30 + dx, by + 17 + dy)
    y += 64 + 30

    label("torvane.ico x4 and x1, on grey and on white", 12, y)
    y += 8
    icon_rows, opaque = icon
    paste(sheet, pixels_of(icon_rows), 12, y, 4, opaque=opaque)
    paste(sheet, pixels_of(icon_rows), 150, y, 1, opaque=opaque)
    paste(sheet, [[(255, 255, 255)] * 48 for _ in range(48)], 192, y - 8)
    paste(sheet, pixels_of(icon_rows), 200, y, 1, opaque=opaque)
    y += 128 + 30

    label("tray.bmp images 0, 1, 2 x4; below, each shrunk to 16 x 16 (pixels dropped, pixels averaged)", 12, y)
    y += 8
    frames = [[row[f * 32:(f + 1) * 32] for row in tray] for f in range(3)]
    for f, image in enumerate(frames):
        paste(sheet, image, 12 + f * 144, y, 4, KEY)
    y += 128 + 12
    for f, image in enumerate(frames):
        for n, smooth in enumerate((False, True)):
            small = shrink(image, smooth)
            paste(sheet, small, 12 + f * 144 + n * 68, y, 4, KEY)
            paste(sheet, small, 460 + f * 60 + n * 24, y + 24, 1, KEY)
    return sheet.rgb_rows()[:y + 64 + 12]


# ---------------------------------------------------------------------------------------------

def main():
    banners = {}
    for s, name in ((1, "banner.jpg"), (2, "banner@2x.jpg")):
        write_jpeg(RESOURCES / name, make_banner(s))
        banners[s] = pixels_of(read_rgb(RESOURCES / name, BANNER_W * s, BANNER_H * s))

    glyphs = {}
    for kind in ("retry", "cancel"):
        for s, suffix in ((1, ""), (2, "@2x")):
            rows = make_glyph(kind, 16 * s)
            write_ico24(RESOURCES / f"glyph_{kind}{suffix}.ico", rows, KEY)
            glyphs[kind, s] = pixels_of(rows)

    icon = make_icon()
    write_ico8(RESOURCES / "torvane.ico", *icon)

    tray = make_tray()
    write_bmp24(RESOURCES / "tray.bmp", tray)

    write_png(RESOURCES / "art" / "preview.png", make_preview(banners[1], banners[2], glyphs, icon, pixels_of(tray)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
