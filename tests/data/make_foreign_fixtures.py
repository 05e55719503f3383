#!/usr/bin/python3
"""Makes tests/data/foreign/: QR symbols drawn by other encoders (Debian's qrencode command and
python3-segno) as PNG, JPEG, GIF and BMP files, and manifest.txt, one tab-separated line per file:

    FILE  MAKER  VERSION  LEVEL  CONTENT-BYTES-HEX  TEXT-UTF8-HEX

CONTENT-BYTES are the bytes the symbol holds; TEXT is how a reader shows them (UTF-8 content as
itself, GBK content converted). Formats qrencode does not write are converted from its PNG
with Pillow (Debian python3-pil).

Run it with Debian's python: /usr/bin/python3 tests/data/make_foreign_fixtures.py
"""
import io
import os
import subprocess

import segno
from PIL import Image

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "foreign")
MARGIN = 4
manifest = []


def save_as(png_bytes, path, **options):
    """Writes the PNG as the format named by path's extension."""
    im = Image.open(io.BytesIO(png_bytes))
    ext = os.path.splitext(path)[1].lower()
    if ext == ".png":
        with open(path, "wb") as f:
            f.write(png_bytes)
        return im.size
    if ext in (".jpg", ".bmp"):
        im = im.convert("RGB")
    elif ext == ".gif":
        im = im.convert("RGB").convert("P", palette=Image.ADAPTIVE, colors=4)
    im.save(path, **options)
    return im.size


def record(name, maker, version, level, content, text):
    manifest.append("\t".join([name, maker, str(version), level, content.hex(), text.encode("utf-8").hex()]))


def qrencode(name, content, level, scale, extra=(), version=None, **save_options):
    """Draws `content` with the qrencode command and records it; the version is measured from
    the picture's size."""
    args = ["qrencode", "-o", "-", "-l", level, "-s", str(scale), "-m", str(MARGIN)] + list(extra)
    if version:
        args += ["-v", str(version)]
    png = subprocess.run(args, input=content, stdout=subprocess.PIPE, check=True).stdout
    width, _ = save_as(png, os.path.join(OUT, name), **save_options)
    side = width // scale - 2 * MARGIN
    return (side - 17) // 4


def segno_symbol(name, content, level, scale, version=None, dark="black", light="white", **save_options):
    qr = segno.make(content, error=level, version=version, boost_error=False, micro=False)
    buffer = io.BytesIO()
    qr.save(buffer, kind="png", scale=scale, border=MARGIN, dark=dark, light=light)
    save_as(buffer.getvalue(), os.path.join(OUT, name), **save_options)
    return qr.version, qr.error.upper()


def main():
    os.makedirs(OUT, exist_ok=True)
    for name in os.listdir(OUT):
        os.remove(os.path.join(OUT, name))

    # qrencode
    utf8 = "Merovask 二维码：读写测试 ✓ — café"
    v = qrencode("qrencode_utf8.png", utf8.encode(), "M", 3, ["-8"])
    record("qrencode_utf8.png", "qrencode", v, "M", utf8.encode(), utf8)

    gbk = "中文编码测试：国标扩展字符集，汉字与符号。"
    v = qrencode("qrencode_gbk.bmp", gbk.encode("gbk"), "Q", 3, ["-8"])
    record("qrencode_gbk.bmp", "qrencode", v, "Q", gbk.encode("gbk"), gbk)

    digits = "31415926535897932384626433832795028841971693993751058209749445923078164062862089986280"
    v = qrencode("qrencode_digits.gif", digits.encode(), "H", 3)
    record("qrencode_digits.gif", "qrencode", v, "H", digits.encode(), digits)

    alnum = "HTTPS://EXAMPLE.ORG/QR CODE $%*+-./: 0123456789"
    v = qrencode("qrencode_alnum.jpg", alnum.encode(), "Q", 4, quality=90)
    record("qrencode_alnum.jpg", "qrencode", v, "Q", alnum.encode(), alnum)

    # Dark modules on a transparent background (PNG with alpha).
    transparent = "transparent background"
    v = qrencode("qrencode_transparent.png", transparent.encode(), "L", 3,
                 ["-t", "PNG32", "--background=FFFFFF00"])
    record("qrencode_transparent.png", "qrencode", v, "L", transparent.encode(), transparent)
    # The same with black stored under the transparency: read as the stored colour, the whole
    # picture would be black.
    hidden = "transparent black background"
    v = qrencode("qrencode_transparent_black.png", hidden.encode(), "M", 3,
                 ["-t", "PNG32", "--background=00000000"])
    record("qrencode_transparent_black.png", "qrencode", v, "M", hidden.encode(), hidden)

    # Version 40 holding text in mixed modes (qrencode splits digits, capitals and the rest).
    long_text = "".join("Line %04d: THE QUICK BROWN FOX 1234567890 jumps over the lazy dog; " % i
                        for i in range(24))
    v = qrencode("qrencode_version40.png", long_text.encode(), "L", 3, version=40)
    record("qrencode_version40.png", "qrencode", v, "L", long_text.encode(), long_text)

    # segno
    text = "segno 符号 UTF-8 ünïcödé"
    v, level = segno_symbol("segno_utf8.png", text.encode(), "M", 3)
    record("segno_utf8.png", "segno", v, level, text.encode(), text)

    v, level = segno_symbol("segno_digits.bmp", "0123456789" * 6, "L", 2)
    record("segno_digits.bmp", "segno", v, level, ("0123456789" * 6).encode(), "0123456789" * 6)

    words = "SEGNO ALPHANUMERIC 42"
    v, level = segno_symbol("segno_alnum.gif", words, "H", 4)
    record("segno_alnum.gif", "segno", v, level, words.encode(), words)

    coloured = "dark blue on pale yellow"
    v, level = segno_symbol("segno_colours.jpg", coloured.encode(), "Q", 4, dark="#1a237e", light="#fff59d",
                            quality=92)
    record("segno_colours.jpg", "segno", v, level, coloured.encode(), coloured)

    # No light colour at all: the background is transparent.
    clear = "segno transparent light modules"
    v, level = segno_symbol("segno_transparent.png", clear.encode(), "M", 3, light=None)
    record("segno_transparent.png", "segno", v, level, clear.encode(), clear)

    big = "VERSION 40 " + "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 " * 30
    v, level = segno_symbol("segno_version40.png", big, "H", 3, version=40)
    record("segno_version40.png", "segno", v, level, big.encode(), big)

    with open(os.path.join(OUT, "manifest.txt"), "w") as f:
        f.write("# FILE\tMAKER\tVERSION\tLEVEL\tCONTENT-BYTES-HEX\tTEXT-UTF8-HEX\n")
        f.write("\n".join(manifest) + "\n")


main()
