// JPEG through libjpeg: our output against libjpeg's own RGB decoding, CMYK against ImageMagick, broken
// data that must neither abort nor lose what was decoded, and pictures that would cost far more than they
// are worth.

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csetjmp>
#include <utility>

#include "image_test_support.h"
#include "image/jpeg_decoder.h"

namespace lumora::image {
namespace {

using testing::quoted;
using testing::readBytes;
using testing::samePixels;

struct RefError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

// libjpeg's plain RGB decoding.
bool libjpegDecode(const std::vector<uint8_t>& bytes, int& w, int& h, std::vector<Pixel>& out) {
  jpeg_decompress_struct cinfo;
  RefError err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<RefError*>(c->err)->jump, 1); };
  jpeg_create_decompress(&cinfo);
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  w = int(cinfo.output_width), h = int(cinfo.output_height);
  out.assign(size_t(w) * size_t(h), 0);
  std::vector<uint8_t> row(size_t(w) * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    size_t y = cinfo.output_scanline;
    JSAMPROW p = row.data();
    jpeg_read_scanlines(&cinfo, &p, 1);
    for (int x = 0; x < w; ++x)
      out[y * size_t(w) + size_t(x)] = makePixel(row[size_t(3 * x)], row[size_t(3 * x + 1)], row[size_t(3 * x + 2)]);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

class ImageJpeg : public ::testing::Test {
 protected:
  std::filesystem::path make(const std::string& name, const std::string& options,
                             const std::string& picture = "-size 67x45 -seed 11 plasma:") {
    auto file = dir_ / name;
    EXPECT_EQ(testing::run("convert " + picture + " " + options + " " + quoted(file)), 0) << name;
    return file;
  }
  lumora::testing::TempDir dir_;
};

TEST_F(ImageJpeg, MatchesLibjpeg) {
  struct Case {
    const char* name;
    const char* options;
  } cases[] = {
      {"baseline.jpg", "-quality 85"},
      {"progressive.jpg", "-quality 70 -interlace JPEG"},
      {"grey.jpg", "-colorspace Gray -quality 90"},
      {"subsampled.jpg", "-quality 60 -sampling-factor 2x2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto bytes = readBytes(make(c.name, c.options));
    int w = 0, h = 0;
    std::vector<Pixel> expected;
    ASSERT_TRUE(libjpegDecode(bytes, w, h, expected));
    JpegResult result = decodeJpeg(bytes.data(), bytes.size());
    EXPECT_TRUE(result.Complete);
    ASSERT_EQ(result.Bitmap.Width, 67);
    ASSERT_EQ(result.Bitmap.Height, 45);
    EXPECT_TRUE(samePixels(expected, result.Bitmap.Pixels, w, true));
  }
}

TEST_F(ImageJpeg, CmykLikeImageMagick) {
  auto file = make("cmyk.jpg", "-colorspace CMYK -quality 95");
  auto bytes = readBytes(file);
  testing::RefImage ref = testing::magickDecode(file, "-colorspace sRGB");
  JpegResult result = decodeJpeg(bytes.data(), bytes.size());
  ASSERT_EQ(result.Bitmap.Width, ref.Width);
  // The two conversions round differently; they agree within one step per channel.
  EXPECT_TRUE(samePixels(ref.Pixels, result.Bitmap.Pixels, ref.Width, false, 1));
}

TEST_F(ImageJpeg, BrokenDataKeepsWhatDecoded) {
  auto bytes = readBytes(make("broken.jpg", "-quality 85"));
  int w = 0, h = 0;
  std::vector<Pixel> full;
  ASSERT_TRUE(libjpegDecode(bytes, w, h, full));
  std::vector<uint8_t> truncated(bytes.begin(), bytes.begin() + std::ptrdiff_t(bytes.size() * 2 / 3));
  JpegResult result = decodeJpeg(truncated.data(), truncated.size());
  EXPECT_FALSE(result.Complete);
  EXPECT_FALSE(result.Warning.empty());
  ASSERT_EQ(result.Bitmap.Height, 45);
  std::vector<Pixel> top(full.begin(), full.begin() + 8 * w), decodedTop(result.Bitmap.Pixels.begin(), result.Bitmap.Pixels.begin() + 8 * w);
  EXPECT_TRUE(samePixels(top, decodedTop, w, true));

  // Garbage in the entropy-coded data after the header: a fatal error inside libjpeg comes back to us.
  auto corrupt = bytes;
  for (size_t i = corrupt.size() / 2; i < corrupt.size() - 2; ++i) corrupt[i] = uint8_t(i * 7);
  EXPECT_NO_FATAL_FAILURE(decodeJpeg(corrupt.data(), corrupt.size()));

  // Nothing usable at all.
  std::vector<uint8_t> header(bytes.begin(), bytes.begin() + 40);
  EXPECT_THROW(decodeJpeg(header.data(), header.size()), EJpegError);
  std::vector<uint8_t> notJpeg = {0xFF, 0xD8, 0xFF, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  EXPECT_THROW(decodeJpeg(notJpeg.data(), notJpeg.size()), EJpegError);
}

TEST_F(ImageJpeg, HostileSizeIsRefusedBeforeDecoding) {
  auto bytes = readBytes(make("small.jpg", "-quality 50"));
  // The SOF0 frame header holds the height and width right after its precision byte.
  for (size_t i = 0; i + 8 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      bytes[i + 5] = 0xFF, bytes[i + 6] = 0xFF, bytes[i + 7] = 0xFF, bytes[i + 8] = 0xFF;
      break;
    }
  DecodeLimits limits;
  limits.MaxPixels = 1 << 20;
  EXPECT_THROW(decodeJpeg(bytes.data(), bytes.size(), limits), EJpegError);
}

// The frame header (SOF0 or SOF2) made to declare `width` x `height`.
void declareSize(std::vector<uint8_t>& bytes, uint16_t width, uint16_t height) {
  for (size_t i = 2; i + 8 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
      bytes[i + 5] = uint8_t(height >> 8), bytes[i + 6] = uint8_t(height);
      bytes[i + 7] = uint8_t(width >> 8), bytes[i + 8] = uint8_t(width);
      return;
    }
  ADD_FAILURE() << "no frame header";
}

TEST_F(ImageJpeg, PicturesBeyondTheLimitAreRefusedBeforeDecoding) {
  const auto baseline = readBytes(make("small.jpg", "-quality 50"));
  const auto progressive = readBytes(make("small_progressive.jpg", "-quality 50 -interlace JPEG"));
  struct Case {
    const char* name;
    const std::vector<uint8_t>& bytes;
    uint16_t w, h;
    bool refused;
  } cases[] = {
      {"baseline 16384 x 16384", baseline, 16384, 16384, true},
      {"progressive 16384 x 16384", progressive, 16384, 16384, true},
      {"baseline one row past 64 megapixels", baseline, 8192, 8193, true},
      {"progressive one column past 64 megapixels", progressive, 8193, 8192, true},
      {"baseline 64 megapixels", baseline, 8192, 8192, false},
      {"progressive 64 megapixels", progressive, 8192, 8192, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> bytes = c.bytes;
    declareSize(bytes, c.w, c.h);
    auto start = std::chrono::steady_clock::now();
    if (!c.refused) {
      TImageSize size = readJpegHeader(bytes.data(), bytes.size());
      EXPECT_EQ(size.Width, c.w);
      EXPECT_EQ(size.Height, c.h);
      continue;
    }
    for (bool decode : {false, true}) {
      try {
        if (decode)
          decodeJpeg(bytes.data(), bytes.size());
        else
          readJpegHeader(bytes.data(), bytes.size());
        ADD_FAILURE() << (decode ? "decoded" : "header accepted");
      } catch (const EJpegError& e) {
        EXPECT_STREQ(e.what(), "JPEG picture too large");
      }
    }
    // libjpeg filling the claimed gigabyte with grey would take seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  }
}

// The span of the last scan (its SOS segment and entropy-coded data) in a JPEG file.
std::pair<size_t, size_t> lastScan(const std::vector<uint8_t>& b) {
  std::pair<size_t, size_t> scan{0, 0};
  size_t i = 2;
  while (i + 3 < b.size() && b[i] == 0xFF && b[i + 1] != 0xD9) {
    const uint8_t marker = b[i + 1];
    size_t end = i + 2 + (size_t(b[i + 2]) << 8 | b[i + 3]);
    if (marker == 0xDA) {
      while (end + 1 < b.size() && !(b[end] == 0xFF && b[end + 1] != 0 && (b[end + 1] < 0xD0 || b[end + 1] > 0xD7)))
        ++end;
      scan = {i, end};
    }
    i = end;
  }
  return scan;
}

TEST_F(ImageJpeg, ScansRepeatedOverAndOverAreRefused) {
  // A flat progressive picture: its spectral scans are a few bytes each, and every repetition of one is
  // another pass over all the picture's coefficients.
  auto bytes = readBytes(make("flat.jpg", "-quality 90 -interlace JPEG", "-size 512x512 xc:gray50"));
  JpegResult valid = decodeJpeg(bytes.data(), bytes.size());
  EXPECT_TRUE(valid.Complete);
  auto [begin, end] = lastScan(bytes);
  ASSERT_LT(begin, end);
  std::vector<uint8_t> repeated(bytes.begin(), bytes.begin() + std::ptrdiff_t(end));
  for (int i = 0; i < 100; ++i) repeated.insert(repeated.end(), bytes.begin() + std::ptrdiff_t(begin), bytes.begin() + std::ptrdiff_t(end));
  repeated.insert(repeated.end(), {0xFF, 0xD9});
  try {
    decodeJpeg(repeated.data(), repeated.size());
    ADD_FAILURE() << "decoded";
  } catch (const EJpegError& e) {
    EXPECT_STREQ(e.what(), "JPEG picture has too many scans");
  }
}

}  // namespace
}  // namespace lumora::image
