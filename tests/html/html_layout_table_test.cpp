// Table layout: the completed grid, column measurement, the three ways of spreading a width over the
// columns, row heights and the placing of cells. Pages come from the builder; cell content is a fake with
// fixed sizes per cell, named by the cell's text.
#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "html/html_blocks.h"
#include "html/html_builder_support.h"
#include "html/html_layout_table.h"
#include "html/html_section.h"

namespace lumora::html {
namespace {

// The text of a cell's first section ("" for a cell without text).
std::string textOf(const TCellObj& cell) {
  for (const auto& item : cell.Cell->Items)
    if (auto* s = dynamic_cast<const TSection*>(item.get())) {
      std::string out;
      for (char16_t c : s->Buff)
        if (c != u' ') out += static_cast<char>(c);
      return out;
    }
  return "";
}

// Content with a fixed minimum, maximum and height per cell text. Like content that is shorter than the
// room it is given, its height does not depend on the minimum height asked for.
struct TSize {
  int Min = 0, Max = 0, Height = 0;
};
class TFakeContent : public ITableCellContent {
 public:
  explicit TFakeContent(std::map<std::string, TSize> sizes = {}) : sizes_(std::move(sizes)) {}
  TWidths measureContent(TCellObj& cell) override {
    ++measured;
    const TSize s = size(cell);
    return {s.Min, s.Max};
  }
  int layOutContent(TCellObj& cell, const TBox& box) override {
    boxes[textOf(cell)] = box;
    return size(cell).Height;
  }
  int measured = 0;
  std::map<std::string, TBox> boxes;  // the last box each cell was laid out in

 private:
  TSize size(const TCellObj& cell) const {
    const auto it = sizes_.find(textOf(cell));
    return it == sizes_.end() ? TSize{} : it->second;
  }
  std::map<std::string, TSize> sizes_;
};

ThtmlTable* findTable(const TCellBasic& cell) {
  for (const auto& item : cell.Items) {
    if (auto* t = dynamic_cast<ThtmlTable*>(item.get())) return t;
    if (auto* b = dynamic_cast<TBlock*>(item.get()))
      if (ThtmlTable* t = findTable(*b->MyCell)) return t;
  }
  return nullptr;
}

// A built page and its first table.
struct TPage {
  explicit TPage(const std::string& html) : doc(testing::build(html)), table(findTable(*doc)) {}
  std::unique_ptr<TSectionList> doc;
  ThtmlTable* table;
};

// The grid, one string per row: a cell as its text, with "(c x r)" when it spans; a spacer slot as ".".
std::vector<std::string> gridOf(const ThtmlTable& t) {
  std::vector<std::string> rows;
  for (const auto& row : t.Rows) {
    std::string r;
    for (const auto& slot : row->Cells) {
      if (!r.empty()) r += ' ';
      if (slot->isSpacer()) {
        r += '.';
        continue;
      }
      r += textOf(*slot);
      if (slot->ColSpan != 1 || slot->RowSpan != 1)
        r += "(" + std::to_string(slot->ColSpan) + "x" + std::to_string(slot->RowSpan) + ")";
    }
    rows.push_back(r);
  }
  return rows;
}

std::vector<int> rowHeights(const ThtmlTable& t) {
  std::vector<int> out;
  for (const auto& row : t.Rows) out.push_back(row->Height);
  return out;
}

// --- The grid ---

TEST(TableGrid, SpansBecomeSpacerSlots) {
  struct Case {
    const char* name;
    const char* rows;  // the table's content
    std::vector<std::string> grid;
    int columns;
  };
  const Case cases[] = {
      {"column span wider than the table is cut to the table", "<tr><td colspan=5>a<tr><td>b<td>c",
       {"a(2x1) .", "b c"}, 2},
      {"row span past the last row ends there", "<tr><td rowspan=5>a<td>b<tr><td>c", {"a(1x2) b", ". c"}, 2},
      {"a covered row is padded up to the covered column", "<tr><td>a<td rowspan=2>b<tr>", {"a b(1x2)", ". ."}, 2},
      {"column and row span together cover a block", "<tr><td colspan=2 rowspan=2>a<td>b<tr><td>c<tr><td>d<td>e",
       {"a(2x2) . b", ". . c", "d e"}, 3},
      // c's row span starts in a column that a span above pushed past the first rows' width: the third row
      // still leaves room for it.
      {"spans of cells pushed right still cover their column",
       "<tr><td rowspan=3>a<td>b<tr><td>c<td rowspan=2>d<tr><td>e<td>f", {"a(1x3) b", ". c d(1x2)", ". e . f"}, 4},
      // The block's coverage below keeps the column, so the span is not narrowed.
      {"a trailing spacer column that a lower row still covers stays",
       "<tr><td colspan=2 rowspan=2>a<tr><td>c<td>d", {"a(2x2) .", ". . c d"}, 4},
      {"spacer columns at the end of every widest row go", "<tr><td colspan=3>a<tr><td colspan=3>b",
       {"a", "b"}, 1},
      {"a row without cells", "<tr></tr>", {""}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPage page(std::string("<table>") + c.rows + "</table>");
    ASSERT_NE(page.table, nullptr);
    PrepareGrid(*page.table);
    EXPECT_EQ(gridOf(*page.table), c.grid);
    EXPECT_EQ(page.table->ColumnCount, c.columns);
    EXPECT_EQ(page.table->Widths.size(), static_cast<size_t>(c.columns));
    EXPECT_EQ(page.table->Percentages.size(), static_cast<size_t>(c.columns));
  }
}

TEST(TableGrid, PreparedOnceOnly) {
  TPage page("<table><tr><td colspan=2>a<td>b<tr><td>c<td>d<td>e</table>");
  PrepareGrid(*page.table);
  const auto grid = gridOf(*page.table);
  page.table->Rows[1]->Cells.pop_back();
  PrepareGrid(*page.table);
  EXPECT_EQ(gridOf(*page.table).at(0), grid.at(0));
  EXPECT_EQ(gridOf(*page.table).at(1), "c d");
}

TEST(TableGrid, CellsTakeRowAndTableSettings) {
  TPage page(
      "<table border=2 cellpadding=3><tr bgcolor=red background=row.gif>"
      "<td>a<td bgcolor=blue style=\"padding-left: 7px\">b<td style=\"border: 4px solid\">c"
      "<td background=own.gif>d</table>");
  ThtmlTable& t = *page.table;
  t.PropagateBackground = true;
  t.BkColor = 0x00FF00;
  PrepareGrid(t);
  const auto& cells = t.Rows[0]->Cells;
  struct Expect {
    int hExtra, vExtra;
    TColor color;
    const char* image;
  };
  const Expect expect[] = {
      {3 + 1 + 1 + 3, 3 + 1 + 1 + 3, 0x0000FF, "row.gif"},  // red as BGR, the table's border makes 1-pixel borders
      {7 + 1 + 1 + 3, 3 + 1 + 1 + 3, 0xFF0000, "row.gif"},  // its own colour and left padding
      {3 + 4 + 4 + 3, 3 + 4 + 4 + 3, 0x0000FF, "row.gif"},  // its own border
      {3 + 1 + 1 + 3, 3 + 1 + 1 + 3, 0x0000FF, "own.gif"},
  };
  ASSERT_EQ(cells.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(textOf(*cells[i]));
    EXPECT_EQ(cells[i]->HorizontalExtra, expect[i].hExtra);
    EXPECT_EQ(cells[i]->VerticalExtra, expect[i].vExtra);
    EXPECT_TRUE(cells[i]->Cell->BkGnd);
    EXPECT_EQ(cells[i]->Cell->BkColor & 0xFFFFFF, expect[i].color);
    EXPECT_EQ(cells[i]->BGImageUrl, expect[i].image);
  }

  // Without a row colour the table's colour reaches the cells; a cell's own colour stays.
  TPage second("<table><tr><td>a<td bgcolor=blue>b</table>");
  second.table->PropagateBackground = true;
  second.table->BkColor = 0x00FF00;
  PrepareGrid(*second.table);
  EXPECT_EQ(second.table->Rows[0]->Cells[0]->Cell->BkColor, 0x00FF00);
  EXPECT_EQ(second.table->Rows[0]->Cells[1]->Cell->BkColor & 0xFFFFFF, 0xFF0000);
}

TEST(TableGrid, AbsoluteWidthMeansAPixelWidthOnACell) {
  struct Case {
    const char* html;
    bool absolute;
  };
  const Case cases[] = {
      {"<tr><td>a<td>b", false},
      {"<tr><td width=50>a<td>b", true},
      {"<tr><td width=50%>a<td>b", false},
      {"<col width=80><tr><td>a<td>b", true},
      {"<col width=30%><col><tr><td>a<td>b", false},
      // The COL width falls on a spacer slot only, where nothing measures it.
      {"<col><col width=80><tr><td colspan=2>a<td>b<tr><td colspan=2>c<td>d", false},
      // A COL width replaces the cell's own.
      {"<col width=25%><tr><td width=50>a", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    TPage page(std::string("<table>") + c.html + "</table>");
    PrepareGrid(*page.table);
    EXPECT_EQ(page.table->HasAbsoluteWidth, c.absolute);
    EXPECT_TRUE(page.table->ColSpecs.empty());
  }
}

// --- Measuring columns ---

struct TMeasureCase {
  const char* name;
  const char* rows;
  std::map<std::string, TSize> sizes;
  int specifiedWidth;
  std::vector<int> mins, maxs, percents;
};

TEST(TableMeasure, PlainColumns) {
  const TMeasureCase cases[] = {
      {"cell spacing and padding count", "<table><tr><td>a<td>b", {{"a", {10, 20}}, {"b", {5, 5}}}, 0,
       {14, 9}, {24, 9}, {}},
      {"a pixel width sets both, with the extras",
       "<table cellspacing=0 cellpadding=2><tr><td width=50>a<td width=5>b", {{"a", {10, 80}}, {"b", {10, 20}}}, 0,
       {54, 14}, {54, 14}, {}},
      // 80 over columns of 10 and 30 (total 40) doubles each; 160 over maximums 20 and 60 likewise.
      {"a span grows its columns in proportion",
       "<table cellspacing=0 cellpadding=0><tr><td>a<td>b<tr><td colspan=2>c",
       {{"a", {10, 20}}, {"b", {30, 60}}, {"c", {80, 160}}}, 0, {20, 60}, {40, 120}, {}},
      // 15 over 10 and 30: 10 + 10*5/40 = 11.25 and 30 + 3.75, rounded.
      {"shares are rounded", "<table cellspacing=0 cellpadding=0><tr><td>a<td>b<tr><td colspan=2>c",
       {{"a", {10, 10}}, {"b", {30, 30}}, {"c", {45, 45}}}, 0, {11, 34}, {11, 34}, {}},
      {"a span over empty columns goes to the first",
       "<table cellspacing=0 cellpadding=0><tr><td colspan=2>c<tr><td><td>",
       {{"c", {30, 50}}}, 0, {30, 0}, {50, 0}, {}},
      // A spanning cell's pixel width counts without the extras.
      {"a spanning pixel width", "<table cellspacing=0 cellpadding=5><tr><td>a<td>b<tr><td colspan=2 width=100>c",
       {{"a", {10, 10}}, {"b", {10, 10}}, {"c", {0, 0}}}, 0, {50, 50}, {50, 50}, {}},
      {"a narrower span changes nothing", "<table cellspacing=0 cellpadding=0><tr><td>a<td>b<tr><td colspan=2>c",
       {{"a", {10, 20}}, {"b", {30, 60}}, {"c", {30, 70}}}, 0, {10, 30}, {20, 60}, {}},
  };
  for (const TMeasureCase& c : cases) {
    SCOPED_TRACE(c.name);
    TPage page(std::string(c.rows) + "</table>");
    TFakeContent content(c.sizes);
    const TColumnTotals totals = MeasurePlainColumns(*page.table, content);
    EXPECT_EQ(page.table->MinWidths, c.mins);
    EXPECT_EQ(page.table->MaxWidths, c.maxs);
    EXPECT_EQ(totals.Min, std::accumulate(c.mins.begin(), c.mins.end(), int64_t{0}));
    EXPECT_EQ(totals.Max, std::accumulate(c.maxs.begin(), c.maxs.end(), int64_t{0}));
  }
}

TEST(TableMeasure, PercentColumns) {
  const TMeasureCase cases[] = {
      {"percent and pixel widths become per mille of the table",
       "<table cellspacing=0 cellpadding=0><tr><td width=30%>a<td width=100>b<td>c",
       {{"a", {10, 20}}, {"b", {10, 20}}, {"c", {10, 20}}}, 500, {10, 10, 10}, {20, 20, 20}, {300, 200, 0}},
      {"pixel widths give nothing without a table width",
       "<table cellspacing=0 cellpadding=0><tr><td width=100>a", {{"a", {10, 20}}}, 0, {10}, {20}, {0}},
      // 60% over a 20% column and one without: the other gets 40%; the minimum's excess 60 - 30 follows the
      // maximums (10 of 40 and 30 of 40), the maximum's 100 - 40 the percentages (200 and 400 of 600).
      {"a spanning percentage fills the columns without one",
       "<table cellspacing=0 cellpadding=0><tr><td width=20%>a<td>b<tr><td>x<td>y<td>z<tr><td colspan=2 width=60%>c",
       {{"a", {10, 10}}, {"b", {20, 30}}, {"c", {60, 100}}}, 0, {18, 43, 0}, {30, 70, 0}, {200, 400, 0}},
      // 60% over two columns of 10% and 20%: both scaled by 60/30.
      {"a larger spanning percentage scales the columns' own",
       "<table cellspacing=0 cellpadding=0><tr><td width=10%>a<td width=20%>b<tr><td colspan=2 width=60%>c",
       {{"a", {10, 10}}, {"b", {10, 10}}, {"c", {0, 0}}}, 0, {10, 10}, {10, 10}, {200, 400}},
      // No percentages: 90 over minimums 10 and 20 is shared 30 and 60.
      {"without percentages a span is shared by size",
       "<table cellspacing=0 cellpadding=0><tr><td>a<td>b<tr><td colspan=2>c",
       {{"a", {10, 10}}, {"b", {20, 20}}, {"c", {90, 90}}}, 0, {30, 60}, {30, 60}, {0, 0}},
      // Shares of 100 over 1, 1, 1: 33 each, the first column takes the missing pixel.
      {"the first spanned column takes what rounding leaves",
       "<table cellspacing=0 cellpadding=0><tr><td>a<td>b<td>d<tr><td colspan=3>c",
       {{"a", {1, 1}}, {"b", {1, 1}}, {"d", {1, 1}}, {"c", {100, 100}}}, 0, {34, 33, 33}, {34, 33, 33}, {0, 0, 0}},
      // A cell spanning the whole table measures against the table's width: 500 shared as if the columns
      // held 400 gives them 13 and 38, and the first takes the 449 still missing.
      {"a span over all columns counts the table width",
       "<table cellspacing=0 cellpadding=0><tr><td>a<td>b<tr><td colspan=2>c",
       {{"a", {10, 10}}, {"b", {30, 30}}, {"c", {500, 500}}}, 400, {462, 38}, {462, 38}, {0, 0}},
      {"a span over all columns narrower than the table width changes nothing",
       "<table cellspacing=0 cellpadding=0><tr><td>a<td>b<tr><td colspan=2>c",
       {{"a", {10, 10}}, {"b", {30, 30}}, {"c", {300, 300}}}, 400, {10, 30}, {10, 30}, {0, 0}},
  };
  for (const TMeasureCase& c : cases) {
    SCOPED_TRACE(c.name);
    TPage page(std::string(c.rows) + "</table>");
    page.table->SpecifiedWidth = c.specifiedWidth;
    TFakeContent content(c.sizes);
    MeasurePercentColumns(*page.table, content, 1);
    EXPECT_EQ(page.table->MinWidths, c.mins);
    EXPECT_EQ(page.table->MaxWidths, c.maxs);
    EXPECT_EQ(page.table->Percentages, c.percents);
  }
}

TEST(TableMeasure, PercentMeasurementIsMadeOncePerLayoutPass) {
  TPage page("<table><tr><td width=40%>a<td width=60%>b</table>");
  ThtmlTable& t = *page.table;
  TFakeContent content({{"a", {100, 300}}, {"b", {10, 20}}});
  MeasurePercentColumns(t, content, 7);
  EXPECT_EQ(content.measured, 2);
  t.RowHeights = {10};
  // Narrow room: the natural spreading changes the arrays, and the pass keeps them.
  findColumnWidths(t, content, 200, 7);
  const auto percents = t.Percentages;
  const auto widths = t.Widths;
  EXPECT_EQ(percents, (std::vector<int>{0, 474}));
  findColumnWidths(t, content, 200, 7);
  EXPECT_EQ(content.measured, 2);
  EXPECT_EQ(t.Widths, widths);
  // The next pass measures afresh and clears the row heights.
  t.RowHeights = {10};
  MeasurePercentColumns(t, content, 8);
  EXPECT_EQ(content.measured, 4);
  EXPECT_EQ(t.Percentages, (std::vector<int>{400, 600}));
  EXPECT_TRUE(t.RowHeights.empty());
  // A plain measurement overwrites the arrays, so the percentage one cannot be kept after it.
  MeasurePlainColumns(t, content);
  EXPECT_EQ(content.measured, 6);
  MeasurePercentColumns(t, content, 8);
  EXPECT_EQ(content.measured, 8);
  EXPECT_EQ(t.Percentages, (std::vector<int>{400, 600}));
}

TEST(TableMeasure, TableMeasureWidths) {
  struct Case {
    const char* html;
    int specifiedWidth;
    int min, max;
  };
  const Case cases[] = {
      // Columns 4 + 10 + 2 and 4 + 20 + 2, plus the outer spacing.
      {"<table><tr><td>a<td>b", 0, 2 + 14 + 14, 2 + 34 + 34},
      {"<table><tr><td>a<td>b", 100, 100, 100},
      {"<table><tr><td>a<td>b", 50, 50, 70},
      // A pixel width without a table width: the plain measurement, 60 + 4 for a.
      {"<table><tr><td width=60>a<td>b", 0, 2 + 64 + 14, 2 + 64 + 34},
      {"<table cellspacing=5></table>", 0, 5, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    TPage page(std::string(c.html) + "</table>");
    page.table->SpecifiedWidth = c.specifiedWidth;
    TFakeContent content({{"a", {10, 30}}, {"b", {10, 30}}});
    const auto w = measureTableWidths(*page.table, content, 1);
    EXPECT_EQ(w.Min, c.min);
    EXPECT_EQ(w.Max, c.max);
  }
}

// --- Spreading a width over the columns ---

struct TSpreadCase {
  const char* name;
  std::vector<int> mins, maxs, percents;
  int64_t width;
  std::vector<int> widths;
  std::vector<int> percentsAfter = {};  // when the spreading changes them
};

TEST(TableSpread, NaturalWidth) {
  const TSpreadCase cases[] = {
      // Desired = max(60 * 1000 / 300, 90 * 1000 / 300) = 300; each column 300 * 300 / 1000.
      {"percentages make the table only as wide as they ask", {10, 10}, {60, 90}, {300, 300}, 600, {90, 90}},
      // A = 100 * 1000 / 500, B = 100 * 1000 / 500: both columns 100.
      {"a percentage beside a plain column", {10, 10}, {100, 100}, {500, 0}, 600, {100, 100}},
      // Desired 600 does not fit 400: the first column's share 200 is below its minimum, it keeps 300; the
      // second's percentage is scaled to fit the 100 left.
      {"too narrow: a column gives up its percentage", {300, 10}, {300, 100}, {500, 500}, 400, {300, 100}, {0, 250}},
      // No percentages: 10 + 20 * 70 / 80 and 20 + 60 * 70 / 80, rounded, and the widest range gives back one.
      {"without percentages the room follows the ranges", {10, 20}, {30, 80}, {0, 0}, 100, {28, 72}},
      {"equal minimums and maximums: the first takes the rest", {10, 10, 10}, {10, 10, 10}, {0, 0, 0}, 40,
       {14, 13, 13}},
      // 100% and a plain column: Desired is 30000, far beyond the room, so the room is filled.
      {"a whole-table percentage", {10, 10}, {50, 50}, {1000, 0}, 500, {490, 10}, {980, 0}},
      // The room is filled beyond the maximums, in proportion to the ranges.
      {"percentages above 100 in all are treated as plain", {10, 10}, {20, 40}, {700, 700}, 100, {30, 70}},
  };
  TPage page("<table></table>");
  ThtmlTable& t = *page.table;
  for (const TSpreadCase& c : cases) {
    SCOPED_TRACE(c.name);
    t.ColumnCount = static_cast<int>(c.mins.size());
    t.MinWidths = c.mins;
    t.MaxWidths = c.maxs;
    t.Percentages = c.percents;
    const TColumnTotals totals{std::accumulate(c.mins.begin(), c.mins.end(), int64_t{0}),
                               std::accumulate(c.maxs.begin(), c.maxs.end(), int64_t{0})};
    SpreadNaturalWidth(t, c.width, totals);
    EXPECT_EQ(t.Widths, c.widths);
    EXPECT_EQ(t.Percentages, c.percentsAfter.empty() ? c.percents : c.percentsAfter);
  }
}

TEST(TableSpread, SpecifiedWidth) {
  const TSpreadCase cases[] = {
      // 300 for the percentage; the plain column grows by all of the rest, having the slack for it.
      {"plain columns take the rest by their slack", {10, 100}, {10, 300}, {300, 0}, 1000, {300, 700}},
      // Slack 20 is under a quarter of the 800 missing: shared evenly.
      {"little slack: the rest is shared evenly", {100, 100}, {110, 110}, {0, 0}, 1000, {500, 500}},
      {"only percentages: they grow in proportion", {10, 10}, {10, 10}, {200, 300}, 1000, {400, 600}},
      // Both shares (100) are below the minimums: nothing to grow by percentage, the rest is shared.
      {"only percentages, all at their minimums", {150, 150}, {150, 150}, {100, 100}, 1000, {500, 500}},
      // 600 + 600 in 1000: the second would fall below its minimum 550 and keeps it; the first gives 150.
      {"too wide: percentages shrink, not below their minimums", {100, 550}, {100, 550}, {600, 600}, 1000,
       {450, 550}},
      {"the pixel rounding leaves goes to the first columns", {10, 10, 10}, {10, 10, 10}, {333, 333, 333}, 1000,
       {334, 333, 333}},
      // 250 and two plain columns of 375; the odd pixel to the last plain column.
      {"the last plain column takes what is left", {0, 0, 0}, {0, 0, 0}, {250, 0, 0}, 1001, {250, 375, 376}},
      {"no columns", {}, {}, {}, 500, {}},
  };
  TPage page("<table></table>");
  ThtmlTable& t = *page.table;
  for (const TSpreadCase& c : cases) {
    SCOPED_TRACE(c.name);
    t.ColumnCount = static_cast<int>(c.mins.size());
    t.MinWidths = c.mins;
    t.MaxWidths = c.maxs;
    t.Percentages = c.percents;
    SpreadSpecifiedWidth(t, c.width);
    EXPECT_EQ(t.Widths, c.widths);
  }
}

TEST(TableSpread, PlainWidths) {
  const TSpreadCase cases[] = {
      {"narrower than the minimums", {50, 60}, {100, 100}, {}, 100, {50, 60}},
      {"wider than the maximums", {50, 60}, {100, 100}, {}, 300, {100, 100}},
      // 10 + 10 * 10 / 30 rounds to 13 each; one pixel short, the first column takes it.
      {"in between: rounding made up from the first column", {10, 10, 10}, {20, 20, 20}, {}, 40, {14, 13, 13}},
      // 10 + 2/3 rounds to 11 each: one pixel over, the first column that can shrink gives it back.
      {"one pixel over", {10, 10, 10}, {11, 11, 11}, {}, 32, {10, 11, 11}},
  };
  TPage page("<table></table>");
  ThtmlTable& t = *page.table;
  for (const TSpreadCase& c : cases) {
    SCOPED_TRACE(c.name);
    t.ColumnCount = static_cast<int>(c.mins.size());
    t.MinWidths = c.mins;
    t.MaxWidths = c.maxs;
    const TColumnTotals totals{std::accumulate(c.mins.begin(), c.mins.end(), int64_t{0}),
                               std::accumulate(c.maxs.begin(), c.maxs.end(), int64_t{0})};
    SpreadPlainWidths(t, c.width, totals);
    EXPECT_EQ(t.Widths, c.widths);
  }
}

TEST(TableSpread, ColumnWidthsOfPages) {
  struct Case {
    const char* name;
    const char* html;
    std::map<std::string, TSize> sizes;
    int specifiedWidth, room;
    std::vector<int> widths;
    int tableWidth;
  };
  const Case cases[] = {
      {"two 30% columns with maximums 60 and 90 in 600",
       "<table cellpadding=0><tr><td width=30%>a<td width=30%>b", {{"a", {5, 58}}, {"b", {5, 88}}}, 0, 600,
       {90, 90}, 2 + 180},
      {"minimums wider than the table's width", "<table cellspacing=0 cellpadding=0><tr><td>a<td>b",
       {{"a", {250, 300}}, {"b", {250, 300}}}, 400, 800, {250, 250}, 500},
      {"minimums wider than the room", "<table cellspacing=0 cellpadding=0><tr><td>a<td>b",
       {{"a", {250, 300}}, {"b", {250, 300}}}, 0, 400, {250, 250}, 500},
      {"a pixel width and no table width: the plain spreading",
       "<table cellspacing=0 cellpadding=0><tr><td width=100>a<td>b", {{"a", {10, 10}}, {"b", {20, 300}}}, 0, 500,
       {100, 300}, 400},
      // The pixel width is 20% of 500; the other column takes the remaining 400.
      {"a pixel width in a table with a width", "<table cellspacing=0 cellpadding=0><tr><td width=100>a<td>b",
       {{"a", {10, 10}}, {"b", {20, 50}}}, 500, 800, {100, 400}, 500},
      {"a table without rows", "<table cellspacing=3>", {}, 300, 800, {}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPage page(std::string(c.html) + "</table>");
    page.table->SpecifiedWidth = c.specifiedWidth;
    TFakeContent content(c.sizes);
    EXPECT_EQ(findColumnWidths(*page.table, content, c.room, 1), c.tableWidth);
    EXPECT_EQ(page.table->Widths, c.widths);
    EXPECT_EQ(page.table->TableWidth, c.tableWidth);
  }
}

// --- Row heights ---

TEST(TableRows, RowHeights) {
  struct Case {
    const char* name;
    const char* rows;
    std::map<std::string, TSize> sizes;
    int blockHeight;
    std::vector<int> heights;
  };
  const std::map<std::string, TSize> fifty{{"a", {0, 0, 50}}, {"b", {0, 0, 50}}};
  const Case cases[] = {
      {"HEIGHT spread over unmarked rows", "<tr><td>a<tr><td>b", fifty, 300, {150, 150}},
      {"the odd pixel goes to the last row", "<tr><td>a<tr><td>b", fifty, 301, {150, 151}},
      {"no table height: natural heights", "<tr><td>a<tr><td>b", fifty, 0, {50, 50}},
      {"a table height below the rows'", "<tr><td>a<tr><td>b", fifty, 60, {50, 50}},
      // The marked row keeps its 80, the other takes the rest.
      {"a pixel height keeps its row", "<tr><td height=80>a<tr><td>b", {{"a", {0, 0, 10}}, {"b", {0, 0, 50}}}, 300,
       {80, 220}},
      // All rows marked: 50 and 100 scaled to 300.
      {"rows all with heights are scaled", "<tr><td height=50>a<tr><td height=100>b", {}, 300, {100, 200}},
      // 1, 1, 2 scaled to 10: 2.5 rounds to even.
      {"scaling rounds halves to even", "<tr><td height=1>a<tr><td height=1>b<tr><td height=2>c", {}, 10, {2, 2, 6}},
      // 40% of 200 is 80 for the first row; the second, unmarked, takes the rest.
      {"a row's percent height", "<tr height=40%><td>a<td>b<tr><td>c<td>d",
       {{"a", {0, 0, 10}}, {"b", {0, 0, 10}}, {"c", {0, 0, 10}}, {"d", {0, 0, 10}}}, 200, {80, 120}},
      // Naturals 10 and 10, desired 31 and 31 (50% of 61): 41 above the naturals, 20.5 of it (to even) for
      // the first row.
      {"between natural and desired heights", "<tr><td height=50%>a<tr><td height=50%>b",
       {{"a", {0, 0, 10}}, {"b", {0, 0, 10}}}, 61, {30, 31}},
      {"percent heights count as nothing without a table height", "<tr><td height=50%>a<tr><td>b",
       {{"a", {0, 0, 10}}, {"b", {0, 0, 20}}}, 0, {10, 20}},
      // 100 over rows of 20 and 30: 25 more each.
      {"a row span spreads its height", "<tr><td rowspan=2>a<td>b<tr><td>c",
       {{"a", {0, 0, 100}}, {"b", {0, 0, 20}}, {"c", {0, 0, 30}}}, 0, {45, 55}},
      {"a row span's odd pixel goes to its last row", "<tr><td rowspan=2>a<td>b<tr><td>c",
       {{"a", {0, 0, 101}}, {"b", {0, 0, 20}}, {"c", {0, 0, 30}}}, 0, {45, 56}},
      {"a row span past the end counts the rows there are", "<tr><td rowspan=9>a<td>b<tr><td>c",
       {{"a", {0, 0, 100}}, {"b", {0, 0, 20}}, {"c", {0, 0, 30}}}, 0, {45, 55}},
      {"a row span lower than its rows changes nothing", "<tr><td rowspan=2>a<td>b<tr><td>c",
       {{"a", {0, 0, 40}}, {"b", {0, 0, 20}}, {"c", {0, 0, 30}}}, 0, {20, 30}},
      // 1% of 10 is nothing: every row is marked and none wants any height, so they share it.
      {"marked rows that want nothing share the height", "<tr><td height=1%>a<tr><td height=1%>b", {}, 10, {5, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPage page(std::string("<table cellspacing=0 cellpadding=0>") + c.rows + "</table>");
    ThtmlTable& t = *page.table;
    TFakeContent content(c.sizes);
    findColumnWidths(t, content, 500, 1);
    ComputeRowHeights(t, content, c.blockHeight, 0);
    spanRows(t);
    EXPECT_EQ(rowHeights(t), c.heights);
    EXPECT_EQ(t.RowHeights, c.heights);
    EXPECT_EQ(t.TableHeight, std::accumulate(c.heights.begin(), c.heights.end(), 0));
  }
}

TEST(TableRows, CellsAreLaidOutInTheirBox) {
  // Spacing 3, padding 2, so each cell's extras are 4; the columns are 3 + 4 + 40 wide.
  TPage page("<table cellspacing=3 cellpadding=2><tr><td height=30>a<td>b<tr><td colspan=2>c</table>");
  ThtmlTable& t = *page.table;
  TFakeContent content({{"a", {40, 40, 10}}, {"b", {40, 40, 10}}, {"c", {10, 10, 10}}});
  findColumnWidths(t, content, 3 + 47 + 47, 1);  // the room the table block gives a table without a width
  ASSERT_EQ(t.Widths, (std::vector<int>{47, 47}));
  ComputeRowHeights(t, content, 0, 100);
  const auto& a = content.boxes.at("a");
  EXPECT_EQ(a.X, 3 + 2);
  EXPECT_EQ(a.Y, 100 + 3 + 2);
  EXPECT_EQ(a.Width, 40);
  EXPECT_EQ(a.MinHeight, 30 - 4);  // the pixel height less the extras
  EXPECT_EQ(content.boxes.at("b").X, 3 + 47 + 2);
  EXPECT_EQ(content.boxes.at("c").Width, 47 + 47 - 4 - 3);
  // The first row: 30 (the pixel height, extras included) + 3.
  EXPECT_EQ(t.RowHeights, (std::vector<int>{33, 17}));
  spanRows(t);
  EXPECT_EQ(t.TableHeight, 33 + 17 + 3);
  EXPECT_EQ(t.Rows[0]->Cells[0]->SpannedWidth, 47);
  EXPECT_EQ(t.Rows[1]->Cells[0]->SpannedWidth, 94);
}

TEST(TableRows, SpannedHeightsAndTallestSpan) {
  TPage page("<table cellspacing=0 cellpadding=0><tr><td rowspan=3>a<td>b<tr><td rowspan=2>c<tr></table>");
  ThtmlTable& t = *page.table;
  TFakeContent content({{"b", {0, 0, 10}}, {"c", {0, 0, 20}}});
  findColumnWidths(t, content, 500, 1);
  ComputeRowHeights(t, content, 0, 0);
  spanRows(t);
  ASSERT_EQ(rowHeights(t), (std::vector<int>{10, 10, 10}));
  EXPECT_EQ(t.Rows[0]->Cells[0]->SpannedHeight, 30);
  EXPECT_EQ(t.Rows[0]->TallestSpan, 30);
  EXPECT_EQ(t.Rows[1]->Cells[1]->SpannedHeight, 20);
  EXPECT_EQ(t.Rows[1]->TallestSpan, 20);
  EXPECT_EQ(t.Rows[2]->TallestSpan, 0);  // spacer slots only
}

TEST(TableRows, VerticalAlignmentWhenPlaced) {
  struct Case {
    const char* valign;
    int offset;
  };
  // The row is 3 + 4 + 50 high, a's content 10: 40 pixels to move within.
  const Case cases[] = {{"top", 0}, {"middle", 20}, {"bottom", 40}, {"baseline", 40}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.valign);
    TPage page(std::string("<table cellspacing=3 cellpadding=2><tr><td valign=") + c.valign + ">a<td>b<td></table>");
    ThtmlTable& t = *page.table;
    TFakeContent content({{"a", {10, 10, 10}}, {"b", {10, 10, 50}}});
    findColumnWidths(t, content, 500, 1);
    ComputeRowHeights(t, content, 0, 0);
    spanRows(t);
    content.boxes.clear();
    placeRowCells(t, columnLefts(t), 0, 200, content);
    TCellObj& a = *t.Rows[0]->Cells[0];
    EXPECT_EQ(a.VerticalOffset, c.offset);
    const auto& box = content.boxes.at("a");
    EXPECT_EQ(box.Y, 200 + 3 + 2 + c.offset);
    EXPECT_EQ(box.X, 3 + 2);
    EXPECT_EQ(box.MinHeight, 57 - 4 - 3);
    EXPECT_EQ(content.boxes.count(""), 0u);  // the empty cell is not laid out
  }
}

TEST(TableRows, RowHeightsAreRecomputedWhenDue) {
  TPage page("<table><tr><td>a</table>");
  ThtmlTable& t = *page.table;
  EXPECT_TRUE(rowHeightsDue(t, false, 1));
  t.RowHeights = {20};
  EXPECT_FALSE(rowHeightsDue(t, false, 1));
  EXPECT_TRUE(rowHeightsDue(t, true, 5));
  EXPECT_FALSE(rowHeightsDue(t, true, 6));
}

// --- Large grids ---

// The slots of every row.
size_t slotCount(const ThtmlTable& t) {
  size_t n = 0;
  for (const auto& row : t.Rows) n += row->Cells.size();
  return n;
}

TEST(TableLarge, WideAndDeepGridsStaySmall) {
  auto repeat = [](const std::string& piece, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += piece;
    return s;
  };
  {
    // 3000 columns under a row of cells spanning 1000 each.
    TPage page("<table><tr>" + repeat("<td colspan=1000>w", 3) + "<tr>" + repeat("<td>x", 3000) + "</table>");
    ThtmlTable& t = *page.table;
    TFakeContent content({{"w", {900, 3000, 10}}, {"x", {1, 2, 10}}});
    findColumnWidths(t, content, 5000, 1);
    ComputeRowHeights(t, content, 0, 0);
    spanRows(t);
    EXPECT_EQ(t.ColumnCount, 3000);
    EXPECT_EQ(t.TableWidth, 2 + 3000 * 5);  // the narrow columns' minimums hold the spanning cells
  }
  {
    // 20000 rows beside a cell spanning them all.
    TPage page("<table><tr><td rowspan=65534>a<td>b" + repeat("<tr><td>b", 19999) + "</table>");
    ThtmlTable& t = *page.table;
    TFakeContent content({{"a", {10, 10, 200000}}, {"b", {10, 10, 1}}});
    findColumnWidths(t, content, 500, 1);
    ComputeRowHeights(t, content, 0, 0);
    spanRows(t);
    EXPECT_EQ(t.Rows[0]->Cells[0]->RowSpan, 20000);
    // a (200000 + 2 of padding + 2 of spacing) over 20000 rows of 1 + 2 + 2: 10 each, the last 4 more.
    EXPECT_EQ(t.TableHeight, 2 + 200000 + 2 + 2);
    EXPECT_EQ(t.Rows[0]->Cells[0]->SpannedHeight, 200004);
  }
  {
    // A few bytes asking for a block of 1000 columns over 5000 empty rows.
    TPage page("<table><tr><td colspan=1000 rowspan=65534>a" + repeat("<tr>", 5000) + "</table>");
    ThtmlTable& t = *page.table;
    const int64_t budget = spacerBudget(t);
    PrepareGrid(t);
    EXPECT_LE(static_cast<int64_t>(slotCount(t)), 1 + budget);
    // The span was cut where the slots ran out, and the rows it still covers hold its column.
    TCellObj& a = *t.Rows[0]->Cells[0];
    EXPECT_LT(a.RowSpan, 5001);
    EXPECT_GT(a.RowSpan, 1);
    for (size_t r = 1; r < t.Rows.size(); ++r) {
      SCOPED_TRACE(r);
      ASSERT_EQ(t.Rows[r]->Cells.size(), r < static_cast<size_t>(a.RowSpan) ? static_cast<size_t>(a.ColSpan) : 0u);
    }
    TFakeContent content({{"a", {10, 10, 10}}});
    findColumnWidths(t, content, 500, 1);
    ComputeRowHeights(t, content, 0, 0);
    spanRows(t);
  }
}

TEST(TableLarge, ScalingPercentagesStopsAtWideRooms) {
  // A thousand 0.1% columns in a very wide room: each share rounds up (268435.5), so scaling the
  // percentages by a hair never brings the sum below the room.
  TPage page("<table></table>");
  ThtmlTable& t = *page.table;
  t.ColumnCount = 1000;
  t.MinWidths.assign(1000, 200000);
  t.MaxWidths.assign(1000, kMaxTableExtent);
  t.Percentages.assign(1000, 1);
  const int64_t room = 268435500;
  SpreadNaturalWidth(t, room, {int64_t{200000} * 1000, int64_t{kMaxTableExtent} * 1000});
  EXPECT_EQ(std::accumulate(t.Widths.begin(), t.Widths.end(), int64_t{0}), room);
}

TEST(TableArithmetic, ScaledSharesRoundHalvesAwayFromZero) {
  struct Case {
    int64_t a, b, c, result;
  };
  const Case cases[] = {{1, 1, 2, 1},  {3, 1, 2, 2},     {-1, 1, 2, -1}, {1, -3, 2, -2}, {10, 7, 3, 23},
                        {5, 0, 9, 0},  {2147483647, 2147483647, 2147483647, 2147483647}, {7, 3, 0, 0}};
  for (const Case& c : cases) EXPECT_EQ(mulDivRound(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
}

}  // namespace
}  // namespace lumora::html
