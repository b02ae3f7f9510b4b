"""Draws the window icon (16 and 48 pixels) and the hand cursor (32 pixels).

usage: make_icons.py ICON_DIR CURSOR_DIR
The cursor's hot spot is the tip of the index finger, at (HOT_X, HOT_Y).
"""

import os
import sys

from assetlib import coverage, downsample, mix, write_png, sd_box, sd_capsule, sd_circle, sd_segment

SS = 8

# three beads in a triangle, in units of the icon's side
BEADS = [
    ((0.27, 0.30), (224, 40, 40)),
    ((0.73, 0.30), (40, 84, 230)),
    ((0.50, 0.71), (40, 180, 64)),
]
BEAD_R = 0.235

HOT_X, HOT_Y = 10, 1


def over(dst, rgb, a):
    """Paints straight colour rgb with alpha a over premultiplied dst."""
    r, g, b, da = dst
    return (rgb[0] * a + r * (1 - a), rgb[1] * a + g * (1 - a), rgb[2] * a + b * (1 - a), a + da * (1 - a))


def icon_pixel(u, v, px):
    """u, v in 0..1; px = one drawing pixel in the same units."""
    c = (0.0, 0.0, 0.0, 0.0)
    for (bx, by), col in BEADS:
        base = tuple(x / 255.0 for x in col)
        x, y = u - bx, v - by
        d = sd_circle(x, y, BEAD_R)
        cov = coverage(d, px)
        if cov <= 0.0:
            continue
        rim = tuple(k * 0.42 for k in base)
        dark = tuple(k * 0.72 for k in base)
        fill = base
        # lower right half in shade, a white glint at the upper left
        shade = coverage(-sd_circle(x + 0.22 * BEAD_R, y + 0.22 * BEAD_R, 0.98 * BEAD_R), px)
        fill = mix(fill, dark, shade)
        fill = mix(fill, (1.0, 1.0, 1.0), coverage(sd_circle(x + 0.36 * BEAD_R, y + 0.36 * BEAD_R, 0.30 * BEAD_R), px))
        line = max(px * SS * 0.9, 0.035)
        fill = mix(fill, rim, coverage(-(d + line), px))
        c = over(c, fill, cov)
    return c


def hand_sdf(x, y):
    """The hand's outline, in cursor pixels (index finger up).

    Edges sit on whole pixels, so the one pixel black outline stays crisp."""
    index = sd_capsule(x, y, 10.5, 4.5, 10.5, 17.0, 2.5)
    middle = sd_capsule(x, y, 15.5, 12.5, 15.5, 18.0, 2.5)
    ring = sd_capsule(x, y, 20.0, 13.0, 20.0, 18.0, 2.0)
    pinky = sd_capsule(x, y, 23.5, 15.0, 23.5, 19.0, 1.5)
    palm = sd_box(x - 16.5, y - 21.0, 8.5, 5.0, 3.0)
    thumb = sd_capsule(x, y, 9.5, 22.0, 5.0, 16.5, 2.5)
    wrist = sd_box(x - 17.0, y - 28.0, 7.0, 3.0, 0.5)
    return min(index, middle, ring, pinky, palm, thumb, wrist)


CREASES = [
    (13.5, 12.0, 13.5, 18.0),   # between index and middle finger
    (18.5, 12.5, 18.5, 18.0),
    (22.5, 14.5, 22.5, 19.0),
    (10.0, 19.5, 12.5, 23.0),   # base of the thumb
    (10.0, 25.5, 24.0, 25.5),   # top of the cuff
]


def hand_pixel(x, y, px):
    d = hand_sdf(x, y)
    outline = 1.0
    if d > outline + px:
        return (0.0, 0.0, 0.0, 0.0)
    c = (0.0, 0.0, 0.0, 0.0)
    c = over(c, (0.0, 0.0, 0.0), coverage(d - outline, px))
    white = coverage(d, px)
    crease = min(sd_segment(x, y, *s) for s in CREASES) - 0.5
    white *= 1.0 - coverage(crease, px)
    return over(c, (1.0, 1.0, 1.0), white)


def render(w, h, fn):
    n, m = w * SS, h * SS
    pix = []
    for j in range(m):
        for i in range(n):
            pix.append(fn((i + 0.5) / SS, (j + 0.5) / SS))
    return downsample(pix, n, m, SS)


def main():
    icons, cursors = sys.argv[1], sys.argv[2]
    os.makedirs(icons, exist_ok=True)
    os.makedirs(cursors, exist_ok=True)
    for size, name in ((16, "qob.png"), (48, "qob-48.png")):
        px = 1.0 / (size * SS)
        pix, w, h = render(size, size, lambda x, y: icon_pixel(x / size, y / size, px))
        write_png(os.path.join(icons, name), pix, w, h)
    pix, w, h = render(32, 32, lambda x, y: hand_pixel(x, y, 1.0 / SS))
    write_png(os.path.join(cursors, "hand.png"), pix, w, h)


if __name__ == "__main__":
    main()
