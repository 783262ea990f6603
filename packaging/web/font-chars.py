#!/usr/bin/env python3
"""Prints every character the page's font must hold, as UTF-8 text.

usage: font-chars.py FILE...

The characters of the given UTF-8 files (the game's unpacked story and
sayings, its file names, the program's own sources with every text it draws,
error messages included), and, whatever they hold, printable ASCII, the
full-width forms, the Japanese punctuation and both kana, so that text an
author or a player's files bring in still shows in the common cases.
"""
import sys

RANGES = [
    (0x20, 0x7E),      # ASCII
    (0x3000, 0x303F),  # Japanese punctuation
    (0x3040, 0x30FF),  # hiragana and katakana
    (0xFF01, 0xFF9F),  # full-width forms and half-width katakana
    (0xFFFD, 0xFFFD),  # what a byte that does not decode becomes
]

chars = set()
for low, high in RANGES:
    chars.update(chr(c) for c in range(low, high + 1))
for path in sys.argv[1:]:
    with open(path, encoding="utf-8", errors="ignore") as f:
        chars.update(c for c in f.read() if c.isprintable() and c != "\ufeff")
sys.stdout.write("".join(sorted(chars)) + "\n")
