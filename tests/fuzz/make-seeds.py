#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets (tests/fuzz/corpus/).

The seeds are small hand-made inputs that reach every branch the input
format offers, so that a short fuzz run starts from the whole game rather
than from nothing. Run it again after changing the input format of
GameDriver.h or FuzzRawImage.cpp; the files are committed.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

RIGHT, LEFT, UP, DOWN, R, STICK, BUTTON2, EVENT = 1, 2, 4, 8, 16, 32, 64, 128
(ENTER, BUTTON3, ESCAPE, FOCUS, CLOSED_PAUSED, QUIT, CLOSE, SURFACES,
 JOYSTICK, KEYBOARD) = range(10)


def record(keys=0, frames=1, deflection=3, event=None, argument=0):
    """One record: keys held for `frames` frames (1 to 64)."""
    extra = 0
    if event is not None:
        keys |= EVENT
        extra = argument * 10 + event
    return bytes([keys, (deflection << 6) | (frames - 1), extra])


def game(seed, *records):
    return struct.pack(">I", seed) + b"".join(records)


def write(folder, name, data):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(data)


def games():
    # Walk out of the start corner, lay a bomb, get out of its reach and
    # watch it go off, then walk into the rubble.
    write("game", "walk-bomb-wait", game(
        1,
        record(RIGHT, 40), record(R, 1), record(LEFT, 30), record(DOWN, 40),
        record(0, 64), record(0, 64), record(UP, 40), record(RIGHT, 64)))
    # The same with the joystick, at each deflection.
    write("game", "joystick", game(
        2,
        record(STICK | RIGHT, 30, 3), record(STICK | BUTTON2, 1),
        record(STICK | LEFT, 30, 2), record(STICK | DOWN, 40, 1),
        record(STICK | DOWN, 40, 0), record(0, 64), record(0, 64),
        record(STICK | UP | LEFT, 64, 3)))
    # Every event once, between short walks.
    events = [record(RIGHT | R, 20)]
    for event in (ENTER, BUTTON3, FOCUS, SURFACES, JOYSTICK, KEYBOARD,
                  JOYSTICK, QUIT):
        events.append(record(DOWN, 8, event=event, argument=3))
        events.append(record(UP | R, 30))
    write("game", "every-event", game(3, *events))
    # Enter held until the window loses the focus; then the window closed
    # while the game is paused.
    write("game", "enter-until-focus-lost", game(
        4, record(RIGHT, 10), record(0, 2, event=ENTER, argument=7),
        record(LEFT, 10), record(0, 1, event=CLOSED_PAUSED, argument=2),
        record(RIGHT, 10)))
    # Games ended by Escape and by a close request, each followed by a new
    # one.
    write("game", "games-end", game(
        5, record(DOWN | R, 30), record(0, 1, event=ESCAPE),
        record(RIGHT | R, 30), record(0, 1, event=CLOSE), record(UP, 30)))
    # All four arrows at once, and the bomb held on every frame.
    write("game", "every-key", game(
        6, record(RIGHT | LEFT | UP | DOWN | R, 64),
        record(LEFT | UP | DOWN | R, 64), record(UP | DOWN | R, 64)))


def raw(flags, count, contents):
    """flags: bit 0 5-5-5; bits 1-2 surface; bit 3 missing; bit 4 own count."""
    return bytes([flags]) + struct.pack("<i", count) + contents


def pictures():
    tile = bytes((i * 7) & 255 for i in range(16 * 16 * 3))
    write("raw_image", "tile-exact", raw(1 << 1, 256, tile))
    write("raw_image", "tile-555", raw(1 | 1 << 1, 256, tile))
    write("raw_image", "tile-short", raw(1 << 1, 256, tile[:100]))
    write("raw_image", "tile-cut-in-a-pixel", raw(1 << 1, 256, tile[:7]))
    write("raw_image", "tile-long", raw(1 << 1, 256, tile + tile))
    write("raw_image", "empty", raw(0, 384, b""))
    write("raw_image", "missing", raw(8, 384, tile))
    write("raw_image", "count-negative", raw(0, -5, tile))
    write("raw_image", "count-huge", raw(2 << 1, 0x7FFFFFFF, tile))
    write("raw_image", "own-count", raw(16 | 3 << 1, 0, tile))
    status = bytes((255 - i) & 255 for i in range(256 * 23 * 3))
    write("raw_image", "status-bar", raw(2 << 1, 5888, status))


if __name__ == "__main__":
    games()
    pictures()
