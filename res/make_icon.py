#!/usr/bin/env python3
"""Draws MdbSwitch.ico: one 32 x 32 image in the 16 standard colours.

A database drum with two arrows, one per Access generation. Run it from this
folder after changing the picture; the .ico is committed beside it.
"""
import struct

PALETTE = [  # the 16 VGA colours, as (r, g, b)
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GREY, BLUE, YELLOW, WHITE, RED, SILVER = 0, 4, 8, 12, 11, 15, 9, 7
SIZE = 32


def draw():
    pixels = [[None] * SIZE for _ in range(SIZE)]  # None: transparent

    def put(x, y, c):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            pixels[y][x] = c

    def ellipse_row(cx, cy, rx, ry, y):
        dy = (y - cy) / ry
        if abs(dy) > 1:
            return None
        half = rx * (1 - dy * dy) ** 0.5
        return int(round(cx - half)), int(round(cx + half))

    # Drum body: x 4..23, y 8..27, with elliptic top and bottom.
    cx, rx, ry = 13.5, 10, 3.5
    for y in range(4, 32):
        for x in range(SIZE):
            top = ellipse_row(cx, 8, rx, ry, y)
            bottom = ellipse_row(cx, 25, rx, ry, y)
            inside_body = 8 <= y <= 25 and cx - rx <= x <= cx + rx
            inside_bottom = bottom is not None and bottom[0] <= x <= bottom[1]
            if inside_body or inside_bottom:
                put(x, y, BLUE if x < cx + 4 else NAVY)
            if top is not None and top[0] <= x <= top[1]:
                put(x, y, SILVER if y < 8 else BLUE)
    for y in range(4, 13):
        span = ellipse_row(cx, 8, rx, ry, y)
        if span:
            put(span[0], y, BLACK)
            put(span[1], y, BLACK)
    for y in (13, 18):  # bands between the drum's layers
        for x in range(4, 24):
            put(x, y, NAVY)
    # Two arrows on the right: yellow to the upper, red to the lower target.
    for i, (row, colour) in enumerate(((10, YELLOW), (21, RED))):
        for x in range(20, 30):
            put(x, row, colour)
            put(x, row + 1, colour)
        for d in range(4):
            put(30 - d, row - d, colour)
            put(30 - d, row + 1 + d, colour)
    return pixels


def ico(pixels):
    stride = 16  # 32 pixels at 4 bits, already a multiple of 4 bytes
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):
        row = pixels[y]
        for x in range(0, SIZE, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if row[x + 1] is not None else 0
            xor.append((a << 4) | b)
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack('>I', bits)
    assert len(xor) == stride * SIZE
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == '__main__':
    with open('MdbSwitch.ico', 'wb') as out:
        out.write(ico(draw()))
