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

}  // namespace
}  // namespace lumora::html
