// Hit testing, selection and search over pages laid out with the fixed metrics: the default font is 16
// pixels high with every character 8 pixels wide; the body's margins are 10 pixels left and right and 5
// above, so the first line of a page starts at (10, 5).

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "html/html_forms.h"
#include "html/html_layout_support.h"
#include "html/html_table.h"

namespace lumora::html {
namespace {

// A laid-out page with the queries the viewer makes of it.
class THitPage : public testing::TLaidOut {
 public:
  using TLaidOut::TLaidOut;

  // Every section, in document order.
  std::vector<TSection*> sections() const {
    std::vector<TSection*> out;
    collect(*doc, out);
    return out;
  }
  // The section that holds Text, and the document position of Text's first character (the first match).
  TSection& sectionWith(std::u16string_view Text) const {
    for (TSection* s : sections())
      if (s->Buff.find(Text) != std::u16string::npos) return *s;
    throw std::runtime_error("no section with " + wideToUtf8(Text));
  }
  int pos(std::u16string_view Text) const {
    TSection& s = sectionWith(Text);
    return s.StartCurs + static_cast<int>(s.Buff.find(Text));
  }
  int sectionEnd(std::u16string_view Text) const {
    const TSection& s = sectionWith(Text);
    return s.StartCurs + s.Len;
  }

  struct THit {
    THitFlags Flags = 0;
    TUrlTarget Url;
    TFormControlObj* Control = nullptr;
    std::string Title;
  };
  THit link(int X, int Y) {
    THit hit;
    hit.Flags = doc->LinkAtPoint(host.Metrics, X, Y, hit.Url, hit.Control, hit.Title);
    return hit;
  }
  // The character a click at (X, Y) puts the caret before, or -1.
  int positionAt(int X, int Y, bool* InText = nullptr, int* XR = nullptr) {
    int xr = 0, yr = 0, height = 0;
    bool inText = false;
    const int p = doc->PositionAtPoint(host.Metrics, X, Y, xr, yr, height, inText);
    if (InText) *InText = inText;
    if (XR) *XR = xr;
    return p;
  }
  std::pair<int, int> pointOf(int Position) {
    int x = -1, y = -1;
    if (!doc->PositionToPoint(host.Metrics, Position, x, y)) return {-1, -1};
    return {x, y};
  }
  // What a copy of [From, To) gives with a buffer of Size characters.
  std::u16string copy(int From, int To, int Size = 1000) {
    doc->SelStart = From;
    doc->SelEnd = To;
    std::vector<char16_t> buffer(static_cast<size_t>(Size), u'#');
    const int n = doc->CopySelectionToBuffer(buffer.data(), Size);
    EXPECT_GE(n, 1);
    EXPECT_EQ(buffer[static_cast<size_t>(n - 1)], 0);
    return std::u16string(buffer.data(), static_cast<size_t>(n - 1));
  }
  void relayOut(int Width) {
    int scrollWidth = 0;
    height = doc->LayOut(host.Metrics, 600, Width, scrollWidth);
  }

 private:
  static void collect(const TCellBasic& Cell, std::vector<TSection*>& out) {
    for (const auto& item : Cell.Items) {
      if (auto* s = dynamic_cast<TSection*>(item.get())) out.push_back(s);
      if (const auto* b = dynamic_cast<const TBlock*>(item.get()); b && b->MyCell) collect(*b->MyCell, out);
      if (const auto* t = dynamic_cast<const ThtmlTable*>(item.get()))
        for (const auto& row : t->Rows)
          for (const auto& c : row->Cells)
            if (c && c->Cell) collect(*c->Cell, out);
    }
  }
};

const ThtmlTable* firstTable(const TCellBasic& Cell) {
  for (const auto& item : Cell.Items) {
    if (const auto* t = dynamic_cast<const ThtmlTable*>(item.get())) return t;
    if (const auto* b = dynamic_cast<const TBlock*>(item.get()); b && b->MyCell)
      if (const ThtmlTable* t = firstTable(*b->MyCell)) return t;
  }
  return nullptr;
}

TEST(HtmlHit, PositionAtPointTakesTheNearerSideOfACharacter) {
  // "abc def " on one line from x = 10: 'a' covers 10..17, 'b' 18..25, ... the room ends at 290.
  THitPage page("<p>abc def", 300);
  const int a = page.pos(u"abc");
  struct Case {
    const char* label;
    int x;
    int expected;  // offset from 'a', or -1
    bool inText;
    int xr;        // where the caret goes
  };
  const Case cases[] = {
      {"left half of a", 13, 0, true, 10},
      {"right half of a", 15, 1, true, 18},
      {"left half of b", 19, 1, true, 18},
      {"right half of b", 23, 2, true, 26},
      {"first pixel of c", 26, 2, true, 26},
      {"right half of f", 63, 7, true, 66},
      {"right of the text, in the room", 200, 8, false, 74},
      {"left of the line", 4, 0, false, 10},
      {"beyond the room", 291, -1, false, 0},
  };
  for (const Case& c : cases) {
    bool inText = !c.inText;
    int xr = -1;
    const int p = page.positionAt(c.x, 10, &inText, &xr);
    EXPECT_EQ(p, c.expected < 0 ? -1 : a + c.expected) << c.label;
    if (c.expected < 0) continue;
    EXPECT_EQ(inText, c.inText) << c.label;
    EXPECT_EQ(xr, c.xr) << c.label;
  }
  EXPECT_EQ(page.positionAt(20, page.height + 5), -1) << "below the page";
}

TEST(HtmlHit, PointLeftOfACentredLineGivesItsFirstCharacter) {
  // "ab" centred in 280 pixels from 10: it starts at 142.
  THitPage page("<p align=center>ab", 300);
  bool inText = true;
  EXPECT_EQ(page.positionAt(100, 10, &inText), page.pos(u"ab"));
  EXPECT_FALSE(inText);
  EXPECT_EQ(page.positionAt(147, 10), page.pos(u"ab") + 1);
  EXPECT_EQ(page.pointOf(page.pos(u"ab") + 1), std::make_pair(150, 5));
}

TEST(HtmlHit, PositionsAndPointsRoundTrip) {
  THitPage page("<p>abc def<p>second line", 300);
  const testing::TLine second = page.line("second line");
  for (const std::u16string_view word : {u"abc def", u"second line"}) {
    const int first = page.pos(word);
    const int y = word == u"abc def" ? 5 : second.Y;
    for (int i = 0; i < static_cast<int>(word.size()); ++i) {
      const auto [x, top] = page.pointOf(first + i);
      EXPECT_EQ(x, 10 + 8 * i) << wideToUtf8(word) << " " << i;
      EXPECT_EQ(top, y) << wideToUtf8(word) << " " << i;
      EXPECT_EQ(page.positionAt(x + 1, top + 1), first + i) << wideToUtf8(word) << " " << i;
    }
  }
  // At and after the end: the last character (the final space), 15 pixels on.
  const int length = page.doc->documentLength();
  EXPECT_EQ(length, page.sectionEnd(u"second line"));
  const int lastX = 10 + 8 * 11;
  EXPECT_EQ(page.pointOf(length), std::make_pair(lastX + 15, second.Y));
  EXPECT_EQ(page.pointOf(length + 100), std::make_pair(lastX + 15, second.Y));
  EXPECT_EQ(page.pointOf(-1), std::make_pair(-1, -1));
  char16_t ch = 0;
  TSection* section = nullptr;
  EXPECT_TRUE(page.doc->CharAtPosition(page.pos(u"line"), ch, section));
  EXPECT_EQ(ch, u'l');
  EXPECT_EQ(section, &page.sectionWith(u"second"));
  EXPECT_FALSE(page.doc->CharAtPosition(length, ch, section));
}

TEST(HtmlHit, JustifiedLinesWidenTheirSpaces) {
  // Room 81: "aa bb cc " fits (64 pixels of text), so its two spaces share 17 pixels: 9 and 8.
  THitPage page("<p align=justify>aa bb cc dd ee", 101);
  ASSERT_EQ(page.line("aa bb cc").Extra, 17);
  const int aa = page.pos(u"aa");
  struct Case {
    const char* label;
    int offset;  // from "aa"
    int x;       // where it is drawn
  };
  const Case cases[] = {
      {"before any space", 1, 18},
      {"the first space", 2, 26},
      {"after one widened space", 3, 26 + 8 + 9},
      {"after both", 6, 10 + 48 + 17},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(page.pointOf(aa + c.offset).first, c.x) << c.label;
    EXPECT_EQ(page.positionAt(c.x + 1, 10), aa + c.offset) << c.label;
  }
  // The first space is 17 pixels wide: its right half (from 34.5 on) puts the caret after it.
  EXPECT_EQ(page.positionAt(33, 10), aa + 2);
  EXPECT_EQ(page.positionAt(36, 10), aa + 3);
  // The last line is not stretched.
  const int dd = page.pos(u"dd");
  EXPECT_EQ(page.pointOf(dd + 3).first, 10 + 24);
}

TEST(HtmlHit, CopiedSelectionText) {
  THitPage page("<p>one two<p>three four", 300);
  const int one = page.pos(u"one"), three = page.pos(u"three");
  const int end = page.sectionEnd(u"three");
  struct Case {
    const char* label;
    int from, to;
    std::u16string text;
  };
  const Case cases[] = {
      {"inside one paragraph", one + 1, one + 3, u"ne"},
      {"across two paragraphs", one + 4, three + 5, u"two\r\nthree"},
      {"a paragraph to its end leaves its final space out", three, end, u"three four"},
      {"the whole document", 0, page.doc->documentLength(), u"one two\r\nthree four"},
      {"past the document's end", three, end + 5, u"three four\r\n"},
      {"the final space alone", end - 1, end, u""},
      {"empty", three, three, u""},
      {"reversed", three + 3, three, u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(page.copy(c.from, c.to), c.text) << c.label;
    EXPECT_EQ(page.doc->SelectionLength(), static_cast<int>(c.text.size())) << c.label;
  }
  EXPECT_EQ(page.doc->SelTextCollector, nullptr) << "the collector lives for one call";
}

TEST(HtmlHit, ImagesAndControlsAreLeftOutOfACopy) {
  THitPage page("<p>a<img src=x.gif width=10 height=10>b<input type=checkbox>c<br>d", 300);
  const TSection& s = page.sectionWith(u"a");
  ASSERT_EQ(s.Buff, std::u16string(u"a\4b\2c "));
  const int end = page.doc->documentLength();
  EXPECT_EQ(page.copy(0, end), u"abc\r\nd");
  // The count is an upper bound of the copy: it leaves out the places of images and controls.
  EXPECT_EQ(page.doc->SelectionLength(), 6);
  // Starting at the image's place.
  EXPECT_EQ(page.copy(s.StartCurs + 1, s.StartCurs + 4), u"b");
}

TEST(HtmlHit, CopyIntoSmallBuffers) {
  THitPage page("<p>one two<p>three", 300);
  page.doc->SelStart = page.pos(u"two");
  page.doc->SelEnd = page.pos(u"three") + 2;  // "two\r\nth"
  struct Case {
    int size;
    int result;
    std::u16string text;
  };
  const Case cases[] = {{0, 0, u""}, {1, 1, u""}, {4, 4, u"two"}, {6, 6, u"two\r\n"}, {100, 8, u"two\r\nth"}};
  for (const Case& c : cases) {
    std::vector<char16_t> buffer(static_cast<size_t>(c.size) + 1, u'#');  // one guard place after the buffer
    EXPECT_EQ(page.doc->CopySelectionToBuffer(buffer.data(), c.size), c.result) << c.size;
    EXPECT_EQ(buffer[static_cast<size_t>(c.size)], u'#') << c.size << ": written past the buffer";
    if (c.size == 0) continue;
    EXPECT_EQ(std::u16string(buffer.data()), c.text) << c.size;
  }
  // An empty selection still gets the terminating zero.
  page.doc->SelEnd = page.doc->SelStart;
  char16_t one[2] = {u'#', u'#'};
  EXPECT_EQ(page.doc->CopySelectionToBuffer(one, 1), 1);
  EXPECT_EQ(one[0], 0);
}

// What lies under a point of a page, the point found from the laid-out page.
struct LinkCase {
  const char* label;
  std::string html;
  std::function<std::pair<int, int>(THitPage&)> point;
  std::string link, target, title;
};

std::pair<int, int> imageAt(THitPage& Page, int DX, int DY) {
  const TFloatingObj* image = Page.images().at(0);
  return {image->DrawX + DX, image->DrawY + DY};
}

std::pair<int, int> textAt(THitPage& Page, std::u16string_view Text) {
  const auto [x, y] = Page.pointOf(Page.pos(Text));
  return {x + 1, y + 1};
}

std::pair<int, int> cellAt(THitPage& Page, int DX, int DY) {
  const ThtmlTable* table = firstTable(*Page.doc);
  if (!table) throw std::runtime_error("no table");
  return {table->TableLeft + DX, table->ContentTop + DY};
}

TEST(HtmlHit, LinkAtPoint) {
  const char* map =
      "<map name=nav><area shape=rect coords=0,0,20,10 href=a.htm title=Top>"
      "<area shape=rect coords=0,10,20,20 href=b.htm target=main></map>";
  const LinkCase cases[] = {
      {"a text link with its target and title", "<a href=x.htm target=f title=Hint>link</a>",
       [](THitPage& p) { return textAt(p, u"link"); }, "x.htm", "f", "Hint"},
      {"plain text", "plain <a href=x.htm>link</a>", [](THitPage& p) { return textAt(p, u"plain"); }, "", "", ""},
      {"right of a link's line", "<a href=x.htm>link</a>", [](THitPage&) { return std::pair(200, 10); }, "", "",
       ""},
      {"ISMAP without a border", "<a href=map.cgi><img src=m.gif width=40 height=30 ismap border=0></a>",
       [](THitPage& p) { return imageAt(p, 5, 7); }, "map.cgi?5,7", "", ""},
      {"ISMAP counts inside the link border", "<a href=map.cgi><img src=m.gif width=40 height=30 ismap alt=Map></a>",
       [](THitPage& p) { return imageAt(p, 1 + 5, 1 + 7); }, "map.cgi?5,7", "", "Map"},
      {"an image in a link without ISMAP", "<a href=pic.htm><img src=m.gif width=40 height=30 title=Picture></a>",
       [](THitPage& p) { return imageAt(p, 20, 20); }, "pic.htm", "", "Picture"},
      {"USEMAP: the first area", std::string(map) + "<img src=p.gif usemap=#nav width=40 height=20>",
       [](THitPage& p) { return imageAt(p, 5, 5); }, "a.htm", "", "Top"},
      {"USEMAP: the second area, with a target", std::string(map) + "<img src=p.gif usemap=#nav width=40 height=20>",
       [](THitPage& p) { return imageAt(p, 5, 15); }, "b.htm", "main", ""},
      {"USEMAP: outside every area", std::string(map) + "<img src=p.gif usemap=#nav width=40 height=20>",
       [](THitPage& p) { return imageAt(p, 30, 5); }, "", "", ""},
      {"a cell's HREF outside its text links",
       "<table><tr><td href=cell.htm target=f title=Cell>plain <a href=in.htm>link</a></td></tr></table>",
       [](THitPage& p) { return textAt(p, u"plain"); }, "cell.htm", "f", "Cell"},
      {"a text link inside such a cell wins",
       "<table><tr><td href=cell.htm target=f>plain <a href=in.htm>link</a></td></tr></table>",
       [](THitPage& p) { return textAt(p, u"link"); }, "in.htm", "", ""},
      {"the cell's box right of its text",
       "<table width=200><tr><td href=cell.htm title=Cell>x</td></tr></table>",
       [](THitPage& p) { return cellAt(p, 150, 5); }, "cell.htm", "", "Cell"},
      {"the cell spacing is outside the cell's box",
       "<table width=200><tr><td href=cell.htm title=Cell>x</td></tr></table>",
       [](THitPage& p) { return cellAt(p, 1, 5); }, "", "", ""},
      {"a block's title inside its border box", "<div title=Box style=\"width:100px;height:50px\">x</div>",
       [](THitPage&) { return std::pair(80, 40); }, "", "", "Box"},
      {"not outside it", "<div title=Box style=\"width:100px;height:50px\">x</div>",
       [](THitPage&) { return std::pair(150, 40); }, "", "", ""},
      {"a relatively positioned block's title where it is drawn",
       "<div title=Box style=\"position:relative;left:100px;width:50px;height:20px\">x</div>",
       [](THitPage&) { return std::pair(130, 10); }, "", "", "Box"},
      {"not where it would be unshifted",
       "<div title=Box style=\"position:relative;left:100px;width:50px;height:20px\">x</div>",
       [](THitPage&) { return std::pair(40, 10); }, "", "", ""},
      {"the body's title everywhere", "<body title=Page><p>x",
       [](THitPage&) { return std::pair(200, 10); }, "", "", "Page"},
      {"a hidden block answers nothing", "<div style=\"display:none\"><a href=no.htm>hidden</a></div>x",
       [](THitPage&) { return std::pair(12, 10); }, "", "", ""},
  };
  for (const LinkCase& c : cases) {
    THitPage page(c.html, 300);
    const auto [x, y] = c.point(page);
    const THitPage::THit hit = page.link(x, y);
    EXPECT_EQ((hit.Flags & kHitLink) != 0, !c.link.empty()) << c.label;
    EXPECT_EQ(hit.Url.Url, c.link) << c.label;
    EXPECT_EQ(hit.Url.Target, c.target) << c.label;
    EXPECT_EQ((hit.Flags & kHitTitle) != 0, !c.title.empty()) << c.label;
    EXPECT_EQ(hit.Title, c.title) << c.label;
    EXPECT_EQ(hit.Flags & kHitFormControl, 0u) << c.label;
  }
}

TEST(HtmlHit, PointQueriesTakeTheTopmostBlock) {
  // Three blocks at one place; the one that paints last is neither the first nor the last in the document.
  const auto block = [](const char* text, int z) {
    return "<div style=\"position:absolute;left:0;top:0;z-index:" + std::to_string(z) + "\">" + text + "<img src=" +
           text + ".gif width=30 height=30></div>";
  };
  THitPage page(block("first", 2) + block("top", 3) + block("third", 1), 300);
  const auto [x, y] = page.pointOf(page.pos(u"top"));
  ASSERT_EQ(page.pointOf(page.pos(u"first")), std::pair(x, y)) << "the blocks lie at one place";
  ASSERT_EQ(page.pointOf(page.pos(u"third")), std::pair(x, y)) << "the blocks lie at one place";
  EXPECT_EQ(page.positionAt(x + 9, y + 20), page.pos(u"top") + 1);
  const TFloatingObj* top = page.images().at(1);
  TIDObject* object = nullptr;
  int ix = 0, iy = 0;
  ASSERT_TRUE(page.doc->ObjectAtPoint(top->DrawX + 1, top->DrawY + 1, object, ix, iy));
  EXPECT_EQ(object, top);
}

TEST(HtmlHit, ImagesUnderThePoint) {
  THitPage page("<a href=map.cgi><img src=m.gif width=40 height=30 ismap></a>", 300);
  const auto* image = dynamic_cast<const TImageObj*>(page.images().at(0));
  ASSERT_NE(image, nullptr);
  TIDObject* object = nullptr;
  int ix = -1, iy = -1;
  ASSERT_TRUE(page.doc->ObjectAtPoint(image->DrawX + 3, image->DrawY + 4, object, ix, iy));
  EXPECT_EQ(object, image);
  EXPECT_EQ(std::pair(ix, iy), std::pair(2, 3)) << "measured from inside the link border";
  EXPECT_FALSE(page.doc->ObjectAtPoint(image->DrawX, image->DrawY, object, ix, iy)) << "on the border";
  EXPECT_FALSE(page.doc->ObjectAtPoint(image->DrawX + 45, image->DrawY + 4, object, ix, iy));
  // The image under the mouse is the document's active image, hovered or pressed.
  page.link(image->DrawX + 3, image->DrawY + 4);
  EXPECT_EQ(page.doc->ActiveImage, image);
  EXPECT_EQ(page.doc->ActiveImageState, TSectionList::THoverState::OverUp);
  page.doc->SetLinkPressed(true);
  EXPECT_EQ(page.doc->ActiveImageState, TSectionList::THoverState::OverDown);
  page.doc->ClearLinkStates();
  EXPECT_EQ(page.doc->ActiveImage, nullptr);
  EXPECT_EQ(page.doc->ActiveImageState, TSectionList::THoverState::Off);
}

TEST(HtmlHit, ImageButtonGivesItsControlAndTheClickPoint) {
  THitPage page("<form><input type=image src=go.gif width=20 height=20 name=go></form>", 300);
  const TFloatingObj* image = page.images().at(0);
  const THitPage::THit hit = page.link(image->DrawX + 6, image->DrawY + 9);
  EXPECT_EQ(hit.Flags, kHitFormControl);
  auto* button = dynamic_cast<TImageFormControlObj*>(hit.Control);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(std::pair(button->XTmp, button->YTmp), std::pair(6, 9));
}

TEST(HtmlHit, HoverCoversEveryRunOfTheLinkUnderTheMouse) {
  THitPage page("<p><a href=x.htm>one <b>two</b> three</a> after <a href=y.htm>other</a>", 400);
  page.doc->OverLinksActive = true;
  int repaints = 0;
  page.doc->OnLinkStatesChanged = [&] { ++repaints; };
  const TSection& s = page.sectionWith(u"one");
  std::vector<const TFontObj*> xRuns, yRuns;
  for (const auto& run : s.Fonts) {
    if (!run->UrlTarget) continue;
    (run->UrlTarget->Url == "x.htm" ? xRuns : yRuns).push_back(run.get());
  }
  ASSERT_EQ(xRuns.size(), 3u);
  ASSERT_EQ(yRuns.size(), 1u);
  const auto hovered = [](const std::vector<const TFontObj*>& runs) {
    int n = 0;
    for (const TFontObj* r : runs) n += r->Hover ? 1 : 0;
    return n;
  };
  struct Step {
    const char* label;
    std::u16string_view over;  // empty: off the text, at (380, 10)
    int xHovered, yHovered;
    bool repaint;
  };
  const Step steps[] = {
      {"over the first run", u"one", 3, 0, true},
      {"still over it", u"one", 3, 0, false},
      {"over the bold run of the same link", u"two", 3, 0, true},
      {"over the last run", u"three", 3, 0, true},
      {"over plain text", u"after", 0, 0, true},
      {"still over plain text", u"after", 0, 0, false},
      {"over the other link", u"other", 0, 1, true},
      {"back to the first link", u"one", 3, 0, true},
      {"off the text", u"", 0, 0, true},
  };
  for (const Step& step : steps) {
    const auto [x, y] = step.over.empty() ? std::pair(380, 10) : textAt(page, step.over);
    const int before = repaints;
    page.link(x, y);
    EXPECT_EQ(hovered(xRuns), step.xHovered) << step.label;
    EXPECT_EQ(hovered(yRuns), step.yHovered) << step.label;
    EXPECT_EQ(repaints - before, step.repaint ? 1 : 0) << step.label;
  }
  page.link(textAt(page, u"two").first, 10);
  page.doc->ClearLinkStates();
  EXPECT_EQ(hovered(xRuns), 0);
  EXPECT_EQ(page.doc->ActiveLink, nullptr);
}

TEST(HtmlHit, HoverNeedsOverLinksActive) {
  THitPage page("<p><a href=x.htm>one <b>two</b></a>", 300);
  page.link(textAt(page, u"two").first, 10);
  EXPECT_NE(page.doc->ActiveLink, nullptr);
  for (const auto& run : page.sectionWith(u"one").Fonts) EXPECT_FALSE(run->Hover);
}

TEST(HtmlHit, Search) {
  THitPage page("<p>Hello world<p>hello again<table><tr><td>HELLO cell</table>", 300);
  const int first = page.pos(u"Hello"), second = page.pos(u"hello"), third = page.pos(u"HELLO");
  const int end = page.doc->documentLength();
  struct Case {
    const char* label;
    bool forward;
    int from;
    std::u16string_view text;
    bool matchCase;
    int expected;
  };
  const Case cases[] = {
      {"forward without case finds the first", true, 0, u"hello", false, first},
      {"forward with case skips it", true, 0, u"hello", true, second},
      {"forward without case, upper-case words", true, 0, u"HELLO", false, first},
      {"forward from inside the first match goes on to the next paragraph", true, first + 1, u"hello", false,
       second},
      {"forward into a table cell", true, second + 1, u"hello", false, third},
      {"forward with case into the cell", true, 0, u"HELLO", true, third},
      {"forward from the match itself", true, second, u"hello", true, second},
      {"forward: nothing after the last", true, third + 1, u"hello", false, -1},
      {"text does not match across paragraphs", true, 0, u"world hello", false, -1},
      {"backward from the end without case", false, end, u"hello", false, third},
      {"backward with case", false, end, u"Hello", true, first},
      {"backward: a match ending at From counts", false, second + 5, u"hello", true, second},
      {"backward: one ending after From does not", false, second + 4, u"hello", true, -1},
      {"backward without case from there", false, second + 4, u"hello", false, first},
      {"backward from the start", false, 0, u"hello", false, -1},
      {"empty text", true, 0, u"", false, -1},
  };
  for (const Case& c : cases) {
    const int found = c.forward ? page.doc->SearchForward(c.from, c.text, c.matchCase)
                                : page.doc->SearchBackward(c.from, c.text, c.matchCase);
    EXPECT_EQ(found, c.expected) << c.label;
  }
}

TEST(HtmlHit, SourceAndDocumentPositions) {
  // Source: "<p>" 0..2, a 3, b 4, "&amp;" 5..9, c 10, d 11; then "<p>" 12..14, x 15.
  THitPage page("<p>ab&amp;cd<p>x", 300);
  const TSection& s = page.sectionWith(u"ab&cd");
  const int a = s.StartCurs;
  struct Case {
    const char* label;
    int source;
    bool previous;
    int expected;  // a document position, or -1
  };
  const Case cases[] = {
      {"a character", 4, false, a + 1},
      {"the entity's first byte", 5, true, a + 2},
      {"inside the entity, looking back: the end of the run before", 7, true, a + 2},
      {"inside the entity, looking on: the start of the run after", 7, false, a + 3},
      {"before the first section, looking on: its start", 1, false, a},
      {"before the first section, looking back: nothing", 1, true, -1},
      {"between the paragraphs, looking back: the first one's last character", 13, true,
       page.sectionEnd(u"ab&cd") - 1},
      {"between the paragraphs, looking on: the second one's start", 13, false, page.pos(u"x")},
      {"after everything, looking back: the last character", 1000, true, page.doc->documentLength() - 1},
      {"after everything, looking on: nothing", 1000, false, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(page.doc->SourceToDocPos(c.source, c.previous), c.expected) << c.label;
  // Every character maps to its source and back.
  const int sources[] = {3, 4, 5, 10, 11};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(page.doc->DocToSourcePos(a + i), sources[i]) << i;
    EXPECT_EQ(page.doc->SourceToDocPos(sources[i], false), a + i) << i;
    EXPECT_EQ(page.doc->SourceToDocPos(sources[i], true), a + i) << i;
  }
  EXPECT_EQ(page.doc->DocToSourcePos(page.pos(u"x")), 15);
  EXPECT_EQ(page.doc->DocToSourcePos(page.doc->documentLength()), -1);
  EXPECT_EQ(page.doc->DocToSourcePos(-1), -1);
}

TEST(HtmlHit, AnInlineIdLeadsToItsLine) {
  // "aaa bbb ccc" in 50 pixels of room: one word a line, the SPAN's word on the third.
  THitPage page("<p>aaa bbb <span id=here>ccc</span>", 70);
  const TIDObject* target = page.doc->IDNameList.find("here");
  ASSERT_NE(dynamic_cast<const TChPosObj*>(target), nullptr);
  EXPECT_EQ(target->TargetY(), page.line("ccc").Y);
  EXPECT_EQ(page.line("ccc").Y, 5 + 2 * 16);
  page.relayOut(300);
  EXPECT_EQ(target->TargetY(), 5) << "after a new layout, the line it is on now";
}

TEST(HtmlHit, ACaptionShownBelowItsTableIsFoundByItsSource) {
  // The caption comes first in the source but its characters follow the table's.
  const std::string html = "<table><caption align=bottom>cap</caption><tr><td>cell</table>";
  THitPage page(html, 300);
  ASSERT_GT(page.pos(u"cap"), page.pos(u"cell"));
  const int capSource = static_cast<int>(html.find("cap<"));
  const int cellSource = static_cast<int>(html.find("cell"));
  EXPECT_EQ(page.doc->SourceToDocPos(capSource + 1, false), page.pos(u"cap") + 1);
  EXPECT_EQ(page.doc->SourceToDocPos(capSource + 1, true), page.pos(u"cap") + 1);
  EXPECT_EQ(page.doc->SourceToDocPos(cellSource, false), page.pos(u"cell"));
  EXPECT_EQ(page.doc->DocToSourcePos(page.pos(u"cap")), capSource);
}

TEST(HtmlHit, SelectionSurvivesANewLayout) {
  THitPage page("<p>alpha beta gamma<table><tr><td>one two<td>three</table><p>omega", 400);
  const int from = page.pos(u"beta"), to = page.pos(u"omega") + 2;
  const std::u16string expected = u"beta gamma\r\none two\r\nthree\r\nom";
  ASSERT_EQ(page.copy(from, to), expected);
  const std::pair<int, int> before = page.pointOf(page.pos(u"three"));
  page.relayOut(90);
  EXPECT_NE(page.pointOf(page.pos(u"three")), before) << "the narrower layout moved the cell";
  EXPECT_EQ(page.copy(from, to), expected);
  char16_t ch = 0;
  TSection* section = nullptr;
  ASSERT_TRUE(page.doc->CharAtPosition(to - 1, ch, section));
  EXPECT_EQ(ch, u'm');
  // And the caret still finds the cell's characters where they are now drawn.
  const auto [x, y] = page.pointOf(page.pos(u"three") + 2);
  EXPECT_EQ(page.positionAt(x + 1, y + 1), page.pos(u"three") + 2);
}

}  // namespace
}  // namespace lumora::html
