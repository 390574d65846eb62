#pragma once
// Helpers shared by the image tests: fixture files, external reference tools, picture comparison.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "image/image_types.h"

namespace lumora::image::testing {

inline std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline int run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

inline std::string quoted(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

// A Windows bitmap file with a 40-byte header, its palette (B, G, R, 0 each) and pixel data.
inline std::vector<uint8_t> bitmapFile(int32_t w, int32_t h, uint16_t bpp, uint32_t compression,
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

// The GIF fixtures written by make_gifs.py, generated once per test process.
inline const std::filesystem::path& gifFixtures() {
  static lumora::testing::TempDir dir;
  static bool made = [] {
    std::string script = LUMORA_SOURCE_DIR "/tests/image/make_gifs.py";
    return run("python3 '" + script + "' " + quoted(dir.path())) == 0;
  }();
  if (!made) ADD_FAILURE() << "make_gifs.py failed";
  return dir.path();
}

// A picture decoded by ImageMagick (a PAM file), as RGBA pixels.
struct RefImage {
  int Width = 0, Height = 0;
  std::vector<Pixel> Pixels;
};

inline bool readPam(const std::filesystem::path& path, RefImage& image) {
  std::vector<uint8_t> bytes = readBytes(path);
  std::string text(bytes.begin(), bytes.end());
  size_t end = text.find("ENDHDR\n");
  if (text.rfind("P7\n", 0) != 0 || end == std::string::npos) return false;
  std::istringstream header(text.substr(3, end - 3));
  std::string key;
  int depth = 0, maxval = 0;
  while (header >> key) {
    if (key == "WIDTH") header >> image.Width;
    else if (key == "HEIGHT") header >> image.Height;
    else if (key == "DEPTH") header >> depth;
    else if (key == "MAXVAL") header >> maxval;
    else std::getline(header, key);
  }
  if (maxval != 255 || depth < 1 || depth > 4) return false;
  const uint8_t* p = bytes.data() + end + 7;
  size_t n = size_t(image.Width) * size_t(image.Height);
  if (bytes.size() - (end + 7) < n * size_t(depth)) return false;
  image.Pixels.resize(n);
  for (size_t i = 0; i < n; ++i, p += depth) {
    uint8_t r = p[0], g = depth >= 3 ? p[1] : p[0], b = depth >= 3 ? p[2] : p[0];
    uint8_t a = depth == 4 ? p[3] : depth == 2 ? p[1] : 255;
    image.Pixels[i] = makePixel(r, g, b, a);
  }
  return true;
}

// ImageMagick's decoding of `file` (frame `frame` after -coalesce when given).
inline RefImage magickDecode(const std::filesystem::path& file, const std::string& options = "") {
  lumora::testing::TempDir dir;
  RefImage image;
  std::string out = (dir.path() / "ref.pam").string();
  EXPECT_EQ(run("convert " + quoted(file) + " " + options + " -depth 8 '" + out + "'"), 0) << file;
  EXPECT_TRUE(readPam(out, image)) << file;
  return image;
}

// Counts differing pixels (RGB only unless `withAlpha`) and describes the first one.
template <typename Expected, typename Actual>
::testing::AssertionResult samePixels(const Expected& expected, const Actual& actual, int width, bool withAlpha,
                                      int tolerance = 0) {
  if (expected.size() != actual.size())
    return ::testing::AssertionFailure() << "sizes differ: " << expected.size() << " vs " << actual.size();
  const Pixel mask = withAlpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
  size_t bad = 0, first = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    Pixel e = expected[i] & mask, a = actual[i] & mask;
    bool differs = false;
    for (int shift = 0; shift < 32; shift += 8) {
      int d = int((e >> shift) & 255) - int((a >> shift) & 255);
      if (d > tolerance || d < -tolerance) differs = true;
    }
    if (differs && bad++ == 0) first = i;
  }
  if (bad == 0) return ::testing::AssertionSuccess();
  char text[160];
  std::snprintf(text, sizeof text, "%zu pixels differ; first at (%zu, %zu): expected %08X, got %08X", bad,
                first % size_t(width), first / size_t(width), expected[first], actual[first]);
  return ::testing::AssertionFailure() << text;
}

}  // namespace lumora::image::testing
