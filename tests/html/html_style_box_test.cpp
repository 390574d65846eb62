// Box values of a block converted to pixels: margins, paddings, borders, sizes, positions, backgrounds.
#include <gtest/gtest.h>

#include "html/html_style_box.h"

namespace lumora::html {
namespace {

TVMarginArray boxOf(std::initializer_list<std::pair<const char*, const char*>> decls) {
  TProperties p;
  for (const auto& [n, v] : decls) p.SetInlineProperty(n, v);
  TVMarginArray box;
  getVMarginArray(p, box);
  return box;
}

TEST(HtmlStyleBox, BorderWidths) {
  struct Case {
    const char* style;
    const char* width;  // null: not given
    int expected;
  };
  const Case cases[] = {
      {"solid", nullptr, 4}, {"solid", "medium", 4}, {"solid", "thin", 2}, {"solid", "THICK", 6},
      {"solid", "3px", 3},   {"solid", "wide", 4},   {"none", "10px", 0},  {"", "10px", 0},
      {"double", "1em", 10},
  };
  for (const Case& c : cases) {
    TProperties p;
    if (*c.style) p.SetInlineProperty("border-style", c.style);
    if (c.width) p.SetInlineProperty("border-left-width", c.width);
    TVMarginArray box;
    getVMarginArray(p, box);
    TMarginArray v;
    int autos = -1;
    ConvertBoxArray(box, 500, 300, 10, 5, v, autos);
    EXPECT_EQ(v[BorderLeftWidth], c.expected) << c.style << " " << (c.width ? c.width : "-");
  }
}

TEST(HtmlStyleBox, MarginsPaddingsAndSizes) {
  TMarginArray v;
  int autos = -1;
  ConvertBoxArray(boxOf({{"margin-left", "auto"}, {"margin-right", "10%"}, {"padding-top", "2em"},
                         {"width", "50%"}, {"height", "50%"}, {"padding-bottom", "3px"}, {"border-style", "solid"},
                         {"border-top-width", "1px"}, {"border-bottom-width", "thin"}, {"left", "7px"},
                         {"background-color", "red"}}),
                  500, 300, 10, 5, v, autos);
  EXPECT_EQ(v[MarginLeft], kAutoLength);
  EXPECT_EQ(v[MarginRight], 50);
  EXPECT_EQ(v[PaddingTop], 20);
  EXPECT_EQ(v[PaddingLeft], 0);
  EXPECT_EQ(v[Width], 250);
  EXPECT_EQ(v[Height], 150 - 20 - 3 - 1 - 2);  // of the content: paddings and borders come off
  EXPECT_EQ(v[Left], 7);
  EXPECT_EQ(v[Top], kAutoLength);
  EXPECT_EQ(v[BackgroundColor], 255);
  EXPECT_EQ(v[BorderColor], kColorNone);
  EXPECT_EQ(v[BorderTopStyle], 1);
  EXPECT_EQ(autos, 1);

  ConvertBoxArray(boxOf({{"margin-left", "auto"}, {"margin-right", "auto"}}), 500, 300, 10, 5, v, autos);
  EXPECT_EQ(v[Width], kAutoLength);
  EXPECT_EQ(autos, 3);
}

TEST(HtmlStyleBox, VerticalMarginsAndPositions) {
  TProperties p;
  p.setProp(MarginTop, kParagraphSpace);
  p.SetInlineProperty("margin-bottom", "10%");
  p.SetInlineProperty("top", "25%");
  p.SetInlineProperty("right", "12px");
  p.setProp(Left, 3);
  TVMarginArray box;
  getVMarginArray(p, box);
  int top = 0, bottom = 0;
  bool topPara = false, bottomPara = true;
  VerticalMargins(box, 200, 10, 5, top, topPara, bottom, bottomPara);
  EXPECT_EQ(top, 14);
  EXPECT_TRUE(topPara);
  EXPECT_EQ(bottom, 20);
  EXPECT_FALSE(bottomPara);
  std::array<int, 4> pos{};
  BoxPositions(box, 10, 5, pos);
  EXPECT_EQ(pos, (std::array<int, 4>{-25, -1, 12, 3}));

  TProperties none;
  getVMarginArray(none, box);
  VerticalMargins(box, 200, 10, 5, top, topPara, bottom, bottomPara);
  EXPECT_EQ(top, 0);
  EXPECT_EQ(bottom, 0);
}

TEST(HtmlStyleBox, InlineValues) {
  TMarginArray v;
  InlineBoxValues(boxOf({{"margin-left", "1em"}, {"padding-right", "10%"}, {"border-style", "dotted"}}), 300, 10, 5, v);
  EXPECT_EQ(v[MarginLeft], 10);
  EXPECT_EQ(v[MarginTop], 0);
  EXPECT_EQ(v[PaddingRight], 30);
  EXPECT_EQ(v[BorderTopWidth], 4);
  EXPECT_EQ(v[Width], kAutoLength);
}

TEST(HtmlStyleBox, BackgroundPosition) {
  using K = TBackgroundPosition::Kind;
  struct Case {
    const char* position;
    K h;
    int hv;
    K v;
    int vv;
  };
  const Case cases[] = {
      {nullptr, K::Length, 0, K::Length, 0},
      {"center", K::Center, 0, K::Center, 0},
      {"top", K::Center, 0, K::Top, 0},
      {"right", K::RightSide, 0, K::Center, 0},
      {"25%", K::Percentage, 25, K::Center, 0},
      {"10px 20px", K::Length, 10, K::Length, 20},
      {"left bottom", K::LeftSide, 0, K::Bottom, 0},
      {"bottom right", K::RightSide, 0, K::Bottom, 0},
      {"50% left", K::LeftSide, 0, K::Percentage, 50},
      {"top 30%", K::Percentage, 30, K::Top, 0},
  };
  for (const Case& c : cases) {
    TProperties p;
    if (c.position) p.SetInlineProperty("background-position", c.position);
    TBackgroundPosition h, v;
    backgroundPositionOf(p, 10, 5, h, v);
    const char* name = c.position ? c.position : "(unset)";
    EXPECT_EQ(h.PosType, c.h) << name;
    EXPECT_EQ(h.Value, c.hv) << name;
    EXPECT_EQ(v.PosType, c.v) << name;
    EXPECT_EQ(v.Value, c.vv) << name;
  }
  const std::pair<const char*, std::pair<bool, bool>> repeats[] = {
      {"repeat", {true, true}}, {"no-repeat", {false, false}}, {"repeat-x", {true, false}}, {"repeat-y", {false, true}}};
  for (const auto& [r, flags] : repeats) {
    TProperties p;
    p.SetInlineProperty("background-repeat", r);
    p.SetInlineProperty("background-attachment", "fixed");
    TBackgroundPosition h, v;
    backgroundPositionOf(p, 10, 5, h, v);
    EXPECT_EQ(h.RepeatD, flags.first) << r;
    EXPECT_EQ(v.RepeatD, flags.second) << r;
    EXPECT_TRUE(h.Fixed && v.Fixed);
  }
}

}  // namespace
}  // namespace lumora::html
