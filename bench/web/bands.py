#!/usr/bin/env python3
"""Compares two recordings of the same music by third-octave bands.

usage: bands.py A.raw RATE_A B.raw RATE_B

Both are 32-bit float stereo, interleaved. Leading silence is cut from
each; then each one's long-term spectrum (Hann windows of 8192 frames, half
overlapping, both channels) is summed into the third-octave bands from 25 Hz
to 16 kHz. Prints each band's level in A and in B (dB below A's loudest
band) and B - A, then the largest difference among the bands within 40 dB
of A's loudest.
"""
import sys

import numpy as np


def spectrum(path, rate):
    x = np.fromfile(path, dtype=np.float32).reshape(-1, 2)
    loud = np.nonzero(np.abs(x).max(axis=1) > 1e-4)[0]
    x = x[loud[0]:] if len(loud) else x
    n = 8192
    window = np.hanning(n)
    power = np.zeros(n // 2 + 1)
    frames = 0
    for start in range(0, len(x) - n, n // 2):
        for ch in range(2):
            power += np.abs(np.fft.rfft(x[start : start + n, ch] * window)) ** 2
        frames += 1
    freqs = np.fft.rfftfreq(n, 1.0 / rate)
    return freqs, power / max(frames, 1) / (rate * (window ** 2).sum()), len(x) / rate


def bands(freqs, power):
    out = []
    for k in range(-16, 13):  # 25 Hz .. 16 kHz
        centre = 1000 * 2 ** (k / 3)
        low, high = centre * 2 ** (-1 / 6), centre * 2 ** (1 / 6)
        sel = (freqs >= low) & (freqs < high)
        out.append((centre, power[sel].sum() * (freqs[1] - freqs[0])))
    return out


def main():
    a_path, a_rate, b_path, b_rate = sys.argv[1], float(sys.argv[2]), sys.argv[3], float(sys.argv[4])
    fa, pa, la = spectrum(a_path, a_rate)
    fb, pb, lb = spectrum(b_path, b_rate)
    ba, bb = bands(fa, pa), bands(fb, pb)
    top = max(v for _, v in ba)
    worst = 0.0
    print(f"   {la:.1f} s against {lb:.1f} s; band, A dB, B dB, B - A")
    for (centre, va), (_, vb) in zip(ba, bb):
        da = 10 * np.log10(va / top + 1e-30)
        db = 10 * np.log10(vb / top + 1e-30)
        diff = db - da
        if da > -40:
            worst = max(worst, abs(diff))
        print(f"   {centre:7.0f} Hz {da:7.1f} {db:7.1f} {diff:+6.1f}")
    total = 10 * np.log10(sum(v for _, v in bb) / sum(v for _, v in ba))
    print(f"   overall B - A {total:+.1f} dB; largest band difference within 40 dB of the top {worst:.1f} dB")


if __name__ == "__main__":
    main()
