#!/usr/bin/env python3
"""Writes the record-file seed corpus (tests/files/corpus): small valid files
that load completely and save back byte for byte."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "files", "corpus")


def record(kind, start, end, label=0, reserved=(0, 0, 0), stamp=(0, 0, 0, 0),
           rule=(0, 0, 0, 0), part=b"\0\0\0\0", extra=b"", done=b"", text=b"", link=b""):
    size = 40 + len(extra) + len(done) + len(text) + len(link)
    head = struct.pack("<HHHIHHHHHHBBBBBBHHHH", size, kind, reserved[0], reserved[1], reserved[2],
                       label, start, end, stamp[0], stamp[1], stamp[2], stamp[3], *rule,
                       len(extra), len(done), len(text), len(link))
    assert len(head) == 36
    if 4 <= kind <= 8:
        head += part
    return head + extra + done + text + link


END = struct.pack("<HH", 4, 2)

FILES = {
    "end-only": END,
    "one-task": record(8, 36525, 65535, part=bytes([0, 0, 2, 0]), text=b"abc") + END,
    "every-kind": b"".join([
        record(4, 44000, 44001, label=1, rule=(5, 1, 0, 0), text="元日".encode("cp932")),
        record(5, 44010, 44010, reserved=(7, 0x01020304, 9), part=bytes([9, 30, 0, 0]),
               extra=struct.pack("<HH", 1, 2)),
        record(6, 44020, 44100, label=3, stamp=(1, 44019, 8, 15), rule=(4, 1, 0x10, 0x20),
               part=bytes([10, 0, 11, 30]), text="会議\n本社".encode("cp932"), link=b"memo.txt"),
        record(7, 44030, 44030, part=bytes([1, 2, 3, 4]), extra=b"\x01\x02\x03"),
        record(8, 44040, 65535, part=bytes([0x34, 0x12, 1, 0]), done=struct.pack("<H", 44041),
               text="買い物".encode("cp932")),
        record(3, 44050, 44050, text=b"deleted"),
    ]) + END,
    "repeats": b"".join([
        record(6, 44200 + i, 44200 + i + 400, rule=(r, 2, 1 << (i % 7), 1 << (i % 5)),
               part=bytes([i, 0, i + 1, 0]), text=b"r%d" % r)
        for i, r in enumerate(range(0, 7))
    ]) + END,
    # Interval 0 (read as 1) on every rule, on a day outside the last week.
    "interval-zero": b"".join([
        record(6, 44208, 44208 + 400, rule=(r, 0, 0x02, 0x20), part=bytes([9, 0, 10, 0]),
               text=b"z%d" % r)
        for r in range(1, 7)
    ]) + END,
}

os.makedirs(OUT, exist_ok=True)
for name, data in FILES.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
