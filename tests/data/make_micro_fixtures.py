#!/usr/bin/python3
"""Makes tests/data/micro/symbols.txt: Micro QR symbols made by segno (Debian python3-segno) and
zint, and rMQR symbols made by zint (Debian zint), every version and level, the data modes in
turn. For each symbol a header line "# maker<TAB>format<TAB>version<TAB>level<TAB>hex-data" is
followed by its rows of modules (1 = dark), no quiet zone.

Run it with Debian's python: /usr/bin/python3 tests/data/make_micro_fixtures.py
"""
import os
import random
import subprocess

import segno

RMQR_SIZES = [(7, 43), (7, 59), (7, 77), (7, 99), (7, 139), (9, 43), (9, 59), (9, 77), (9, 99), (9, 139),
              (11, 27), (11, 43), (11, 59), (11, 77), (11, 99), (11, 139), (13, 27), (13, 43), (13, 59),
              (13, 77), (13, 99), (13, 139), (15, 43), (15, 59), (15, 77), (15, 99), (15, 139), (17, 43),
              (17, 59), (17, 77), (17, 99), (17, 139)]
MICRO_LEVELS = {"M1": "L", "M2": "LM", "M3": "LM", "M4": "LMQ"}
rng = random.Random(20)


def sample(mode, length):
    if mode == "numeric":
        return "".join(rng.choice("0123456789") for _ in range(length))
    if mode == "alphanumeric":
        return "".join(rng.choice("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:") for _ in range(length))
    if mode == "byte":
        return "".join(rng.choice("abcdefghijklmnopqrstuvwxyz!?") for _ in range(length))
    return "".join(rng.choice("漢字日本語点") for _ in range(length))


def zint(barcode, options, text):
    out = subprocess.run(["zint", "--barcode=%d" % barcode, "--dump", "-d", text] + options,
                         capture_output=True, text=True)
    if out.returncode != 0 or not out.stdout.strip():
        return None
    return ["".join(format(int(h, 16), "04b") for h in line.replace(" ", "")) for line in out.stdout.strip().split("\n")]


def longest(make, mode, most):
    """The symbol of the longest sample of `mode` (up to `most` characters) that `make` takes."""
    best = None
    for length in range(1, most + 1):
        text = sample(mode, length)
        rows = make(text)
        if rows is None:
            break
        best = (text, rows)
    return best


def write(out, maker, fmt, version, level, text, rows, width):
    out.write("# %s\t%s\t%s\t%s\t%s\n" % (maker, fmt, version, level, text.encode("utf-8").hex()))
    for row in rows:
        out.write(row[:width] + "\n")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    modes = ["numeric", "alphanumeric", "byte", "kanji"]
    with open(os.path.join(here, "micro", "symbols.txt"), "w") as out:
        for version, levels in MICRO_LEVELS.items():
            side = 2 * int(version[1]) + 9
            for level in levels:
                for mode in modes[:int(version[1])]:
                    def make(text):
                        try:
                            q = segno.make_micro(text, version=version, error=None if version == "M1" else level,
                                               boost_error=False)
                        except Exception:
                            return None
                        return ["".join(str(b) for b in row) for row in q.matrix]
                    found = longest(make, mode, 40)
                    if found:
                        write(out, "segno", "MicroQR", version, level, found[0], found[1], side)
                zlevel = {"L": 1, "M": 2, "Q": 3}[level]
                found = longest(lambda t: zint(97, ["--vers=%s" % version[1], "--secure=%d" % zlevel], t),
                                modes[(int(version[1]) + zlevel) % int(version[1])], 40)
                if found:
                    write(out, "zint", "MicroQR", version, level, found[0], found[1], side)
        for index, (height, width) in enumerate(RMQR_SIZES):
            for level, zlevel, shift in (("M", 2, 0), ("H", 4, 2)):
                mode = modes[(index + shift) % 4]
                found = longest(lambda t: zint(145, ["--vers=%d" % (index + 1), "--secure=%d" % zlevel], t), mode, 400)
                write(out, "zint", "rMQR", "R%dx%d" % (height, width), level, found[0], found[1], width)


main()
