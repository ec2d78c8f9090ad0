#!/usr/bin/env python3
"""Draws the viewer's and the uninstaller's icons, bitmaps and cursor into the folder given as
the argument. Standard library only: the BMP, ICO and CUR files are written with struct."""
import math
import os
import struct
import sys

MAGENTA = (255, 0, 255)
CAPTION_BLUE = (63, 121, 221)
DEEP_BLUE = (22, 48, 112)
NAVY = (12, 26, 64)
GOLD = (232, 180, 40)
DARK_GOLD = (160, 112, 16)
PALE_GOLD = (255, 224, 120)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
SILVER = (200, 208, 224)
GREY = (128, 128, 128)
DARK_GREY = (64, 64, 64)
LIGHT_BLUE = (150, 190, 245)
RED = (208, 32, 32)
DARK_RED = (128, 0, 0)

# The 16 colours every icon is drawn in; index 0 also fills the transparent (masked) pixels.
ICON_PALETTE = [BLACK, NAVY, DEEP_BLUE, CAPTION_BLUE, LIGHT_BLUE, SILVER, WHITE, GREY,
                DARK_GREY, GOLD, DARK_GOLD, PALE_GOLD, RED, DARK_RED, (96, 160, 96), (240, 240, 255)]

# A 5-row-high proportional pixel font: each glyph is a list of row strings, '#' is ink.
FONT = {
    'a': ["....", "###.", "...#", ".###", "#..#", "#..#", ".###"],
    'c': ["....", "....", ".###", "#...", "#...", "#...", ".###"],
    'd': ["...#", "...#", ".###", "#..#", "#..#", "#..#", ".###"],
    'e': ["....", "....", ".##.", "#..#", "####", "#...", ".###"],
    'f': ["..##", ".#..", "####", ".#..", ".#..", ".#..", ".#.."],
    'i': ["#", ".", "#", "#", "#", "#", "#"],
    'l': ["#.", "#.", "#.", "#.", "#.", "#.", ".#"],
    'n': ["....", "....", "###.", "#..#", "#..#", "#..#", "#..#"],
    'o': ["....", "....", ".##.", "#..#", "#..#", "#..#", ".##."],
    'r': ["...", "...", "#.#", "##.", "#..", "#..", "#.."],
    's': ["....", "....", ".###", "#...", ".##.", "...#", "###."],
    't': [".#..", ".#..", "####", ".#..", ".#..", ".#..", "..##"],
    'v': ["....", "....", "#..#", "#..#", "#..#", ".##.", ".##."],
    'w': [".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."],
    'O': [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'H': ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'S': [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    'V': ["#...#", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."],
    '4': ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    '0': [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    '.': [".", ".", ".", ".", ".", ".", "#"],
    ' ': ["..", "..", "..", "..", "..", "..", ".."],
}


class Canvas:
    def __init__(self, w, h, fill):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def rect(self, x0, y0, x1, y1, c):
        """Fills the pixels x0..x1-1, y0..y1-1."""
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = c

    def frame(self, x0, y0, x1, y1, c):
        self.rect(x0, y0, x1, y0 + 1, c)
        self.rect(x0, y1 - 1, x1, y1, c)
        self.rect(x0, y0, x0 + 1, y1, c)
        self.rect(x1 - 1, y0, x1, y1, c)

    def disc(self, cx, cy, r, c, r_inner=-1.0):
        """Fills the ring of pixel centres between r_inner and r from (cx, cy)."""
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if r_inner < d <= r:
                    self.set(x, y, c)

    def sector(self, cx, cy, r_inner, r, a0, a1, c):
        """Fills the part of a ring between the angles a0 and a1 (radians, clockwise on screen)."""
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                d = math.hypot(dx, dy)
                if not (r_inner < d <= r):
                    continue
                a = math.atan2(dy, dx) % (2 * math.pi)
                lo, hi = a0 % (2 * math.pi), a1 % (2 * math.pi)
                if (lo <= a <= hi) if lo <= hi else (a >= lo or a <= hi):
                    self.set(x, y, c)

    def polygon(self, pts, c):
        """Fills every pixel whose centre lies inside the polygon (even-odd rule)."""
        ys = [p[1] for p in pts]
        for y in range(max(0, int(min(ys))), min(self.h, int(max(ys)) + 1)):
            yc = y + 0.5
            xs = []
            for i in range(len(pts)):
                (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % len(pts)]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                for x in range(max(0, math.ceil(xs[i] - 0.5)), min(self.w, math.ceil(xs[i + 1] - 0.5))):
                    self.px[y][x] = c

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def blit(self, other, ox, oy, key=None):
        for y in range(other.h):
            for x in range(other.w):
                c = other.px[y][x]
                if c != key:
                    self.set(ox + x, oy + y, c)


def text_width(text, scale=1):
    return sum((len(FONT[ch][0]) + 1) * scale for ch in text) - scale


def draw_text(cv, x, y, text, c, scale=1, shadow=None):
    for ch in text:
        glyph = FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, cell in enumerate(row):
                if cell == '#':
                    if shadow is not None:
                        cv.rect(x + gx * scale + max(1, scale // 3), y + gy * scale + max(1, scale // 3),
                                x + (gx + 1) * scale + max(1, scale // 3), y + (gy + 1) * scale + max(1, scale // 3),
                                shadow)
                    cv.rect(x + gx * scale, y + gy * scale, x + (gx + 1) * scale, y + (gy + 1) * scale, c)
        x += (len(glyph[0]) + 1) * scale


# ---- pictures shared by icons, captions and the animation ----

def draw_cd(cv, cx, cy, r, turn=0.0):
    """A silver disc with a blue label ring, a centre hole and a highlight wedge at angle turn."""
    cv.disc(cx, cy, r, DARK_GREY)
    cv.disc(cx, cy, r - max(1, r / 12), SILVER)
    cv.sector(cx, cy, r * 0.40, r - max(1, r / 12) - 0.5, turn, turn + 0.7, WHITE)
    cv.sector(cx, cy, r * 0.40, r - max(1, r / 12) - 0.5, turn + math.pi, turn + math.pi + 0.7, LIGHT_BLUE)
    cv.disc(cx, cy, r * 0.40, CAPTION_BLUE)
    cv.disc(cx, cy, r * 0.40, DEEP_BLUE, r * 0.40 - max(1, r / 14))
    cv.disc(cx, cy, r * 0.16, DARK_GREY)
    cv.disc(cx, cy, r * 0.16 - max(0.8, r / 20), MAGENTA_HOLE)


MAGENTA_HOLE = (1, 2, 3)  # placeholder colour for the disc's hole, replaced by the caller


def draw_shield(cv, cx, top, w, h, face, edge, mark):
    half = w / 2
    pts = [(cx - half, top), (cx + half, top), (cx + half, top + h * 0.45),
           (cx, top + h), (cx - half, top + h * 0.45)]
    cv.polygon(pts, edge)
    b = max(1, w / 10)
    inner = [(cx - half + b, top + b), (cx + half - b, top + b), (cx + half - b, top + h * 0.45 - b * 0.3),
             (cx, top + h - b * 1.6), (cx - half + b, top + h * 0.45 - b * 0.3)]
    cv.polygon(inner, face)
    # a keyhole in the middle of the shield
    kr = w * 0.12
    cv.disc(cx, top + h * 0.38, kr, mark)
    cv.polygon([(cx - kr * 0.6, top + h * 0.38), (cx + kr * 0.6, top + h * 0.38),
                (cx + kr * 0.9, top + h * 0.68), (cx - kr * 0.9, top + h * 0.68)], mark)


def draw_folder(cv, x, y, w, h, open_=False):
    """A gold folder in the box (x, y, w, h)."""
    tab_w, tab_h = max(3, w * 0.4), max(2, h // 6)
    body_top = y + tab_h
    cv.polygon([(x, y + 1), (x + 1, y), (x + tab_w - 1, y), (x + tab_w + 1, body_top),
                (x + w, body_top), (x + w, y + h), (x, y + h)], DARK_GOLD)
    cv.rect(int(x + 1), int(body_top + 1), int(x + w - 1), int(y + h - 1), GOLD)
    cv.rect(int(x + 1), int(y + 1), int(x + tab_w - 1), int(body_top + 1), GOLD)
    if open_:
        # the front flap tips forward, showing a page inside
        cv.rect(int(x + w * 0.2), int(body_top - h * 0.15), int(x + w * 0.85), int(y + h - 2), WHITE)
        cv.frame(int(x + w * 0.2), int(body_top - h * 0.15), int(x + w * 0.85), int(y + h - 2), GREY)
        fy = body_top + h * 0.30
        cv.polygon([(x + w * 0.2, fy), (x + w + w * 0.12, fy), (x + w * 0.88, y + h), (x, y + h)], DARK_GOLD)
        cv.polygon([(x + w * 0.2 + 1.2, fy + 1), (x + w + w * 0.12 - 1.8, fy + 1),
                    (x + w * 0.88 - 1, y + h - 1), (x + 1, y + h - 1)], PALE_GOLD)
    else:
        cv.rect(int(x + 1), int(body_top + 1), int(x + w - 1), int(body_top + 2), PALE_GOLD)


def draw_page(cv, x, y, w, h, line=CAPTION_BLUE):
    """A white page with a folded top-right corner in the box (x, y, w, h)."""
    fold = max(2, w // 3)
    cv.polygon([(x, y), (x + w - fold, y), (x + w, y + fold), (x + w, y + h), (x, y + h)], DARK_GREY)
    cv.polygon([(x + 1, y + 1), (x + w - fold, y + 1), (x + w - 1, y + fold), (x + w - 1, y + h - 1),
                (x + 1, y + h - 1)], WHITE)
    cv.polygon([(x + w - fold, y), (x + w - fold, y + fold), (x + w, y + fold)], SILVER)
    cv.line(x + w - fold, y, x + w - fold, y + fold, DARK_GREY)
    cv.line(x + w - fold, y + fold, x + w - 1, y + fold, DARK_GREY)
    step = 2 if h < 20 else 3
    for ly in range(y + fold + step, y + h - 2, step):
        cv.line(x + 2 + (1 if w > 12 else 0), ly, x + w - 3 - (1 if w > 12 else 0), ly, line)


# ---- file writers ----

def rows_bottom_up(cv):
    return reversed(cv.px)


def write_bmp24(path, cv):
    stride = (cv.w * 3 + 3) & ~3
    data = bytearray()
    for row in rows_bottom_up(cv):
        line = bytearray()
        for (r, g, b) in row:
            line += bytes((b, g, r))
        line += b'\0' * (stride - len(line))
        data += line
    header = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 14 + 40))
        f.write(header)
        f.write(data)


def write_bmp8(path, cv):
    colours = sorted({c for row in cv.px for c in row})
    if len(colours) > 256:
        raise SystemExit('%s: %d colours, more than 256' % (path, len(colours)))
    index = {c: i for i, c in enumerate(colours)}
    stride = (cv.w + 3) & ~3
    data = bytearray()
    for row in rows_bottom_up(cv):
        line = bytearray(index[c] for c in row)
        line += b'\0' * (stride - len(line))
        data += line
    palette = b''.join(bytes((b, g, r, 0)) for (r, g, b) in colours) + b'\0' * 4 * (256 - len(colours))
    offset = 14 + 40 + len(palette)
    header = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h, 1, 8, 0, len(data), 2835, 2835, 256, 0)
    with open(path, 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset))
        f.write(header)
        f.write(palette)
        f.write(data)


def nearest(c, palette):
    return min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(c, palette[i])))


def mask_rows(w, h, opaque):
    """A 1-bpp AND mask, bottom-up, rows padded to 32 bits: set bits are transparent."""
    stride = ((w + 31) // 32) * 4
    data = bytearray()
    for y in reversed(range(h)):
        line = bytearray(stride)
        for x in range(w):
            if not opaque(x, y):
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    return data


def icon_image(cv, key):
    """One 16-colour icon image: header, palette, 4-bpp colour bits, AND mask."""
    cache = {}
    stride = ((cv.w * 4 + 31) // 32) * 4
    bits = bytearray()
    for row in rows_bottom_up(cv):
        line = bytearray(stride)
        for x, c in enumerate(row):
            i = 0 if c == key else cache.setdefault(c, nearest(c, ICON_PALETTE))
            line[x // 2] |= i << (4 if x % 2 == 0 else 0)
        bits += line
    mask = mask_rows(cv.w, cv.h, lambda x, y: cv.px[y][x] != key)
    palette = b''.join(bytes((b, g, r, 0)) for (r, g, b) in ICON_PALETTE)
    header = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h * 2, 1, 4, 0, len(bits) + len(mask), 0, 0, 16, 0)
    return header + palette + bits + mask


def write_ico(path, canvases, key):
    images = [icon_image(cv, key) for cv in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for cv, img in zip(canvases, images):
        out += struct.pack('<BBBBHHII', cv.w, cv.h, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


def write_cur(path, cv, hot_x, hot_y):
    """A monochrome cursor: BLACK and WHITE pixels are drawn, anything else is transparent."""
    stride = 4
    xor = bytearray()
    for y in reversed(range(cv.h)):
        line = bytearray(stride)
        for x in range(cv.w):
            if cv.px[y][x] == WHITE:
                line[x // 8] |= 0x80 >> (x % 8)
        xor += line
    mask = mask_rows(cv.w, cv.h, lambda x, y: cv.px[y][x] in (BLACK, WHITE))
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    header = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    img = header + palette + xor + mask
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 2, 1))
        f.write(struct.pack('<BBBBHHII', cv.w, cv.h, 0, 0, hot_x, hot_y, len(img), 22))
        f.write(img)


# ---- the pictures ----

KEY = (254, 1, 253)  # transparent colour of icon canvases, never used as ink


def fill_hole(cv, colour):
    for row in cv.px:
        for x, c in enumerate(row):
            if c == MAGENTA_HOLE:
                row[x] = colour


def icon_app(size):
    cv = Canvas(size, size, KEY)
    s = size / 32
    draw_cd(cv, 13 * s, 13 * s, 12.5 * s)
    fill_hole(cv, KEY)
    draw_shield(cv, 22 * s, 13 * s, 17 * s, 18.5 * s, GOLD, DARK_GOLD, NAVY)
    return cv


def icon_root(size):
    cv = Canvas(size, size, KEY)
    s = size / 32
    draw_cd(cv, 16 * s, 16 * s, 15.5 * s)
    fill_hole(cv, KEY)
    return cv


def icon_folder(size, open_):
    cv = Canvas(size, size, KEY)
    if size == 32:
        draw_folder(cv, 2, 6, 25 if open_ else 27, 22, open_)
    else:
        draw_folder(cv, 1, 2, 12 if open_ else 13, 12, open_)
    return cv


def icon_file(size):
    cv = Canvas(size, size, KEY)
    if size == 32:
        draw_page(cv, 6, 2, 20, 28)
    else:
        draw_page(cv, 3, 1, 10, 14)
    return cv


def icon_uninstall(size):
    """The product icon with a red cross over its lower right corner."""
    cv = icon_app(size)
    n = 11 if size == 32 else 6
    ox = oy = size - n - 2
    for d in range(-1, 2) if size == 32 else range(0, 2):
        cv.line(ox + d, oy, ox + n + d, oy + n, RED)
        cv.line(ox + n + d, oy, ox + d, oy + n, RED)
    return cv


def splitter_cursor():
    cv = Canvas(32, 32, KEY)
    # two vertical bars with arrows pointing left and right, outlined in black
    shape = Canvas(32, 32, KEY)
    shape.rect(14, 6, 16, 26, WHITE)
    shape.rect(17, 6, 19, 26, WHITE)
    shape.polygon([(5, 16), (10, 11), (10, 14.5), (14, 14.5), (14, 17.5), (10, 17.5), (10, 21)], WHITE)
    shape.polygon([(28, 16), (23, 11), (23, 14.5), (19, 14.5), (19, 17.5), (23, 17.5), (23, 21)], WHITE)
    for y in range(32):
        for x in range(32):
            if shape.px[y][x] == WHITE:
                for dy in (-1, 0, 1):
                    for dx in (-1, 0, 1):
                        cv.set(x + dx, y + dy, BLACK)
    for y in range(32):
        for x in range(32):
            if shape.px[y][x] == WHITE:
                cv.px[y][x] = WHITE
    return cv


def caption(width, word, picture):
    """A caption piece: blue field with a rounded left end, a small picture and a word."""
    cv = Canvas(width, 19, CAPTION_BLUE)
    round_corners(cv, left=True)
    picture(cv)
    draw_text(cv, 21, 6, word, WHITE, shadow=DEEP_BLUE)
    return cv


def round_corners(cv, left):
    r = 4.0
    for y in range(cv.h):
        for x in range(int(r)):
            dy = max(0.0, r - (y + 0.5)) if y < r else max(0.0, (y + 0.5) - (cv.h - r))
            dx = r - (x + 0.5)
            if math.hypot(dx, dy) > r:
                cv.set(x if left else cv.w - 1 - x, y, MAGENTA)


def caption_files():
    return caption(53, 'files', lambda cv: draw_page(cv, 6, 2, 11, 15))


def caption_folders():
    return caption(78, 'folders', lambda cv: draw_folder(cv, 3, 4, 15, 11))


def caption_end():
    cv = Canvas(4, 19, CAPTION_BLUE)
    round_corners(cv, left=False)
    return cv


def about_picture():
    w, h = 411, 272
    cv = Canvas(w, h, NAVY)
    for y in range(h):
        t = y / (h - 1)
        c = tuple(int(a + (b - a) * t) for a, b in zip((34, 74, 160), (8, 18, 52)))
        cv.rect(0, y, w, y + 1, c)
    # faint rings behind the disc
    for r in range(150, 60, -18):
        cv.disc(120, 130, r, (30, 62, 138), r - 1)
    draw_cd(cv, 120, 130, 92, turn=-0.9)
    fill_hole(cv, (20, 44, 104))
    draw_shield(cv, 182, 110, 88, 104, GOLD, DARK_GOLD, NAVY)
    draw_text(cv, 226, 40, 'Orvanta', PALE_GOLD, scale=5, shadow=NAVY)
    draw_text(cv, 256, 96, 'Viewer 4.0', WHITE, scale=2, shadow=NAVY)
    cv.rect(226, 124, 396, 126, GOLD)
    draw_text(cv, 290, 238, 'Halvercot Software', SILVER, scale=1)
    return cv


def animation_frame(i):
    """Frame i of 7: a page flies from a turning disc on the left into an open folder on the right."""
    cv = Canvas(200, 75, MAGENTA)
    draw_cd(cv, 36, 40, 28, turn=i * 2 * math.pi / 7)
    fill_hole(cv, MAGENTA)
    draw_folder(cv, 140, 22, 48, 40, open_=True)
    for k in range(2):
        t = ((i + k * 3.5) % 7) / 7.0
        x = 40 + t * 115
        y = 30 - math.sin(t * math.pi) * 26
        if t > 0.05:
            draw_page(cv, int(x), int(y), 14, 18)
    return cv


def main():
    if len(sys.argv) != 2:
        raise SystemExit('usage: make_art.py OUTPUT_FOLDER')
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    p = lambda name: os.path.join(out, name)
    write_ico(p('app.ico'), [icon_app(32), icon_app(16)], KEY)
    write_ico(p('root.ico'), [icon_root(32), icon_root(16)], KEY)
    write_ico(p('folder.ico'), [icon_folder(32, False), icon_folder(16, False)], KEY)
    write_ico(p('folderopen.ico'), [icon_folder(32, True), icon_folder(16, True)], KEY)
    write_ico(p('file.ico'), [icon_file(32), icon_file(16)], KEY)
    write_ico(p('uninstall.ico'), [icon_uninstall(32), icon_uninstall(16)], KEY)
    write_cur(p('splitter.cur'), splitter_cursor(), 16, 16)
    write_bmp24(p('about.bmp'), about_picture())
    write_bmp24(p('capfiles.bmp'), caption_files())
    write_bmp24(p('capfolders.bmp'), caption_folders())
    write_bmp24(p('capend.bmp'), caption_end())
    for i in range(7):
        write_bmp8(p('anim%d.bmp' % (i + 1)), animation_frame(i))


if __name__ == '__main__':
    main()
