#!/usr/bin/python3
"""Makes tests/data/segno/byte_symbols.txt: symbols made by segno (Debian python3-segno) from
single byte-mode segments at a fixed version, level and mask, where the standard fixes every
module. For each case a header line "version level mask hex-data" is followed by one line per
row of the symbol (rows from the top, no quiet zone): the row's modules as bits, dark = 1,
first module in the most significant bit, written in hexadecimal and padded to whole bytes.

Run it with Debian's python: /usr/bin/python3 tests/data/make_segno_fixtures.py
"""
import os
import random

import segno
import segno.consts as consts
import segno.encoder


def write_padding_bits(buff, version, length):
    """Zero bits up to the next codeword boundary, and none when the stream is already on one.

    segno 1.4.1 (Debian 12) writes a whole zero byte in that case, so every byte-mode symbol
    whose terminated stream ends on a byte boundary gets 0x00 where the standard puts the pad
    codeword 0xEC (and different check codewords). That one step is replaced here; everything
    else (Reed-Solomon, interleaving, placement, masking, format and version information) is
    segno's own.
    """
    if version not in (consts.VERSION_M1, consts.VERSION_M3) and length % 8:
        buff.extend([0] * (8 - length % 8))


segno.encoder.write_padding_bits = write_padding_bits

# Bytes that every encoder keeps in byte mode: no digits, capitals or other alphanumeric
# characters, and no Shift JIS lead bytes (0x81-0x9F, 0xE0-0xEB) that could start kanji.
SAFE = bytes(sorted(set(range(0x00, 0x100)) - set(b"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:")
                    - set(range(0x81, 0xA0)) - set(range(0xE0, 0xEC))))
LEVELS = "LMQH"


def byte_capacity(version, level):
    ecl = {"L": consts.ERROR_LEVEL_L, "M": consts.ERROR_LEVEL_M,
           "Q": consts.ERROR_LEVEL_Q, "H": consts.ERROR_LEVEL_H}[level]
    data = sum(b.num_blocks * b.num_data for b in consts.ECC[version][ecl])
    count_bits = 8 if version < 10 else 16
    return (data * 8 - 4 - count_bits) // 8


def row_hex(row):
    bits = "".join(str(bit) for bit in row)
    bits += "0" * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8)).hex()


def main():
    rng = random.Random(18004)
    out_path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "segno", "byte_symbols.txt")
    lines = ["# version level mask hex-data, then the rows of the symbol (made by segno %s)" % segno.__version__]
    for version in range(1, 41):
        for li, level in enumerate(LEVELS):
            mask = (version + 3 * li) % 8
            capacity = byte_capacity(version, level)
            # Full, nearly full, half and short payloads across the cases.
            length = max(1, [capacity, capacity - 1, capacity // 2, rng.randint(1, capacity)][(version + li) % 4])
            data = bytes(rng.choice(SAFE) for _ in range(length))
            qr = segno.make(data, version=version, error=level, mask=mask, mode="byte", boost_error=False)
            assert qr.version == version and qr.error == level and qr.mask == mask
            lines.append("%d %s %d %s" % (version, level, mask, data.hex()))
            lines.extend(row_hex(row) for row in qr.matrix)
    with open(out_path, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
