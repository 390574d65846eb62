// Hostile pages: very deep or very long runs of unclosed and mis-nested tags build quickly, within the stack,
// with the nesting flattened past the builder's limits.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "html/html_blocks.h"
#include "html/html_forms.h"
#include "html/html_parser.h"
#include "html/html_section.h"
#include "html/html_table.h"
#include "html_builder_support.h"

namespace lumora::html {
namespace {

constexpr int kTags = 100000;

std::string repeat(const std::string& piece, int n) {
  std::string s;
  s.reserve(piece.size() * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) s += piece;
  return s;
}

// Depth of the deepest block and the number of tables, walking the model without recursion limits of its own.
struct Shape {
  int depth = 0;
  int tables = 0;
};
void walk(const TCellBasic& cell, int depth, Shape& shape) {
  shape.depth = std::max(shape.depth, depth);
  for (const auto& item : cell.Items) {
    if (auto* b = dynamic_cast<const TBlock*>(item.get())) walk(*b->MyCell, depth + 1, shape);
    if (auto* t = dynamic_cast<const ThtmlTable*>(item.get())) {
      ++shape.tables;
      for (const auto& row : t->Rows)
        for (const auto& c : row->Cells) walk(*c->Cell, depth + 1, shape);
    }
  }
}

TEST(HtmlBuilderLimits, DeepUnclosedTags) {
  struct Case {
    const char* piece;
    int maxDepth;  // deepest block below the body, at most
  };
  const Case cases[] = {
      {"<div>", kMaxBlockNesting + 1},
      {"<blockquote>", kMaxBlockNesting + 1},
      {"<ul><li>", kMaxBlockNesting + 1},
      {"<ol>", kMaxBlockNesting + 1},
      {"<dl><dd>", kMaxBlockNesting + 1},
      {"<center><form>", kMaxBlockNesting + 1},
      {"<address>", kMaxBlockNesting + 1},
      {"<table><tr><td>", 3 * kMaxTableNesting + 1},
      {"<td>", 4},
      {"<li>", 2},
      {"<h1><div>", kMaxBlockNesting + 1},
      {"<p>", 2},
      {"<font color=red size=+1>", 2},
      {"<b>", 2},
      {"<span style=\"border: solid\">", 2},
      {"<a href=x>", 2},
      {"<b><i></b>", 2},
      {"<i><b><u></i></b>", 2},
      {"</div></b>", 2},
      {"<pre><b>", 2},
  };
  for (const Case& c : cases) {
    const auto doc = testing::build(repeat(c.piece, kTags / 2) + "end" + repeat("</b></div>", 1000));
    Shape shape;
    walk(*doc, 0, shape);
    EXPECT_LE(shape.depth, c.maxDepth + 1) << c.piece;
    EXPECT_LE(shape.tables, kTags) << c.piece;
    EXPECT_NE(documentText(*doc).find("end"), std::string::npos) << c.piece;
  }
}

TEST(HtmlBuilderLimits, NestedTablesStopAtTheLimit) {
  const std::string page = repeat("<table><tr><td>", kMaxTableNesting + 1) + "deep" +
                           repeat("</td></tr></table>", kMaxTableNesting + 1) + "after";
  const auto doc = testing::build(page);
  Shape shape;
  walk(*doc, 0, shape);
  EXPECT_EQ(shape.tables, kMaxTableNesting);
  EXPECT_EQ(testing::sectionTexts(*doc), (std::vector<std::string>{"deep ", "after "}));
}

TEST(HtmlBuilderLimits, LongFlatPages) {
  // Many siblings are fine: they are not nesting.
  const auto items = testing::build("<ul>" + repeat("<li>x", 20000) + "</ul>");
  EXPECT_EQ(testing::count(*items, "TBlockLI"), 20000u);
  const auto spaces = testing::build("<p>a" + std::string(200000, ' ') + "&nbsp;" + repeat(" &shy;", 50000) + "b");
  EXPECT_EQ(testing::sectionTexts(*spaces), (std::vector<std::string>{"a \\_ b "}));
}

// Pages of nothing but block tags or line ends cost at most the document's limits; past them the tags are
// read as if they were absent and no text is lost.
TEST(HtmlBuilderLimits, BlockAndSectionCountsAreBounded) {
  struct Case {
    const char* piece;
    const char* prefix;
    const char* item;   // what the dump lists once per block or section
    const char* lines;  // "lines": every piece keeps its own line in the text
  };
  const Case cases[] = {
      {"<li>x", "<ul>", "TBlockLI", ""},     {"<ul><li>x", "", "TBlockLI", ""},
      {"<p>x", "", "TBlock tag=\"p.\"", ""}, {"<div>x", "", "TBlock tag=\"div.\"", ""},
      {"<td>x", "<table>", "cell", ""},     {"<tr><td>x", "<table>", "cell", ""},
      {"<hr>x", "", "THRBlock", ""},        {"<br>x", "", "TSection", "lines"},
      {"x\n", "<pre>", "TPreFormated", "lines"},
  };
  constexpr int kPieces = 100;
  for (const Case& c : cases) {
    auto doc = std::make_unique<TSectionList>();
    doc->MaxBlocks = 30;
    doc->MaxSections = 40;
    doc->SetDefaults();
    ParseHtmlText(c.prefix + repeat(c.piece, kPieces), *doc);
    EXPECT_LE(testing::count(*doc, c.item), 41u) << c.piece;
    EXPECT_GT(testing::count(*doc, c.item), 10u) << c.piece;
    const std::string text = documentText(*doc);
    int xs = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] != 'x') continue;
      ++xs;
      // Words stay apart; where every piece had a line, each still has one.
      EXPECT_TRUE(i + 1 == text.size() || text[i + 1] == (*c.lines ? '\n' : ' ') || text[i + 1] == '\n')
          << c.piece << " at " << i;
    }
    EXPECT_EQ(xs, kPieces) << c.piece;
  }
}

TEST(HtmlBuilderLimits, HugeNumbersAreClamped) {
  const auto doc = testing::build("<table><tr><td colspan=2147483647 rowspan=2147483647>x</table>"
                                  "<form><textarea rows=2147483647 cols=2147483647></textarea></form>"
                                  "<p style=\"font-size: 100000000000000px\">big");
  const auto* table = [&]() -> const ThtmlTable* {
    const ThtmlTable* found = nullptr;
    std::function<void(const TCellBasic&)> look = [&](const TCellBasic& cell) {
      for (const auto& item : cell.Items) {
        if (auto* t = dynamic_cast<const ThtmlTable*>(item.get())) found = t;
        if (auto* b = dynamic_cast<const TBlock*>(item.get())) look(*b->MyCell);
      }
    };
    look(*doc);
    return found;
  }();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->Rows.at(0)->Cells.at(0)->ColSpan, kMaxColSpan);
  EXPECT_EQ(table->Rows.at(0)->Cells.at(0)->RowSpan, kMaxRowSpan);
  const auto* area = dynamic_cast<const TTextAreaFormControlObj*>(doc->htmlFormList.at(0)->ControlList.at(0).get());
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(area->Rows, 1000);
  EXPECT_EQ(area->Cols, 1000);
  EXPECT_EQ(ToPoints("100000000000000px", 12, 12, 96), kMaxFontPoints);
  EXPECT_EQ(ToPoints(std::string(400, '9') + "pt", 12, 12, 96), kMaxFontPoints);
  EXPECT_EQ(ToPoints("-5pt", 12, 12, 96), -5);  // below the limit: as given
  const std::vector<std::string> sizes = testing::linesStarting(*doc, "run ");
  ASSERT_FALSE(sizes.empty());
  EXPECT_NE(sizes.back().find(" 1000pt "), std::string::npos) << sizes.back();
}

}  // namespace
}  // namespace lumora::html
