#!/usr/bin/env python3
"""Writes tribes.ico beside this script: the plugin's 32x32, 16-colour icon.

The picture is a shield with a "T" on it. Run it again after changing the drawing and commit
the .ico with it; the build only compiles the committed file.
"""
import os
import struct

SIZE = 32

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, NAVY, GREY, YELLOW, BLUE, WHITE = 0, 4, 8, 11, 12, 15


def shield_half_width(y):
    """Half width of the shield on row y (top row 0), or None outside it."""
    if y < 2 or y > 29:
        return None
    if y < 18:
        return 13
    # The lower part narrows to a point.
    return max(0, 13 - (y - 17) * 13 // 12)


def pixel(x, y):
    """Palette index of pixel (x, y), or None where the icon is transparent."""
    half = shield_half_width(y)
    centre = 15.5
    if half is None or abs(x - centre) > half + 0.5:
        return None
    if abs(x - centre) > half - 1.5 or y in (2, 3):
        return GREY  # rim
    in_bar = 7 <= y <= 10 and 7 <= x <= 24
    in_stem = 11 <= y <= 24 and 14 <= x <= 17
    if in_bar or in_stem:
        return YELLOW
    return NAVY if y < 16 else BLUE


def icon_bytes():
    colour_rows = []
    mask_rows = []
    # Bitmaps are stored bottom-up.
    for y in reversed(range(SIZE)):
        colours = bytearray()
        mask_bits = 0
        for x in range(0, SIZE, 2):
            left, right = pixel(x, y), pixel(x + 1, y)
            colours.append(((left or BLACK) << 4) | (right or BLACK))
        for x in range(SIZE):
            if pixel(x, y) is None:
                mask_bits |= 1 << (SIZE - 1 - x)
        colour_rows.append(bytes(colours))
        mask_rows.append(struct.pack(">I", mask_bits))
    colour_data = b"".join(colour_rows)
    mask_data = b"".join(mask_rows)

    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(colour_data) + len(mask_data), 0, 0, 0, 0)
    image = header + palette + colour_data + mask_data

    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "tribes.ico")
    with open(path, "wb") as out:
        out.write(icon_bytes())
    print("wrote", path)


if __name__ == "__main__":
    main()
