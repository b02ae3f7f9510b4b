"""Synthesises the game's two sounds as 16-bit mono PCM WAV files.

click.wav      a soft bubbly pop, played when a group is cleared
startgame.wav  a small rising three-note chime, played at the start of a game

usage: make_sounds.py OUT_DIR
Pure arithmetic (no noise), so every run writes the same bytes.
"""

import math
import os
import struct
import sys
import wave

RATE = 22050
PEAK = 0.5  # about -6 dBFS


def fade(samples, t_in, t_out):
    n_in, n_out = int(t_in * RATE), int(t_out * RATE)
    n = len(samples)
    for i in range(n_in):
        samples[i] *= 0.5 - 0.5 * math.cos(math.pi * i / n_in)
    for i in range(n_out):
        samples[n - 1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / n_out)
    return samples


def normalise(samples, peak=PEAK):
    top = max(abs(s) for s in samples)
    return [s * peak / top for s in samples]


def write(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(round(s * 32767))) for s in samples))


def pop():
    """A bubble bursting: a short sine whose pitch glides upwards as it dies away."""
    dur = 0.13
    out = []
    phase = phase2 = 0.0
    for i in range(int(dur * RATE)):
        t = i / RATE
        f = 380.0 + 900.0 * (1.0 - math.exp(-t / 0.035))
        phase += 2.0 * math.pi * f / RATE
        phase2 += 2.0 * math.pi * 2.02 * f / RATE
        env = (1.0 - math.exp(-t / 0.003)) * math.exp(-t / 0.030)
        out.append(env * (math.sin(phase) + 0.18 * math.sin(phase2)))
    return fade(normalise(out, 0.55), 0.002, 0.02)


def chime():
    """Three bell-like notes going up a major chord (G5, C6, E6)."""
    dur = 0.9
    notes = [(0.00, 783.99, 0.80), (0.13, 1046.50, 0.85), (0.26, 1318.51, 1.00)]
    # partials of a small bell: ratio, level, decay time
    partials = [(1.0, 1.0, 0.32), (2.0, 0.28, 0.16), (3.01, 0.10, 0.09), (4.17, 0.05, 0.05)]
    n = int(dur * RATE)
    out = [0.0] * n
    for start, freq, level in notes:
        s0 = int(start * RATE)
        for i in range(s0, n):
            t = (i - s0) / RATE
            attack = 1.0 - math.exp(-t / 0.004)
            v = 0.0
            for ratio, amp, decay in partials:
                v += amp * math.exp(-t / decay) * math.sin(2.0 * math.pi * freq * ratio * t)
            out[i] += level * attack * v
    return fade(normalise(out), 0.003, 0.12)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, "click.wav"), pop())
    write(os.path.join(out, "startgame.wav"), chime())


if __name__ == "__main__":
    main()
