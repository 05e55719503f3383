#!/usr/bin/python3
"""Makes labelled photo-like pictures of QR symbols for bench_corpus.

    /usr/bin/python3 bench/corpus/make_corpus.py OUTDIR [--slice] [--category NAME[,NAME...]]

Writes OUTDIR/CATEGORY/NNN.png|jpg and OUTDIR/manifest.jsonl: one JSON object per picture with
its file (relative to OUTDIR), category, a short description of how it was made, and the
symbols it holds (text in UTF-8, data bytes in hex, encoder, version, level; for Micro QR and
rMQR also their format). The symbols come from independent encoders (segno, qrencode,
python3-qrcode, zint), never from ours. Every picture is
drawn from a seed of its own (category and index), so the set is the same on every run, and
--slice writes the first few pictures of each category: a subset of the full set.

A picture is a scene: a background, one or more flat surfaces (a symbol, a printed page, a
card, a label) each mapped onto the picture through a chain of geometric effects (perspective,
cylinder, wrinkles), then light (gradient, hard shadow, shading), optics (blur), the sensor
(noise, colour cast) and the file (JPEG quality, greyscale). The scene is drawn at twice the
picture's resolution and reduced by area averaging, so edges are anti-aliased as a camera's.
Anything drawn over modules (logos, a nested symbol, colour patches) is kept within the
symbol's error correction by construction: the codewords it touches are counted per block.

Needs Debian's python3-segno, python3-qrcode, python3-numpy, python3-pil, python3-opencv and
the qrencode program.
"""
import argparse
import functools
import io
import json
import math
import multiprocessing
import os
import subprocess
import zlib
from dataclasses import dataclass

import cv2
import numpy as np
import qrcode
import segno
import segno.consts
import segno.encoder
from PIL import Image, ImageDraw, ImageFont

SEED = 18004
SUPERSAMPLE = 2
LEVELS = "LMQH"
SEGNO_LEVEL = {"L": segno.consts.ERROR_LEVEL_L, "M": segno.consts.ERROR_LEVEL_M,
               "Q": segno.consts.ERROR_LEVEL_Q, "H": segno.consts.ERROR_LEVEL_H}
ENCODERS = ("segno", "qrencode", "qrcode")

# ---------------------------------------------------------------------------------------------
# Content

WORDS = ("merovask scan code photo label print shirt poster ticket menu order price store "
         "coffee garden river north station museum window paper light shadow market green "
         "table coupon member event city online delivery").split()
CHINESE = ("二维码识别测试", "欢迎光临本店", "你好，世界", "扫码关注我们", "北京市海淀区", "优惠券有效期至",
           "会员积分兑换", "请出示此码")
EMOJI = ("😀", "🎉", "📷", "🚀", "☕", "🌸")
JAPANESE = ("日本語のテキスト", "こんにちは世界", "漢字モード", "東京駅八重洲口", "お問い合わせ",
            "営業時間のご案内", "カタカナ", "ありがとうございます")
ALNUM = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:"
# Kinds of content, the segment mode the capacity is reckoned in, and how often each comes:
# addresses and plain text most, Shift JIS kanji least.
KIND_MODE = {"url": "byte", "digits": "numeric", "alnum": "alphanumeric", "text": "byte",
             "utf8": "byte", "kanji": "kanji"}
KIND_WEIGHT = {"url": 0.25, "digits": 0.15, "alnum": 0.15, "text": 0.2, "utf8": 0.15, "kanji": 0.1}
KINDS = tuple(KIND_MODE)


def char_capacity(version, level, mode):
    """How many characters of one segment in `mode` fit the version at the level."""
    bits = 8 * sum(b.num_blocks * b.num_data for b in segno.consts.ECC[version][SEGNO_LEVEL[level]])
    group = 0 if version <= 9 else 1 if version <= 26 else 2
    count_bits = {"numeric": (10, 12, 14), "alphanumeric": (9, 11, 13), "byte": (8, 16, 16),
                  "kanji": (8, 10, 12)}[mode][group]
    bits -= 4 + count_bits
    if mode == "numeric":
        return bits // 10 * 3 + (2 if bits % 10 >= 7 else 1 if bits % 10 >= 4 else 0)
    if mode == "alphanumeric":
        return bits // 11 * 2 + (1 if bits % 11 >= 6 else 0)
    return bits // (8 if mode == "byte" else 13)


def fill(rng, pieces, fits):
    """Joins randomly chosen pieces while the result still `fits`; the last one cut to fit."""
    out = ""
    while True:
        piece = str(rng.choice(pieces))
        while piece and not fits(out + piece):
            piece = piece[:-1]
        if not piece:
            return out
        out += piece


def make_content(rng, kind, version, level):
    """(kind, text, data bytes) of the kind, or of a kind that fits when it has no room,
    taking 30-90 % of what the version holds."""
    capacity = char_capacity(version, level, KIND_MODE[kind])
    budget = max(1, int(capacity * rng.uniform(0.3, 0.9)))
    if kind == "url" and budget < 24:
        kind = "text"  # no room for an address
    if kind == "digits":
        text = "".join(str(d) for d in rng.integers(0, 10, budget))
    elif kind == "alnum":
        text = "".join(ALNUM[i] for i in rng.integers(0, len(ALNUM), budget)).strip() or "A"
    elif kind == "url":
        text = "https://example.org/" + fill(rng, [w + "/" for w in WORDS] + ["?id=%d&" % i for i in range(10, 99)],
                                             lambda s: len(s) <= budget - 20)
    elif kind == "text":
        text = fill(rng, [w.capitalize() + " " for w in WORDS] + [w + ", " for w in WORDS],
                    lambda s: len(s) <= budget).strip() or "Scan"
    elif kind == "utf8":
        text = fill(rng, CHINESE + EMOJI + ("Code ", " 2024 "), lambda s: len(s.encode()) <= budget)
    else:
        text = fill(rng, JAPANESE, lambda s: len(s) <= budget)
    if not text:  # no room for even one of the kind's characters
        return make_content(rng, "digits", version, level)
    data = text.encode("shift_jis" if kind == "kanji" else "utf-8")
    return kind, text, data


# ---------------------------------------------------------------------------------------------
# Symbols from independent encoders


@dataclass
class Symbol:
    matrix: np.ndarray  # bool, dark = True, rows from the top, no quiet zone
    text: str
    data: bytes
    encoder: str
    version: int
    level: str
    kind: str

    def label(self):
        return {"text": self.text, "hex": self.data.hex(), "encoder": self.encoder,
                "version": self.version, "level": self.level}


def encode(encoder, kind, data, text, version, level):
    """The symbol's modules from one of the encoders (version as asked, or larger if needed)."""
    if encoder == "segno":
        content = text if kind == "kanji" else data
        mode = {"kanji": "kanji", "digits": "numeric", "alnum": "alphanumeric"}.get(kind, "byte")
        qr = segno.make_qr(content, error=level, version=version, mode=mode, boost_error=False)
        return np.array([list(row) for row in qr.matrix], dtype=bool)
    if encoder == "qrencode":
        args = ["qrencode", "-t", "ASCII", "-m", "0", "-v", str(version), "-l", level, "-o", "-"]
        args.append("-k" if kind == "kanji" else "-8" if kind in ("utf8", "text", "url") else "-c")
        out = subprocess.run(args, input=data, capture_output=True, check=True).stdout.decode()
        return np.array([[c == "#" for c in row[::2]] for row in out.splitlines() if row], dtype=bool)
    level_constant = {"L": qrcode.constants.ERROR_CORRECT_L, "M": qrcode.constants.ERROR_CORRECT_M,
                      "Q": qrcode.constants.ERROR_CORRECT_Q, "H": qrcode.constants.ERROR_CORRECT_H}[level]
    qr = qrcode.QRCode(version=version, error_correction=level_constant, border=0)
    qr.add_data(data, optimize=0)
    qr.make(fit=False)
    return np.array(qr.get_matrix(), dtype=bool)


def make_symbol(rng, p, version=None, level=None, avoid=()):
    """A symbol with random content within the category's versions, levels, kinds, encoders."""
    version = version or int(rng.integers(p["versions"][0], p["versions"][1] + 1))
    level = level or str(rng.choice(list(p["levels"])))
    weights = np.array([KIND_WEIGHT[k] for k in p["kinds"]])
    kind = str(rng.choice(list(p["kinds"]), p=weights / weights.sum()))
    kind, text, data = make_content(rng, kind, version, level)
    while text in avoid:
        kind, text, data = make_content(rng, kind, version, level)
    encoders = [e for e in p["encoders"] if not (e == "qrcode" and kind == "kanji")]
    encoder = str(rng.choice(encoders))
    matrix = encode(encoder, kind, data, text, version, level)
    return Symbol(matrix, text, data, encoder, (len(matrix) - 17) // 4, level, kind)


# ---------------------------------------------------------------------------------------------
# Error-correction budget: which codeword each module carries


@functools.lru_cache(maxsize=None)
def codeword_map(version):
    """Per module: the index of the codeword it carries in the interleaved sequence, -1 for
    function patterns and remainder bits; and a mask of the function modules (finders,
    separators, timing, format, version and alignment patterns), which nothing may cover."""
    matrix = segno.encoder.make_matrix(version)
    segno.encoder.add_finder_patterns(matrix, False)
    segno.encoder.add_alignment_patterns(matrix, version)
    free = np.array([list(r) for r in matrix]) == 0x2
    n = len(matrix)
    index = np.full((n, n), -1, dtype=int)
    bit = 0
    for right in range(n - 1, 0, -2):  # two-module columns from the right, up and down in turn
        right -= 1 if right <= 6 else 0
        for step in range(n):
            for j in (right, right - 1):
                upwards = ((right & 2) == 0) ^ (j < 6)
                i = n - 1 - step if upwards else step
                if free[i, j]:
                    index[i, j] = bit // 8
                    bit += 1
    codewords = sum(b.num_blocks * b.num_total for b in segno.consts.ECC[version][SEGNO_LEVEL["L"]])
    index[index >= codewords] = -1
    return index, ~free


def codeword_blocks(version, level):
    """The block of each codeword in the interleaved order, and each block's correction budget
    (whole codewords it can correct, less those kept for misdecode protection)."""
    blocks = [b for b in segno.consts.ECC[version][SEGNO_LEVEL[level]] for _ in range(b.num_blocks)]
    order = [k for c in range(max(b.num_data for b in blocks)) for k, b in enumerate(blocks) if c < b.num_data]
    order += [k for c in range(blocks[0].num_total - blocks[0].num_data) for k in range(len(blocks))]
    protection = {(1, "L"): 3, (1, "M"): 2, (1, "Q"): 1, (1, "H"): 1, (2, "L"): 2, (3, "L"): 1}
    p = protection.get((version, level), 0)
    return order, [(b.num_total - b.num_data - p) // 2 for b in blocks]


def within_budget(symbol, covered, share=2 / 3):
    """Whether covering the `covered` modules (bool matrix) leaves the symbol readable: no
    function module covered, and per block at most `share` of what it can correct, the rest
    left for the picture's own blemishes."""
    index, function = codeword_map(symbol.version)
    if (covered & function).any():
        return False
    order, budget = codeword_blocks(symbol.version, symbol.level)
    touched = np.zeros(len(budget), dtype=int)
    for codeword in np.unique(index[covered & (index >= 0)]):
        touched[order[codeword]] += 1
    return bool((touched <= np.floor(np.array(budget) * share)).all())


def square(n, cx, cy, side):
    """The modules a square of `side` modules centred at (cx, cy) touches."""
    covered = np.zeros((n, n), dtype=bool)
    x0, y0 = max(math.floor(cx - side / 2), 0), max(math.floor(cy - side / 2), 0)
    covered[y0:math.ceil(cy + side / 2), x0:math.ceil(cx + side / 2)] = True
    return covered


def logo_spot(symbol, share=2 / 3):
    """(cx, cy, side) in modules: the largest square that may be covered, in the symbol's centre
    or, where an alignment pattern sits there (version 7 on), in the middle of a cell of the
    alignment grid next to the centre. Side 0 if none fits."""
    n = len(symbol.matrix)
    centres = [n / 2]
    if symbol.version >= 7:
        grid = segno.consts.ALIGNMENT_POS[symbol.version - 2]
        middles = sorted(((a + b) / 2 + 0.5 for a, b in zip(grid, grid[1:])), key=lambda m: abs(m - n / 2))
        centres = middles[:2]
    best = (n / 2, n / 2, 0)
    for cx in centres:
        for cy in centres:
            side = best[2] + 1
            while within_budget(symbol, square(n, cx, cy, side), share):
                best = (cx, cy, side)
                side += 1
    return best


# ---------------------------------------------------------------------------------------------
# Surfaces: flat things in their own coordinates (the main symbol's modules), drawn at any
# point. A layer is a function from surface points (u, v) to colours (N x 3) and coverage (N).


def symbol_layer(symbol, x0, y0, module, quiet, style):
    """The symbol with its quiet zone, top-left of the quiet zone at (x0, y0), `module` surface
    units per module. Style: dark, light (colours), dots (radius or 0), invert, mirror,
    dark_to (a second dark colour for a gradient across the symbol)."""
    matrix = np.fliplr(symbol.matrix) if style.get("mirror") else symbol.matrix
    n = len(matrix)
    dark = np.array(style.get("dark", (0.05, 0.05, 0.05)), dtype=np.float32)
    light = np.array(style.get("light", (0.95, 0.95, 0.95)), dtype=np.float32)
    if style.get("invert"):
        dark, light = light, dark
    finder = np.zeros((n, n), dtype=bool)
    finder[:8, :8] = finder[:8, -8:] = finder[-8:, :8] = True

    def draw(u, v):
        c = (u - x0) / module - quiet
        r = (v - y0) / module - quiet
        inside = (c >= -quiet) & (c < n + quiet) & (r >= -quiet) & (r < n + quiet)
        ci, ri = np.floor(c).astype(int), np.floor(r).astype(int)
        on = (ci >= 0) & (ci < n) & (ri >= 0) & (ri < n)
        dark_module = np.zeros(u.shape, dtype=bool)
        dark_module[on] = matrix[ri[on], ci[on]]
        if style.get("dots"):
            round_ok = ((c - ci - 0.5) ** 2 + (r - ri - 0.5) ** 2) < style["dots"] ** 2
            keep_square = np.zeros(u.shape, dtype=bool)
            keep_square[on] = finder[ri[on], ci[on]]
            dark_module &= round_ok | keep_square
        in_finder = np.zeros(u.shape, dtype=bool)
        in_finder[on] = finder[ri[on], ci[on]]
        if style.get("rounded"):  # squares with rounded corners, the finders left alone
            dark_module &= in_rounded(c - ci, r - ri, 0, 0, 1, style["rounded"]) | in_finder
        if "finder_radius" in style:  # finders as rounded squares (3.5: rings and a disc)
            dark_module = np.where(in_finder, finder_shape(c, r, n, style["finder_radius"]), dark_module)
        tone = dark
        if "dark_to" in style:
            t = np.clip((c + r) / (2 * n), 0, 1)[:, None]
            tone = dark * (1 - t) + np.array(style["dark_to"], dtype=np.float32) * t
        rgb = np.where(dark_module[:, None], tone, light)
        return rgb.astype(np.float32), inside.astype(np.float32)
    return draw


def in_rounded(x, y, x0, y0, side, radius):
    """Whether points lie in the square of `side` at (x0, y0) with corners rounded by `radius`."""
    h = side / 2
    dx, dy = np.abs(x - x0 - h), np.abs(y - y0 - h)
    qx, qy = np.maximum(dx - (h - radius), 0), np.maximum(dy - (h - radius), 0)
    return (dx <= h) & (dy <= h) & (qx ** 2 + qy ** 2 <= radius ** 2)


def finder_shape(c, r, n, radius):
    """Dark points of the three finders drawn as rounded squares: the ring's outer corners rounded
    by `radius` modules, its inner and the centre's in proportion."""
    dark = np.zeros(c.shape, dtype=bool)
    for fx, fy in ((0, 0), (n - 7, 0), (0, n - 7)):
        ring = in_rounded(c, r, fx, fy, 7, radius) & ~in_rounded(c, r, fx + 1, fy + 1, 5, radius * 5 / 7)
        dark |= ring | in_rounded(c, r, fx + 2, fy + 2, 3, radius * 3 / 7)
    return dark


def logo_layer(cx, cy, side, colours, rounded=0.25):
    """A logo: a square badge with a light border and a disc, centred at (cx, cy)."""
    border, badge, disc = (np.array(c, dtype=np.float32) for c in colours)

    def draw(u, v):
        dx, dy = np.abs(u - cx), np.abs(v - cy)
        h, r = side / 2, side * rounded
        qx, qy = np.maximum(dx - (h - r), 0), np.maximum(dy - (h - r), 0)
        inside = (dx <= h) & (dy <= h) & (qx ** 2 + qy ** 2 <= r ** 2)
        inner = (dx <= h * 0.85) & (dy <= h * 0.85) & (qx ** 2 + qy ** 2 <= (r * 0.85) ** 2)
        in_disc = (dx ** 2 + dy ** 2) <= (side * 0.22) ** 2
        rgb = np.where(in_disc[:, None], disc, np.where(inner[:, None], badge, border))
        return rgb, inside.astype(np.float32)
    return draw


def rect_layer(x0, y0, x1, y1, colour):
    """A plain rectangle: paper, a card, a label."""
    colour = np.array(colour, np.float32)

    def draw(u, v):
        inside = (u >= x0) & (u < x1) & (v >= y0) & (v < y1)
        return np.broadcast_to(colour, u.shape + (3,)), inside.astype(np.float32)
    return draw


def raster_layer(image, x0, y0, scale):
    """A picture (float RGBA, 0..1) laid on the surface at (x0, y0), `scale` surface units per
    pixel; sampled bilinearly."""
    def draw(u, v):
        # remap takes maps shorter than 32767 on a side: the points go in rows of 4096.
        pad = -len(u) % 4096
        mx = np.pad((u - x0) / scale - 0.5, (0, pad)).astype(np.float32).reshape(-1, 4096)
        my = np.pad((v - y0) / scale - 0.5, (0, pad)).astype(np.float32).reshape(-1, 4096)
        s = cv2.remap(image, mx, my, cv2.INTER_LINEAR, borderMode=cv2.BORDER_CONSTANT, borderValue=0)
        s = s.reshape(-1, 4)[:len(u)]
        return s[:, :3], s[:, 3]
    return draw


def text_block(rng, width, height, ink=(0.1, 0.1, 0.12), paper=(0.93, 0.92, 0.88)):
    """Lines of printed text (with a heading and a few rules) on paper, as float RGBA."""
    image = Image.new("RGB", (width, height), tuple(int(255 * c) for c in paper))
    draw = ImageDraw.Draw(image)
    font = ImageFont.load_default()
    ink8 = tuple(int(255 * c) for c in ink)
    y = int(rng.integers(2, 8))
    while y < height - 10:
        if rng.random() < 0.08:
            draw.rectangle([4, y + 2, width - 4, y + 3], fill=ink8)
            y += 8
            continue
        words = " ".join(str(rng.choice(WORDS)) for _ in range(width // 30 + 1))
        x = int(rng.integers(2, 10))
        draw.text((x, y), words if rng.random() > 0.1 else words.upper(), fill=ink8, font=font)
        y += 13
    return np.dstack([np.asarray(image, dtype=np.float32) / 255, np.ones((height, width), np.float32)])


def surface(layers):
    """Draws the layers in order, each over the ones before: (u, v) -> (rgb, alpha)."""
    def draw(u, v):
        rgb = np.zeros(u.shape + (3,), np.float32)
        alpha = np.zeros(u.shape, np.float32)
        for layer in layers:
            c, a = layer(u, v)
            rgb = rgb * (1 - a[:, None]) + c * a[:, None]
            alpha = alpha + a * (1 - alpha)
        return rgb, alpha
    return draw


# ---------------------------------------------------------------------------------------------
# Geometry: chains from picture points back to surface points


def homography(ppm, angle, tilt, tilt_direction, focal):
    """Maps surface points (modules, centred on the symbol) to picture points (centred): the
    surface turned by `angle` in its plane, then tilted by `tilt` about an axis at
    `tilt_direction`, seen by a pinhole camera of focal length `focal` (pixels) from where one
    module at the centre measures `ppm` pixels. Angles in degrees."""
    a, t, d = (math.radians(x) for x in (angle, tilt, tilt_direction))
    turn = np.array([[math.cos(a), -math.sin(a), 0], [math.sin(a), math.cos(a), 0], [0, 0, 1]])
    axis = np.array([math.cos(d), math.sin(d), 0])
    k = np.array([[0, -axis[2], axis[1]], [axis[2], 0, -axis[0]], [-axis[1], axis[0], 0]])
    tilt_matrix = np.eye(3) + math.sin(t) * k + (1 - math.cos(t)) * k @ k
    r = tilt_matrix @ turn
    plane = np.array([[r[0, 0] * ppm, r[0, 1] * ppm, 0], [r[1, 0] * ppm, r[1, 1] * ppm, 0],
                      [r[2, 0] * ppm, r[2, 1] * ppm, focal]])
    return np.diag([1.0, 1.0, 1 / focal]) @ plane


def project(h, points):
    p = np.c_[points, np.ones(len(points))] @ h.T
    return p[:, :2] / p[:, 2:]


@dataclass
class Placement:
    """A surface seen in the picture: surface points = unwarp(picture points)."""
    draw: object        # surface drawing (u, v) -> (rgb, alpha)
    h: np.ndarray       # homography, surface (centred on `origin`) -> picture
    origin: tuple       # the surface point at the homography's centre
    extent: tuple       # (u0, v0, u1, v1): the surface's bounds, for the picture bounding box
    curve: float = 0    # cylinder: half the arc the surface's width spans, degrees (0: flat)
    wrinkle: object = None  # displacement field in picture pixels: (x, y) -> (dx, dy, shade)


def warp(placement, x, y):
    """Picture points to surface points through the chain (wrinkles, perspective, cylinder), with
    the shading the surface's shape gives and whether the point is on the surface at all."""
    shade = np.ones(x.shape, np.float32)
    if placement.wrinkle is not None:
        dx, dy, s = placement.wrinkle(x, y)
        x, y, shade = x + dx, y + dy, shade * s
    p = np.c_[x, y, np.ones(len(x))] @ np.linalg.inv(placement.h).T
    valid = p[:, 2] > 0
    u, v = p[:, 0] / np.where(valid, p[:, 2], 1), p[:, 1] / np.where(valid, p[:, 2], 1)
    if placement.curve:
        u, s, ok = curve(u, placement)
        shade, valid = shade * s, valid & ok
    return u + placement.origin[0], v + placement.origin[1], shade, valid


def curve(u, placement):
    """A cylinder whose axis runs along the surface's v direction: projected u back to arc
    length, with Lambert shading for a light from the front and a little to one side."""
    u0, _, u1, _ = placement.extent
    half = (u1 - u0) / 2
    radius = half / math.radians(placement.curve)
    ratio = np.clip(u / radius, -1, 1)
    theta = np.arcsin(ratio)
    shade = 0.45 + 0.55 * np.clip(np.cos(theta - 0.35), 0, 1)
    return radius * theta, shade.astype(np.float32), np.abs(u) < radius


def wrinkles(rng, ppm, amplitude, count=4):
    """A smooth displacement field of `count` folds: amplitude in modules, wavelengths of 12 to
    40 modules (cloth folds are wider than a few modules, and never fold the print over), with
    the shading of the folds' slopes."""
    waves = []
    for _ in range(count):
        direction = rng.uniform(0, 2 * math.pi)
        wavelength = rng.uniform(12, 40) * ppm
        waves.append((math.cos(direction) / wavelength, math.sin(direction) / wavelength,
                      rng.uniform(0, 2 * math.pi), rng.uniform(0.3, 1) * amplitude * ppm, rng.uniform(0, 2 * math.pi)))

    def field(x, y):
        dx, dy, slope = np.zeros_like(x), np.zeros_like(x), np.zeros_like(x)
        for kx, ky, phase, a, push in waves:
            w = 2 * math.pi * (kx * x + ky * y) + phase
            dx += a * math.cos(push) * np.sin(w)
            dy += a * math.sin(push) * np.sin(w)
            slope += a * 2 * math.pi * math.hypot(kx, ky) * np.cos(w)
        return dx, dy, (1 + 0.35 * np.tanh(slope)).astype(np.float32)
    return field


def bounding_box(placement, width, height, margin):
    """Picture pixels that the placement may cover (clipped to the picture)."""
    u0, v0, u1, v1 = placement.extent
    ox, oy = placement.origin
    corners = np.array([[u0 - ox, v0 - oy], [u1 - ox, v0 - oy], [u1 - ox, v1 - oy], [u0 - ox, v1 - oy]])
    p = np.c_[corners, np.ones(4)] @ placement.h.T
    if (p[:, 2] <= 0).any():
        return 0, 0, width, height
    xy = p[:, :2] / p[:, 2:]
    x0, y0 = np.floor(xy.min(axis=0) - margin).astype(int)
    x1, y1 = np.ceil(xy.max(axis=0) + margin).astype(int)
    return max(x0, 0), max(y0, 0), min(x1, width), min(y1, height)


def compose(canvas, placement):
    """Draws the placement over the canvas (supersampled, float RGB) in place."""
    height, width = canvas.shape[:2]
    s = SUPERSAMPLE
    margin = 4 * (1 + (placement.wrinkle is not None) * 6)
    x0, y0, x1, y1 = (c * s for c in bounding_box(placement, width // s, height // s, margin))
    for top in range(y0, y1, 256):  # in bands, to keep memory small
        bottom = min(top + 256, y1)
        ys, xs = np.mgrid[top:bottom, x0:x1]
        x, y = (xs.ravel() + 0.5) / s, (ys.ravel() + 0.5) / s  # in picture pixels
        u, v, shade, valid = warp(placement, x, y)
        rgb, alpha = placement.draw(u, v)
        alpha = (alpha * valid)[:, None]
        region = canvas[top:bottom, x0:x1].reshape(-1, 3)
        region = region * (1 - alpha) + rgb * shade[:, None] * alpha
        canvas[top:bottom, x0:x1] = region.reshape(bottom - top, x1 - x0, 3)


# ---------------------------------------------------------------------------------------------
# Backgrounds and effects on the whole picture (float RGB, 0..1)


def background(rng, kind, width, height):
    """The scene behind the surfaces, at picture size times SUPERSAMPLE."""
    w, h = width * SUPERSAMPLE, height * SUPERSAMPLE
    if kind == "white":
        return np.full((h, w, 3), 0.96, np.float32)
    if kind == "dark":
        tone = rng.uniform(0.02, 0.15)
        return np.full((h, w, 3), tone, np.float32) * np.array(rng.uniform(0.8, 1.2, 3), np.float32)
    if kind == "fabric":
        colour = np.array(rng.choice([(0.92, 0.92, 0.9), (0.75, 0.78, 0.82), (0.85, 0.7, 0.55), (0.6, 0.7, 0.85)]), np.float32)
        return np.full((h, w, 3), 1, np.float32) * colour
    if kind == "desk":
        base = np.array(rng.choice([(0.55, 0.4, 0.28), (0.7, 0.7, 0.68), (0.35, 0.38, 0.42), (0.82, 0.65, 0.52)]), np.float32)
        return (base * smooth_noise(rng, w, h, 60 * SUPERSAMPLE, 0.15)[..., None]).astype(np.float32)
    if kind == "screen":
        canvas = np.full((h, w, 3), rng.uniform(0.9, 1.0), np.float32)
        bar = np.array(rng.uniform(0.2, 0.9, 3), np.float32)
        canvas[: int(h * rng.uniform(0.06, 0.12))] = bar
        text = text_block(rng, width // 3, height // 2, paper=(1, 1, 1))
        text = cv2.resize(text, (text.shape[1] * SUPERSAMPLE, text.shape[0] * SUPERSAMPLE), interpolation=cv2.INTER_NEAREST)
        y = int(h * 0.15)
        canvas[y:y + text.shape[0], : text.shape[1]] = text[: h - y, :, :3]
        return canvas
    return busy(rng, w, h)


def smooth_noise(rng, w, h, scale, strength):
    """1 +- strength of smooth random variation with features about `scale` pixels wide."""
    small = rng.normal(0, 1, (max(2, h // scale + 2), max(2, w // scale + 2))).astype(np.float32)
    field = cv2.resize(small, (w, h), interpolation=cv2.INTER_CUBIC)
    return 1 + strength * np.clip(field, -2.5, 2.5) / 2.5


def busy(rng, w, h):
    """A cluttered scene: colour fields, shapes, lines, printed text and fine texture."""
    image = Image.new("RGB", (w // 2, h // 2), tuple(int(x) for x in rng.integers(60, 220, 3)))
    draw = ImageDraw.Draw(image)
    for _ in range(int(rng.integers(25, 60))):
        colour = tuple(int(x) for x in rng.integers(0, 256, 3))
        x0, y0 = int(rng.integers(0, w // 2)), int(rng.integers(0, h // 2))
        x1, y1 = x0 + int(rng.integers(5, w // 5)), y0 + int(rng.integers(5, h // 5))
        shape = rng.integers(0, 4)
        if shape == 0:
            draw.rectangle([x0, y0, x1, y1], fill=colour)
        elif shape == 1:
            draw.ellipse([x0, y0, x1, y1], fill=colour)
        elif shape == 2:
            draw.line([x0, y0, x1, y1], fill=colour, width=int(rng.integers(1, 6)))
        else:
            draw.rectangle([x0, y0, x1 + 20, y1 + 20], outline=colour, width=int(rng.integers(1, 4)))
    canvas = np.asarray(image, np.float32) / 255
    text = text_block(rng, w // 4, h // 4, paper=tuple(rng.uniform(0.7, 1, 3)))
    y, x = int(rng.integers(0, h // 4)), int(rng.integers(0, w // 4))
    canvas[y:y + text.shape[0], x:x + text.shape[1]] = text[:, :, :3][: h // 2 - y, : w // 2 - x]
    canvas = cv2.resize(canvas, (w, h), interpolation=cv2.INTER_LINEAR)
    grain = rng.normal(0, 0.04, (h, w, 1)).astype(np.float32)
    return np.clip(canvas * smooth_noise(rng, w, h, 40, 0.25)[..., None] + grain, 0, 1)


def light(rng, canvas, low, step=1):
    """A light gradient across the picture: full light on one side, `low` times it on the other
    (linear or from a spot); worked out every `step` pixels and interpolated between."""
    h, w = canvas.shape[:2]
    ys, xs = np.mgrid[0:h:step, 0:w:step].astype(np.float32)
    if rng.random() < 0.5:
        a = rng.uniform(0, 2 * math.pi)
        t = (xs * math.cos(a) + ys * math.sin(a))
        t = (t - t.min()) / (t.max() - t.min())
    else:
        cx, cy = rng.uniform(0, w), rng.uniform(0, h)
        t = np.clip(np.hypot(xs - cx, ys - cy) / max(w, h), 0, 1)
    if step > 1:
        t = cv2.resize(t, (w, h), interpolation=cv2.INTER_LINEAR)
    canvas *= (1 - (1 - low) * t)[..., None]


def shadow(rng, canvas, darkening, softness, across):
    """A hard-edged shadow: a polygon whose corner lies near `across` (x, y, radius in picture
    pixels: the symbol), in which light drops by `darkening` (0.4 = 40 %), its edge blurred by
    `softness` pixels."""
    h, w = canvas.shape[:2]
    mask = Image.new("L", (w, h), 0)
    a = rng.uniform(0, 2 * math.pi)
    x, y, r = (c * SUPERSAMPLE for c in across)
    cx, cy = x + rng.uniform(-0.4, 0.4) * r, y + rng.uniform(-0.4, 0.4) * r
    d = 2 * max(w, h)
    # A half-plane through (cx, cy), its edge turned by a second angle part-way for a corner.
    b = a + rng.uniform(-0.9, 0.9)
    pts = [(cx + d * math.cos(a), cy + d * math.sin(a)), (cx, cy), (cx + d * math.cos(b + math.pi), cy + d * math.sin(b + math.pi)),
           (cx + d * math.cos(b + math.pi) + d * math.cos(a + math.pi / 2), cy + d * math.sin(b + math.pi) + d * math.sin(a + math.pi / 2)),
           (cx + d * math.cos(a) + d * math.cos(a + math.pi / 2), cy + d * math.sin(a) + d * math.sin(a + math.pi / 2))]
    ImageDraw.Draw(mask).polygon(pts, fill=255)
    m = np.asarray(mask, np.float32) / 255
    if softness > 0:
        m = cv2.GaussianBlur(m, (0, 0), softness * SUPERSAMPLE)
    canvas *= (1 - darkening * m)[..., None]


def fabric(rng, canvas):
    """Woven texture: thread ridges in both directions and fine fibre noise."""
    h, w = canvas.shape[:2]
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float32)
    pitch = rng.uniform(2.5, 4.5) * SUPERSAMPLE
    weave = 1 + 0.07 * np.sin(2 * math.pi * xs / pitch) * np.sin(2 * math.pi * ys / pitch)
    canvas *= (weave * (1 + rng.normal(0, 0.04, (h, w)).astype(np.float32)))[..., None]


def finish(rng, canvas, p, scale=SUPERSAMPLE):
    """Optics, sensor and file: blur, colour cast, reduction to picture size (from a canvas at
    `scale` times it), noise, rounding."""
    if p["blur"][1] > 0:
        sigma = rng.uniform(*p["blur"]) * scale
        if sigma > 0.1:
            canvas = cv2.GaussianBlur(canvas, (0, 0), sigma)
    if p["cast"]:
        canvas = canvas * np.array(1 + rng.uniform(-p["cast"], p["cast"], 3), np.float32)
    h, w = canvas.shape[:2]
    if scale > 1:
        canvas = cv2.resize(canvas, (w // scale, h // scale), interpolation=cv2.INTER_AREA)
    if p["noise"][1] > 0 and scale > 1:
        canvas = canvas + rng.normal(0, rng.uniform(*p["noise"]), canvas.shape).astype(np.float32)
    elif p["noise"][1] > 0:  # drawn at picture size, large: single precision noise, made faster
        canvas += rng.uniform(*p["noise"]) * rng.standard_normal(canvas.shape, dtype=np.float32)
    return np.clip(np.rint(canvas * 255), 0, 255).astype(np.uint8)


def save(rng, pixels, p, path_stem):
    """Writes PNG or JPEG (quality from the category's range); greyscale if the category is."""
    image = Image.fromarray(pixels)
    if p["grey"]:
        image = image.convert("L")
    if p["jpeg"]:
        quality = int(rng.integers(p["jpeg"][0], p["jpeg"][1] + 1))
        image.save(path_stem + ".jpg", quality=quality)
        return path_stem + ".jpg", "jpeg q%d" % quality
    image.save(path_stem + ".png")
    return path_stem + ".png", "png"


# ---------------------------------------------------------------------------------------------
# Scenes


def symbol_style(rng, p):
    """Colours and marks of a symbol as printed: the category's designer options and polarity."""
    style = {"invert": rng.random() < p["invert"], "mirror": rng.random() < p["mirror"]}
    if rng.random() < p["colour"]:
        style["dark"] = tuple(rng.choice([(0.1, 0.15, 0.45), (0.05, 0.35, 0.15), (0.45, 0.05, 0.1), (0.3, 0.1, 0.4)]))
        style["light"] = tuple(rng.choice([(0.97, 0.94, 0.85), (0.88, 0.95, 1.0), (1.0, 1.0, 1.0), (0.95, 0.9, 0.95)]))
        if rng.random() < 0.5:
            style["dark_to"] = tuple(rng.choice([(0.5, 0.1, 0.4), (0.05, 0.2, 0.5), (0.1, 0.1, 0.1)]))
    if rng.random() < p["dots"]:
        style["dots"] = rng.uniform(0.36, 0.48)
    if p["ink"]:
        style["dark"] = (p["ink"],) * 3
    if p.get("low_contrast"):
        style["dark"], style["light"] = LOW_CONTRAST[int(rng.integers(0, len(LOW_CONTRAST)))]
    if p.get("rounded"):
        style["rounded"] = rng.uniform(0.25, 0.5)
    if p.get("finder_round"):
        style["finder_radius"] = float(rng.choice([1.5, 2.5, 3.5]))
    return style


def symbol_layers(rng, symbol, p, style):
    """The symbol at the surface origin, one unit per module, with a logo or colour patch when
    the category has them (sized within the symbol's error correction)."""
    quiet = p["quiet"]
    layers = [symbol_layer(symbol, 0, 0, 1, quiet, style)]
    if rng.random() < p["logo"]:
        cx, cy, side = logo_spot(symbol)
        cx = len(symbol.matrix) - cx if style.get("mirror") else cx
        if side >= 3:
            side = rng.uniform(0.75, 1.0) * side
            colours = [style.get("light", (1, 1, 1)), tuple(rng.uniform(0.1, 0.9, 3)), tuple(rng.uniform(0, 1, 3))]
            layers.append(logo_layer(quiet + cx, quiet + cy, side, colours))
    if rng.random() < p["patch"]:
        layers += colour_patch(rng, symbol, quiet, style.get("mirror"))
    return layers


def colour_patch(rng, symbol, quiet, mirror):
    """An opaque coloured disc over modules away from the centre, if one fits the budget."""
    n = len(symbol.matrix)
    rows, cols = np.mgrid[0:n, 0:n]
    for _ in range(20):
        cx, cy, radius = rng.uniform(9, n - 9), rng.uniform(9, n - 9), rng.uniform(1.5, max(2, n / 8))
        covered = (np.maximum(np.abs(cols + 0.5 - cx) - 0.5, 0) ** 2 + np.maximum(np.abs(rows + 0.5 - cy) - 0.5, 0) ** 2) <= radius ** 2
        if within_budget(symbol, covered):
            colour = np.array(rng.uniform(0.2, 1, 3), np.float32)
            cx = n - cx if mirror else cx

            def draw(u, v, cx=cx, cy=cy, radius=radius, colour=colour):
                inside = ((u - quiet - cx) ** 2 + (v - quiet - cy) ** 2) <= radius ** 2
                return np.broadcast_to(colour, u.shape + (3,)), inside.astype(np.float32)
            return [draw]
    return []


def pick_angle(rng, p, index):
    if p["angles"]:
        return p["angles"][index % len(p["angles"])] + rng.uniform(-1, 1)
    a = rng.uniform(*p["angle"])
    return a + 90 * int(rng.integers(0, 4)) if p["any_quarter"] else a


def place_symbol(rng, p, index, layers, extent, fit, origin, ppm, max_side):
    """A placement of a surface around the symbol: turned, tilted, curved and wrinkled per the
    category, shrunk until the projection of `fit` (the symbol's square, in surface units) spans
    at most `max_side` pixels. Returns the placement, the projected `fit` corners, a note."""
    angle = pick_angle(rng, p, index)
    tilt = rng.uniform(*p["tilt"])
    direction = rng.uniform(0, 360)
    u0, v0, u1, v1 = fit
    focal = rng.uniform(*p["focal"])
    while True:
        h = homography(ppm, angle, tilt, direction, focal * (u1 - u0) * ppm)
        corners = project(h, np.array([[u0, v0], [u1, v0], [u1, v1], [u0, v1]]) - origin)
        span = (corners.max(axis=0) - corners.min(axis=0)).max()
        if span <= max_side or ppm <= 1.2:
            break
        ppm *= 0.92
    curve = rng.uniform(*p["curve"]) if p["curve"][1] else 0
    amplitude = rng.uniform(*p["wrinkle"]) if p["wrinkle"][1] else 0
    field = wrinkles(rng, ppm, amplitude) if amplitude else None
    desc = "ppm=%.1f angle=%.0f tilt=%.0f" % (ppm, angle % 360, tilt) + (" curve=%.0f" % curve if curve else "") + \
        (" wrinkle=%.2f" % amplitude if amplitude else "")
    return Placement(surface(layers), h, origin, extent, curve, field), corners, desc


def surround(rng, p, symbol, layers):
    """The flat surface the symbol is printed on (page, card, label or nothing): its layers,
    extent and the symbol's centre on it, in modules."""
    n, q = len(symbol.matrix), p["quiet"]
    side = n + 2 * q
    centre = (side / 2, side / 2)
    kind = str(rng.choice(list(p["surround"])))
    if kind == "none":
        return layers, (0, 0, side, side), centre
    if kind == "card":  # a business card: the symbol at one end, lines of text beside it
        w, h = side * rng.uniform(1.9, 2.4), side * rng.uniform(1.15, 1.4)
        border = (h - side) / 2
        text = text_block(rng, int((w - side - border - 2) * 3), int((h - 2) * 3), paper=(0.97, 0.97, 0.95))
        return [rect_layer(-border, -border, w - border, h - border, (0.97, 0.97, 0.95)),
                raster_layer(text, side + 1, -border + 1, 1 / 3)] + layers, (-border, -border, w - border, h - border), centre
    # A page of text with the symbol somewhere on it.
    w, h = side * rng.uniform(2.5, 4), side * rng.uniform(3, 5)
    ox, oy = rng.uniform(0.1, 0.9) * (w - side), rng.uniform(0.1, 0.9) * (h - side)
    per_module = 6
    paper = tuple(rng.uniform(0.86, 0.98, 3))
    page = text_block(rng, int(w * per_module), int(h * per_module), paper=paper)
    y0, x0 = int(oy * per_module) - 2, int(ox * per_module) - 2
    page[max(y0, 0):y0 + int(side * per_module) + 4, max(x0, 0):x0 + int(side * per_module) + 4, :3] = paper
    return [raster_layer(page, -ox, -oy, 1 / per_module)] + layers, (-ox, -oy, w - ox, h - oy), centre


def scene(rng, p, index):
    """One picture of the category: returns pixels, labels and a description."""
    count = int(rng.integers(p["symbols"][0], p["symbols"][1] + 1))
    width, height = p["size"][int(rng.integers(0, len(p["size"])))] if p["size"] else (0, 0)
    symbols, placements, notes = [], [], []
    for k in range(count):
        symbol = make_symbol(rng, p, avoid=[s.text for s in symbols])
        style = symbol_style(rng, p)
        layers = symbol_layers(rng, symbol, p, style)
        layers, extent, centre = surround(rng, p, symbol, layers)
        ppm = rng.uniform(*p["ppm"])
        max_side = min(width, height) / (1.15 if count == 1 else 1.05 * count) if width else p["max_span"]
        side = len(symbol.matrix) + 2 * p["quiet"]
        placement, corners, desc = place_symbol(rng, p, index, layers, extent, (0, 0, side, side), centre, ppm, max_side)
        symbols.append(symbol)
        placements.append((placement, corners))
        flags = "".join(f for f, on in ((" inverted", style["invert"]), (" mirrored", style["mirror"]), (" dots", "dots" in style)) if on)
        notes.append("%s %d-%s %s %s%s" % (symbol.encoder, symbol.version, symbol.level, symbol.kind, desc, flags))
    if not width:  # fit the picture to the symbol with a margin of light
        span = placements[0][1].max(axis=0) - placements[0][1].min(axis=0)
        width, height = (int(math.ceil(x + 2 * p["margin"])) for x in span)
    centres = layout(rng, width, height, [c for _, c in placements])
    canvas = background(rng, p["background"], width, height)
    for (placement, corners), (cx, cy) in zip(placements, centres):
        placement.h = np.array([[1, 0, cx], [0, 1, cy], [0, 0, 1]]) @ placement.h
        compose(canvas, placement)
    if p["fabric"]:
        fabric(rng, canvas)
    if p["light"][1]:
        light(rng, canvas, 1 - rng.uniform(*p["light"]))
    if p["shadow"][1]:
        span = (placements[0][1].max(axis=0) - placements[0][1].min(axis=0)).max() / 2
        shadow(rng, canvas, rng.uniform(*p["shadow"]), rng.uniform(0, 1.5), (*centres[0], span))
    return finish(rng, canvas, p), symbols, "; ".join(notes)


def layout(rng, width, height, corner_sets):
    """Picture points for each placement's centre: one symbol anywhere it fits; several side by
    side in their own cells along the longer side."""
    count = len(corner_sets)
    horizontal = width >= height
    centres = []
    for k, corners in enumerate(corner_sets):
        lo, hi = corners.min(axis=0), corners.max(axis=0)
        cell = (width / count, height) if horizontal else (width, height / count)
        start = (k * cell[0], 0) if horizontal else (0, k * cell[1])
        c = []
        for axis in (0, 1):
            a, b = start[axis] - lo[axis] + 2, start[axis] + cell[axis] - hi[axis] - 2
            c.append(rng.uniform(a, b) if b > a else (a + b) / 2)
        centres.append(c)
    return centres


# ---------------------------------------------------------------------------------------------
# Scenes of their own: exact pixel renders and nested symbols


def pixel_render(rng, p, index):
    """A symbol at exactly one pixel per module, no quiet zone; versions cycle through the
    category's list."""
    versions = p["version_cycle"]
    symbol = make_symbol(rng, p, version=versions[index % len(versions)], level=LEVELS[index % 4])
    pixels = np.where(symbol.matrix, 0, 255).astype(np.uint8)
    return np.dstack([pixels] * 3), [symbol], "%s %d-%s %s 1 px/module" % (symbol.encoder, symbol.version, symbol.level, symbol.kind)


def screenshot(rng, p, index):
    """A symbol scaled by a fractional factor with smoothing, as a screenshot of a page: from one
    pixel per module upsampled bilinearly, or from a sharp large render reduced by area."""
    symbol = make_symbol(rng, p)
    style = {"dark": (0, 0, 0), "light": (1, 1, 1)}
    target = rng.uniform(*p["ppm"])
    layers = symbol_layers(rng, symbol, p, style)
    side = len(symbol.matrix) + 2 * p["quiet"]
    upsample = rng.random() < 0.5
    res = 1 if upsample else 8
    ys, xs = np.mgrid[0:side * res, 0:side * res]
    rgb, _ = surface(layers)((xs.ravel() + 0.5) / res, (ys.ravel() + 0.5) / res)
    sharp = rgb.reshape(side * res, side * res, 3)
    size = int(round(side * target))
    method = cv2.INTER_LINEAR if upsample else cv2.INTER_AREA
    symbol_pixels = cv2.resize(sharp, (size, size), interpolation=method)
    width, height = size + int(rng.integers(40, 200)), size + int(rng.integers(60, 240))
    canvas = background(rng, "screen", width, height)
    canvas = cv2.resize(canvas, (width, height), interpolation=cv2.INTER_AREA)
    x, y = int(rng.integers(0, width - size)), int(rng.integers(height - size - 10, height - size + 1))
    canvas[y:y + size, x:x + size] = symbol_pixels
    pixels = np.clip(np.rint(canvas * 255), 0, 255).astype(np.uint8)
    desc = "%s %d-%s %s ppm=%.2f %s" % (symbol.encoder, symbol.version, symbol.level, symbol.kind, target,
                                        "bilinear from 1 px" if upsample else "area from 8 px")
    return pixels, [symbol], desc + (" logo" if len(layers) > 1 else "")


def nested(rng, p, index):
    """A small symbol inside a large one: in the large one's centre (within its correction
    budget), or in a wide light margin beside it."""
    outer = make_symbol(rng, p, level=str(rng.choice(["Q", "H"])))
    inner = make_symbol(rng, {**p, "versions": (1, 3)}, avoid=[outer.text])
    n, q = len(outer.matrix), p["quiet"]
    style = {"dark": (0.05, 0.05, 0.05), "light": (0.96, 0.96, 0.96)}
    layers = [symbol_layer(outer, 0, 0, 1, q, style)]
    inner_side = len(inner.matrix) + 2
    centred = index % 2 == 0
    if centred:
        cx, cy, side = logo_spot(outer)
        layers.append(symbol_layer(inner, q + cx - side / 2, q + cy - side / 2, side / inner_side, 1, style))
        extent, module = (0, 0, n + 2 * q, n + 2 * q), side / inner_side
    else:
        module = rng.uniform(0.4, 0.6)
        gap = rng.uniform(0.5, 2)
        x0, y0 = n + q + gap, q + n - inner_side * module
        layers.append(symbol_layer(inner, x0, y0, module, 1, style))
        extent = (0, 0, x0 + inner_side * module + q, n + 2 * q)
    layers.insert(0, rect_layer(*extent, style["light"]))
    ppm = rng.uniform(*p["ppm"])
    centre = (extent[2] / 2, extent[3] / 2)
    placement, corners, desc = place_symbol(rng, p, index, layers, extent, extent, centre, ppm, 0.85 * min(p["size"][0]))
    width, height = p["size"][0]
    canvas = background(rng, p["background"], width, height)
    c = layout(rng, width, height, [corners])[0]
    placement.h = np.array([[1, 0, c[0]], [0, 1, c[1]], [0, 0, 1]]) @ placement.h
    compose(canvas, placement)
    notes = "outer %s %d-%s, inner %s %d-%s %s at %.1f px/module %s" % (
        outer.encoder, outer.version, outer.level, inner.encoder, inner.version, inner.level,
        "in the centre" if centred else "beside it", module * placement_ppm(placement), desc)
    return finish(rng, canvas, p), [outer, inner], notes


def placement_ppm(placement):
    return math.hypot(placement.h[0, 0], placement.h[1, 0]) / placement.h[2, 2]


# ---------------------------------------------------------------------------------------------
# Scenes drawn at picture size: each surface supersampled within its own box, so that 12-megapixel
# pictures need no canvas at twice their size


def compose_local(canvas, placement, s=SUPERSAMPLE):
    """Draws the placement over a canvas at picture size (float RGB) in place, each pixel the
    average of s x s samples of the surface."""
    height, width = canvas.shape[:2]
    margin = 4 * (1 + (placement.wrinkle is not None) * 6)
    x0, y0, x1, y1 = bounding_box(placement, width, height, margin)
    for top in range(y0, y1, 128):  # in bands, to keep memory small
        bottom = min(top + 128, y1)
        rows, cols = bottom - top, x1 - x0
        ys, xs = np.mgrid[top * s:bottom * s, x0 * s:x1 * s]
        u, v, shade, valid = warp(placement, (xs.ravel() + 0.5) / s, (ys.ravel() + 0.5) / s)
        rgb, alpha = placement.draw(u, v)
        alpha = alpha * valid
        premultiplied = (rgb * (alpha * shade)[:, None]).reshape(rows, s, cols, s, 3).mean(axis=(1, 3))
        cover = alpha.reshape(rows, s, cols, s).mean(axis=(1, 3))[..., None]
        canvas[top:bottom, x0:x1] = canvas[top:bottom, x0:x1] * (1 - cover) + premultiplied


def fill_polygon(canvas, points, colour):
    """A flat anti-aliased polygon (picture points) over a canvas at picture size."""
    height, width = canvas.shape[:2]
    x0, y0 = np.maximum(np.floor(points.min(axis=0)).astype(int) - 1, 0)
    x1, y1 = np.minimum(np.ceil(points.max(axis=0)).astype(int) + 2, (width, height))
    if x1 <= x0 or y1 <= y0:
        return
    mask = np.zeros((y1 - y0, x1 - x0), np.uint8)
    cv2.fillPoly(mask, [np.rint((points - (x0, y0)) * 16).astype(np.int32)], 255, cv2.LINE_AA, shift=4)
    m = (mask.astype(np.float32) / 255)[..., None]
    canvas[y0:y1, x0:x1] = canvas[y0:y1, x0:x1] * (1 - m) + np.array(colour, np.float32) * m


def picture_background(rng, kind, width, height):
    """The scene behind the surfaces at picture size (the background's features at half scale)."""
    return background(rng, kind, width // SUPERSAMPLE, height // SUPERSAMPLE)


def font(size, kind="sans"):
    path = {"sans": "dejavu/DejaVuSans.ttf", "bold": "dejavu/DejaVuSans-Bold.ttf", "serif": "dejavu/DejaVuSerif.ttf",
            "mono": "dejavu/DejaVuSansMono.ttf", "cjk": "wqy/wqy-microhei.ttc"}[kind]
    try:
        return ImageFont.truetype("/usr/share/fonts/truetype/" + path, int(size))
    except OSError:
        return ImageFont.load_default()


def rgba(image):
    """A PIL picture as float RGBA, opaque."""
    a = np.asarray(image.convert("RGB"), np.float32) / 255
    return np.dstack([a, np.ones(a.shape[:2], np.float32)])


def sheet_homography(rng, p, sheet_w, sheet_h, width, height, fill=0.9):
    """Maps the sheet (units, centred) to the picture: turned, tilted, the sheet as large as fits
    `fill` of the picture, placed with a little slack. Returns the homography and a note."""
    angle = pick_angle(rng, p, 0)
    tilt, direction = rng.uniform(*p["tilt"]), rng.uniform(0, 360)
    ppm = min(width / sheet_w, height / sheet_h)
    focal = rng.uniform(0.9, 1.6) * max(width, height)
    corners = np.array([[-sheet_w, -sheet_h], [sheet_w, -sheet_h], [sheet_w, sheet_h], [-sheet_w, sheet_h]]) / 2
    while True:
        h = homography(ppm, angle, tilt, direction, focal)
        xy = project(h, corners)
        lo, hi = xy.min(axis=0), xy.max(axis=0)
        if (hi - lo <= np.array([width, height]) * fill).all():
            break
        ppm *= 0.95
    slack = (np.array([width, height]) - (hi - lo)) / 2
    centre = np.array([width, height]) / 2 - (lo + hi) / 2 + rng.uniform(-0.5, 0.5, 2) * slack
    h = np.array([[1, 0, centre[0]], [0, 1, centre[1]], [0, 0, 1]]) @ h
    return h, "angle=%.0f tilt=%.0f %.1f px/unit" % (angle % 360, tilt, ppm)


def label_text(rng, width, height, paper, price):
    """The print beside a label's symbol: a price and a product name, or an article number and
    lines of small text; float RGBA."""
    image = Image.new("RGB", (width, height), tuple(int(255 * c) for c in paper))
    draw = ImageDraw.Draw(image)
    ink = (20, 20, 25)
    if price:
        draw.text((2, height * 0.05), str(rng.choice(WORDS)).capitalize(), fill=ink, font=font(height * 0.2))
        draw.text((2, height * 0.35), "%d,%02d" % (rng.integers(0, 40), rng.integers(0, 100)), fill=ink, font=font(height * 0.45, "bold"))
    else:
        draw.text((2, height * 0.05), "No. %06d" % rng.integers(0, 10 ** 6), fill=ink, font=font(height * 0.2, "bold"))
        for k in range(3):
            draw.text((2, height * (0.35 + 0.2 * k)), " ".join(str(rng.choice(WORDS)) for _ in range(3)), fill=ink, font=font(height * 0.14))
    return rgba(image)


def many_symbols(rng, p, index):
    """Many symbols in one picture: a sheet of labels in rows and columns, or price labels along
    the edges of shop shelves with goods between them. Every fourth picture is a 12-megapixel
    photo with 60 or 64 symbols; the others 2 to 3 megapixels with 8 to 20."""
    big = index % 4 == 0
    width, height = (4032, 3024) if big else p["size"][int(rng.integers(0, len(p["size"])))]
    shelf = (index // 4 if big else index) % 2 == 1
    if shelf:
        rows, cols = (5, 12) if big else (int(rng.integers(2, 4)), int(rng.integers(4, 7)))
        cell_w, cell_h, gap = 34.0, 44.0, 8.0  # a shelf's height; the label sits on its edge
    else:
        rows, cols = (8, 8) if big else (int(rng.integers(3, 5)), int(rng.integers(3, 6)))
        cell_w, cell_h, gap = 40.0, 28.0, 2.5
    sheet_w, sheet_h = cols * cell_w + gap, rows * cell_h + gap
    h, desc = sheet_homography(rng, p, sheet_w, sheet_h, width, height)
    canvas = picture_background(rng, "desk" if not shelf else "dark", width, height)
    origin = (sheet_w / 2, sheet_h / 2)

    def quad(x0, y0, x1, y1):
        return project(h, np.array([[x0, y0], [x1, y0], [x1, y1], [x0, y1]]) - origin)
    fill_polygon(canvas, quad(0, 0, sheet_w, sheet_h), rng.uniform(0.75, 0.95, 3) if not shelf else rng.uniform(0.1, 0.3, 3))
    symbols = []
    edge_colour = tuple(rng.choice([(0.85, 0.85, 0.82), (0.2, 0.35, 0.7), (0.75, 0.2, 0.2), (0.3, 0.3, 0.32)]))
    for r in range(rows):
        y = gap + r * cell_h
        if shelf:  # goods standing on the shelf below, then the shelf's edge
            x = gap
            while x < sheet_w - gap - 4:
                w = rng.uniform(5, 14)
                fill_polygon(canvas, quad(x, y + rng.uniform(2, 12), min(x + w, sheet_w - gap), y + cell_h - 14), rng.uniform(0.05, 0.95, 3))
                x += w + rng.uniform(0.3, 1.5)
            fill_polygon(canvas, quad(0, y + cell_h - 14, sheet_w, y + cell_h - 1), edge_colour)
        for c in range(cols):
            symbol = make_symbol(rng, p, avoid=[s.text for s in symbols])
            symbols.append(symbol)
            x = gap + c * cell_w
            lw, lh = (cell_w - gap, 12.5) if shelf else (cell_w - gap, cell_h - gap)
            ly = y + cell_h - 13.5 if shelf else y
            paper = (0.97, 0.97, 0.95) if not shelf else tuple(rng.choice([(0.97, 0.97, 0.95), (1.0, 0.92, 0.3)]))
            side = lh - 1.5
            q = p["quiet"]
            module = side / (len(symbol.matrix) + 2 * q)
            text = label_text(rng, int((lw - side - 2) * 8), int((lh - 2) * 8), paper, shelf)
            # The label, then the symbol over it: each drawn only within its own box.
            label = [rect_layer(x, ly, x + lw, ly + lh, paper), raster_layer(text, x + side + 1.5, ly + 1, 1 / 8)]
            compose_local(canvas, Placement(surface(label), h, origin, (x, ly, x + lw, ly + lh)))
            mark = symbol_layer(symbol, x + 0.75, ly + 0.75, module, q, {"light": paper})
            compose_local(canvas, Placement(mark, h, origin, (x + 0.75, ly + 0.75, x + 0.75 + side, ly + 0.75 + side)))
    if p["light"][1]:
        light(rng, canvas, 1 - rng.uniform(*p["light"]), step=8)
    notes = "%s of %d x %d, versions %d-%d, %s" % ("shelves" if shelf else "label sheet", rows, cols,
                                                   min(s.version for s in symbols), max(s.version for s in symbols), desc)
    return finish(rng, canvas, p, scale=1), symbols, notes


def screen_photo(rng, p, index):
    """A photo of a monitor showing a symbol: the screen's pixels as red, green and blue stripes
    with dark gaps between them (the screen door), seen at 0.8 to 2 camera pixels per screen
    pixel so that the stripes alias into moire and colour fringes, slightly out of focus."""
    symbol = make_symbol(rng, p)
    k = int(rng.integers(3, 6))  # screen pixels per module
    q = p["quiet"]
    side = (len(symbol.matrix) + 2 * q) * k
    sw, sh = side + int(rng.integers(80, 260)), side + int(rng.integers(80, 200))
    screen = cv2.resize(background(rng, "screen", sw, sh), (sw, sh), interpolation=cv2.INTER_AREA)
    sx, sy = int(rng.integers(20, sw - side - 20)), int(rng.integers(40, sh - side - 20))
    modules = np.pad(symbol.matrix, q)
    screen[sy:sy + side, sx:sx + side] = np.where(np.kron(modules, np.ones((k, k), bool))[..., None], 0.0, 1.0)
    black = rng.uniform(0.02, 0.08)  # the backlight through dark pixels
    exposure = rng.uniform(0.8, 1.05)  # white's average; a lit stripe is five times as bright
    gap_light = rng.uniform(0, 0.35)  # 0: a dark screen door; more: finer gaps
    screen = (black + (1 - black) * screen).astype(np.float32)

    def panel(u, v):
        inside = (u >= 0) & (u < sw) & (v >= 0) & (v < sh)
        px, py = np.clip(u, 0, sw - 1e-3), np.clip(v, 0, sh - 1e-3)
        ix, iy = px.astype(int), py.astype(int)
        stripe = ((px - ix) * 4).astype(int)  # red, green, blue, gap
        lit = np.where((py - iy) < 0.8, 1.0, gap_light) * np.where(stripe < 3, 1.0, gap_light)
        rgb = np.zeros(u.shape + (3,), np.float32)
        channel = np.minimum(stripe, 2)
        rgb[np.arange(len(u)), channel] = screen[iy, ix, channel] * exposure * 5 * lit * (stripe < 3)
        return rgb, inside.astype(np.float32)
    bezel = int(rng.integers(12, 40))
    layers = [rect_layer(-bezel, -bezel, sw + bezel, sh + bezel, tuple(rng.uniform(0.03, 0.12, 3))), panel]
    extent = (-bezel, -bezel, sw + bezel, sh + bezel)
    fit = (sx, sy, sx + side, sy + side)
    width, height = p["size"][int(rng.integers(0, len(p["size"])))]
    ppm = rng.uniform(*p["ppm"])
    placement, corners, desc = place_symbol(rng, p, index, layers, extent, fit, (sx + side / 2, sy + side / 2), ppm, 0.8 * min(width, height))
    canvas = picture_background(rng, p["background"], width, height)
    c = layout(rng, width, height, [corners])[0]
    placement.h = np.array([[1, 0, c[0]], [0, 1, c[1]], [0, 0, 1]]) @ placement.h
    compose_local(canvas, placement)
    if p["light"][1]:
        light(rng, canvas, 1 - rng.uniform(*p["light"]), step=8)
    notes = "%s %d-%s %s %d screen px/module, %.2f camera px/screen px %s" % (
        symbol.encoder, symbol.version, symbol.level, symbol.kind, k, placement_ppm(placement), desc)
    return finish(rng, canvas, p, scale=1), [symbol], notes


# Noncompliant symbols: what designers and careless printers do, one variant per picture in turn.
LOW_CONTRAST = [((0.55, 0.35, 0.75), (0.95, 0.9, 1.0)), ((0.85, 0.4, 0.1), (1.0, 0.95, 0.7)),
                ((0.25, 0.5, 0.85), (0.88, 0.94, 1.0)), ((0.15, 0.5, 0.3), (0.75, 0.95, 0.8)),
                ((0.55, 0.55, 0.55), (1.0, 1.0, 1.0)), ((0.75, 0.15, 0.2), (1.0, 0.85, 0.85))]
NONCOMPLIANT = [
    ("no quiet zone", dict(quiet=0, surround=("page",))),
    ("low contrast colours", dict(quiet=2, low_contrast=1)),
    ("dots and round finders", dict(quiet=2, dots=1, finder_round=1, colour=0.3)),
    ("rounded modules and finders", dict(quiet=2, rounded=1, finder_round=1, colour=0.3)),
    ("thin border", dict(quiet=1, background="busy", colour=0.3)),
]


def noncompliant(rng, p, index):
    name, over = NONCOMPLIANT[index % len(NONCOMPLIANT)]
    pixels, symbols, desc = scene(rng, {**p, **over}, index)
    return pixels, symbols, name + ": " + desc


# ---------------------------------------------------------------------------------------------
# Pictures without a QR symbol: other symbologies, print, textures and decoys, photographed


def photo_of_print(rng, p, index, layers, extent, fit, ppm, size=None):
    """A photo of a flat print: the surface turned and tilted per the category, `fit` (surface
    units) spanning at most the picture's shorter side at `ppm` pixels per unit or less, on the
    category's background, lit, blurred and noisy; `size` (width, height) where the caller chooses
    it, else one of the category's at random. Returns the pixels and a note."""
    drawn = p["size"][int(rng.integers(0, len(p["size"])))]  # drawn either way: the rest stays as it was
    width, height = size or drawn
    origin = ((fit[0] + fit[2]) / 2, (fit[1] + fit[3]) / 2)
    ppm = min(ppm, 0.95 * min(width, height) / max(fit[2] - fit[0], fit[3] - fit[1]))
    placement, corners, desc = place_symbol(rng, p, index, layers, extent, fit, origin, ppm, 0.95 * min(width, height))
    canvas = picture_background(rng, p["background"], width, height)
    c = layout(rng, width, height, [corners])[0]
    placement.h = np.array([[1, 0, c[0]], [0, 1, c[1]], [0, 0, 1]]) @ placement.h
    compose_local(canvas, placement)
    if p["light"][1]:
        light(rng, canvas, 1 - rng.uniform(*p["light"]), step=8)
    return finish(rng, canvas, p, scale=1), "%s; %dx%d" % (desc, width, height)


def zint_raster(kind, data, scale):
    """A barcode from Debian's zint as float RGBA (its human-readable text included)."""
    png = subprocess.run(["zint", "-b", kind, "-d", data, "--direct", "--filetype=PNG", "--scale=%g" % scale],
                         capture_output=True, check=True).stdout
    return rgba(Image.open(io.BytesIO(png)))


def barcode(rng, kind):
    """(raster, pixels per module) of a barcode of the kind with random content."""
    words = " ".join(str(rng.choice(WORDS)) for _ in range(int(rng.integers(2, 8))))
    digits = "".join(str(d) for d in rng.integers(0, 10, 20))
    data = {"AZTEC": words, "DATAMATRIX": words.upper()[:30], "PDF417": words + " " + digits, "MAXICODE": words,
            "EANX": digits[:12], "UPCA": digits[:11], "CODE128": "%s-%s" % (words.split()[0].upper(), digits[:8])}[kind]
    if kind == "MAXICODE":  # drawn at about ten pixels per module at scale 1
        return zint_raster(kind, data, 1), 10.0
    return zint_raster(kind, data, 2), 4.0


SYMBOLOGIES = ("AZTEC", "DATAMATRIX", "PDF417", "EANX", "MAXICODE", "CODE128", "UPCA", "label")


def other_symbology(rng, p, index):
    """A photo of another symbology from zint on a page or card, or of a parcel label with
    MaxiCode, Code 128, PDF417 and Data Matrix together; no QR symbol."""
    kind = SYMBOLOGIES[index % len(SYMBOLOGIES)]
    kinds = ("MAXICODE", "CODE128", "PDF417", "DATAMATRIX") if kind == "label" else (kind,)
    codes = [barcode(rng, k) for k in kinds]
    # Each code one unit per module; side by side in a row, the label's in two rows.
    placed, x, y, row_h = [], 0.0, 0.0, 0.0
    for k, (raster, px) in enumerate(codes):
        w, h = raster.shape[1] / px, raster.shape[0] / px
        if kind == "label" and k == 2:
            x, y = 0.0, y + row_h + 4
        placed.append((raster, x, y, 1 / px))
        x, row_h = x + w + 6, max(row_h, h)
    x1 = max(x0 + r.shape[1] * s for r, x0, _, s in placed)
    y1 = max(y0 + r.shape[0] * s for r, _, y0, s in placed)
    paper = tuple(rng.uniform(0.85, 0.98, 3))
    m = rng.uniform(3, 10)
    pw, ph = (x1 + 2 * m) * rng.uniform(1, 2.5), (y1 + 2 * m) * rng.uniform(1.2, 3)
    ox, oy = rng.uniform(m, max(m, pw - x1 - m)), rng.uniform(m, max(m, ph - y1 - m))
    page = text_block(rng, int(pw * 3), int(ph * 3), paper=paper)
    layers = [raster_layer(page, 0, 0, 1 / 3), rect_layer(ox - m, oy - m, ox + x1 + m, oy + y1 + m, paper)]
    layers += [raster_layer(r, ox + x0, oy + y0, s) for r, x0, y0, s in placed]
    pixels, desc = photo_of_print(rng, p, index, layers, (0, 0, pw, ph), (ox, oy, ox + x1, oy + y1), rng.uniform(*p["ppm"]))
    return pixels, [], "%s %s" % ("+".join(kinds), desc)


def printed_page(rng, width, height):
    """A page of print as float RGBA: headings, paragraphs in one or two columns, sometimes a
    table of figures or a page of Chinese and Japanese text."""
    paper = tuple(int(255 * c) for c in rng.uniform(0.85, 0.98, 3))
    image = Image.new("RGB", (width, height), paper)
    draw = ImageDraw.Draw(image)
    ink = tuple(int(x) for x in rng.integers(0, 50, 3))
    cjk = rng.random() < 0.3
    size = int(rng.integers(14, 24))
    columns = int(rng.integers(1, 3))
    column_w = (width - 80) // columns
    for col in range(columns):
        x, y = 40 + col * column_w, 40
        while y < height - 60:
            roll = rng.random()
            if roll < 0.1:  # a heading
                draw.text((x, y), " ".join(str(rng.choice(WORDS)).capitalize() for _ in range(3)), fill=ink, font=font(size * 1.8, "bold"))
                y += int(size * 2.6)
            elif roll < 0.16:  # a table of figures with rules
                rows, cells = int(rng.integers(3, 8)), int(rng.integers(2, 5))
                cell_w = (column_w - 30) // cells
                for r in range(rows + 1):
                    draw.line([x, y + r * size * 1.5, x + cells * cell_w, y + r * size * 1.5], fill=ink, width=1)
                    for c in range(cells if r < rows else 0):
                        draw.text((x + c * cell_w + 4, y + r * size * 1.5 + 2), "%d.%02d" % (rng.integers(0, 999), rng.integers(0, 100)), fill=ink, font=font(size))
                for c in range(cells + 1):
                    draw.line([x + c * cell_w, y, x + c * cell_w, y + rows * size * 1.5], fill=ink, width=1)
                y += int((rows + 1) * size * 1.5)
            else:  # a line of text
                if cjk:
                    line = "".join(str(rng.choice(CHINESE + JAPANESE)) for _ in range(column_w // (size * 7) + 1))
                    draw.text((x, y), line, fill=ink, font=font(size, "cjk"))
                else:
                    line = " ".join(str(rng.choice(WORDS)) for _ in range(column_w // (size * 3) + 1))
                    draw.text((x, y), line, fill=ink, font=font(size, str(rng.choice(["sans", "serif"]))))
                y += int(size * 1.45)
    return rgba(image)


def print_page(rng, p, index):
    """A photo of a printed page, whole or a part of it close up."""
    w, h = int(rng.integers(900, 1300)), int(rng.integers(1200, 1700))
    page = printed_page(rng, w, h)
    share = rng.uniform(0.3, 1)
    fx, fy = rng.uniform(0, 1 - share) * w, rng.uniform(0, 1 - share) * h
    fit = (fx, fy, fx + share * w, fy + share * h)
    # The last size (12 megapixels) for every fourth page from the eighth on, the others in turn:
    # none of those large pages among the slice's first four, which the test suite reads.
    sizes = p["size"]
    size = sizes[-1] if index >= 4 and index % 4 == 3 else sizes[index % (len(sizes) - 1)]
    pixels, desc = photo_of_print(rng, p, index, [raster_layer(page, 0, 0, 1)], (0, 0, w, h), fit, 4.0, size)
    return pixels, [], "page %dx%d, %.0f %% of it %s" % (w, h, 100 * share, desc)


def texture(rng, kind, width, height):
    """Woven, knitted and natural surfaces at picture size, float RGB."""
    ys, xs = np.mgrid[0:height, 0:width].astype(np.float32)
    colour = rng.uniform(0.15, 0.9, 3).astype(np.float32)
    pitch = rng.uniform(3, 12)
    a = rng.uniform(0, math.pi)
    u, v = xs * math.cos(a) + ys * math.sin(a), -xs * math.sin(a) + ys * math.cos(a)
    if kind == "weave":  # over and under threads in both directions
        tone = 0.75 + 0.25 * np.sin(2 * math.pi * u / pitch) * np.sin(2 * math.pi * v / pitch) * np.sign(np.sin(math.pi * (u + v) / pitch))
    elif kind == "twill":
        tone = 0.7 + 0.3 * np.sin(2 * math.pi * (u + v) / pitch) ** 2
    elif kind == "plaid":  # coloured bands across and down
        bands = lambda t, w: (np.sin(2 * math.pi * t / w) > 0.3).astype(np.float32)
        wide = pitch * rng.uniform(6, 15)
        stripes = bands(u, wide)[..., None] * rng.uniform(-0.5, 0.3, 3) + bands(v, wide)[..., None] * rng.uniform(-0.5, 0.3, 3)
        image = np.clip(colour + stripes.astype(np.float32), 0, 1) * (0.85 + 0.15 * np.sin(2 * math.pi * (u + v) / 3))[..., None]
        return image.astype(np.float32)
    elif kind == "knit":  # rows of V-shaped loops
        tone = 0.6 + 0.4 * np.abs(np.sin(math.pi * (v / pitch + np.abs(np.sin(math.pi * u / pitch)) * 0.8)))
    elif kind == "wood":
        grain = smooth_noise(rng, width, height, 200, 1.0)
        tone = 0.7 + 0.3 * np.sin(2 * math.pi * (u / (pitch * 4) + 3 * grain)) ** 2
    elif kind == "brick":
        bw, bh = pitch * 8, pitch * 3
        row = np.floor(v / bh)
        mortar = ((v % bh) < bh * 0.12) | (((u + (row % 2) * bw / 2) % bw) < bw * 0.05)
        tone = np.where(mortar, 1.3, 0.75 + 0.1 * smooth_noise(rng, width, height, 30, 1.0))
    elif kind == "tiles":  # a square grid with grout lines
        tw = pitch * 6
        grout = ((u % tw) < tw * 0.06) | ((v % tw) < tw * 0.06)
        tone = np.where(grout, 0.45, 1.0)
    else:  # gravel: noise at several scales
        tone = 0.6 * smooth_noise(rng, width, height, 6, 0.8) * smooth_noise(rng, width, height, 25, 0.5)
    image = colour * tone[..., None] * smooth_noise(rng, width, height, 150, 0.2)[..., None]
    return np.clip(image + rng.normal(0, 0.03, image.shape), 0, 1).astype(np.float32)


TEXTURES = ("weave", "twill", "plaid", "knit", "wood", "brick", "tiles", "gravel")


def texture_photo(rng, p, index):
    """A close-up of cloth or another surface filling the picture, lit unevenly."""
    kind = TEXTURES[index % len(TEXTURES)]
    width, height = p["size"][int(rng.integers(0, len(p["size"])))]
    canvas = texture(rng, kind, width, height)
    if p["light"][1]:
        light(rng, canvas, 1 - rng.uniform(*p["light"]), step=8)
    return finish(rng, canvas, p, scale=1), [], "%s %dx%d" % (kind, width, height)


def finder_mark(m):
    """A finder-like mark: 7 x 7 modules of `m` pixels, dark ring, light ring, dark centre."""
    ring = np.ones((7, 7), bool)
    ring[1:6, 1:6] = False
    ring[2:5, 2:5] = True
    return np.kron(ring, np.ones((m, m), bool))


def decoy(rng, kind, width, height):
    """Prints made to fool a reader, as float RGBA: scattered finder-like marks, false symbols
    (three finders around random modules without timing patterns), checkerboards, crosswords
    and mosaics of square blocks."""
    paper = rng.uniform(0.85, 0.98)
    dark = np.zeros((height, width), bool)
    if kind == "finders":
        for _ in range(int(rng.integers(15, 60))):
            mark = finder_mark(int(rng.integers(3, 14)))
            y, x = int(rng.integers(0, height - len(mark))), int(rng.integers(0, width - len(mark)))
            dark[y:y + len(mark), x:x + len(mark)] = mark
    elif kind == "false_symbol":
        for _ in range(int(rng.integers(1, 4))):
            n = int(rng.integers(21, 46))
            modules = rng.random((n, n)) < 0.5
            for fy, fx in ((0, 0), (0, n - 7), (n - 7, 0)):
                modules[max(fy - 1, 0):fy + 8, max(fx - 1, 0):fx + 8] = False
                modules[fy:fy + 7, fx:fx + 7] = finder_mark(1)
            m = max(2, int(min(width, height) * rng.uniform(0.25, 0.5) / n))
            block = np.kron(modules, np.ones((m, m), bool))
            y, x = int(rng.integers(0, height - len(block))), int(rng.integers(0, width - len(block)))
            dark[y:y + len(block), x:x + len(block)] = block
    elif kind == "checkerboard":
        cells = int(rng.integers(5, 14))
        m = int(min(width, height) * 0.8 / cells)
        board = (np.add.outer(np.arange(cells), np.arange(cells)) % 2).astype(bool)
        dark[40:40 + cells * m, 40:40 + cells * m] = np.kron(board, np.ones((m, m), bool))
    elif kind == "crossword":
        cells = int(rng.integers(11, 17))
        m = int(min(width, height) * 0.85 / cells)
        grid = rng.random((cells, cells)) < 0.18
        grid |= grid[::-1, ::-1]  # symmetric like a real one
        block = np.kron(grid, np.ones((m, m), bool))
        block[::m, :] = block[:, ::m] = True
        dark[20:20 + len(block), 20:20 + len(block)] = block
    else:  # a mosaic of square blocks, like modules without any finder
        cells = int(rng.integers(20, 60))
        m = max(2, int(min(width, height) * 0.8 / cells))
        dark[30:30 + cells * m, 30:30 + cells * m] = np.kron(rng.random((cells, cells)) < 0.5, np.ones((m, m), bool))
    tone = np.where(dark, rng.uniform(0.03, 0.15), paper).astype(np.float32)
    return np.dstack([tone, tone, tone, np.ones_like(tone)])


DECOYS = ("finders", "false_symbol", "checkerboard", "crossword", "mosaic")


def decoy_photo(rng, p, index):
    kind = DECOYS[index % len(DECOYS)]
    w, h = int(rng.integers(700, 1200)), int(rng.integers(600, 1000))
    image = decoy(rng, kind, w, h)
    pixels, desc = photo_of_print(rng, p, index, [raster_layer(image, 0, 0, 1)], (0, 0, w, h), (0, 0, w, h), 4.0)
    return pixels, [], "%s %s" % (kind, desc)


# ---------------------------------------------------------------------------------------------
# Micro QR and rMQR: small symbols from segno and zint, photographed like the QR ones


@dataclass
class SmallSymbol:
    matrix: np.ndarray  # bool, dark = True, rows from the top, no quiet zone (rMQR: wider than high)
    text: str
    encoder: str
    format: str         # "MicroQR" or "rMQR"
    version: str        # "M3", "R13x77"
    level: str

    def label(self):
        return {"text": self.text, "hex": self.text.encode().hex(), "encoder": self.encoder, "format": self.format,
                "version": self.version, "level": self.level}


def zint_matrix(args, data):
    """zint --dump: each row as groups of hexadecimal digits, 4 modules per digit (padded)."""
    out = subprocess.run(["zint", "--dump", *args, "-d", data], capture_output=True, text=True)
    if out.returncode != 0:
        return None
    rows = ["".join(bin(int(g, 16))[2:].zfill(4 * len(g)) for g in line.split()) for line in out.stdout.splitlines() if line.strip()]
    return np.array([[c == "1" for c in row] for row in rows], dtype=bool)


def small_content(rng, kind, length):
    if kind == "digits":
        return "".join(str(d) for d in rng.integers(0, 10, length))
    if kind == "alnum":
        return "".join(ALNUM[int(i)] for i in rng.integers(0, len(ALNUM), length)).strip() or "A"
    words = " ".join(str(rng.choice(WORDS)) for _ in range(length // 4 + 1))
    return words[:length].strip() or "a"


def make_small_symbol(rng, fmt, encoders):
    """A Micro QR or rMQR symbol of random content, the smallest its encoder chooses at a
    random level; the content is shortened until it fits."""
    kind = str(rng.choice(["digits", "alnum", "text"]))
    encoder = str(rng.choice(encoders))
    limit = {"MicroQR": {"digits": 35, "alnum": 21, "text": 15}, "rMQR": {"digits": 300, "alnum": 180, "text": 120}}[fmt][kind]
    length = int(rng.integers(1, limit + 1))
    while True:
        text = small_content(rng, kind, length)
        if fmt == "rMQR":
            level = str(rng.choice(["M", "H"]))
            matrix = zint_matrix(["--barcode=145", "--secure=%d" % (2 if level == "M" else 4)], text)
            if matrix is not None:
                h = len(matrix)
                w = next(w for w in (27, 43, 59, 77, 99, 139) if w >= matrix.shape[1] - 3)
                return SmallSymbol(matrix[:, :w], text, encoder, fmt, "R%dx%d" % (h, w), level)
        elif encoder == "segno":
            level = str(rng.choice(["L", "M", "Q"]))
            try:
                qr = segno.make(text, micro=True, error=level, boost_error=False)
                if qr.is_micro:
                    return SmallSymbol(np.array([list(row) for row in qr.matrix], dtype=bool), text, encoder, fmt,
                                       qr.designator.split("-")[0], qr.error or "")
            except segno.DataOverflowError:
                pass
        else:
            level = str(rng.choice(["L", "M", "Q"]))
            matrix = zint_matrix(["--barcode=97", "--secure=%d" % ("LMQ".index(level) + 1)], text)
            if matrix is not None:
                n = len(matrix)
                return SmallSymbol(matrix[:, :n], text, encoder, fmt, "M%d" % ((n - 9) // 2), level)
        length = max(1, length * 3 // 4)


def grid_layer(matrix, quiet, style):
    """A module grid of any shape with its quiet zone, the zone's top-left corner at (0, 0), one
    surface unit per module."""
    matrix = np.fliplr(matrix) if style.get("mirror") else matrix
    rows, cols = matrix.shape
    dark = np.array(style.get("dark", (0.05, 0.05, 0.05)), dtype=np.float32)
    light = np.array(style.get("light", (0.95, 0.95, 0.95)), dtype=np.float32)
    if style.get("invert"):
        dark, light = light, dark

    def draw(u, v):
        c, r = u - quiet, v - quiet
        inside = (c >= -quiet) & (c < cols + quiet) & (r >= -quiet) & (r < rows + quiet)
        ci, ri = np.floor(c).astype(int), np.floor(r).astype(int)
        on = (ci >= 0) & (ci < cols) & (ri >= 0) & (ri < rows)
        dark_module = np.zeros(u.shape, dtype=bool)
        dark_module[on] = matrix[ri[on], ci[on]]
        return np.where(dark_module[:, None], dark, light).astype(np.float32), inside.astype(np.float32)
    return draw


def small_symbol_photo(rng, p, index):
    """One Micro QR or rMQR symbol photographed: turned any angle, tilted, blurred, noisy, some
    light on dark or seen from behind."""
    symbol = make_small_symbol(rng, p["format"], p["encoders"])
    style = symbol_style(rng, p)
    q = p["quiet"]
    rows, cols = symbol.matrix.shape
    extent = (0, 0, cols + 2 * q, rows + 2 * q)
    width, height = p["size"][int(rng.integers(0, len(p["size"])))]
    layers = [grid_layer(symbol.matrix, q, style)]
    placement, corners, desc = place_symbol(rng, p, index, layers, extent, extent, (extent[2] / 2, extent[3] / 2),
                                            rng.uniform(*p["ppm"]), min(width, height) / 1.15)
    (cx, cy), = layout(rng, width, height, [corners])
    placement.h = np.array([[1, 0, cx], [0, 1, cy], [0, 0, 1]]) @ placement.h
    canvas = background(rng, p["background"], width, height)
    compose(canvas, placement)
    if p["light"][1]:
        light(rng, canvas, 1 - rng.uniform(*p["light"]))
    flags = "".join(f for f, on in ((" inverted", style["invert"]), (" mirrored", style["mirror"])) if on)
    note = "%s %s-%s %s%s" % (symbol.encoder, symbol.version, symbol.level, desc, flags)
    return finish(rng, canvas, p), [symbol], note


# ---------------------------------------------------------------------------------------------
# The categories: what each models, and its parameters over the defaults

DEFAULTS = dict(
    versions=(1, 10), levels=LEVELS, kinds=KINDS, encoders=ENCODERS, symbols=(1, 1),
    size=None, max_span=900, margin=24, ppm=(3, 8), quiet=4, angle=(0, 360), angles=None, any_quarter=False,
    tilt=(0, 0), focal=(1.5, 4), curve=(0, 0), wrinkle=(0, 0), surround=("none",),
    background="white", fabric=False, light=(0, 0), shadow=(0, 0), blur=(0, 0), noise=(0, 0),
    cast=0, jpeg=None, grey=False, invert=0, mirror=0, colour=0, dots=0, logo=0, patch=0, ink=None,
    make=scene,
)

CATEGORIES = [
    # Clean renders turned by any angle, the list cycling through those far from a quarter turn
    # (25-60, 120, 200, 300 degrees) and some near one; 2-12 pixels per module, large versions
    # shrunk to keep the picture within 900 pixels.
    ("rotated", 60, 8, dict(versions=(1, 25), ppm=(2, 12), angles=(25, 30, 35, 40, 45, 60, 120, 200, 300, 5, 15, 75, 0, 90, 135, 250, 315, 52, 160, 340))),
    # Perspective as a photo of a flat print held at an angle, up to about 50 degrees, any turn.
    ("tilted", 48, 8, dict(versions=(1, 15), ppm=(3, 8), tilt=(10, 50), focal=(1.2, 4), blur=(0, 0.6))),
    # Phone photos of printed pages, cards and posters at 640 x 480 and 1280 x 960.
    ("print_photo", 48, 6, dict(versions=(1, 12), size=[(640, 480), (640, 480), (1280, 960)], ppm=(2.5, 7),
                                angle=(-12, 12), any_quarter=True, tilt=(0, 20), surround=("page", "page", "card"), background="desk",
                                blur=(0.3, 1.2), noise=(0.005, 0.025), cast=0.12, light=(0, 0.3), jpeg=(60, 90))),
    # Small greyscale photos: strong tilt and a turn up to about 30 degrees, 3-4 px per module.
    ("grey240", 40, 6, dict(versions=(1, 5), size=[(240, 240)], ppm=(3, 4), angle=(-30, 30), tilt=(25, 50),
                            focal=(1.2, 2.5), quiet=3, background="desk", blur=(0.2, 0.7), noise=(0.005, 0.02),
                            light=(0, 0.3), grey=True, jpeg=(75, 92))),
    # Codes printed on T-shirts: fabric, a curved body, wrinkles, shading; the ink greyer than paper.
    ("cloth", 40, 6, dict(versions=(1, 6), size=[(640, 480), (480, 640)], ppm=(4, 9), angle=(-25, 25), tilt=(0, 20),
                          curve=(10, 35), wrinkle=(0.1, 0.3), quiet=2, background="fabric", fabric=True, ink=0.12,
                          blur=(0.3, 1.0), noise=(0.01, 0.03), light=(0.1, 0.4), cast=0.1, jpeg=(70, 90), invert=0.15)),
    # Strongly uneven light and a hard-edged shadow across the symbol (40-70 % darker).
    ("shadow", 40, 6, dict(versions=(1, 10), size=[(640, 480)], ppm=(3, 8), angle=(-20, 20), any_quarter=True, tilt=(0, 25),
                           background="desk", light=(0.3, 0.7), shadow=(0.4, 0.7), blur=(0.2, 0.8),
                           noise=(0.005, 0.02), jpeg=(75, 92))),
    # Small synthetic codes turned 20-45 degrees on a dark ground, 500 x 500.
    ("dark_small", 40, 6, dict(versions=(1, 5), size=[(500, 500)], ppm=(2.5, 5), angle=(20, 45), any_quarter=True,
                               quiet=2, background="dark")),
    # Large versions at exactly one pixel per module, no quiet zone; the first ten are segno's
    # and make the round trip of the test slice.
    ("one_pixel", 40, 10, dict(make=pixel_render, encoders=("segno",),
                               version_cycle=(40, 1, 7, 14, 21, 27, 33, 36, 40, 10, 40, 25, 30, 38, 40, 17, 22, 35, 39, 31))),
    # Sharp prints seen at 1.5-3 pixels per module, nearly upright.
    ("small_modules", 40, 6, dict(versions=(1, 15), ppm=(1.5, 3), angle=(-4, 4), margin=10, blur=(0, 0.45),
                                  noise=(0, 0.01))),
    # Screenshots: fractional scale 1.6-5.5 px per module, smoothed, some with a logo.
    ("screenshot", 40, 6, dict(make=screenshot, versions=(1, 12), ppm=(1.6, 5.5), logo=0.3, quiet=2)),
    # Designer codes: logos, colours, round dots, a colour patch over some modules.
    ("designer", 48, 6, dict(versions=(2, 10), levels="MQH", size=[(600, 600)], ppm=(4, 9), angle=(-15, 15), tilt=(0, 20),
                             logo=0.5, colour=0.6, dots=0.4, patch=0.3, blur=(0, 0.6), noise=(0, 0.01), jpeg=(80, 95))),
    # Light-on-dark codes, photographed lightly.
    ("inverted", 30, 4, dict(versions=(1, 10), size=[(480, 480)], invert=1, ppm=(3, 7), angle=(0, 360), tilt=(0, 25),
                             background="dark", blur=(0, 0.6), noise=(0, 0.015), jpeg=(80, 95))),
    # Codes seen from behind (a window sticker, a mirror).
    ("mirrored", 30, 4, dict(versions=(1, 10), size=[(480, 480)], mirror=1, ppm=(3, 7), angle=(0, 360), tilt=(0, 25),
                             background="desk", blur=(0, 0.6), noise=(0, 0.015), jpeg=(80, 95))),
    ("inverted_mirrored", 24, 4, dict(versions=(1, 10), size=[(480, 480)], invert=1, mirror=1, ppm=(3, 7), tilt=(0, 20),
                                      background="dark", blur=(0, 0.5), noise=(0, 0.01))),
    # Two or three symbols in one picture, different texts.
    ("multi", 40, 6, dict(versions=(1, 8), symbols=(2, 3), size=[(800, 600), (1024, 512)], ppm=(3, 6),
                          angle=(-30, 30), tilt=(0, 20), quiet=2, background="desk", blur=(0, 0.6),
                          noise=(0, 0.015), jpeg=(80, 95))),
    # One code inside another: in its centre (within its correction) or in its wide margin.
    ("nested", 24, 4, dict(make=nested, versions=(7, 14), size=[(720, 720)], ppm=(5, 8), quiet=4, angle=(-10, 10),
                           tilt=(0, 15), background="desk", blur=(0, 0.4), noise=(0, 0.01))),
    # Photos without any symbol, printed text and texture in them: a reader's time beside the
    # peers' here is the cost of a miss.
    ("no_symbol", 30, 4, dict(symbols=(0, 0), size=[(640, 480), (1280, 960), (2000, 1500)], background="busy",
                              blur=(0.3, 1.0), noise=(0.01, 0.03), light=(0, 0.3), cast=0.1, jpeg=(60, 90))),
    # Sheets of labels and shop shelves: every fourth picture a 12-megapixel photo of 60 symbols,
    # the others of 2-3 megapixels with 8-20; readers are counted per symbol as well.
    ("many_symbols", 16, 3, dict(make=many_symbols, versions=(1, 5), size=[(1600, 1200), (2000, 1500)], quiet=3,
                                 angle=(-8, 8), tilt=(0, 25), light=(0, 0.35), blur=(0.3, 0.9), noise=(0.005, 0.02),
                                 jpeg=(82, 94))),
    # Photos of a monitor: subpixel stripes and the screen door alias into moire, out of focus.
    ("screen_moire", 40, 6, dict(make=screen_photo, versions=(1, 10), size=[(800, 600), (1280, 960)], ppm=(0.8, 2.0),
                                 angle=(-10, 10), tilt=(0, 30), background="dark", light=(0, 0.3), blur=(0.3, 1.2),
                                 noise=(0.005, 0.02), jpeg=(75, 92))),
    # No quiet zone, low-contrast colours, dots and round finders, rounded modules, a thin border.
    ("noncompliant", 40, 5, dict(make=noncompliant, versions=(1, 10), size=[(800, 600), (640, 640)], ppm=(3, 7),
                                 angle=(-20, 20), tilt=(0, 25), background="desk", blur=(0.2, 0.8),
                                 noise=(0.005, 0.015), jpeg=(78, 94))),
    # Versions 20-40 at 2-3 pixels per module in a photo.
    ("high_version_lowres", 40, 6, dict(versions=(20, 40), size=[(1280, 960)], ppm=(2, 3), angle=(-8, 8), any_quarter=True,
                                        tilt=(0, 15), surround=("none", "card"), background="desk", blur=(0.2, 0.6),
                                        noise=(0.005, 0.015), light=(0, 0.25), jpeg=(82, 95))),
    # Tilted 50-68 degrees: the far side a third to a half of the near one's scale.
    ("steep_perspective", 40, 6, dict(versions=(1, 8), size=[(1024, 768)], ppm=(5, 10), tilt=(50, 68), focal=(1.0, 2.5),
                                      surround=("none", "card"), background="desk", blur=(0, 0.6),
                                      noise=(0.005, 0.015), light=(0, 0.25), jpeg=(80, 94))),
    # No QR symbol: Aztec, Data Matrix, PDF417, MaxiCode, EAN-13, UPC-A and Code 128 from zint, and
    # parcel labels with several of them, photographed like prints.
    ("other_symbologies", 48, 8, dict(make=other_symbology, size=[(640, 480), (1280, 960)], ppm=(3, 8), angle=(-15, 15),
                                      any_quarter=True, tilt=(0, 30), background="desk", blur=(0.3, 1.0),
                                      noise=(0.005, 0.02), cast=0.1, light=(0, 0.3), jpeg=(70, 92))),
    # No QR symbol: printed pages, whole or close up, every fourth from the eighth of 12 megapixels.
    ("no_symbol_print", 30, 4, dict(make=print_page, size=[(1280, 960), (2000, 1500), (1280, 960), (4032, 3024)],
                                    angle=(-10, 10), any_quarter=True, tilt=(0, 30), background="desk", blur=(0.3, 1.2),
                                    noise=(0.005, 0.02), cast=0.1, light=(0, 0.3), jpeg=(70, 92))),
    # No QR symbol: cloth, knit, wood, brick, tiles and gravel filling the picture.
    ("no_symbol_texture", 32, 4, dict(make=texture_photo, size=[(640, 480), (1280, 960), (2000, 1500)], blur=(0.3, 1.2),
                                      noise=(0.005, 0.02), light=(0, 0.4), jpeg=(70, 92))),
    # No QR symbol: finder-like marks, false symbols without timing patterns, checkerboards,
    # crosswords and mosaics of square blocks.
    ("no_symbol_decoys", 30, 5, dict(make=decoy_photo, size=[(800, 600), (1280, 960)], angle=(-20, 20), any_quarter=True,
                                     tilt=(0, 30), background="desk", blur=(0.2, 1.0), noise=(0.005, 0.02),
                                     light=(0, 0.3), jpeg=(75, 92))),
    # Micro QR (M1-M4, segno and zint) and rMQR (R7x43-R17x139, zint) with a two-module quiet
    # zone: turned any angle, tilted up to 35 degrees, blurred, noisy, a sixth light on dark and
    # a tenth mirrored.
    ("micro_qr", 40, 6, dict(make=small_symbol_photo, format="MicroQR", encoders=("segno", "zint"),
                             size=[(480, 480), (640, 480)], ppm=(3, 9), quiet=2, tilt=(0, 35), focal=(1.2, 4),
                             background="desk", blur=(0.2, 1.0), noise=(0.005, 0.02), light=(0, 0.3),
                             invert=0.16, mirror=0.1, jpeg=(75, 92))),
    ("rmqr", 40, 6, dict(make=small_symbol_photo, format="rMQR", encoders=("zint",), size=[(800, 800), (960, 720)],
                         ppm=(3, 8), quiet=2, tilt=(0, 35), focal=(1.2, 4), background="desk", blur=(0.2, 1.0),
                         noise=(0.005, 0.02), light=(0, 0.3), invert=0.16, mirror=0.1, jpeg=(75, 92))),
    # Busy surroundings and stress: texture, printed text, blur, noise, hard JPEG.
    ("busy", 48, 6, dict(versions=(1, 10), size=[(640, 480), (800, 800)], ppm=(3, 7), angle=(0, 360), tilt=(0, 30),
                         quiet=2, background="busy", blur=(0.3, 1.3), noise=(0.01, 0.05), cast=0.1, jpeg=(40, 80))),
]


def make_one(task):
    """Makes picture `index` of a category; returns its manifest line."""
    outdir, name, index = task
    p = {**DEFAULTS, **CATEGORY_PARAMS[name]}
    rng = np.random.default_rng([SEED, zlib.crc32(name.encode()), index])
    pixels, symbols, desc = p["make"](rng, p, index)
    path, fmt = save(rng, pixels, p, os.path.join(outdir, name, "%03d" % index))
    return json.dumps({"file": os.path.relpath(path, outdir), "category": name,
                       "desc": "%s; %dx%d %s" % (desc, pixels.shape[1], pixels.shape[0], fmt),
                       "symbols": [s.label() for s in symbols]}, ensure_ascii=False)


CATEGORY_PARAMS = {name: params for name, _, _, params in CATEGORIES}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("outdir")
    parser.add_argument("--slice", action="store_true", help="only the first few pictures of each category")
    parser.add_argument("--category", help="only these categories (comma separated)")
    args = parser.parse_args()
    cv2.setNumThreads(1)
    tasks = []
    for name, full, small, _ in CATEGORIES:
        if args.category is None or name in args.category.split(","):
            os.makedirs(os.path.join(args.outdir, name), exist_ok=True)
            tasks += [(args.outdir, name, index) for index in range(small if args.slice else full)]
    # Each picture has a seed of its own, so the order the workers take them in changes nothing.
    with multiprocessing.Pool(os.cpu_count()) as pool:
        lines = pool.map(make_one, tasks, chunksize=1)
    with open(os.path.join(args.outdir, "manifest.jsonl"), "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
