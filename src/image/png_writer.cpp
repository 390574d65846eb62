#include "image/png_writer.h"

#include <zlib.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace lumora::image {

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  putU32(out, uint32_t(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0, out.data() + typeAt, uInt(out.size() - typeAt));
  putU32(out, uint32_t(crc));
}

}  // namespace

std::vector<uint8_t> encodePng(const TBitmap& bitmap) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> out(kSignature, kSignature + 8);

  std::vector<uint8_t> header;
  putU32(header, uint32_t(bitmap.Width));
  putU32(header, uint32_t(bitmap.Height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filters, no interlace
  putChunk(out, "IHDR", header);

  // Every row with filter type 0: the tools write small pictures, and a plain encoder stays obviously right.
  const size_t rowBytes = size_t(bitmap.Width) * 4 + 1;
  std::vector<uint8_t> raw(rowBytes * size_t(bitmap.Height));
  for (int y = 0; y < bitmap.Height; ++y) {
    uint8_t* row = &raw[size_t(y) * rowBytes];
    row[0] = 0;
    for (int x = 0; x < bitmap.Width; ++x) {
      const Pixel p = bitmap.at(x, y);
      uint8_t* px = row + 1 + size_t(x) * 4;
      px[0] = pixelRed(p);
      px[1] = pixelGreen(p);
      px[2] = pixelBlue(p);
      px[3] = bitmap.HasAlpha ? pixelAlpha(p) : 255;
    }
  }
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), Z_BEST_SPEED) != Z_OK)
    throw std::runtime_error("PNG compression failed");
  packed.resize(packedSize);
  putChunk(out, "IDAT", packed);
  putChunk(out, "IEND", {});
  return out;
}

bool writePngFile(const TBitmap& bitmap, const std::string& path) {
  const std::vector<uint8_t> bytes = encodePng(bitmap);
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file) return false;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return false;
  return std::fclose(file.release()) == 0;
}

}  // namespace lumora::image
