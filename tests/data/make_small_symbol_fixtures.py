#!/usr/bin/python3
"""Makes tests/data/small_symbols/micro_qr.txt and rmqr.txt: Micro QR and rMQR symbols made by
independent encoders at a fixed version (size), level and mask (or the mask the encoder chose),
where the standard fixes every module. For each case a header line
"maker version level mask hex-data" (level "-" for M1, mask -1 where the encoder chose it; rMQR
has one mask, written 4) is followed by one line per row of the symbol, rows from the top, no
quiet zone: the row's modules as bits, dark = 1, first module in the most significant bit,
written in hexadecimal and padded to whole bytes.

Makers: Debian's zint (every Micro QR version, every rMQR size at both levels) and segno (Micro
QR M2 and M4 only: segno 1.4.1 fills the unused data codewords of M1 and M3 with zeros, where
the standard puts the pad codewords 11101100 and 00010001 as zint does). The data are
single-mode, so that every encoder segments them alike.

Run it with Debian's python: /usr/bin/python3 tests/data/make_small_symbol_fixtures.py
"""
import os
import subprocess

import segno

HERE = os.path.dirname(os.path.abspath(__file__))


def zint_rows(args, data):
    """zint --dump prints each row as groups of hexadecimal digits, 4 modules per digit."""
    out = subprocess.run(["zint", "--dump", *args, "-d", data], check=True, capture_output=True, text=True).stdout
    rows = []
    for line in out.splitlines():
        if line.strip():
            rows.append("".join(bin(int(group, 16))[2:].zfill(4 * len(group)) for group in line.split()))
    return rows


def row_hex(row):
    row += "0" * (-len(row) % 8)
    return bytes(int(row[i:i + 8], 2) for i in range(0, len(row), 8)).hex()


def micro_zint(version, level, mask, data):
    args = ["--barcode=97", "--vers=%d" % version]
    if version > 1:
        args.append("--secure=%d" % ("LMQ".index(level) + 1))
    if mask >= 0:
        args.append("--mask=%d" % mask)
    side = 2 * version + 9
    rows = [row[:side] for row in zint_rows(args, data)]
    assert len(rows) == side, (version, level, data)
    return rows


def micro_segno(version, level, mask, data):
    qr = segno.make(data, micro=True, version="M%d" % version, error=level, mask=None if mask < 0 else mask,
                    boost_error=False)
    assert qr.designator == "M%d-%s" % (version, level), qr.designator
    return ["".join(str(bit) for bit in row) for row in qr.matrix]


# (version, level, mask, data): short data leave pad codewords (and the 4-bit last codeword of
# M1 and M3) to fill; full data leave none.
ZINT_MICRO = [
    (1, "-", 0, "1"), (1, "-", -1, "12345"), (1, "-", 3, "908"),
    (2, "L", 1, "AB-12"), (2, "M", -1, "HELLO"), (2, "L", 2, "0123456789"),
    (3, "L", 0, "1"), (3, "L", -1, "abcde"), (3, "M", 3, "MICRO QR"), (3, "M", 2, "12345678901234567"),
    (4, "L", 1, "hello micro"), (4, "M", -1, "HTTPS://A.B/C"), (4, "Q", 0, "12345678901234567890"),
    (4, "Q", -1, "ab"), (4, "L", 3, "1234567890123456789012345678901234"),
]
RMQR_SIZES = [(h, w) for h, widths in ((7, (43, 59, 77, 99, 139)), (9, (43, 59, 77, 99, 139)),
                                       (11, (27, 43, 59, 77, 99, 139)), (13, (27, 43, 59, 77, 99, 139)),
                                       (15, (43, 59, 77, 99, 139)), (17, (43, 59, 77, 99, 139))) for w in widths]


def rmqr_zint(index, level, data):
    height, width = RMQR_SIZES[index]
    args = ["--barcode=145", "--vers=%d" % (index + 1), "--secure=%d" % (2 if level == "M" else 4)]
    rows = [row[:width] for row in zint_rows(args, data)]
    assert len(rows) == height, (index, level, data)
    return rows


def rmqr_fits(index, level, data):
    args = ["--barcode=145", "--vers=%d" % (index + 1), "--secure=%d" % (2 if level == "M" else 4)]
    return subprocess.run(["zint", "--dump", *args, "-d", data], capture_output=True).returncode == 0


def rmqr_cases():
    """Every size at both levels; numeric, alphanumeric and byte data, short (pad codewords) or
    as long as the symbol holds."""
    sources = ["31415926535897932384626433832795028841971693993751" * 8, "RMQR-" * 60, "rectangular micro qr " * 8]
    cases = []
    for index in range(len(RMQR_SIZES)):
        for li, level in enumerate("MH"):
            source = sources[(index + li) % 3]
            length = 2
            if (index + li) % 2 == 0:
                length = len(source)
                while not rmqr_fits(index, level, source[:length]):
                    length -= 1
            cases.append((index, level, source[:length]))
    return cases


SEGNO_MICRO = [
    (2, "L", 0, "12345"), (2, "M", -1, "A1"), (4, "L", 2, "lower case"), (4, "M", 1, "ALPHA NUMERIC"),
    (4, "Q", -1, "9876543210"), (4, "Q", 3, "xyz"),
]


def main():
    lines = ["# maker version level mask hex-data, then the rows (zint %s, segno %s)"
             % (subprocess.run(["zint", "--version"], capture_output=True, text=True).stdout.split()[2],
                segno.__version__)]
    for maker, cases, make in (("zint", ZINT_MICRO, micro_zint), ("segno", SEGNO_MICRO, micro_segno)):
        for version, level, mask, data in cases:
            lines.append("%s M%d %s %d %s" % (maker, version, level, mask, data.encode().hex()))
            lines.extend(row_hex(row) for row in make(version, level, mask, data))
    with open(os.path.join(HERE, "small_symbols", "micro_qr.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")
    lines = lines[:1]
    for index, level, data in rmqr_cases():
        lines.append("zint R%dx%d %s 4 %s" % (*RMQR_SIZES[index], level, data.encode().hex()))
        lines.extend(row_hex(row) for row in rmqr_zint(index, level, data))
    with open(os.path.join(HERE, "small_symbols", "rmqr.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
