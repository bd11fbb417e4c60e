#!/usr/bin/env python3
"""Writes the GIF test files and their expected pixels for tests/core/GifDecoderTests.cpp.

Written independently of core/GifDecoder.cpp (Python standard library only), so that the
decoder's tests compare it with a second implementation instead of with itself:
  - an LZW encoder with a choice of what happens when the code table is full;
  - a GIF89a/GIF87a writer (colour tables, Graphic Control Extension, interlaced row
    order, application/comment/plain-text extensions);
  - a reference compositor that produces, frame by frame, the canvas the decoder must
    return (0xAARRGGBB, transparent = 0, see core/GifDecoder.h).

Outputs (all regenerated on every run, byte-for-byte reproducible):
  tests/data/gif/<name>.gif       the files themselves (for identify, viewers, fuzz seeds)
  tests/data/gif/GifTestData.inc  C++ arrays: each file, its expected frames and delays;
                                  also res/Loading.gif with a hash of its expected frames
                                  (rendered by res/make_loading_gif.py; refused if stale)
  fuzz/corpus/gif/seed_<name>.gif the small ones again, and res/Loading.gif, as libFuzzer
                                  seeds (seed_classic_sample.gif there is the 10x10 file
                                  of GifKnownFile.ClassicTenByTenSample, not generated)

Usage: python3 tools/make_test_gifs.py [--check]
  --check  also decodes every file with ImageMagick (`convert ... -coalesce rgba:-`)
           when it is installed and compares with the reference compositor. Known
           differences: ImageMagick restores a first frame with disposal 3 ("restore to
           previous") to the opaque background colour; browsers and core/GifDecoder.h
           restore it to the initial, transparent canvas (case disposal_mixed, frame 1);
           ImageMagick rejects an LZW minimum code size of 1, which giflib and
           core/GifDecoder decode (case min_code_size); ImageMagick shows an index beyond
           the colour table as entry 0, core/GifDecoder as opaque black
           (case no_colour_table, from frame 1 on).
"""

import os
import shutil
import subprocess
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
DATA_DIR = os.path.join(ROOT, "tests", "data", "gif")
CORPUS_DIR = os.path.join(ROOT, "fuzz", "corpus", "gif")


# ---------------------------------------------------------------------------
# LZW encoder
# ---------------------------------------------------------------------------

class BitWriter:
    """Packs codes least significant bit first, as GIF requires."""

    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.nbits = 0

    def write(self, code, size):
        assert 0 <= code < (1 << size), (code, size)
        self.acc |= code << self.nbits
        self.nbits += size
        while self.nbits >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.nbits -= 8

    def finish(self):
        if self.nbits:
            self.out.append(self.acc & 0xFF)
        self.acc = self.nbits = 0
        return bytes(self.out)


class LzwStats:
    def __init__(self):
        self.codes = 0              # data codes written
        self.clears = 0             # clear codes written (the first one included)
        self.max_next_code = 0      # highest "next free code" the table reached (4096 = full)
        self.codes_while_full = 0   # data codes written while the table was full
        self.max_code_while_full = -1


def lzw_encode(indices, min_code_size, policy="reset", deferred_codes=0, end_code=True,
               stats=None):
    """GIF LZW.

    policy, for when the table is full (next free code 4096):
      "reset"    write a clear code at once and start a new table (what most encoders do);
      "deferred" keep writing codes from the full table (no new entries, 12-bit codes)
                 for deferred_codes more codes, then a clear code;
      "never"    keep using the full table to the end.
    The code size grows once the next free code no longer fits in it; the check follows
    each written code, before that code's new entry is counted (giflib's order).
    """
    stats = stats if stats is not None else LzwStats()
    clear = 1 << min_code_size
    eoi = clear + 1
    bw = BitWriter()

    state = {}

    def reset_table():
        state["table"] = {}
        state["next"] = clear + 2
        state["size"] = min_code_size + 1
        state["full_run"] = 0

    def write_clear():
        bw.write(clear, state["size"])
        stats.clears += 1
        reset_table()

    def emit(code):
        bw.write(code, state["size"])
        stats.codes += 1
        if state["next"] >= 4096:
            stats.codes_while_full += 1
            stats.max_code_while_full = max(stats.max_code_while_full, code)
        if state["next"] >= (1 << state["size"]) and state["size"] < 12:
            state["size"] += 1

    reset_table()
    write_clear()
    prefix = None
    for value in indices:
        assert 0 <= value < clear
        if prefix is None:
            prefix = value
            continue
        key = (prefix, value)
        if key in state["table"]:
            prefix = state["table"][key]
            continue
        emit(prefix)
        if state["next"] < 4096:
            state["table"][key] = state["next"]
            state["next"] += 1
            stats.max_next_code = max(stats.max_next_code, state["next"])
        elif policy == "reset":
            write_clear()
        elif policy == "deferred":
            state["full_run"] += 1
            if state["full_run"] >= deferred_codes:
                write_clear()
        elif policy != "never":
            raise ValueError(policy)
        prefix = value
    if prefix is not None:
        emit(prefix)
    if end_code:
        bw.write(eoi, state["size"])
    return bw.finish()


def sub_blocks(data, block_size=255):
    out = bytearray()
    for i in range(0, len(data), block_size):
        chunk = data[i:i + block_size]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


# ---------------------------------------------------------------------------
# GIF writer
# ---------------------------------------------------------------------------

def u16(value):
    return bytes((value & 0xFF, value >> 8))


def table_bits(palette):
    """Size field n of a colour table with at least len(palette) entries (2 << n)."""
    n = 0
    while (2 << n) < len(palette):
        n += 1
    return n


def colour_table(palette):
    n = table_bits(palette)
    raw = bytearray()
    for i in range(2 << n):
        r, g, b = palette[i] if i < len(palette) else (0, 0, 0)
        raw += bytes((r, g, b))
    return n, bytes(raw)


def interlaced_rows(height):
    rows = []
    for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
        rows.extend(range(start, height, step))
    return rows


class Frame:
    def __init__(self, w, h, indices, left=0, top=0, palette=None, interlace=False,
                 delay=None, disposal=None, transparent=None, min_code_size=None,
                 policy="reset", deferred_codes=0, block_size=255, end_code=True,
                 before=b""):
        assert len(indices) == w * h
        self.w, self.h, self.indices = w, h, list(indices)
        self.left, self.top = left, top
        self.palette = palette            # local colour table or None
        self.interlace = interlace
        self.delay = delay                # None: no Graphic Control Extension
        self.disposal = disposal or 0
        self.transparent = transparent
        self.min_code_size = min_code_size
        self.policy, self.deferred_codes = policy, deferred_codes
        self.block_size, self.end_code = block_size, end_code
        self.before = before              # raw extension bytes written before the image
        self.stats = LzwStats()

    def has_gce(self):
        return self.delay is not None or self.disposal or self.transparent is not None


def gce_bytes(delay, disposal, transparent):
    packed = (disposal << 2) | (1 if transparent is not None else 0)
    return (b"\x21\xF9\x04" + bytes((packed,)) + u16(delay or 0) +
            bytes((transparent if transparent is not None else 0,)) + b"\x00")


def netscape_loop(count):
    return b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + u16(count) + b"\x00"


def comment(text):
    return b"\x21\xFE" + sub_blocks(text)


def write_gif(width, height, frames, global_palette=None, version=b"89a", background=0,
              header_extras=b""):
    out = bytearray(b"GIF" + version)
    packed = 0
    gct = b""
    if global_palette is not None:
        n, gct = colour_table(global_palette)
        packed = 0x80 | (7 << 4) | n
    out += u16(width) + u16(height) + bytes((packed, background, 0)) + gct
    out += header_extras
    for f in frames:
        out += f.before
        if f.has_gce():
            out += gce_bytes(f.delay, f.disposal, f.transparent)
        palette = f.palette if f.palette is not None else global_palette
        ipacked = 0
        lct = b""
        if f.palette is not None:
            n, lct = colour_table(f.palette)
            ipacked = 0x80 | n
        if f.interlace:
            ipacked |= 0x40
        out += b"\x2C" + u16(f.left) + u16(f.top) + u16(f.w) + u16(f.h) + bytes((ipacked,)) + lct
        mcs = f.min_code_size
        if mcs is None:
            mcs = max(2, table_bits(palette or [(0, 0, 0)] * 2) + 1)
        if f.interlace:
            stream = []
            for y in interlaced_rows(f.h):
                stream.extend(f.indices[y * f.w:(y + 1) * f.w])
        else:
            stream = f.indices
        data = lzw_encode(stream, mcs, f.policy, f.deferred_codes, f.end_code, f.stats)
        out += bytes((mcs,)) + sub_blocks(data, f.block_size)
    out += b"\x3B"
    return bytes(out)


# ---------------------------------------------------------------------------
# Reference compositor (the semantics documented in core/GifDecoder.h)
# ---------------------------------------------------------------------------

def argb(rgb):
    r, g, b = rgb
    return 0xFF000000 | (r << 16) | (g << 8) | b


def compose(width, height, frames, global_palette):
    canvas = [0] * (width * height)
    result = []
    for f in frames:
        palette = f.palette if f.palette is not None else global_palette
        saved = list(canvas) if f.disposal == 3 else None
        for y in range(f.h):
            cy = f.top + y
            if cy >= height:
                continue
            for x in range(f.w):
                cx = f.left + x
                if cx >= width:
                    continue
                index = f.indices[y * f.w + x]
                if f.transparent is not None and index == f.transparent:
                    continue
                if palette is not None and index < len(palette):
                    canvas[cy * width + cx] = argb(palette[index])
                else:
                    canvas[cy * width + cx] = 0xFF000000
        result.append(list(canvas))
        if f.disposal == 2:
            for y in range(f.top, min(f.top + f.h, height)):
                for x in range(f.left, min(f.left + f.w, width)):
                    canvas[y * width + x] = 0
        elif f.disposal == 3:
            canvas = saved
    return result


# ---------------------------------------------------------------------------
# Test images
# ---------------------------------------------------------------------------

class Lcg:
    """Small fixed pseudo-random sequence (same on every Python version)."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self, bound):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return (self.state >> 8) % bound


WHITE, BLACK = (255, 255, 255), (0, 0, 0)
RED, GREEN, BLUE = (220, 20, 60), (34, 139, 34), (13, 91, 153)
YELLOW, GREY = (250, 200, 10), (128, 128, 128)
PALETTE4 = [WHITE, RED, BLUE, BLACK]
PALETTE8 = [WHITE, RED, GREEN, BLUE, YELLOW, GREY, BLACK, (0, 200, 200)]


def pattern(w, h, f):
    return [f(x, y) for y in range(h) for x in range(w)]


def fill(w, h, value):
    return [value] * (w * h)


def make_cases():
    """Returns (name, description, width, height, frames, global_palette, version,
    header_extras, loop, complete)."""
    cases = []

    def add(name, description, width, height, frames, global_palette, version=b"89a",
            header_extras=b"", loop=None, complete=True):
        if loop is not None and b"NETSCAPE2.0" not in header_extras:
            header_extras = netscape_loop(loop) + header_extras
        cases.append((name, description, width, height, frames, global_palette, version,
                      header_extras, loop, complete))

    # Single frame, GIF87a, no extension at all.
    add("single", "one 10x7 frame, GIF87a, 4-colour global table", 10, 7,
        [Frame(10, 7, pattern(10, 7, lambda x, y: (x // 3 + y) % 4))], PALETTE4, version=b"87a")

    # Each disposal method over the same three frames: a full background, a square with a
    # transparent hole in the middle, then a second square over a different place.
    def disposal_frames(method):
        bg = pattern(8, 8, lambda x, y: 2 if (x + y) % 2 else 0)  # blue/white checks
        square = pattern(4, 4, lambda x, y: 0 if 1 <= x <= 2 and 1 <= y <= 2 else 1)
        return [
            Frame(8, 8, bg, delay=10, disposal=1),
            Frame(4, 4, square, left=1, top=2, delay=20, disposal=method, transparent=0),
            Frame(3, 3, fill(3, 3, 3), left=4, top=4, delay=35, disposal=method),
        ]

    for method, name in ((0, "disposal_unspecified"), (1, "disposal_none"),
                         (2, "disposal_background"), (3, "disposal_previous")):
        add(name, "3 frames, second and third with disposal method %d" % method, 8, 8,
            disposal_frames(method), PALETTE4, loop=0)

    # Restore-to-previous on the very first frame and a chain of mixed methods.
    add("disposal_mixed", "methods 3, 2, 1, 3, 0 in a row over a 6x5 screen", 6, 5, [
        Frame(6, 5, fill(6, 5, 1), delay=5, disposal=3),
        Frame(6, 5, pattern(6, 5, lambda x, y: 2 if x < 3 else 4), delay=5, disposal=2,
              transparent=4),
        Frame(2, 2, fill(2, 2, 3), left=4, top=3, delay=5, disposal=1),
        Frame(3, 2, [5, 6, 5, 6, 5, 6], left=0, top=0, delay=5, disposal=3),
        Frame(1, 1, [7], left=5, top=0, delay=5),
    ], PALETTE8, loop=3)

    # Interlaced: a height that has rows in all four passes, and a tiny one.
    add("interlaced", "interlaced 11x13 (rows in all 4 passes)", 11, 13,
        [Frame(11, 13, pattern(11, 13, lambda x, y: (y * 3 + x) % 8), interlace=True)], PALETTE8)
    add("interlaced_small", "interlaced 5x3 frame on a 5x3 screen, and a 3x2 one", 5, 3, [
        Frame(5, 3, pattern(5, 3, lambda x, y: y + 1), interlace=True, delay=1),
        Frame(3, 2, [4, 5, 6, 7, 4, 5], left=1, top=1, interlace=True, delay=1),
    ], PALETTE8)

    # Transparency: transparent pixels stay 0 on a first frame.
    add("transparent", "one 9x5 frame whose index 3 is transparent", 9, 5,
        [Frame(9, 5, pattern(9, 5, lambda x, y: 3 if (x - 4) ** 2 + (y - 2) ** 2 > 5 else 2),
               transparent=3, delay=0)], PALETTE4)

    # Local colour tables: global, local, global again; one local table of another size.
    local_a = [(10, 20, 30), (40, 50, 60), (70, 80, 90), (100, 110, 120)]
    local_b = [(i * 15, 255 - i * 15, (i * 37) % 256) for i in range(16)]
    add("local_table", "frames using global, local (4), global, local (16) tables", 7, 6, [
        Frame(7, 6, pattern(7, 6, lambda x, y: (x + y) % 4), delay=3),
        Frame(5, 4, pattern(5, 4, lambda x, y: (x * y) % 4), left=1, top=1, palette=local_a, delay=3),
        Frame(3, 3, fill(3, 3, 1), left=0, top=3, delay=3),
        Frame(7, 2, pattern(7, 2, lambda x, y: x + 7 * y), left=0, top=4, palette=local_b, delay=3),
    ], PALETTE4)

    # Clipping: frames that stick out of the logical screen right and bottom, and one
    # entirely outside it.
    add("clipped", "frames partly and wholly outside a 6x4 screen", 6, 4, [
        Frame(6, 4, fill(6, 4, 0), delay=2),
        Frame(4, 3, pattern(4, 3, lambda x, y: 1 + (x + y) % 3), left=4, top=2, delay=2, disposal=2),
        Frame(5, 5, fill(5, 5, 3), left=3, top=3, delay=2),
        Frame(2, 2, fill(2, 2, 1), left=6, top=0, delay=2),
        Frame(2, 2, fill(2, 2, 2), left=40, top=40, delay=2, disposal=2),
    ], PALETTE4)

    # The LZW table fills up to 4096 codes: noisy 8-bit data so that strings stay short
    # and the table fills fast.
    def noise(w, h, seed, colours=256, runs=False):
        rng = Lcg(seed)
        values = []
        while len(values) < w * h:
            v = rng.next(colours)
            values.extend([v] * (1 + rng.next(3) if runs else 1))
        return values[:w * h]

    palette256 = [((i * 7) % 256, (i * 13 + 50) % 256, (255 - i) % 256) for i in range(256)]
    add("lzw_full_reset", "96x80 noise: table fills to 4096 codes, then a clear code", 96, 80,
        [Frame(96, 80, noise(96, 80, 1), policy="reset")], palette256)
    add("lzw_deferred_clear", "120x96 noise, 64 colours: full table kept for 400 codes, then a clear", 120, 96,
        [Frame(120, 96, noise(120, 96, 2, colours=64, runs=True), policy="deferred",
               deferred_codes=400, palette=palette256[:64])], None)
    add("lzw_never_clear", "100x120 of 16 colours, interlaced: full table used to the end", 100, 120,
        [Frame(100, 120, noise(100, 120, 3, colours=16), policy="never", interlace=True)],
        palette256[:16])

    # Minimum code sizes: 1 (giflib's convention for 2 colours) and 8 with 2 colours.
    add("min_code_size", "two 2-colour frames, LZW minimum code sizes 1 and 8", 9, 4, [
        Frame(9, 4, pattern(9, 4, lambda x, y: (x + y) % 2), min_code_size=1, delay=1),
        Frame(9, 4, pattern(9, 4, lambda x, y: (x // 2 + y) % 2), min_code_size=8, delay=1),
    ], [BLUE, WHITE])

    # Extensions to skip, a loop count, small sub-blocks, no end code, a GCE that applies
    # to the next image only, a delay above 255.
    skip = (comment(b"made by tools/make_test_gifs.py") +
            b"\x21\xFF\x0BXMP DataXMP\x05hello\x00" +
            b"\x21\x01\x0C" + bytes(12) + b"\x03abc\x00")
    add("extensions", "comment, XMP, plain text, NETSCAPE loop 7, 1-byte blocks, no end code",
        5, 5, [
            Frame(5, 5, pattern(5, 5, lambda x, y: x % 4), delay=300, block_size=1, before=skip),
            Frame(5, 5, fill(5, 5, 2), left=0, top=0, end_code=False, before=comment(b"x")),
        ], PALETTE4, header_extras=netscape_loop(7) + comment(b"header"), loop=7)

    # No colour table at all: every pixel opaque black; an index beyond a 4-entry table
    # (min code size 3 allows 0..7) too.
    # The last frame's 2-entry local table follows an 8-entry one: its indices 2 and 3 are
    # beyond it, whatever the previous table held there.
    add("no_colour_table", "no global or local table, and indices beyond a table", 4, 2, [
        Frame(4, 2, [0, 1, 2, 3, 3, 2, 1, 0], delay=1),
        Frame(4, 1, [0, 5, 6, 7], palette=[RED, GREEN, BLUE, YELLOW], min_code_size=3, delay=1),
        Frame(4, 1, [4, 5, 6, 7], left=0, top=1, palette=PALETTE8, delay=1),
        Frame(4, 1, [0, 1, 2, 3], left=0, top=1, palette=[WHITE, GREEN], min_code_size=2, delay=1),
    ], None)

    return cases


# ---------------------------------------------------------------------------
# Output
# ---------------------------------------------------------------------------

def camel(name):
    return "".join(part.capitalize() for part in name.split("_"))


def c_array(ctype, name, values, per_line, fmt):
    lines = ["inline constexpr %s %s[] = {" % (ctype, name)]
    for i in range(0, len(values), per_line):
        lines.append("    " + ", ".join(fmt % v for v in values[i:i + per_line]) + ",")
    lines.append("};")
    return "\n".join(lines)


def imagemagick_frames(path, width, height):
    convert = shutil.which("convert")
    if convert is None:
        return None
    # ImageMagick 6 writes the frames but exits with 1 on frames that stick out of the
    # logical screen ("no pixels defined in cache"): compare what it wrote anyway.
    raw = subprocess.run([convert, path, "-coalesce", "rgba:-"], check=False,
                         capture_output=True).stdout
    size = width * height * 4
    frames = []
    for i in range(0, len(raw), size):
        chunk = raw[i:i + size]
        pixels = []
        for p in range(width * height):
            r, g, b, a = chunk[4 * p:4 * p + 4]
            pixels.append(0 if a == 0 else (a << 24) | (r << 16) | (g << 8) | b)
        frames.append(pixels)
    return frames


def fnv1a64(pixels):
    h = 0xCBF29CE484222325
    for p in pixels:
        for shift in (0, 8, 16, 24):
            h ^= (p >> shift) & 0xFF
            h = (h * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return h


def loading_asset_arrays():
    """res/Loading.gif as shipped, and what it must decode to according to the frames
    res/make_loading_gif.py rendered (whole frames, before it cut them into changed
    rectangles with transparency): frame count, delays and a hash of every pixel."""
    import importlib.util
    script = os.path.join(ROOT, "res", "make_loading_gif.py")
    module_spec = importlib.util.spec_from_file_location("make_loading_gif", script)
    loading = importlib.util.module_from_spec(module_spec)
    module_spec.loader.exec_module(loading)
    with open(os.path.join(ROOT, "res", "Loading.gif"), "rb") as f:
        shipped = f.read()
    built, _ = loading.build()
    assert built == shipped, "res/Loading.gif is stale: run res/make_loading_gif.py"
    with open(os.path.join(CORPUS_DIR, "seed_loading.gif"), "wb") as f:
        f.write(shipped)

    colours = [argb(c) for c in loading.palette()]
    frames, delays = [], []
    for f in range(loading.FRAMES):
        pixels = [colours[i] for i in loading.render(f)]
        if frames and pixels == frames[-1]:
            delays[-1] += loading.FRAME_MS
        else:
            frames.append(pixels)
            delays.append(loading.FRAME_MS)
    digest = fnv1a64([p for frame in frames for p in frame])
    return [
        "// res/Loading.gif (%d bytes): %d frames of %dx%d; kLoadingPixelsFnv1a is the 64-bit"
        % (len(shipped), len(frames), loading.WIDTH, loading.HEIGHT),
        "// FNV-1a of all frames' pixels (0xAARRGGBB, each as 4 little-endian bytes) as",
        "// res/make_loading_gif.py rendered them.",
        c_array("std::uint8_t", "kLoadingGif", list(shipped), 20, "%d"),
        c_array("unsigned", "kLoadingDelays", delays, 20, "%d"),
        "inline constexpr unsigned kLoadingWidth = %d;" % loading.WIDTH,
        "inline constexpr unsigned kLoadingHeight = %d;" % loading.HEIGHT,
        "inline constexpr std::uint64_t kLoadingPixelsFnv1a = 0x%016XULL;" % digest,
    ]


def main(argv):
    check = "--check" in argv
    os.makedirs(DATA_DIR, exist_ok=True)
    os.makedirs(CORPUS_DIR, exist_ok=True)

    inc = ["// Generated by tools/make_test_gifs.py; do not edit. Regenerate with",
           "//   python3 tools/make_test_gifs.py",
           "// Each case: the GIF file, and the frames a decoder following core/GifDecoder.h must",
           "// return, composed by the script's own reference compositor. Pixels are indices into",
           "// the case's colour list (0xAARRGGBB, 0 = transparent) to keep this file small.",
           "#pragma once",
           "",
           "#include <cstdint>",
           "#include <span>",
           "",
           "namespace gif_test_data {",
           "",
           "struct Case {",
           "    const char* name;",
           "    const char* description;",
           "    std::span<const std::uint8_t> gif;",
           "    unsigned width;",
           "    unsigned height;",
           "    int loopCount;  // -1: no NETSCAPE2.0 extension",
           "    bool complete;",
           "    std::span<const unsigned> delaysMs;",
           "    std::span<const std::uint32_t> colours;",
           "    std::span<const std::uint16_t> pixels;  // frames * width * height colour indices",
           "    // LZW encoder statistics over all frames (see tools/make_test_gifs.py).",
           "    unsigned maxNextCode;     // 4096: the code table was filled",
           "    unsigned codesWhileFull;  // data codes written while the table was full",
           "    unsigned clears;          // clear codes written",
           "};",
           ""]
    entries = []
    for (name, description, width, height, frames, palette, version, extras, loop,
         complete) in make_cases():
        data = write_gif(width, height, frames, palette, version, header_extras=extras)
        path = os.path.join(DATA_DIR, name + ".gif")
        with open(path, "wb") as f:
            f.write(data)
        if len(data) <= 1024:
            with open(os.path.join(CORPUS_DIR, "seed_" + name + ".gif"), "wb") as f:
                f.write(data)
        expected = compose(width, height, frames, palette)

        if check:
            im = imagemagick_frames(path, width, height)
            if im is None:
                print("imagemagick not installed: --check skipped")
            elif im != expected:
                bad = [i for i in range(min(len(im), len(expected))) if im[i] != expected[i]]
                print("%s: ImageMagick disagrees (%d vs %d frames, differing frames %s)"
                      % (name, len(im), len(expected), bad))
            else:
                print("%s: ImageMagick agrees (%d frames)" % (name, len(im)))

        stats = LzwStats()
        for f in frames:
            stats.max_next_code = max(stats.max_next_code, f.stats.max_next_code)
            stats.codes_while_full += f.stats.codes_while_full
            stats.clears += f.stats.clears
        if name.startswith("lzw_"):
            assert stats.max_next_code == 4096, (name, stats.max_next_code)
        if name in ("lzw_deferred_clear", "lzw_never_clear"):
            assert stats.codes_while_full >= 400, (name, stats.codes_while_full)
        if name == "lzw_deferred_clear":
            assert stats.clears >= 2, (name, stats.clears)

        colours = sorted({p for frame in expected for p in frame})
        index = {c: i for i, c in enumerate(colours)}
        pixels = [index[p] for frame in expected for p in frame]
        delays = [(f.delay or 0) * 10 for f in frames]
        cname = camel(name)
        inc.append("// %s: %s (%d bytes)" % (name, description, len(data)))
        inc.append(c_array("std::uint8_t", "k%sGif" % cname, list(data), 20, "%d"))
        inc.append(c_array("unsigned", "k%sDelays" % cname, delays, 20, "%d"))
        inc.append(c_array("std::uint32_t", "k%sColours" % cname, colours, 8, "0x%08Xu"))
        inc.append(c_array("std::uint16_t", "k%sPixels" % cname, pixels, 32, "%d"))
        inc.append("")
        entries.append('    {"%s", "%s", k%sGif, %d, %d, %d, %s, k%sDelays, k%sColours, k%sPixels, %d, %d, %d},'
                       % (name, description, cname, width, height, -1 if loop is None else loop,
                          "true" if complete else "false", cname, cname, cname,
                          stats.max_next_code, stats.codes_while_full, stats.clears))
    inc.append("inline constexpr Case kCases[] = {")
    inc.extend(entries)
    inc.append("};")
    inc.append("")
    inc.extend(loading_asset_arrays())
    inc.append("")
    inc.append("}  // namespace gif_test_data")
    with open(os.path.join(DATA_DIR, "GifTestData.inc"), "w", newline="\n") as f:
        f.write("\n".join(inc) + "\n")
    print("wrote %d cases to %s" % (len(entries), os.path.relpath(DATA_DIR, ROOT)))


if __name__ == "__main__":
    main(sys.argv[1:])
