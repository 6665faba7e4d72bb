#!/usr/bin/env python3
"""Draws the program's own images and writes them as Windows icon/cursor files.

Run by hand from the repository root after changing a drawing; the outputs are
committed:

  assets/lyricsub.ico          application icon, 96/64/48/32/16 px, 32-bit BGRA
  assets/cross_hair.cur        picker cross-hair, 32x32, 8 bpp grey palette
  assets/hand.cur              picker hand pointer, 32x32, 1 bpp
  src/target/cursor_images.cpp the two cursor files as constant byte arrays

  python3 tools/make_assets.py [--preview DIR]

--preview also writes enlarged PNG previews (on a checkerboard, so
transparency shows) into DIR for review; they are not committed.

Standard library only.
"""

import argparse
import math
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# ---------------------------------------------------------------------------
# Container formats


def bitmap_info_header(width, height, bit_count, image_size):
    # Icon and cursor images store XOR + AND masks, so the height is doubled.
    return struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, bit_count, 0, image_size, 0, 0,
                       0, 0)


def and_mask_rows(transparent, size):
    """AND mask, bottom-up, 1 bit per pixel (1 = screen shows through), rows padded to 4 bytes."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if transparent[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def icon_image_32bpp(pixels, size):
    """pixels[y][x] = (r, g, b, a) straight alpha. Returns the DIB of one icon entry."""
    xor = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = pixels[y][x]
            xor += bytes((b, g, r, a))
    transparent = [[pixels[y][x][3] == 0 for x in range(size)] for y in range(size)]
    mask = and_mask_rows(transparent, size)
    return bitmap_info_header(size, size, 32, len(xor) + len(mask)) + bytes(xor) + mask


def ico_file(images):
    """images: list of (size, dib). Entries are written in the given order."""
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, dib in images:
        dimension = 0 if size >= 256 else size
        out += struct.pack('<BBBBHHII', dimension, dimension, 0, 0, 1, 32, len(dib), offset)
        offset += len(dib)
    for _, dib in images:
        out += dib
    return bytes(out)


def cur_file(width, colour_count, hot_spot, dib):
    header = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', width, width, colour_count % 256, 0, hot_spot[0],
                        hot_spot[1], len(dib), 6 + 16)
    return header + entry + dib


# ---------------------------------------------------------------------------
# Application icon: a speech bubble holding two beamed notes.


def sd_round_rect(px, py, x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def sd_segment(px, py, ax, ay, bx, by):
    """Distance to a line segment."""
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
    return math.hypot(px - ax - t * vx, py - ay - t * vy)


def sd_polygon(px, py, points):
    """Signed distance to a simple polygon (negative inside)."""
    distance = min(
        sd_segment(px, py, *points[i], *points[(i + 1) % len(points)]) for i in range(len(points)))
    inside = False
    for i in range(len(points)):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % len(points)]
        if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
            inside = not inside
    return -distance if inside else distance


def sd_ellipse_approx(px, py, cx, cy, rx, ry, angle):
    c, s = math.cos(angle), math.sin(angle)
    dx, dy = px - cx, py - cy
    u, v = (dx * c + dy * s) / rx, (-dx * s + dy * c) / ry
    return (math.hypot(u, v) - 1.0) * min(rx, ry)


def snap(value, size):
    """Moves a coordinate onto the nearest pixel edge, so straight edges stay crisp."""
    return round(value * size) / size


def bubble_distance(px, py, size):
    body = sd_round_rect(px, py, snap(0.04, size), snap(0.08, size), snap(0.96, size),
                         snap(0.74, size), 0.17)
    tail = sd_polygon(px, py, [(0.20, 0.64), (0.44, 0.66), (0.13, 0.94)])
    return min(body, tail)


def note_distance(px, py, size):
    # Strokes get thicker on small images so the note survives at 16 px.
    # Stems and beam sit on pixel edges; the beam is level on the smallest
    # image, where a slope would only blur it.
    stem = max(1, round(0.065 * size)) / size
    beam = max(2, round(0.10 * size)) / size
    head_rx, head_ry = 0.115, 0.085
    left_head, right_head = (0.34, 0.555), (0.64, 0.495)
    tilt = -0.40
    left_stem_x = snap(left_head[0] + head_rx * 0.80, size)
    right_stem_x = snap(right_head[0] + head_rx * 0.80, size)
    top_left = snap(0.19, size)
    top_right = top_left if size <= 16 else snap(0.14, size)
    shapes = [
        sd_ellipse_approx(px, py, *left_head, head_rx, head_ry, tilt),
        sd_ellipse_approx(px, py, *right_head, head_rx, head_ry, tilt),
        sd_polygon(px, py, [(left_stem_x - stem, top_left), (left_stem_x, top_left),
                            (left_stem_x, left_head[1]), (left_stem_x - stem, left_head[1])]),
        sd_polygon(px, py, [(right_stem_x - stem, top_right), (right_stem_x, top_right),
                            (right_stem_x, right_head[1]), (right_stem_x - stem, right_head[1])]),
        sd_polygon(px, py, [(left_stem_x - stem, top_left), (right_stem_x, top_right),
                            (right_stem_x, top_right + beam), (left_stem_x - stem, top_left + beam)]),
    ]
    return min(shapes)


def over(top, bottom):
    """Straight-alpha 'over' compositing of (r, g, b, a) tuples with float channels 0..1."""
    ta, ba = top[3], bottom[3]
    a = ta + ba * (1 - ta)
    if a <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    return tuple((top[i] * ta + bottom[i] * ba * (1 - ta)) / a for i in range(3)) + (a,)


def icon_sample(px, py, size):
    border = max(0.045, 1.0 / size)
    d = bubble_distance(px, py, size)
    if d > 0:
        return (0.0, 0.0, 0.0, 0.0)
    if d > -border:
        colour = (0.07, 0.27, 0.55, 1.0)
    else:
        # Light at the top, deeper blue at the bottom, for a little depth.
        t = max(0.0, min(1.0, (py - 0.08) / 0.66))
        colour = (0.40 - 0.26 * t, 0.70 - 0.24 * t, 0.98 - 0.12 * t, 1.0)
    if note_distance(px, py, size) < 0:
        colour = (1.0, 1.0, 1.0, 1.0)
    return colour


def draw_icon(size, samples=6):
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    px = (x + (sx + 0.5) / samples) / size
                    py = (y + (sy + 0.5) / samples) / size
                    r, g, b, a = icon_sample(px, py, size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            alpha = acc[3] / n
            if alpha <= 0:
                row.append((0, 0, 0, 0))
                continue
            rgb = [min(255, round(acc[i] / acc[3] * 255)) for i in range(3)]
            row.append((rgb[0], rgb[1], rgb[2], min(255, round(alpha * 255))))
        pixels.append(row)
    return pixels


ICON_SIZES = (96, 64, 48, 32, 16)

# ---------------------------------------------------------------------------
# Cross-hair cursor: a grey plus sign with rounded arm ends and a black
# outline; a transparent 2x2 hole at columns/rows 15 and 16 holds the hot spot.

CURSOR_SIZE = 32
CROSS_HAIR_HOT_SPOT = (15, 16)
HAND_HOT_SPOT = (6, 0)


def in_capsule(px, py, ax, ay, bx, by, radius):
    return sd_segment(px, py, ax, ay, bx, by) < radius


def draw_cross_hair():
    """Returns grid[y][x] = grey level 0..255, or None for transparent."""
    centre = 16.0  # Pixel columns/rows 13..18 form each arm (6 wide).
    radius = 3.0

    def inside(x, y):
        if x in (15, 16) and y in (15, 16):
            return False  # The hole at the hot spot.
        px, py = x + 0.5, y + 0.5
        # Horizontal arm spans columns 1..30, vertical arm rows 2..29.
        return (in_capsule(px, py, 1 + radius, centre, 31 - radius, centre, radius) or
                in_capsule(px, py, centre, 2 + radius, centre, 30 - radius, radius))

    grid = [[None] * CURSOR_SIZE for _ in range(CURSOR_SIZE)]
    for y in range(CURSOR_SIZE):
        for x in range(CURSOR_SIZE):
            if not inside(x, y):
                continue
            edge = any(not inside(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                grid[y][x] = 0
                continue
            # Rounded-bar shading: lighter towards the upper left of each arm.
            in_horizontal = 13 <= y <= 18
            in_vertical = 13 <= x <= 18
            across = []
            if in_horizontal:
                across.append(y - 13)
            if in_vertical:
                across.append(x - 13)
            shade = (0xE0, 0xC8, 0xA8, 0x90, 0x78, 0x60)
            grid[y][x] = min(shade[a] for a in across) if across else 0x80
    return grid


def cross_hair_file():
    grid = draw_cross_hair()
    palette = b''.join(bytes((i, i, i, 0)) for i in range(256))
    xor = bytearray()
    for y in reversed(range(CURSOR_SIZE)):
        for x in range(CURSOR_SIZE):
            xor.append(0 if grid[y][x] is None else grid[y][x])
    transparent = [[grid[y][x] is None for x in range(CURSOR_SIZE)] for y in range(CURSOR_SIZE)]
    mask = and_mask_rows(transparent, CURSOR_SIZE)
    dib = bitmap_info_header(CURSOR_SIZE, CURSOR_SIZE, 8, len(xor) + len(mask)) + palette + bytes(
        xor) + mask
    return cur_file(CURSOR_SIZE, 256, CROSS_HAIR_HOT_SPOT, dib), grid


# ---------------------------------------------------------------------------
# Hand pointer: index finger up, fingertip at the hot spot (6, 0).
# X = black outline, . = white fill, space = transparent.

HAND = [
    "     XXX         ",
    "    X...X        ",
    "    X...X        ",
    "    X...X        ",
    "    X...X        ",
    "    X...XXX      ",
    "    X...X..XXX   ",
    "    X...X..X..XX ",
    "    X...X..X..X.X",
    " XX X...X..X..X.X",
    "X..XX...........X",
    "X...X...........X",
    " X..X...........X",
    " X..............X",
    "  X.............X",
    "  X............X ",
    "   X...........X ",
    "   X..........X  ",
    "    X.........X  ",
    "    X.........X  ",
    "    X.........X  ",
    "    XXXXXXXXXXX  ",
]


def draw_hand():
    """Returns grid[y][x] = 0 (black), 1 (white) or None (transparent)."""
    assert len(HAND) == 22 and all(len(row) == 17 for row in HAND)
    assert HAND[HAND_HOT_SPOT[1]][HAND_HOT_SPOT[0]] == 'X'
    grid = [[None] * CURSOR_SIZE for _ in range(CURSOR_SIZE)]
    for y, row in enumerate(HAND):
        for x, c in enumerate(row):
            grid[y][x] = {'X': 0, '.': 1, ' ': None}[c]
    return grid


def hand_file():
    grid = draw_hand()
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    transparent = [[grid[y][x] is None for x in range(CURSOR_SIZE)] for y in range(CURSOR_SIZE)]
    # Colour bits share the AND mask's layout: white pixels set, the rest clear.
    xor = and_mask_rows([[grid[y][x] == 1 for x in range(CURSOR_SIZE)] for y in range(CURSOR_SIZE)],
                        CURSOR_SIZE)
    mask = and_mask_rows(transparent, CURSOR_SIZE)
    dib = bitmap_info_header(CURSOR_SIZE, CURSOR_SIZE, 1, len(xor) + len(mask)) + palette + xor + mask
    return cur_file(CURSOR_SIZE, 2, HAND_HOT_SPOT, dib), grid


# ---------------------------------------------------------------------------
# Outputs


def cpp_array(name, data):
    lines = [f'constexpr std::uint8_t {name}[{len(data)}] = {{']
    for i in range(0, len(data), 16):
        lines.append('    ' + ' '.join(f'0x{b:02x},' for b in data[i:i + 16]))
    lines.append('};')
    return '\n'.join(lines)


def cursor_images_cpp(cross_hair, hand):
    return f"""// The picker's two cursor files as constant bytes.
// Generated by tools/make_assets.py from its drawings; edit the script, not this file.
#include "target/cursor_images.h"

namespace lyricsub {{
namespace {{

// clang-format off
{cpp_array('kCrossHair', cross_hair)}

{cpp_array('kHand', hand)}
// clang-format on

}}  // namespace

std::span<const std::uint8_t> cross_hair_cursor() {{ return kCrossHair; }}

std::span<const std::uint8_t> hand_cursor() {{ return kHand; }}

}}  // namespace lyricsub
"""


def write(path, data):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    mode = 'w' if isinstance(data, str) else 'wb'
    with open(full, mode, **({'encoding': 'utf-8', 'newline': '\n'} if mode == 'w' else {})) as f:
        f.write(data)
    print(f'{path}: {len(data.encode() if isinstance(data, str) else data)} bytes')


def png(path, rgba_rows):
    """Writes an RGBA PNG; rgba_rows[y][x] = (r, g, b, a)."""
    height, width = len(rgba_rows), len(rgba_rows[0])
    raw = b''.join(b'\0' + b''.join(bytes(p) for p in row) for row in rgba_rows)

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack(
            '>I', zlib.crc32(kind + body) & 0xFFFFFFFF)

    data = (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))
    with open(path, 'wb') as f:
        f.write(data)


def preview(rows, scale):
    """Enlarges an RGBA image over a checkerboard, so transparent areas are visible."""
    out = []
    for y in range(len(rows) * scale):
        line = []
        for x in range(len(rows[0]) * scale):
            r, g, b, a = rows[y // scale][x // scale]
            check = 0xFF if ((x // 8) + (y // 8)) % 2 else 0xCC
            line.append(tuple(round((c * a + check * (255 - a)) / 255) for c in (r, g, b)) + (255,))
        out.append(line)
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--preview', metavar='DIR', help='also write enlarged PNG previews here')
    args = parser.parse_args()

    icons = [(size, draw_icon(size)) for size in ICON_SIZES]
    ico = ico_file([(size, icon_image_32bpp(pixels, size)) for size, pixels in icons])
    cross_hair, cross_grid = cross_hair_file()
    hand, hand_grid = hand_file()

    assert len(ico) == 70110, len(ico)
    assert len(cross_hair) == 2238, len(cross_hair)
    assert len(hand) == 326, len(hand)

    write('assets/lyricsub.ico', ico)
    write('assets/cross_hair.cur', cross_hair)
    write('assets/hand.cur', hand)
    write('src/target/cursor_images.cpp', cursor_images_cpp(cross_hair, hand))

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        for size, pixels in icons:
            png(os.path.join(args.preview, f'icon_{size}.png'), preview(pixels, max(1, 192 // size)))
            png(os.path.join(args.preview, f'icon_{size}_actual.png'), preview(pixels, 1))
        grey = [[(0, 0, 0, 0) if v is None else (v, v, v, 255) for v in row] for row in cross_grid]
        png(os.path.join(args.preview, 'cross_hair.png'), preview(grey, 8))
        bw = [[(0, 0, 0, 0) if v is None else (v * 255, ) * 3 + (255, ) for v in row]
              for row in hand_grid]
        png(os.path.join(args.preview, 'hand.png'), preview(bw, 8))
        print(f'previews in {args.preview}')


if __name__ == '__main__':
    main()
