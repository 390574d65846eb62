// Layout with the fixed metrics: the default font is 16 pixels high with a descent of 4 and every character
// 8 pixels wide; the body's margins are 10 pixels left and right and 5 above and below.

#include <gtest/gtest.h>

#include "html/html_layout_support.h"
#include "html/html_table.h"

namespace lumora::html {
namespace {

using testing::TLaidOut;

struct Expect {
  const char* label;
  std::string html;
  int width;
  std::function<int(const TLaidOut&)> value;
  int expected;
};

int top(const TBlock& b) { return b.BorderBox.Top; }
int left(const TBlock& b) { return b.BorderBox.Left; }
int width(const TBlock& b) { return b.BorderBox.Right - b.BorderBox.Left; }

TEST(HtmlLayout, BlocksAndMargins) {
  const Expect cases[] = {
      {"an empty document is the body's margins", "", 300, [](const TLaidOut& l) { return l.height; }, 10},
      {"the first paragraph has no top margin", "<p>a<p>b", 300, [](const TLaidOut& l) { return top(l.block("p")); }, 5},
      {"paragraph margins collapse to 14", "<p>a<p>b", 300, [](const TLaidOut& l) { return top(l.block("p", 1)); },
       5 + 16 + 14},
      {"a negative margin takes off the other", "<p style=\"margin-bottom:20px\">a</p><p style=\"margin-top:-10px\">b",
       300, [](const TLaidOut& l) { return top(l.block("p", 1)); }, 21 + 10},
      {"text-align centres a narrower block", "<div style=\"width:200px;text-align:center\">x</div>", 620,
       [](const TLaidOut& l) { return left(l.block("div")); }, 10 + 200},
      {"auto margins centre", "<div style=\"width:300px;margin-left:auto;margin-right:auto\">x</div>", 620,
       [](const TLaidOut& l) { return left(l.block("div")); }, 10 + 150},
      {"a centred block keeps its width", "<div style=\"width:200px;text-align:center\">x</div>", 620,
       [](const TLaidOut& l) { return width(l.block("div")); }, 200},
      {"its text is centred in it", "<div style=\"width:200px;text-align:center\">x</div>", 620,
       [](const TLaidOut& l) { return l.line("x").X; }, 210 + (200 - 8) / 2},
      {"display none takes no room", "<p>a</p><p style=\"display:none\">b</p><p>c", 300,
       [](const TLaidOut& l) { return l.line("c").Y; }, 5 + 16 + 14},
      {"visibility hidden keeps its room", "<p>a</p><p style=\"visibility:hidden\">b</p><p>c", 300,
       [](const TLaidOut& l) { return l.line("c").Y; }, 5 + 16 + 14 + 16 + 14},
      {"text-indent moves the first line", "<p style=\"text-indent:20px\">a b", 300,
       [](const TLaidOut& l) { return l.line("a b").X; }, 30},
      {"a nested list right after text has no top margin", "<ul><li>text<ul><li>inner</ul></ul>", 300,
       [](const TLaidOut& l) { return top(l.block("ul", 1)); }, 5 + 16},
      {"an LI outside a list is indented 16", "<li>x", 300, [](const TLaidOut& l) { return l.line("x").X; }, 26},
      {"HR WIDTH=50% ALIGN=right meets the right edge", "<hr width=50% align=right>", 420,
       [](const TLaidOut& l) { return left(l.block("hr")); }, 10 + 200},
      {"HR WIDTH=50% is half the width", "<hr width=50% align=right>", 420,
       [](const TLaidOut& l) { return width(l.block("hr")); }, 200},
  };
  for (const Expect& c : cases) {
    const TLaidOut laid(c.html, c.width);
    EXPECT_EQ(c.value(laid), c.expected) << c.label;
  }
}

TEST(HtmlLayout, LinesAndBreaks) {
  const Expect cases[] = {
      {"a word with a soft hyphen breaks there", "<p>aaaa&shy;bbbb", 70,
       [](const TLaidOut& l) { return l.line("aaaa").Hyphen ? l.line("aaaa").W : -1; }, 32 + 8},
      {"the rest of the word goes on the next line", "<p>aaaa&shy;bbbb", 70,
       [](const TLaidOut& l) { return l.line("bbbb").Y; }, 21},
      {"no hyphen where the word fits", "<p>aaaa&shy;bbbb", 300,
       [](const TLaidOut& l) { return l.line("aaaabbbb").Hyphen ? 1 : 0; }, 0},
      {"NOBR text overflows rather than breaks", "<nobr>aaa bbb ccc</nobr>", 60,
       [](const TLaidOut& l) { return l.line("aaa bbb ccc").W; }, 88},
      {"CJK breaks between any two characters",
       "<p>\xE4\xB8\x80\xE4\xBA\x8C\xE4\xB8\x89\xE5\x9B\x9B\xE4\xBA\x94\xE5\x85\xAD", 60,
       [](const TLaidOut& l) { return static_cast<int>(l.lines().size()); }, 2},
      {"a BR ends the line", "a<br>b", 300, [](const TLaidOut& l) { return l.line("b").Y; }, 21},
      {"line-height 30 with a 16-pixel line: 7 above", "<p style=\"line-height:30px\">a", 300,
       [](const TLaidOut& l) { return l.line("a").Baseline; }, 5 + 7 + 16 - 4},
      {"line-height 30 with a 16-pixel line: 30 high", "<p style=\"line-height:30px\">a", 300,
       [](const TLaidOut& l) { return l.line("a").H; }, 30},
      {"line-height 30 with a 17-pixel line: 6 above", "<p style=\"line-height:30px; font-size:17px\">a", 300,
       [](const TLaidOut& l) { return l.line("a").Baseline; }, 5 + 6 + 17 - 4},
      {"justified lines spread the room over their spaces", "<p align=justify>aa bb cc dd ee ff", 100,
       [](const TLaidOut& l) { return l.line("aa bb cc").Extra; }, 80 - 64},
      {"over all spaces but the last character", "<p align=justify>aa bb cc dd ee ff", 100,
       [](const TLaidOut& l) { return l.line("aa bb cc").Spaces; }, 2},
      {"the last line is not stretched", "<p align=justify>aa bb cc dd ee ff", 100,
       [](const TLaidOut& l) { return l.line("dd ee ff").Extra; }, 0},
      {"right alignment", "<p align=right>abc", 300, [](const TLaidOut& l) { return l.line("abc").X; }, 290 - 24},
  };
  for (const Expect& c : cases) {
    const TLaidOut laid(c.html, c.width);
    EXPECT_EQ(c.value(laid), c.expected) << c.label;
  }
}

TEST(HtmlLayout, FloatsAndObjects) {
  const std::string word(30, 'x');
  const Expect cases[] = {
      {"text flows beside a left float (its spaces 3 each side)",
       "<img src=a.gif width=100 height=50 align=left>aaa bbb", 300,
       [](const TLaidOut& l) { return l.line("aaa bbb").X; }, 10 + 3 + 100 + 3},
      {"the float sits at the left edge plus its space", "<img src=a.gif width=100 height=50 align=left>aaa", 300,
       [](const TLaidOut& l) { return l.images().at(0)->DrawX; }, 13},
      {"the document reaches down to the float", "<img src=a.gif width=100 height=50 align=left>aaa", 300,
       [](const TLaidOut& l) { return l.height; }, 5 + 50 + 5},
      {"an overlong word moves below the float", "<img src=a.gif width=100 height=40 align=left>" + word, 300,
       [&](const TLaidOut& l) { return l.line(word).Y; }, 45},
      {"and starts at the left edge there", "<img src=a.gif width=100 height=40 align=left>" + word, 300,
       [&](const TLaidOut& l) { return l.line(word).X; }, 10},
      {"without floats it overflows", word, 100, [&](const TLaidOut& l) { return l.line(word).W; }, 240},
      {"a middle-aligned 40-pixel image adds 12 above and 12 below",
       "<img src=a.gif width=10 height=40 align=middle>x", 300, [](const TLaidOut& l) { return l.line("x").H; },
       40},
      {"and sits at the line's top", "<img src=a.gif width=10 height=40 align=middle>x", 300,
       [](const TLaidOut& l) { return l.images().at(0)->DrawY; }, 5},
      {"BR CLEAR leaves the room down to the float (80 above its clear bottom: 79)",
       "<img src=a.gif width=10 height=95 align=left>x<br clear=left>y", 300,
       [](const TLaidOut& l) { return l.line("y").Y; }, 21 + 79},
      {"clear: both starts below the taller float",
       "<img src=a.gif width=50 height=30 align=left><img src=b.gif width=50 height=60 align=right>"
       "<p style=\"clear:both\">after",
       300, [](const TLaidOut& l) { return top(l.block("p")) >= 65 ? 1 : 0; }, 1},
  };
  for (const Expect& c : cases) {
    const TLaidOut laid(c.html, c.width);
    EXPECT_EQ(c.value(laid), c.expected) << c.label;
  }
}

TEST(HtmlLayout, ListMarkers) {
  const TLaidOut roman("<ol start=5 type=I><li>a<li>b</ol><ol type=a start=25><li>y<li>z<li>beyond</ol>", 300);
  const auto items = roman.blocks("li");
  ASSERT_EQ(items.size(), 5u);
  std::vector<std::string> markers;
  for (const TBlock* item : items) markers.push_back(static_cast<const TBlockLI*>(item)->markerText());
  EXPECT_EQ(markers, (std::vector<std::string>{"V.", "VI.", "y.", "z.", "z."}));
  // The marker stands on the item's first baseline.
  EXPECT_EQ(static_cast<const TBlockLI*>(items[0])->FirstLineHt, roman.line("a").Baseline);
}

const ThtmlTable& table(const TLaidOut& l, size_t index = 0) {
  return *static_cast<const TTableBlock&>(l.block("table", index)).Table;
}

TEST(HtmlLayout, Tables) {
  const Expect cases[] = {
      {"minimums wider than WIDTH win", "<table width=100 cellpadding=0 cellspacing=0><tr><td>aaaaaaaaaa<td>bbbbbbbbbb",
       600, [](const TLaidOut& l) { return table(l).TableWidth; }, 160},
      {"HEIGHT is shared over the rows", "<table height=301 cellspacing=0 cellpadding=0><tr><td>"
       "<div style=\"height:50px\"></div><tr><td><div style=\"height:50px\"></div></table>",
       600, [](const TLaidOut& l) { return table(l).Rows.at(0)->Height; }, 150},
      {"the last row takes the odd pixel", "<table height=301 cellspacing=0 cellpadding=0><tr><td>"
       "<div style=\"height:50px\"></div><tr><td><div style=\"height:50px\"></div></table>",
       600, [](const TLaidOut& l) { return table(l).Rows.at(1)->Height; }, 151},
      {"COLSPAN beyond the grid leaves its columns", "<table><tr><td>a<td>b<tr><td colspan=5>c</table>", 600,
       [](const TLaidOut& l) { return table(l).ColumnCount; }, 2},
      {"and the cell spans them", "<table><tr><td>a<td>b<tr><td colspan=5>c</table>", 600,
       [](const TLaidOut& l) { return table(l).Rows.at(1)->Cells.at(0)->ColSpan; }, 2},
      {"VALIGN=bottom puts the content at the bottom", "<table cellspacing=0 cellpadding=0><tr><td>"
       "<div style=\"height:60px\"></div><td valign=bottom>x</table>",
       600, [](const TLaidOut& l) { return l.line("x").Y; }, 5 + 44},
      {"VALIGN=baseline as well", "<table cellspacing=0 cellpadding=0><tr><td><div style=\"height:60px\"></div>"
       "<td valign=baseline>x</table>",
       600, [](const TLaidOut& l) { return l.line("x").Y; }, 5 + 44},
      {"VALIGN=middle in the middle", "<table cellspacing=0 cellpadding=0><tr><td><div style=\"height:60px\"></div>"
       "<td valign=middle>x</table>",
       600, [](const TLaidOut& l) { return l.line("x").Y; }, 5 + 22},
      {"a nested table's text: x through two spacings and paddings",
       "<table><tr><td><table><tr><td>inner</table></table>", 600, [](const TLaidOut& l) { return l.line("inner").X; },
       10 + 2 + 1 + 2 + 1},
      {"and y", "<table><tr><td><table><tr><td>inner</table></table>", 600,
       [](const TLaidOut& l) { return l.line("inner").Y; }, 5 + 2 + 1 + 2 + 1},
      {"ALIGN=center centres the table by its left margin", "<table align=center width=200><tr><td>x</table>", 620,
       [](const TLaidOut& l) { return left(l.block("table")); }, 10 + 200},
  };
  for (const Expect& c : cases) {
    const TLaidOut laid(c.html, c.width);
    try {
      EXPECT_EQ(c.value(laid), c.expected) << c.label;
    } catch (const std::exception& e) {
      ADD_FAILURE() << c.label << ": " << e.what();
    }
  }
}

}  // namespace
}  // namespace lumora::html
