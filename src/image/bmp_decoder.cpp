#include "image/bmp_decoder.h"

#include <algorithm>
#include <array>
#include <bit>

namespace lumora::image {

namespace {

uint32_t le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

[[noreturn]] void fail(const char* text) { throw EBmpError(text); }

enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

// A channel described by a bit mask, widened to 8 bits by repeating its high bits (a 5-bit 31 is 255).
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Channel(uint32_t m = 0) : mask(m) {
    if (m) {
      shift = std::countr_zero(m);
      bits = int(std::bit_width(m >> shift));
    }
  }
  uint8_t operator()(uint32_t v) const {
    if (!mask) return 0;
    uint32_t c = (v & mask) >> shift;
    if (bits >= 8) return uint8_t(c >> (bits - 8));
    uint32_t out = c << (8 - bits);
    for (int k = bits; k < 8; k += bits) out |= out >> bits;
    return uint8_t(out);
  }
};

// Everything the headers decide, checked before a pixel is allocated.
struct Layout {
  int width = 0, height = 0;
  bool topDown = false;
  uint32_t bpp = 0, compression = kRgb;
  Channel red, green, blue;
  std::array<Pixel, 256> palette;
  size_t bitsAt = 0;
};

Layout readLayout(const uint8_t* data, size_t size, const DecodeLimits& limits) {
  Layout l;
  if (size < 26 || data[0] != 'B' || data[1] != 'M') fail("not a bitmap file");
  const uint32_t offBits = le32(data + 10);
  const uint32_t headerSize = le32(data + 14);
  if (headerSize < 12 || size - 14 < headerSize) fail("truncated bitmap header");
  const uint8_t* h = data + 14;

  int64_t width, height;
  uint32_t bpp, compression = kRgb, colorsUsed = 0;
  size_t paletteEntrySize = 4;
  if (headerSize == 12) {
    width = le16(h + 4);
    height = le16(h + 6);
    bpp = le16(h + 10);
    paletteEntrySize = 3;
  } else {
    if (headerSize < 16) fail("unknown bitmap header");
    width = int32_t(le32(h + 4));
    height = int32_t(le32(h + 8));
    bpp = le16(h + 14);
    if (headerSize >= 20) compression = le32(h + 16);
    if (headerSize >= 36) colorsUsed = le32(h + 32);
    // OS/2 2.x headers (16 to 64 bytes other than the Windows sizes) use 3 for Huffman and 4 for RLE24.
    if (headerSize == 64 && (compression == 3 || compression == 4)) fail("unsupported OS/2 compression");
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0) fail("empty bitmap");
  if (uint64_t(width) * uint64_t(height) > limits.MaxPixels) fail("bitmap too large");
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) fail("unsupported bit count");
  if ((compression == kRle8 && bpp != 8) || (compression == kRle4 && bpp != 4)) fail("invalid compression");
  if (compression != kRgb && compression != kRle8 && compression != kRle4 && compression != kBitFields &&
      compression != kAlphaBitFields)
    fail("unsupported compression");
  if ((compression == kBitFields || compression == kAlphaBitFields) && bpp != 16 && bpp != 32)
    fail("invalid compression");

  // Colour masks: in the header from V2 on, else right behind a 40-byte header.
  size_t afterHeader = 14 + headerSize;
  if (bpp == 16) {
    l.red = Channel(0x7C00), l.green = Channel(0x03E0), l.blue = Channel(0x001F);
  } else if (bpp == 32) {
    l.red = Channel(0xFF0000), l.green = Channel(0xFF00), l.blue = Channel(0xFF);
  }
  if (compression == kBitFields || compression == kAlphaBitFields) {
    const uint8_t* m;
    if (headerSize >= 52) {
      m = h + 40;
    } else {
      size_t maskBytes = compression == kAlphaBitFields ? 16 : 12;
      if (size - afterHeader < maskBytes) fail("truncated bit fields");
      m = data + afterHeader;
      afterHeader += maskBytes;
    }
    l.red = Channel(le32(m)), l.green = Channel(le32(m + 4)), l.blue = Channel(le32(m + 8));
  }

  l.palette.fill(kBlack);
  if (bpp <= 8) {
    size_t entries = colorsUsed ? std::min<size_t>(colorsUsed, 256) : size_t(1) << bpp;
    size_t available = (size - afterHeader) / paletteEntrySize;
    if (offBits > afterHeader && offBits <= size)
      available = std::min(available, (offBits - afterHeader) / paletteEntrySize);
    entries = std::min(entries, available);
    for (size_t i = 0; i < entries; ++i) {
      const uint8_t* p = data + afterHeader + i * paletteEntrySize;
      l.palette[i] = makePixel(p[2], p[1], p[0]);
    }
  }

  size_t bitsAt = offBits;
  if (bitsAt < afterHeader || bitsAt >= size) {
    bitsAt = afterHeader + (bpp <= 8 ? (colorsUsed ? std::min<size_t>(colorsUsed, 256) : size_t(1) << bpp) * paletteEntrySize : 0);
    if (bitsAt >= size) fail("no pixel data");
  }
  if (compression != kRle8 && compression != kRle4) {
    const size_t stride = ((size_t(width) * bpp + 31) / 32) * 4;
    // The last row needs only its pixels, not its padding.
    const size_t needed = stride * size_t(height - 1) + (size_t(width) * bpp + 7) / 8;
    if (size - bitsAt < needed) fail("truncated pixel data");
  }
  l.width = int(width);
  l.height = int(height);
  l.topDown = topDown;
  l.bpp = bpp;
  l.compression = compression;
  l.bitsAt = bitsAt;
  return l;
}

}  // namespace

TImageSize readBmpHeader(const uint8_t* data, size_t size, const DecodeLimits& limits) {
  Layout l = readLayout(data, size, limits);
  return {l.width, l.height};
}

TBitmap decodeBmp(const uint8_t* data, size_t size, const DecodeLimits& limits) {
  const Layout l = readLayout(data, size, limits);
  const uint32_t bpp = l.bpp, compression = l.compression;
  const bool topDown = l.topDown;
  const std::array<Pixel, 256>& palette = l.palette;
  const Channel &red = l.red, &green = l.green, &blue = l.blue;
  const size_t bitsAt = l.bitsAt;
  const uint8_t* bits = data + bitsAt;
  const size_t bitsSize = size - bitsAt;
  const int w = l.width, ht = l.height;
  TBitmap bitmap;

  if (compression == kRle8 || compression == kRle4) {
    // Pixels an RLE bitmap skips show the first palette colour.
    bitmap = TBitmap(w, ht, palette[0]);
    int x = 0, row = 0;
    size_t i = 0;
    // x stops at the right edge: pixels past it are dropped, and a long row cannot overflow it.
    auto put = [&](int index) {
      if (x < w) bitmap.at(x++, topDown ? row : ht - 1 - row) = palette[size_t(index)];
    };
    while (i + 1 < bitsSize && row < ht) {
      uint8_t count = bits[i], value = bits[i + 1];
      i += 2;
      if (count > 0) {
        for (int k = 0; k < count; ++k)
          put(compression == kRle8 ? value : (k % 2 == 0 ? value >> 4 : value & 15));
      } else if (value == 0) {
        x = 0;
        ++row;
      } else if (value == 1) {
        break;
      } else if (value == 2) {
        if (i + 1 >= bitsSize) break;
        x = std::min(w, x + bits[i]);
        row += bits[i + 1];
        i += 2;
      } else {
        size_t n = value;
        size_t bytes = compression == kRle8 ? n : (n + 1) / 2;
        if (bitsSize - i < bytes) {  // the run breaks off with the data
          bytes = bitsSize - i;
          n = compression == kRle8 ? bytes : bytes * 2;
        }
        for (size_t k = 0; k < n; ++k)
          put(compression == kRle8 ? bits[i + k] : (k % 2 == 0 ? bits[i + k / 2] >> 4 : bits[i + k / 2] & 15));
        i += (bytes + 1) & ~size_t(1);
      }
    }
    return bitmap;
  }

  const size_t stride = ((size_t(w) * bpp + 31) / 32) * 4;
  bitmap = TBitmap(w, ht, kUninitialized);
  for (int r = 0; r < ht; ++r) {
    const uint8_t* s = bits + stride * size_t(r);
    Pixel* out = &bitmap.Pixels[size_t(topDown ? r : ht - 1 - r) * size_t(w)];
    switch (bpp) {
      case 1:
      case 4: {
        const unsigned mask = (1u << bpp) - 1;
        for (int x = 0; x < w; ++x) {
          size_t bit = size_t(x) * bpp;
          out[x] = palette[(s[bit >> 3] >> (8 - bpp - (bit & 7))) & mask];
        }
        break;
      }
      case 8:
        for (int x = 0; x < w; ++x) out[x] = palette[s[x]];
        break;
      case 16:
        for (int x = 0; x < w; ++x) {
          uint32_t v = le16(s + 2 * x);
          out[x] = makePixel(red(v), green(v), blue(v));
        }
        break;
      case 24:
        for (int x = 0; x < w; ++x) out[x] = makePixel(s[3 * x + 2], s[3 * x + 1], s[3 * x]);
        break;
      case 32:
        for (int x = 0; x < w; ++x) {
          uint32_t v = le32(s + 4 * x);
          out[x] = makePixel(red(v), green(v), blue(v));
        }
        break;
    }
  }
  return bitmap;
}

}  // namespace lumora::image
