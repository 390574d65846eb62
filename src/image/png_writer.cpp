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
  // Rows are deflated one at a time, so a large picture needs no second copy of itself.
  struct Deflater {
    z_stream z{};
    Deflater() {
      if (deflateInit(&z, Z_BEST_SPEED) != Z_OK) throw std::runtime_error("PNG compression failed");
    }
    ~Deflater() { deflateEnd(&z); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
  } deflater;
  z_stream& z = deflater.z;
  std::vector<uint8_t> packed;
  uint8_t buffer[1 << 16];
  auto pack = [&](uint8_t* data, size_t size, int flush) {
    z.next_in = data;
    z.avail_in = uInt(size);
    int rc;
    do {
      z.next_out = buffer;
      z.avail_out = sizeof buffer;
      rc = deflate(&z, flush);
      if (rc == Z_STREAM_ERROR) throw std::runtime_error("PNG compression failed");
      packed.insert(packed.end(), buffer, buffer + (sizeof buffer - z.avail_out));
    } while (z.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
  };
  const size_t rowBytes = size_t(bitmap.Width) * 4 + 1;
  std::vector<uint8_t> row(rowBytes);
  for (int y = 0; y < bitmap.Height; ++y) {
    row[0] = 0;
    for (int x = 0; x < bitmap.Width; ++x) {
      const Pixel p = bitmap.at(x, y);
      uint8_t* px = &row[1 + size_t(x) * 4];
      px[0] = pixelRed(p);
      px[1] = pixelGreen(p);
      px[2] = pixelBlue(p);
      px[3] = bitmap.HasAlpha ? pixelAlpha(p) : 255;
    }
    pack(row.data(), row.size(), Z_NO_FLUSH);
  }
  pack(nullptr, 0, Z_FINISH);
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
