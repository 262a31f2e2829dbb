#!/usr/bin/env python3
"""Draws the tool cursors as PNG files (black ink with a white rim).

Run from this folder; the PNGs are committed, so the build does not run it.
Sizes and hot spots must match the table in widgets/cursors.cpp.
"""
import struct
import zlib

FONT = {  # 3 x 5 letters, rows top-down
    'G': ['111', '100', '101', '101', '111'],
    'E': ['111', '100', '110', '100', '111'],
    'C': ['111', '100', '100', '100', '111'],
    'H': ['101', '101', '111', '101', '101'],
    'S': ['111', '100', '111', '001', '111'],
    'L': ['100', '100', '100', '100', '111'],
}


class Pic:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.ink = [[0] * w for _ in range(h)]   # 1 black, 2 white fill

    def put(self, x, y, v=1):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.ink[y][x] = v

    def line(self, x0, y0, x1, y1, v=1):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, v)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def dotted(self, x0, y0, x1, y1):
        for x in range(x0, x1 + 1):
            if (x - x0) % 2 == 0:
                self.put(x, y0)
                self.put(x, y1)
        for y in range(y0, y1 + 1):
            if (y - y0) % 2 == 0:
                self.put(x0, y)
                self.put(x1, y)

    def circle(self, cx, cy, r, v=1):
        for y in range(self.h):
            for x in range(self.w):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if abs(d - r) < 0.5:
                    self.put(x, y, v)

    def disc(self, cx, cy, r, v=1):
        for y in range(self.h):
            for x in range(self.w):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, v)

    def arc(self, cx, cy, r, a0, a1):
        import math
        for k in range(200):
            a = math.radians(a0 + (a1 - a0) * k / 199)
            self.put(round(cx + r * math.cos(a)), round(cy - r * math.sin(a)))

    def rect(self, x0, y0, x1, y1, v=1):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, v)

    def text(self, x, y, s):
        for ch in s:
            for r, row in enumerate(FONT[ch]):
                for c, bit in enumerate(row):
                    if bit == '1':
                        self.put(x + c, y + r)
            x += 4

    def plus(self, cx, cy, r=2):
        self.line(cx - r, cy, cx + r, cy)
        self.line(cx, cy - r, cx, cy + r)

    def minus(self, cx, cy, r=2):
        self.line(cx - r, cy, cx + r, cy)

    def arrow(self, x0, y0, x1, y1):
        """A line from (x0, y0) with a head at (x1, y1)."""
        self.line(x0, y0, x1, y1)
        dx = (x1 > x0) - (x1 < x0)
        dy = (y1 > y0) - (y1 < y0)
        if dx == 0:
            self.line(x1 - 2, y1 - 2 * dy, x1, y1)
            self.line(x1 + 2, y1 - 2 * dy, x1, y1)
        elif dy == 0:
            self.line(x1 - 2 * dx, y1 - 2, x1, y1)
            self.line(x1 - 2 * dx, y1 + 2, x1, y1)
        else:
            self.line(x1 - 3 * dx, y1, x1, y1)
            self.line(x1, y1 - 3 * dy, x1, y1)

    def rgba(self):
        """Black ink, white fill, and a white rim around both."""
        out = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                v = self.ink[y][x]
                if v == 1:
                    row.append((0, 0, 0, 255))
                elif v == 2:
                    row.append((255, 255, 255, 255))
                else:
                    near = any(self.ink[yy][xx] == 1
                               for yy in range(max(y - 1, 0), min(y + 2, self.h))
                               for xx in range(max(x - 1, 0), min(x + 2, self.w)))
                    row.append((255, 255, 255, 255) if near else (0, 0, 0, 0))
            out.append(row)
        return out


def write_png(name, pic):
    rows = pic.rgba()
    raw = b''.join(b'\x00' + bytes(c for px in row for c in px) for row in rows)

    def chunk(tag, data):
        return (struct.pack('>I', len(data)) + tag + data +
                struct.pack('>I', zlib.crc32(tag + data) & 0xFFFFFFFF))
    png = (b'\x89PNG\r\n\x1a\n' +
           chunk(b'IHDR', struct.pack('>IIBBBBB', pic.w, pic.h, 8, 6, 0, 0, 0)) +
           chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))
    with open(name + '.png', 'wb') as f:
        f.write(png)


def lens(p, sign):
    p.circle(6, 6, 5)
    for k in range(3):
        p.line(10 + k, 10, 17 + k, 17)
        p.line(10, 10 + k, 17, 17 + k)
    if sign == '+':
        p.plus(6, 6)
    elif sign == '-':
        p.minus(6, 6)


def pipette(p, tx, ty):
    p.line(tx, ty, tx + 18, ty - 18)
    p.line(tx + 1, ty, tx + 19, ty - 18)
    p.line(tx + 2, ty - 3, tx + 20, ty - 21, 1)
    p.disc(tx + 23, ty - 24, 4)


def push_out(p, cx, cy, hue=False, hor=False):
    p.circle(cx, cy, 3)
    if hor:
        p.arrow(cx - 5, cy, cx - 10, cy)
        p.arrow(cx + 5, cy, cx + 10, cy)
        return
    if hue:
        p.arc(cx, cy, 8, 20, 160)
        p.arc(cx, cy, 8, 200, 340)
        return
    p.arrow(cx, cy - 5, cx, cy - 10)
    p.arrow(cx, cy + 5, cx, cy + 10)
    p.arrow(cx - 5, cy, cx - 10, cy)
    p.arrow(cx + 5, cy, cx + 10, cy)


def push_in(p, cx, cy, hue=False, hor=False):
    p.circle(cx, cy, 2)
    if hor:
        p.arrow(cx - 10, cy, cx - 5, cy)
        p.arrow(cx + 10, cy, cx + 5, cy)
        return
    if hue:
        p.arc(cx, cy, 8, 20, 160)
        p.arc(cx, cy, 8, 200, 340)
        p.arrow(cx - 8, cy - 3, cx - 5, cy - 1)
        p.arrow(cx + 8, cy + 3, cx + 5, cy + 1)
        return
    p.arrow(cx, cy - 10, cx, cy - 5)
    p.arrow(cx, cy + 10, cx, cy + 5)
    p.arrow(cx - 10, cy, cx - 5, cy)
    p.arrow(cx + 10, cy, cx + 5, cy)


def hand(p, closed):
    p.rect(8, 12, 21, 24, 2)
    p.line(8, 12, 8, 24)
    p.line(21, 12, 21, 24)
    p.line(8, 24, 21, 24)
    p.line(10, 27, 19, 27)
    p.line(9, 25, 10, 27)
    p.line(20, 25, 19, 27)
    tops = [9, 8, 8, 9] if closed else [3, 1, 2, 4]
    for k, top in enumerate(tops):
        x = 9 + 3 * k
        p.rect(x + 1, top + 1, x + 2, 12, 2)
        p.line(x, top, x, 12)
        p.line(x + 3, top, x + 3, 12)
        p.line(x, top, x + 3, top)
    p.line(8, 17, 4, 13)
    p.line(4, 13, 3, 14)
    p.line(3, 14, 8, 21)


def tat_set(p, x, y):
    """The up/down marker of the targeted tools, its centre at (x, y)."""
    p.line(x, y - 8, x, y + 8)
    p.line(x - 3, y - 5, x, y - 8)
    p.line(x + 3, y - 5, x, y - 8)
    p.line(x - 3, y + 5, x, y + 8)
    p.line(x + 3, y + 5, x, y + 8)
    p.line(x - 2, y, x + 2, y)


def tat_shift(p, x, y, r=8):
    p.arrow(x, y, x, y - r)
    p.arrow(x, y, x, y + r)
    p.arrow(x, y, x - r, y)
    p.arrow(x, y, x + r, y)


def alpha_marquee(p, sign):
    p.plus(8, 8, 4)
    p.dotted(13, 13, 27, 27)
    for y in range(15, 26, 2):
        for x in range(15 + (y // 2) % 2 * 2, 26, 4):
            p.rect(x, y, x + 1, y + 1)
    if sign == '+':
        p.plus(27, 5)
    elif sign == '-':
        p.minus(27, 5)


def main():
    made = {}

    def new(name, w=32, h=32):
        made[name] = Pic(w, h)
        return made[name]

    p = new('3')
    p.line(15, 4, 15, 12); p.line(15, 20, 15, 28)
    p.line(3, 16, 11, 16); p.line(19, 16, 27, 16)
    p.put(15, 16)
    lens(new('ZoomIn'), '+')
    lens(new('ZoomOut'), '-')
    p = new('ZoomMarquee'); lens(p, ''); p.dotted(20, 20, 30, 30)
    pipette(new('Picker'), 1, 30)
    p = new('PickerPlus'); pipette(p, 1, 28); p.plus(26, 26, 3)
    push_out(new('PushOut'), 10, 10)
    push_out(new('PushOutHue'), 10, 10, hue=True)
    push_out(new('PushOutHor'), 11, 10, hor=True)
    push_in(new('PushIn'), 10, 10)
    push_in(new('PushInHue'), 10, 10, hue=True)
    push_in(new('PushInHor'), 11, 10, hor=True)
    p = new('Marquee'); p.plus(6, 9, 4); p.dotted(12, 15, 28, 28)
    hand(new('HandOpen'), False)
    hand(new('HandClosed'), True)
    tat_set(new('TATSet', 7, 17), 3, 8)
    tat_shift(new('TATShift', 17, 17), 8, 8)
    for name, letters in (('TATSetGrey', 'G'), ('TATSetExact', 'E'), ('TATSetColor', 'C'),
                          ('TATSetHue', 'H'), ('TATSetSat', 'S'), ('TATSetLum', 'L')):
        p = new(name); tat_set(p, 4, 9); p.text(11, 16, letters)
    for name, letters in (('TATShiftHue', 'H'), ('TATShiftSat', 'S'), ('TATShiftLum', 'L')):
        p = new(name); tat_shift(p, 4, 9, 4); p.text(11, 16, letters)
    alpha_marquee(new('AlphaMarquee'), '')
    alpha_marquee(new('AlphaMarqueePlus'), '+')
    alpha_marquee(new('AlphaMarqueeMinus'), '-')
    for name, pic in made.items():
        write_png(name, pic)


if __name__ == '__main__':
    main()
