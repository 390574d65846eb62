// lumora-image: the composed frame it writes, with its mask as alpha, its --info lines read from the headers
// alone, its arguments and its failures.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "image_test_support.h"
#include "image/gif_image.h"
#include "image/png_image.h"

namespace lumora::image {
namespace {

const std::string kTool = LUMORA_BINARY_DIR "/bin/lumora-image";

std::string capture(const std::string& command, int& status) {
  std::string out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  char buffer[256];
  while (pipe && fgets(buffer, sizeof buffer, pipe)) out += buffer;
  status = pipe ? pclose(pipe) : -1;
  return out;
}

TEST(ImageTool, WritesTheChosenFrameWithItsMask) {
  lumora::testing::TempDir dir;
  auto gifPath = testing::gifFixtures() / "dispose2t.gif";
  auto out = dir / "frame3.png";
  int status = 0;
  std::string info = capture(kTool + " " + testing::quoted(gifPath) + " --info --frame 3 -o " + testing::quoted(out), status);
  ASSERT_EQ(status, 0) << info;
  EXPECT_NE(info.find("frames 4\n"), std::string::npos) << info;
  EXPECT_NE(info.find("iterations 0\n"), std::string::npos) << info;
  EXPECT_NE(info.find("delays 50 50 50 50\n"), std::string::npos) << info;

  auto bytes = testing::readBytes(gifPath);
  bool single = true;
  auto gif = CreateGifFromStream(bytes.data(), bytes.size(), single);
  ASSERT_TRUE(gif);
  TBitmap expected = applyMaskAsAlpha(gif->frameBitmap(3), gif->frameMask(3).get());
  auto png = testing::readBytes(out);
  TPNGImage written;
  ASSERT_NO_THROW(written.LoadFromStream(png.data(), png.size()));
  // Invisible pixels may carry any colour.
  auto visible = [](PixelVector pixels) {
    for (Pixel& p : pixels)
      if (pixelAlpha(p) == 0) p = 0;
    return pixels;
  };
  EXPECT_TRUE(testing::samePixels(visible(expected.Pixels), visible(written.Bitmap().Pixels), expected.Width, true));
  EXPECT_GT(std::count_if(expected.Pixels.begin(), expected.Pixels.end(), [](Pixel p) { return pixelAlpha(p) == 0; }), 0);
}

TEST(ImageTool, ReportsFailures) {
  lumora::testing::TempDir dir;
  int status = 0;
  std::string text = capture(kTool + " '" + LUMORA_SOURCE_DIR "/../shared/testdata/pngsuite/xd3n2c08.png' -o " +
                                 testing::quoted(dir / "x.png"),
                             status);
  EXPECT_NE(status, 0);
  EXPECT_NE(text.find(kPngUnknownColorType), std::string::npos) << text;
  text = capture(kTool + " " + testing::quoted(testing::gifFixtures() / "loop0.gif") + " --frame 9 -o " +
                     testing::quoted(dir / "y.png"),
                 status);
  EXPECT_NE(status, 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "y.png"));
}

int exitCode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

std::vector<std::filesystem::path> corpusPictures() {
  std::vector<std::filesystem::path> files;
  for (const char* corpus : {"image_bmp", "image_gif", "image_jpeg", "image_png"})
    for (const auto& entry : std::filesystem::directory_iterator(LUMORA_SOURCE_DIR "/fuzz/corpus/" + std::string(corpus)))
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// --info alone reads headers; with -o it reports what was decoded. Both must print the same.
TEST(ImageTool, InfoAloneTellsWhatDecodingTells) {
  lumora::testing::TempDir dir;
  int decoded = 0;
  for (const auto& file : corpusPictures()) {
    SCOPED_TRACE(file.filename().string());
    int status = 0, headerStatus = 0;
    std::string full = capture(kTool + " " + testing::quoted(file) + " --info -o " + testing::quoted(dir / "out.png"), status);
    if (exitCode(status) != 0) continue;  // refused or broken: headers alone may not show it
    ++decoded;
    std::string headers = capture(kTool + " " + testing::quoted(file) + " --info", headerStatus);
    EXPECT_EQ(exitCode(headerStatus), 0);
    EXPECT_EQ(headers, full);
  }
  EXPECT_GT(decoded, 25);
}

// A limit on allocations far below the bitmap of a 64-megapixel picture: under AddressSanitizer through its
// options (its allocator then ends the process instead of failing), elsewhere through the shell.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAllocationsFailCleanly = false;
const std::string kSmallMemory = "ASAN_OPTIONS=max_allocation_size_mb=64 ";
#else
constexpr bool kAllocationsFailCleanly = true;
const std::string kSmallMemory = "ulimit -v 200000; ";
#endif

TEST(ImageTool, InfoAloneAllocatesNoPicture) {
  lumora::testing::TempDir dir;
  // 8192 x 8192 in a few bytes of run-length data: within the limit, a 256 MB bitmap when decoded.
  auto bmp = dir / "large.bmp";
  testing::writeBytes(bmp, testing::bitmapFile(8192, 8192, 8, 1, {1, 2, 3, 0}, {255, 0, 0, 1}));
  int status = 0;
  std::string info = capture(kSmallMemory + kTool + " " + testing::quoted(bmp) + " --info", status);
  EXPECT_EQ(exitCode(status), 0) << info;
  EXPECT_EQ(info, "frames 1\nsize 8192x8192\ntransparency 0\n");
  if (!kAllocationsFailCleanly) return;
  // Out of memory is a failure like any other: one line and exit code 1.
  std::string text = capture(kSmallMemory + kTool + " " + testing::quoted(bmp) + " -o " + testing::quoted(dir / "x.png"), status);
  EXPECT_EQ(exitCode(status), 1) << text;
  EXPECT_EQ(text, "lumora-image: " + bmp.string() + ": out of memory\n");
}

TEST(ImageTool, FrameNumbersAreReadStrictly) {
  lumora::testing::TempDir dir;
  const std::string gif = testing::quoted(testing::gifFixtures() / "dispose2t.gif") + " -o " + testing::quoted(dir / "f.png");
  struct Case {
    const char* frame;
    int exit;
  } cases[] = {
      {"99999999999", 2}, {"2147483648", 2}, {"-1", 2}, {"0", 2},       {"3x", 2}, {"+3", 2},
      {"' 3'", 2},        {"''", 2},         {"3", 0},  {"2147483647", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    int status = 0;
    std::string text = capture(kTool + " " + gif + " --frame " + c.frame, status);
    EXPECT_EQ(exitCode(status), c.exit) << text;
    if (c.exit == 2) {
      EXPECT_EQ(text.rfind("usage: lumora-image", 0), 0u) << text;
    } else if (c.exit == 1) {
      EXPECT_EQ(text, "lumora-image: frame 2147483647 out of 1..4\n");
    }
  }
}

TEST(ImageTool, EveryFailureIsOneLineAndExitCodeOne) {
  lumora::testing::TempDir dir;
  auto hostile = dir / "hostile.bmp";
  testing::writeBytes(hostile, testing::bitmapFile(16384, 16384, 8, 1, {1, 2, 3, 0}, {255, 0, 0, 1}));
  lumora::testing::writeFile(dir / "text.png", "this is not a picture at all, just text");
  std::filesystem::create_directory(dir / "folder.png");
  ASSERT_EQ(mkfifo((dir / "pipe.png").c_str(), 0600), 0);
  struct Case {
    std::filesystem::path file;
    const char* says;
  } cases[] = {
      {LUMORA_SOURCE_DIR "/../shared/testdata/pngsuite/xd3n2c08.png", kPngUnknownColorType},
      {hostile, "bitmap too large"},
      {dir / "text.png", "not a picture this program reads"},
      {dir / "folder.png", "a folder"},
      {dir / "pipe.png", "not a regular file"},
      {dir / "missing.png", "not found"},
  };
  for (const Case& c : cases) {
    for (const char* mode : {" --info", " -o "}) {
      SCOPED_TRACE(c.file.filename().string() + mode);
      std::string args = std::string(mode) == " -o " ? " -o " + testing::quoted(dir / "out.png") : mode;
      int status = 0;
      std::string text = capture(kTool + " " + testing::quoted(c.file) + args, status);
      EXPECT_EQ(exitCode(status), 1) << text;
      EXPECT_EQ(text.rfind("lumora-image: ", 0), 0u) << text;
      EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
      EXPECT_EQ(text.find('\r'), std::string::npos) << text;
      EXPECT_NE(text.find(c.says), std::string::npos) << text;
      EXPECT_FALSE(std::filesystem::exists(dir / "out.png"));
    }
  }
}

}  // namespace
}  // namespace lumora::image
