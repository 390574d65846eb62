#!/usr/bin/env python3
"""Writes BMP fixtures ImageMagick does not write (RLE4, top-down rows, OS/2 headers, V4 bit fields, 16-bit
BI_RGB) into the folder given as the first argument."""
import os
import struct
import sys

W, H = 13, 7


def color(x, y):
    return ((x * 19) % 256, (y * 37) % 256, ((x + y) * 11) % 256)


def index(x, y, colors):
    return (x // 2 + y) % colors


def palette(n, entry=4):
    out = b''
    for i in range(n):
        rgb = ((i * 53) % 256, (i * 97) % 256, (i * 29 + 7) % 256)
        out += bytes((rgb[2], rgb[1], rgb[0])) + (b'\0' if entry == 4 else b'')
    return out


def pad(row):
    return row + b'\0' * ((4 - len(row) % 4) % 4)


def pack(values, bits):
    out = bytearray()
    acc = n = 0
    for v in values:
        acc = (acc << bits) | v
        n += bits
        if n == 8:
            out.append(acc)
            acc = n = 0
    if n:
        out.append(acc << (8 - n))
    return bytes(out)


def file(header, pal, pixels):
    off = 14 + len(header) + len(pal)
    return b'BM' + struct.pack('<IHHI', off + len(pixels), 0, 0, off) + header + pal + pixels


def info(width, height, bpp, compression=0, size_image=0, colors=0, extra=b'', header_size=40):
    base = struct.pack('<IiiHHIIiiII', header_size, width, height, 1, bpp, compression, size_image, 2835, 2835,
                       colors, 0)
    return base + extra + b'\0' * (header_size - 40 - len(extra))


def rows(bottom_up, make_row):
    order = range(H - 1, -1, -1) if bottom_up else range(H)
    return b''.join(pad(make_row(y)) for y in order)


def rle4():
    out = bytearray()
    for y in range(H - 1, -1, -1):
        vals = [index(x, y, 16) for x in range(W)]
        # an encoded run of 4 (two alternating values), an absolute run of 5, then encoded runs of the rest
        out += bytes((4, (vals[0] << 4) | vals[1]))
        absolute = vals[4:9]
        out += bytes((0, len(absolute))) + pack(absolute, 4)
        out += b'\0' * ((-len(pack(absolute, 4))) % 2)
        for x in range(9, W):
            out += bytes((1, vals[x] << 4))
        out += b'\0\0'
    out += b'\0\1'
    return bytes(out)




def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    files = {}

    data = rle4()
    files['rle4.bmp'] = file(info(W, H, 4, 2, len(data), 16), palette(16), data)

    files['topdown24.bmp'] = file(info(W, -H, 24), b'',
                                  rows(False, lambda y: b''.join(bytes(color(x, y)[::-1]) for x in range(W))))

    masks = struct.pack('<IIII', 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    files['v4_bitfields32.bmp'] = file(
        info(W, H, 32, 3, extra=masks, header_size=108), b'',
        rows(True, lambda y: b''.join(struct.pack('<I', 0x80000000 | (color(x, y)[0] << 16) | (color(x, y)[1] << 8)
                                                  | color(x, y)[2]) for x in range(W))))

    masks565 = struct.pack('<III', 0xF800, 0x07E0, 0x001F)
    files['bitfields565.bmp'] = file(
        info(W, H, 16, 3) + masks565, b'',
        rows(True, lambda y: b''.join(struct.pack('<H', ((color(x, y)[0] >> 3) << 11) | ((color(x, y)[1] >> 2) << 5)
                                                  | (color(x, y)[2] >> 3)) for x in range(W))))

    files['rgb555.bmp'] = file(
        info(W, H, 16), b'',
        rows(True, lambda y: b''.join(struct.pack('<H', ((color(x, y)[0] >> 3) << 10) | ((color(x, y)[1] >> 3) << 5)
                                                  | (color(x, y)[2] >> 3)) for x in range(W))))

    core = struct.pack('<IHHHH', 12, W, H, 1, 4)
    files['core4.bmp'] = file(core, palette(16, 3), rows(True, lambda y: pack([index(x, y, 16) for x in range(W)], 4)))

    os2 = struct.pack('<IiiHHIIiiII', 64, W, H, 1, 8, 0, 0, 0, 0, 0, 0) + b'\0' * 24
    files['os2v2_8.bmp'] = file(os2, palette(256), rows(True, lambda y: bytes(index(x, y, 256) for x in range(W))))

    files['mono.bmp'] = file(info(W, H, 1, colors=2), palette(2),
                             rows(True, lambda y: pack([(x + y) % 3 == 0 and 1 or 0 for x in range(W)], 1)))

    for name, content in files.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(content)


if __name__ == '__main__':
    main()
