#!/usr/bin/env python3
"""Writes the GIF fixtures of the image tests into the folder given as the first argument.

The writer is deliberately plain (no optimisation) so every feature is under the test's control: palettes,
interlace, transparency, disposal, delays, loop counts, frames off the logical screen, odd extensions."""
import os
import random
import struct
import sys


def lzw(indices, min_size, clear_when_full=True):
    clear, end = 1 << min_size, (1 << min_size) + 1
    out = bytearray()
    acc = nbits = 0

    def put(code, size):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 255)
            acc >>= 8
            nbits -= 8

    def reset():
        return {bytes([i]): i for i in range(clear)}, end + 1, min_size + 1

    table, nxt, size = reset()
    put(clear, size)
    w = b''
    for c in indices:
        wc = w + bytes([c])
        if wc in table:
            w = wc
            continue
        put(table[w], size)
        if nxt < 4096:
            table[wc] = nxt
            nxt += 1
            if nxt > (1 << size) and size < 12:
                size += 1
        elif clear_when_full:
            put(clear, size)
            table, nxt, size = reset()
        w = bytes([c])
    if w:
        put(table[w], size)
    put(end, size)
    if nbits:
        out.append(acc & 255)
    return bytes(out)


def sub_blocks(data, chunk=255):
    out = bytearray()
    for i in range(0, len(data), chunk):
        part = data[i:i + chunk]
        out += bytes([len(part)]) + part
    return bytes(out) + b'\0'


def table_bytes(colors, bits):
    colors = list(colors) + [(0, 0, 0)] * ((1 << bits) - len(colors))
    return b''.join(bytes(c) for c in colors)


def interlace_order(h):
    rows = []
    for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
        rows += list(range(start, h, step))
    return rows


class Gif:
    def __init__(self, w, h, global_colors=None, version=b'89a'):
        self.out = bytearray(b'GIF' + version)
        bits = 8
        if global_colors is not None:
            bits = max(1, (len(global_colors) - 1).bit_length())
            packed = 0x80 | 0x70 | (bits - 1)
        else:
            packed = 0
        self.out += struct.pack('<HHBBB', w, h, packed, 0, 0)
        if global_colors is not None:
            self.out += table_bytes(global_colors, bits)

    def loop(self, count):
        self.out += b'\x21\xff\x0bNETSCAPE2.0\x03\x01' + struct.pack('<H', count) + b'\0'

    def control(self, delay=0, disposal=0, transparent=None):
        packed = (disposal << 2) | (1 if transparent is not None else 0)
        self.out += b'\x21\xf9\x04' + struct.pack('<BHB', packed, delay, transparent or 0) + b'\0'

    def comment(self, text):
        self.out += b'\x21\xfe' + sub_blocks(text)

    def raw(self, data):
        self.out += data

    def image(self, left, top, w, h, pixels, local_colors=None, interlaced=False, min_size=None,
              clear_when_full=True, height_field=None):
        packed = 0x40 if interlaced else 0
        local = b''
        if local_colors is not None:
            bits = max(1, (len(local_colors) - 1).bit_length())
            packed |= 0x80 | (bits - 1)
            local = table_bytes(local_colors, bits)
        if min_size is None:
            min_size = max(2, max(pixels).bit_length() if pixels else 2)
        order = interlace_order(h) if interlaced else range(h)
        stream = [pixels[r * w + x] for r in order for x in range(w)]
        self.out += b',' + struct.pack('<HHHHB', left, top, w, height_field or h, packed) + local
        self.out += bytes([min_size]) + sub_blocks(lzw(stream, min_size, clear_when_full))

    def end(self):
        return bytes(self.out) + b';'


PALETTE4 = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]
RAMP = [(i, 255 - i, (i * 7) % 256) for i in range(256)]


def pattern(w, h, colors, seed):
    rnd = random.Random(seed)
    return [rnd.randrange(colors) if (x + y) % 5 == 0 else (x // 3 + y // 2) % colors
            for y in range(h) for x in range(w)]


def fixtures():
    files = {}

    g = Gif(23, 17, PALETTE4, b'87a')
    g.image(0, 0, 23, 17, pattern(23, 17, 4, 1))
    files['static87.gif'] = g.end()

    g = Gif(61, 37, RAMP)
    g.image(0, 0, 61, 37, pattern(61, 37, 256, 2), interlaced=True)
    files['interlaced.gif'] = g.end()

    g = Gif(64, 64, RAMP)
    g.image(0, 0, 64, 64, [random.Random(3).randrange(256) for _ in range(64 * 64)], clear_when_full=False)
    files['fulltable.gif'] = g.end()

    g = Gif(30, 20, None)
    g.control(delay=10)
    g.image(0, 0, 30, 20, pattern(30, 20, 4, 4), local_colors=PALETTE4)
    g.control(delay=10)
    g.image(5, 3, 12, 9, pattern(12, 9, 16, 5), local_colors=RAMP[:16])
    files['local.gif'] = g.end()

    # One animation per disposal method, transparent and opaque: a background frame, a sprite frame with
    # the disposal under test, then a small frame elsewhere.
    for transparent in (True, False):
        for disposal in range(4):
            g = Gif(24, 18, PALETTE4 + [(0, 0, 0), (40, 40, 40), (90, 90, 90), (200, 100, 0)])
            g.loop(0)
            t = 7 if transparent else None
            g.control(delay=5, disposal=1, transparent=t)
            base = [7 if transparent and (x + y) % 4 == 0 else (x // 6) % 4 for y in range(18) for x in range(24)]
            g.image(0, 0, 24, 18, base)
            g.control(delay=5, disposal=disposal, transparent=t)
            g.image(4, 3, 9, 7, [7 if transparent and x == 4 else 5 for y in range(7) for x in range(9)])
            g.control(delay=5, disposal=disposal, transparent=t)
            g.image(10, 8, 6, 5, [6 if (x + y) % 2 else (7 if transparent else 2) for y in range(5) for x in range(6)])
            g.control(delay=5, disposal=0, transparent=t)
            g.image(2, 12, 5, 4, [3] * 20)
            files['dispose%d%s.gif' % (disposal, 't' if transparent else 'o')] = g.end()

    for name, loop in (('loop0.gif', 0), ('loop2.gif', 2), ('noloop.gif', None)):
        g = Gif(8, 8, PALETTE4)
        if loop is not None:
            g.loop(loop)
        for i, delay in enumerate((0, 1, 50)):
            g.control(delay=delay)
            g.image(0, 0, 8, 8, [i] * 64)
        files[name] = g.end()

    # A frame taller and wider than the screen and one that starts beside it.
    g = Gif(10, 6, PALETTE4)
    g.control(delay=10)
    g.image(2, 1, 12, 9, pattern(12, 9, 4, 6))
    g.control(delay=10)
    g.image(12, 0, 4, 4, [1] * 16)
    files['oversize.gif'] = g.end()
    g = Gif(10, 6, PALETTE4)
    g.image(0, 2, 10, 9, pattern(10, 9, 4, 7), interlaced=True)
    files['tallinterlaced.gif'] = g.end()

    g = Gif(8, 8, PALETTE4)
    g.raw(b'\x21\x99\x00')
    g.image(0, 0, 8, 8, [1] * 64)
    files['badext_first.gif'] = g.end()
    g = Gif(8, 8, PALETTE4)
    g.control(delay=10)
    g.image(0, 0, 8, 8, [1] * 64)
    g.control(delay=10)
    g.image(0, 0, 8, 8, [2] * 64)
    g.raw(b'\x21\x99\x00')
    g.image(0, 0, 8, 8, [3] * 64)
    files['badext_later.gif'] = g.end()

    g = Gif(8, 8, PALETTE4)
    g.control(delay=10)
    g.image(0, 0, 8, 8, [1] * 64)
    g.control(delay=10)
    g.image(0, 0, 8, 8, [2] * 64)
    whole = g.end()
    files['truncated.gif'] = whole[:len(whole) - 12]

    g = Gif(65535, 65535, PALETTE4)
    g.image(0, 0, 4, 4, [1] * 16)
    files['huge_screen.gif'] = g.end()
    g = Gif(8, 8, PALETTE4)
    g.image(0, 0, 8, 8, [1] * 64)
    g.comment(b'after the picture')
    files['comment.gif'] = g.end()
    return files


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, data in fixtures().items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
