// BMP variants against ImageMagick's decoding.

#include <gtest/gtest.h>

#include "image_test_support.h"
#include "image/bmp_decoder.h"

namespace lumora::image {
namespace {

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

// A Windows bitmap file with a 40-byte header, its palette (B, G, R, 0 each) and pixel data.
std::vector<uint8_t> bitmapFile(int32_t w, int32_t h, uint16_t bpp, uint32_t compression,
                                const std::vector<uint8_t>& palette, const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> b;
  auto put = [&b](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> (8 * i)));
  };
  b = {'B', 'M'};
  put(uint32_t(54 + palette.size() + pixels.size()), 4), put(0, 4), put(uint32_t(54 + palette.size()), 4);
  put(40, 4), put(uint32_t(w), 4), put(uint32_t(h), 4), put(1, 2), put(bpp, 2), put(compression, 4);
  put(uint32_t(pixels.size()), 4), put(0, 4), put(0, 4), put(uint32_t(palette.size() / 4), 4), put(0, 4);
  b.insert(b.end(), palette.begin(), palette.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
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

}  // namespace
}  // namespace lumora::image
