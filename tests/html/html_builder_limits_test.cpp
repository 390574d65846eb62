// Hostile pages: very deep or very long runs of unclosed and mis-nested tags build quickly, within the stack,
// with the nesting flattened past the builder's limits.
#include <gtest/gtest.h>

#include <string>

#include "html/html_blocks.h"
#include "html/html_section.h"
#include "html/html_table.h"
#include "html_builder_support.h"

namespace lumora::html {
namespace {

constexpr int kTags = 100000;

std::string Repeat(const std::string& piece, int n) {
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
void Walk(const TCellBasic& cell, int depth, Shape& shape) {
  shape.depth = std::max(shape.depth, depth);
  for (const auto& item : cell.Items) {
    if (auto* b = dynamic_cast<const TBlock*>(item.get())) Walk(*b->MyCell, depth + 1, shape);
    if (auto* t = dynamic_cast<const ThtmlTable*>(item.get())) {
      ++shape.tables;
      for (const auto& row : t->Rows)
        for (const auto& c : row->Cells) Walk(*c->Cell, depth + 1, shape);
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
    const auto doc = testing::Build(Repeat(c.piece, kTags / 2) + "end" + Repeat("</b></div>", 1000));
    Shape shape;
    Walk(*doc, 0, shape);
    EXPECT_LE(shape.depth, c.maxDepth + 1) << c.piece;
    EXPECT_LE(shape.tables, kTags) << c.piece;
    EXPECT_NE(DocumentText(*doc).find("end"), std::string::npos) << c.piece;
  }
}

TEST(HtmlBuilderLimits, NestedTablesStopAtTheLimit) {
  const std::string page = Repeat("<table><tr><td>", kMaxTableNesting + 1) + "deep" +
                           Repeat("</td></tr></table>", kMaxTableNesting + 1) + "after";
  const auto doc = testing::Build(page);
  Shape shape;
  Walk(*doc, 0, shape);
  EXPECT_EQ(shape.tables, kMaxTableNesting);
  EXPECT_EQ(testing::SectionTexts(*doc), (std::vector<std::string>{"deep ", "after "}));
}

TEST(HtmlBuilderLimits, LongFlatPages) {
  // Many siblings are fine: they are not nesting.
  const auto items = testing::Build("<ul>" + Repeat("<li>x", 20000) + "</ul>");
  EXPECT_EQ(testing::Count(*items, "TBlockLI"), 20000u);
  const auto spaces = testing::Build("<p>a" + std::string(200000, ' ') + "&nbsp;" + Repeat(" &shy;", 50000) + "b");
  EXPECT_EQ(testing::SectionTexts(*spaces), (std::vector<std::string>{"a \\_ b "}));
}

}  // namespace
}  // namespace lumora::html
