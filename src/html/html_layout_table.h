#pragma once
// Table layout: completing a table's grid, measuring its columns, spreading a width over them and finding
// its row heights. ThtmlTable::LayOut and MeasureWidths call these; the cells' content is measured and laid
// out through ITableCellContent, so the algorithms here know nothing of sections and blocks.
//
// Everything is free functions over one ThtmlTable; their state is the table's layout fields
// (html_table.h). Per layout of a table:
//
//   PrepareGrid(T);                                       // first use only; later calls return at once
//   findColumnWidths(T, Content, RightEdge(Y) - LeftEdge(Y), LayoutPass);   // Widths, TableWidth
//   if (rowHeightsDue(T, PositioningPass, NestingDepth)) ComputeRowHeights(T, Content, BlockHeight, Y);
//   spanRows(T);                                          // row heights, spanned heights, tallest spans
//   const auto lefts = columnLefts(T);
//   for each row r, from RowTop = Y down by T.Rows[r]->Height:
//     (outermost table: positioning pass on)  placeRowCells(T, lefts, r, RowTop, Content);  (and off again)
//   height = T.TableHeight (set by spanRows), MaxWidth = T.TableWidth.
//
// and for ThtmlTable::MeasureWidths: measureTableWidths(T, Content, LayoutPass).
//
// Arithmetic: a scaled share a * b / c (mulDivRound) uses a product that cannot overflow and rounds halves
// away from zero; a plain quotient truncates toward zero; row heights that are scaled to a total round
// halves to even. Pixel values coming in (content sizes, WIDTH and HEIGHT, paddings, borders, the room
// given) are taken as at most kMaxTableExtent, so sums over a whole grid fit in 64 bits and every stored
// width and height fits in an int.
//
// Grid size: a table adds at most spacerBudget(T) spacer slots for its spans. A span that would need more
// is cut short (a column span at the slots left; row spans end at the row where the budget runs out), so a
// few bytes of markup cannot make a grid of billions of slots. Ordinary tables never reach the budget.

#include <cstdint>
#include <vector>

#include "html/html_table.h"

namespace lumora::html {

inline constexpr int kMaxTableExtent = 1 << 28;

// What the table asks of its cells' content.
class ITableCellContent {
 public:
  struct TWidths {
    int Min = 0, Max = 0;
  };
  // Where a cell's content goes: X from the table's left edge, Y in document coordinates.
  struct TBox {
    int X = 0, Y = 0;
    int Width = 0;      // the content's width
    int MinHeight = 0;  // the content is laid out at least this high
  };
  virtual ~ITableCellContent() = default;
  // The content's minimum and maximum widths (its MeasureWidths), without the cell's padding and border.
  virtual TWidths measureContent(TCellObj& Cell) = 0;
  // Lays the content out in Box and returns the height of the content itself, not raised to MinHeight:
  // VALIGN moves content within the room it leaves, and percentage heights only count above it.
  virtual int layOutContent(TCellObj& Cell, const TBox& Box) = 0;
};

// Sums of the column minimums and maximums a measurement leaves (MinT and MaxT).
struct TColumnTotals {
  int64_t Min = 0, Max = 0;
};

// Completes the grid once: row colours and background images handed to cells, default paddings, border
// widths of a bordered table, the cells' extras, spacer slots for column and row spans, trailing spacer
// columns dropped, COL widths applied, the per-column arrays sized. Sets GridPrepared; does nothing when
// it is set.
//
// Row spans are followed in every column, including columns that spans above pushed a cell into, so a
// covered row always holds a spacer slot where a span reaches down. Trailing spacer columns are looked for
// at the grid's full width once row spans are in, so a column that a lower row's coverage still uses stays.
//
// HasAbsoluteWidth means that some real cell (not a spacer slot) has a width in pixels, whether from its
// WIDTH or from a COL element; slots without a width and spacer slots never count, so COL elements alone
// do not switch a table to the plain spreading.
void PrepareGrid(ThtmlTable& Table);

// The spacer slots PrepareGrid may add to this table: a fixed allowance plus a few per row and real cell.
int64_t spacerBudget(const ThtmlTable& Table);

// A cell's minimum and maximum widths: its content's plus its horizontal extra and the cell spacing.
ITableCellContent::TWidths measureCell(const ThtmlTable& Table, TCellObj& Cell, ITableCellContent& Content);

// Column minimums and maximums from the cells, spans distributed by the columns' own sizes; pixel widths
// raise both. Clears the row heights. Measured again on every call; since it overwrites the arrays, the next
// percentage measurement is made afresh even within the same layout pass.
TColumnTotals MeasurePlainColumns(ThtmlTable& Table, ITableCellContent& Content);

// Column minimums, maximums and percentages against the specified width; spans distributed by percentage.
// Made once per layout pass: with MeasurementKey equal to LayoutPass the arrays are kept (SpreadNaturalWidth
// may have changed them) and only the totals are summed. Clears the row heights when it measures.
TColumnTotals MeasurePercentColumns(ThtmlTable& Table, ITableCellContent& Content, int LayoutPass);

// Spreads Width (the room less one cell spacing) over the columns from the plain measurement.
void SpreadPlainWidths(ThtmlTable& Table, int64_t Width, TColumnTotals Totals);
// The same for a table with a width of its own, from the percentage measurement; requires Totals.Min < Width.
void SpreadSpecifiedWidth(ThtmlTable& Table, int64_t Width);
// The same for a table without a width: percentage columns make the table as wide as they want it (never
// wider than Width); otherwise Width is filled. Requires Totals.Min < Width. May change the percentage
// measurement's arrays, which the rest of the layout pass keeps.
void SpreadNaturalWidth(ThtmlTable& Table, int64_t Width, TColumnTotals Totals);

// Prepares the grid, measures and spreads for the room AvailableWidth (the indent manager's right edge less
// its left edge at the table's top; unused when the table has a specified width). Sets Widths and TableWidth
// and returns TableWidth.
int findColumnWidths(ThtmlTable& Table, ITableCellContent& Content, int AvailableWidth, int LayoutPass);

// The table's minimum and maximum widths for its MeasureWidths: cell spacing included, at least the
// specified width.
ITableCellContent::TWidths measureTableWidths(ThtmlTable& Table, ITableCellContent& Content, int LayoutPass);

// Whether the layout must compute the row heights: when they are unknown, and again in the positioning pass
// for tables nested at most five deep (the outermost table is depth 1).
bool rowHeightsDue(const ThtmlTable& Table, bool PositioningPass, int NestingDepth);

// Lays every real cell's content out at its spanned width (contents as if their row began at the table's
// top Y) and finds the row heights: natural ones from the contents and pixel heights, stretched towards
// percentage heights and the table's height BlockHeight (0 or less: none). Sets RowHeights, and each cell's
// SpannedWidth and ContentHeight. Requires the column widths.
void ComputeRowHeights(ThtmlTable& Table, ITableCellContent& Content, int BlockHeight, int Y);

// The rows' heights from RowHeights, each real cell's spanned height (the rows it spans), each row's tallest
// span, and TableHeight.
void spanRows(ThtmlTable& Table);

// The left edges of the columns from the table's left edge (the cell spacing plus the widths before each),
// and last the table width: ColumnCount + 1 entries.
std::vector<int> columnLefts(const ThtmlTable& Table);

// Places the real cells of row Row, whose top is RowTop (Lefts from columnLefts): the vertical offset for
// VALIGN, then the content is laid out at its final place, filling the cell's box; the spanned width is
// taken from the current column widths. Cells without content are left alone. Requires ComputeRowHeights
// and spanRows.
void placeRowCells(ThtmlTable& Table, const std::vector<int>& Lefts, size_t Row, int RowTop,
                   ITableCellContent& Content);

// a * b / c with a 64-bit product, rounded to the nearest integer, halves away from zero; 0 when c is 0.
int64_t mulDivRound(int64_t a, int64_t b, int64_t c);

}  // namespace lumora::html
