// The document model: sections normalise their text when closed; cells drop empty sections; the name table
// replaces entries.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "html/html_blocks.h"
#include "html/html_section.h"

namespace lumora::html {
namespace {

class SectionFixture : public ::testing::Test {
 protected:
  SectionFixture() {
    Doc.SetDefaults();
    Props = std::make_unique<TProperties>(*Doc.Styles.find("default"));
  }
  // A section from pieces of text; the flag marks text written while no break was allowed.
  std::unique_ptr<TSection> make(const std::vector<std::pair<std::u16string, bool>>& pieces) {
    auto s = std::make_unique<TSection>(&Doc, nullptr, *Props, nullptr, true);
    int pos = 0;
    for (const auto& [text, noBreak] : pieces) {
      s->NoBreak = noBreak;
      TokenObj t;
      for (char16_t c : text) t.addUnicodeChar(c, pos++);
      s->AppendToken(t, *Props);
    }
    return s;
  }
  TSectionList Doc;
  std::unique_ptr<TProperties> Props;
};

TEST_F(SectionFixture, CloseSectionNormalises) {
  struct Case {
    const char* label;
    std::vector<std::pair<std::u16string, bool>> pieces;
    std::u16string text;
    std::string marks;
  };
  const Case cases[] = {
      {"leading spaces and runs of spaces", {{u"  a   b", false}}, u"a b ", "yyyyy"},
      {"a no-break space followed by a space keeps both", {{u"a\u00A0 b", false}}, u"a\u00A0 b ", "yyyyyy"},
      {"the first of two spaces goes when it may not break", {{u"a ", true}, {u" b", false}}, u"a b ", "nyyyy"},
      {"a soft hyphen goes and marks the character before", {{u"co\u00ADop", false}}, u"coop ", "ysyyyy"},
      {"a soft hyphen in unbreakable text leaves the mark", {{u"co\u00ADop", true}}, u"coop ", "nnnnyy"},
      {"spaces beside a line break go", {{u"a \u0008 b", false}}, u"a\u0008b ", "yyyyy"},
      {"a trailing line break goes", {{u"ab\u0008", false}}, u"ab ", "yyyy"},
      {"a lone line break stays", {{u"\u0008", false}}, u"\u0008", "yy"},
      {"spaces only", {{u"   ", false}}, u"", "y"},
  };
  for (const Case& c : cases) {
    auto s = make(c.pieces);
    s->CloseSection(99);
    EXPECT_EQ(s->Buff, c.text) << c.label;
    EXPECT_EQ(s->Brk, c.marks) << c.label;
  }
}

TEST_F(SectionFixture, SourceMapAndFontRunsFollowRemovals) {
  auto s = make({{u"  ab  ", false}});
  Props->setProp(FontWeight, std::string("bold"));
  s->StartFontRun(*Props);
  TokenObj t;
  t.addUnicodeChar(u'c', 20);
  s->AppendToken(t, *Props);
  s->CloseSection(30);
  EXPECT_EQ(s->Buff, u"ab c ");
  ASSERT_EQ(s->Fonts.size(), 2u);
  EXPECT_EQ(s->Fonts[1]->Pos, 3);
  EXPECT_TRUE(s->Fonts[1]->TheFont.Style & kFontBold);
  // Source positions: a=2, b=3, the kept space 4, c=20, the final space 30.
  const int expected[] = {2, 3, 4, 20, 30};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(s->sourcePosOf(i), expected[i]) << i;
  EXPECT_EQ(s->SIndexList.size(), 3u);
}

TEST_F(SectionFixture, TextTransformAndSmallCaps) {
  Props->setProp(TextTransform, 1);
  auto upper = make({{u"Ab\u00e9\u0436", false}});
  EXPECT_EQ(upper->Buff, u"AB\u00c9\u0416");

  Props->setProp(TextTransform, 0);
  Props->setProp(FontVariant, std::string("small-caps"));
  TProperties small(*Props);
  small.setProp(FontSize, 9.0);
  auto s = std::make_unique<TSection>(&Doc, nullptr, *Props, nullptr, true);
  TokenObj t;
  int pos = 0;
  for (char16_t c : std::u16string(u"Ab1c D")) t.addUnicodeChar(c, pos++);
  s->AppendToken(t, *Props, &small);
  EXPECT_EQ(s->Buff, u"AB1C D");
  std::vector<std::pair<int, double>> runs;
  for (const auto& f : s->Fonts) runs.emplace_back(f->Pos, f->SizePoints);
  // A stays large; b, 1 and c small (the digit does not switch back); D large again.
  EXPECT_EQ(runs, (std::vector<std::pair<int, double>>{{0, 12}, {1, 9}, {5, 12}}));
}

TEST_F(SectionFixture, CellsDropEmptySections) {
  TBlockCell cell(&Doc, nullptr);
  cell.add(make({{u"   ", false}}), 0);
  EXPECT_TRUE(cell.Items.empty());
  cell.add(std::make_unique<TPreFormated>(&cell, *Props, nullptr), 0);
  ASSERT_EQ(cell.Items.size(), 1u);  // a blank line of preformatted text stays
  EXPECT_EQ(static_cast<TSection&>(*cell.Items[0]).Buff, u" ");
  // A link run of a dropped section leaves the document's link list.
  auto link = std::make_shared<TUrlTarget>();
  link->Url = "x";
  link->ID = 1;
  auto linked = std::make_unique<TSection>(&cell, nullptr, *Props, link, true);
  EXPECT_EQ(Doc.LinkList.size(), 1u);
  cell.add(std::move(linked), 0);
  EXPECT_TRUE(Doc.LinkList.empty());
}

TEST(HtmlModel, NameTableReplaces) {
  TSectionList doc;
  doc.SetDefaults();
  doc.IDNameList.addChPosObject(&doc, "Top", 5);
  EXPECT_NE(dynamic_cast<TChPosObj*>(doc.IDNameList.find("TOP")), nullptr);
  TProperties props(*doc.Styles.find("default"));
  TBlock block(&doc, props, nullptr);
  doc.IDNameList.addObject("top", &block);  // the position target is freed (the sanitizer build would see a leak)
  EXPECT_EQ(doc.IDNameList.find("Top"), &block);
  doc.IDNameList.addChPosObject(&doc, "top", 9);
  EXPECT_EQ(static_cast<TChPosObj*>(doc.IDNameList.find("top"))->ChPos, 9);
  EXPECT_EQ(doc.IDNameList.count(), 1u);
  doc.IDNameList.removeObject(doc.IDNameList.find("top"));
  EXPECT_EQ(doc.IDNameList.find("top"), nullptr);
}

TEST(HtmlModel, ItemDefaultsAndControlLists) {
  TSectionList doc;
  TPage page(&doc);
  EXPECT_EQ(page.TargetY(), 999999999);
  EXPECT_EQ(page.SearchForward(0, u"x", false), -1);
  EXPECT_EQ(page.SourceToDocPos(3, true), -1);
  page.RegisterPositions();
  EXPECT_EQ(doc.PositionList, std::vector<TSectionBase*>{&page});
  TFormControlList controls;
  EXPECT_EQ(controls.DistanceToNext(0), 9999);
  EXPECT_EQ(controls.FindAt(0), nullptr);
}

TEST(HtmlModel, ExpandName) {
  TSectionList doc;
  doc.DocumentPath = "/pub/pages/index.htm";
  EXPECT_EQ(doc.ExpandName("a/b.htm"), "/pub/pages/a/b.htm");
  EXPECT_EQ(doc.ExpandName("../c.htm"), "/pub/c.htm");
  EXPECT_EQ(doc.ExpandName("http://h/x.htm"), "http://h/x.htm");
  doc.Events.OnExpandName = [](const std::string& n) { return "[" + n + "]"; };
  EXPECT_EQ(doc.ExpandName("d.htm"), "[d.htm]");
}

}  // namespace
}  // namespace lumora::html
