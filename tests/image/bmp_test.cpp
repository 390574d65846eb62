// BMP variants against ImageMagick's decoding, and headers that claim more than a page image may hold.

#include <gtest/gtest.h>

#include <chrono>

#include "image_test_support.h"
#include "image/bmp_decoder.h"

namespace lumora::image {
namespace {

using testing::bitmapFile;
using testing::quoted;
using testing::readBytes;
using testing::samePixels;

void expectLikeMagick(const std::filesystem::path& file) {
  SCOPED_TRACE(file.filename().string());
  testing::RefImage ref = testing::magickDecode(file);
  auto bytes = readBytes(file);
  TBitmap bitmap;
  try {
    bitmap = decodeBmp(bytes.data(), bytes.size());
  } catch (const EBmpError& e) {
    FAIL() << e.what();
  }
  ASSERT_EQ(bitmap.Width, ref.Width);
  ASSERT_EQ(bitmap.Height, ref.Height);
  EXPECT_TRUE(samePixels(ref.Pixels, bitmap.Pixels, ref.Width, false));
}

TEST(ImageBmp, MagickWrittenVariants) {
  lumora::testing::TempDir dir;
  auto source = dir / "source.png";
  ASSERT_EQ(testing::run("convert -size 37x21 -seed 9 plasma: " + quoted(source)), 0);
  struct Case {
    const char* name;
    const char* options;
  } cases[] = {
      {"mono.bmp", "-colors 2 -type Palette -compress None BMP3:"},
      {"pal4.bmp", "-colors 16 -type Palette -compress None BMP3:"},
      {"pal8.bmp", "-colors 200 -type Palette -compress None BMP3:"},
      {"rle8.bmp", "-colors 200 -type Palette -compress RLE BMP3:"},
      {"rgb24.bmp", "-type TrueColor BMP3:"},
      {"os2_8.bmp", "-colors 100 -type Palette BMP2:"},
      {"os2_24.bmp", "-type TrueColor BMP2:"},
      {"v5_32.bmp", "-alpha set -channel A -evaluate set 60% +channel BMP:"},
      {"rgb565.bmp", "-define bmp:subtype=RGB565 BMP:"},
      {"rgb555.bmp", "-define bmp:subtype=RGB555 BMP:"},
  };
  for (const Case& c : cases) {
    auto file = dir / c.name;
    ASSERT_EQ(testing::run("convert " + quoted(source) + " " + c.options + "'" + file.string() + "'"), 0) << c.name;
    expectLikeMagick(file);
  }
}

TEST(ImageBmp, PythonWrittenVariants) {
  lumora::testing::TempDir dir;
  ASSERT_EQ(testing::run("python3 '" LUMORA_SOURCE_DIR "/tests/image/make_bmps.py' " + quoted(dir.path())), 0);
  for (const char* name : {"rle4.bmp", "topdown24.bmp", "v4_bitfields32.bmp", "bitfields565.bmp", "rgb555.bmp",
                           "core4.bmp", "mono.bmp"})
    expectLikeMagick(dir / name);
  // ImageMagick reads the palette of an OS/2 2.x header as 3-byte entries; its entries have 4 bytes.
  auto bytes = readBytes(dir / "os2v2_8.bmp");
  TBitmap b = decodeBmp(bytes.data(), bytes.size());
  EXPECT_EQ(b.at(2, 0), makePixel(53, 97, 36));  // index 1 at the top left
  EXPECT_EQ(b.at(0, 6), makePixel(6 * 53 % 256, 6 * 97 % 256, 6 * 29 + 7));
}

TEST(ImageBmp, RleDeltaAndEndOfBitmap) {
  // 4 x 3 RLE8, bottom row first: two pixels of 1, a delta of (1, 1), one pixel of 2, end of bitmap.
  auto bmp = bitmapFile(4, 3, 8, 1, {10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0}, {2, 1, 0, 2, 1, 1, 1, 2, 0, 1});
  TBitmap b = decodeBmp(bmp.data(), bmp.size());
  const Pixel first = makePixel(30, 20, 10), second = makePixel(60, 50, 40), third = makePixel(90, 80, 70);
  EXPECT_EQ(b.at(0, 2), second);
  EXPECT_EQ(b.at(1, 2), second);
  EXPECT_EQ(b.at(2, 2), first);  // skipped by the delta
  EXPECT_EQ(b.at(3, 1), third);
  EXPECT_EQ(b.at(0, 0), first);  // never reached
}

TEST(ImageBmp, RefusesWhatItCannotRead) {
  auto header = [](int32_t w, int32_t h, uint16_t bpp, uint32_t compression) {
    std::vector<uint8_t> b = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0};
    auto put = [&b](uint32_t v, int n) {
      for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> (8 * i)));
    };
    put(uint32_t(w), 4), put(uint32_t(h), 4), put(1, 2), put(bpp, 2), put(compression, 4);
    b.resize(54, 0);
    b.resize(54 + 64, 0x55);
    return b;
  };
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"huge", header(100000, 100000, 24, 0)},   {"truncated pixels", header(64, 64, 24, 0)},
      {"zero width", header(0, 5, 24, 0)},       {"bit count 7", header(4, 4, 7, 0)},
      {"RLE8 at 24 bits", header(4, 4, 24, 1)},  {"JPEG compression", header(4, 4, 24, 4)},
      {"short header", {'B', 'M', 1, 2, 3}},
  };
  for (const Case& c : cases) EXPECT_THROW(decodeBmp(c.bytes.data(), c.bytes.size()), EBmpError) << c.name;
}

TEST(ImageBmp, PicturesBeyondTheLimitAreRefusedBeforeDecoding) {
  // A few bytes of run-length data may declare any size: the limit alone refuses it.
  const std::vector<uint8_t> palette = {10, 20, 30, 0, 40, 50, 60, 0};
  const std::vector<uint8_t> runs = {255, 1, 255, 0, 0, 0, 200, 1, 0, 1};
  DecodeLimits megapixel;
  megapixel.MaxPixels = 1 << 20;
  struct Case {
    const char* name;
    int32_t w, h;
    uint16_t bpp;
    uint32_t compression;
    DecodeLimits limits;
    bool refused;
  } cases[] = {
      {"RLE8 16384 x 16384", 16384, 16384, 8, 1, {}, true},
      {"RLE4 16384 x 16384 top-down", 16384, -16384, 4, 2, {}, true},
      {"RLE8 one row past 64 megapixels", 8192, 8193, 8, 1, {}, true},
      {"RLE8 64 megapixels", 8192, 8192, 8, 1, {}, false},
      {"RLE8 one column past the limit given", 1025, 1024, 8, 1, megapixel, true},
      {"RLE8 at the limit given", 1024, 1024, 8, 1, megapixel, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> bytes = bitmapFile(c.w, c.h, c.bpp, c.compression, palette, runs);
    auto start = std::chrono::steady_clock::now();
    if (!c.refused) {
      TImageSize size = readBmpHeader(bytes.data(), bytes.size(), c.limits);
      EXPECT_EQ(size.Width, c.w);
      EXPECT_EQ(size.Height, std::abs(c.h));
      continue;
    }
    for (bool decode : {false, true}) {
      try {
        if (decode)
          decodeBmp(bytes.data(), bytes.size(), c.limits);
        else
          readBmpHeader(bytes.data(), bytes.size(), c.limits);
        ADD_FAILURE() << (decode ? "decoded" : "header accepted");
      } catch (const EBmpError& e) {
        EXPECT_STREQ(e.what(), "bitmap too large");
      }
    }
    // Filling the claimed gigabyte would take far longer, under the sanitizers above all.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  }
  // What the limit lets through decodes: the runs, then the first palette colour where they skip.
  auto bytes = bitmapFile(1024, 1024, 8, 1, palette, runs);
  TBitmap b = decodeBmp(bytes.data(), bytes.size(), megapixel);
  EXPECT_EQ(b.at(254, 1023), makePixel(60, 50, 40));
  EXPECT_EQ(b.at(255, 1023), makePixel(30, 20, 10));
  EXPECT_EQ(b.at(199, 1022), makePixel(60, 50, 40));
  EXPECT_EQ(b.at(200, 1022), makePixel(30, 20, 10));
}

}  // namespace
}  // namespace lumora::image
