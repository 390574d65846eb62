// Length, font-size, colour and keyword conversions of the style code.
#include <gtest/gtest.h>

#include <cmath>

#include "html/html_style_convert.h"

namespace lumora::html {
namespace {

constexpr TColor rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

TEST(HtmlStyleConvert, ToPixelsUnits) {
  struct Case {
    const char* text;
    bool relative;
    double base;
    int expected;
  };
  const Case cases[] = {
      {"12px", false, 0, 12},    {"2em", false, 0, 20},      {"3ex", false, 0, 15},   {"50%", false, 200, 100},
      {"1in", false, 0, 96},     {"2.54cm", false, 0, 96},   {"25.4mm", false, 0, 96}, {"72pt", false, 0, 96},
      {"1pc", false, 0, 16},     {"1.5", true, 10, 15},      {"1.5", false, 10, 2},   {"2.5", false, 0, 2},
      {" -4 px ", false, 0, -4}, {"auto", false, 0, -7},     {"12foo", false, 0, -7}, {"", false, 0, 0},
      {".5em", false, 0, 5},     {"7", false, 0, 7},         {"1e3", false, 0, -7},   {"33.3%", false, 300, 100},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ToPixels(c.text, c.relative, c.base, -7, 10, 5, 96), c.expected) << c.text;
}

TEST(HtmlStyleConvert, ToPixelsFollowsTheDisplayResolution) {
  EXPECT_EQ(ToPixels("1in", false, 0, 0, 0, 0, 120), 120);
  EXPECT_EQ(ToPixels("6pt", false, 0, 0, 0, 0, 120), 10);
}

TEST(HtmlStyleConvert, ToPointsUnitsAndKeywords) {
  struct Case {
    const char* text;
    double expected;
  };
  // Parent size 10 points, default size 12 points.
  const Case cases[] = {
      {"small", 12},   {"medium", 14.4}, {"xx-small", 8}, {"x-small", 10}, {"large", 18},   {"x-large", 24},
      {"xx-large", 36}, {"smaller", 7.5}, {"larger", 12.5}, {"16", 12},    {"16px", 12},    {"10pt", 10},
      {"1in", 72},      {"2.54cm", 72},   {"1pc", 12},      {"2em", 20},   {"1ex", 5},      {"50%", 5},
      {"bogus", 12},    {"12 PT", 12},
  };
  for (const Case& c : cases) EXPECT_NEAR(ToPoints(c.text, 10, 12, 96), c.expected, 1e-9) << c.text;
}

TEST(HtmlStyleConvert, ParseColorForms) {
  struct Case {
    const char* text;
    bool needPound;
    bool ok;
    TColor expected;
  };
  const TColor P = kPaletteRelative;
  const Case cases[] = {
      {"#abc", true, true, rgb(0xaa, 0xbb, 0xcc) | P},
      {"abc", false, true, rgb(0xaa, 0xbb, 0xcc) | P},
      {"abc", true, false, 0},  // the same text again, now "#" is required: no answer from the cache
      {"#FF8000", true, true, rgb(255, 128, 0) | P},
      {"##fff", true, true, rgb(255, 255, 255) | P},
      {"foo#123456", true, true, rgb(0x12, 0x34, 0x56) | P},
      {"#", true, false, 0},
      {"#xyz", true, false, 0},
      {"#123456789", true, false, 0},
      {"", false, false, 0},
      {"   ", false, false, 0},
      {"rgb(100%, 0, 50%)", true, true, rgb(255, 0, 128) | P},
      {"RGB( 1 , 2 , 3 )", true, true, rgb(1, 2, 3) | P},
      {"rgb(300,-5, x)", true, true, rgb(255, 0, 0) | P},
      {"rgb(10, 20)", true, true, rgb(10, 20, 0) | P},
      {"rgb 1,2,3", false, false, 0},
      {"rgb(1,2,3", false, false, 0},
      {"  Red ", true, true, rgb(255, 0, 0)},
      {"grey", true, true, rgb(128, 128, 128)},
      {"DarkSlateGrey", true, true, rgb(47, 79, 79)},
      {"crimson", true, true, rgb(220, 20, 60)},
      {"transparent", true, true, kColorNone},
      {"yellowgreen", true, true, rgb(154, 205, 50)},
      {"aliceblue", true, true, rgb(240, 248, 255)},
      {"Window", true, true, kSystemColorFlag | 5},
      {"AppWorkSpace", true, true, kSystemColorFlag | 12},
      {"threedface", true, true, kSystemColorFlag | 15},
      {"infobackground", true, true, kSystemColorFlag | 24},
      {"notacolour", true, false, 0},
  };
  for (const Case& c : cases) {
    TColor got = 0x1234;
    EXPECT_EQ(ParseColor(c.text, c.needPound, got), c.ok) << c.text;
    EXPECT_EQ(got, c.ok ? c.expected : 0x1234) << c.text;
  }
}

TEST(HtmlStyleConvert, BasicColourNames) {
  const std::pair<const char*, TColor> basics[] = {
      {"black", rgb(0, 0, 0)},        {"maroon", rgb(128, 0, 0)},   {"green", rgb(0, 128, 0)},
      {"olive", rgb(128, 128, 0)},    {"navy", rgb(0, 0, 128)},     {"purple", rgb(128, 0, 128)},
      {"teal", rgb(0, 128, 128)},     {"gray", rgb(128, 128, 128)}, {"silver", rgb(192, 192, 192)},
      {"red", rgb(255, 0, 0)},        {"lime", rgb(0, 255, 0)},     {"yellow", rgb(255, 255, 0)},
      {"blue", rgb(0, 0, 255)},       {"fuchsia", rgb(255, 0, 255)}, {"aqua", rgb(0, 255, 255)},
      {"white", rgb(255, 255, 255)},
  };
  for (const auto& [name, value] : basics) {
    TColor c = -1;
    ASSERT_TRUE(ParseColor(name, true, c)) << name;
    EXPECT_EQ(c, value) << name;
  }
}

TEST(HtmlStyleConvert, KeywordTables) {
  const std::pair<const char*, int> align[] = {{"TOP", 1},    {"middle", 2}, {"absmiddle", 2}, {"center", 2},
                                               {"baseline", 3}, {"bottom", 4}, {"Left", 5},      {"right", 6},
                                               {"justify", 7}, {"texttop", 0}, {"", 0}};
  for (const auto& [t, code] : align) EXPECT_EQ(AlignmentCode(t), code) << t;

  const std::pair<const char*, int> borders[] = {{"none", 0}, {"solid", 1}, {"ridge", 5}, {"double", 8}, {"wavy", 0}};
  for (const auto& [t, code] : borders) EXPECT_EQ(borderStyleCodeOf(t), code) << t;

  EXPECT_EQ(listStyleCodeOf("upper-roman"), lsUpperRoman);
  EXPECT_EQ(listStyleCodeOf("disc"), lsDisc);
  EXPECT_EQ(listStyleCodeOf("armenian"), lsBlank);

  EXPECT_EQ(mapGenericFamily("Sans-Serif"), "Arial");
  EXPECT_EQ(mapGenericFamily("monospace"), "Courier New");
  EXPECT_EQ(mapGenericFamily("serif"), "Times New Roman");
  EXPECT_EQ(mapGenericFamily("cursive"), "Lucida Handwriting");
  EXPECT_EQ(mapGenericFamily("Verdana"), "Verdana");

  EXPECT_EQ(verticalAlignOf("text-top"), TVerticalAlign::Top);
  EXPECT_EQ(verticalAlignOf("super"), TVerticalAlign::Superscript);
  EXPECT_EQ(verticalAlignOf("text-bottom"), std::nullopt);
  EXPECT_EQ(clearSideOf("both"), TSide::Both);
  EXPECT_EQ(floatSideOf("both"), TSide::None);
  EXPECT_EQ(positionKindOf("fixed"), TPositionKind::Static);
  EXPECT_EQ(positionKindOf("Relative"), TPositionKind::Relative);
}

TEST(HtmlStyleConvert, HtmlFontSizesScaleWithTheDefault) {
  EXPECT_DOUBLE_EQ(htmlFontSizePoints(3, false, 12), 12);
  EXPECT_DOUBLE_EQ(htmlFontSizePoints(7, false, 12), 36);
  EXPECT_DOUBLE_EQ(htmlFontSizePoints(7, true, 12), 30);
  EXPECT_DOUBLE_EQ(htmlFontSizePoints(1, true, 12), 7);
  EXPECT_DOUBLE_EQ(htmlFontSizePoints(5, false, 16), 24);
  EXPECT_DOUBLE_EQ(htmlFontSizePoints(0, false, 12), 8);  // out of range clamps
  EXPECT_DOUBLE_EQ(htmlFontSizePoints(9, false, 12), 36);
}

}  // namespace
}  // namespace lumora::html
