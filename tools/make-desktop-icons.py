#!/usr/bin/env python3
"""Draws the desktop icon (a beamed pair of notes on a blue disc, the picture of icon 128 at
larger sizes) once as SVG and as PNGs of 48, 64, 128 and 256 px, from one list of shapes so that
every size shows the same picture. Run once; the files are committed in res/icons/.
Needs only the standard library."""
import math
import os
import struct
import sys
import zlib

SIZES = (48, 64, 128, 256)
VIEW = 256.0  # the shapes are drawn on a 256 x 256 canvas

RING, DISC, NOTE = (0x3f, 0xa7, 0xc9), (0x1f, 0x35, 0x7a), (0xf6, 0xc9, 0x45)
HEAD_TILT = -20.0  # degrees; note heads lean like printed ones


def circle(cx, cy, r, colour):
    return ('circle', colour, (cx, cy, r))


def ellipse(cx, cy, rx, ry, colour):
    return ('ellipse', colour, (cx, cy, rx, ry))


def polygon(points, colour):
    return ('polygon', colour, tuple(points))


def rect(x0, y0, x1, y1, colour):
    return polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], colour)


# Painted in order, later shapes over earlier ones.
SHAPES = [
    circle(128, 128, 122, RING),
    circle(128, 128, 106, DISC),
    ellipse(92, 182, 30, 21, NOTE),
    ellipse(176, 166, 30, 21, NOTE),
    rect(106, 70, 120, 180, NOTE),
    rect(190, 54, 204, 164, NOTE),
    polygon([(106, 70), (204, 50), (204, 80), (106, 100)], NOTE),  # the beam joining the stems
]


def inside(shape, x, y):
    kind, _, g = shape
    if kind == 'circle':
        cx, cy, r = g
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    if kind == 'ellipse':
        cx, cy, rx, ry = g
        a = math.radians(-HEAD_TILT)
        dx, dy = x - cx, y - cy
        u = dx * math.cos(a) - dy * math.sin(a)
        v = dx * math.sin(a) + dy * math.cos(a)
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1
    # A convex polygon given clockwise on screen: inside when left of no edge.
    pts = g
    for i in range(len(pts)):
        (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % len(pts)]
        if (x1 - x0) * (y - y0) - (y1 - y0) * (x - x0) < 0:
            return False
    return True


def render(size, samples=4):
    """Answers RGBA rows; each pixel is the average of samples x samples points."""
    scale = VIEW / size
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            r = g = b = a = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    colour = None
                    for shape in SHAPES:
                        if inside(shape, x, y):
                            colour = shape[1]
                    if colour:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            n = samples * samples
            # Colours are kept unpremultiplied so that edges do not darken.
            row += bytes((r // a, g // a, b // a, 255 * a // n) if a else (0, 0, 0, 0))
        rows.append(bytes(row))
    return rows


def png(size):
    raw = b''.join(b'\0' + row for row in render(size))

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def svg():
    def fill(colour):
        return '#%02x%02x%02x' % colour

    parts = []
    for kind, colour, g in SHAPES:
        if kind == 'circle':
            parts.append('<circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (g + (fill(colour),)))
        elif kind == 'ellipse':
            cx, cy, rx, ry = g
            parts.append('<ellipse cx="%g" cy="%g" rx="%g" ry="%g" fill="%s" '
                         'transform="rotate(%g %g %g)"/>'
                         % (cx, cy, rx, ry, fill(colour), HEAD_TILT, cx, cy))
        else:
            points = ' '.join('%g,%g' % p for p in g)
            parts.append('<polygon points="%s" fill="%s"/>' % (points, fill(colour)))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
            'viewBox="0 0 256 256">\n  ' + '\n  '.join(parts) + '\n</svg>\n')


def main(root):
    for size in SIZES:
        folder = os.path.join(root, '%dx%d' % (size, size), 'apps')
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, 'quavel.png'), 'wb') as f:
            f.write(png(size))
    folder = os.path.join(root, 'scalable', 'apps')
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, 'quavel.svg'), 'w') as f:
        f.write(svg())


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/icons/hicolor')
