#!/usr/bin/env python3
"""Writes the program's 20 sound effects into resources/wav: short 8 kHz, 8-bit mono tones, each with
its own pitch, length and sweep, faded in and out. Run it again to remake them."""
import math
import os
import struct

RATE = 8000
# name: (start Hz, end Hz, milliseconds, noise share)
SOUNDS = {
    "aircut1.wav": (900, 700, 120, 0.6), "cutting1.wav": (500, 450, 150, 0.5),
    "grinder1.wav": (1400, 1300, 150, 0.5), "grinder2.wav": (1200, 1100, 150, 0.5),
    "grindoff.wav": (1200, 300, 150, 0.3), "hake.wav": (300, 300, 120, 0.8),
    "hera1.wav": (700, 500, 100, 0.4), "hera2.wav": (500, 700, 100, 0.4),
    "heraoku.wav": (660, 440, 80, 0.0), "kanoku.wav": (880, 1320, 80, 0.0),
    "paper.wav": (400, 400, 100, 0.9), "paperoku.wav": (520, 390, 80, 0.0),
    "pi.wav": (2000, 2000, 40, 0.0), "pokin.wav": (1500, 750, 90, 0.0),
    "toolchg.wav": (600, 900, 120, 0.1), "press.wav": (200, 150, 120, 0.2),
    "touch.wav": (1000, 1000, 30, 0.0), "welding.wav": (3000, 2500, 150, 0.9),
    "weldoku.wav": (440, 880, 80, 0.0), "workset.wav": (523, 784, 120, 0.0),
}


def samples(start, end, ms, noise, seed):
    count = RATE * ms // 1000
    phase = 0.0
    state = seed
    for i in range(count):
        t = i / count
        phase += 2 * math.pi * (start + (end - start) * t) / RATE
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        value = (1 - noise) * math.sin(phase) + noise * (state / 0x3FFFFFFF - 1)
        fade = min(1.0, i / (0.1 * count + 1), (count - i) / (0.2 * count + 1))
        yield int(128 + 90 * value * fade)


def write_wav(path, data):
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE, 1, 8)
    header += b"data" + struct.pack("<I", len(data))
    with open(path, "wb") as out:
        out.write(header + data)


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "wav")
    os.makedirs(folder, exist_ok=True)
    for seed, (name, (start, end, ms, noise)) in enumerate(sorted(SOUNDS.items()), 1):
        write_wav(os.path.join(folder, name), bytes(samples(start, end, ms, noise, seed)))


if __name__ == "__main__":
    main()
