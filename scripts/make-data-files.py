#!/usr/bin/env python3
"""Writes the data files shipped beside the program: data/T.edr (the colour side file template)
and data/ColorTable.dat (the thread texture tile of the 3D view). Both are our own data; run
this script again only to change them."""
import math
import os
import struct

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")

# T.edr: 256 four-byte entries. Exports overwrite the first entries with their block colours and
# entry 254 with the export mark C0 C0 C0 00; the rest stays black.
entries = [0] * 256
entries[254] = 0x00C0C0C0
with open(os.path.join(root, "T.edr"), "wb") as f:
    f.write(struct.pack("<256i", *entries))

# ColorTable.dat: one stitch of twisted thread seen from above, in grey; the 3D view tints it with
# each thread colour. Rows run across the thread, columns along it.
ROWS, COLS, USED_ROWS, USED_COLS = 12, 32, 8, 24
TRANSPARENT = 0x0F000000
cells = [TRANSPARENT] * (ROWS * COLS)
for r in range(USED_ROWS):
    across = (r + 0.5) / USED_ROWS * 2 - 1             # -1 .. 1 across the thread
    for c in range(USED_COLS):
        along = (c + 0.5) / USED_COLS * 2 - 1          # -1 .. 1 along the stitch
        # Rounded ends: the thread narrows where it dives into the fabric.
        if abs(across) > math.sqrt(max(0.0, 1 - along ** 8)):
            continue
        shade = 0.30 + 0.70 * math.cos(across * math.pi / 2)   # a lit cylinder
        twist = 0.82 + 0.18 * math.cos((c * 2 + r) * math.pi / 3)  # plies wound round it
        v = max(0, min(255, round(255 * shade * twist)))
        cells[r * COLS + c] = v | v << 8 | v << 16
with open(os.path.join(root, "ColorTable.dat"), "wb") as f:
    f.write(struct.pack("<iii", 99103, USED_ROWS, USED_COLS))
    f.write(struct.pack("<%dI" % len(cells), *cells))
