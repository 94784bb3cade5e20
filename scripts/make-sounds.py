#!/usr/bin/env python3
"""Writes the program's two sounds into resources/sounds/ (16-bit mono PCM WAV, 22 050 Hz).

SP0000.wav  the key click: a few milliseconds of a sharp, quickly dying tick.
VX3_bell.wav  the bell of ATASCII 253: a short buzz that fades, like a home computer's speaker.

The files are generated so that they carry no one else's recording; run this script again to
change them.
"""
import math
import os
import struct
import wave

RATE = 22050


def write(name, samples):
    path = os.path.join(os.path.dirname(__file__), "..", "resources", "sounds", name)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", max(-32767, min(32767, int(s)))) for s in samples))


def click():
    length = int(RATE * 0.012)
    for i in range(length):
        t = i / RATE
        envelope = math.exp(-t / 0.0015)
        # Two close partials give the tick its body; the envelope makes it short.
        yield 22000 * envelope * (0.6 * math.sin(2 * math.pi * 2200 * t) + 0.4 * math.sin(2 * math.pi * 3700 * t))


def bell():
    length = int(RATE * 0.18)
    for i in range(length):
        t = i / RATE
        envelope = min(1.0, t / 0.004) * math.exp(-t / 0.09)
        square = 1.0 if math.sin(2 * math.pi * 880 * t) >= 0 else -1.0
        yield 9000 * envelope * square


if __name__ == "__main__":
    write("SP0000.wav", click())
    write("VX3_bell.wav", bell())
