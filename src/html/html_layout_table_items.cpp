// The table as a document item: its layout and measurement through the grid algorithms of
// html_layout_table.h, with the cells' content laid out as cells; the block around the table and the
// container that holds it with its caption.

#include <algorithm>

#include "core/scoped_level.h"
#include "html/html_blocks.h"
#include "html/html_layout_indent.h"
#include "html/html_layout_table.h"
#include "html/html_table.h"

namespace lumora::html {
namespace {


// The cells' content as the grid algorithms see it: measured and laid out as the cells they are.
class TCellContent : public ITableCellContent {
 public:
  TCellContent(ITextMetrics& Metrics, int TableX, int& CharPosition)
      : metrics_(Metrics), tableX_(TableX), charPosition_(CharPosition) {}

  TWidths measureContent(TCellObj& Cell) override {
    TWidths w;
    Cell.Cell->MinMaxWidths(metrics_, w.Min, w.Max);
    return w;
  }

  int layOutContent(TCellObj& Cell, const TBox& Box) override {
    int maxWidth = 0, scrollWidth = 0;
    Cell.Cell->CellTop = Box.Y;
    return Cell.Cell->DoLayout(metrics_, tableX_ + Box.X, Box.Y, Box.Width, Box.MinHeight, 0, edges_, charPosition_,
                               maxWidth, scrollWidth);
  }

 private:
  // Each cell has a float context of its own; the cell resets it, so one serves every cell of the table.
  IndentManager edges_;
  ITextMetrics& metrics_;
  int tableX_;
  int& charPosition_;
};

}  // namespace

// --- The table ---

int ThtmlTable::LayOut(ITextMetrics& Metrics, int X, int, int, int BlockHeight, IndentManager& IMgr, int Y,
                       int& CharPosition, int& MaxWidth, int& ScrollWidth) {
  const core::ScopedLevel nest(Document->TableNestLevel);
  StartCurs = CharPosition;
  YPosition = ContentTop = DrawTop = Y;
  TableLeft = X;
  // Measuring and the row heights lay the cells out where they will not stay; their positions come from
  // the placing below.
  int scratch = CharPosition;
  TCellContent measuring(Metrics, X, scratch);
  findColumnWidths(*this, measuring, IMgr.RightEdge(Y) - IMgr.LeftEdge(Y), Document->CycleNumber);
  if (rowHeightsDue(*this, Document->InLogic2, Document->TableNestLevel))
    ComputeRowHeights(*this, measuring, BlockHeight, Y);
  spanRows(*this);
  const std::vector<int> lefts = columnLefts(*this);
  // Nested tables are placed while the outermost table places its rows.
  const bool outermost = Document->TableNestLevel == 1;
  int position = CharPosition;
  TCellContent placing(Metrics, X, position);
  int rowTop = Y;
  for (size_t r = 0; r < Rows.size(); ++r) {
    if (outermost) Document->InLogic2 = true;
    if (Document->InLogic2) placeRowCells(*this, lefts, r, rowTop, placing);
    if (outermost) Document->InLogic2 = false;
    rowTop += Rows[r]->Height;
  }
  CharPosition = std::max(CharPosition, position);
  SectionHeight = TableHeight;
  ContentBot = DrawBot = Y + TableHeight;
  DrawHeight = TableHeight;
  MaxWidth = TableWidth;
  ScrollWidth = std::max(ScrollWidth, X + TableWidth);
  if (Document->FirstLineHtPtr && *Document->FirstLineHtPtr == 0) *Document->FirstLineHtPtr = Y + TableHeight;
  return TableHeight;
}

void ThtmlTable::MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) {
  int scratch = 0;
  TCellContent content(Metrics, 0, scratch);
  const ITableCellContent::TWidths w = measureTableWidths(*this, content, Document->CycleNumber);
  MinWidth = w.Min;
  MaxWidth = w.Max;
}

void ThtmlTable::RegisterPositions() {
  Document->PositionList.push_back(this);
  for (const auto& row : Rows)
    for (const auto& cell : row->Cells)
      if (cell && cell->Cell)
        for (const auto& item : cell->Cell->Items) item->RegisterPositions();
}

// --- The block around the table ---

int TTableBlock::tableContentWidth(ITextMetrics& Metrics, int AvailableWidth, int Outer) {
  const int padBorder = orZero(MargArray[PaddingLeft]) + orZero(MargArray[PaddingRight]) +
                        orZero(MargArray[BorderLeftWidth]) + orZero(MargArray[BorderRightWidth]);
  int mn = 0, mx = 0;
  if (TableIndent && WidthAttr > 0 && Table->SpecifiedWidth > 0) return Table->SpecifiedWidth;  // as the container found it
  if (WidthAttr <= 0) {
    Table->MeasureWidths(Metrics, mn, mx);
    return mx <= AvailableWidth - Outer ? mx : std::max(mn, AvailableWidth - Outer);
  }
  const int w = AsPercent ? static_cast<int>(static_cast<long long>(AvailableWidth) * WidthAttr / 1000) - Outer
                          : WidthAttr - padBorder;
  Table->SpecifiedWidth = std::max(0, w);
  Table->MeasureWidths(Metrics, mn, mx);
  Table->SpecifiedWidth = std::max(mn, w);
  return Table->SpecifiedWidth;
}

int TTableBlock::ResolveWidth(ITextMetrics& Metrics, int AvailableWidth, int, int) {
  int& ml = MargArray[MarginLeft];
  int& mr = MargArray[MarginRight];
  if (TableIndent) {
    ml = mr = 0;
  } else {
    ml = orZero(ml);
    mr = orZero(mr);
    if (FloatLR != TSide::None) {
      if (ml == 0) ml = HSpace;
      if (mr == 0) mr = HSpace;
      if (TopMargin == 0) TopMargin = VSpace;
      if (BottomMargin == 0) BottomMargin = VSpace;
    }
  }
  // The HTML background colour stands in for a CSS one; cells without a colour take it.
  TColor background = MargArray[BackgroundColor];
  if ((background == kColorNone || background == 0) && BkGnd) {
    background = BkColor;
    MargArray[BackgroundColor] = BkColor;
  }
  Table->PropagateBackground = background != kColorNone && BkGnd && BgImageUrl.empty();
  Table->BkColor = background;
  const int L = ml + orZero(MargArray[BorderLeftWidth]) + orZero(MargArray[PaddingLeft]);
  const int R = mr + orZero(MargArray[BorderRightWidth]) + orZero(MargArray[PaddingRight]);
  if (!TableIndent) Table->SpecifiedWidth = 0;
  const int width = std::max(0, tableContentWidth(Metrics, AvailableWidth, L + R));
  if (ml == 0 && mr == 0 && width + L + R < AvailableWidth) {
    const int leftover = AvailableWidth - width - L - R;
    if (Justify == 3) ml = leftover;
    else if (Justify == 2) ml = leftover / 2;
  }
  return width;
}

void TTableBlock::MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) {
  TMarginArray m;
  int autoCount = 0;
  ConvertBoxArray(MargArrayO, 0, 0, EmSize, ExSize, m, autoCount);
  const int padBorder = orZero(m[PaddingLeft]) + orZero(m[PaddingRight]) + orZero(m[BorderLeftWidth]) +
                        orZero(m[BorderRightWidth]);
  Table->SpecifiedWidth = WidthAttr > 0 && !AsPercent ? std::max(0, WidthAttr - padBorder) : 0;
  TBlock::MeasureWidths(Metrics, MinWidth, MaxWidth);
  if (Table->SpecifiedWidth > 0) MinWidth = MaxWidth = std::max(MinWidth, Table->SpecifiedWidth);
}

int TTableBlock::LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight,
                        IndentManager& IMgr, int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) {
  int x = X, width = Width;
  if (FloatLR == TSide::None) {
    // Floats beside the table push it right and narrow it.
    x = std::max(X, IMgr.LeftEdge(Y));
    width = std::min(X + Width, IMgr.RightEdge(Y)) - x;
  }
  HorzShift = x - X;
  // The table's rows share out the block's own height.
  TMarginArray m;
  int autoCount = 0;
  ConvertBoxArray(MargArrayO, width, AvailableHeight, EmSize, ExSize, m, autoCount);
  const int height = m[html::Height] != kAutoLength && m[html::Height] > 0 ? m[html::Height] : 0;
  (void)BlockHeight;
  return TBlock::LayOut(Metrics, x, width, AvailableHeight, height, IMgr, Y, CharPosition, MaxWidth, ScrollWidth);
}

void TTableBlock::RegisterPositions() { Table->RegisterPositions(); }

// --- The table with its caption ---

int TTableAndCaptionBlock::ResolveWidth(ITextMetrics& Metrics, int AvailableWidth, int, int) {
  // The container only places the pair: no box of its own.
  for (int i : {PaddingLeft, PaddingRight, PaddingTop, PaddingBottom, BorderLeftWidth, BorderRightWidth,
                BorderTopWidth, BorderBottomWidth})
    MargArray[i] = 0;
  MargArray[BackgroundColor] = kColorNone;
  int& ml = MargArray[MarginLeft];
  int& mr = MargArray[MarginRight];
  ml = orZero(ml);
  mr = orZero(mr);
  TableBlock->FloatLR = TSide::None;
  TableBlock->Justify = 0;
  int capMin = 0, capMax = 0;
  CaptionBlock->MeasureWidths(Metrics, capMin, capMax);
  // The table's outer width with margins 0; a percentage of the smaller of its share and the room.
  TMarginArray m;
  int autoCount = 0;
  ConvertBoxArray(TableBlock->MargArrayO, AvailableWidth, 0, TableBlock->EmSize, TableBlock->ExSize, m, autoCount);
  TableBlock->MargArray = m;
  const int padBorder = orZero(m[PaddingLeft]) + orZero(m[PaddingRight]) + orZero(m[BorderLeftWidth]) +
                        orZero(m[BorderRightWidth]);
  int room = AvailableWidth;
  if (TableBlock->AsPercent && TableBlock->WidthAttr > 0)
    room = std::min(static_cast<int>(static_cast<long long>(AvailableWidth) * TableBlock->WidthAttr / 1000),
                    AvailableWidth - ml - mr);
  TableBlock->Table->SpecifiedWidth = 0;
  // A percentage becomes that many pixels of the room for the table's own rule.
  const int savedWidth = TableBlock->WidthAttr;
  const bool savedPercent = TableBlock->AsPercent;
  if (savedPercent && savedWidth > 0) {
    TableBlock->AsPercent = false;
    TableBlock->WidthAttr = room;
  }
  TableBlock->TableIndent = false;  // measured as a table of its own here
  const int outer = TableBlock->tableContentWidth(Metrics, AvailableWidth, padBorder) + padBorder;
  TableBlock->TableIndent = true;
  TableBlock->WidthAttr = savedWidth;
  TableBlock->AsPercent = savedPercent;
  const int result = std::max(outer, capMin);
  if (result < AvailableWidth && ml == 0 && mr == 0) {
    if (Justify == 2) ml = (AvailableWidth - result) / 2;
    else if (Justify == 3) ml = AvailableWidth - result;
  }
  TableBlock->Justify = 2;
  return result;
}

void TTableAndCaptionBlock::MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) {
  int tableMin = 0, tableMax = 0, capMin = 0, capMax = 0;
  TableBlock->MeasureWidths(Metrics, tableMin, tableMax);
  CaptionBlock->MeasureWidths(Metrics, capMin, capMax);
  MinWidth = std::max(tableMin, capMin);
  MaxWidth = std::max(tableMax, capMin);
}

}  // namespace lumora::html
