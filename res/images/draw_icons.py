#!/usr/bin/env python3
"""Draws the application icon (128) and the document-type icon (129).

Writes 16-colour XPM files, which the window loads on every platform, the .ico files that
the Windows resource script embeds, and the PNG that Linux desktops show. Run from this folder after changing a picture.
"""

import math
import struct
import zlib

PALETTE = ["000000", "800000", "008000", "808000", "000080", "800080", "008080", "C0C0C0",
           "808080", "FF0000", "00FF00", "FFFF00", "0000FF", "FF00FF", "00FFFF", "FFFFFF"]
NONE = "."  # transparent
BLACK, MAROON, NAVY, SILVER, GREY, RED, WHITE = "0", "1", "4", "7", "8", "9", "F"


def page(size, line_colour):
    """A sheet with a folded top-right corner and lines of text."""
    grid = [[NONE] * size for _ in range(size)]
    left, right = size * 3 // 16, size - size * 3 // 16 - 1
    top, bottom = size // 16, size - size // 16 - 1
    fold = max(3, size // 4)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x - (right - fold) > y - top:
                continue  # cut-away corner
            edge = x in (left, right) or y in (top, bottom) or x - (right - fold) == y - top
            grid[y][x] = BLACK if edge else WHITE
    for y in range(top + 1, top + fold):  # the folded flap
        for x in range(right - fold + 1, right - fold + (y - top)):
            grid[y][x] = SILVER
    step = max(2, size // 8)
    for y in range(top + fold + step // 2, bottom - step // 2, step):
        for x in range(left + max(2, size // 8), right - max(1, size // 16)):
            grid[y][x] = line_colour
    return grid


def inside(polygon, x, y):
    """Even-odd rule."""
    result = False
    for (x1, y1), (x2, y2) in zip(polygon, polygon[1:] + polygon[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            result = not result
    return result


def seal(grid, size):
    """A red round seal with a white star over the lower right of the sheet."""
    radius = size * 9 / 32
    cx, cy = size - radius - 0.5, size - radius - 0.5
    for y in range(size):
        for x in range(size):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if d <= radius:
                grid[y][x] = MAROON if d > radius - max(1.0, size / 16) else RED
    outer, inner = radius * 0.7, radius * 0.28
    star = []
    for k in range(10):
        r = outer if k % 2 == 0 else inner
        angle = math.pi / 2 + k * math.pi / 5
        star.append((cx + r * math.cos(angle), cy - r * math.sin(angle)))
    for y in range(size):
        for x in range(size):
            if inside(star, x, y):
                grid[y][x] = WHITE
    return grid


def write_xpm(name, grid):
    size = len(grid)
    lines = ["/* XPM */", f"static const char* const {name}[] = {{",
             f'"{size} {size} {len(PALETTE) + 1} 1",', f'"{NONE} c None",']
    lines += [f'"{i:X} c #{rgb}",' for i, rgb in enumerate(PALETTE)]
    rows = ['"' + "".join(row) + '"' for row in grid]
    lines += [row + "," for row in rows[:-1]] + [rows[-1] + "};"]
    with open(f"{name}.xpm", "w") as out:
        out.write("\n".join(lines) + "\n")


def write_png(name, grid):
    """An 8-bit RGBA PNG, transparent where the grid is."""
    size = len(grid)
    rows = b"".join(b"\0" + b"".join(b"\0\0\0\0" if c == NONE
                                       else bytes.fromhex(PALETTE[int(c, 16)]) + b"\xff"
                                       for c in row)
                    for row in grid)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    with open(f"{name}.png", "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                  + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def ico_image(grid, bits):
    """One icon image: BITMAPINFOHEADER, palette, colour rows and mask rows, bottom-up."""
    size = len(grid)
    colours = 1 << bits if bits <= 8 else 0
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, 0, 0, 0, 0, 0)
    palette = b""
    if colours:
        entries = PALETTE + ["000000"] * (colours - len(PALETTE))
        palette = b"".join(bytes.fromhex(rgb)[::-1] + b"\0" for rgb in entries)

    def padded(row):
        return row + b"\0" * (-len(row) % 4)

    pixels, mask = b"", b""
    for row in reversed(grid):
        indices = [0 if c == NONE else int(c, 16) for c in row]
        if bits == 4:
            line = bytes(indices[i] << 4 | indices[i + 1] for i in range(0, size, 2))
        elif bits == 8:
            line = bytes(indices)
        else:
            line = b"".join(bytes.fromhex(PALETTE[i])[::-1] for i in indices)
        pixels += padded(line)
        bits_row = [1 if c == NONE else 0 for c in row]
        mask += padded(bytes(sum(b << (7 - k) for k, b in enumerate(bits_row[i:i + 8]))
                             for i in range(0, size, 8)))
    return header + palette + pixels + mask, colours


def write_ico(name, images):
    """An icon group file of (grid, bits per pixel) images."""
    encoded = [(len(grid), bits) + ico_image(grid, bits) for grid, bits in images]
    directory = struct.pack("<HHH", 0, 1, len(encoded))
    offset = len(directory) + 16 * len(encoded)
    entries, data = b"", b""
    for size, bits, image, colours in encoded:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours if colours < 256 else 0,
                               0, 1, bits, len(image), offset + len(data))
        data += image
    with open(f"{name}.ico", "wb") as out:
        out.write(directory + entries + data)


app = {size: seal(page(size, GREY), size) for size in (48, 32, 16)}
doc = {size: page(size, NAVY) for size in (32, 16)}
for size, grid in app.items():
    write_xpm(f"app_{size}", grid)
for size, grid in doc.items():
    write_xpm(f"doc_{size}", grid)
write_png("app_48", app[48])
write_ico("app", [(app[size], bits) for bits in (4, 8, 24) for size in (48, 32, 16)])
write_ico("doc", [(doc[size], 4) for size in (32, 16)])
