#!/usr/bin/python3
"""Makes tests/data/modes/symbols.txt: module matrices of QR symbols drawn by other encoders
(Debian's python3-segno, python3-qrcode, and the qrencode and zint commands) in every data mode
a reader meets: ECI designators for each character set, kanji (Shift JIS), Hanzi (GB 2312),
structured-append parts, GS1 data (FNC1 in first position) and mixed segments. Each is checked
against zint's or the encoder's input by reading it back with zxing-cpp (python3-zxing-cpp).

Each symbol is one header line, then its rows of 0 and 1 (1 = dark, no quiet zone):

    # MAKER  DESCRIPTION  ECI  SEQUENCE  BYTES-HEX  TEXT-UTF8-HEX

ECI is -1 without a designator; SEQUENCE is INDEX/COUNT/PARITY or '-'. BYTES are the data the
symbol holds; TEXT is what they say.

Run it with Debian's python: /usr/bin/python3 tests/data/make_mode_fixtures.py
"""
import os
import subprocess

import numpy
import qrcode
import segno
import zxingcpp

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "modes", "symbols.txt")
blocks = []

# Text for each ECI character set, written in that set's own script.
ECI_TEXTS = [
    ("iso8859-1", 3, "Grüße aus Köln, café"),
    ("iso8859-2", 4, "Zażółć gęślą jaźń"),
    ("iso8859-3", 5, "Ħaġar Qim, ċ ġ ħ ż"),
    ("iso8859-4", 6, "Ķeguma ĀĒĪŌŪ ļņŗ"),
    ("iso8859-5", 7, "Привет, мир"),
    ("iso8859-6", 8, "مرحبا بالعالم"),
    ("iso8859-7", 9, "Καλημέρα κόσμε"),
    ("iso8859-8", 10, "שלום עולם"),
    ("iso8859-9", 11, "Türkçe ğüşıöç İ"),
    ("iso8859-10", 12, "Ŋŧĸ Ā Ē Ī Ū"),
    ("iso8859-11", 13, "สวัสดีชาวโลก"),
    ("iso8859-13", 15, "Ąčęėįšųūž Lietuva"),
    ("iso8859-14", 16, "Ŵŷ Ḃḃ Ẁẁ Cymraeg"),
    ("iso8859-15", 17, "€ Œœ Šš Žž Ÿ"),
    ("iso8859-16", 18, "Șș Țț România"),
    ("shift_jis", 20, "日本語のテキスト"),
    ("cp1250", 21, "Zażółć gęślą"),
    ("cp1251", 22, "Здравствуй"),
    ("cp1252", 23, "€ Smörgåsbord"),
    ("cp1256", 24, "مرحبا"),
    ("utf-16-be", 25, "Hello 世界 😀"),
    ("utf-8", 26, "Grüße 世界 😀"),
    ("ascii", 27, "plain ASCII text"),
    ("big5", 28, "繁體中文測試"),
    ("gb18030", 29, "简体中文 GB18030"),
    ("euc_kr", 30, "한국어 텍스트"),
]


def rows_of(matrix):
    return ["".join("1" if dark else "0" for dark in row) for row in matrix]


def zxing_read(rows):
    """What zxing-cpp reads from the matrix, drawn at 4 pixels per module with a quiet zone."""
    modules = numpy.array([[c == "1" for c in row] for row in rows], dtype=numpy.uint8)
    picture = numpy.kron(1 - numpy.pad(modules, 4), numpy.ones((4, 4), dtype=numpy.uint8)) * 255
    return zxingcpp.read_barcode(picture)


def record(maker, description, rows, data, text, eci=-1, sequence="-"):
    # Every fixture must read as labelled in an independent reader too.
    check = zxing_read(rows)
    assert check is not None and check.bytes == data, (maker, description)
    header = "\t".join([maker, description, str(eci), sequence, data.hex(), text.encode("utf-8").hex()])
    blocks.append("# " + header + "\n" + "\n".join(rows))


def segno_rows(qr):
    return rows_of(qr.matrix)


def qrencode_rows(data, extra):
    """qrencode's ASCII output: '#' dark, ' ' light, with a quiet zone of two characters per
    module; the margin is set to 0 so only the symbol remains."""
    args = ["qrencode", "-t", "ASCIIi", "-m", "0", "-o", "-"] + extra
    out = subprocess.run(args, input=data, stdout=subprocess.PIPE, check=True).stdout.decode("ascii")
    return ["".join("1" if line[i] == " " else "0" for i in range(0, len(line), 2)) for line in out.splitlines() if line]


def zint_rows(args):
    """zint's --dump: one line per row, the modules as hexadecimal bytes, first module in the
    highest bit."""
    out = subprocess.run(["zint", "-b", "QRCODE", "--dump"] + args, stdout=subprocess.PIPE, check=True).stdout
    lines = [line.replace(" ", "") for line in out.decode("ascii").splitlines() if line.strip()]
    side = len(lines)
    return [format(int(line, 16), "0%db" % (4 * len(line)))[:side] for line in lines]


def main():
    for encoding, eci, text in ECI_TEXTS:
        qr = segno.make(text, encoding=encoding, eci=True, mode="byte", error="m", micro=False)
        record("segno", "eci " + encoding, segno_rows(qr), text.encode(encoding), text, eci)

    kanji = "漢字のテスト"
    qr = segno.make(kanji, mode="kanji", error="q", micro=False)
    record("segno", "kanji", segno_rows(qr), kanji.encode("shift_jis"), kanji)

    # segno leaves the subset indicator out of its capacity count: the version is given, so
    # that the data fits.
    hanzi = "汉字测试二维码"
    qr = segno.make(hanzi, mode="hanzi", error="m", micro=False, version=2)
    record("segno", "hanzi", segno_rows(qr), hanzi.encode("gb2312"), hanzi)

    # qrencode splits Shift JIS text into kanji, alphanumeric, numeric and byte segments.
    mixed = "東京駅 ABC-123 まで 45 分 (bus)"
    data = mixed.encode("shift_jis")
    record("qrencode", "kanji mixed", qrencode_rows(data, ["-k", "-l", "M"]), data, mixed)

    long_text = "Structured append: one message in three symbols, read and kept in order. " * 2 + "The end."
    parity = 0
    for byte in long_text.encode("ascii"):
        parity ^= byte
    for index, qr in enumerate(segno.make_sequence(long_text, symbol_count=3, error="l")):
        # Where segno split the message is its own choice: zxing-cpp tells each part's data.
        part = zxing_read(segno_rows(qr))
        sequence = "%d/3/%d" % (index, parity)
        record("segno", "sequence part", segno_rows(qr), part.bytes, part.text, -1, sequence)

    gs1 = "0109501234567891" + "10ABC123" + "\x1d" + "21XYZ"
    rows = zint_rows(["--gs1", "--gs1nocheck", "-d", "[01]09501234567891[10]ABC123[21]XYZ"])
    record("zint", "gs1", rows, gs1.encode("ascii"), gs1)

    # Two ECIs in one symbol: Cyrillic in ISO-8859-5, then Chinese in UTF-8.
    rows = zint_rows(["--eci=7", "-d", "Привет ", "--seg1=26,世界"])
    record("zint", "two ecis", rows, "Привет ".encode("iso8859-5") + "世界".encode("utf-8"), "Привет 世界", 7)

    text = "Python qrcode 0123456789 MIXED text"
    q = qrcode.QRCode(error_correction=qrcode.constants.ERROR_CORRECT_H, border=0)
    q.add_data(text)
    q.make(fit=True)
    record("python-qrcode", "byte", rows_of(q.get_matrix()), text.encode("ascii"), text)

    with open(OUT, "w", encoding="utf-8") as f:
        f.write("\n".join(blocks) + "\n")


if __name__ == "__main__":
    main()
