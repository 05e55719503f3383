#!/usr/bin/python3
"""Draws every image of the skin: PNG strips, bitmaps and icons.

Run with /usr/bin/python3 (needs python3-pil and fonts-dejavu-core); the output is committed,
so the build does not run this script.  Usage: make_images.py [output-root] (default: this
script's folder, which holds png/, bmp/ and icon/).

Every image is drawn twice: "<id>.<ext>" for screens at scale 1 and "<id>@2x.<ext>" with twice
the pixels each way for denser screens (the program scales the 2x art to 1.25 or 1.5 itself).
The 2x art is the same drawing at twice the resolution, not the 1x pixels enlarged: curves,
glyphs and gradients get the finer pixels, while strip layouts (frame widths, stretched
columns, left and top edges) stay in logical pixels, each one two pixels wide.

Look: light blue and white.  Bitmaps drawn with mode "mask" use FF00FF for transparent pixels
and are drawn without antialiasing, because a colour key has no partial transparency.
"""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

MAGENTA = (255, 0, 255)
BLUE = (47, 128, 216)          # primary blue of title bars and frames
BLUE_TOP = (74, 157, 235)      # top of the title-bar gradient
BLUE_DARK = (37, 102, 176)     # separators on blue
BORDER = (163, 186, 210)       # soft blue-grey frame lines
WINDOW = (251, 252, 253)       # FBFCFD, the window background of the styles
WHITE = (255, 255, 255)
ICON_BLUE = (36, 116, 204)
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT_REGULAR = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
SS = 4                         # supersampling factor for the antialiased PNG art
K = 1                          # pixels per logical pixel of the art being drawn (1 or 2)


def lerp(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def vgradient(img, x0, y0, x1, y1, top, bottom):
    """Fills logical rows y0..y1-1 of logical columns x0..x1-1 with a vertical gradient, one step
    per pixel row."""
    x0, y0, x1, y1 = x0 * K, y0 * K, x1 * K, y1 * K
    d = ImageDraw.Draw(img)
    n = max(1, y1 - y0 - 1)
    for y in range(y0, y1):
        d.line([(x0, y), (x1 - 1, y)], fill=lerp(top, bottom, (y - y0) / n))


def file_name(rid, ext):
    return f"{rid}.{ext}" if K == 1 else f"{rid}@{K}x.{ext}"


def save_bmp(img, root, rid):
    img.convert("RGB").save(os.path.join(root, "bmp", file_name(rid, "bmp")))


def save_png(img, root, rid, folder="png"):
    img.save(os.path.join(root, folder, file_name(rid, "png")), optimize=True)


def big(w, h):
    """A transparent supersampled canvas of w x h logical pixels and its drawing object."""
    img = Image.new("RGBA", (w * K * SS, h * K * SS), (0, 0, 0, 0))
    return img, ImageDraw.Draw(img)


def down(img):
    return img.resize((img.width // SS, img.height // SS), Image.LANCZOS)


def s(v):
    """Logical pixels to pixels of the supersampled canvas."""
    return v * K * SS


def lw(v):
    """A line width on the supersampled canvas (PIL wants an integer)."""
    return max(1, round(v * K * SS))


# ---------------------------------------------------------------- pixel art at K pixels per logical pixel

def canvas(w, h, fill):
    img = Image.new("RGB", (w * K, h * K), fill)
    return img, ImageDraw.Draw(img)


def block(d, x0, y0, x1, y1, fill):
    """Fills logical pixels x0..x1, y0..y1 (inclusive), each K x K pixels."""
    d.rectangle([x0 * K, y0 * K, x1 * K + K - 1, y1 * K + K - 1], fill=fill)


def dots(d, points, fill):
    for x, y in points:
        block(d, x, y, x, y, fill)


def at(*coords):
    """Pixel centres of a logical drawing (PIL coordinates) at K pixels per logical pixel."""
    return [c * K + (K - 1) / 2 for c in coords]


def box(x0, y0, x1, y1):
    """An inclusive box of logical pixels as an inclusive box of pixels."""
    return [x0 * K, y0 * K, x1 * K + K - 1, y1 * K + K - 1]


# ---------------------------------------------------------------- glyphs on supersampled canvases

def qr_mark(d, x, y, size, fg, bg=None):
    """A small QR-like mark: three finder squares and a few modules on a 7 x 7 grid."""
    m = size / 7.0
    if bg is not None:
        d.rounded_rectangle([x - m * 0.6, y - m * 0.6, x + size + m * 0.6, y + size + m * 0.6],
                            radius=m * 1.2, fill=bg)

    def finder(fx, fy):
        d.rectangle([x + fx * m, y + fy * m, x + (fx + 3) * m - 1, y + (fy + 3) * m - 1], fill=fg)
        d.rectangle([x + (fx + 0.5) * m, y + (fy + 0.5) * m, x + (fx + 2.5) * m - 1,
                     y + (fy + 2.5) * m - 1], fill=bg if bg is not None else (0, 0, 0, 0))
        d.rectangle([x + (fx + 1) * m, y + (fy + 1) * m, x + (fx + 2) * m - 1, y + (fy + 2) * m - 1],
                    fill=fg)

    finder(0, 0)
    finder(4, 0)
    finder(0, 4)
    for mx, my in [(4, 4), (6, 4), (5, 5), (4, 6), (6, 6), (3, 1), (3, 5), (1, 3), (5, 3)]:
        d.rectangle([x + mx * m, y + my * m, x + (mx + 1) * m - 1, y + (my + 1) * m - 1], fill=fg)


def icon_make(d, cx, cy, c):
    qr_mark(d, cx - s(17), cy - s(17), s(30), c)
    # pencil across the lower right corner
    d.line([(cx + s(4), cy + s(20)), (cx + s(20), cy + s(4))], fill=c, width=lw(6))
    d.polygon([(cx + s(1), cy + s(23)), (cx + s(2), cy + s(17)), (cx + s(7), cy + s(22))], fill=c)


def icon_read(d, cx, cy, c):
    r, k, t = s(19), s(8), lw(3)
    for sx in (-1, 1):
        for sy in (-1, 1):
            x, y = cx + sx * r, cy + sy * r
            d.line([(x, y), (x - sx * k, y)], fill=c, width=t)
            d.line([(x, y), (x, y - sy * k)], fill=c, width=t)
    qr_mark(d, cx - s(11), cy - s(11), s(22), c)
    d.line([(cx - s(23), cy), (cx + s(23), cy)], fill=(230, 80, 60, 255), width=lw(2))


def icon_about(d, cx, cy, c):
    r = s(18)
    d.ellipse([cx - r, cy - r, cx + r, cy + r], outline=c, width=lw(3))
    d.ellipse([cx - s(2.5), cy - s(11), cx + s(2.5), cy - s(6)], fill=c)
    d.rounded_rectangle([cx - s(2.2), cy - s(3), cx + s(2.2), cy + s(11)], radius=s(1), fill=c)


def icon_gear(d, cx, cy, c):
    import math
    pts = []
    for i in range(32):
        a = i * math.pi / 16
        rr = s(18) if (i // 2) % 2 == 0 else s(13)
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    d.polygon(pts, fill=c)
    d.ellipse([cx - s(6), cy - s(6), cx + s(6), cy + s(6)], fill=(0, 0, 0, 0))


def icon_picture(d, cx, cy, c):
    d.rounded_rectangle([cx - s(18), cy - s(14), cx + s(18), cy + s(14)], radius=s(3), outline=c, width=lw(3))
    d.polygon([(cx - s(14), cy + s(10)), (cx - s(4), cy - s(2)), (cx + s(3), cy + s(6)),
               (cx + s(8), cy + s(1)), (cx + s(14), cy + s(10))], fill=c)
    d.ellipse([cx + s(5), cy - s(10), cx + s(11), cy - s(4)], fill=c)


def icon_copy(d, cx, cy, c):
    d.rounded_rectangle([cx - s(14), cy - s(17), cx + s(6), cy + s(9)], radius=s(2), outline=c, width=lw(3))
    d.rounded_rectangle([cx - s(6), cy - s(9), cx + s(14), cy + s(17)], radius=s(2), fill=c)


def icon_save(d, cx, cy, c):
    d.rounded_rectangle([cx - s(17), cy - s(17), cx + s(17), cy + s(17)], radius=s(3), fill=c)
    d.rectangle([cx - s(10), cy - s(17), cx + s(8), cy - s(6)], fill=(255, 255, 255, 255))
    d.rectangle([cx + s(2), cy - s(15), cx + s(6), cy - s(8)], fill=c)
    d.rounded_rectangle([cx - s(11), cy + s(2), cx + s(11), cy + s(14)], radius=s(1), fill=(255, 255, 255, 255))


def icon_text(d, cx, cy, c):
    d.rounded_rectangle([cx - s(15), cy - s(18), cx + s(15), cy + s(18)], radius=s(3), outline=c, width=lw(3))
    for i, w in enumerate((18, 18, 12, 18, 9)):
        y = cy - s(11) + s(5.5) * i
        d.line([(cx - s(9), y), (cx - s(9) + s(w), y)], fill=c, width=lw(2))


# ---------------------------------------------------------------- PNG images

def png_tab_icons(root):
    """PNG 3: 392 x 49, one 48-pixel cell per main tab icon."""
    img, d = big(392, 49)
    c = ICON_BLUE + (255,)
    for i, fn in enumerate([icon_make, icon_read, icon_about, icon_gear, icon_picture, icon_copy,
                            icon_save, icon_text]):
        fn(d, s(48 * i + 24), s(24), c)
    save_png(down(img), root, 3)


def caption_buttons(root, rid, cell, glyph, hover, pushed):
    """Title-bar buttons: three states (normal, hover, pushed) side by side, 22 pixels high."""
    h = 22
    img, d = big(cell * 3, h)
    for state in range(3):
        x0 = s(cell * state)
        if state == 1:
            d.rectangle([x0, 0, x0 + s(cell) - 1, s(h) - 1], fill=hover)
        elif state == 2:
            d.rectangle([x0, 0, x0 + s(cell) - 1, s(h) - 1], fill=pushed)
        glyph(d, x0 + s(cell) / 2, s(h) / 2, (255, 255, 255, 255))
    save_png(down(img), root, rid)


def glyph_close(d, cx, cy, c):
    k = s(5)
    d.line([(cx - k, cy - k), (cx + k, cy + k)], fill=c, width=lw(1.6))
    d.line([(cx - k, cy + k), (cx + k, cy - k)], fill=c, width=lw(1.6))


def glyph_menu(d, cx, cy, c):
    for dy in (-4, 0, 4):
        d.line([(cx - s(6), cy + s(dy)), (cx + s(6), cy + s(dy))], fill=c, width=lw(1.6))


def glyph_max(d, cx, cy, c):
    d.rectangle([cx - s(5), cy - s(5), cx + s(5), cy + s(5)], outline=c, width=lw(1.5))


def glyph_min(d, cx, cy, c):
    d.line([(cx - s(6), cy + s(1)), (cx + s(6), cy + s(1))], fill=c, width=lw(1.6))


def glyph_restore(d, cx, cy, c):
    d.rectangle([cx - s(5), cy - s(2), cx + s(3), cy + s(6)], outline=c, width=lw(1.5))
    d.line([(cx - s(2), cy - s(5)), (cx + s(6), cy - s(5)), (cx + s(6), cy + s(3))], fill=c, width=lw(1.5))


def png_logo(root):
    """PNG 60: 260 x 70 logo, drawn on a transparent background."""
    img, d = big(260, 70)
    qr_mark(d, s(12), s(12), s(40), (255, 255, 255, 255), bg=ICON_BLUE + (255,))
    title = ImageFont.truetype(FONT_BOLD, s(30))
    sub = ImageFont.truetype(FONT_REGULAR, s(11))
    d.text((s(66), s(9)), "Merovask", font=title, fill=(31, 94, 170, 255))
    d.text((s(68), s(46)), "QR code maker & reader", font=sub, fill=(90, 130, 175, 255))
    save_png(down(img), root, 60)


def app_icon(root, rid, size):
    img, d = big(size, size)
    pad = size / 16
    d.rounded_rectangle([s(pad), s(pad), s(size - pad) - 1, s(size - pad) - 1], radius=s(size / 5),
                        fill=ICON_BLUE + (255,))
    inner = size * 0.56
    off = (size - inner) / 2
    qr_mark(d, s(off), s(off), s(inner), (255, 255, 255, 255))
    save_png(down(img), root, rid, folder="icon")


# ---------------------------------------------------------------- bitmaps

def bmp_panel(root, rid, border, centre):
    img, d = canvas(3, 3, border)
    block(d, 1, 1, 1, 1, centre)
    save_bmp(img, root, rid)


def bmp_main_head(root):
    """10001: 7 x 23 title bar; left 3 and right 3 columns, centre column stretched."""
    img, d = canvas(7, 23, (0, 0, 0))
    vgradient(img, 0, 0, 7, 23, BLUE_TOP, BLUE)
    block(d, 0, 0, 6, 0, (118, 182, 242))
    save_bmp(img, root, 10001)


def bmp_main_body(root):
    """10002: 15 x 90 body frame, top strip 88 rows (behind the main tabs), left and right 7."""
    img, d = canvas(15, 90, WINDOW)
    vgradient(img, 0, 0, 15, 80, (214, 232, 250), (240, 247, 254))
    vgradient(img, 0, 80, 15, 88, (240, 247, 254), WINDOW)
    block(d, 0, 0, 0, 89, BLUE)
    block(d, 14, 0, 14, 89, BLUE)
    block(d, 0, 89, 14, 89, BLUE)
    save_bmp(img, root, 10002)


def bmp_main_foot(root):
    """10003: 5 x 23 footer; left 2 and right 2 columns."""
    img, d = canvas(5, 23, (0, 0, 0))
    vgradient(img, 0, 0, 5, 23, BLUE, (40, 112, 196))
    block(d, 0, 0, 4, 0, BLUE_DARK)
    save_bmp(img, root, 10003)


def bmp_main_tabs(root):
    """10004: 213 x 71, main tabs in three states of 71 (normal, hover, selected); FF00FF is clear."""
    img, d = canvas(213, 71, MAGENTA)
    d.rounded_rectangle(box(71 + 1, 1, 71 + 69, 69), radius=7 * K, width=K, fill=(236, 245, 254),
                        outline=(170, 205, 240))
    d.rounded_rectangle(box(142 + 1, 1, 142 + 69, 69), radius=7 * K, width=K, fill=WHITE, outline=(90, 160, 232))
    block(d, 142 + 14, 67, 142 + 56, 68, BLUE)
    save_bmp(img, root, 10004)


def bmp_page_tabs(root):
    """10005: 21 x 25, page tabs in three states of 7 (normal, hover, selected), left end 3."""
    img, d = canvas(21, 25, MAGENTA)
    looks = [((234, 242, 251), (214, 228, 243)), ((247, 251, 255), (229, 240, 252)), (WHITE, WHITE)]
    for i, (top, bottom) in enumerate(looks):
        x0 = 7 * i
        vgradient(img, x0, 0, x0 + 7, 25, top, bottom)
        if K == 1:
            block(d, x0 + 2, 0, x0 + 4, 0, BORDER)                 # top edge
            dots(d, [(x0 + 1, 1), (x0 + 5, 1)], BORDER)             # rounded corners
            block(d, x0, 2, x0, 24, BORDER)
            block(d, x0 + 6, 2, x0 + 6, 24, BORDER)
            dots(d, [(x0, 0), (x0 + 1, 0), (x0, 1), (x0 + 5, 0), (x0 + 6, 0), (x0 + 6, 1)], MAGENTA)
        else:
            # Finer pixels make a rounder corner of the same reach (two logical pixels).
            outline = [x0 * K, 0, (x0 + 7) * K - 1, 27 * K]       # past the bottom: square there
            outside = Image.new("L", img.size, 0)
            od = ImageDraw.Draw(outside)
            od.rectangle([x0 * K, 0, (x0 + 7) * K - 1, img.height - 1], fill=255)
            od.rounded_rectangle(outline, radius=2 * K, fill=0)
            img.paste(MAGENTA, (0, 0), outside)
            d.rounded_rectangle(outline, radius=2 * K, outline=BORDER, width=K)
        if i == 2:
            block(d, x0 + 2, 0, x0 + 4, 0, BLUE)                   # the selected tab carries a blue top
        else:
            block(d, x0, 24, x0 + 6, 24, BORDER)                   # unselected tabs close at the bottom
    save_bmp(img, root, 10005)


def bmp_tab_header(root):
    img, _ = canvas(1, 32, (0, 0, 0))
    vgradient(img, 0, 0, 1, 32, (245, 249, 254), (227, 238, 249))
    save_bmp(img, root, 10006)


def bmp_dialog_frame(root):
    """10011: 15 x 90 dialog frame: top 32 (title bar), left 5, right 9, bottom 57 (button row)."""
    img, d = canvas(15, 90, WINDOW)
    vgradient(img, 0, 0, 15, 32, BLUE_TOP, BLUE)
    vgradient(img, 0, 34, 15, 89, (244, 248, 252), (234, 242, 250))
    block(d, 0, 0, 14, 0, (118, 182, 242))
    block(d, 1, 33, 13, 33, (214, 226, 239))
    block(d, 0, 32, 0, 89, BLUE)
    block(d, 14, 32, 14, 89, BLUE)
    block(d, 0, 89, 14, 89, BLUE)
    save_bmp(img, root, 10011)


def bmp_msgbox_frame(root):
    """10012: 5 x 3 message-box frame: blue 1-pixel sides and bottom."""
    img, d = canvas(5, 3, WINDOW)
    block(d, 0, 0, 0, 2, BLUE)
    block(d, 4, 0, 4, 2, BLUE)
    block(d, 0, 2, 4, 2, BLUE)
    save_bmp(img, root, 10012)


def bmp_list_images(root):
    """10040 - 10046: 16 x 16 list-view images: sort up, sort down, checked, unchecked, ok,
    warning, error."""
    def white():
        return canvas(16, 16, WHITE)

    def polygon(d, points, fill):
        d.polygon([tuple(at(*p)) for p in points], fill=fill)

    def line(d, points, fill):
        d.line([tuple(at(*p)) for p in points], fill=fill, width=2 * K)

    img, d = white(); polygon(d, [(4, 10), (8, 5), (12, 10)], ICON_BLUE); save_bmp(img, root, 10040)
    img, d = white(); polygon(d, [(4, 6), (8, 11), (12, 6)], ICON_BLUE); save_bmp(img, root, 10041)
    img, d = white()
    d.rectangle(box(2, 2, 13, 13), outline=BLUE, fill=WHITE, width=K)
    line(d, [(4, 8), (7, 11), (12, 4)], BLUE)
    save_bmp(img, root, 10042)
    img, d = white(); d.rectangle(box(2, 2, 13, 13), outline=BORDER, fill=WHITE, width=K); save_bmp(img, root, 10043)
    img, d = white()
    d.ellipse(box(1, 1, 14, 14), fill=(46, 160, 90))
    line(d, [(4, 8), (7, 11), (11, 5)], WHITE)
    save_bmp(img, root, 10044)
    img, d = white()
    polygon(d, [(8, 1), (15, 14), (1, 14)], (240, 176, 40))
    line(d, [(8, 5), (8, 10)], WHITE)
    dots(d, [(8, 12)], WHITE)
    save_bmp(img, root, 10045)
    img, d = white()
    d.ellipse(box(1, 1, 14, 14), fill=(214, 60, 50))
    line(d, [(5, 5), (10, 10)], WHITE)
    line(d, [(5, 10), (10, 5)], WHITE)
    save_bmp(img, root, 10046)


def draw_all(root):
    png_tab_icons(root)
    caption_buttons(root, 44, 47, glyph_close, (232, 17, 35, 255), (176, 16, 28, 255))
    light, dark = (255, 255, 255, 60), (0, 0, 0, 40)
    caption_buttons(root, 45, 30, glyph_menu, light, dark)
    caption_buttons(root, 46, 30, glyph_max, light, dark)
    caption_buttons(root, 47, 30, glyph_min, light, dark)
    caption_buttons(root, 48, 30, glyph_restore, light, dark)
    png_logo(root)
    app_icon(root, 100, 48)
    app_icon(root, 101, 16)
    bmp_panel(root, 106, (197, 211, 226), WINDOW)
    bmp_panel(root, 107, BORDER, WHITE)
    bmp_main_head(root)
    bmp_main_body(root)
    bmp_main_foot(root)
    bmp_main_tabs(root)
    bmp_page_tabs(root)
    bmp_tab_header(root)
    bmp_dialog_frame(root)
    bmp_msgbox_frame(root)
    bmp_list_images(root)


def main():
    global K
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for sub in ("png", "bmp", "icon"):
        os.makedirs(os.path.join(root, sub), exist_ok=True)
    for K in (1, 2):
        draw_all(root)


if __name__ == "__main__":
    main()
