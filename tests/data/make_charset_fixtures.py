#!/usr/bin/python3
"""Makes tests/data/charsets/symbols.txt: QR symbols of the texts in tests/data/charsets/texts.txt,
stored in byte mode without an ECI designator, each in its language's character set (ja: Shift
JIS, zh: GBK, latin: ISO-8859-1, utf8: UTF-8). Every other text is made by Debian's python3-segno
(one byte segment), the rest by the qrencode command (which splits the data into numeric,
alphanumeric and byte segments). Each symbol is read back with zbarimg (zbar-tools) in binary
mode and must give its bytes.

Each symbol is one header line, then its rows of 0 and 1 (1 = dark, no quiet zone):

    # MAKER  LANGUAGE  BYTES-HEX  TEXT-UTF8-HEX

Run it with Debian's python: /usr/bin/python3 tests/data/make_charset_fixtures.py
"""
import os
import subprocess
import tempfile

import segno

HERE = os.path.dirname(os.path.abspath(__file__))
TEXTS = os.path.join(HERE, "charsets", "texts.txt")
OUT = os.path.join(HERE, "charsets", "symbols.txt")
CODECS = {"ja": "cp932", "zh": "gbk", "latin": "latin-1", "utf8": "utf-8"}


def segno_rows(data):
    qr = segno.make(data, mode="byte", eci=False, micro=False, error="m")
    return ["".join("1" if dark else "0" for dark in row) for row in qr.matrix]


def qrencode_rows(data):
    """qrencode's ASCII output: '#' dark, ' ' light, two characters per module, no margin."""
    args = ["qrencode", "-t", "ASCIIi", "-m", "0", "-l", "M", "-o", "-"]
    out = subprocess.run(args, input=data, stdout=subprocess.PIPE, check=True).stdout.decode("ascii")
    return ["".join("1" if line[i] == " " else "0" for i in range(0, len(line), 2)) for line in out.splitlines() if line]


def zbar_bytes(rows):
    """What zbarimg reads from the matrix drawn at 4 pixels per module with a quiet zone."""
    side = len(rows) + 8
    pixels = []
    for y in range(side):
        row = rows[y - 4] if 4 <= y < side - 4 else "0" * len(rows)
        line = bytes(0 if 4 <= x < side - 4 and row[x - 4] == "1" else 255 for x in range(side) for _ in range(4))
        pixels += [line] * 4
    with tempfile.NamedTemporaryFile(suffix=".pgm") as f:
        f.write(b"P5 %d %d 255\n" % (4 * side, 4 * side) + b"".join(pixels))
        f.flush()
        return subprocess.run(["zbarimg", "--raw", "-q", "-Sbinary", f.name], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, check=True).stdout


def main():
    blocks = []
    with open(TEXTS, encoding="utf-8") as f:
        lines = [line.rstrip("\n") for line in f if line.strip() and not line.startswith("#")]
    for index, line in enumerate(lines):
        language, text = line.split("\t")
        data = text.encode(CODECS[language])
        assert data.decode(CODECS[language]) == text, text
        maker = "segno" if index % 2 == 0 else "qrencode"
        rows = segno_rows(data) if maker == "segno" else qrencode_rows(data)
        assert zbar_bytes(rows) == data, (maker, text)
        header = "\t".join([maker, language, data.hex(), text.encode("utf-8").hex()])
        blocks.append("# " + header + "\n" + "\n".join(rows))
    with open(OUT, "w", encoding="utf-8") as f:
        f.write("\n".join(blocks) + "\n")


if __name__ == "__main__":
    main()
