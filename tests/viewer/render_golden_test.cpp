// `lumora-html render --metrics fixed` over small pages, compared pixel for pixel with stored pictures
// (golden/*.png): a table with borders and backgrounds, lists, a floated picture with text, a tiled page.
// After a deliberate change of the drawing, LUMORA_UPDATE_GOLDEN=1 writes the new pictures over the old.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGolden = fs::path(LUMORA_SOURCE_DIR) / "tests/viewer/golden";

int run(const std::string& arguments) {
  const std::string command = std::string(LUMORA_BINARY_DIR) + "/bin/lumora-html " + arguments + " >/dev/null 2>&1";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

int render(const fs::path& page, const fs::path& out, const std::string& size = "--width 320 --height 200") {
  return run("render '" + page.string() + "' -o '" + out.string() + "' " + size + " --metrics fixed");
}

class RenderGolden : public ::testing::TestWithParam<const char*> {};

TEST_P(RenderGolden, MatchesTheStoredPicture) {
  const std::string name = GetParam();
  lumora::testing::TempDir dir;
  const fs::path actualPath = dir / (name + ".png");
  ASSERT_EQ(render(kGolden / (name + ".htm"), actualPath), 0);
  const QImage actual = QImage(QString::fromStdString(actualPath.string())).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(actual.isNull());
  const fs::path stored = kGolden / (name + ".png");
  if (std::getenv("LUMORA_UPDATE_GOLDEN")) fs::copy_file(actualPath, stored, fs::copy_options::overwrite_existing);
  const QImage expected = QImage(QString::fromStdString(stored.string())).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(expected.isNull()) << stored;
  ASSERT_EQ(actual.size(), expected.size());
  int differing = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < actual.height(); ++y) {
    for (int x = 0; x < actual.width(); ++x) {
      if (actual.pixel(x, y) == expected.pixel(x, y)) continue;
      if (differing++ == 0) {
        firstX = x;
        firstY = y;
      }
    }
  }
  EXPECT_EQ(differing, 0) << name << ": first difference at " << firstX << "," << firstY;
}

INSTANTIATE_TEST_SUITE_P(Pages, RenderGolden, ::testing::Values("table", "list", "float", "tiled"));

TEST(Render, FullPagesAndWrongOptions) {
  lumora::testing::TempDir dir;
  const fs::path out = dir / "full.png";
  // The whole page: as high as the document (a few lists and a rule), not the view's 600 pixels.
  ASSERT_EQ(render(kGolden / "list.htm", out, "--width 320 --full"), 0);
  const QImage full(QString::fromStdString(out.string()));
  EXPECT_EQ(full.width(), 320);
  EXPECT_GT(full.height(), 100);
  EXPECT_LT(full.height(), 200);
  const std::string page = "'" + (kGolden / "list.htm").string() + "'";
  EXPECT_EQ(run("render " + page), 2);  // no output named
  EXPECT_EQ(run("render " + page + " -o '" + out.string() + "' --full --height 50"), 2);
  EXPECT_EQ(run("render " + page + " -o '" + out.string() + "' --width 0"), 2);
  EXPECT_EQ(run("render " + page + " -o '" + (dir / "no/such/folder.png").string() + "'"), 1);
  EXPECT_EQ(run("render '" + (dir / "missing.htm").string() + "' -o '" + out.string() + "'"), 1);
}

}  // namespace
