#!/usr/bin/python3
"""Makes a short video of a QR symbol on a card held in front of a camera: it comes in from the
left edge (cut off at first), moves across, turns and tilts towards and away from the viewer.
The camera pipeline's test and benchmark read it in place of a camera.

    make_camera_video.py OUT.mp4 [--text TEXT] [--size 1280x720] [--seconds 4] [--fps 30] [--glare]

With --glare a bright patch covers the middle of the symbol in every frame, more than its
error correction mends: a reader finds the symbol and never reads it (a reader's slowest case).

Needs python3-segno, python3-pil, python3-numpy and ffmpeg (H.264 in MP4).
"""
import argparse
import math
import subprocess
import sys

import numpy
import segno
from PIL import Image, ImageDraw, ImageFilter


def card_picture(text, module, glare):
    """The symbol, black on a white card with a four-module margin, `module` pixels a module;
    with `glare`, the middle half of each side washed out."""
    qr = segno.make(text, error="m", micro=False)
    matrix = numpy.array([[1 if dark else 0 for dark in row] for row in qr.matrix], dtype=numpy.uint8)
    margin = 4
    side = (matrix.shape[0] + 2 * margin) * module
    card = numpy.full((side, side), 250, dtype=numpy.uint8)
    for y, x in zip(*numpy.nonzero(matrix)):
        top, left = (y + margin) * module, (x + margin) * module
        card[top:top + module, left:left + module] = 25
    if glare:
        quarter = side // 4
        card[quarter:side - quarter, quarter:side - quarter] = 235
    return Image.fromarray(card).convert("RGB")


def perspective_coefficients(destination, source):
    """PIL's PERSPECTIVE coefficients that map each output point of `destination` back to the
    matching point of `source` (four points each)."""
    rows = []
    for (x, y), (u, v) in zip(destination, source):
        rows.append([x, y, 1, 0, 0, 0, -u * x, -u * y])
        rows.append([0, 0, 0, x, y, 1, -v * x, -v * y])
    a = numpy.array(rows, dtype=numpy.float64)
    b = numpy.array([coordinate for point in source for coordinate in point], dtype=numpy.float64)
    return numpy.linalg.solve(a, b).tolist()


def card_corners(t, width, height, side):
    """Where the card's corners are at time t (0..1): its centre slides in from the left edge,
    it turns by up to 35 degrees and tilts about its vertical axis by up to about 40 degrees."""
    cx = -0.05 * width + t * 0.95 * width
    cy = height * (0.5 + 0.12 * math.sin(2 * math.pi * t))
    angle = math.radians(35 * math.sin(math.pi * t))
    tilt = 0.28 * math.sin(2 * math.pi * t + 0.6)  # the near edge grows, the far one shrinks
    half = side / 2
    square = [(-half, -half, 1 + tilt), (half, -half, 1 - tilt), (half, half, 1 - tilt), (-half, half, 1 + tilt)]
    corners = []
    for x, y, scale in square:
        x, y = x * (1 - abs(tilt) * 0.5), y * scale
        rx = x * math.cos(angle) - y * math.sin(angle)
        ry = x * math.sin(angle) + y * math.cos(angle)
        corners.append((cx + rx, cy + ry))
    return corners


def background(width, height):
    """A desk in uneven light: a grey gradient with fine grain."""
    gx = numpy.linspace(0, 1, width)[None, :]
    gy = numpy.linspace(0, 1, height)[:, None]
    grey = 95 + 60 * gx + 30 * gy
    grain = numpy.random.default_rng(7).normal(0, 6, (height, width))
    plane = numpy.clip(grey + grain, 0, 255).astype(numpy.uint8)
    return Image.fromarray(numpy.stack([plane, (plane * 0.95).astype(numpy.uint8), (plane * 0.85).astype(numpy.uint8)], 2))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--text", default="https://merovask.example/scan?ticket=2718")
    parser.add_argument("--size", default="1280x720")
    parser.add_argument("--seconds", type=float, default=4)
    parser.add_argument("--fps", type=int, default=30)
    parser.add_argument("--glare", action="store_true")
    args = parser.parse_args()
    width, height = (int(v) for v in args.size.split("x"))

    card = card_picture(args.text, module=max(4, height // 110), glare=args.glare)
    side = card.size[0]
    source = [(0, 0), (side, 0), (side, side), (0, side)]
    mask = Image.new("L", card.size, 255)
    desk = background(width, height)
    frames = int(args.seconds * args.fps)
    ffmpeg = subprocess.Popen(
        ["ffmpeg", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", f"{width}x{height}",
         "-r", str(args.fps), "-i", "-", "-c:v", "libx264", "-preset", "veryfast", "-crf", "20",
         "-pix_fmt", "yuv420p", "-movflags", "+faststart", args.out],
        stdin=subprocess.PIPE)
    for n in range(frames):
        t = n / max(1, frames - 1)
        corners = card_corners(t, width, height, side * 1.1)
        coefficients = perspective_coefficients(corners, source)
        warped = card.transform((width, height), Image.PERSPECTIVE, coefficients, Image.BILINEAR)
        warped_mask = mask.transform((width, height), Image.PERSPECTIVE, coefficients, Image.BILINEAR)
        frame = desk.copy()
        frame.paste(warped, (0, 0), warped_mask)
        # A camera's softness.
        frame = frame.filter(ImageFilter.GaussianBlur(0.8))
        ffmpeg.stdin.write(frame.tobytes())
    ffmpeg.stdin.close()
    return ffmpeg.wait()


if __name__ == "__main__":
    sys.exit(main())
