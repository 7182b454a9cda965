#!/usr/bin/env python3
"""Draw Kelvane's pictures and write them beside this script.

Writes Kelvane.ico (32x32 + 16x16, 8 bpp, with AND mask), toolbuttons.bmp
(112x16, 24 bpp), toolbuttons_mask.bmp (112x16, 1 bpp, white = transparent)
and name.bmp (118x19, 4 bpp, VGA palette). Standard library only; the output
is the same bytes on every run.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------- canvas

class Canvas:
    """A grid of RGB tuples; None is a transparent pixel.

    Coordinates of shapes are continuous: pixel (x, y) covers the square
    [x, x+1] x [y, y+1], and a pixel belongs to a shape when its centre does.
    ox, oy shift every drawing call (used to draw one tool button at a time).
    """

    def __init__(self, w, h, bg=None):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]
        self.ox = self.oy = 0

    def put(self, x, y, c):
        x, y = x + self.ox, y + self.oy
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def fill(self, pixels, c):
        for x, y in pixels:
            self.put(x, y, c)

    def rect(self, x0, y0, x1, y1, c):          # inclusive pixel bounds
        self.fill(rect_px(x0, y0, x1, y1), c)

    def sprite(self, x, y, rows, legend):       # pixel strings; '.' = skip
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch != '.':
                    self.put(x + i, y + j, legend[ch])

    def shape(self, pixels, c, edge=None):      # fill, then outline in edge
        self.fill(pixels, c)
        if edge is not None:
            self.fill(border(pixels), edge)


def rect_px(x0, y0, x1, y1):
    return {(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)}


def poly(pts):
    """Pixels whose centres lie inside the polygon (even-odd scanline fill)."""
    out = set()
    ys = [p[1] for p in pts]
    for y in range(math.floor(min(ys)), math.ceil(max(ys)) + 1):
        yc = y + 0.5
        xs = []
        for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]):
            if (y0 <= yc) != (y1 <= yc):
                xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
        xs.sort()
        for a, b in zip(xs[0::2], xs[1::2]):
            for x in range(math.ceil(a - 0.5), math.floor(b - 0.5) + 1):
                out.add((x, y))
    return out


def stroke(p0, p1, w):
    """A straight bar of width w from p0 to p1 (a thick line)."""
    (x0, y0), (x1, y1) = p0, p1
    d = math.hypot(x1 - x0, y1 - y0)
    nx, ny = -(y1 - y0) / d * w / 2, (x1 - x0) / d * w / 2
    return poly([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                 (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])


def disc(cx, cy, r):
    return {(x, y) for y in range(math.floor(cy - r), math.ceil(cy + r) + 1)
            for x in range(math.floor(cx - r), math.ceil(cx + r) + 1)
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r}


def star(cx, cy, r_out, r_in, n, turn=0.0):
    pts = []
    for k in range(2 * n):
        r = r_out if k % 2 == 0 else r_in
        a = math.pi * k / n + turn
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return poly(pts)


def border(pixels):
    """The pixels of a set that touch (4-neighbour) a pixel outside it."""
    return {(x, y) for x, y in pixels
            if any(q not in pixels for q in
                   ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))}

# ---------------------------------------------------------------- file formats

def pack_row(vals, bpp):
    """One row of pixel values (palette indices, or RGB tuples at 24 bpp),
    padded to a multiple of 4 bytes."""
    if bpp == 24:
        b = bytes(v for r, g, bl in vals for v in (bl, g, r))
    else:
        per = 8 // bpp
        b = bytearray()
        for i in range(0, len(vals), per):
            byte = 0
            for k, v in enumerate(vals[i:i + per]):
                byte |= v << (8 - bpp * (k + 1))
            b.append(byte)
        b = bytes(b)
    return b + b'\0' * (-len(b) % 4)


def dib(w, h, bpp, rows, palette, mask_rows=None):
    """BITMAPINFOHEADER + palette + bottom-up pixels (+ AND mask for icons)."""
    data = b''.join(pack_row(r, bpp) for r in reversed(rows))
    if mask_rows is not None:
        data += b''.join(pack_row(r, 1) for r in reversed(mask_rows))
    hdr = struct.pack('<IiiHHIIiiII', 40, w, h * (2 if mask_rows else 1), 1,
                      bpp, 0, len(data), 0 if mask_rows else 2835,
                      0 if mask_rows else 2835, len(palette), 0)
    pal = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    return hdr + pal + data


def write(name, data):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)


def write_bmp(name, w, h, bpp, rows, palette=()):
    body = dib(w, h, bpp, rows, list(palette))
    off = 14 + 40 + 4 * len(palette)
    write(name, struct.pack('<2sIHHI', b'BM', 14 + len(body), 0, 0, off) + body)


def write_ico(name, canvases):
    """Each canvas becomes one 8 bpp image with its own 256-entry palette;
    None pixels are transparent: AND bit 1 and XOR colour black (index 0)."""
    images = []
    for cv in canvases:
        used = sorted({c for row in cv.px for c in row if c is not None})
        palette = [(0, 0, 0)] + [c for c in used if c != (0, 0, 0)]
        assert len(palette) <= 256
        index = {c: i for i, c in enumerate(palette)}
        rows = [[index.get(c, 0) for c in row] for row in cv.px]
        mask = [[1 if c is None else 0 for c in row] for row in cv.px]
        palette += [(0, 0, 0)] * (256 - len(palette))
        images.append((cv.w, cv.h, dib(cv.w, cv.h, 8, rows, palette, mask)))
    out = struct.pack('<HHH', 0, 1, len(images))
    off = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 8,
                           len(data), off)
        off += len(data)
    write(name, out + b''.join(d for _, _, d in images))

# ---------------------------------------------------------------- colours

WHITE, BLACK = (255, 255, 255), (0, 0, 0)
GREY, SILVER, DARK = (128, 128, 128), (192, 192, 192), (64, 64, 64)
LIGHT = (224, 224, 224)
RED, DKRED, MAROON = (224, 16, 16), (160, 0, 0), (112, 0, 0)
ORANGE, DKORANGE = (255, 136, 0), (200, 72, 0)
YELLOW, DKYELLOW, GOLD = (255, 216, 0), (160, 112, 0), (232, 176, 0)
GREEN, DKGREEN, LAMP = (32, 176, 32), (0, 96, 0), (0, 232, 0)
BLUE, DKBLUE, LTBLUE = (32, 96, 216), (0, 40, 136), (168, 208, 255)
WOOD = (240, 200, 150)

# ---------------------------------------------------------------- the icon

K16 = ['RR...RR', 'RR..RR.', 'RR.RR..', 'RRRR...', 'RRR....',
       'RRRR...', 'RR.RR..', 'RR..RR.', 'RR...RR']


def icon32():
    """Red K on a white sheet at the top right, a grey screwdriver aimed at it
    from the lower left, an orange burst at the bottom left."""
    cv = Canvas(32, 32)
    # the sheet, with a folded corner
    cv.shape(poly([(12, 0), (26, 0), (32, 6), (32, 23), (12, 23)]), WHITE, GREY)
    cv.shape(poly([(26, 0), (26, 6), (32, 6)]), LIGHT, GREY)
    # the K: a bar and two arms
    k = (rect_px(15, 3, 18, 19) | stroke((18, 14), (27, 4), 4) |
         stroke((20.5, 10.5), (28, 19), 4))
    cv.shape({(x, y) for x, y in k if 3 <= y < 20 and x < 29}, RED, DKRED)
    # the burst
    cv.shape(star(6, 26, 7, 4.2, 8, math.pi / 8), ORANGE, DKORANGE)
    cv.fill(disc(6, 26, 2.2), YELLOW)
    # the screwdriver: handle with a highlight, then the shaft, up and right
    cv.shape(stroke((7.5, 24.5), (13, 19), 5.5), GREY, DARK)
    cv.fill(stroke((8.5, 22.5), (12, 19), 1.2), LIGHT)
    cv.shape(stroke((12.5, 19.5), (18, 14), 2.8), SILVER, DARK)
    return cv


def icon16():
    """The same picture, redrawn for 16x16 with a hand-made K."""
    cv = Canvas(16, 16)
    cv.shape(poly([(5, 0), (14, 0), (16, 2), (16, 12), (5, 12)]), WHITE, GREY)
    cv.fill({(14, 1)}, LIGHT)
    cv.sprite(7, 2, K16, {'R': RED})
    cv.fill(star(2.5, 13.5, 3.4, 1.7, 8, 0.2), ORANGE)
    cv.fill(disc(2.5, 13.5, 1.0), YELLOW)
    cv.shape(stroke((2.8, 13.2), (6, 10), 3.3), GREY, DARK)
    cv.fill(stroke((5, 11), (7.5, 8.5), 1.0), DARK)
    return cv

# ---------------------------------------------------------------- tool buttons

QMARK = ['.####.',
         '##..##',
         '....##',
         '...##.',
         '..##..',
         '......',
         '..##..']


def button_pad(cv):
    cv.shape(rect_px(1, 1, 14, 14), WHITE, GREY)
    for y in (4, 7, 10):
        cv.rect(3, y, 12, y, SILVER)
    for cx, cy, dx, dy in ((1, 1, 1, 1), (14, 1, -1, 1),
                           (1, 14, 1, -1), (14, 14, -1, -1)):
        for i in range(4):
            for j in range(4 - i):
                cv.put(cx + dx * i, cy + dy * j, BLUE)
    a, b = (3.5, 12.5), (13.5, 2.5)           # the pencil, tip at a
    cv.shape(stroke((5.2, 10.8), b, 3.6), YELLOW, DKYELLOW)
    cv.fill(stroke((12.4, 3.6), (14, 2), 3.6), (240, 128, 160))
    cv.shape(poly([a, (4.2, 9.6), (6.4, 11.8)]), WOOD, DKYELLOW)
    cv.fill(poly([(2.5, 13.5), (3.3, 11.3), (4.7, 12.7)]), DARK)


def button_check(cv):
    ck = stroke((2.5, 8), (6.5, 12.2), 3.4) | stroke((5.5, 12.2), (13.8, 3), 3.4)
    cv.shape(ck, GREEN, DKGREEN)


def button_cancel(cv):
    cv.shape(disc(8, 8, 7.9), RED, DKRED)
    cv.fill(disc(6.5, 6, 2.5) - disc(8, 8, 4.5), (240, 96, 96))
    cv.fill(stroke((5, 5), (11, 11), 2.3) | stroke((11, 5), (5, 11), 2.3), WHITE)


def button_exit(cv):
    cv.shape(rect_px(3, 5, 12, 15), BLUE, DKBLUE)
    cv.rect(5, 7, 10, 15, LTBLUE)
    cv.shape(rect_px(4, 0, 11, 3), GREEN, DKGREEN)
    cv.rect(6, 1, 9, 2, (176, 255, 176))


def button_delete(cv):
    x = stroke((3, 3), (13, 13), 3.3) | stroke((13, 3), (3, 13), 3.3)
    cv.shape(x, DKRED, MAROON)


def button_help(cv):
    card = poly([(1, 1), (15, 1), (15, 11), (8, 11), (3.5, 15), (4.5, 11),
                 (1, 11)])
    cv.fill(card, WHITE)
    for x, y in border(card):
        cv.put(x, y, GOLD if (x + y) % 2 == 0 else WHITE)
    cv.sprite(5, 2, QMARK, {'#': BLUE})


def button_drive(cv):
    cv.shape(poly([(3, 3), (15, 3), (13, 6), (1, 6)]), LIGHT, GREY)
    cv.shape(rect_px(1, 5, 14, 12), SILVER, DARK)
    cv.rect(2, 6, 13, 6, WHITE)
    cv.rect(3, 9, 8, 9, DARK)
    cv.shape(rect_px(10, 8, 12, 10), LAMP, DKGREEN)
    cv.rect(2, 11, 13, 11, GREY)


BUTTONS = [button_pad, button_check, button_cancel, button_exit,
           button_delete, button_help, button_drive]

# ---------------------------------------------------------------- the name

GLYPHS = {  # 14 rows each: cap height 14, x-height 10, strokes 2 px
    'K': ['##.......##', '##......##.', '##.....##..', '##....##...',
          '##...##....', '##..##.....', '##.##......', '#####......',
          '##.###.....', '##..###....', '##...###...', '##....###..',
          '##.....###.', '##......###'],
    'e': [''] * 4 + ['..#####..', '.##...##.', '##.....##', '#########',
                     '##.......', '##.......', '##.......', '##.....##',
                     '.##...##.', '..#####..'],
    'l': ['##'] * 14,
    'v': [''] * 4 + ['##......##', '##......##', '.##....##.', '.##....##.',
                     '.##....##.', '..##..##..', '..##..##..', '...####...',
                     '...####...', '....##....'],
    'a': [''] * 4 + ['.######.', '##....##', '......##', '......##',
                     '.#######', '##....##', '##....##', '##....##',
                     '##...###', '.####.##'],
    'n': [''] * 4 + ['##.####.', '####..##', '###...##', '##....##',
                     '##....##', '##....##', '##....##', '##....##',
                     '##....##', '##....##'],
}

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128),
       (128, 0, 128), (0, 128, 128), (192, 192, 192), (128, 128, 128),
       (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]


def name_picture(text='Kelvane', w=118, h=19, gap=2):
    cv = Canvas(w, h, WHITE)
    widths = [max(len(r) for r in GLYPHS[ch]) for ch in text]
    x = (w - sum(widths) - gap * (len(text) - 1)) // 2
    y = (h - 14) // 2
    for ch, gw in zip(text, widths):
        cv.sprite(x, y, GLYPHS[ch], {'#': GREY})
        x += gw + gap
    return cv

# ---------------------------------------------------------------- main

def main():
    write_ico('Kelvane.ico', [icon32(), icon16()])

    cv = Canvas(16 * len(BUTTONS), 16)
    for i, draw in enumerate(BUTTONS):
        cv.ox = 16 * i
        draw(cv)
    w = cv.w
    write_bmp('toolbuttons.bmp', w, 16, 24,
              [[c or BLACK for c in row] for row in cv.px])
    write_bmp('toolbuttons_mask.bmp', w, 16, 1,
              [[1 if c is None else 0 for c in row] for row in cv.px],
              [BLACK, WHITE])

    nm = name_picture()
    write_bmp('name.bmp', nm.w, nm.h, 4,
              [[VGA.index(c) for c in row] for row in nm.px], VGA)


if __name__ == '__main__':
    main()
