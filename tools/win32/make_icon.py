#!/usr/bin/env python3
"""Writes src/host/win32/velmo.ico from Velmo's own 16 x 16 icon (the
picture in src/shell/Title.cpp) at 16, 32 and 48 pixels, each pixel an
s x s square of its grey. Run it again when the picture changes."""
import re
import struct
import sys
from pathlib import Path

root = Path(__file__).resolve().parents[2]
source = (root / "src/shell/Title.cpp").read_text()
block = source[source.index("kIconPicture{{"):]
rows = re.findall(r'"([.\-+#]{16})"', block)[:16]
if len(rows) != 16:
    sys.exit("make_icon: no 16 x 16 picture in Title.cpp")
grey = {".": 255, "-": 170, "+": 85, "#": 0}


def image(scale):
    side = 16 * scale
    pixels = bytearray()
    for y in reversed(range(side)):  # bottom-up rows
        for x in range(side):
            g = grey[rows[y // scale][x // scale]]
            pixels += bytes((g, g, g, 255))
    mask = bytes(((side + 31) // 32 * 4) * side)  # all opaque
    header = struct.pack("<IiiHHIIiiII", 40, side, side * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return side, header + pixels + mask


images = [image(s) for s in (1, 2, 3)]
out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
offset = 6 + 16 * len(images)
for side, data in images:
    out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
for _, data in images:
    out += data
(root / "src/host/win32/velmo.ico").write_bytes(out)
