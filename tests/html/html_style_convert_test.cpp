// Length, font-size, colour and keyword conversions of the style code.
#include <gtest/gtest.h>

#include <cmath>

#include "html/html_style_convert.h"

namespace lumora::html {
namespace {

constexpr TColor Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

TEST(HtmlStyleConvert, ToPixelsUnits) {
  SetPixelsPerInch(96);
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
    EXPECT_EQ(ToPixels(c.text, c.relative, c.base, -7, 10, 5), c.expected) << c.text;
}

TEST(HtmlStyleConvert, ToPixelsFollowsTheDisplayResolution) {
  SetPixelsPerInch(120);
  EXPECT_EQ(ToPixels("1in", false, 0, 0, 0, 0), 120);
  EXPECT_EQ(ToPixels("6pt", false, 0, 0, 0, 0), 10);
  SetPixelsPerInch(96);
}

TEST(HtmlStyleConvert, ToPointsUnitsAndKeywords) {
  SetPixelsPerInch(96);
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
  for (const Case& c : cases) EXPECT_NEAR(ToPoints(c.text, 10, 12), c.expected, 1e-9) << c.text;
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
      {"#abc", true, true, Rgb(0xaa, 0xbb, 0xcc) | P},
      {"abc", false, true, Rgb(0xaa, 0xbb, 0xcc) | P},
      {"abc", true, false, 0},  // the same text again, now "#" is required: no answer from the cache
      {"#FF8000", true, true, Rgb(255, 128, 0) | P},
      {"##fff", true, true, Rgb(255, 255, 255) | P},
      {"foo#123456", true, true, Rgb(0x12, 0x34, 0x56) | P},
      {"#", true, false, 0},
      {"#xyz", true, false, 0},
      {"#123456789", true, false, 0},
      {"", false, false, 0},
      {"   ", false, false, 0},
      {"rgb(100%, 0, 50%)", true, true, Rgb(255, 0, 128) | P},
      {"RGB( 1 , 2 , 3 )", true, true, Rgb(1, 2, 3) | P},
      {"rgb(300,-5, x)", true, true, Rgb(255, 0, 0) | P},
      {"rgb(10, 20)", true, true, Rgb(10, 20, 0) | P},
      {"rgb 1,2,3", false, false, 0},
      {"rgb(1,2,3", false, false, 0},
      {"  Red ", true, true, Rgb(255, 0, 0)},
      {"grey", true, true, Rgb(128, 128, 128)},
      {"DarkSlateGrey", true, true, Rgb(47, 79, 79)},
      {"crimson", true, true, Rgb(220, 20, 60)},
      {"transparent", true, true, kColorNone},
      {"yellowgreen", true, true, Rgb(154, 205, 50)},
      {"aliceblue", true, true, Rgb(240, 248, 255)},
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
      {"black", Rgb(0, 0, 0)},        {"maroon", Rgb(128, 0, 0)},   {"green", Rgb(0, 128, 0)},
      {"olive", Rgb(128, 128, 0)},    {"navy", Rgb(0, 0, 128)},     {"purple", Rgb(128, 0, 128)},
      {"teal", Rgb(0, 128, 128)},     {"gray", Rgb(128, 128, 128)}, {"silver", Rgb(192, 192, 192)},
      {"red", Rgb(255, 0, 0)},        {"lime", Rgb(0, 255, 0)},     {"yellow", Rgb(255, 255, 0)},
      {"blue", Rgb(0, 0, 255)},       {"fuchsia", Rgb(255, 0, 255)}, {"aqua", Rgb(0, 255, 255)},
      {"white", Rgb(255, 255, 255)},
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
  for (const auto& [t, code] : borders) EXPECT_EQ(BorderStyleCodeOf(t), code) << t;

  EXPECT_EQ(ListStyleCodeOf("upper-roman"), lsUpperRoman);
  EXPECT_EQ(ListStyleCodeOf("disc"), lsDisc);
  EXPECT_EQ(ListStyleCodeOf("armenian"), lsBlank);

  EXPECT_EQ(MapGenericFamily("Sans-Serif"), "Arial");
  EXPECT_EQ(MapGenericFamily("monospace"), "Courier New");
  EXPECT_EQ(MapGenericFamily("serif"), "Times New Roman");
  EXPECT_EQ(MapGenericFamily("cursive"), "Lucida Handwriting");
  EXPECT_EQ(MapGenericFamily("Verdana"), "Verdana");

  EXPECT_EQ(VerticalAlignOf("text-top"), TVerticalAlign::Top);
  EXPECT_EQ(VerticalAlignOf("super"), TVerticalAlign::Superscript);
  EXPECT_EQ(VerticalAlignOf("text-bottom"), std::nullopt);
  EXPECT_EQ(ClearSideOf("both"), TSide::Both);
  EXPECT_EQ(FloatSideOf("both"), TSide::None);
  EXPECT_EQ(PositionKindOf("fixed"), TPositionKind::Static);
  EXPECT_EQ(PositionKindOf("Relative"), TPositionKind::Relative);
}

TEST(HtmlStyleConvert, HtmlFontSizesScaleWithTheDefault) {
  EXPECT_DOUBLE_EQ(HtmlFontSizePoints(3, false, 12), 12);
  EXPECT_DOUBLE_EQ(HtmlFontSizePoints(7, false, 12), 36);
  EXPECT_DOUBLE_EQ(HtmlFontSizePoints(7, true, 12), 30);
  EXPECT_DOUBLE_EQ(HtmlFontSizePoints(1, true, 12), 7);
  EXPECT_DOUBLE_EQ(HtmlFontSizePoints(5, false, 16), 24);
  EXPECT_DOUBLE_EQ(HtmlFontSizePoints(0, false, 12), 8);  // out of range clamps
  EXPECT_DOUBLE_EQ(HtmlFontSizePoints(9, false, 12), 36);
}

}  // namespace
}  // namespace lumora::html
