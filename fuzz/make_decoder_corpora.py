#!/usr/bin/python3
"""Writes the seed corpora of the decoder's fuzz targets (fuzz_detect, fuzz_content, fuzz_rs)
into corpus/<target>/. Symbols come from segno (Debian python3-segno), an independent encoder.
Run it with Debian's python: /usr/bin/python3 fuzz/make_decoder_corpora.py"""
import os
import random

import segno

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(bytes(data))


def matrix(text, version, level):
    q = segno.make_qr(text, version=version, error=level, boost_error=False)
    return [[1 if v else 0 for v in row] for row in q.matrix]  # rows of columns, 1 = dark


def pack_bits(bits):
    out = bytearray((len(bits) + 7) // 8)
    for i, b in enumerate(bits):
        if b:
            out[i // 8] |= 0x80 >> (i % 8)
    return out


# fuzz_detect: width, height, mode 1 (one bit per pixel), pixels row by row.
def picture(rows, scale, quiet):
    n = len(rows)
    side = (n + 2 * quiet) * scale
    bits = []
    for py in range(side):
        for px in range(side):
            mx, my = px // scale - quiet, py // scale - quiet
            bits.append(1 if 0 <= mx < n and 0 <= my < n and rows[my][mx] else 0)
    return side, bits


for text, version, level, scale in [('HELLO', 1, 'm', 1), ('detect me', 1, 'l', 2), ('12345678', 1, 'h', 3),
                                    ('two', 2, 'q', 2), ('four', 4, 'l', 1)]:
    side, bits = picture(matrix(text, version, level), scale, 2)
    assert side <= 128
    write('fuzz_detect', f'v{version}{level}_s{scale}', [side - 1, side - 1, 1] + list(pack_bits(bits)))
random.seed(7)
write('fuzz_detect', 'grey_noise', [40, 30, 0] + [random.randrange(256) for _ in range(41 * 31)])
write('fuzz_detect', 'tiny', [2, 2, 0, 0, 255, 0])

# fuzz_content: version byte (version - 1), then modules column by column (x outer, y inner).
for text, version, level in [('HELLO WORLD', 1, 'q'), ('0123456789', 2, 'h'), ('content seed', 5, 'm'),
                             ('version ten', 10, 'l'), ('v27', 27, 'h'), ('forty', 40, 'l')]:
    rows = matrix(text, version, level)
    n = len(rows)
    bits = [rows[y][x] for x in range(n) for y in range(n)]
    write('fuzz_content', f'v{version}{level}', [version - 1] + list(pack_bits(bits)))


# fuzz_rs: parity byte, then a block (data followed by check codewords of the QR field).
EXP, LOG = [0] * 512, [0] * 256
v = 1
for i in range(255):
    EXP[i] = EXP[i + 255] = v
    LOG[v] = i
    v <<= 1
    if v & 0x100:
        v ^= 0x11D


def mul(a, b):
    return 0 if a == 0 or b == 0 else EXP[LOG[a] + LOG[b]]


def rs_block(data, ec):
    gen = [1]
    for i in range(ec):
        gen = [a ^ mul(b, EXP[i]) for a, b in zip(gen + [0], [0] + gen)]
    rem = list(data) + [0] * ec
    for i in range(len(data)):
        c = rem[i]
        if c:
            for j in range(len(gen)):
                rem[i + j] ^= mul(gen[len(gen) - 1 - j], c)
    return list(data) + rem[len(data):]


for data_len, ec, errors in [(19, 7, 1), (72, 26, 5), (16, 28, 3), (100, 30, 9), (200, 40, 0)]:
    block = rs_block([random.randrange(256) for _ in range(data_len)], ec)
    for k in random.sample(range(len(block)), errors):
        block[k] ^= random.randrange(1, 256)
    write('fuzz_rs', f'n{data_len + ec}_e{ec}_err{errors}', [ec // 2] + block)
write('fuzz_rs', 'too_long', [13] + [0x55] * 260)
