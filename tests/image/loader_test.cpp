// The image loader: format by content, size thresholds, transparency kinds and masks, built-in pictures.

#include <sys/stat.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <utility>

#include "core/file_read.h"
#include "image_test_support.h"
#include "image/builtin_images.h"
#include "image/gif_image.h"
#include "image/image_loader.h"

namespace lumora::image {
namespace {

using lumora::testing::TempDir;
using testing::quoted;
using testing::readBytes;

class ImageLoader : public ::testing::Test {
 protected:
  std::filesystem::path magick(const std::string& name, const std::string& command) {
    auto file = dir_ / name;
    // A trailing "FORMAT:" prefix joins the file name.
    std::string separator = command.back() == ':' ? "" : " ";
    EXPECT_EQ(testing::run("convert " + command + separator + quoted(file)), 0) << name;
    return file;
  }
  TImage read(const std::filesystem::path& file, int& transparency, std::shared_ptr<TMask>& mask) {
    return ReadImageFile(file, transparency, mask);
  }
  TempDir dir_;
};

TEST_F(ImageLoader, DetectsFormatsByContent) {
  struct Case {
    std::string bytes;
    TImageFormat format;
  } cases[] = {
      {"GIF89a", TImageFormat::Gif89}, {"GIF87a", TImageFormat::Gif87}, {"GIF8xa", TImageFormat::Gif87},
      {"BM....", TImageFormat::Bmp},   {"\x89PNG\r\n", TImageFormat::Png}, {"\xFF\xD8\xFF", TImageFormat::Jpeg},
      {"GIF7", TImageFormat::None},    {"<html>", TImageFormat::None},     {"", TImageFormat::None},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DetectImageFormat(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()), c.format)
        << c.bytes;
}

TEST_F(ImageLoader, ContentDecidesNotTheName) {
  auto png = magick("real.png", "-size 20x10 xc:orange");
  std::filesystem::rename(png, dir_ / "picture.gif");
  int transparency = 0;
  std::shared_ptr<TMask> mask;
  TImage image = read(dir_ / "picture.gif", transparency, mask);
  ASSERT_TRUE(image.Bitmap);
  EXPECT_EQ(GetImageWidth(image), 20);
  EXPECT_EQ(GetImageHeight(image), 10);
  EXPECT_EQ(image.Bitmap->at(3, 3), makePixel(255, 165, 0));
}

TEST_F(ImageLoader, SmallFilesAndStreamsAreNotDecoded) {
  auto tiny = readBytes(magick("tiny.gif", "-size 1x1 xc:red"));
  int transparency = 0;
  std::shared_ptr<TMask> mask;
  // A complete 1 x 1 GIF needs more than 10 bytes, so cut one that still starts right.
  testing::writeBytes(dir_ / "ten.gif", std::vector<uint8_t>(tiny.begin(), tiny.begin() + 10));
  EXPECT_FALSE(read(dir_ / "ten.gif", transparency, mask));
  EXPECT_FALSE(read(dir_ / "missing.png", transparency, mask));
  auto bmp = readBytes(magick("small.bmp", "-size 1x1 xc:blue BMP3:"));
  EXPECT_FALSE(ReadImageStream(bmp.data(), 19, transparency, mask));
  EXPECT_FALSE(ReadImageStream(bmp.data(), 20, transparency, mask));  // not a whole bitmap either
  EXPECT_TRUE(ReadImageStream(bmp.data(), bmp.size(), transparency, mask));
  EXPECT_FALSE(ReadImageStream(tiny.data(), tiny.size(), transparency, mask));  // streams take no GIF
}

TEST_F(ImageLoader, FileNamesAreFoundWithoutRegardToCase) {
  magick("Logo.PNG", "-size 4x4 xc:green");
  int transparency = 0;
  std::shared_ptr<TMask> mask;
  EXPECT_TRUE(read(dir_ / "logo.png", transparency, mask));
}

TEST_F(ImageLoader, LowerLeftColourMask) {
  // Red everywhere except a blue lower-left corner pixel and one more blue pixel.
  auto file = magick("corner.bmp", "-size 5x4 xc:red -fill blue -draw 'point 0,3' -draw 'point 2,1' BMP3:");
  int transparency = kLowerLeftColor;
  std::shared_ptr<TMask> mask;
  TImage image = read(file, transparency, mask);
  ASSERT_TRUE(image.Bitmap);
  EXPECT_EQ(transparency, kLowerLeftColor);
  ASSERT_TRUE(mask);
  EXPECT_EQ(std::count(mask->Bits.begin(), mask->Bits.end(), 1), 2);
  EXPECT_TRUE(mask->transparentAt(2, 1));

  // A JPEG is always opaque, whatever was asked.
  transparency = kLowerLeftColor;
  image = read(magick("photo.jpg", "-size 8x8 xc:white"), transparency, mask);
  ASSERT_TRUE(image.Bitmap);
  EXPECT_EQ(transparency, kOpaque);
  EXPECT_FALSE(mask);
}

TEST_F(ImageLoader, GifTransparencyAndFrames) {
  int transparency = 0;
  std::shared_ptr<TMask> mask;
  TImage single = read(magick("one.gif", "-size 6x6 xc:none -fill red -draw 'rectangle 1,1 3,3'"), transparency, mask);
  ASSERT_TRUE(single.Bitmap);
  EXPECT_EQ(transparency, kMaskTransparent);
  ASSERT_TRUE(mask);
  EXPECT_TRUE(mask->transparentAt(0, 0));
  EXPECT_FALSE(mask->transparentAt(2, 2));
  EXPECT_EQ(single.Bitmap->at(2, 2), makePixel(255, 0, 0));

  transparency = 0;
  TImage animated = read(testing::gifFixtures() / "loop0.gif", transparency, mask);
  ASSERT_TRUE(animated.Gif);
  EXPECT_FALSE(animated.Bitmap);
  EXPECT_EQ(GetImageWidth(animated), 8);
  EXPECT_EQ(animated.Gif->FrameCount, 3);
}

// A palette PNG: entries red, green, blue, white; tRNS gives entry 1 alpha 128 and entry 3 alpha 0.
std::vector<uint8_t> palettePng() {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto chunk = [&png](const char* type, std::vector<uint8_t> data) {
    for (int s = 24; s >= 0; s -= 8) png.push_back(uint8_t(data.size() >> s));
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    uint32_t crc = uint32_t(crc32(0, png.data() + start, uInt(png.size() - start)));
    for (int s = 24; s >= 0; s -= 8) png.push_back(uint8_t(crc >> s));
  };
  chunk("IHDR", {0, 0, 0, 4, 0, 0, 0, 1, 8, 3, 0, 0, 0});
  chunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
  chunk("tRNS", {255, 128, 255, 0});
  std::vector<uint8_t> raw = {0, 0, 1, 2, 3};
  uLongf n = compressBound(uLong(raw.size()));
  std::vector<uint8_t> z(n);
  compress(z.data(), &n, raw.data(), uLong(raw.size()));
  z.resize(n);
  chunk("IDAT", z);
  chunk("IEND", {});
  return png;
}

TEST_F(ImageLoader, PngPaletteTransparencyIsKindThree) {
  auto png = palettePng();
  auto color = pngTransparentColor(png.data(), png.size());
  ASSERT_TRUE(color);
  EXPECT_EQ(*color, makePixel(255, 255, 255));

  int transparency = 0;
  std::shared_ptr<TMask> mask;
  TImage image = ReadImageStream(png.data(), png.size(), transparency, mask);
  ASSERT_TRUE(image.Bitmap);
  EXPECT_EQ(transparency, kPngPalette);
  ASSERT_TRUE(mask);
  EXPECT_EQ(mask->Bits, (std::vector<uint8_t>{0, 0, 0, 1}));
  EXPECT_EQ(image.Bitmap->at(3, 0), 0u);  // black, and transparent
  // Partial alpha is no mask matter; the picture keeps it for blending.
  EXPECT_EQ(image.Bitmap->at(1, 0), makePixel(0, 255, 0, 128));
  EXPECT_TRUE(image.Bitmap->HasAlpha);
}

TEST_F(ImageLoader, AlphaPngKeepsItsAlpha) {
  int transparency = 0;
  std::shared_ptr<TMask> mask;
  TImage image = read(magick("alpha.png", "-size 4x4 xc:'rgba(0,0,255,0.5)' PNG32:"), transparency, mask);
  ASSERT_TRUE(image.Bitmap);
  EXPECT_EQ(transparency, kOpaque);
  EXPECT_FALSE(mask);
  EXPECT_TRUE(image.Bitmap->HasAlpha);
  EXPECT_EQ(pixelBlue(image.Bitmap->at(0, 0)), 255);
  EXPECT_NEAR(pixelAlpha(image.Bitmap->at(0, 0)), 128, 1);
}

TEST_F(ImageLoader, FailuresGiveNone) {
  std::vector<std::pair<std::string, std::string>> files = {
      {"bad.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, 'x')},
      {"bad.bmp", "BM" + std::string(40, '\0')},
      {"bad.jpg", "\xFF\xD8" + std::string(40, '\0')},
      {"bad.gif", "GIF89a" + std::string(40, '\0')},
      {"text.png", "this is not a picture at all, just text"},
  };
  for (const auto& [name, bytes] : files) {
    lumora::testing::writeFile(dir_ / name, bytes);
    int transparency = 0;
    std::shared_ptr<TMask> mask;
    EXPECT_FALSE(read(dir_ / name, transparency, mask)) << name;
    EXPECT_FALSE(mask) << name;
  }
}

TEST_F(ImageLoader, OnlyRegularFilesWithinTheLimitAreRead) {
  auto png = magick("real.png", "-size 20x10 xc:orange");
  auto gif = magick("real.gif", "-size 20x10 xc:orange");
  int transparency = 0;
  std::shared_ptr<TMask> mask;
  bool single = true;
  ASSERT_TRUE(read(png, transparency, mask));
  ASSERT_TRUE(CreateGifFromFile(gif, single));

  // A FIFO would keep the reader waiting for ever, a device never ends, a folder has no content; a valid
  // picture with more data behind it than a page image may have (a sparse file) is refused whole.
  ASSERT_EQ(mkfifo((dir_ / "pipe.png").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir_ / "zero.png");
  std::filesystem::create_directory(dir_ / "folder.png");
  for (const auto& [picture, name] : {std::pair{png, "big.png"}, std::pair{gif, "big.gif"}}) {
    std::filesystem::copy_file(picture, dir_ / name);
    std::filesystem::resize_file(dir_ / name, core::kMaxImageFileBytes + 1);
  }
  for (const char* name : {"pipe.png", "zero.png", "folder.png", "big.png", "big.gif"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(read(dir_ / name, transparency, mask));
    EXPECT_FALSE(mask);
    EXPECT_FALSE(CreateGifFromFile(dir_ / name, single));
  }
}

TEST(ImageBuiltins, PicturesAndErrors) {
  EXPECT_EQ(DefaultImage().Width, 16);
  EXPECT_EQ(DefaultImage().Height, 16);
  EXPECT_EQ(ErrorImage().Pixels.size(), 256u);
  const TMask& mask = ErrorImageMask();
  EXPECT_TRUE(mask.transparentAt(15, 15));
  EXPECT_FALSE(mask.transparentAt(0, 0));
  EXPECT_NE(DefaultImage().Pixels, ErrorImage().Pixels);
  try {
    GetImageWidth(TImage{});
    ADD_FAILURE() << "no exception";
  } catch (const EGDIPlus& e) {
    EXPECT_STREQ(e.what(), "Not a TBitmap, TGifImage, TMetafile, or TGpImage");
  }
}

}  // namespace
}  // namespace lumora::image
