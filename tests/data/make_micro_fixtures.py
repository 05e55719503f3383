#!/usr/bin/python3
"""Makes the Micro QR and rMQR fixtures in tests/data/micro, symbols made by segno (Debian
python3-segno 1.4.1) and zint (Debian zint 2.11.1). For each symbol a header line
"# maker<TAB>format<TAB>version<TAB>level<TAB>hex-data" is followed by its rows of modules
(1 = dark), no quiet zone; M1, which only detects errors, stands as level L.

- symbols.txt, to read: every version and level (every rMQR size at both levels), the data
  modes in turn, each as long as the symbol holds.
- exact_symbols.txt, to compare our encoders' matrices with, module for module: symbols at a
  fixed version (size), level and mask, where the standard fixes every module. The header has a
  sixth field, the mask asked for: -1 where the maker chose it, - for rMQR (one mask). The data
  are single-mode, so that every encoder segments them alike; short data leave pad codewords
  (and the 4-bit last codeword of M1 and M3) to fill. segno makes M2 and M4 only: segno 1.4.1
  fills the unused data codewords of M1 and M3 with zeros, where the standard puts the pad
  codewords 11101100 and 00010001 as zint does.

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
    """The symbol's rows, or None when zint refuses the text. zint --dump prints each row as
    groups of hexadecimal digits, 4 modules a digit."""
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


def write(out, maker, fmt, version, level, text, rows, width, *more):
    out.write("\t".join(["# " + maker, fmt, version, level, text.encode("utf-8").hex(), *more]) + "\n")
    for row in rows:
        out.write(row[:width] + "\n")


def write_symbols(out):
    modes = ["numeric", "alphanumeric", "byte", "kanji"]
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


# (version, level, mask, data): short data leave pad codewords to fill; full data leave none.
ZINT_MICRO = [
    (1, "L", 0, "1"), (1, "L", -1, "12345"), (1, "L", 3, "908"),
    (2, "L", 1, "AB-12"), (2, "M", -1, "HELLO"), (2, "L", 2, "0123456789"),
    (3, "L", 0, "1"), (3, "L", -1, "abcde"), (3, "M", 3, "MICRO QR"), (3, "M", 2, "12345678901234567"),
    (4, "L", 1, "hello micro"), (4, "M", -1, "HTTPS://A.B/C"), (4, "Q", 0, "12345678901234567890"),
    (4, "Q", -1, "ab"), (4, "L", 3, "1234567890123456789012345678901234"),
]
SEGNO_MICRO = [
    (2, "L", 0, "12345"), (2, "M", -1, "A1"), (4, "L", 2, "lower case"), (4, "M", 1, "ALPHA NUMERIC"),
    (4, "Q", -1, "9876543210"), (4, "Q", 3, "xyz"),
]


def micro_zint(version, level, mask, data):
    options = ["--vers=%d" % version]
    if version > 1:
        options.append("--secure=%d" % ("LMQ".index(level) + 1))
    if mask >= 0:
        options.append("--mask=%d" % mask)
    return zint(97, options, data)


def micro_segno(version, level, mask, data):
    qr = segno.make(data, micro=True, version="M%d" % version, error=level, mask=None if mask < 0 else mask,
                    boost_error=False)
    assert qr.designator == "M%d-%s" % (version, level), qr.designator
    return ["".join(str(bit) for bit in row) for row in qr.matrix]


def rmqr_zint(index, level, data):
    return zint(145, ["--vers=%d" % (index + 1), "--secure=%d" % (2 if level == "M" else 4)], data)


def rmqr_cases():
    """Every size at both levels; numeric, alphanumeric and byte data, short (pad codewords) or
    as long as the symbol holds."""
    sources = ["31415926535897932384626433832795028841971693993751" * 8, "RMQR-" * 60, "rectangular micro qr " * 8]
    for index in range(len(RMQR_SIZES)):
        for li, level in enumerate("MH"):
            source = sources[(index + li) % 3]
            length = 2
            if (index + li) % 2 == 0:
                length = len(source)
                while rmqr_zint(index, level, source[:length]) is None:
                    length -= 1
            yield index, level, source[:length]


def write_exact_symbols(out):
    for maker, cases, make in (("zint", ZINT_MICRO, micro_zint), ("segno", SEGNO_MICRO, micro_segno)):
        for version, level, mask, data in cases:
            side = 2 * version + 9
            rows = make(version, level, mask, data)
            assert rows is not None and len(rows) == side, (maker, version, level, data)
            write(out, maker, "MicroQR", "M%d" % version, level, data, rows, side, str(mask))
    for index, level, data in rmqr_cases():
        height, width = RMQR_SIZES[index]
        rows = rmqr_zint(index, level, data)
        assert rows is not None and len(rows) == height, (index, level, data)
        write(out, "zint", "rMQR", "R%dx%d" % (height, width), level, data, rows, width, "-")


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "micro")
    with open(os.path.join(here, "symbols.txt"), "w") as out:
        write_symbols(out)
    with open(os.path.join(here, "exact_symbols.txt"), "w") as out:
        write_exact_symbols(out)


main()
