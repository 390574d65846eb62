#include "skin/hint_markup.h"

#include <gtest/gtest.h>

#include <string>

#include "skin/hint_geometry.h"

namespace lumora::skin {
namespace {

// Every character 6 pixels wide (7 bold), one more per point above 8; lines 13 pixels high at 8 points.
class FixedMetrics : public HintMetrics {
 public:
  int textWidth(const HintFont& font, std::string_view text) const override {
    return static_cast<int>(text.size()) * (6 + (font.Bold ? 1 : 0) + (font.Size - 8));
  }
  int lineHeight(const HintFont& font) const override { return font.Size + 5; }
};

HintLayout layout(const std::string& text) {
  HintFont font;
  font.Face = "MS Sans Serif";
  return layoutHintMarkup(text, font, FixedMetrics());
}

std::string shown(const HintLayout& l) {
  std::string s;
  for (const HintRun& r : l.Runs) s += r.Text;
  return s;
}

TEST(HintMarkup, TwoLinesTheFirstBoldTwoPixelsApart) {
  const HintLayout l = layout("<b>Play</b><br>Open the file and start to play it.");
  ASSERT_EQ(l.Runs.size(), 2u);
  EXPECT_EQ(l.Runs[0].Text, "Play");
  EXPECT_TRUE(l.Runs[0].Font.Bold);
  EXPECT_EQ(l.Runs[0].Y, 0);
  EXPECT_EQ(l.Runs[1].Text, "Open the file and start to play it.");
  EXPECT_FALSE(l.Runs[1].Font.Bold);
  EXPECT_EQ(l.Runs[1].X, 0);
  EXPECT_EQ(l.Runs[1].Y, 13 + 2);
  EXPECT_EQ(l.Width, 35 * 6);
  EXPECT_EQ(l.Height, 15 + 13);
}

TEST(HintMarkup, LineBreaksAndAngleBrackets) {
  struct Case {
    const char* text;
    const char* shown;
    int height;
  } cases[] = {
      // An empty line has no height: the second break adds only its 2 pixels.
      {"a<br><br>b", "ab", 13 + 2 + 2 + 13},
      {"a<p align=center>b", "ab", 13 + 2 + 13},
      {"a\r\nb", "ab", 13},
      {"1 <<<< 2", "1 << 2", 13},
      {"1 <<< 2", "1 <", 13},  // the third "<" opens a tag that never ends
      {"a<<b>c", "a<b>c", 13},
      {"shown <not shown at all", "shown ", 13},
      {"<br>", "", 2},
      {"&lt;i&gt; &amp; &quot;x&quot; &nbsp;", "<i> & \"x\" &nbsp;", 13},
  };
  for (const Case& c : cases) {
    const HintLayout l = layout(c.text);
    EXPECT_EQ(shown(l), c.shown) << c.text;
    EXPECT_EQ(l.Height, c.height) << c.text;
  }
  // "a<<b" draws "a" and then "<b" right after it.
  const HintLayout l = layout("a<<b");
  ASSERT_EQ(l.Runs.size(), 2u);
  EXPECT_EQ(l.Runs[1].Text, "<b");
  EXPECT_EQ(l.Runs[1].X, 6);
}

TEST(HintMarkup, OneLongLineIsNeverWrapped) {
  const std::string text(60, 'w');
  const HintLayout l = layout(text);
  ASSERT_EQ(l.Runs.size(), 1u);
  EXPECT_EQ(l.Width, 360);  // past the 180 pixels of plain hints
  EXPECT_EQ(l.Height, 13);
}

TEST(HintMarkup, FontColorAndSizeUntilTheEndTag) {
  const HintLayout l =
      layout("a<font color=#FF0000>red<font size=+2 color=navy>big</font>red</FONT>b<FONT SIZE=\"-3\">s</font>");
  ASSERT_EQ(l.Runs.size(), 6u);
  EXPECT_EQ(l.Runs[0].Font.Color, 0u);
  EXPECT_EQ(l.Runs[1].Font.Color, 0x0000FFu);  // red as 0x00BBGGRR
  EXPECT_EQ(l.Runs[2].Font.Size, 10);
  EXPECT_EQ(l.Runs[2].Font.Color, 0x800000u);
  EXPECT_EQ(l.Runs[2].X, 6 + 3 * 6);
  EXPECT_EQ(l.Runs[2].Width, 3 * 8);
  EXPECT_EQ(l.Runs[3].Font.Size, 8);
  EXPECT_EQ(l.Runs[3].Font.Color, 0x0000FFu);
  EXPECT_EQ(l.Runs[4].Font.Color, 0u);
  EXPECT_EQ(l.Runs[5].Font.Size, 5);
  EXPECT_EQ(l.Height, 15);  // the tallest run of the line
  // A colour that cannot be read keeps the colour; sizes stay in range; a face is taken between quotes.
  const HintLayout odd = layout("<font color=#F0><font color=zz size=99999999999999 face=\"Arial Black\">x");
  ASSERT_EQ(odd.Runs.size(), 1u);
  EXPECT_EQ(odd.Runs[0].Font.Color, 0x0000F0u);
  EXPECT_EQ(odd.Runs[0].Font.Size, kMaxHintFontSize);
  EXPECT_EQ(odd.Runs[0].Font.Face, "ARIAL BLACK");
}

TEST(HintMarkup, TagsAreKnownByTheirFirstLetters) {
  struct Case {
    const char* text;
    bool bold, italic;
  } cases[] = {
      {"<a href=song.mp3>song.mp3</a>", false, false},  // a link is plain text
      {"<u>x</u>", false, false},
      {"<big>x", true, false},
      {"<img src=a.gif>x", false, true},
      {"<b><i>x", true, true},
      {"<b><i></i></b>x", false, false},
      {"<b></br>x", false, false},
  };
  for (const Case& c : cases) {
    const HintLayout l = layout(c.text);
    ASSERT_EQ(l.Runs.size(), 1u) << c.text;
    EXPECT_EQ(l.Runs[0].Font.Bold, c.bold) << c.text;
    EXPECT_EQ(l.Runs[0].Font.Italic, c.italic) << c.text;
  }
  EXPECT_EQ(shown(layout("<b>About file:</b><br><br>Link: <a href=x.mp3>x.mp3</a>")), "About file:Link: x.mp3");
}

TEST(HintMarkup, ColourWords) {
  struct Case {
    const char* word;
    int64_t value;
  } cases[] = {{"#FF0000", 0x0000FF}, {"#00FF80", 0x80FF00}, {"FF0000", 0xFF0000}, {"RED", 0x0000FF},
               {"AQUA", 0xFFFF00},    {"MAROON", 0x000080},  {"#GG0000", -1},     {"ORANGE", -1},
               {"123456789", -1}};
  for (const Case& c : cases) EXPECT_EQ(hintColorValue(c.word), c.value) << c.word;
}

TEST(HintGeometry, ProgramPresetSizeAndShape) {
  const THintKind kind;
  EXPECT_EQ(hintSize(kind, {100, 28}), (TSize{139, 72}));
  const TComicShape below = comicShape(kind, {139, 72}, 0);
  EXPECT_EQ(below.Body, (TRect{0, 19, 132, 65}));
  EXPECT_EQ(below.Tip, (TPoint{3, 3}));
  EXPECT_EQ(below.BaseLeft, (TPoint{50, 42}));
  EXPECT_EQ(below.BaseRight, (TPoint{82, 42}));
  EXPECT_EQ(hintTextRect(kind, below), (TRect{16, 28, 116, 56}));
  const TComicShape aboveLeft = comicShape(kind, {139, 72}, 3);
  EXPECT_EQ(aboveLeft.Body, (TRect{0, 0, 132, 46}));
  EXPECT_EQ(aboveLeft.Tip, (TPoint{136, 69}));
}

TEST(HintGeometry, OpensAwayFromTheDesktopEdges) {
  const TRect desktop{0, 0, 1000, 800};
  const TSize size{139, 72};
  struct Case {
    TPoint anchor;
    TRect bounds;
    int corner;
  } cases[] = {
      {{500, 300}, {500, 300, 639, 372}, 0},
      {{950, 300}, {811, 300, 950, 372}, 2},  // near the right edge: to the left, pointer on its right
      {{500, 780}, {500, 708, 639, 780}, 1},
      {{990, 790}, {851, 718, 990, 790}, 3},
  };
  for (const Case& c : cases) {
    const THintPlacement p = placeHint(c.anchor, size, desktop);
    EXPECT_EQ(p.Bounds, c.bounds) << c.anchor.X << "," << c.anchor.Y;
    EXPECT_EQ(p.PointerCorner, c.corner) << c.anchor.X << "," << c.anchor.Y;
  }
  EXPECT_EQ(placeHint({500, 300}, size, desktop, TMousePos::mpRightBottom).PointerCorner, 3);
}

TEST(HintGeometry, ShadowAndTransparency) {
  const THintKind kind;
  std::vector<int> greys;
  for (int step = 0; step <= kind.ShadowBlur; ++step) greys.push_back(shadowGrey(kind, step));
  EXPECT_EQ(greys, (std::vector<int>{229, 204, 178, 153, 127}));
  EXPECT_EQ(hintOpacity(kind), 230);
  const std::vector<int> fade = fadeInSteps(kind);
  ASSERT_EQ(fade.size(), 10u);
  EXPECT_EQ(fade.front(), 23);
  EXPECT_EQ(fade.back(), 230);
  EXPECT_EQ(roundHalfEven(2.5), 2);
  EXPECT_EQ(roundHalfEven(3.5), 4);
}

}  // namespace
}  // namespace lumora::skin
