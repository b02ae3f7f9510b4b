"""Draws the ten board tiles (61 x 61) as PPM files into the given folder.

0 is the empty cell, 1..9 are the bubble kinds.  Each bubble has its own
colour and its own symbol, so the kinds can be told apart without colour.
The shell script turns the PPM files into GIF.

    make_tiles.py OUT [--scale N] [KIND...]

--scale 2 draws the same tiles at twice the size (122 x 122), for large
windows and HiDPI screens: the same shapes, sampled as finely for each of
their pixels.
"""

import math
import os
import sys

from assetlib import (clamp, coverage, mix, rotate, smoothstep, downsample, write_ppm,
                      sd_box, sd_circle, sd_heart, sd_star5, sd_triangle)

SIZE = 61
SS = 4                      # drawn at 4x, then box-filtered down
SCALE = 1                   # picture pixels to a tile pixel (--scale)
AA = 1.0 / SS               # one drawing pixel, in tile pixels
BOARD = (128 / 255.0,) * 3  # the board behind the tiles
CX = CY = SIZE / 2.0
RADIUS = 25.6


def rgb(r, g, b):
    return (r / 255.0, g / 255.0, b / 255.0)


# symbols, centred on the origin, 16 to 22 tile pixels across
def sym_circle(x, y):
    return sd_circle(x, y, 8.0)


def sym_triangle(x, y):
    return sd_triangle(x, y - 1.2, 9.2) - 0.8


def sym_square(x, y):
    return sd_box(x, y, 7.2, 7.2, 1.2)


def sym_diamond(x, y):
    x, y = rotate(x, y, 45.0)
    return sd_box(x, y, 6.8, 6.8, 1.0)


def sym_star(x, y):
    return sd_star5(x, y + 0.8, 11.8, 0.47) - 0.5


def sym_plus(x, y):
    return min(sd_box(x, y, 9.2, 3.3, 0.8), sd_box(x, y, 3.3, 9.2, 0.8))


def sym_heart(x, y):
    return sd_heart(x, y + 0.3, 16.2)


def sym_crescent(x, y):
    return max(sd_circle(x, y, 9.2), -sd_circle(x - 4.6, y + 3.4, 7.4))


def sym_cross(x, y):
    x, y = rotate(x, y, 45.0)
    return sym_plus(x, y)


WHITE = (1.0, 1.0, 1.0)
# kind: (ball colour, symbol); light balls get a dark symbol, the others a white one
KINDS = {
    1: (rgb(222, 38, 38), sym_circle),
    2: (rgb(246, 196, 20), sym_triangle),
    3: (rgb(40, 176, 60), sym_square),
    4: (rgb(24, 196, 206), sym_diamond),
    5: (rgb(36, 76, 226), sym_star),
    6: (rgb(150, 62, 214), sym_plus),
    7: (rgb(250, 118, 190), sym_heart),
    8: (rgb(226, 228, 234), sym_crescent),
    9: (rgb(52, 54, 64), sym_cross),
}

LIGHT = (-0.45, -0.62, 0.64)
_n = math.sqrt(sum(c * c for c in LIGHT))
LIGHT = tuple(c / _n for c in LIGHT)
_h = (LIGHT[0], LIGHT[1], LIGHT[2] + 1.0)
_n = math.sqrt(sum(c * c for c in _h))
HALF = tuple(c / _n for c in _h)


def over(dst, src, a):
    return mix(dst, src, clamp(a))


def bubble_pixel(x, y, base, symbol):
    # background with a soft shadow below the ball
    sd = math.hypot(x - CX - 1.2, y - CY - 2.0) - RADIUS + 1.0
    shadow = 0.38 * (1.0 - smoothstep(-3.0, 3.5, sd))
    col = tuple(c * (1.0 - shadow) for c in BOARD)

    dist = math.hypot(x - CX, y - CY)
    cov = coverage(dist - RADIUS, AA)
    if cov <= 0.0:
        return col

    nx, ny = (x - CX) / RADIUS, (y - CY) / RADIUS
    r2 = min(nx * nx + ny * ny, 1.0)
    nz = math.sqrt(1.0 - r2)
    diff = max(0.0, nx * LIGHT[0] + ny * LIGHT[1] + nz * LIGHT[2])
    ball = tuple(c * (0.30 + 0.82 * diff) for c in base)
    # light bounced up from the board, seen in the lower rim
    glow = smoothstep(0.1, 0.95, ny) * (1.0 - nz) ** 1.2 * 0.55
    lighter = mix(base, WHITE, 0.45)
    ball = over(ball, lighter, glow)

    # symbol, as if printed on the ball
    lum = 0.30 * base[0] + 0.59 * base[1] + 0.11 * base[2]
    if lum > 0.75:
        fill, line = rgb(70, 72, 86), rgb(255, 255, 255)
    else:
        fill, line = WHITE, tuple(c * 0.32 for c in base)
    s = symbol(x - CX, y - CY - 1.5)
    ball = over(ball, line, 0.85 * coverage(s - 1.3, AA))
    ball = over(ball, tuple(c * (0.82 + 0.18 * diff) for c in fill), coverage(s, AA))

    # the glint of the light and the glossy window on top
    glint = max(0.0, nx * HALF[0] + ny * HALF[1] + nz * HALF[2]) ** 48
    ball = over(ball, WHITE, 0.75 * glint)
    ex, ey = (nx + 0.06) / 0.62, (ny + 0.52) / 0.34
    e = math.hypot(ex, ey)
    if e < 1.0:
        grad = 0.62 * (1.0 - smoothstep(-0.9, 1.0, ey)) + 0.04
        ball = over(ball, WHITE, grad * (1.0 - smoothstep(0.75, 1.0, e)))

    # dark rim to set the ball off the board
    rim = smoothstep(RADIUS - 1.4, RADIUS - 0.2, dist)
    ball = over(ball, tuple(c * 0.45 for c in base), 0.7 * rim)
    return over(col, ball, cov)


def empty_pixel(x, y):
    col = BOARD
    half = SIZE / 2.0 - 4.0
    inner = (112 / 255.0,) * 3
    px, py = x - CX, y - CY
    d = sd_box(px, py, half, half, 6.0)
    if d > 1.5:
        return col
    # hollow: shade cast by the upper left edge, light on the lower right edge
    cell = inner
    shade = 1.0 - coverage(-sd_box(px - 2.2, py - 2.2, half, half, 6.0) - 0.5, 2.5)
    cell = over(cell, (68 / 255.0,) * 3, 0.85 * (1.0 - shade))
    lit = 1.0 - coverage(-sd_box(px + 1.5, py + 1.5, half, half, 6.0) - 0.3, 1.5)
    cell = over(cell, (168 / 255.0,) * 3, 0.8 * (1.0 - lit) * shade)
    # a thin dark lip around the hollow
    cell = over(cell, (92 / 255.0,) * 3, 0.6 * smoothstep(-1.2, 0.0, d))
    return over(col, cell, coverage(d, AA))


def render(kind):
    per_pixel = SS * SCALE  # drawing pixels to a tile pixel
    n = SIZE * per_pixel
    pix = []
    for j in range(n):
        y = (j + 0.5) / per_pixel
        for i in range(n):
            x = (i + 0.5) / per_pixel
            if kind == 0:
                c = empty_pixel(x, y)
            else:
                base, symbol = KINDS[kind]
                c = bubble_pixel(x, y, base, symbol)
            pix.append((c[0], c[1], c[2], 1.0))
    return downsample(pix, n, n, SS)


def main():
    global SCALE, AA
    args = sys.argv[1:]
    out = args.pop(0)
    if args[:1] == ["--scale"]:
        SCALE = int(args[1])
        args = args[2:]
    AA = 1.0 / (SS * SCALE)
    os.makedirs(out, exist_ok=True)
    kinds = [int(k) for k in args] or range(10)
    for kind in kinds:
        pix, w, h = render(kind)
        write_ppm(os.path.join(out, "%d.ppm" % kind), pix, w, h)


if __name__ == "__main__":
    main()
