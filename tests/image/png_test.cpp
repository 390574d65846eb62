// PNG decoding: the PngSuite against libpng, the error texts, chunk handling and hostile sizes.

#include <png.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <map>
#include <cstring>

#include "image_test_support.h"
#include "image/png_image.h"

namespace lumora::image {
namespace {

using testing::readBytes;
using testing::samePixels;

const std::filesystem::path kSuite = LUMORA_SOURCE_DIR "/../shared/testdata/pngsuite";

std::vector<std::filesystem::path> suiteFiles(bool corrupt) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(kSuite, ec)) {
    std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".png" && name != "PngSuite.png" && (name[0] == 'x') == corrupt)
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// libpng's plain decoding reduced to 8 bits per sample (high byte), as RGBA, followed by the gAMA table.
bool libpngDecode(const std::vector<uint8_t>& bytes, int& width, int& height, std::vector<Pixel>& out) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  struct Source {
    const std::vector<uint8_t>* bytes;
    size_t pos;
  } source{&bytes, 0};
  std::vector<std::vector<uint8_t>> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &source, [](png_structp p, png_bytep data, size_t n) {
    auto* s = static_cast<Source*>(png_get_io_ptr(p));
    if (s->bytes->size() - s->pos < n) png_error(p, "short");
    std::memcpy(data, s->bytes->data() + s->pos, n);
    s->pos += n;
  });
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  width = int(png_get_image_width(png, info));
  height = int(png_get_image_height(png, info));
  rows.assign(size_t(height), std::vector<uint8_t>(png_get_rowbytes(png, info)));
  std::vector<png_bytep> pointers;
  for (auto& r : rows) pointers.push_back(r.data());
  png_read_image(png, pointers.data());
  png_uint_32 hasGamma = png_get_valid(png, info, PNG_INFO_gAMA);
  png_fixed_point fixedGamma = 0;
  if (hasGamma) png_get_gAMA_fixed(png, info, &fixedGamma);
  png_destroy_read_struct(&png, &info, nullptr);
  std::array<uint8_t, 256> table;
  for (int i = 0; i < 256; ++i) table[size_t(i)] = uint8_t(i);
  if (hasGamma && fixedGamma > 0) table = pngGammaTable(uint32_t(fixedGamma));
  out.clear();
  for (auto& r : rows)
    for (int x = 0; x < width; ++x)
      out.push_back(makePixel(table[r[size_t(4 * x)]], table[r[size_t(4 * x + 1)]], table[r[size_t(4 * x + 2)]],
                              r[size_t(4 * x + 3)]));
  return true;
}

TEST(ImagePngSuite, IsPresent) {
  ASSERT_TRUE(std::filesystem::exists(kSuite / "basn0g01.png"))
      << "PngSuite not found at " << kSuite << " (expected in ../shared/testdata/pngsuite beside the repository)";
  EXPECT_GE(suiteFiles(false).size(), 150u);
  EXPECT_EQ(suiteFiles(true).size(), 14u);
}

TEST(ImagePngSuite, ValidImagesMatchLibpng) {
  auto files = suiteFiles(false);
  ASSERT_FALSE(files.empty()) << "PngSuite not found at " << kSuite;
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    std::vector<uint8_t> bytes = readBytes(file);
    int w = 0, h = 0;
    std::vector<Pixel> expected;
    ASSERT_TRUE(libpngDecode(bytes, w, h, expected));
    TPNGImage png;
    ASSERT_NO_THROW(png.LoadFromStream(bytes.data(), bytes.size()));
    ASSERT_EQ(png.Bitmap().Width, w);
    ASSERT_EQ(png.Bitmap().Height, h);
    EXPECT_TRUE(samePixels(expected, png.Bitmap().Pixels, w, true));
  }
}

TEST(ImagePngSuite, CorruptImagesFailWithTheirText) {
  const std::map<std::string, const char*> expected = {
      {"xc1n0g08.png", kPngUnknownColorType},   {"xc9n2c08.png", kPngUnknownColorType},
      {"xcrn0g04.png", kPngInvalidHeader},      {"xcsn0g01.png", kPngCorruptedData},
      {"xd0n2c08.png", kPngUnknownColorType},   {"xd3n2c08.png", kPngUnknownColorType},
      {"xd9n2c08.png", kPngUnknownColorType},   {"xdtn0g01.png", kPngNoData},
      {"xhdn0g08.png", kPngCorruptedData},      {"xlfn0g04.png", kPngInvalidHeader},
      {"xs1n0g01.png", kPngInvalidHeader},      {"xs2n0g01.png", kPngInvalidHeader},
      {"xs4n0g01.png", kPngInvalidHeader},      {"xs7n0g01.png", kPngInvalidHeader},
  };
  auto files = suiteFiles(true);
  ASSERT_FALSE(files.empty()) << "PngSuite not found at " << kSuite;
  for (const auto& file : files) {
    std::string name = file.filename().string();
    SCOPED_TRACE(name);
    ASSERT_TRUE(expected.count(name)) << "no expected text for " << name;
    std::vector<uint8_t> bytes = readBytes(file);
    TPNGImage png;
    try {
      png.LoadFromStream(bytes.data(), bytes.size());
      ADD_FAILURE() << "decoded";
    } catch (const EPNGImageException& e) {
      EXPECT_EQ(e.text(), expected.at(name));
      EXPECT_EQ(std::string(e.what()), std::string("Portable Network Graphics format handler error\r\n\r\n") + e.text());
    }
    EXPECT_EQ(png.Bitmap().Width, 0);
  }
}

// A PNG assembled from chunks, for the cases the suite does not cover.
struct PngBuilder {
  std::vector<uint8_t> bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

  static void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int s = 24; s >= 0; s -= 8) v.push_back(uint8_t(x >> s));
  }
  PngBuilder& chunk(const char* type, const std::vector<uint8_t>& data) {
    put32(bytes, uint32_t(data.size()));
    size_t start = bytes.size();
    bytes.insert(bytes.end(), type, type + 4);
    bytes.insert(bytes.end(), data.begin(), data.end());
    put32(bytes, uint32_t(crc32(0, bytes.data() + start, uInt(bytes.size() - start))));
    return *this;
  }
  PngBuilder& ihdr(uint32_t w, uint32_t h, int depth, int colorType, int interlace = 0) {
    std::vector<uint8_t> d;
    put32(d, w);
    put32(d, h);
    d.insert(d.end(), {uint8_t(depth), uint8_t(colorType), 0, 0, uint8_t(interlace)});
    return chunk("IHDR", d);
  }
  PngBuilder& idat(const std::vector<uint8_t>& raw) {
    uLongf n = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(n);
    compress(z.data(), &n, raw.data(), uLong(raw.size()));
    z.resize(n);
    return chunk("IDAT", z);
  }
  std::vector<uint8_t> end() {
    chunk("IEND", {});
    return bytes;
  }
};

// 3 x 2 grey image, filter None.
std::vector<uint8_t> greyRows() { return {0, 10, 20, 30, 0, 40, 50, 60}; }

TEST(ImagePng, AncillaryUnknownChunksLoadCriticalOnesFail) {
  struct Case {
    const char* type;
    const char* error;  // nullptr: loads
  } cases[] = {{"zTXt", nullptr}, {"prIV", nullptr}, {"ZTXt", kPngUnknownCriticalChunk},
               {"CgBI", kPngUnknownCriticalChunk}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    auto bytes = PngBuilder().ihdr(3, 2, 8, 0).chunk(c.type, {1, 2, 3}).idat(greyRows()).end();
    TPNGImage png;
    if (!c.error) {
      ASSERT_NO_THROW(png.LoadFromStream(bytes.data(), bytes.size()));
      EXPECT_EQ(png.Bitmap().at(2, 1), makePixel(60, 60, 60));
      ASSERT_EQ(png.chunks().size(), 4u);
      EXPECT_EQ(png.chunks()[1].Type, c.type);
    } else {
      try {
        png.LoadFromStream(bytes.data(), bytes.size());
        ADD_FAILURE() << "loaded";
      } catch (const EPNGImageException& e) {
        EXPECT_EQ(e.text(), c.error);
      }
    }
  }
}

TEST(ImagePng, FlippedBitInAnyChunkFailsTheCrc) {
  auto good = PngBuilder().ihdr(3, 2, 8, 0).chunk("tEXt", {'a', 0, 'b'}).idat(greyRows()).end();
  // Offsets of one data byte in IHDR, tEXt and IDAT.
  for (size_t offset : {size_t(8 + 8 + 5), size_t(8 + 25 + 8 + 1), size_t(8 + 25 + 15 + 8 + 3)}) {
    auto bytes = good;
    bytes[offset] ^= 0x10;
    TPNGImage png;
    try {
      png.LoadFromStream(bytes.data(), bytes.size());
      ADD_FAILURE() << "loaded with byte " << offset << " changed";
    } catch (const EPNGImageException& e) {
      EXPECT_EQ(e.text(), kPngCorruptedData);
    }
  }
}

TEST(ImagePng, StructuralErrors) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* error;
  } cases[] = {
      {"IHDR not first", PngBuilder().chunk("tEXt", {'a', 0}).ihdr(3, 2, 8, 0).idat(greyRows()).end(), kPngNoIhdr},
      {"palette missing", PngBuilder().ihdr(3, 2, 8, 3).idat(greyRows()).end(), kPngMissingPalette},
      {"palette length", PngBuilder().ihdr(3, 2, 8, 3).chunk("PLTE", {1, 2, 3, 4}).idat(greyRows()).end(),
       kPngInvalidPalette},
      {"filter 5", PngBuilder().ihdr(3, 2, 8, 0).idat({5, 1, 2, 3, 0, 1, 2, 3}).end(), kPngUnknownFilter},
      {"interlace 2", PngBuilder().ihdr(3, 2, 8, 0, 2).idat(greyRows()).end(), kPngUnknownInterlace},
      {"too little data", PngBuilder().ihdr(3, 2, 8, 0).idat({0, 1, 2, 3}).end(), kPngCorruptedData},
      {"not zlib", PngBuilder().ihdr(3, 2, 8, 0).chunk("IDAT", {1, 2, 3, 4, 5}).end(), kPngCorruptedData},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPNGImage png;
    try {
      png.LoadFromStream(c.bytes.data(), c.bytes.size());
      ADD_FAILURE() << "loaded";
    } catch (const EPNGImageException& e) {
      EXPECT_EQ(e.text(), c.error);
    }
  }
}

TEST(ImagePng, GammaTables) {
  auto identity = pngGammaTable(45455);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(identity[size_t(i)], i);
  auto dark = pngGammaTable(100000);  // exponent 1 / 2.2
  EXPECT_EQ(dark[0], 0);
  EXPECT_EQ(dark[255], 255);
  EXPECT_EQ(dark[128], 186);  // 255 * (128/255)^(1/2.2) = 186.1
  auto inverse = pngInverseGammaTable(dark);
  EXPECT_EQ(inverse[186], 128);
  EXPECT_EQ(inverse[dark[10]], 10);
}

TEST(ImagePng, GammaZeroIsIgnored) {
  auto bytes = PngBuilder().ihdr(3, 2, 8, 0).chunk("gAMA", {0, 0, 0, 0}).idat(greyRows()).end();
  TPNGImage png;
  ASSERT_NO_THROW(png.LoadFromStream(bytes.data(), bytes.size()));
  EXPECT_FALSE(png.hasGamma());
  EXPECT_EQ(png.Bitmap().at(0, 0), makePixel(10, 10, 10));
}

TEST(ImagePng, InterlacedOnePixelWide) {
  // 1 x 5 grey, Adam7: passes 1 (row 0), 3 (row 4), 5 (row 2), 7 (rows 1, 3) carry data.
  auto bytes = PngBuilder().ihdr(1, 5, 8, 0, 1).idat({0, 10, 0, 50, 0, 30, 0, 20, 0, 40}).end();
  TPNGImage png;
  ASSERT_NO_THROW(png.LoadFromStream(bytes.data(), bytes.size()));
  for (int y = 0; y < 5; ++y) EXPECT_EQ(png.Bitmap().at(0, y), makePixel(uint8_t(10 * (y + 1)), uint8_t(10 * (y + 1)), uint8_t(10 * (y + 1))));
}

TEST(ImagePng, HostileSizesFailWithoutAllocating) {
  struct Case {
    uint32_t w, h;
    const char* error;
  } cases[] = {
      {100000, 100000, kPngTooLarge},
      {0x7FFFFFFF, 2, kPngTooLarge},
      {16000, 16000, kPngTooLarge},
      // Within the limit, but 64 bytes of image data cannot inflate to 256 MB of rows.
      {8000, 8000, kPngCorruptedData},
      {0, 5, kPngCorruptedData},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    auto bytes = PngBuilder().ihdr(c.w, c.h, 8, 6).idat(std::vector<uint8_t>(64, 0)).end();
    TPNGImage png;
    auto start = std::chrono::steady_clock::now();
    try {
      png.LoadFromStream(bytes.data(), bytes.size());
      ADD_FAILURE() << "loaded";
    } catch (const EPNGImageException& e) {
      EXPECT_EQ(e.text(), c.error);
    }
    // Allocating and clearing the claimed gigabyte would take far longer under the sanitizers.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  }
}

// A zlib stream of `rawBytes` zero bytes (rows of filter None and samples 0), packed as tightly as zlib can,
// so a picture of any size is valid and only the limits refuse it.
std::vector<uint8_t> zeroImageData(uint64_t rawBytes) {
  z_stream z{};
  deflateInit(&z, 9);
  std::vector<uint8_t> zeros(1 << 16, 0), out;
  uint8_t buffer[1 << 14];
  for (uint64_t left = rawBytes;;) {
    const size_t n = size_t(std::min<uint64_t>(left, zeros.size()));
    left -= n;
    z.next_in = zeros.data();
    z.avail_in = uInt(n);
    const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    int rc;
    do {
      z.next_out = buffer;
      z.avail_out = sizeof buffer;
      rc = deflate(&z, flush);
      out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
    } while (z.avail_out == 0);
    if (rc == Z_STREAM_END) break;
  }
  deflateEnd(&z);
  return out;
}

TEST(ImagePng, PicturesBeyondTheLimitAreRefusedBeforeDecoding) {
  DecodeLimits megapixel;
  megapixel.MaxPixels = 1 << 20;
  struct Case {
    const char* name;
    uint32_t w, h;
    int depth, colorType;
    DecodeLimits limits;
    bool refused;
  } cases[] = {
      {"16384 x 16384 grey, 1 bit", 16384, 16384, 1, 0, {}, true},
      {"one row past 64 megapixels", 8192, 8193, 1, 0, {}, true},
      {"64 megapixels", 8192, 8192, 1, 0, {}, false},
      // One row of a megapixel needs two 8 MB rows to decode: far more than the bitmap.
      {"a single row of 16-bit RGBA", 1 << 20, 1, 16, 6, megapixel, true},
      {"the same pixels as a square", 1024, 1024, 16, 6, megapixel, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int channels = c.colorType == 6 ? 4 : 1;
    const uint64_t rowBytes = (uint64_t(c.w) * uint64_t(channels * c.depth) + 7) / 8 + 1;
    auto bytes = PngBuilder().ihdr(c.w, c.h, c.depth, c.colorType).chunk("IDAT", zeroImageData(rowBytes * c.h)).end();
    TPNGImage png;
    auto start = std::chrono::steady_clock::now();
    if (!c.refused) {
      ASSERT_NO_THROW(png.ReadHeader(bytes.data(), bytes.size(), c.limits));
      EXPECT_EQ(png.Width(), c.w);
      EXPECT_EQ(png.Height(), c.h);
      continue;
    }
    for (bool decode : {false, true}) {
      try {
        if (decode)
          png.LoadFromStream(bytes.data(), bytes.size(), c.limits);
        else
          png.ReadHeader(bytes.data(), bytes.size(), c.limits);
        ADD_FAILURE() << (decode ? "decoded" : "header accepted");
      } catch (const EPNGImageException& e) {
        EXPECT_EQ(e.text(), kPngTooLarge);
      }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  }
  // The square the limit lets through decodes.
  auto bytes = PngBuilder().ihdr(1024, 1024, 16, 6).chunk("IDAT", zeroImageData((1024 * 8 + 1) * 1024)).end();
  TPNGImage png;
  ASSERT_NO_THROW(png.LoadFromStream(bytes.data(), bytes.size(), megapixel));
  EXPECT_EQ(png.Bitmap().at(1023, 1023), makePixel(0, 0, 0, 0));
}

}  // namespace
}  // namespace lumora::image
