// The engine's platform services on Qt: colours, fonts and their metrics, and painting through a canvas.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "support/qt_app.h"
#include "viewer/qt_platform.h"

namespace lumora::viewer {
namespace {

using html::TColor;

constexpr TColor rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

class QtPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::ensureQApplication(); }
};

TEST_F(QtPlatformTest, EngineColoursBecomeQtColours) {
  EXPECT_EQ(toQColor(rgb(255, 128, 0)), QColor(255, 128, 0));
  EXPECT_EQ(toQColor(rgb(1, 2, 3) | html::kPaletteRelative), QColor(1, 2, 3));  // the flag is not a colour
  EXPECT_EQ(toQColor(html::kColorNone).alpha(), 0);
  QPalette palette;
  palette.setColor(QPalette::Highlight, QColor(10, 20, 30));
  palette.setColor(QPalette::ToolTipBase, QColor(40, 50, 60));
  EXPECT_EQ(toQColor(html::kSystemColorFlag | 13, palette), QColor(10, 20, 30));  // highlight
  EXPECT_EQ(toQColor(html::kSystemColorFlag | 24, palette), QColor(40, 50, 60));  // infobackground
}

TEST_F(QtPlatformTest, FontsAreFoundAndMeasured) {
  QtTextMetrics fonts;
  EXPECT_TRUE(fonts.isFontInstalled("DejaVu Sans"));
  EXPECT_FALSE(fonts.isFontInstalled("No Such Face 12345"));
  EXPECT_FALSE(fonts.isFontInstalled(""));
  // A face the pages ask for by its Windows name is found through a substitution.
  QFont::insertSubstitution("Lumora Test Face", "DejaVu Sans");
  EXPECT_TRUE(fonts.isFontInstalled("Lumora Test Face"));

  const html::TFontHandle smallFont = fonts.realizeFont({"DejaVu Sans", 12, 0, html::kDefaultCharSet});
  EXPECT_EQ(fonts.realizeFont({"DejaVu Sans", 12, 0, html::kDefaultCharSet}), smallFont);  // realised once
  const html::TRealizedFont small = fonts.fontMetrics(smallFont);
  const html::TRealizedFont large =
      fonts.fontMetrics(fonts.realizeFont({"DejaVu Sans", 24, html::kFontBold, html::kDefaultCharSet}));
  EXPECT_GE(small.CellHeight, 12);
  EXPECT_EQ(small.InternalLeading, small.CellHeight - 12);
  EXPECT_GT(small.Descent, 0);
  EXPECT_GT(small.AveCharWidth, 0);
  EXPECT_GE(small.MaxCharWidth, small.AveCharWidth);
  EXPECT_GT(large.CellHeight, small.CellHeight);
  EXPECT_GT(large.AveCharWidth, small.AveCharWidth);
}

TEST_F(QtPlatformTest, TextExtentsAddLetterSpacingPerCharacter) {
  QtTextMetrics metrics;
  html::TMyFont font;
  font.Name = "DejaVu Sans Mono";
  font.Height = 16;
  std::vector<int> widths;
  const int plain = html::textExtent(metrics, font, u"iWi", &widths);
  ASSERT_EQ(widths.size(), 3u);
  EXPECT_EQ(plain, widths[0] + widths[1] + widths[2]);
  EXPECT_EQ(widths[0], widths[1]);  // a monospaced face
  // A character outside the 16-bit range: its width goes to the first half of the pair.
  std::vector<int> pairWidths;
  html::textExtent(metrics, font, u"a\U0001F600b", &pairWidths);
  ASSERT_EQ(pairWidths.size(), 4u);
  EXPECT_GT(pairWidths[1], 0);
  EXPECT_EQ(pairWidths[2], 0);

  font.CharExtra = 3;
  EXPECT_EQ(html::textExtent(metrics, font, u"iWi", nullptr), plain + 9);
  EXPECT_EQ(html::textExtent(metrics, font, u"a\U0001F600b", nullptr),
            pairWidths[0] + pairWidths[1] + pairWidths[3] + 9);  // the pair is one character
}

TEST_F(QtPlatformTest, PaintsShapesTextImagesAndClips) {
  QImage target(60, 40, QImage::Format_RGB32);
  target.fill(Qt::white);
  QtTextMetrics metrics;
  lumora::image::TBitmap bitmap(2, 1, lumora::image::makePixel(0, 255, 0));
  {
    QPainter painter(&target);
    QtCanvas canvas(painter, metrics);
    canvas.fillRect({0, 0, 10, 10}, rgb(255, 0, 0));
    canvas.frameRect({20, 0, 30, 10}, rgb(0, 0, 255), 2, html::TPenStyle::Solid);

    // A 2 by 1 picture whose right pixel is masked out, drawn at (40, 0) scaled by 2; it is converted for
    // drawing once and kept with the bitmap.
    lumora::image::TMask mask(2, 1, 0);
    mask.Bits[1] = 1;
    canvas.drawImage(bitmap, &mask, {0, 0, 2, 1}, {40, 0, 44, 2});
    const auto* converted = bitmap.HostCache.get();
    ASSERT_NE(converted, nullptr);
    canvas.drawImage(bitmap, &mask, {0, 0, 2, 1}, {40, 0, 44, 2});
    EXPECT_EQ(bitmap.HostCache.get(), converted);
    EXPECT_EQ(lumora::image::TBitmap(bitmap).HostCache.get(), nullptr);  // a copy may change its pixels

    // Drawing outside the clip leaves the target alone.
    canvas.pushClip({{0, 20, 10, 30}});
    canvas.fillRect({0, 20, 20, 30}, rgb(0, 0, 0));
    canvas.popClip();

    const html::TFontHandle font = metrics.realizeFont({"DejaVu Sans", 14, 0, html::kDefaultCharSet});
    canvas.drawText(30, 20, font, rgb(0, 0, 0), u"W", nullptr, html::kColorNone);
  }
  EXPECT_EQ(target.pixelColor(5, 5), QColor(255, 0, 0));
  EXPECT_EQ(target.pixelColor(20, 5), QColor(0, 0, 255));   // frame edge
  EXPECT_EQ(target.pixelColor(29, 5), QColor(0, 0, 255));   // right edge inside the rectangle
  EXPECT_EQ(target.pixelColor(30, 5), QColor(Qt::white));   // nothing outside it
  EXPECT_EQ(target.pixelColor(25, 5), QColor(Qt::white));   // hollow
  EXPECT_EQ(target.pixelColor(41, 1), QColor(0, 255, 0));
  EXPECT_EQ(target.pixelColor(42, 1), QColor(Qt::white));   // masked pixel
  EXPECT_EQ(target.pixelColor(5, 25), QColor(0, 0, 0));
  EXPECT_EQ(target.pixelColor(15, 25), QColor(Qt::white));  // clipped away
  int dark = 0;
  for (int y = 20; y < 40; ++y) {
    for (int x = 30; x < 50; ++x) dark += target.pixelColor(x, y).lightness() < 128 ? 1 : 0;
  }
  EXPECT_GT(dark, 5);  // the letter was drawn
}

}  // namespace
}  // namespace lumora::viewer
