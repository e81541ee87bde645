#!/usr/bin/env python3
"""Draws icon 128 (a beamed pair of notes on a blue disc) and writes it as a 16-colour .ico
with a 32 x 32 and a 16 x 16 image. Run once; the .ico is committed in res/."""
import struct
import sys

# The standard 16-colour palette, as (blue, green, red, reserved).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
NAVY, TEAL, BLUE, YELLOW, WHITE, BLACK = 4, 6, 12, 11, 15, 0


def draw(size):
    """Answers rows top-down of (colour index or None for transparent)."""
    s = size / 32.0
    px = [[None] * size for _ in range(size)]
    c = (size - 1) / 2.0
    for y in range(size):
        for x in range(size):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            if d <= 15.5 * s:
                px[y][x] = TEAL if d > 13.5 * s else BLUE if d > 11 * s else NAVY

    def ellipse(cx, cy, rx, ry, colour):
        for y in range(size):
            for x in range(size):
                if ((x + 0.5 - cx * s) / (rx * s)) ** 2 + ((y + 0.5 - cy * s) / (ry * s)) ** 2 <= 1:
                    px[y][x] = colour

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), max(int(y0 * s) + 1, int(y1 * s))):
            for x in range(int(x0 * s), max(int(x0 * s) + 1, int(x1 * s))):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    ellipse(11, 22, 4.2, 3.2, YELLOW)
    ellipse(21, 20, 4.2, 3.2, YELLOW)
    rect(14, 8, 16, 22, YELLOW)
    rect(24, 6, 26, 20, YELLOW)
    rect(14, 6, 26, 9, YELLOW)  # the beam joining the two stems
    return px


def bitmap(size):
    px = draw(size)
    xor_row = ((size * 4 + 31) // 32) * 4
    and_row = ((size + 31) // 32) * 4
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0,
                         (xor_row + and_row) * size, 0, 0, 16, 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(xor_row)
        mrow = bytearray(and_row)
        for x in range(size):
            v = px[y][x]
            colour = 0 if v is None else v
            row[x // 2] |= colour << (4 if x % 2 == 0 else 0)
            if v is None:
                mrow[x // 8] |= 0x80 >> (x % 8)
        xor += row
        mask += mrow
    return header + pal + bytes(xor) + bytes(mask)


def main(path):
    images = [bitmap(32), bitmap(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/quavel.ico')
