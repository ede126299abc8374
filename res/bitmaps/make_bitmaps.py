#!/usr/bin/env python3
"""Draws the tab strip's pictures pixel by pixel and writes them as 24-bit BMP files.

Magenta (255, 0, 255) is the transparent colour. Run from this folder; the .bmp files are kept
in the repository so that the build needs no Python.
"""
import struct

MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GREY = (128, 128, 128)
LIGHT = (200, 200, 200)
RED = (220, 20, 20)

# A 3x5 pixel font for the labels.
FONT = {
    '0': ["###", "#.#", "#.#", "#.#", "###"], '1': [".#.", "##.", ".#.", ".#.", "###"],
    '2': ["##.", "..#", ".#.", "#..", "###"], '3': ["##.", "..#", ".#.", "..#", "##."],
    '4': ["#.#", "#.#", "###", "..#", "..#"], '5': ["###", "#..", "##.", "..#", "##."],
    '6': [".##", "#..", "###", "#.#", "###"], '7': ["###", "..#", ".#.", ".#.", ".#."],
    '8': ["###", "#.#", "###", "#.#", "###"], '9': ["###", "#.#", "###", "..#", "##."],
    'D': ["##.", "#.#", "#.#", "#.#", "##."], 'W': ["#.#", "#.#", "#.#", "###", "#.#"],
    'G': [".##", "#..", "#.#", "#.#", ".##"], 'X': ["#.#", "#.#", ".#.", "#.#", "#.#"],
    'F': ["###", "#..", "##.", "#..", "#.."], 'R': ["##.", "#.#", "##.", "#.#", "#.#"],
    '?': ["##.", "..#", ".#.", "...", ".#."], '-': ["...", "...", "###", "...", "..."],
}


class Picture:
    def __init__(self, w, h, fill=MAGENTA):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.set(x, y, c)

    def text(self, x, y, s, c):
        for ch in s:
            for row, bits in enumerate(FONT[ch]):
                for col, b in enumerate(bits):
                    if b == '#':
                        self.set(x + col, y + row, c)
            x += 4

    def save(self, path):
        stride = (self.w * 3 + 3) & ~3
        rows = b''
        for y in range(self.h - 1, -1, -1):
            row = b''.join(struct.pack('BBB', b, g, r) for (r, g, b) in self.px[y])
            rows += row + b'\0' * (stride - self.w * 3)
        header = struct.pack('<IiiHHIIiiII', 40, self.w, self.h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
        with open(path, 'wb') as f:
            f.write(b'BM' + struct.pack('<IHHI', 14 + len(header) + len(rows), 0, 0, 54) + header + rows)


def text_width(s):
    return len(s) * 4 - 1


def sheet(label_rows, band):
    """A page with a folded corner, a coloured band and up to two label rows."""
    p = Picture(16, 16)
    p.rect(2, 0, 14, 16, WHITE)
    for y in range(16):
        p.set(2, y, GREY)
        p.set(13, y, GREY)
    for x in range(2, 14):
        p.set(x, 0, GREY)
        p.set(x, 15, GREY)
    for i in range(4):            # the folded corner
        for j in range(4 - i):
            p.set(13 - j, i, MAGENTA if j < 3 - i else GREY)
    p.set(10, 3, GREY), p.set(10, 2, GREY), p.set(10, 1, GREY), p.set(11, 3, GREY), p.set(12, 3, GREY)
    p.rect(3, 5, 13, 15, band)
    y = 6 if len(label_rows) == 1 else 5
    y = 7 if len(label_rows) == 1 else y
    for row in label_rows:
        x = 2 + (12 - text_width(row)) // 2
        p.text(x, y, row, WHITE)
        y += 5
    return p


def strip(label, colour):
    p = Picture(16, 6, colour)
    p.text(1 + (15 - text_width(label)) // 2, 0, label, WHITE)
    return p


RELEASES = [('12', (90, 90, 90)), ('13', (120, 80, 40)), ('14', (40, 110, 60)), ('15', (40, 90, 160)),
            ('16', (130, 60, 150)), ('17', (170, 90, 20)), ('18', (20, 130, 130)), ('19', (190, 40, 40)),
            ('20', (30, 60, 130))]
STRIPS = [('R12', RELEASES[0][1]), ('R13', RELEASES[1][1]), ('R14', RELEASES[2][1]), ('2000', RELEASES[3][1]),
          ('2004', RELEASES[4][1]), ('2007', RELEASES[5][1]), ('2010', RELEASES[6][1]), ('2013', RELEASES[7][1]),
          ('2018', RELEASES[8][1]), ('--', GREY)]


def generic():
    p = Picture(18, 18)
    p.rect(1, 2, 17, 16, (230, 240, 255))
    for x in range(1, 17):
        p.set(x, 2, GREY), p.set(x, 15, GREY)
    for y in range(2, 16):
        p.set(1, y, GREY), p.set(16, y, GREY)
    for i in range(6):                      # a hill and a sun
        for x in range(4 + i, 14 - i):
            p.set(x, 14 - i, (60, 140, 60))
    p.rect(11, 4, 14, 7, (240, 180, 30))
    return p


def overlay_tick():
    p = Picture(16, 16)
    for x, y in [(0, 3), (1, 4), (2, 5), (3, 4), (4, 3), (5, 2), (6, 1), (7, 0)]:
        p.set(x, y, RED), p.set(x, y + 1, RED)
    return p


def overlay_padlock():
    p = Picture(16, 16)
    for x in (1, 5):
        for y in range(0, 4):
            p.set(x, y, RED)
    p.rect(2, 0, 5, 1, RED)
    p.rect(0, 3, 7, 8, RED)
    p.set(3, 5, WHITE)
    return p


def overlay_link():
    p = Picture(16, 16)
    p.rect(0, 9, 7, 16, WHITE)
    for i in range(7):
        p.set(i, 9, BLACK), p.set(i, 15, BLACK), p.set(0, 9 + i, BLACK), p.set(6, 9 + i, BLACK)
    for x, y in [(2, 13), (3, 12), (4, 11)]:
        p.set(x, y, BLACK)
    p.set(3, 11, BLACK), p.set(4, 12, BLACK), p.set(4, 11, BLACK)
    return p


def glyph_close():
    p = Picture(16, 16, (200, 30, 30))
    for i in range(3, 13):
        p.set(i, i, WHITE), p.set(i + 1, i, WHITE), p.set(15 - i, i, WHITE), p.set(14 - i, i, WHITE)
    return p


def glyph_menu():
    p = Picture(16, 16)
    for row in range(6):
        for x in range(2 + row, 14 - row):
            p.set(x, 5 + row, BLACK)
    return p


def glyph_tag():
    p = Picture(16, 16)
    for y in range(4, 12):
        for x in range(2, 12):
            p.set(x, y, (150, 150, 150))
    for i in range(4):
        for y in range(4 + i, 12 - i):
            p.set(12 + i, y, (150, 150, 150))
    p.rect(4, 7, 6, 9, WHITE)
    return p


def document_page():
    """A drawing sheet: a page with a folded corner and a small plan drawn in blue."""
    p = sheet([], WHITE)
    blue = (30, 70, 170)
    for x in range(4, 12):
        p.set(x, 6, blue), p.set(x, 13, blue)
    for y in range(6, 14):
        p.set(4, y, blue), p.set(11, y, blue)
    for i in range(6):                    # a diagonal wall and a door swing
        p.set(5 + i, 12 - i, blue)
    p.rect(7, 9, 9, 11, (220, 60, 40))
    return p


def window_pane():
    """A window that is not a drawing: a title bar with its buttons over a light pane."""
    p = Picture(16, 16)
    frame = (40, 70, 130)
    p.rect(0, 1, 16, 15, frame)
    p.rect(1, 2, 15, 5, (70, 120, 200))
    p.rect(1, 5, 15, 14, (245, 245, 245))
    p.rect(12, 3, 14, 4, WHITE)           # close box
    p.rect(9, 3, 11, 4, WHITE)            # maximise box
    for y in (7, 9, 11):                  # lines of content
        p.rect(3, y, 12 if y != 11 else 9, y + 1, (150, 150, 150))
    return p


def switcher_icons():
    """The document switcher's list pictures: the unknown format, the releases, a drawing, a window."""
    icons = [('switch_unknown', sheet(['?'], GREY)), ('switch_10', sheet(['10'], (150, 110, 60)))]
    for label, colour in RELEASES:
        icons.append(('switch_' + label, sheet([label], colour)))   # one row: legible at 16 pixels
    icons.append(('switch_document', document_page()))
    icons.append(('switch_window', window_pane()))
    return icons


def cursor():
    """A 32x32 monochrome cursor: an arrow carrying a small tab."""
    and_mask = [[1] * 32 for _ in range(32)]
    xor_mask = [[0] * 32 for _ in range(32)]
    arrow = ["#", "##", "#.#", "#..#", "#...#", "#....#", "#.....#", "#......#", "#.......#", "#....####",
             "#.#..#", "##.#..#", "#..#..#", "....#..#", "....####"]
    for y, line in enumerate(arrow):
        for x, c in enumerate(line):
            if c in '#.':
                and_mask[y][x] = 0
                xor_mask[y][x] = 1 if c == '.' else 0
    for y in range(16, 24):               # the tab being dragged
        for x in range(12, 26):
            edge = y in (16, 23) or x in (12, 25)
            and_mask[y][x] = 0
            xor_mask[y][x] = 0 if edge else 1
    def bits(rows):
        out = b''
        for y in range(31, -1, -1):
            for x0 in range(0, 32, 8):
                v = 0
                for k in range(8):
                    v = (v << 1) | rows[y][x0 + k]
                out += bytes([v])
        return out
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    image = header + palette + bits(xor_mask) + bits(and_mask)
    directory = struct.pack('<HHH', 0, 2, 1) + struct.pack('<BBBBHHII', 32, 32, 2, 0, 0, 0, len(image), 22)
    with open('drag.cur', 'wb') as f:
        f.write(directory + image)


def question():
    """The save prompt's 32x32 picture: a blue disc with a white question mark."""
    p = Picture(32, 32, (240, 240, 240))
    blue, rim = (40, 100, 200), (20, 60, 140)
    for y in range(32):
        for x in range(32):
            d = ((x - 15.5) ** 2 + (y - 15.5) ** 2) ** 0.5
            if d <= 13.5:
                p.set(x, y, blue)
            elif d <= 14.8:
                p.set(x, y, rim)
    mark = ["..####..", ".######.", "##....##", "......##", ".....##.", "....##..", "...##...",
            "...##...", "........", "...##...", "...##..."]
    for y, line in enumerate(mark):
        for x, c in enumerate(line):
            if c == '#':
                p.rect(8 + 2 * x, 5 + 2 * y, 10 + 2 * x, 7 + 2 * y, WHITE)
    return p


def no_preview():
    """The 161x115 picture shown when a drawing has no preview: a pale sheet with a faint frame
    and a picture glyph in its top corner; the plug-in writes its lines of text over the middle."""
    p = Picture(161, 115, (246, 247, 249))
    edge, glyph = (196, 200, 208), (176, 184, 198)
    for x in range(161):
        p.set(x, 0, edge)
        p.set(x, 114, edge)
    for y in range(115):
        p.set(0, y, edge)
        p.set(160, y, edge)
    # A small landscape picture, crossed out: "no image".
    p.rect(8, 8, 30, 9, glyph)
    p.rect(8, 24, 30, 25, glyph)
    p.rect(8, 8, 9, 25, glyph)
    p.rect(29, 8, 30, 25, glyph)
    for i in range(7):
        p.set(11 + i, 21 - i, glyph)
        p.set(17 + i, 15 + i, glyph)
    p.rect(23, 11, 26, 14, glyph)
    for i in range(22):
        p.set(8 + i, 8 + int(i * 16 / 21), (210, 120, 120))
    return p


def main():
    names = []
    icons = [('icon_generic', generic()), ('icon_dxf', sheet(['DXF'], (70, 70, 70)))]
    for label, colour in RELEASES:
        icons.append(('icon_' + label, sheet([label, 'DWG'] if label in ('19', '20') else [label], colour)))
    icons.append(('icon_unknown', sheet(['?'], GREY)))
    for name, picture in icons:
        picture.save(name + '.bmp')
        names.append(name)
    for label, colour in STRIPS:
        name = 'strip_' + (label if label != '--' else 'unknown')
        strip(label, colour).save(name + '.bmp')
        names.append(name)
    for name, picture in [('overlay_modified', overlay_tick()), ('overlay_readonly', overlay_padlock()),
                          ('overlay_link', overlay_link()), ('glyph_close', glyph_close()),
                          ('glyph_menu', glyph_menu()), ('glyph_link', glyph_tag())]:
        picture.save(name + '.bmp')
        names.append(name)
    question().save('question.bmp')
    names.append('question')
    no_preview().save('no_preview.bmp')
    names.append('no_preview')
    for name, picture in switcher_icons():
        picture.save(name + '.bmp')
        names.append(name)
    cursor()
    print('\n'.join(names))


if __name__ == '__main__':
    main()
