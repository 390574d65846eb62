#include "image/gif_decoder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace lumora::image {

namespace {

constexpr const char* kGifErrorTexts[28] = {
    "no error",
    "Invalid GIF Signature Code",
    "No Local or Global Color Table for Image",
    "Unknown Graphics Extension Type",
    "Unknown Graphics Operation Code",
    "Invalid Extension Block Size",
    "[special message]",
    "Invalid Extension Block Terminator",
    "Invalid Integer Size",
    "No GIF Terminator Found",
    "Extension Block Out-Of-Order With Image Data",
    "Invalid Image Descriptor Index",
    "Invalid LZW Code Size",
    "Invalid LZW Data Format",
    "LZW Code Overflow",
    "Value Out Of Range",
    "NIL Pointer assigned",
    "Invalid Color Table Size",
    "No Image Description",
    "Invalid Bitmap Image",
    "Invalid Color Table Index",
    "Invalid Interlace Pass",
    "Invalid Bitmap",
    "Too Many Colors In Bitmap",
    "Unexpected end of file",
    "Animated GIF too large",
    "Zero width or height",
    "next message",
};

constexpr uint64_t kMaxStripBytes = 200000000;
constexpr uint64_t kMaxTransparentStripBytes = 100000000;

struct GraphicControl {
  bool present = false;
  int disposal = 0;
  bool transparent = false;
  int delay = 0;
  int index = 0;
};

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool atEnd() const { return pos_ >= size_; }
  uint8_t byte() {
    if (pos_ >= size_) throw EGifError(kGifUnexpectedEof);
    return data_[pos_++];
  }
  int word() {
    int lo = byte();
    return lo | byte() << 8;
  }
  const uint8_t* take(size_t n) {
    if (size_ - pos_ < n) throw EGifError(kGifUnexpectedEof);
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }
  // Data sub-blocks up to the zero length; appended to `out` when given.
  void subBlocks(std::vector<uint8_t>* out) {
    for (;;) {
      uint8_t n = byte();
      if (n == 0) return;
      const uint8_t* p = take(n);
      if (out) out->insert(out->end(), p, p + n);
    }
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Appends the table to `tables` and returns its index.
int readColorTable(Reader& in, int entries, std::vector<std::vector<Pixel>>& tables) {
  const uint8_t* p = in.take(size_t(entries) * 3);
  std::vector<Pixel>& colors = tables.emplace_back(size_t(entries));
  for (int i = 0; i < entries; ++i) colors[size_t(i)] = makePixel(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
  return int(tables.size() - 1);
}

// LZW codes of the concatenated sub-blocks into frame indices. Rows of the frame that fall outside its
// visible part are decoded and dropped.
void decodeLzw(const std::vector<uint8_t>& data, int minCodeSize, TGifFrameData& frame, int fullHeight) {
  if (minCodeSize + 1 > 12) throw EGifError(kGifInvalidLzwCodeSize);
  const int width = frame.Width;
  std::vector<int> rowMap(static_cast<size_t>(fullHeight));
  if (frame.Interlaced) {
    static constexpr int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
    size_t n = 0;
    for (int p = 0; p < 4; ++p)
      for (int r = starts[p]; r < fullHeight; r += steps[p]) rowMap[n++] = r;
  } else {
    for (int r = 0; r < fullHeight; ++r) rowMap[size_t(r)] = r;
  }
  const int clear = 1 << minCodeSize, end = clear + 1;
  const uint64_t totalBits = uint64_t(data.size()) * 8;
  uint64_t bitPos = 0;
  int codeSize = minCodeSize + 1;
  int next = clear + 2;
  static thread_local uint16_t prefix[4096];
  static thread_local uint8_t suffix[4096];
  static thread_local uint8_t stack[4097];
  int old = -1;
  uint8_t firstChar = 0;
  int x = 0, rowIndex = 0;
  uint8_t* const out = frame.Indices.data();
  const int visW = frame.VisibleWidth, visH = frame.VisibleHeight;
  // Where the current row's visible pixels go, and how many of them there are (none off the screen).
  uint8_t* rowOut = out;
  int rowVisible = 0;
  auto startRow = [&](int row) {
    const bool visible = row < visH;
    rowOut = visible ? out + size_t(row) * size_t(visW) : out;
    rowVisible = visible ? visW : 0;
  };
  if (fullHeight > 0) startRow(rowMap[0]);
  bool afterClear = false;

  auto emit = [&](uint8_t v) {
    if (rowIndex >= fullHeight) return;
    if (x < rowVisible) rowOut[x] = v;
    if (++x == width) {
      x = 0;
      if (++rowIndex < fullHeight) startRow(rowMap[size_t(rowIndex)]);
    }
  };

  // Stops at the end of the data or once every pixel of the frame has been filled.
  while (bitPos + uint64_t(codeSize) <= totalBits && rowIndex < fullHeight) {
    size_t byteIndex = size_t(bitPos >> 3);
    uint32_t raw = data[byteIndex];
    if (byteIndex + 1 < data.size()) raw |= uint32_t(data[byteIndex + 1]) << 8;
    if (byteIndex + 2 < data.size()) raw |= uint32_t(data[byteIndex + 2]) << 16;
    int code = int((raw >> (bitPos & 7)) & ((1u << codeSize) - 1));
    bitPos += uint64_t(codeSize);

    if (code == clear) {
      codeSize = minCodeSize + 1;
      next = clear + 2;
      old = -1;
      afterClear = true;
      continue;
    }
    if (code == end) {
      if (afterClear) throw EGifError(kGifInvalidLzwData);
      break;
    }
    if (old < 0) {
      // First code after a clear: a root.
      if (code >= clear) code = 0;
      firstChar = uint8_t(code);
      emit(firstChar);
      old = code;
      afterClear = false;
      continue;
    }
    int in = code;
    int sp = 0;
    if (code > next || (code == next && next >= 4096)) throw EGifError(kGifInvalidLzwData);
    if (code == next) {
      stack[sp++] = firstChar;
      code = old;
    }
    while (code >= clear) {
      stack[sp++] = suffix[code];
      code = prefix[code];
    }
    firstChar = uint8_t(code);
    stack[sp++] = firstChar;
    while (sp > 0) emit(stack[--sp]);
    if (next < 4096) {
      prefix[next] = uint16_t(old);
      suffix[next] = firstChar;
      ++next;
      if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
    }
    old = in;
  }
}

// The same codes as decodeLzw, only checked and counted: it ends, or fails, where decodeLzw would, without
// producing a pixel. The length of each table entry's string stands in for the string itself.
void checkLzw(const std::vector<uint8_t>& data, int minCodeSize, const TGifFrameData& frame, int fullHeight) {
  if (minCodeSize + 1 > 12) throw EGifError(kGifInvalidLzwCodeSize);
  const int clear = 1 << minCodeSize, end = clear + 1;
  const uint64_t totalBits = uint64_t(data.size()) * 8;
  const uint64_t pixels = uint64_t(frame.Width) * uint64_t(fullHeight);
  uint64_t bitPos = 0, counted = 0;
  int codeSize = minCodeSize + 1;
  int next = clear + 2;
  static thread_local uint16_t length[4096];
  auto lengthOf = [&](int code) -> uint64_t { return code < clear ? 1 : length[code]; };
  int old = -1;
  bool afterClear = false;

  while (bitPos + uint64_t(codeSize) <= totalBits && counted < pixels) {
    size_t byteIndex = size_t(bitPos >> 3);
    uint32_t raw = data[byteIndex];
    if (byteIndex + 1 < data.size()) raw |= uint32_t(data[byteIndex + 1]) << 8;
    if (byteIndex + 2 < data.size()) raw |= uint32_t(data[byteIndex + 2]) << 16;
    int code = int((raw >> (bitPos & 7)) & ((1u << codeSize) - 1));
    bitPos += uint64_t(codeSize);

    if (code == clear) {
      codeSize = minCodeSize + 1;
      next = clear + 2;
      old = -1;
      afterClear = true;
      continue;
    }
    if (code == end) {
      if (afterClear) throw EGifError(kGifInvalidLzwData);
      break;
    }
    if (old < 0) {
      if (code >= clear) code = 0;
      ++counted;
      old = code;
      afterClear = false;
      continue;
    }
    if (code > next || (code == next && next >= 4096)) throw EGifError(kGifInvalidLzwData);
    counted += code == next ? lengthOf(old) + 1 : lengthOf(code);
    if (next < 4096) {
      length[next] = uint16_t(lengthOf(old) + 1);
      ++next;
      if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
    }
    old = code;
  }
}

}  // namespace

const char* gifErrorText(int index) { return index >= 0 && index < 28 ? kGifErrorTexts[index] : ""; }

EGifError::EGifError(int index, const std::string& text) : std::runtime_error("TGif: " + text), index_(index) {}

uint64_t gifStripBytes(int width, int height, size_t frames) {
  uint64_t rowBytes = (uint64_t(width) * frames * 3 + 3) & ~uint64_t(3);
  return rowBytes * uint64_t(height) + 54;
}

TGifData ReadGif(const uint8_t* data, size_t size, const DecodeLimits& limits, TGifRead what) {
  TGifData gif;
  Reader in(data, size);
  if (size < 6) throw EGifError(kGifInvalidSignature);
  char signature[7] = {};
  for (int i = 0; i < 6; ++i) signature[i] = char(std::toupper(in.byte()));
  if (std::strcmp(signature, "GIF87A") != 0 && std::strcmp(signature, "GIF89A") != 0)
    throw EGifError(kGifInvalidSignature);

  gif.ScreenWidth = in.word();
  gif.ScreenHeight = in.word();
  uint8_t packed = in.byte();
  in.byte();  // background index
  in.byte();  // aspect ratio
  bool hasGlobal = (packed & 0x80) != 0;
  if (hasGlobal) readColorTable(in, 1 << ((packed & 7) + 1), gif.ColorTables);

  std::vector<GraphicControl> pending;  // graphic control blocks since the last image
  bool tooLarge = false;
  uint64_t declaredPixels = 0;  // of the frames read, off-screen parts included

  auto readImage = [&] {
    TGifFrameData frame;
    frame.Left = in.word();
    frame.Top = in.word();
    frame.Width = in.word();
    int fullHeight = in.word();
    frame.Height = std::min(fullHeight, gif.ScreenHeight);
    uint8_t flags = in.byte();
    frame.Interlaced = (flags & 0x40) != 0;
    if (flags & 0x80)
      frame.ColorTable = readColorTable(in, 1 << ((flags & 7) + 1), gif.ColorTables);
    else if (hasGlobal)
      frame.ColorTable = 0;
    else
      throw EGifError(kGifNoColorTable);
    int minCodeSize = in.byte();
    std::vector<uint8_t> lzw;
    in.subBlocks(&lzw);
    // An empty logical screen would give an empty strip: refused like an empty frame.
    if (frame.Width == 0 || frame.Height == 0 || gif.ScreenWidth == 0) throw EGifError(kGifZeroSize);

    GraphicControl gce;
    for (const GraphicControl& g : pending)
      if (g.present) {
        gce = g;
        break;
      }
    pending.clear();
    frame.Delay = gce.delay > 0 ? gce.delay : 1;
    frame.Disposal = gce.disposal & 3;
    frame.TransparentIndex = gce.transparent ? gce.index : -1;

    // The strip must hold one more cell; refuse before anything is allocated for it. The frame's own
    // pixels count too: decoding the ones off the screen takes as long as the others.
    size_t cells = gif.Frames.size() + 1;
    declaredPixels += uint64_t(frame.Width) * uint64_t(fullHeight);
    if (gifStripBytes(gif.ScreenWidth, gif.ScreenHeight, cells) > kMaxStripBytes ||
        uint64_t(gif.ScreenWidth) * uint64_t(gif.ScreenHeight) * cells > limits.MaxPixels ||
        declaredPixels > limits.MaxPixels) {
      tooLarge = true;
      return false;
    }
    frame.VisibleWidth = frame.Left < gif.ScreenWidth ? std::min(frame.Width, gif.ScreenWidth - frame.Left) : 0;
    frame.VisibleHeight = frame.Top < gif.ScreenHeight ? std::min(frame.Height, gif.ScreenHeight - frame.Top) : 0;
    if (what == TGifRead::Pixels) {
      frame.Indices.assign(size_t(frame.VisibleWidth) * size_t(frame.VisibleHeight), 0);
      decodeLzw(lzw, minCodeSize, frame, fullHeight);
    } else {
      checkLzw(lzw, minCodeSize, frame, fullHeight);
    }
    if (gce.transparent) gif.Transparent = true;
    gif.Frames.push_back(std::move(frame));
    return true;
  };

  auto readExtension = [&] {
    uint8_t label = in.byte();
    switch (label) {
      case 0xF9: {
        if (in.byte() != 4) throw EGifError(kGifInvalidExtensionSize);
        GraphicControl g;
        g.present = true;
        uint8_t flags = in.byte();
        g.disposal = (flags >> 2) & 7;
        g.transparent = (flags & 1) != 0;
        g.delay = in.word();
        g.index = in.byte();
        if (in.byte() != 0) throw EGifError(kGifInvalidTerminator);
        pending.push_back(g);
        break;
      }
      case 0xFE:
        in.subBlocks(nullptr);
        break;
      case 0x01:
        if (in.byte() != 12) throw EGifError(kGifInvalidExtensionSize);
        in.take(12);
        in.subBlocks(nullptr);
        break;
      case 0xFF: {
        uint8_t blockSize = in.byte();
        if (blockSize == 11) {
          const uint8_t* id = in.take(11);
          uint8_t n = in.byte();
          if (n != 0) {
            const uint8_t* sub = in.take(n);
            if (std::memcmp(id, "NETSCAPE", 8) == 0 && n == 3) gif.LoopCount = sub[1] | sub[2] << 8;
            in.subBlocks(nullptr);
          }
        } else {
          in.take(blockSize);
          in.subBlocks(nullptr);
        }
        break;
      }
      default: {
        char text[32];
        std::snprintf(text, sizeof text, "unknown extension: %04X", unsigned(label));
        throw EGifError(kGifSpecialMessage, text);
      }
    }
  };

  try {
    while (!in.atEnd()) {
      uint8_t block = in.byte();
      if (block == 0 || block == 0x3B) break;
      if (block == 0x2C) {
        if (!readImage()) break;
      } else if (block == 0x21) {
        readExtension();
      } else {
        throw EGifError(kGifUnknownOperation);
      }
    }
  } catch (const EGifError&) {
    if (gif.Frames.empty()) throw;
  }
  if (tooLarge) throw EGifError(kGifTooLarge);
  if (gif.Frames.empty()) throw EGifError(kGifNoImage);
  if (gifStripBytes(gif.ScreenWidth, gif.ScreenHeight, gif.Frames.size()) >
      (gif.Transparent ? kMaxTransparentStripBytes : kMaxStripBytes))
    throw EGifError(kGifTooLarge);
  return gif;
}

}  // namespace lumora::image
