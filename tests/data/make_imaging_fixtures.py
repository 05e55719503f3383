#!/usr/bin/python3
"""Makes tests/data/imaging/: small pictures in the PNG, JPEG, GIF and BMP variants that our own
writer does not produce, each beside NAME.ppm, the pixels a reader must see (transparent and
partly transparent pixels composited over white), and manifest.txt, one line per picture:
"FILE TOLERANCE" (the largest difference allowed per channel; 0 for lossless formats).

PNG and BMP files are written byte by byte here, so that every colour type, depth, interlace,
header layout and bit-field arrangement is exactly the one named; JPEG and GIF files come from
Pillow (Debian python3-pil).

Run it with Debian's python: /usr/bin/python3 tests/data/make_imaging_fixtures.py
"""
import os
import struct
import zlib

from PIL import Image

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "imaging")
W, H = 7, 5  # odd sides exercise the row padding of every packed format
manifest = []


def over_white(c, a):
    return (c * a + 255 * (255 - a) + 127) // 255


def write_ppm(name, w, h, pixels):
    """pixels: rows of (r, g, b, a) tuples, composited over white into NAME.ppm."""
    body = bytearray()
    for row in pixels:
        for r, g, b, a in row:
            body += bytes((over_white(r, a), over_white(g, a), over_white(b, a)))
    with open(os.path.join(OUT, name + ".ppm"), "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (w, h) + bytes(body))


def fixture(file_name, data, w, h, pixels, tolerance=0):
    with open(os.path.join(OUT, file_name), "wb") as f:
        f.write(data)
    write_ppm(file_name, w, h, pixels)
    manifest.append("%s %d" % (file_name, tolerance))


def colour(x, y):
    return (x * 40 % 256, 255 - y * 50, (x * y * 29 + 7) % 256)


def palette_colour(i):
    return ((i * 53 + 10) % 256, (255 - i * 17) % 256, (i * 97) % 256)


def index_at(x, y, count):
    return (x + 3 * y) % count


# --- PNG ---

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def pack_row(samples, depth):
    if depth == 8:
        return bytes(samples)
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    out, bits, count = bytearray(), 0, 0
    for s in samples:
        bits = (bits << depth) | s
        count += depth
        if count == 8:
            out.append(bits)
            bits, count = 0, 0
    if count:
        out.append(bits << (8 - count))
    return bytes(out)


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def png(w, h, colour_type, depth, samples, plte=None, trns=None, interlace=False):
    """samples[y][x] is the tuple of a pixel's samples in the file's own channel order."""
    raw = bytearray()
    if interlace:
        for x0, y0, dx, dy in ADAM7:
            xs = range(x0, w, dx)
            for y in range(y0, h, dy):
                if xs:
                    raw += b"\x00" + pack_row([s for x in xs for s in samples[y][x]], depth)
    else:
        for y in range(h):
            raw += b"\x00" + pack_row([s for x in range(w) for s in samples[y][x]], depth)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, colour_type, 0, 0,
                                                               1 if interlace else 0))
    if plte:
        data += chunk(b"PLTE", b"".join(bytes(c) for c in plte))
    if trns is not None:
        data += chunk(b"tRNS", trns)
    data += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    return data


def make_pngs():
    grid = [[(x, y) for x in range(W)] for y in range(H)]

    # 16-bit RGB: the low bytes carry noise that scaling to 8 bits must drop.
    px = [[colour(x, y) + (255,) for x, y in row] for row in grid]
    s16 = [[tuple(c * 257 + ((x + y + i) % 3 - 1 if 0 < c < 255 else 0) for i, c in enumerate(colour(x, y)))
            for x, y in row] for row in grid]
    fixture("png_rgb16.png", png(W, H, 2, 16, s16), W, H, px, 1)

    # 16-bit RGBA with alpha across the whole range.
    alpha = lambda x, y: (x * 37 + y * 53) % 256
    px = [[colour(x, y) + (alpha(x, y),) for x, y in row] for row in grid]
    s16 = [[tuple(c * 257 for c in colour(x, y) + (alpha(x, y),)) for x, y in row] for row in grid]
    fixture("png_rgba16.png", png(W, H, 6, 16, s16), W, H, px, 1)

    # 8-bit RGBA, interlaced.
    s8 = [[colour(x, y) + (alpha(x, y),) for x, y in row] for row in grid]
    fixture("png_rgba_interlaced.png", png(W, H, 6, 8, s8, interlace=True), W, H, s8)

    # A larger interlaced grey picture, so every Adam7 pass holds pixels.
    gw, gh = 19, 13
    grey = lambda x, y: (x * 13 + y * 29) % 256
    px = [[(grey(x, y),) * 3 + (255,) for x in range(gw)] for y in range(gh)]
    fixture("png_grey_interlaced.png", png(gw, gh, 0, 8, [[(grey(x, y),) for x in range(gw)] for y in range(gh)],
                                           interlace=True), gw, gh, px)

    # Greys of 1, 2 and 4 bits (every level used) and of 16 bits.
    for depth in (1, 2, 4):
        top = (1 << depth) - 1
        level = lambda x, y: (x + 2 * y) % (top + 1)
        px = [[(level(x, y) * 255 // top,) * 3 + (255,) for x, y in row] for row in grid]
        fixture("png_grey%d.png" % depth, png(W, H, 0, depth, [[(level(x, y),) for x, y in row] for row in grid]),
                W, H, px)
    px = [[(grey(x, y),) * 3 + (255,) for x, y in row] for row in grid]
    fixture("png_grey16.png", png(W, H, 0, 16, [[(grey(x, y) * 257,) for x, y in row] for row in grid]), W, H, px)

    # Grey + alpha, 8 bits.
    px = [[(grey(x, y),) * 3 + (alpha(x, y),) for x, y in row] for row in grid]
    fixture("png_grey_alpha.png", png(W, H, 4, 8, [[(grey(x, y), alpha(x, y)) for x, y in row] for row in grid]),
            W, H, px)

    # Palette of 4 bits with tRNS: entry 0 is fully transparent over a stored black, entry 1
    # half transparent red, the rest opaque (tRNS shorter than the palette).
    count = 11
    plte = [palette_colour(i) for i in range(count)]
    plte[0], plte[1] = (0, 0, 0), (255, 0, 0)
    trns = bytes([0, 128, 255])
    entry_alpha = lambda i: trns[i] if i < len(trns) else 255
    px = [[plte[index_at(x, y, count)] + (entry_alpha(index_at(x, y, count)),) for x, y in row] for row in grid]
    fixture("png_palette4_trns.png",
            png(W, H, 3, 4, [[(index_at(x, y, count),) for x, y in row] for row in grid], plte, trns), W, H, px)

    # Palette of 1 bit, no transparency.
    plte2 = [(20, 40, 60), (250, 200, 150)]
    px = [[plte2[index_at(x, y, 2)] + (255,) for x, y in row] for row in grid]
    fixture("png_palette1.png", png(W, H, 3, 1, [[(index_at(x, y, 2),) for x, y in row] for row in grid], plte2),
            W, H, px)

    # RGB 8 bits with a tRNS colour key: pixels of that exact colour are transparent.
    key = colour(2, 1)
    px = [[colour(x, y) + (0 if colour(x, y) == key else 255,) for x, y in row] for row in grid]
    fixture("png_rgb_key.png", png(W, H, 2, 8, [[colour(x, y) for x, y in row] for row in grid],
                                   trns=struct.pack(">HHH", *key)), W, H, px)

    # Grey 8 bits with a tRNS grey key.
    gkey = grey(3, 2)
    px = [[(grey(x, y),) * 3 + (0 if grey(x, y) == gkey else 255,) for x, y in row] for row in grid]
    fixture("png_grey_key.png", png(W, H, 0, 8, [[(grey(x, y),) for x, y in row] for row in grid],
                                    trns=struct.pack(">H", gkey)), W, H, px)


# --- JPEG and GIF (Pillow) ---

def blocks(w, h, cell):
    """A picture of flat cell x cell squares, which JPEG keeps nearly exactly."""
    return [[colour(x // cell, y // cell) for x in range(w)] for y in range(h)]


def pil_rgb(rows):
    im = Image.new("RGB", (len(rows[0]), len(rows)))
    im.putdata([p for row in rows for p in row])
    return im


def save_pil(file_name, im, w, h, px, tolerance, **options):
    path = os.path.join(OUT, file_name)
    im.save(path, **options)
    write_ppm(file_name, w, h, px)
    manifest.append("%s %d" % (file_name, tolerance))


def make_jpegs():
    w, h, cell = 48, 32, 16
    rows = blocks(w, h, cell)
    px = [[p + (255,) for p in row] for row in rows]
    im = pil_rgb(rows)
    save_pil("jpeg_baseline.jpg", im, w, h, px, 8, quality=95, subsampling=0)
    save_pil("jpeg_progressive.jpg", im, w, h, px, 8, quality=95, subsampling=0, progressive=True)
    # 4:2:0 chroma: smooth upsampling blends colours across the squares' edges.
    save_pil("jpeg_subsampled.jpg", im, w, h, px, 24, quality=95, subsampling=2)
    grey = im.convert("L")
    gpx = [[(grey.getpixel((x, y)),) * 3 + (255,) for x in range(w)] for y in range(h)]
    save_pil("jpeg_grey.jpg", grey, w, h, gpx, 6, quality=95)
    save_pil("jpeg_grey_progressive.jpg", grey, w, h, gpx, 6, quality=95, progressive=True)
    # CMYK as print tools write it (Adobe marker, inverted samples).
    cmyk = Image.new("CMYK", (w, h))
    cmyk.putdata([(255 - r, 255 - g, 255 - b, 0) for row in rows for r, g, b in row])
    save_pil("jpeg_cmyk.jpg", cmyk, w, h, px, 10, quality=95)
    # An odd size, not a whole number of blocks.
    ow, oh = 21, 13
    orows = [[colour(0, 0) if x < 8 else colour(3, 2) for x in range(ow)] for y in range(oh)]
    opx = [[p + (255,) for p in row] for row in orows]
    save_pil("jpeg_odd_size.jpg", pil_rgb(orows), ow, oh, opx, 8, quality=95, subsampling=0)


def make_gifs():
    count = 11
    plte = [palette_colour(i) for i in range(count)]
    flat = []
    for c in plte:
        flat += list(c)
    flat += [0, 0, 0] * (256 - count)

    def paletted(w, h, index):
        im = Image.new("P", (w, h))
        im.putpalette(flat)
        im.putdata([index(x, y) for y in range(h) for x in range(w)])
        return im

    # Index 4 transparent (its stored colour is not white).
    idx = lambda x, y: index_at(x, y, count)
    px = [[plte[idx(x, y)] + (0 if idx(x, y) == 4 else 255,) for x in range(W)] for y in range(H)]
    save_pil("gif_transparent.gif", paletted(W, H, idx), W, H, px, 0, transparency=4, optimize=False)

    # Interlaced, tall enough that every pass holds rows.
    tw, th = 17, 21
    px = [[plte[idx(x, y)] + (255,) for x in range(tw)] for y in range(th)]
    save_pil("gif_interlaced.gif", paletted(tw, th, idx), tw, th, px, 0, interlace=True, optimize=False)

    # Two frames: the first is the picture.
    first = paletted(W, H, idx)
    second = paletted(W, H, lambda x, y: 0)
    px = [[plte[idx(x, y)] + (255,) for x in range(W)] for y in range(H)]
    path = os.path.join(OUT, "gif_two_frames.gif")
    first.save(path, save_all=True, append_images=[second], duration=100, loop=0, optimize=False)
    write_ppm("gif_two_frames.gif", W, H, px)
    manifest.append("gif_two_frames.gif 0")


# --- BMP ---

def bmp(w, h, bit_count, rows, header_size=40, compression=0, palette=None, masks=None, top_down=False,
        masks_after_header=False, palette_entry=4):
    """rows: stored rows from the top of the picture as raw bytes, unpadded (or, for RLE, the
    whole coded stream as one item)."""
    if compression in (1, 2):
        pixels = rows[0]
    else:
        stride = (w * bit_count + 31) // 32 * 4
        ordered = rows if top_down else list(reversed(rows))
        pixels = b"".join(r + b"\x00" * (stride - len(r)) for r in ordered)
    pal = b""
    if palette:
        pal = b"".join(bytes((b, g, r)) + (b"\x00" if palette_entry == 4 else b"") for r, g, b in palette)
    extra = b""
    if header_size == 12:
        info = struct.pack("<IHHHH", 12, w, h, 1, bit_count)
    else:
        info = struct.pack("<IiiHHIIiiII", header_size, w, -h if top_down else h, 1, bit_count, compression,
                           len(pixels), 2835, 2835, len(palette) if palette else 0, 0)
        if masks and masks_after_header:
            extra = b"".join(struct.pack("<I", m) for m in masks)
        elif header_size > 40:
            tail = b"".join(struct.pack("<I", m) for m in (masks or []))
            info += tail + b"\x00" * (header_size - 40 - len(tail))
    offset = 14 + len(info) + len(extra) + len(pal)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return head + info + extra + pal + pixels


def pack_bits(indexes, depth):
    return pack_row(indexes, depth)


def make_bmps():
    grid = [[(x, y) for x in range(W)] for y in range(H)]
    opaque = [[colour(x, y) + (255,) for x, y in row] for row in grid]
    for depth, count in ((1, 2), (4, 11), (8, 11)):
        plte = [palette_colour(i) for i in range(count)]
        rows = [pack_bits([index_at(x, y, count) for x, y in row], depth) for row in grid]
        px = [[plte[index_at(x, y, count)] + (255,) for x, y in row] for row in grid]
        fixture("bmp_%dbit.bmp" % depth, bmp(W, H, depth, rows, palette=plte), W, H, px)

    # OS/2 core header: 12 bytes, three-byte palette entries.
    plte = [palette_colour(i) for i in range(256)]
    rows = [bytes(index_at(x, y, 256) for x, y in row) for row in grid]
    px = [[plte[index_at(x, y, 256)] + (255,) for x, y in row] for row in grid]
    fixture("bmp_core_8bit.bmp", bmp(W, H, 8, rows, header_size=12, palette=plte, palette_entry=3), W, H, px)

    rows24 = [b"".join(bytes((b, g, r)) for r, g, b in (colour(x, y) for x, y in row)) for row in grid]
    fixture("bmp_24bit.bmp", bmp(W, H, 24, rows24), W, H, opaque)
    fixture("bmp_24bit_top_down.bmp", bmp(W, H, 24, rows24, top_down=True), W, H, opaque)

    # 32 bits without masks: the fourth byte is not alpha.
    rows32 = [b"".join(bytes((b, g, r, 0x00)) for r, g, b in (colour(x, y) for x, y in row)) for row in grid]
    fixture("bmp_32bit.bmp", bmp(W, H, 32, rows32), W, H, opaque)

    # 32 bits, V4 header with bit fields in the order A R G B and real alpha.
    alpha = lambda x, y: (x * 37 + y * 53) % 256
    rowsv4 = [b"".join(struct.pack("<I", (alpha(x, y) << 24) | (colour(x, y)[0] << 16) | (colour(x, y)[1] << 8)
                                   | colour(x, y)[2]) for x, y in row) for row in grid]
    px = [[colour(x, y) + (alpha(x, y),) for x, y in row] for row in grid]
    fixture("bmp_32bit_v4_alpha.bmp", bmp(W, H, 32, rowsv4, header_size=108, compression=3,
                                           masks=[0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000], top_down=True),
            W, H, px)

    # 32 bits, bit fields after a 40-byte header, in an unusual order (B G R in the high bytes).
    rowsbf = [b"".join(struct.pack("<I", (colour(x, y)[2] << 24) | (colour(x, y)[1] << 16) | (colour(x, y)[0] << 8))
                       for x, y in row) for row in grid]
    fixture("bmp_32bit_bitfields.bmp", bmp(W, H, 32, rowsbf, compression=3,
                                            masks=[0x0000FF00, 0x00FF0000, 0xFF000000], masks_after_header=True),
            W, H, opaque)

    # 16 bits 5-6-5 in bit fields, and the default 5-5-5.
    def scale(v, bits):
        top = (1 << bits) - 1
        return (v * 255 + top // 2) // top

    c565 = lambda x, y: tuple(c >> s for c, s in zip(colour(x, y), (3, 2, 3)))
    rows565 = [b"".join(struct.pack("<H", (r << 11) | (g << 5) | b) for r, g, b in (c565(x, y) for x, y in row))
               for row in grid]
    px = [[(scale(c565(x, y)[0], 5), scale(c565(x, y)[1], 6), scale(c565(x, y)[2], 5), 255) for x, y in row]
          for row in grid]
    fixture("bmp_16bit_565.bmp", bmp(W, H, 16, rows565, compression=3, masks=[0xF800, 0x07E0, 0x001F],
                                     masks_after_header=True), W, H, px)
    c555 = lambda x, y: tuple(c >> 3 for c in colour(x, y))
    rows555 = [b"".join(struct.pack("<H", (r << 10) | (g << 5) | b) for r, g, b in (c555(x, y) for x, y in row))
               for row in grid]
    px = [[tuple(scale(c, 5) for c in c555(x, y)) + (255,) for x, y in row] for row in grid]
    fixture("bmp_16bit_555.bmp", bmp(W, H, 16, rows555), W, H, px)

    # Run-length coded 8 and 4 bits: runs, an absolute stretch, a delta skip and end-of-bitmap.
    count = 11
    plte = [palette_colour(i) for i in range(count)]
    # Stored from the bottom row up. Row 0 (bottom): run of 7 of index 3.
    # Row 1: absolute 3 pixels 1 2 5, then run of 4 of index 6.
    # Row 2: run of 2 of index 7, then delta (3, 1): skips to row 3 at x = 5; run of 2 of index 9.
    # Row 4 is reached by end-of-line and left to index 0 by the end-of-bitmap code.
    indexes = [[0] * W for _ in range(H)]  # stored order, bottom first
    indexes[0] = [3] * 7
    indexes[1] = [1, 2, 5, 6, 6, 6, 6]
    indexes[2][0:2] = [7, 7]
    indexes[3][5:7] = [9, 9]
    rle8 = bytes([7, 3, 0, 0,
                  0, 3, 1, 2, 5, 0, 4, 6, 0, 0,
                  2, 7, 0, 2, 3, 1, 2, 9, 0, 0,
                  0, 1])
    px = [[plte[indexes[H - 1 - y][x]] + (255,) for x in range(W)] for y in range(H)]
    fixture("bmp_rle8.bmp", bmp(W, H, 8, [rle8], compression=1, palette=plte), W, H, px)
    rle4 = bytes([7, 0x33, 0, 0,
                  0, 3, 0x12, 0x50, 4, 0x66, 0, 0,
                  2, 0x77, 0, 2, 3, 1, 2, 0x99, 0, 0,
                  0, 1])
    fixture("bmp_rle4.bmp", bmp(W, H, 4, [rle4], compression=2, palette=plte), W, H, px)


def main():
    os.makedirs(OUT, exist_ok=True)
    for name in os.listdir(OUT):
        os.remove(os.path.join(OUT, name))
    make_pngs()
    make_jpegs()
    make_gifs()
    make_bmps()
    with open(os.path.join(OUT, "manifest.txt"), "w") as f:
        f.write("# FILE TOLERANCE: NAME.ppm holds the pixels; TOLERANCE is the largest difference per channel.\n")
        f.write("\n".join(manifest) + "\n")


main()
