#!/usr/bin/env python3
"""Draws the program's pictures: the logo bitmap, the two icons and the pointing-hand cursor.

Standard library only and deterministic: running it again writes the same bytes, so the
committed pictures can always be checked against it (`pictures.py --check`).

    logo.bmp    100 x 100, 8 bits per pixel, 256-colour palette, black background: the window
                shape is cut from the black pixels, so nothing drawn may be pure black.
    main.ico    32 x 32, 24 x 24 and 16 x 16, 16 colours: the window class icon.
    tray.ico    32 x 32, 24 x 24 and 16 x 16, two colours: the notification-area icon. The
                32 x 32 picture is the 16 x 16 one with every pixel doubled; the small ones
                are drawn for their size, since the shell shows the icon at 16 x 16 at 96 DPI
                and at 20 or 24 above.
    finger.cur  32 x 32, 16 colours, hot spot (13, 9) at the tip of the pointing finger.
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------------------------------------
# A 5 x 7 pixel font, just the glyphs the pictures use.

FONT = {
    "#": [".#.#.", ".#.#.", "#####", ".#.#.", "#####", ".#.#.", ".#.#."],
    "@": [".###.", "#...#", "#.###", "#.#.#", "#.###", "#....", ".###."],
    "$": ["..#..", ".####", "#.#..", ".###.", "..#.#", "####.", "..#.."],
    "%": ["##...", "##..#", "...#.", "..#..", ".#...", "#..##", "...##"],
    "!": [".##..", ".##..", ".##..", ".##..", ".##..", ".....", ".##.."],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."],
}


def text_cells(text, left, top, scale_x, scale_y, gap, bold=0):
    """The set of lit pixels of `text` set at (left, top), each font cell scale_x by scale_y;
    `bold` widens every stroke by that many pixels to the right."""
    cells = set()
    x = left
    for ch in text:
        for row, line in enumerate(FONT[ch]):
            for col, mark in enumerate(line):
                if mark == "#":
                    for dy in range(scale_y):
                        for dx in range(scale_x + bold):
                            cells.add((x + col * scale_x + dx, top + row * scale_y + dy))
        x += 5 * scale_x + bold + gap
    return cells


def text_width(text, scale_x, gap, bold=0):
    return len(text) * (5 * scale_x + bold) + (len(text) - 1) * gap


# ---------------------------------------------------------------------------------------------
# Shapes as signed distances (negative inside), so outlines are just a band of the distance.


def ellipse_distance(px, py, cx, cy, rx, ry):
    k = math.hypot((px - cx) / rx, (py - cy) / ry)
    return (k - 1.0) * min(rx, ry)


def segment_distance(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
    return math.hypot(px - (ax + t * vx), py - (ay + t * vy))


def triangle_distance(px, py, points):
    edges = [(points[i], points[(i + 1) % 3]) for i in range(3)]
    distance = min(segment_distance(px, py, a[0], a[1], b[0], b[1]) for a, b in edges)
    signs = [(b[0] - a[0]) * (py - a[1]) - (b[1] - a[1]) * (px - a[0]) for a, b in edges]
    inside = all(s >= 0 for s in signs) or all(s <= 0 for s in signs)
    return -distance if inside else distance


def rounded_box_distance(px, py, left, top, right, bottom, radius):
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# ---------------------------------------------------------------------------------------------
# The logo: a speech bubble swearing in symbols, with the product's name on a ribbon below.

OUTLINE = (70, 28, 12)  # dark brown: dark, but never the black of the background
BUBBLE_TOP = (255, 246, 150)
BUBBLE_BOTTOM = (247, 150, 28)
GRAWLIX = (206, 24, 36)
GRAWLIX_SHADE = (120, 14, 20)
RIBBON_TOP = (70, 130, 235)
RIBBON_BOTTOM = (22, 58, 160)
RIBBON_EDGE = (12, 26, 84)
LETTERS = (255, 255, 255)

GRAWLIX_TEXT = "#@!"
GRAWLIX_SCALE = (4, 4)
NAME_TEXT = "VORKALUN"


def bubble_distance(px, py):
    body = ellipse_distance(px, py, 50.0, 37.0, 48.0, 34.0)
    tail = triangle_distance(px, py, [(22.0, 56.0), (40.0, 66.0), (6.0, 90.0)])
    return min(body, tail)


def ribbon_distance(px, py):
    return rounded_box_distance(px, py, 32.0, 74.0, 99.0, 97.0, 6.0)


def logo_layers():
    """Paint functions for one sample point, topmost first; None lets the next one paint."""
    grawlix_width = text_width(GRAWLIX_TEXT, GRAWLIX_SCALE[0], 4, bold=2)
    grawlix = text_cells(GRAWLIX_TEXT, 50 - grawlix_width // 2, 22, *GRAWLIX_SCALE, 4, bold=2)
    name_width = text_width(NAME_TEXT, 1, 1, bold=1)
    name = text_cells(NAME_TEXT, 66 - name_width // 2, 79, 1, 2, 1, bold=1)

    def letters(px, py):
        return LETTERS if (int(px), int(py)) in name else None

    def ribbon(px, py):
        d = ribbon_distance(px, py)
        if d > 0:
            return None
        if d > -1.6:
            return RIBBON_EDGE
        shine = 0.35 if py < 78.5 else 0.0
        return mix(mix(RIBBON_TOP, RIBBON_BOTTOM, (py - 75) / 21), (255, 255, 255), shine)

    def symbols(px, py):
        cell = (int(px), int(py))
        if cell in grawlix:
            return GRAWLIX
        # A drop shadow one pixel down and right makes the symbols stand off the bubble.
        if (cell[0] - 1, cell[1] - 1) in grawlix:
            return GRAWLIX_SHADE
        return None

    def bubble(px, py):
        d = bubble_distance(px, py)
        if d > 0:
            return None
        if d > -2.2:
            return OUTLINE
        fill = mix(BUBBLE_TOP, BUBBLE_BOTTOM, (py - 8) / 62)
        # A soft highlight towards the upper left, as if lit from there.
        glow = ellipse_distance(px, py, 34.0, 17.0, 22.0, 9.0)
        if glow < 0:
            fill = mix(fill, (255, 255, 235), min(1.0, -glow / 4) * 0.8)
        return fill

    return [letters, symbols, ribbon, bubble]


def render(size, layers, samples=4):
    """Each pixel averages samples x samples points; points no layer paints stay None."""
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            total, painted = [0.0, 0.0, 0.0], 0
            for sy in range(samples):
                for sx in range(samples):
                    px = x + (sx + 0.5) / samples
                    py = y + (sy + 0.5) / samples
                    for layer in layers:
                        colour = layer(px, py)
                        if colour is not None:
                            for i in range(3):
                                total[i] += colour[i]
                            painted += 1
                            break
            # Edge pixels take the colour of their painted part and are kept only when mostly
            # painted: blending them with the background would leave a dark fringe.
            if painted * 2 >= samples * samples:
                row.append(tuple(int(round(c / painted)) for c in total))
            else:
                row.append(None)
        pixels.append(row)
    return pixels


def quantise(pixels, limit):
    """Rounds colours coarser and coarser until at most `limit` distinct ones remain."""
    step = 1
    while True:
        palette = {}
        out = []
        for row in pixels:
            line = []
            for colour in row:
                if colour is None:
                    line.append(None)
                    continue
                c = tuple(min(255, (v + step // 2) // step * step) for v in colour)
                # Only the background may be pure black.
                if c == (0, 0, 0):
                    c = (step, step, step)
                palette.setdefault(c, len(palette))
                line.append(c)
            out.append(line)
        if len(palette) <= limit:
            return out, sorted(palette)
        step += 1


# ---------------------------------------------------------------------------------------------
# File writers.


def dib_rows(width, height, bits, values):
    """Bottom-up rows of a DIB, each padded to four bytes."""
    data = bytearray()
    stride = ((width * bits + 31) // 32) * 4
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            v = values[y][x]
            if bits == 8:
                row[x] = v
            elif bits == 4:
                row[x // 2] |= v << (4 if x % 2 == 0 else 0)
            elif bits == 1:
                row[x // 8] |= v << (7 - x % 8)
        data += row
    return bytes(data)


BI_RLE8 = 1


def info_header(width, height, bits, colours, image_size, compression=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, image_size, 0, 0,
                       colours, 0)


def rle8_rows(rows):
    """8-bit rows, bottom-up, run-length encoded (BI_RLE8): a run of one index as the pair
    (count, index); any stretch of three or more as an absolute block (0, count, the indices,
    padded to an even length); every row closed by (0, 0) and the picture by (0, 1). Each row
    is cut into runs and blocks the cheapest way. Every pixel is written, none skipped: skipped
    pixels are left undefined by the platform."""
    data = bytearray()
    for row in reversed(rows):
        width = len(row)
        # cost[x]: the fewest bytes that encode row[x:]; step[x]: the first piece, as (run, n)
        # for a run of n or (block, n) for an absolute block of n.
        cost = [0] * (width + 1)
        step = [None] * width
        for x in range(width - 1, -1, -1):
            n = 1
            while x + n <= width and n <= 255 and row[x + n - 1] == row[x]:
                if step[x] is None or 2 + cost[x + n] < cost[x]:
                    cost[x], step[x] = 2 + cost[x + n], ("run", n)
                n += 1
            for n in range(3, min(255, width - x) + 1):
                block = 2 + n + n % 2 + cost[x + n]
                if block < cost[x]:
                    cost[x], step[x] = block, ("block", n)
        x = 0
        while x < width:
            kind, n = step[x]
            if kind == "run":
                data += bytes([n, row[x]])
            else:
                data += bytes([0, n]) + bytes(row[x:x + n]) + b"\0" * (n % 2)
            x += n
        data += b"\0\0"
    return bytes(data + b"\0\1")


def unrle8_rows(data, width):
    """The inverse, kept to prove each encoding before it is written."""
    rows, row, i = [], [], 0
    while True:
        count, value = data[i], data[i + 1]
        i += 2
        if count:
            row += [value] * count
        elif value == 0:
            rows.append(row)
            row = []
        elif value == 1:
            return list(reversed(rows)) if not row and all(len(r) == width for r in rows) else None
        else:
            row += list(data[i:i + value])
            i += value + value % 2


def palette_bytes(palette, count):
    data = b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in palette)
    return data + b"\0\0\0\0" * (count - len(palette))


def write_bmp(path, pixels):
    size = len(pixels)
    opaque, palette = quantise(pixels, 255)
    palette = [(0, 0, 0)] + palette  # index 0: the background
    index = {c: i for i, c in enumerate(palette)}
    values = [[0 if c is None else index[c] for c in row] for row in opaque]
    # Compressed, the logo takes a third of the room it would take raw.
    bits = rle8_rows(values)
    if unrle8_rows(bits, size) != values:
        sys.exit("the logo's run-length encoding does not decode to the logo")
    header_size = 14 + 40 + 256 * 4
    data = struct.pack("<2sIHHI", b"BM", header_size + len(bits), 0, 0, header_size)
    data += info_header(size, size, 8, 256, len(bits), BI_RLE8)
    data += palette_bytes(palette, 256) + bits
    write(path, data)


def icon_image(pixels, palette, bits):
    """The DIB of one icon or cursor image: colour bits, then the transparency (AND) mask."""
    size = len(pixels)
    index = {c: i for i, c in enumerate(palette)}
    colour = dib_rows(size, size, bits, [[0 if c is None else index[c] for c in r] for r in pixels])
    mask = dib_rows(size, size, 1, [[1 if c is None else 0 for c in r] for r in pixels])
    header = info_header(size, 2 * size, bits, 0, len(colour) + len(mask))
    return header + palette_bytes(palette, 1 << bits) + colour + mask


def write_icon_file(path, pictures, palette, bits, hot_spot=None):
    """An icon file of one image per picture, in the order given; a cursor file of one."""
    images = [icon_image(pixels, palette, bits) for pixels in pictures]
    colours = 1 << bits
    offset = 6 + 16 * len(images)
    directory = b""
    for pixels, image in zip(pictures, images):
        size = len(pixels)
        if hot_spot is None:  # an icon: planes and bit count
            directory += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(image),
                                     offset)
        else:  # a cursor: the hot spot takes their place
            directory += struct.pack("<BBBBHHII", size, size, colours, 0, *hot_spot, len(image),
                                     offset)
        offset += len(image)
    kind = 1 if hot_spot is None else 2
    write(path, struct.pack("<HHH", 0, kind, len(images)) + directory + b"".join(images))


def nearest(palette, colour):
    return min(palette, key=lambda p: sum((p[i] - colour[i]) ** 2 for i in range(3)))


def to_palette(pixels, palette):
    return [[None if c is None else nearest(palette, c) for c in row] for row in pixels]


# ---------------------------------------------------------------------------------------------
# The window class icon: the logo's bubble in 16 colours.

ICON_PALETTE = [
    (0, 0, 0),
    OUTLINE,
    (160, 84, 36),
    (255, 250, 200),
    (255, 240, 140),
    (252, 220, 96),
    (250, 196, 64),
    (248, 170, 44),
    (244, 148, 28),
    GRAWLIX,
    GRAWLIX_SHADE,
    (255, 255, 255),
    (232, 120, 60),
    (200, 110, 50),
    (250, 214, 160),
    (255, 255, 235),
]


def main_icon(size):
    """The bubble drawn for `size` pixels: at 32 and 24 with "#!", at 16 with "!" alone,
    for which "#" has no room."""
    k = size / 32
    if size >= 24:
        scale = max(1, size // 16)
        width = text_width("#!", scale, scale)
        symbols = text_cells("#!", round(16 * k) - width // 2, round(5 * k), scale, scale, scale)
    else:
        symbols = text_cells("!", 5, 3, 1, 1, 0)

    def mark(px, py):
        cell = (int(px), int(py))
        if cell in symbols:
            return GRAWLIX
        if size >= 24 and (cell[0] - 1, cell[1] - 1) in symbols:
            return GRAWLIX_SHADE
        return None

    def bubble(px, py):
        body = ellipse_distance(px, py, 16.0 * k, 13.0 * k, 15.2 * k, 12.2 * k)
        tail = triangle_distance(px, py, [(6.0 * k, 19.0 * k), (13.0 * k, 24.0 * k),
                                          (1.0 * k, 31.0 * k)])
        d = min(body, tail)
        if d > 0:
            return None
        if d > -1.3 * max(k, 0.75):
            return OUTLINE
        fill = mix(BUBBLE_TOP, BUBBLE_BOTTOM, (py - 2 * k) / (22 * k))
        if ellipse_distance(px, py, 11.0 * k, 6.0 * k, 7.0 * k, 3.0 * k) < 0:
            fill = mix(fill, (255, 255, 235), 0.6)
        return fill

    return to_palette(render(size, [mark, bubble]), ICON_PALETTE)


# ---------------------------------------------------------------------------------------------
# The tray icon, black and white: a bubble of exclamation marks, drawn at 16 and 24 pixels;
# the 32-pixel picture is the 16-pixel drawing doubled.

TRAY_16 = [
    "...##########...",
    "..#..........#..",
    ".#............#.",
    ".#.##..##..##.#.",
    ".#.##..##..##.#.",
    ".#.##..##..##.#.",
    ".#.##..##..##.#.",
    ".#.##..##..##.#.",
    ".#............#.",
    ".#.##..##..##.#.",
    ".#.##..##..##.#.",
    "..#..........#..",
    "...#..#######...",
    "...#.#..........",
    "..#.#...........",
    "..##............",
]

TRAY_24 = [
    "....###############.....",
    "...#...............#....",
    "..#.................#...",
    ".#...................#..",
    ".#..###...###...###..#..",
    ".#..###...###...###..#..",
    ".#..###...###...###..#..",
    ".#..###...###...###..#..",
    ".#..###...###...###..#..",
    ".#..###...###...###..#..",
    ".#..###...###...###..#..",
    ".#...................#..",
    ".#..###...###...###..#..",
    ".#..###...###...###..#..",
    ".#..###...###...###..#..",
    ".#...................#..",
    "..#.................#...",
    "...#...............#....",
    "...#..#############.....",
    "...#.#..................",
    "..#.#...................",
    "..#.#...................",
    ".#.#....................",
    ".##.....................",
]


def tray_picture(drawing):
    """'#': black; '.' inside the outline: white; '.' outside: transparent, found by a flood
    from the border."""
    size = len(drawing)
    outside = set()
    todo = [(i, 0) for i in range(size)] + [(i, size - 1) for i in range(size)]
    todo += [(0, i) for i in range(size)] + [(size - 1, i) for i in range(size)]
    while todo:
        x, y = todo.pop()
        if not (0 <= x < size and 0 <= y < size) or (x, y) in outside:
            continue
        if drawing[y][x] == "#":
            continue
        outside.add((x, y))
        todo += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]
    return [
        [
            (0, 0, 0) if drawing[y][x] == "#" else None if (x, y) in outside else (255, 255, 255)
            for x in range(size)
        ]
        for y in range(size)
    ]


def tray_icon():
    small = tray_picture(TRAY_16)
    doubled = [[small[y // 2][x // 2] for x in range(32)] for y in range(32)]
    return [doubled, tray_picture(TRAY_24), small]


# ---------------------------------------------------------------------------------------------
# The cursor: a pointing hand; the top of the index finger is the hot spot (13, 9).

FINGER = [
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "............kkk.................",
    "...........kwwwk................",
    "...........kwwsk................",
    "...........kwwsk................",
    "...........kwwsk................",
    "...........kwwskkk..............",
    "...........kwwskwwkkk...........",
    "...........kwwskwskwwkk.........",
    "........kk.kwwskwskwskwk........",
    ".......kwwkkwwswwswwswwk........",
    ".......kwwskwwwwwwwwwwwk........",
    "........kwskwwwwwwwwwwsk........",
    "........kwwkwwwwwwwwwwsk........",
    ".........kwwwwwwwwwwwssk........",
    ".........kwwwwwwwwwwwssk........",
    "..........kwwwwwwwwwssk.........",
    "..........kwwwwwwwwwssk.........",
    "...........kwwwwwwwssk..........",
    "...........kbbbbbbbbbk..........",
    "...........kbBBBBBBBbk..........",
    "...........kkkkkkkkkkk..........",
    "................................",
    "................................",
]

CURSOR_COLOURS = {
    "k": (0, 0, 0),
    "w": (255, 255, 255),
    "s": (176, 184, 204),
    "b": (70, 130, 235),
    "B": (22, 58, 160),
}


def cursor():
    palette = list(CURSOR_COLOURS.values())
    pixels = [[CURSOR_COLOURS.get(ch) for ch in row] for row in FINGER]
    return pixels, palette


# ---------------------------------------------------------------------------------------------


def write(path, data):
    if CHECK:
        with open(path, "rb") as f:
            if f.read() != data:
                sys.exit(f"{os.path.basename(path)} differs from what {__file__} draws")
    else:
        with open(path, "wb") as f:
            f.write(data)


def main():
    write_bmp(os.path.join(HERE, "logo.bmp"), render(100, logo_layers()))
    # The 32 x 32 images come first, for readers that take the first image of a file.
    write_icon_file(os.path.join(HERE, "main.ico"), [main_icon(32), main_icon(24), main_icon(16)],
                    ICON_PALETTE, 4)
    write_icon_file(os.path.join(HERE, "tray.ico"), tray_icon(), [(0, 0, 0), (255, 255, 255)], 1)
    hand, hand_palette = cursor()
    write_icon_file(os.path.join(HERE, "finger.cur"), [hand], hand_palette, 4, hot_spot=(13, 9))


CHECK = "--check" in sys.argv

if __name__ == "__main__":
    main()
