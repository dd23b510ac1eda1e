#!/usr/bin/env python3
"""Draws the program's two pointer files, HAND-M.CUR and drag.ico, as 32x32 32-bit images.

Run from anywhere: python3 resources/make_pointers.py
The files are written beside this script. Standard library only.
"""

import pathlib
import struct

SIZE = 32

# Pixel art: '#' outline, 'o' fill, '.' transparent. The finger tip is the top of the index
# finger, which is where the pointer acts.
HAND = [
    ".....##..........",
    "....#oo#.........",
    "....#oo#.........",
    "....#oo#.........",
    "....#oo#.........",
    "....#oo###.......",
    "....#oo#oo###....",
    "....#oo#oo#oo##..",
    "....#oo#oo#oo#o#.",
    ".##.#oo#oo#oo#oo#",
    "#oo##oooooooooo#.",
    "#ooo#ooooooooooo#",
    ".#oo#ooooooooooo#",
    "..#oooooooooooo#.",
    "..#oooooooooooo#.",
    "...#ooooooooooo#.",
    "...#oooooooooo#..",
    "....#ooooooooo#..",
    "....#ooooooooo#..",
    ".....#ooooooo#...",
    ".....#ooooooo#...",
    ".....#########...",
]
HAND_OFFSET = (8, 2)
HAND_HOT_SPOT = (HAND_OFFSET[0] + 5, HAND_OFFSET[1])

# A vertical double arrow: the entry under the pointer moves up or down.
DRAG = [
    "...............#...............",
    "..............#o#..............",
    ".............#ooo#.............",
    "............#ooooo#............",
    "...........#ooooooo#...........",
    "..........#ooooooooo#..........",
    ".........#ooooooooooo#.........",
    "........#######ooo#######......",
    "..............#ooo#............",
    "..............#ooo#............",
    "..............#ooo#............",
    "..............#ooo#............",
    "..............#ooo#............",
    "..............#ooo#............",
    "..............#ooo#............",
    "..............#ooo#............",
    "..............#ooo#............",
    "..............#ooo#............",
    "..............#ooo#............",
    "..............#ooo#............",
    "........#######ooo#######......",
    ".........#ooooooooooo#.........",
    "..........#ooooooooo#..........",
    "...........#ooooooo#...........",
    "............#ooooo#............",
    ".............#ooo#.............",
    "..............#o#..............",
    "...............#...............",
]
DRAG_OFFSET = (1, 2)

COLOURS = {"#": (0, 0, 0, 255), "o": (255, 255, 255, 255), ".": (0, 0, 0, 0)}


def canvas(art, offset):
    pixels = [[COLOURS["."]] * SIZE for _ in range(SIZE)]
    for y, row in enumerate(art):
        for x, mark in enumerate(row):
            pixels[offset[1] + y][offset[0] + x] = COLOURS[mark]
    return pixels


def dib(pixels):
    """BITMAPINFOHEADER, BGRA rows bottom-up, then the 1-bit AND mask (set = transparent)."""
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            colour += bytes((b, g, r, a))
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    return header + bytes(colour) + bytes(mask)


def container(kind, image, field1, field2):
    """One-image ICO (kind 1) or CUR (kind 2). For a cursor the two fields are the hot spot;
    for an icon they are the planes and the bit count."""
    directory = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, field1, field2, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = pathlib.Path(__file__).resolve().parent
    hand = dib(canvas(HAND, HAND_OFFSET))
    (here / "HAND-M.CUR").write_bytes(container(2, hand, *HAND_HOT_SPOT))
    drag = dib(canvas(DRAG, DRAG_OFFSET))
    (here / "drag.ico").write_bytes(container(1, drag, 1, 32))


if __name__ == "__main__":
    main()
