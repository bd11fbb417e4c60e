#!/usr/bin/env python3
"""Generates res/Loading.gif, the scan progress window's animation (control 1084).

200 x 21 pixels, white, five dark blue (RGB 13, 91, 153) dots that sweep from left to
right, slowing down as they pass the middle and bunching up there, then speeding off;
a short pause, and again. Looping forever (NETSCAPE2.0, loop count 0), 40 ms a frame.

Python standard library only; the output is byte-for-byte reproducible:
    python3 res/make_loading_gif.py [output path, default res/Loading.gif]

The file is a real GIF89a: LZW-compressed (variable code size, a clear code when the
12-bit table is full), a first full frame, then for each frame only the rectangle that
changed, with unchanged pixels inside it transparent (disposal 1, "leave in place");
frames that change nothing lengthen the previous frame's delay instead.
"""

import math
import os
import sys

WIDTH, HEIGHT = 200, 21
BACKGROUND = (255, 255, 255)
ACCENT = (13, 91, 153)

FRAME_MS = 40            # GIF delays are in hundredths of a second: 4
FRAMES = 66              # one period: 2.64 s
TRAVEL_FRAMES = 42       # one dot crosses the width in 1.68 s
DOTS = 5
DOT_LAG_FRAMES = 4       # 160 ms between dots: the last one leaves at frame 58
DOT_RADIUS = 2.6
EASE = 0.6               # 0 = constant speed; 1 = stops for a moment mid-way

LEVELS = 15              # anti-aliasing shades from white (0) to the accent (14)
UNCHANGED = 15           # palette index used as "transparent: keep what is there"
SUPERSAMPLE = 4


def palette():
    entries = []
    for level in range(LEVELS):
        t = level / (LEVELS - 1)
        entries.append(tuple(round(b + (a - b) * t) for a, b in zip(ACCENT, BACKGROUND)))
    entries.append(BACKGROUND)  # UNCHANGED: never shown (transparent)
    return entries


def ease(u):
    """Position along the way (0..1) at time u (0..1): speed 1 + EASE cos(2 pi u), so fast
    at the edges and slow mid-way, never stopping."""
    return u + EASE * math.sin(2 * math.pi * u) / (2 * math.pi)


def dot_centres(frame):
    centres = []
    for dot in range(DOTS):
        u = (frame - dot * DOT_LAG_FRAMES) / TRAVEL_FRAMES
        if 0.0 <= u <= 1.0:
            x = -DOT_RADIUS * 2 + (WIDTH + DOT_RADIUS * 4) * ease(u)
            centres.append((x, HEIGHT / 2.0))
    return centres


def render(frame):
    """Palette indices of one whole frame, anti-aliased by supersampling."""
    centres = dot_centres(frame)
    pixels = [0] * (WIDTH * HEIGHT)
    r2 = DOT_RADIUS * DOT_RADIUS
    step = 1.0 / SUPERSAMPLE
    for cx, cy in centres:
        x0 = max(0, int(cx - DOT_RADIUS) - 1)
        x1 = min(WIDTH, int(cx + DOT_RADIUS) + 2)
        y0 = max(0, int(cy - DOT_RADIUS) - 1)
        y1 = min(HEIGHT, int(cy + DOT_RADIUS) + 2)
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for sy in range(SUPERSAMPLE):
                    for sx in range(SUPERSAMPLE):
                        dx = x + (sx + 0.5) * step - cx
                        dy = y + (sy + 0.5) * step - cy
                        if dx * dx + dy * dy <= r2:
                            hits += 1
                level = round(hits * (LEVELS - 1) / (SUPERSAMPLE * SUPERSAMPLE))
                index = y * WIDTH + x
                pixels[index] = max(pixels[index], level)
    return pixels


# --- GIF writing ---------------------------------------------------------------

def lzw(indices, min_code_size):
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, acc, nbits = bytearray(), 0, 0
    size = min_code_size + 1
    table, next_code = {}, clear + 2

    def put(code):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    put(clear)
    prefix = indices[0]
    for value in indices[1:]:
        key = (prefix, value)
        if key in table:
            prefix = table[key]
            continue
        put(prefix)
        # The decoder defines this entry one code later; the code size grows once the
        # next free code no longer fits.
        if next_code >= (1 << size) and size < 12:
            size += 1
        if next_code < 4096:
            table[key] = next_code
            next_code += 1
        else:
            put(clear)
            table, next_code, size = {}, clear + 2, min_code_size + 1
        prefix = value
    put(prefix)
    if next_code >= (1 << size) and size < 12:
        size += 1
    put(end)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        out.append(len(data[i:i + 255]))
        out += data[i:i + 255]
    return bytes(out + b"\x00")


def u16(v):
    return bytes((v & 0xFF, v >> 8))


def changed_box(previous, current):
    xs, ys = [], []
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if previous[y * WIDTH + x] != current[y * WIDTH + x]:
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return min(xs), min(ys), max(xs) + 1, max(ys) + 1


def build():
    colours = palette()
    table_bits = 3  # 16 entries
    min_code_size = 4
    frames = [render(f) for f in range(FRAMES)]

    # (left, top, width, height, indices, delay in hundredths, transparent?)
    images = [(0, 0, WIDTH, HEIGHT, frames[0], FRAME_MS // 10, False)]
    shown = frames[0]
    for current in frames[1:]:
        box = changed_box(shown, current)
        if box is None:
            left, top, width, height, indices, delay, transparent = images[-1]
            images[-1] = (left, top, width, height, indices, delay + FRAME_MS // 10, transparent)
            continue
        x0, y0, x1, y1 = box
        indices = []
        for y in range(y0, y1):
            for x in range(x0, x1):
                new = current[y * WIDTH + x]
                indices.append(new if new != shown[y * WIDTH + x] else UNCHANGED)
        images.append((x0, y0, x1 - x0, y1 - y0, indices, FRAME_MS // 10, True))
        shown = current

    out = bytearray(b"GIF89a")
    out += u16(WIDTH) + u16(HEIGHT) + bytes((0x80 | (7 << 4) | table_bits, 0, 0))
    for r, g, b in colours:
        out += bytes((r, g, b))
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + u16(0) + b"\x00"   # loop forever
    for left, top, width, height, indices, delay, transparent in images:
        packed = (1 << 2) | (1 if transparent else 0)                # disposal 1
        out += b"\x21\xF9\x04" + bytes((packed,)) + u16(delay) + bytes((UNCHANGED, 0))
        out += b"\x2C" + u16(left) + u16(top) + u16(width) + u16(height) + b"\x00"
        out += bytes((min_code_size,)) + blocks(lzw(indices, min_code_size))
    out += b"\x3B"
    return bytes(out), len(images)


def main(argv):
    path = argv[0] if argv else os.path.join(os.path.dirname(os.path.abspath(__file__)), "Loading.gif")
    data, count = build()
    with open(path, "wb") as f:
        f.write(data)
    print("wrote %s: %d bytes, %d frames, %dx%d" % (path, len(data), count, WIDTH, HEIGHT))


if __name__ == "__main__":
    main(sys.argv[1:])
