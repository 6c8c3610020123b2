#!/usr/bin/env python3
"""Compares two PNG screenshots of the same view taken on two systems: the same size (within 2%
for a window sized by its texts), and most rows of pixels alike. Fonts differ between systems, so
the pictures are not compared byte for byte: the share of equal bytes of the filtered rows (the
viewer writes every row with the same filter) must reach a threshold. Prints the share; exits 1
when the sizes differ or the share is too low.
Usage: compare-pictures.py A.png B.png [MIN_SHARE]"""
import struct
import sys
import zlib


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path} is not a PNG file")
    at, size, idat = 8, None, []
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            size = struct.unpack(">II", body[:8])
        elif kind == b"IDAT":
            idat.append(body)
        at += 12 + length
    if size is None:
        raise ValueError(f"{path} has no IHDR chunk")
    return size, zlib.decompress(b"".join(idat))


def equal_share(a, b):
    """The share of positions where the two byte strings hold the same byte."""
    n = min(len(a), len(b))
    if n == 0:
        return 1.0 if len(a) == len(b) else 0.0
    x = (int.from_bytes(a[:n], "big") ^ int.from_bytes(b[:n], "big")).to_bytes(n, "big")
    return x.count(0) / max(len(a), len(b))


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__.split("Usage: ")[1], file=sys.stderr)
        return 2
    threshold = float(sys.argv[3]) if len(sys.argv) == 4 else 0.9
    (size_a, rows_a), (size_b, rows_b) = read_png(sys.argv[1]), read_png(sys.argv[2])
    if size_a != size_b:
        # A window sized by its texts may differ by a few pixels with the fonts' metrics; its
        # rows then no longer line up for the comparison below.
        close = all(abs(a - b) <= 0.02 * max(a, b) for a, b in zip(size_a, size_b))
        print(f"sizes {'within 2%' if close else 'differ'}: "
              f"{size_a[0]}x{size_a[1]} and {size_b[0]}x{size_b[1]}")
        return 0 if close else 1
    share = equal_share(rows_a, rows_b)
    print(f"{size_a[0]}x{size_a[1]}, {share:.1%} alike")
    return 0 if share >= threshold else 1


if __name__ == "__main__":
    sys.exit(main())
