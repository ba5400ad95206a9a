#!/usr/bin/python3
# Draws the program's pictures into a directory: the splash banner (corv.bmp, 176x70, 16 colours,
# uncompressed), the about box picture (mvbmp.bmp, 159x172, 256 colours, RLE8) and the program
# icon (mirvan.ico, 16, 32 and 48 pixels), and the splitter cursors (splith.cur, splitv.cur).
# Everything is computed here, so every build makes the same bytes.
import math
import struct
import sys

# ---------------------------------------------------------------------------------------------
# The motif: a globe with a grid of meridians and a few continents, and a pair of arrows (one
# going up, one coming down) for the two directions of a transfer.


def land(lon, lat):
    """True where the globe shows land (a few smooth blobs from sums of waves)."""
    v = (math.sin(lon * 2.1 + 0.6) * math.cos(lat * 2.7 - 0.3) + 0.55 * math.sin(lon * 4.3 - lat * 3.1 + 1.2)
         + 0.35 * math.cos(lon * 7.0 + lat * 5.0))
    return v > 0.55


def globe_sample(dx, dy):
    """Point on a unit disc seen from the front (dx, dy in -1..1, y down). Returns None outside,
    else (kind, light) with kind 'sea', 'land' or 'grid' and light 0..1."""
    r2 = dx * dx + dy * dy
    if r2 > 1.0:
        return None
    dz = math.sqrt(1.0 - r2)
    # Light from the upper left, a little in front.
    light = max(0.0, -0.45 * dx - 0.55 * dy + 0.7 * dz)
    light = 0.25 + 0.75 * light
    # The globe turns a little so the grid is not symmetric.
    tilt = 0.35
    y2 = dy * math.cos(tilt) - dz * math.sin(tilt)
    z2 = dy * math.sin(tilt) + dz * math.cos(tilt)
    lat = math.asin(max(-1.0, min(1.0, -y2)))
    lon = math.atan2(dx, z2) + 0.4
    grid = 0.06
    on_meridian = abs(((lon / (math.pi / 6)) % 1.0) - 0.5) > 0.5 - grid * 1.6
    on_parallel = abs(((lat / (math.pi / 6)) % 1.0) - 0.5) > 0.5 - grid * 1.6
    if on_meridian or on_parallel:
        return ("grid", light)
    return ("land" if land(lon, lat) else "sea", light)


def arrow(px, py, cx, top, bottom, width, up):
    """True inside a vertical arrow centred on cx from top to bottom, pointing up or down."""
    head = width * 1.1
    if up:
        if top <= py <= top + head:
            return abs(px - cx) <= (py - top) * (width / head)
        return top + head <= py <= bottom and abs(px - cx) <= width * 0.4
    if bottom - head <= py <= bottom:
        return abs(px - cx) <= (bottom - py) * (width / head)
    return top <= py <= bottom - head and abs(px - cx) <= width * 0.4


# ---------------------------------------------------------------------------------------------
# File formats.


def bmp_file(width, height, bits, palette, pixel_data, compression):
    """A Windows bitmap file: 14-byte file header, 40-byte info header, colour table, pixels."""
    colours = len(palette)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixel_data), 2835, 2835,
                       colours, 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixel_data), 0, 0, offset)
    return header + info + table + pixel_data


def pack_4bpp(rows):
    """Rows of palette indices (top first) to bottom-up 4-bit rows padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for i in range(0, len(row), 2):
            hi = row[i]
            lo = row[i + 1] if i + 1 < len(row) else 0
            line.append((hi << 4) | lo)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def rle8(rows):
    """Rows of palette indices (top first) to RLE8 data: encoded runs, absolute runs of three or
    more literals padded to a word, an end-of-line after each row and end-of-bitmap at the end."""
    out = bytearray()
    for row in reversed(rows):
        i, n = 0, len(row)
        while i < n:
            run = 1
            while i + run < n and run < 255 and row[i + run] == row[i]:
                run += 1
            if run >= 2:
                out += bytes([run, row[i]])
                i += run
                continue
            # Literals until a run of three starts.
            j = i
            while j < n and j - i < 255:
                if j + 2 < n and row[j] == row[j + 1] == row[j + 2]:
                    break
                j += 1
            count = j - i
            if count >= 3:
                out += bytes([0, count]) + bytes(row[i:j])
                if count % 2:
                    out.append(0)
            else:
                for k in range(i, j):
                    out += bytes([1, row[k]])
            i = j
        out += bytes([0, 0])
    out[-2:] = bytes([0, 1])
    return bytes(out)


def ico_file(images):
    """An icon file of 32-bit images (size, rows of (r, g, b, a) top first)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for size, rows in images:
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        colour = b"".join(struct.pack("<BBBB", b, g, r, a) for row in reversed(rows) for (r, g, b, a) in row)
        mask = bytearray()
        stride = ((size + 31) // 32) * 4
        for row in reversed(rows):
            line = bytearray(stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    line[x // 8] |= 0x80 >> (x % 8)
            mask += line
        blob = info + colour + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


# ---------------------------------------------------------------------------------------------
# The splash banner: 16 colours, a sky band with the globe on the left, the two arrows beside
# it and a row of small packets running to a folder on the right.

SPLASH_PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128), (128, 128, 0),
    (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255), (255, 0, 0),
    (255, 0, 255), (255, 255, 0), (255, 255, 255)
]
BLACK, NAVY, GREEN, TEAL, MAROON, PURPLE, OLIVE, SILVER, GREY, BLUE, LIME, CYAN, RED, MAGENTA, YELLOW, WHITE = \
    range(16)
BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def dither(x, y, level, dark, light):
    """Ordered dither between two palette entries; level 0..1 is the share of `light`."""
    return light if level * 16 > BAYER4[y % 4][x % 4] + 0.5 else dark


def splash_pixels():
    w, h = 176, 70
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            # Sky: silver at the top to white at the bottom, to sit on the light grey window.
            c = dither(x, y, y / (h - 1), SILVER, WHITE)
            # A thin navy rule at the bottom.
            if y >= h - 3:
                c = NAVY
            g = globe_sample((x - 34) / 30.0, (y - 34) / 30.0)
            if g:
                kind, light = g
                if kind == "grid":
                    c = dither(x, y, light, TEAL, CYAN)
                elif kind == "land":
                    c = dither(x, y, light, GREEN, LIME)
                else:
                    c = dither(x, y, light, NAVY, BLUE)
            elif arrow(x, y, 76, 10, 58, 8, True):
                c = RED if x < 76 else MAROON
            elif arrow(x, y, 96, 10, 58, 8, False):
                c = YELLOW if x < 96 else OLIVE
            else:
                # Packets on their way to the folder.
                for k in range(4):
                    px = 114 + k * 9
                    if px <= x < px + 5 and 31 <= y < 36:
                        c = BLUE if (x + y) % 2 == 0 else NAVY
                # The folder: a tab and a body with a darker outline.
                if 150 <= x <= 171 and 22 <= y <= 48:
                    inside = 151 <= x <= 170 and 23 <= y <= 47
                    if y < 26 and x > 160:
                        pass
                    else:
                        c = YELLOW if inside else OLIVE
                        if inside and y == 28:
                            c = OLIVE
            row.append(c)
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------------------------
# The about picture: 256 colours in ramps (night-sky blues, sea blues, land greens, grid cyans,
# arrow oranges and reds, greys), so every shade is one palette entry and rows compress well.

RAMPS = [
    ("sky", 64, (4, 8, 40), (70, 110, 190)),
    ("sea", 48, (0, 20, 80), (60, 140, 255)),
    ("land", 48, (10, 50, 10), (120, 230, 90)),
    ("grid", 32, (20, 70, 90), (200, 255, 255)),
    ("up", 24, (120, 30, 0), (255, 170, 60)),
    ("down", 24, (110, 90, 0), (255, 235, 90)),
    ("grey", 16, (0, 0, 0), (255, 255, 255)),
]


def about_palette():
    palette, base = [], {}
    for name, count, lo, hi in RAMPS:
        base[name] = (len(palette), count)
        for i in range(count):
            t = i / (count - 1)
            palette.append(tuple(int(round(lo[k] + (hi[k] - lo[k]) * t)) for k in range(3)))
    assert len(palette) == 256
    return palette, base


def about_pixels(base):
    w, h = 159, 172

    def shade(name, t):
        first, count = base[name]
        return first + max(0, min(count - 1, int(t * (count - 1) + 0.5)))

    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            c = shade("sky", 1.0 - y / (h - 1))
            # A few stars in the upper sky.
            if y < 40 and (x * 37 + y * 91) % 211 == 0:
                c = shade("grey", 1.0)
            g = globe_sample((x - 79.5) / 62.0, (y - 72) / 62.0)
            if g:
                kind, light = g
                c = shade(kind, light)
            elif arrow(x, y, 55, 138, 168, 11, True):
                c = shade("up", 0.9 - 0.5 * (y - 138) / 30)
            elif arrow(x, y, 104, 138, 168, 11, False):
                c = shade("down", 0.4 + 0.5 * (y - 138) / 30)
            row.append(c)
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------------------------
# The icon: the globe with the down arrow in front of it, drawn with 4x4 supersampling.

def icon_rows(size):
    rows = []
    n = 4
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    u = (x + (sx + 0.5) / n) / size
                    v = (y + (sy + 0.5) / n) / size
                    col = None
                    if arrow(u, v, 0.74, 0.38, 0.97, 0.17, False):
                        inner = arrow(u, v, 0.74, 0.42, 0.93, 0.12, False)
                        col = (255, 200, 40) if inner else (150, 90, 0)
                    else:
                        g = globe_sample((u - 0.42) / 0.4, (v - 0.44) / 0.4)
                        if g:
                            kind, light = g
                            base = {"sea": (30, 90, 220), "land": (50, 170, 60), "grid": (190, 240, 255)}[kind]
                            col = tuple(min(255, int(c * (0.35 + 0.8 * light))) for c in base)
                    if col:
                        acc[0] += col[0]
                        acc[1] += col[1]
                        acc[2] += col[2]
                        acc[3] += 1
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                k = acc[3]
                row.append((int(acc[0] / k), int(acc[1] / k), int(acc[2] / k), int(round(255 * k / (n * n)))))
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------------------------
# The splitter cursors: black double arrows with a white outline on 32x32 monochrome cursors.

def cursor_file(shape, hot):
    """A monochrome 32x32 cursor: `shape` is the set of black pixels (x, y); its outline is white."""
    outline = set()
    for (x, y) in shape:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                p = (x + dx, y + dy)
                if p not in shape and 0 <= p[0] < 32 and 0 <= p[1] < 32:
                    outline.add(p)
    xor, mask = bytearray(), bytearray()
    for y in reversed(range(32)):
        xline, mline = bytearray(4), bytearray(4)
        for x in range(32):
            bit = 0x80 >> (x % 8)
            if (x, y) in outline:
                xline[x // 8] |= bit          # white
            elif (x, y) not in shape:
                mline[x // 8] |= bit          # transparent
        xor += xline
        mask += mline
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 0)
    blob = info + struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0) + bytes(xor) + bytes(mask)
    entry = struct.pack("<BBBBHHII", 32, 32, 2, 0, hot[0], hot[1], len(blob), 6 + 16)
    return struct.pack("<HHH", 0, 2, 1) + entry + blob


def double_arrow(horizontal):
    """Two bars across the middle with an arrow head on each side (left/right or up/down)."""
    shape = set()
    for a in range(15, 18):                       # the two bars
        for b in range(8, 24):
            if a != 16:
                shape.add((a, b))
    for a in list(range(4, 14)) + list(range(19, 29)):  # the shafts
        shape.add((a, 16))
    for k in range(5):                             # the heads
        for b in range(16 - k, 17 + k):
            shape.add((4 + k, b))
            shape.add((28 - k, b))
    return shape if horizontal else {(y, x) for (x, y) in shape}


def main():
    out_dir = sys.argv[1]
    with open(out_dir + "/corv.bmp", "wb") as f:
        f.write(bmp_file(176, 70, 4, SPLASH_PALETTE, pack_4bpp(splash_pixels()), 0))
    palette, base = about_palette()
    with open(out_dir + "/mvbmp.bmp", "wb") as f:
        f.write(bmp_file(159, 172, 8, palette, rle8(about_pixels(base)), 1))
    with open(out_dir + "/mirvan.ico", "wb") as f:
        f.write(ico_file([(s, icon_rows(s)) for s in (16, 32, 48)]))
    with open(out_dir + "/splith.cur", "wb") as f:
        f.write(cursor_file(double_arrow(True), (16, 16)))
    with open(out_dir + "/splitv.cur", "wb") as f:
        f.write(cursor_file(double_arrow(False), (16, 16)))


if __name__ == "__main__":
    main()
