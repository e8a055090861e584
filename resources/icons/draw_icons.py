#!/usr/bin/env python3
"""Draws Hostwarden's two icons from the character art below.

Writes, next to this script:
  hostwarden.ico      the application icon: five computers on a blue network
  warning.ico         the warning picture: a red triangle with a white "!"
  hostwarden-32.png   the application icon for the Linux desktop entry
  hostwarden-16.png

Each .ico holds a 32x32 and a 16x16 image, 4 bits a pixel in the standard
Windows 16-colour palette, with an AND mask for the transparent pixels, so
the Windows resource compiler takes them as they are and the Linux layer
decodes the same bytes. Only the standard library is used.

Run it again after changing the art: python3 draw_icons.py
"""

import pathlib
import struct
import sys
import zlib

# The standard Windows 16-colour palette, index: (character, RGB).
PALETTE = [
    ("k", (0x00, 0x00, 0x00)),  # 0 black
    ("m", (0x80, 0x00, 0x00)),  # 1 maroon
    ("g", (0x00, 0x80, 0x00)),  # 2 green
    ("o", (0x80, 0x80, 0x00)),  # 3 olive
    ("n", (0x00, 0x00, 0x80)),  # 4 navy
    ("p", (0x80, 0x00, 0x80)),  # 5 purple
    ("t", (0x00, 0x80, 0x80)),  # 6 teal
    ("s", (0xC0, 0xC0, 0xC0)),  # 7 silver
    ("d", (0x80, 0x80, 0x80)),  # 8 dark grey
    ("r", (0xFF, 0x00, 0x00)),  # 9 red
    ("l", (0x00, 0xFF, 0x00)),  # 10 lime
    ("y", (0xFF, 0xFF, 0x00)),  # 11 yellow
    ("b", (0x00, 0x00, 0xFF)),  # 12 blue
    ("f", (0xFF, 0x00, 0xFF)),  # 13 fuchsia
    ("c", (0x00, 0xFF, 0xFF)),  # 14 aqua
    ("w", (0xFF, 0xFF, 0xFF)),  # 15 white
]
TRANSPARENT = "."  # AND mask set, colour index 0

NETWORK_32 = [
    "kkkkkkkkk..kkkkkkkkk..kkkkkkkkk.",
    "ksssssssk..ksssssssk..ksssssssk.",
    "kscctttsk..kscctttsk..kscctttsk.",
    "kscttttsk..kscttttsk..kscttttsk.",
    "kstttttsk..kstttttsk..kstttttsk.",
    "ksssssssk..ksssssssk..ksssssssk.",
    "kkkkkkkkk..kkkkkkkkk..kkkkkkkkk.",
    "...kdk........kdk........kdk....",
    ".kssssdk....kssssdk....kssssdk..",
    ".kkkkkkk....kkkkkkk....kkkkkkk..",
    "....b..........b..........b.....",
    "....b..........b..........b.....",
    "....b..........b..........b.....",
    "....b..........b..........b.....",
    ".bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb.",
    ".nnnnnnnnnnnnnnnnnnnnnnnnnnnnnn.",
    "..........b..........b..........",
    "..........b..........b..........",
    "..........b..........b..........",
    "..........b..........b..........",
    "..........b..........b..........",
    "..........b..........b..........",
    "......kkkkkkkkk..kkkkkkkkk......",
    "......ksssssssk..ksssssssk......",
    "......kscctttsk..kscctttsk......",
    "......kscttttsk..kscttttsk......",
    "......kstttttsk..kstttttsk......",
    "......ksssssssk..ksssssssk......",
    "......kkkkkkkkk..kkkkkkkkk......",
    ".........kdk........kdk.........",
    ".......kssssdk....kssssdk.......",
    ".......kkkkkkk....kkkkkkk.......",
]

NETWORK_16 = [
    ".kkkk.kkkk.kkkk.",
    ".kctk.kctk.kctk.",
    ".kkkk.kkkk.kkkk.",
    "..kk...kk...kk..",
    "..b....b....b...",
    "..b....b....b...",
    "..b....b....b...",
    "bbbbbbbbbbbbbbbb",
    ".....b.....b....",
    ".....b.....b....",
    ".....b.....b....",
    ".....b.....b....",
    "...kkkk..kkkk...",
    "...kctk..kctk...",
    "...kkkk..kkkk...",
    "....kk....kk....",
]

WARNING_32 = [
    "................................",
    "...............mm...............",
    "...............mm...............",
    "..............mrrm..............",
    "..............mrrm..............",
    ".............mrrrrm.............",
    ".............mrrrrm.............",
    "............mrrrrrrm............",
    "............mrrrrrrm............",
    "...........mrrrrrrrrm...........",
    "...........mrrwwwwrrm...........",
    "..........mrrrwwwwrrrm..........",
    "..........mrrrwwwwrrrm..........",
    ".........mrrrrwwwwrrrrm.........",
    ".........mrrrrwwwwrrrrm.........",
    "........mrrrrrwwwwrrrrrm........",
    "........mrrrrrwwwwrrrrrm........",
    ".......mrrrrrrwwwwrrrrrrm.......",
    ".......mrrrrrrwwwwrrrrrrm.......",
    "......mrrrrrrrwwwwrrrrrrrm......",
    "......mrrrrrrrrwwrrrrrrrrm......",
    ".....mrrrrrrrrrwwrrrrrrrrrm.....",
    ".....mrrrrrrrrrrrrrrrrrrrrm.....",
    "....mrrrrrrrrrrrrrrrrrrrrrrm....",
    "....mrrrrrrrrrwwwwrrrrrrrrrm....",
    "...mrrrrrrrrrrwwwwrrrrrrrrrrm...",
    "...mrrrrrrrrrrwwwwrrrrrrrrrrm...",
    "..mrrrrrrrrrrrrrrrrrrrrrrrrrrm..",
    "..mrrrrrrrrrrrrrrrrrrrrrrrrrrm..",
    ".mrrrrrrrrrrrrrrrrrrrrrrrrrrrrm.",
    "mmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmm",
    "................................",
]

WARNING_16 = [
    "................",
    ".......mm.......",
    ".......mm.......",
    "......mrrm......",
    "......mrrm......",
    ".....mrrrrm.....",
    ".....mrwwrm.....",
    "....mrrwwrrm....",
    "....mrrwwrrm....",
    "...mrrrwwrrrm...",
    "...mrrrrrrrrm...",
    "..mrrrrwwrrrrm..",
    "..mrrrrwwrrrrm..",
    ".mrrrrrrrrrrrrm.",
    "mmmmmmmmmmmmmmmm",
    "................",
]

def palette_index(char):
    for index, (name, _) in enumerate(PALETTE):
        if name == char:
            return index
    raise ValueError(f"character {char!r} is not in the palette legend")


def check_art(name, rows, size):
    if len(rows) != size or any(len(row) != size for row in rows):
        raise ValueError(f"{name} must be {size} rows of {size} characters")


def padded_row(row_bytes):
    """DIB rows are padded to a multiple of four bytes."""
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def dib_image(rows):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit XOR bitmap and 1-bit
    AND mask, both stored bottom row first."""
    size = len(rows)
    xor_rows, and_rows = [], []
    for row in reversed(rows):
        indices = [0 if c == TRANSPARENT else palette_index(c) for c in row]
        xor_rows.append(padded_row(bytes((indices[i] << 4) | indices[i + 1]
                                         for i in range(0, size, 2))))
        mask_bits = [1 if c == TRANSPARENT else 0 for c in row]
        and_rows.append(padded_row(bytes(
            sum(bit << (7 - j) for j, bit in enumerate(mask_bits[i:i + 8]))
            for i in range(0, size, 8))))
    pixels = b"".join(xor_rows) + b"".join(and_rows)
    # The height counts the XOR and the AND bitmap together.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(pixels), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)
    return header + palette + pixels


def ico_file(images):
    """ICONDIR, one ICONDIRENTRY an image, then the images."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for rows in images:
        image = dib_image(rows)
        size = len(rows)
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4,
                               len(image), offset + len(data))
        data += image
    return directory + entries + data


def png_file(rows):
    """An RGBA PNG of the art; transparent pixels get alpha 0."""
    size = len(rows)
    raw = b""
    for row in rows:
        raw += b"\0"  # filter type none
        for c in row:
            if c == TRANSPARENT:
                raw += b"\0\0\0\0"
            else:
                raw += bytes(PALETTE[palette_index(c)][1]) + b"\xff"

    def chunk(kind, payload):
        return (struct.pack(">I", len(payload)) + kind + payload
                + struct.pack(">I", zlib.crc32(kind + payload)))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    here = pathlib.Path(__file__).resolve().parent
    check_art("NETWORK_32", NETWORK_32, 32)
    check_art("NETWORK_16", NETWORK_16, 16)
    check_art("WARNING_32", WARNING_32, 32)
    check_art("WARNING_16", WARNING_16, 16)
    outputs = {
        "hostwarden.ico": ico_file([NETWORK_32, NETWORK_16]),
        "warning.ico": ico_file([WARNING_32, WARNING_16]),
        "hostwarden-32.png": png_file(NETWORK_32),
        "hostwarden-16.png": png_file(NETWORK_16),
    }
    for name, data in outputs.items():
        (here / name).write_bytes(data)
        print(f"wrote {name} ({len(data)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
