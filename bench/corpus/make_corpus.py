#!/usr/bin/python3
"""Makes labelled photo-like pictures of QR symbols for bench_corpus.

    /usr/bin/python3 bench/corpus/make_corpus.py OUTDIR [--slice]

Writes OUTDIR/CATEGORY/NNN.png|jpg and OUTDIR/manifest.jsonl: one JSON object per picture with
its file (relative to OUTDIR), category, a short description of how it was made, and the
symbols it holds (text in UTF-8, data bytes in hex, encoder, version, level). The symbols come
from independent encoders (segno, qrencode, python3-qrcode), never from ours. Every picture is
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
        tone = dark
        if "dark_to" in style:
            t = np.clip((c + r) / (2 * n), 0, 1)[:, None]
            tone = dark * (1 - t) + np.array(style["dark_to"], dtype=np.float32) * t
        rgb = np.where(dark_module[:, None], tone, light)
        return rgb.astype(np.float32), inside.astype(np.float32)
    return draw


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


def light(rng, canvas, low):
    """A light gradient across the picture: full light on one side, `low` times it on the other
    (linear or from a spot)."""
    h, w = canvas.shape[:2]
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float32)
    if rng.random() < 0.5:
        a = rng.uniform(0, 2 * math.pi)
        t = (xs * math.cos(a) + ys * math.sin(a))
        t = (t - t.min()) / (t.max() - t.min())
    else:
        cx, cy = rng.uniform(0, w), rng.uniform(0, h)
        t = np.clip(np.hypot(xs - cx, ys - cy) / max(w, h), 0, 1)
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


def finish(rng, canvas, p):
    """Optics, sensor and file: blur, colour cast, reduction to picture size, noise, rounding."""
    if p["blur"][1] > 0:
        sigma = rng.uniform(*p["blur"]) * SUPERSAMPLE
        if sigma > 0.1:
            canvas = cv2.GaussianBlur(canvas, (0, 0), sigma)
    if p["cast"]:
        canvas = canvas * np.array(1 + rng.uniform(-p["cast"], p["cast"], 3), np.float32)
    h, w = canvas.shape[:2]
    canvas = cv2.resize(canvas, (w // SUPERSAMPLE, h // SUPERSAMPLE), interpolation=cv2.INTER_AREA)
    if p["noise"][1] > 0:
        canvas = canvas + rng.normal(0, rng.uniform(*p["noise"]), canvas.shape).astype(np.float32)
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
    parser.add_argument("--category", help="only this category")
    args = parser.parse_args()
    cv2.setNumThreads(1)
    tasks = []
    for name, full, small, _ in CATEGORIES:
        if args.category in (None, name):
            os.makedirs(os.path.join(args.outdir, name), exist_ok=True)
            tasks += [(args.outdir, name, index) for index in range(small if args.slice else full)]
    # Each picture has a seed of its own, so the order the workers take them in changes nothing.
    with multiprocessing.Pool(os.cpu_count()) as pool:
        lines = pool.map(make_one, tasks, chunksize=1)
    with open(os.path.join(args.outdir, "manifest.jsonl"), "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
