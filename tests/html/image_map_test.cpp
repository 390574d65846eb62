// Client-side image maps: area shapes, coordinates and the order in which areas answer a point.

#include <gtest/gtest.h>

#include "html/image_map.h"

namespace lumora::html {
namespace {

std::vector<TAreaAttribute> area(std::initializer_list<std::pair<const char*, const char16_t*>> attributes) {
  std::vector<TAreaAttribute> out;
  for (const auto& [name, value] : attributes) out.push_back({name, value});
  return out;
}

// The pixels of the map's first area inside a 30 x 30 image, row by row.
std::vector<std::pair<int, int>> covered(const TMapItem& map) {
  std::vector<std::pair<int, int>> pixels;
  std::u16string title;
  TMapLink link;
  for (int y = -2; y < 30; ++y)
    for (int x = -2; x < 30; ++x)
      if (map.AreaAtPoint(x, y, title, link)) pixels.push_back({x, y});
  return pixels;
}

TEST(ImageMap, ShapesCoverTheirPixels) {
  TMapItem rect(u"r");
  rect.AddArea(area({{"HREF", u"a.htm"}, {"SHAPE", u"rect"}, {"COORDS", u"0, 0, 9, 9"}}));
  auto pixels = covered(rect);
  EXPECT_EQ(pixels.size(), 100u);
  EXPECT_EQ(pixels.front(), std::make_pair(0, 0));
  EXPECT_EQ(pixels.back(), std::make_pair(9, 9));

  TMapItem circle(u"c");
  circle.AddArea(area({{"href", u"a.htm"}, {"shape", u"circle"}, {"coords", u"10,10,5"}}));
  pixels = covered(circle);
  auto inside = [&pixels](int x, int y) {
    return std::find(pixels.begin(), pixels.end(), std::make_pair(x, y)) != pixels.end();
  };
  // The ellipse inscribed in the box (5, 5) to (15, 15), both corners inclusive.
  for (auto [x, y] : {std::pair{5, 10}, {15, 10}, {10, 5}, {10, 15}, {10, 10}}) EXPECT_TRUE(inside(x, y)) << x << "," << y;
  for (auto [x, y] : {std::pair{4, 10}, {16, 10}, {10, 16}, {5, 5}, {15, 15}}) EXPECT_FALSE(inside(x, y)) << x << "," << y;
  for (const auto& [x, y] : pixels) EXPECT_TRUE(x >= 5 && x <= 15 && y >= 5 && y <= 15);

  TMapItem triangle(u"t");
  triangle.AddArea(area({{"HREF", u"a.htm"}, {"SHAPE", u"polygon"}, {"COORDS", u"0,0 20,0 0,20"}}));
  pixels = covered(triangle);
  EXPECT_EQ(pixels.size(), 190u);  // 19 + 18 + ... + 1 pixel centres strictly below the diagonal
  TMapItem bowtie(u"w");
  // Overlapping loops: the winding rule fills the doubly wound part too.
  bowtie.AddArea(area({{"HREF", u"a.htm"}, {"SHAPE", u"poly"}, {"COORDS", u"0,0,10,0,10,10,0,10,0,0,10,0,10,10,0,10"}}));
  EXPECT_EQ(covered(bowtie).size(), 100u);
}

TEST(ImageMap, ShapeNamesAndCoordinateCounts) {
  struct Case {
    const char16_t* shape;
    const char16_t* coords;
    bool added;
  } cases[] = {
      {u"circ", u"10,10,5", true},        {u"CIRCLE", u"1,2", false},     {u"poly", u"1,2,3,4,5", false},
      {u"polygon", u"0,0,9,0,9,9,1", true}, {u"rectangle", u"1,2,3", false}, {u"", u"1,2,3,4", true},
      {u"star", u"1, 2, 3, 4", true},
  };
  for (const Case& c : cases) {
    TMapItem map(u"m");
    map.AddArea(area({{"HREF", u"x"}, {"SHAPE", c.shape}, {"COORDS", c.coords}}));
    EXPECT_EQ(map.areaCount(), c.added ? 1u : 0u) << std::string(c.coords, c.coords + std::char_traits<char16_t>::length(c.coords));
  }
  // Seven numbers: the first three points.
  TMapItem seven(u"m");
  seven.AddArea(area({{"HREF", u"x"}, {"SHAPE", u"poly"}, {"COORDS", u"0,0,20,0,0,20,99"}}));
  EXPECT_EQ(covered(seven).size(), 190u);
}

TEST(ImageMap, CoordinateParsing) {
  struct Case {
    const char16_t* text;
    std::vector<int> numbers;
  } cases[] = {
      {u"1,2,3", {1, 2, 3}},         {u"  4 5  6 ", {4, 5, 6}},    {u"7, ,8,,9", {7, 8, 9}},
      {u"1.5,x,-3", {0, 0, -3}},     {u"", {}},                     {u"123456789012345678901234", {0}},
  };
  for (const Case& c : cases) EXPECT_EQ(TMapItem::parseCoords(c.text), c.numbers);
  std::u16string many;
  for (int i = 0; i < 400; ++i) many += u"1,";
  EXPECT_EQ(TMapItem::parseCoords(many).size(), 301u);
}

TEST(ImageMap, FirstAreaDecidesAndNohrefHides) {
  TMapItem map(u"Nav");
  EXPECT_EQ(map.MapName(), u"NAV");
  map.AddArea(area({{"HREF", u"dead.htm"}, {"NOHREF", u""}, {"COORDS", u"0,0,9,9"}}));
  map.AddArea(area({{"HREF", u"b.htm"}, {"TARGET", u"main"}, {"TITLE", u"Bee"}, {"COORDS", u"5,0,19,9"}}));
  map.AddArea(area({{"NOHREF", u""}, {"HREF", u"c.htm"}, {"COORDS", u"0,10,9,19"}}));
  std::u16string title;
  TMapLink link;
  EXPECT_FALSE(map.AreaAtPoint(7, 5, title, link));  // the NOHREF area hides b.htm here
  ASSERT_TRUE(map.AreaAtPoint(12, 5, title, link));
  EXPECT_EQ(link.Url, u"b.htm");
  EXPECT_EQ(link.Target, u"main");
  EXPECT_EQ(title, u"Bee");
  ASSERT_TRUE(map.AreaAtPoint(0, 19, title, link));  // HREF after NOHREF sets the link again
  EXPECT_EQ(link.Url, u"c.htm");
  EXPECT_FALSE(map.AreaAtPoint(25, 25, title, link));
}

TEST(ImageMap, AtMostAThousandAreas) {
  TMapItem map(u"m");
  for (int i = 0; i < 1005; ++i) map.AddArea(area({{"HREF", u"x"}, {"COORDS", u"0,0,1,1"}}));
  EXPECT_EQ(map.areaCount(), 1000u);
}

}  // namespace
}  // namespace lumora::html
