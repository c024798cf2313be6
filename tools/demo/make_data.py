#!/usr/bin/env python3
"""Writes the demo product's data members into a directory.

The files are the same bytes on every run (all randomness comes from
SHA-256 in counter mode over a fixed seed) and compress only in part, as a
real product's would: prose-like help text, glyph outlines with small
coordinate steps, and a document that embeds noise-like picture data. With
the programs they make a distribution that needs three 1.44 MB disks.

usage: make_data.py OUTDIR
"""
import hashlib
import os
import sys


class Stream:
    """Deterministic bytes: SHA-256 of a seed and a running counter."""

    def __init__(self, seed):
        self.seed = seed.encode()
        self.counter = 0
        self.pool = b""

    def take(self, n):
        while len(self.pool) < n:
            block = hashlib.sha256(self.seed + self.counter.to_bytes(8, "little")).digest()
            self.pool += block
            self.counter += 1
        out, self.pool = self.pool[:n], self.pool[n:]
        return out

    def noise(self, n):
        chunks = []
        while n > 0:
            size = min(n, 1 << 16)
            chunks.append(b"".join(
                hashlib.sha256(self.seed + b"noise" + (self.counter + i).to_bytes(8, "little")).digest()
                for i in range((size + 31) // 32))[:size])
            self.counter += (size + 31) // 32
            n -= size
        return b"".join(chunks)

    def below(self, limit):
        return int.from_bytes(self.take(4), "little") % limit


WORDS = (
    "glyph outline stroke contour serif baseline kerning ascender descender "
    "weight slant width spacing curve point handle anchor layer palette "
    "export import render preview canvas grid guide ruler metric design "
    "font family style regular bold italic condensed expanded hinting the "
    "a an of to in for with on by from and or is are be can will select "
    "choose press click drag drop open save close window menu dialog tool "
    "move scale rotate mirror copy paste undo redo library document page"
).split()

TOPICS = (
    "Drawing a glyph", "Editing contours", "Kerning pairs", "The glyph library",
    "Desktop publishing files", "Printing proofs", "Exporting fonts", "Shortcuts",
)


def sentence(rng):
    count = 6 + rng.below(12)
    words = [WORDS[rng.below(len(WORDS))] for _ in range(count)]
    return words[0].capitalize() + " " + " ".join(words[1:]) + "."


def paragraph(rng):
    return " ".join(sentence(rng) for _ in range(3 + rng.below(5)))


def filled(stream, header, size, piece):
    """`header`, then piece(rng, n) for n = 0, 1, ... until `size` bytes, cut there."""
    rng = Stream(stream)
    out = bytearray(header)
    n = 0
    while len(out) < size:
        out += piece(rng, n)
        n += 1
    return bytes(out[:size])


def help_topic(rng, topic):
    text = "\r\n\x02" + TOPICS[topic % len(TOPICS)] + " (" + str(topic) + ")\x03\r\n"
    for _ in range(4 + rng.below(4)):
        text += paragraph(rng) + "\r\n"
    return text.encode()


def glyph(rng, code):
    points = 8 + rng.below(56)
    out = code.to_bytes(2, "little") + points.to_bytes(2, "little")
    x, y = rng.below(1000), rng.below(1000)
    steps = rng.take(2 * points)
    for i in range(points):
        # Small steps: outlines move a little from point to point.
        x = (x + steps[2 * i] % 33 - 16) & 0xFFFF
        y = (y + steps[2 * i + 1] % 33 - 16) & 0xFFFF
        out += x.to_bytes(2, "little") + y.to_bytes(2, "little")
    return out


def page(rng, n):
    out = ("\x0cPAGE %d\r\n" % (n + 1)).encode() + (paragraph(rng) + "\r\n").encode()
    # A placed picture: already-compressed data does not shrink again.
    return out + b"IMG\x00" + rng.noise(24000 + rng.below(16000))


def help_file(size):
    return filled("help", b"?_\x03\x00GLYPHVANE HELP\x00", size, help_topic)


def glyph_library(size):
    return filled("library", b"GVLIB\x01\x00\x00", size, glyph)


def document(size):
    return filled("document", b"GVDTP\x02\x00\x00", size, page)


def readme():
    return (
        "Glyphvane\r\n=========\r\n\r\n"
        "Glyphvane draws and edits glyphs and lays them out in documents.\r\n\r\n"
        "Files installed:\r\n"
        "  Glyphvane.Exe   the program\r\n"
        "  UnInstal.Exe    removes Glyphvane again\r\n"
        "  GLYPHS.LIB      the glyph library (kept when you install again)\r\n"
        "  SAMPLE.DTP      a sample document (kept when you install again)\r\n"
        "  GLYPHVAN.HLP    the help file, in the Windows help directory\r\n"
    ).encode()


MEMBERS = {
    "GLYPHVAN.HLP": lambda: help_file(1400 * 1024),
    "GLYPHS.LIB": lambda: glyph_library(1200 * 1024),
    "SAMPLE.DTP": lambda: document(1100 * 1024),
    "README.TXT": readme,
}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    for name, make in MEMBERS.items():
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(make())


if __name__ == "__main__":
    main()
