// lumora-image: the composed frame it writes, with its mask as alpha, and its --info line.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

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

}  // namespace
}  // namespace lumora::image
