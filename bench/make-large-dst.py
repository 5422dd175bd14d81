#!/usr/bin/env python3
"""Writes a DST file of N stitches (default 1,000,000) for timing `nordelune-cli convert` as a
whole process: a dense satin-like zigzag with a colour change every 50,000 stitches.
Usage: make-large-dst.py OUT.dst [N]"""
import sys

def digits(v):
    # balanced ternary digits for powers 1, 3, 9, 27, 81
    out = []
    for _ in range(5):
        r = v % 3
        if r == 2:
            out.append(-1); v = (v + 1) // 3
        elif r == 1:
            out.append(1); v = (v - 1) // 3
        else:
            out.append(0); v //= 3
    return out

XB = [((0, 0x01), (0, 0x02)), ((1, 0x01), (1, 0x02)), ((0, 0x04), (0, 0x08)), ((1, 0x04), (1, 0x08)), ((2, 0x04), (2, 0x08))]
YB = [((0, 0x80), (0, 0x40)), ((1, 0x80), (1, 0x40)), ((0, 0x20), (0, 0x10)), ((1, 0x20), (1, 0x10)), ((2, 0x20), (2, 0x10))]

def record(dx, dy, flags):
    b = [0, 0, flags]
    for bits, v in ((XB, dx), (YB, dy)):
        for k, d in enumerate(digits(v)):
            if d:
                byte, mask = bits[k][0 if d > 0 else 1]
                b[byte] |= mask
    return bytes(b)

out, n = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 1000000
cache = {}
recs = bytearray()
x = 0
for i in range(n):
    if i and i % 50000 == 0:
        recs += bytes([0, 0, 0xC3])
    dy = 30 if i % 2 else -30
    dx = 1 if (i // 1000) % 2 == 0 else -1
    key = (dx, dy)
    if key not in cache:
        cache[key] = record(dx, dy, 0x03)
    recs += cache[key]
recs += bytes([0, 0, 0xF3])
header = b"LA:large" + b" " * 11 + b"\r" + b"ST:%07d\r" % (len(recs) // 3)
header += b"CO:%03d\r" % (n // 50000) + b" " * (512 - len(header) - 38)
header = header.ljust(512, b" ")
with open(out, "wb") as f:
    f.write(header + recs)
