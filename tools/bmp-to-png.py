#!/usr/bin/env python3
"""Converts the uncompressed 24-bit BMP pictures of a folder to PNG files in another.

    bmp-to-png.py BMP_FOLDER PNG_FOLDER

Only the BMP kind our programs write (BI_RGB, 24 bits, either row order) is read; any
other file is reported and skipped.
"""
import pathlib
import struct
import sys
import zlib


def read_bmp(data):
    if data[:2] != b"BM" or len(data) < 54:
        raise ValueError("not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0 or width <= 0 or height == 0:
        raise ValueError("not an uncompressed 24-bit BMP")
    stride = (width * 3 + 3) & ~3
    if offset + stride * abs(height) > len(data):
        raise ValueError("truncated BMP")
    rows = []
    for y in range(abs(height)):
        stored = abs(height) - 1 - y if height > 0 else y
        row = data[offset + stored * stride: offset + stored * stride + width * 3]
        rgb = bytearray(row)
        rgb[0::3], rgb[2::3] = row[2::3], row[0::3]
        rows.append(bytes(rgb))
    return width, abs(height), rows


def png_chunk(kind, payload):
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))


def write_png(path, width, height, rows):
    raw = b"".join(b"\x00" + row for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
                     + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source, target = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    target.mkdir(parents=True, exist_ok=True)
    for bmp in sorted(source.glob("*.bmp")):
        try:
            write_png(target / (bmp.stem + ".png"), *read_bmp(bmp.read_bytes()))
        except ValueError as error:
            print(f"{bmp.name}: {error}", file=sys.stderr)


if __name__ == "__main__":
    main()
