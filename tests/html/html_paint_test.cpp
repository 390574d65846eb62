// Painting laid-out pages onto the recording canvas: what is drawn, where, in which colours and order.
// Fixed metrics: the default font is 16 pixels high, 8 pixels a character, descent 4.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "html/html_blocks.h"
#include "html/html_document.h"
#include "html/html_paint.h"
#include "html/html_parser.h"
#include "html/html_section.h"
#include "html/support/fixed_host.h"
#include "html/support/recording_canvas.h"

namespace lumora::html {
namespace {

using testing::TFixedHost;
using testing::TRecordingCanvas;

// A page built, laid out 600 pixels wide and painted; Pictures are the host's images by upper-cased path.
struct TPainted {
  explicit TPainted(const std::string& Html, std::map<std::string, TImageAnswer> Pictures = {}, int Width = 600)
      : doc(std::make_unique<TSectionList>(&host.Host)), canvas(host.Metrics) {
    host.Images.Images = std::move(Pictures);
    doc->DocumentPath = "/pub/page.htm";
    doc->SetDefaults();
    ParseHtmlText(Html, *doc);
    int scrollWidth = 0;
    doc->LayOut(host.Metrics, 600, Width, scrollWidth);
  }
  const std::vector<std::string>& paint(TRect Clip = {0, 0, 600, 600}, int YOffset = 0) {
    canvas.Lines.clear();
    doc->Paint(canvas, host.Metrics, Clip, 0, YOffset);
    return canvas.Lines;
  }
  // The calls that start with Prefix.
  std::vector<std::string> calls(const std::string& Prefix) const {
    std::vector<std::string> out;
    for (const std::string& l : canvas.Lines)
      if (l.rfind(Prefix, 0) == 0) out.push_back(l);
    return out;
  }
  // The first text call that draws Text.
  std::string text(const std::string& Text) const {
    for (const std::string& l : canvas.Lines)
      if (l.rfind("drawText", 0) == 0 && l.find("\"" + Text + "\"") != std::string::npos) return l;
    return "(no text \"" + Text + "\")";
  }
  size_t indexOf(const std::string& Needle) const {
    for (size_t i = 0; i < canvas.Lines.size(); ++i)
      if (canvas.Lines[i].find(Needle) != std::string::npos) return i;
    return canvas.Lines.size();
  }

  TFixedHost host;
  std::unique_ptr<TSectionList> doc;
  TRecordingCanvas canvas;
};

TEST(HtmlPaint, TextRunsAtTheirBaselinesWithSelectionColours) {
  // Body margins 10 x 5 (the viewer's defaults): the line's cell starts at y 5, characters at x 10.
  TPainted page("<p>one two three</p>");
  page.paint();
  EXPECT_EQ(page.text("one two three"), "drawText 10,5 Times New Roman/16 #000000 \"one two three\" 8,8,8,8,8,8,8,8,8,8,8,8,8 bg=none");
  // "two" selected: drawn on the text colour in the inverse colour; the pieces around it stay as they were.
  page.doc->SelStart = 4;
  page.doc->SelEnd = 7;
  page.paint();
  EXPECT_EQ(page.text("one "), "drawText 10,5 Times New Roman/16 #000000 \"one \" 8,8,8,8 bg=none");
  EXPECT_EQ(page.text("two"), "drawText 42,5 Times New Roman/16 #ffffff \"two\" 8,8,8 bg=#000000");
  EXPECT_EQ(page.text(" three"), "drawText 66,5 Times New Roman/16 #000000 \" three\" 8,8,8,8,8,8 bg=none");

  // A selected run with a background colour shows that colour as its text.
  TPainted marked("<p><span style=\"background-color: #ffff00\">lit</span></p>");
  marked.paint();
  EXPECT_NE(marked.text("lit").find("#000000 \"lit\" 8,8,8 bg=#ffff00"), std::string::npos) << marked.text("lit");
  marked.doc->SelStart = 0;
  marked.doc->SelEnd = 3;
  marked.paint();
  EXPECT_NE(marked.text("lit").find("#ffff00 \"lit\" 8,8,8 bg=#000000"), std::string::npos) << marked.text("lit");
}

TEST(HtmlPaint, SuperscriptsRiseSubscriptsSinkAndTheCaretIsABar) {
  // The 12-pixel runs of SUP and SUB (descent 3) on the 16-pixel line whose baseline is at 17: their cells
  // start at 8, raised by 12 / 3 or lowered by 3 / 2 + 1.
  TPainted page("<p>a<sup>b</sup><sub>c</sub></p>");
  page.paint();
  EXPECT_NE(page.text("b").find("drawText 18,4 "), std::string::npos) << page.text("b");
  EXPECT_NE(page.text("c").find("drawText 24,10 "), std::string::npos) << page.text("c");
  page.doc->ShowDummyCaret = true;
  page.doc->SelStart = page.doc->SelEnd = 1;
  page.paint();
  EXPECT_EQ(page.calls("fillRect"), (std::vector<std::string>{"fillRect 18,5-19,21 #000000"}));
}

TEST(HtmlPaint, JustifiedLinesStretchTheirSpacesButNotTheLastLine) {
  // 166 pixels of room: the first line is "aaa bbb ccc ddd eee" (152 pixels).
  TPainted page("<p style=\"text-align: justify; width: 166px\">aaa bbb ccc ddd eee fff</p>");
  page.paint();
  const std::vector<std::string> texts = page.calls("drawText");
  ASSERT_EQ(texts.size(), 2u);
  // 14 extra pixels over 4 spaces: 4, 4, 3 and 3, the first ones taking the remainder.
  EXPECT_NE(texts[0].find("\"aaa bbb ccc ddd eee\" 8,8,8,12,8,8,8,12,8,8,8,11,8,8,8,11,8,8,8 "), std::string::npos)
      << texts[0];
  EXPECT_NE(texts[1].find("\"fff\" 8,8,8 "), std::string::npos) << texts[1];
}

TEST(HtmlPaint, ASoftHyphenBreakShowsAHyphen) {
  TPainted page("<p style=\"width: 48px\">abcd&shy;efgh</p>");
  page.paint();
  const std::vector<std::string> texts = page.calls("drawText");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[0].find("\"abcd-\" 8,8,8,8,8 "), std::string::npos) << texts[0];
  EXPECT_NE(texts[1].find("\"efgh\""), std::string::npos) << texts[1];
}

TEST(HtmlPaint, InlineBordersBreakOpenWhereTheElementContinuesOnTheNextLine) {
  // 10 characters a line: "ab cdef gh" then "ij": the span "cdef gh ij" runs over both lines.
  TPainted page("<p style=\"width: 80px\">ab <span style=\"border: 2px solid #cc0000; background-color: #ffff00\">"
                "cdef gh ij</span></p>");
  page.paint();
  // Line 1 from x 34 (after "ab ") to its end, cells 5..21; line 2 "ij" from 10 to 26, 21..37.
  EXPECT_LT(page.indexOf("fillRect 34,5-90,21 #ffff00"), page.indexOf("\"ab cdef gh\""));
  EXPECT_LT(page.indexOf("fillRect 10,21-26,37 #ffff00"), page.indexOf("\"ij\""));
  std::vector<std::string> sides;
  for (const std::string& l : page.calls("drawPolygon"))
    if (l.find("fill=#cc0000") != std::string::npos) sides.push_back(l.substr(0, l.find(" fill")));
  // Three sides each: the first line has no right border, the second no left one.
  EXPECT_EQ(sides, (std::vector<std::string>{
                       "drawPolygon 32,3 34,5 34,21 32,23", "drawPolygon 32,3 90,3 90,5 34,5", "drawPolygon 32,23 34,21 90,21 90,23",
                       "drawPolygon 10,19 28,19 26,21 10,21", "drawPolygon 28,19 28,39 26,37 26,21", "drawPolygon 10,39 10,37 26,37 28,39"}));
}

TEST(HtmlPaint, TableFramesLeaveEmptyCellsOut) {
  // BORDER=1: the table's raised frame and a sunken 1-pixel frame per cell with content; the light colour
  // is silver on a white page and the dark one the button shadow.
  const auto shadows = [](const std::string& Html) {
    TPainted page(Html);
    page.paint();
    size_t n = 0;
    for (const std::string& l : page.calls("fillRect"))
      if (l.find("sys:16") != std::string::npos) ++n;
    return n;
  };
  // Two sides of each frame are dark: the table's right and bottom, each framed cell's left and top.
  EXPECT_EQ(shadows("<table border=1><tr><td>a</td><td>b</td></tr></table>"), 6u);
  EXPECT_EQ(shadows("<table border=1><tr><td>a</td><td></td></tr></table>"), 4u);
  EXPECT_EQ(shadows("<table><tr><td>a</td><td>b</td></tr></table>"), 0u);
}

TEST(HtmlPaint, DashedBorderShowsTheBackgroundInItsGaps) {
  TPainted page("<div style=\"border: 2px dashed #ff0000; background-color: #00ff00\">x</div>");
  page.paint();
  const std::vector<std::string>& lines = page.canvas.Lines;
  // Padding box filled first, then the ring under the dashes, then the content, then four dashed sides.
  const size_t fill = page.indexOf("fillRect 12,7-588,23 #00ff00");
  const size_t ring = page.indexOf("drawPolygon 10,5 12,7 12,23 10,25 fill=#00ff00");
  const size_t text = page.indexOf("drawText");
  ASSERT_LT(fill, lines.size());
  ASSERT_LT(ring, lines.size());
  EXPECT_LT(fill, text);
  EXPECT_LT(text, ring);  // borders go over the content
  const std::vector<std::string> dashes = page.calls("drawLine");
  ASSERT_EQ(dashes.size(), 4u);
  for (const std::string& d : dashes) EXPECT_NE(d.find("#ff0000 w=2 dash"), std::string::npos) << d;
  EXPECT_EQ(dashes[0], "drawLine 11,5 11,25 #ff0000 w=2 dash");   // left, centred on its two pixels
  EXPECT_EQ(dashes[3], "drawLine 10,24 590,24 #ff0000 w=2 dash");  // bottom
}

TEST(HtmlPaint, BackgroundPicturesCentredOnceOrTiledFromAnOriginOutsideTheBox) {
  const std::map<std::string, TImageAnswer> pictures{{"/PUB/DOT.PNG", testing::solidPicture(20, 10)}};
  // The padding box is 580 x 40 at (10, 5): centred, the picture sits at (290, 20).
  TPainted once("<div style=\"height: 40px; background-image: url(dot.png); background-repeat: no-repeat; "
                "background-position: center\"></div>",
                pictures);
  once.paint();
  const std::vector<std::string> drawn = once.calls("drawImage");
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0], "drawImage 20x10 nomask src=0,0-20,10 dest=290,20-310,30");

  TPainted tiled("<div style=\"height: 40px; background-image: url(dot.png); background-position: center\"></div>",
                 pictures);
  tiled.paint();
  const std::vector<std::string> tiles = tiled.calls("drawImage");
  // The centred tile is at 280 across the box, a whole number of tiles from its left edge: 29 columns
  // from x 10. Down, the centred row is at 15 in the box, so rows start 5 pixels above it: 5 rows.
  EXPECT_EQ(tiles.size(), 29u * 5u);
  EXPECT_EQ(tiles.front(), "drawImage 20x10 nomask src=0,0-20,10 dest=10,0-30,10");
  EXPECT_NE(std::find(tiles.begin(), tiles.end(), "drawImage 20x10 nomask src=0,0-20,10 dest=290,20-310,30"), tiles.end());
  EXPECT_EQ(tiled.indexOf("pushClip 10,5-590,45"), tiled.indexOf("pushClip"));  // clipped to the padding box
}

TEST(HtmlPaint, PlaceholdersOfPicturesThatAreNotThere) {
  // 20 x 20: only the frame and the ALT text, no sign.
  TPainted small("<img src=\"gone.png\" alt=\"Gone\" width=20 height=20>");
  small.paint();
  EXPECT_TRUE(small.calls("drawImage").empty());
  EXPECT_NE(small.text("Gone").find("Arial/11"), std::string::npos) << small.text("Gone");
  EXPECT_EQ(small.calls("fillRect").size(), 4u);  // the sunken frame's four lines
  // 40 x 40: the error sign 4 pixels in from the corner.
  TPainted large("<img src=\"gone.png\" width=40 height=40>");
  large.paint();
  const std::vector<std::string> signs = large.calls("drawImage");
  ASSERT_EQ(signs.size(), 1u);
  const TFloatingObj& box = *dynamic_cast<const TSection&>(*large.doc->BodyBlock->MyCell->Items.front()).Images.front();
  EXPECT_EQ(signs[0], "drawImage 16x16 mask src=0,0-16,16 dest=" + testing::rectText({box.DrawX + 4, box.DrawY + 4,
                                                                                      box.DrawX + 20, box.DrawY + 20}));
  // A picture that is there is stretched to its box; inside a link it gets a border in the link colour.
  TPainted linked("<a href=\"x.htm\"><img src=\"pic.png\" width=30 height=20></a>",
                  {{"/PUB/PIC.PNG", testing::solidPicture(3, 2)}});
  linked.paint();
  const std::vector<std::string> pictures = linked.calls("drawImage");
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_NE(pictures[0].find("3x2 nomask src=0,0-3,2"), std::string::npos);
  EXPECT_EQ(linked.calls("frameRect").size(), 1u);
  EXPECT_NE(linked.calls("frameRect")[0].find("w=1 solid"), std::string::npos);
}

TEST(HtmlPaint, PositionedBlocksPaintInZIndexOrder) {
  TPainted page("<div style=\"position: absolute; left: 10px; top: 10px; width: 50px; height: 20px; z-index: 2; "
                "background-color: #ff0000\"></div>"
                "<div style=\"position: absolute; left: 30px; top: 20px; width: 50px; height: 20px; z-index: 1; "
                "background-color: #0000ff\"></div><p>flow</p>");
  page.paint();
  const size_t red = page.indexOf("#ff0000"), blue = page.indexOf("#0000ff"), flow = page.indexOf("\"flow\"");
  ASSERT_LT(red, page.canvas.Lines.size());
  ASSERT_LT(blue, page.canvas.Lines.size());
  EXPECT_LT(flow, blue);
  EXPECT_LT(blue, red);
}

TEST(HtmlPaint, OnlyWhatMeetsTheClipRectangleIsDrawn) {
  std::string html;
  for (int i = 0; i < 200; ++i) html += "<p>line " + std::to_string(i) + "</p>";
  html += "<p>FARAWAY</p>";
  TPainted page(html);
  page.paint({0, 0, 600, 100});
  EXPECT_EQ(page.text("FARAWAY"), "(no text \"FARAWAY\")");
  EXPECT_LT(page.calls("drawText").size(), 10u);
  // Scrolled to the end, the last paragraph is drawn and the first ones are not.
  page.paint({0, 0, 600, 100}, page.doc->DocumentHeight - 60);
  EXPECT_NE(page.text("FARAWAY"), "(no text \"FARAWAY\")");
  EXPECT_EQ(page.text("line 0"), "(no text \"line 0\")");
}

TEST(HtmlPaint, BorderStylesAndFrames) {
  FixedMetricsPlatform metrics;
  TRecordingCanvas canvas(metrics);
  // Inset: left and top darkened (0.75), right and bottom in the colour; one-pixel sides as lines.
  DrawBorder(canvas, {0, 0, 10, 10}, {1, 1, 9, 9}, kColorNone, {kBorderInset, kBorderInset, kBorderInset, kBorderInset},
             {0x808080, 0x808080, 0x808080, 0x808080});
  EXPECT_EQ(canvas.Lines, (std::vector<std::string>{"fillRect 0,0-1,10 #606060", "fillRect 0,0-10,1 #606060",
                                                    "fillRect 9,0-10,10 #808080", "fillRect 0,9-10,10 #808080"}));
  // Double: the outer and inner thirds of a 3-pixel side; ridge: outer half light, inner half dark on the left.
  canvas.Lines.clear();
  DrawBorder(canvas, {0, 0, 30, 30}, {3, 3, 27, 27}, kColorNone, {kBorderDouble, kBorderNone, kBorderNone, kBorderNone},
             {0x0000ff, 0, 0, 0});
  EXPECT_EQ(canvas.Lines, (std::vector<std::string>{"fillRect 0,0-1,30 #ff0000", "fillRect 2,2-3,28 #ff0000"}));
  canvas.Lines.clear();
  DrawBorder(canvas, {0, 0, 30, 30}, {4, 4, 26, 26}, kColorNone, {kBorderRidge, kBorderNone, kBorderNone, kBorderNone},
             {0xc8c8c8, 0, 0, 0});
  EXPECT_EQ(canvas.Lines, (std::vector<std::string>{"drawPolygon 0,0 2,2 2,28 0,30 fill=#c8c8c8 line=none",
                                                    "drawPolygon 2,2 4,4 4,26 2,28 fill=#969696 line=none"}));
  EXPECT_EQ(Darken(canvas, 0xFFFFFF), 0xBFBFBF);
  // Very tall boxes are clamped before drawing.
  canvas.Lines.clear();
  DrawRaisedFrame(canvas, {0, -100000, 10, 100000}, 1, true, 0x000000, 0xFFFFFF);
  EXPECT_EQ(canvas.Lines.front(), "fillRect 0,-200-10,-199 #ffffff");
}

}  // namespace
}  // namespace lumora::html
