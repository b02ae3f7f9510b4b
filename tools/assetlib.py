"""Small drawing helpers shared by the asset generators.

Shapes are described by signed distance functions (negative inside, in
pixels of the picture being drawn), which gives clean anti-aliased edges
and outlines of any width.  Pictures are kept as flat lists of float RGBA
rows, drawn at a multiple of the final size and box-filtered down.
Only the Python standard library is used.
"""

import math
import struct
import zlib


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def coverage(d, aa):
    """Share of a pixel covered by a shape whose distance is d (aa = pixel width)."""
    return clamp(0.5 - d / aa)


# ---- signed distance functions (y grows downwards) ------------------------

def sd_circle(x, y, r):
    return math.hypot(x, y) - r


def sd_box(x, y, bx, by, r=0.0):
    """Box with half sizes bx, by and corner radius r."""
    dx = abs(x) - bx + r
    dy = abs(y) - by + r
    out = math.hypot(max(dx, 0.0), max(dy, 0.0))
    return out + min(max(dx, dy), 0.0) - r


def sd_segment(x, y, ax, ay, bx, by):
    px, py = x - ax, y - ay
    vx, vy = bx - ax, by - ay
    h = clamp((px * vx + py * vy) / (vx * vx + vy * vy))
    return math.hypot(px - vx * h, py - vy * h)


def sd_capsule(x, y, ax, ay, bx, by, r):
    return sd_segment(x, y, ax, ay, bx, by) - r


def rotate(x, y, deg):
    a = math.radians(deg)
    c, s = math.cos(a), math.sin(a)
    return c * x + s * y, -s * x + c * y


def sd_triangle(x, y, r):
    """Equilateral triangle pointing up, centred on its centroid; r = half side."""
    k = math.sqrt(3.0)
    y = -y
    x = abs(x) - r
    y = y + r / k
    if x + k * y > 0.0:
        x, y = (x - k * y) / 2.0, (-k * x - y) / 2.0
    x -= clamp(x, -2.0 * r, 0.0)
    d = math.hypot(x, y)
    return -d if y > 0 else d


def sd_star5(x, y, r, rf):
    """Five-pointed star, one point up; r = outer radius, rf = inner/outer ratio."""
    k1x, k1y = 0.809016994375, -0.587785252292
    k2x, k2y = -k1x, k1y
    y = -y
    x = abs(x)
    t = 2.0 * max(k1x * x + k1y * y, 0.0)
    x, y = x - t * k1x, y - t * k1y
    t = 2.0 * max(k2x * x + k2y * y, 0.0)
    x, y = x - t * k2x, y - t * k2y
    x = abs(x)
    y -= r
    bax, bay = rf * -k1y, rf * k1x - 1.0
    bax, bay = bax * r, bay * r
    h = clamp((x * bax + y * bay) / (bax * bax + bay * bay))
    d = math.hypot(x - bax * h, y - bay * h)
    return d if (y * bax - x * bay) > 0 else -d


def sd_heart(x, y, s):
    """Heart with its tip down, centred on its box: 1.21*s wide, 1.10*s tall."""
    # the usual form has its tip at the origin and its lobes up to y = 1.10
    px = abs(x) / s
    py = 0.552 - y / s
    if px + py > 1.0:
        d = math.hypot(px - 0.25, py - 0.75) - math.sqrt(2.0) / 4.0
    else:
        m = 0.5 * max(px + py, 0.0)
        d = math.sqrt(min(px * px + (py - 1.0) ** 2, (px - m) ** 2 + (py - m) ** 2))
        d = d if px - py > 0 else -d
    return d * s


# ---- pictures --------------------------------------------------------------

def downsample(pix, w, h, f):
    """Box filter a w*h list of RGBA (premultiplied) down by factor f."""
    ow, oh = w // f, h // f
    out = []
    n = float(f * f)
    for oy in range(oh):
        for ox in range(ow):
            r = g = b = a = 0.0
            for sy in range(oy * f, oy * f + f):
                row = sy * w
                for sx in range(ox * f, ox * f + f):
                    pr, pg, pb, pa = pix[row + sx]
                    r += pr
                    g += pg
                    b += pb
                    a += pa
            out.append((r / n, g / n, b / n, a / n))
    return out, ow, oh


def to_bytes(v):
    return int(round(clamp(v) * 255.0))


def write_ppm(path, pix, w, h):
    """Opaque picture (alpha ignored) as binary PPM."""
    data = bytearray()
    for r, g, b, _a in pix:
        data += bytes((to_bytes(r), to_bytes(g), to_bytes(b)))
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (w, h))
        f.write(data)


def write_png(path, pix, w, h):
    """RGBA PNG from premultiplied float pixels; no time stamps, so runs repeat exactly."""
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for x in range(w):
            r, g, b, a = pix[y * w + x]
            if a > 0.0:
                r, g, b = r / a, g / a, b / a
            else:
                r = g = b = 0.0
            raw += bytes((to_bytes(r), to_bytes(g), to_bytes(b), to_bytes(a)))

    def chunk(kind, body):
        c = kind + body
        return struct.pack(">I", len(body)) + c + struct.pack(">I", zlib.crc32(c) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)
