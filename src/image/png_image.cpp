#include "image/png_image.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lumora::image {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

constexpr uint32_t tag(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8 |
         uint32_t(uint8_t(s[3]));
}
constexpr uint32_t kIHDR = tag("IHDR"), kIDAT = tag("IDAT"), kIEND = tag("IEND"), kPLTE = tag("PLTE"),
                   kGAMA = tag("gAMA"), kTEXT = tag("tEXt"), kTRNS = tag("tRNS");

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }

bool registered(uint32_t type) {
  return type == kIHDR || type == kIDAT || type == kIEND || type == kPLTE || type == kGAMA || type == kTEXT ||
         type == kTRNS;
}

std::string typeName(uint32_t type) {
  return {char(type >> 24), char(type >> 16), char(type >> 8), char(type)};
}

[[noreturn]] void fail(const char* text) { throw EPNGImageException(text); }

// Deflate cannot expand data by more than about 1032 times; a header that claims more pixels than its
// image data can possibly hold is rejected before anything is allocated for it.
constexpr uint64_t kMaxInflateRatio = 1100;

struct Pass {
  uint32_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kSinglePass[1] = {{0, 0, 1, 1}};

uint32_t passExtent(uint32_t size, uint32_t start, uint32_t step) {
  return size > start ? (size - start + step - 1) / step : 0;
}

// The predictor in the form that compiles to conditional moves: pa = |b - c|, pb = |a - c|, pc = |a + b - 2c|.
inline uint8_t paeth(uint8_t a, uint8_t b, uint8_t c) {
  int p = int(b) - int(c), q = int(a) - int(c);
  int pa = std::abs(p), pb = std::abs(q), pc = std::abs(p + q);
  int best = a;
  if (pb < pa) pa = pb, best = b;
  if (pc < pa) best = c;
  return uint8_t(best);
}

void unfilter(uint8_t filter, uint8_t* cur, const uint8_t* prev, size_t n, size_t bpp) {
  switch (filter) {
    case 0:
      return;
    case 1:
      for (size_t i = bpp; i < n; ++i) cur[i] = uint8_t(cur[i] + cur[i - bpp]);
      return;
    case 2:
      for (size_t i = 0; i < n; ++i) cur[i] = uint8_t(cur[i] + prev[i]);
      return;
    case 3:
      for (size_t i = 0; i < bpp && i < n; ++i) cur[i] = uint8_t(cur[i] + (prev[i] >> 1));
      for (size_t i = bpp; i < n; ++i) cur[i] = uint8_t(cur[i] + ((unsigned(cur[i - bpp]) + prev[i]) >> 1));
      return;
    case 4:
      for (size_t i = 0; i < bpp && i < n; ++i) cur[i] = uint8_t(cur[i] + prev[i]);
      for (size_t i = bpp; i < n; ++i) cur[i] = uint8_t(cur[i] + paeth(cur[i - bpp], prev[i], prev[i - bpp]));
      return;
    default:
      fail(kPngUnknownFilter);
  }
}

// Feeds the joined IDAT chunks to zlib one row at a time.
class IdatReader {
 public:
  IdatReader(const std::vector<const uint8_t*>& data, const std::vector<uint32_t>& sizes)
      : data_(data), sizes_(sizes) {
    std::memset(&z_, 0, sizeof z_);
    if (inflateInit(&z_) != Z_OK) throw std::bad_alloc();
  }
  ~IdatReader() { inflateEnd(&z_); }
  IdatReader(const IdatReader&) = delete;
  IdatReader& operator=(const IdatReader&) = delete;

  void read(uint8_t* out, size_t n) {
    z_.next_out = out;
    z_.avail_out = uInt(n);
    while (z_.avail_out > 0) {
      if (z_.avail_in == 0) {
        if (next_ >= data_.size()) fail(kPngCorruptedData);
        z_.next_in = const_cast<Bytef*>(data_[next_]);
        z_.avail_in = sizes_[next_];
        ++next_;
        continue;
      }
      int rc = inflate(&z_, Z_NO_FLUSH);
      if (rc == Z_STREAM_END) {
        if (z_.avail_out > 0) fail(kPngCorruptedData);
        break;
      }
      if (rc != Z_OK) fail(kPngCorruptedData);
    }
  }

 private:
  z_stream z_;
  const std::vector<const uint8_t*>& data_;
  const std::vector<uint32_t>& sizes_;
  size_t next_ = 0;
};

}  // namespace

EPNGImageException::EPNGImageException(const std::string& text)
    : std::runtime_error("Portable Network Graphics format handler error\r\n\r\n" + text), text_(text) {}

std::array<uint8_t, 256> pngGammaTable(uint32_t gamma) {
  std::array<uint8_t, 256> table{};
  double exponent = 1.0 / (double(gamma) / 100000.0 * 2.2);
  for (int i = 0; i < 256; ++i) {
    double v = std::round(255.0 * std::pow(i / 255.0, exponent));
    table[size_t(i)] = uint8_t(std::clamp(v, 0.0, 255.0));
  }
  return table;
}

std::array<uint8_t, 256> pngInverseGammaTable(const std::array<uint8_t, 256>& correction) {
  std::array<uint8_t, 256> inverse{};
  for (int i = 0; i < 256; ++i) inverse[correction[size_t(i)]] = uint8_t(i);
  return inverse;
}

void TPNGImage::ReadHeader(const uint8_t* data, size_t size, const DecodeLimits& limits) {
  std::vector<ChunkRef> refs;
  readHeaders(data, size, limits, refs);
}

void TPNGImage::LoadFromStream(const uint8_t* data, size_t size, const DecodeLimits& limits) {
  std::vector<ChunkRef> refs;
  const size_t firstIdat = readHeaders(data, size, limits, refs);
  try {
    decodeImage(refs, firstIdat);
  } catch (...) {
    bitmap_ = TBitmap();
    throw;
  }
}

size_t TPNGImage::readHeaders(const uint8_t* data, size_t size, const DecodeLimits& limits,
                              std::vector<ChunkRef>& refs) {
  bitmap_ = TBitmap();
  chunks_.clear();
  palette_.clear();
  trns_.clear();
  hasGamma_ = false;
  width_ = height_ = 0;
  bitDepth_ = colorType_ = interlace_ = 0;

  if (size < 8 || std::memcmp(data, kSignature, 8) != 0) fail(kPngInvalidHeader);
  readChunks(data, size, refs);
  if (refs.empty() || refs[0].type != kIHDR) fail(kPngNoIhdr);
  auto idat = std::find_if(refs.begin(), refs.end(), [](const ChunkRef& c) { return c.type == kIDAT; });
  if (idat == refs.end()) fail(kPngNoData);
  const size_t firstIdat = size_t(idat - refs.begin());
  readHeader(refs[0], limits);

  // The chunks before the image data set up its decoding.
  for (size_t i = 1; i < firstIdat; ++i) {
    const ChunkRef& c = refs[i];
    if (c.type == kGAMA && c.length >= 4) {
      uint32_t g = be32(c.data);
      // A gamma of 0 would divide by zero; such a chunk says nothing usable.
      if (g != 0) {
        hasGamma_ = true;
        gamma_ = pngGammaTable(g);
        inverseGamma_ = pngInverseGammaTable(gamma_);
      }
    } else if (c.type == kPLTE) {
      palette_.assign(c.data, c.data + c.length);
    } else if (c.type == kTRNS) {
      trns_.assign(c.data, c.data + c.length);
    }
  }
  if (colorType_ == 3) {
    if (palette_.empty()) fail(kPngMissingPalette);
    if (palette_.size() % 3 != 0) fail(kPngInvalidPalette);
  }

  uint64_t idatTotal = 0;
  for (size_t i = firstIdat; i < refs.size(); ++i)
    if (refs[i].type == kIDAT) idatTotal += refs[i].length;
  const uint32_t bitsPerPixel = uint32_t(channels() * bitDepth_);
  const Pass* passes = interlace_ == 1 ? kAdam7 : kSinglePass;
  const int passCount = interlace_ == 1 ? 7 : 1;
  uint64_t rawTotal = 0;
  for (int p = 0; p < passCount; ++p) {
    uint64_t pw = passExtent(width_, passes[p].x0, passes[p].dx);
    uint64_t ph = passExtent(height_, passes[p].y0, passes[p].dy);
    if (pw && ph) rawTotal += ph * ((pw * bitsPerPixel + 7) / 8 + 1);
  }
  if (rawTotal > idatTotal * kMaxInflateRatio + 1024) fail(kPngCorruptedData);
  return firstIdat;
}

int TPNGImage::channels() const {
  return colorType_ == 2 ? 3 : colorType_ == 4 ? 2 : colorType_ == 6 ? 4 : 1;
}

void TPNGImage::readChunks(const uint8_t* data, size_t size, std::vector<ChunkRef>& refs) {
  size_t pos = 8;
  while (size - pos >= 8) {
    uint32_t length = be32(data + pos);
    uint32_t type = be32(data + pos + 4);
    if (!registered(type) && (type & 0x20000000u) == 0) fail(kPngUnknownCriticalChunk);
    if (length > 0x7FFFFFFFu || size - pos - 8 < uint64_t(length) + 4) fail(kPngCorruptedData);
    const uint8_t* body = data + pos + 8;
    uint32_t crc = uint32_t(crc32(0, data + pos + 4, uInt(length) + 4));
    if (crc != be32(body + length)) fail(kPngCorruptedData);
    refs.push_back({type, body, length});
    if (type == kIDAT)
      chunks_.push_back({typeName(type), {}});
    else
      chunks_.push_back({typeName(type), std::vector<uint8_t>(body, body + length)});
    pos += size_t(length) + 12;
    if (type == kIEND) break;
  }
}

void TPNGImage::readHeader(const ChunkRef& ihdr, const DecodeLimits& limits) {
  if (ihdr.length < 13) fail(kPngNoIhdr);
  width_ = be32(ihdr.data);
  height_ = be32(ihdr.data + 4);
  bitDepth_ = ihdr.data[8];
  colorType_ = ihdr.data[9];
  interlace_ = ihdr.data[12];
  bool depthOk = false;
  switch (colorType_) {
    case 0:
      depthOk = bitDepth_ == 1 || bitDepth_ == 2 || bitDepth_ == 4 || bitDepth_ == 8 || bitDepth_ == 16;
      break;
    case 3:
      depthOk = bitDepth_ == 1 || bitDepth_ == 2 || bitDepth_ == 4 || bitDepth_ == 8;
      break;
    case 2:
    case 4:
    case 6:
      depthOk = bitDepth_ == 8 || bitDepth_ == 16;
      break;
    default:
      break;
  }
  // A bit depth the colour type does not allow has no defined row layout: treat it like an unknown type.
  if (!depthOk) fail(kPngUnknownColorType);
  if (interlace_ > 1) fail(kPngUnknownInterlace);
  if (width_ == 0 || height_ == 0 || width_ > 0x7FFFFFFFu || height_ > 0x7FFFFFFFu) fail(kPngCorruptedData);
  if (uint64_t(width_) * height_ > limits.MaxPixels) fail(kPngTooLarge);
  // Besides the bitmap, decoding holds two raw rows (and one pixel row of an interlaced pass): in a picture
  // only a few rows high those could be far larger than the bitmap itself.
  const uint64_t rowBytes = (uint64_t(width_) * uint64_t(channels() * bitDepth_) + 7) / 8 + 1;
  if (2 * rowBytes + (interlace_ == 1 ? uint64_t(width_) * sizeof(Pixel) : 0) > limits.MaxPixels) fail(kPngTooLarge);
}

void TPNGImage::decodeImage(const std::vector<ChunkRef>& refs, size_t firstIdat) {
  const uint32_t bitsPerPixel = uint32_t(channels() * bitDepth_);
  const size_t bpp = std::max<size_t>(1, bitsPerPixel / 8);
  const Pass* passes = interlace_ == 1 ? kAdam7 : kSinglePass;
  const int passCount = interlace_ == 1 ? 7 : 1;

  std::vector<const uint8_t*> idatData;
  std::vector<uint32_t> idatSizes;
  for (size_t i = firstIdat; i < refs.size(); ++i)
    if (refs[i].type == kIDAT) {
      idatData.push_back(refs[i].data);
      idatSizes.push_back(refs[i].length);
    }

  // Colour of every sample value for grey and palette images, gamma and tRNS applied.
  std::array<uint8_t, 256> g;
  for (int i = 0; i < 256; ++i) g[size_t(i)] = hasGamma_ ? gamma_[size_t(i)] : uint8_t(i);
  std::array<Pixel, 256> lut;
  lut.fill(makePixel(0, 0, 0));
  bool hasAlpha = colorType_ == 4 || colorType_ == 6;
  int trnsGrey16 = -1;
  uint32_t trnsRgb[3] = {0, 0, 0};
  bool trnsRgbSet = false;
  if (colorType_ == 0 || colorType_ == 4) {
    int entries = bitDepth_ >= 8 ? 256 : 1 << bitDepth_;
    for (int k = 0; k < entries; ++k) {
      uint8_t v = g[size_t(k * 255 / (entries - 1))];
      lut[size_t(k)] = makePixel(v, v, v);
    }
    if (colorType_ == 0 && trns_.size() >= 2) {
      uint32_t t = be16(trns_.data());
      hasAlpha = true;
      if (bitDepth_ == 16)
        trnsGrey16 = int(t);
      else if (t < uint32_t(entries))
        lut[t] &= 0x00FFFFFFu;
    }
  } else if (colorType_ == 3) {
    size_t entries = std::min<size_t>(256, palette_.size() / 3);
    for (size_t k = 0; k < entries; ++k) {
      uint8_t a = k < trns_.size() ? trns_[k] : 255;
      lut[k] = makePixel(g[palette_[3 * k]], g[palette_[3 * k + 1]], g[palette_[3 * k + 2]], a);
    }
    if (!trns_.empty()) hasAlpha = true;
  } else if (colorType_ == 2 && trns_.size() >= 6) {
    trnsRgb[0] = be16(trns_.data());
    trnsRgb[1] = be16(trns_.data() + 2);
    trnsRgb[2] = be16(trns_.data() + 4);
    trnsRgbSet = true;
    hasAlpha = true;
  }

  // Every pixel is written below (interlaced passes together cover the picture).
  bitmap_ = TBitmap(int(width_), int(height_), kUninitialized);
  bitmap_.HasAlpha = hasAlpha;
  IdatReader reader(idatData, idatSizes);
  const size_t maxRowBytes = (size_t(width_) * bitsPerPixel + 7) / 8;
  std::vector<uint8_t> rowA(maxRowBytes + 1), rowB(maxRowBytes + 1);
  std::vector<Pixel> passRow(interlace_ == 1 ? width_ : 0);

  for (int p = 0; p < passCount; ++p) {
    const Pass& pass = passes[p];
    const uint32_t pw = passExtent(width_, pass.x0, pass.dx);
    const uint32_t ph = passExtent(height_, pass.y0, pass.dy);
    if (pw == 0 || ph == 0) continue;
    const size_t rowBytes = (size_t(pw) * bitsPerPixel + 7) / 8;
    uint8_t* prev = rowA.data();
    uint8_t* cur = rowB.data();
    std::fill(prev, prev + rowBytes + 1, 0);
    for (uint32_t r = 0; r < ph; ++r) {
      reader.read(cur, rowBytes + 1);
      unfilter(cur[0], cur + 1, prev + 1, rowBytes, bpp);
      const uint8_t* s = cur + 1;
      const uint32_t y = pass.y0 + r * pass.dy;
      Pixel* out = interlace_ == 1 ? passRow.data() : &bitmap_.Pixels[size_t(y) * width_];

      if (colorType_ == 0 || colorType_ == 3) {
        if (bitDepth_ < 8) {
          const int depth = bitDepth_;
          const unsigned mask = (1u << depth) - 1;
          for (uint32_t i = 0; i < pw; ++i) {
            size_t bit = size_t(i) * size_t(depth);
            out[i] = lut[(s[bit >> 3] >> (8 - depth - (bit & 7))) & mask];
          }
        } else if (bitDepth_ == 8) {
          for (uint32_t i = 0; i < pw; ++i) out[i] = lut[s[i]];
        } else {
          for (uint32_t i = 0; i < pw; ++i) {
            Pixel px = lut[s[2 * i]];
            if (trnsGrey16 >= 0 && int(be16(s + 2 * i)) == trnsGrey16) px &= 0x00FFFFFFu;
            out[i] = px;
          }
        }
      } else if (colorType_ == 4) {
        const size_t step = bitDepth_ == 8 ? 2 : 4, alpha = bitDepth_ == 8 ? 1 : 2;
        for (uint32_t i = 0; i < pw; ++i)
          out[i] = (lut[s[i * step]] & 0x00FFFFFFu) | (Pixel(s[i * step + alpha]) << 24);
      } else if (colorType_ == 2) {
        if (bitDepth_ == 8 && !hasGamma_ && !trnsRgbSet) {
          for (uint32_t i = 0; i < pw; ++i) {
            const uint8_t* q = s + 3 * i;
            out[i] = makePixel(q[0], q[1], q[2]);
          }
        } else if (bitDepth_ == 8) {
          for (uint32_t i = 0; i < pw; ++i) {
            const uint8_t* q = s + 3 * i;
            uint8_t a = trnsRgbSet && q[0] == trnsRgb[0] && q[1] == trnsRgb[1] && q[2] == trnsRgb[2] ? 0 : 255;
            out[i] = makePixel(g[q[0]], g[q[1]], g[q[2]], a);
          }
        } else {
          for (uint32_t i = 0; i < pw; ++i) {
            const uint8_t* q = s + 6 * i;
            uint8_t a = trnsRgbSet && be16(q) == trnsRgb[0] && be16(q + 2) == trnsRgb[1] && be16(q + 4) == trnsRgb[2]
                            ? 0
                            : 255;
            out[i] = makePixel(g[q[0]], g[q[2]], g[q[4]], a);
          }
        }
      } else {
        if (bitDepth_ == 8 && !hasGamma_) {
          for (uint32_t i = 0; i < pw; ++i) {
            const uint8_t* q = s + 4 * i;
            out[i] = makePixel(q[0], q[1], q[2], q[3]);
          }
        } else if (bitDepth_ == 8) {
          for (uint32_t i = 0; i < pw; ++i) {
            const uint8_t* q = s + 4 * i;
            out[i] = makePixel(g[q[0]], g[q[1]], g[q[2]], q[3]);
          }
        } else {
          for (uint32_t i = 0; i < pw; ++i) {
            const uint8_t* q = s + 8 * i;
            out[i] = makePixel(g[q[0]], g[q[2]], g[q[4]], q[6]);
          }
        }
      }
      if (interlace_ == 1) {
        Pixel* dst = &bitmap_.Pixels[size_t(y) * width_];
        for (uint32_t i = 0; i < pw; ++i) dst[pass.x0 + i * pass.dx] = out[i];
      }
      std::swap(prev, cur);
    }
  }
}

}  // namespace lumora::image
