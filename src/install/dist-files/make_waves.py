#!/usr/bin/python3
# Writes the three sound files of the distribution (connect, complete, error) into a directory:
# short 16-bit mono tones computed here, so every build makes the same bytes.
import math
import struct
import sys
import wave

RATE = 22050


def tone(notes):
    """notes: (frequency in Hz, seconds, volume 0..1) played one after the other."""
    samples = []
    for freq, seconds, volume in notes:
        count = int(RATE * seconds)
        fade = max(1, int(RATE * 0.01))
        for i in range(count):
            envelope = min(1.0, i / fade, (count - i) / fade)
            value = 0.0 if freq == 0 else math.sin(2 * math.pi * freq * i / RATE)
            samples.append(int(round(32767 * volume * envelope * value)))
    return samples


SOUNDS = {
    # Two rising notes: the server answered.
    "connect.wav": [(660, 0.09, 0.5), (0, 0.03, 0), (880, 0.12, 0.5)],
    # A three-note chime: the transfer is done.
    "complete.wav": [(784, 0.08, 0.45), (988, 0.08, 0.45), (1175, 0.16, 0.45)],
    # Two low notes falling: something went wrong.
    "error.wav": [(330, 0.14, 0.6), (0, 0.04, 0), (220, 0.22, 0.6)],
}


def main():
    out_dir = sys.argv[1]
    for name, notes in SOUNDS.items():
        with wave.open(out_dir + "/" + name, "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(b"".join(struct.pack("<h", s) for s in tone(notes)))


if __name__ == "__main__":
    main()
