#!/usr/bin/env python3
"""Writes the hostile pictures of the image corpora: small files whose headers claim far more than a page
image may hold, or whose data would make a decoder work far beyond its size. Run from anywhere; the files
go to fuzz/corpus/image_*. JPEG bases come from ImageMagick's convert."""
import os
import struct
import subprocess
import tempfile
import zlib

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'corpus')


def write(folder, name, data):
    with open(os.path.join(CORPUS, folder, name), 'wb') as f:
        f.write(data)


# ---- BMP: run-length data of a few bytes declaring 16384 x 16384 ----

def rle_bitmap(width, height, bpp, compression):
    palette = b''.join(bytes((i * 16, 255 - i * 16, i * 8, 0)) for i in range(16))
    data = b''.join(bytes((255, r % 16)) * 4 + b'\0\0' for r in range(8)) + b'\0\1'
    offset = 14 + 40 + len(palette)
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bpp, compression, len(data), 2835, 2835, 16, 0)
    return b'BM' + struct.pack('<IHHI', offset + len(data), 0, 0, offset) + header + palette + data


# ---- PNG: valid pictures whose image data holds every row, refused by size alone ----

def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)


def zero_png(width, height, depth, color_type):
    channels = {0: 1, 2: 3, 4: 2, 6: 4}[color_type]
    row = b'\0' * ((width * channels * depth + 7) // 8 + 1)
    z = zlib.compressobj(9)
    idat = b''.join(z.compress(row) for _ in range(height)) + z.flush()
    ihdr = struct.pack('>IIBBBBB', width, height, depth, color_type, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', idat) + chunk(b'IEND', b'')


# ---- JPEG: a patched frame header, and one scan repeated over and over ----

def segments(b):
    """(start, end, marker) of each marker segment; a scan's entropy-coded data belongs to its SOS."""
    i, out = 2, []
    while i + 3 < len(b) and b[i + 1] != 0xD9:
        marker = b[i + 1]
        j = i + 2 + (b[i + 2] << 8 | b[i + 3])
        if marker == 0xDA:
            while not (b[j] == 0xFF and b[j + 1] != 0 and not 0xD0 <= b[j + 1] <= 0xD7):
                j += 1
        out.append((i, j, marker))
        i = j
    return out


def convert(arguments):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, 'out.jpg')
        subprocess.run(['convert'] + arguments + [path], check=True)
        with open(path, 'rb') as f:
            return bytearray(f.read())


def declare(jpeg, width, height):
    for start, _, marker in segments(jpeg):
        if marker in (0xC0, 0xC2):
            jpeg[start + 5:start + 9] = struct.pack('>HH', height, width)
            return bytes(jpeg)
    raise ValueError('no frame header')


def repeated_scans(jpeg, times):
    start, end, _ = [s for s in segments(jpeg) if s[2] == 0xDA][-1]
    return bytes(jpeg[:end]) + bytes(jpeg[start:end]) * times + b'\xff\xd9'


# ---- GIF: frames that declare far more pixels than their one-pixel screen shows ----

def gif_file(width, height, blocks):
    return b'GIF89a' + struct.pack('<HHBBB', width, height, 0x80, 0, 0) + b'\0\0\0\xff\xff\xff' + blocks + b';'


def image_block(width, height, codes):
    out = b',' + struct.pack('<HHHHB', 0, 0, width, height, 0) + b'\x02'
    for at in range(0, len(codes), 255):
        part = codes[at:at + 255]
        out += bytes((len(part),)) + part
    return out + b'\0'


def expanding_lzw(size):
    """LZW codes (code size 2) each naming the longest string so far: thousands of pixels per byte."""
    out, acc, bits = bytearray(), 0, 0

    def put(code, width):
        nonlocal acc, bits
        acc |= code << bits
        bits += width
        while bits >= 8:
            out.append(acc & 255)
            acc >>= 8
            bits -= 8
    put(4, 3)
    put(0, 3)
    code, width = 6, 3
    while len(out) < size:
        put(min(code, 4095), width)
        if code < 4096:
            code += 1
            if code == 1 << width and width < 12:
                width += 1
    put(5, width)
    if bits:
        out.append(acc & 255)
    return bytes(out)


def main():
    write('image_bmp', 'hostile_rle8_16384.bmp', rle_bitmap(16384, 16384, 8, 1))
    write('image_bmp', 'hostile_rle4_16384_topdown.bmp', rle_bitmap(16384, -16384, 4, 2))

    write('image_png', 'hostile_grey1_8193x8192.png', zero_png(8193, 8192, 1, 0))

    base = convert(['-size', '64x64', '-seed', '3', 'plasma:', '-quality', '40'])
    write('image_jpeg', 'hostile_sof_16384.jpg', declare(base, 16384, 16384))
    progressive = convert(['-size', '64x64', '-seed', '3', 'plasma:', '-quality', '40', '-interlace', 'JPEG'])
    write('image_jpeg', 'hostile_progressive_sof_16384.jpg', declare(progressive, 16384, 16384))
    flat = convert(['-size', '256x256', 'xc:gray50', '-quality', '90', '-interlace', 'JPEG'])
    write('image_jpeg', 'hostile_repeated_scans.jpg', repeated_scans(flat, 200))

    write('image_gif', 'hostile_huge_frame.gif', gif_file(1, 1, image_block(65535, 65535, expanding_lzw(4096))))
    write('image_gif', 'hostile_many_large_frames.gif', gif_file(1, 1, image_block(8192, 1024, b'') * 9))


if __name__ == '__main__':
    main()
