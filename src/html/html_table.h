#pragma once
// Tables as built: the table item with its rows, the cells with their content cells, the columns COL and
// COLGROUP describe and the THEAD/TBODY/TFOOT records, with the fields table layout (html_layout_table.h)
// fills: the completed grid, column widths and row heights.

#include <memory>
#include <string>
#include <vector>

#include "html/html_common.h"
#include "html/html_document.h"
#include "html/html_style_box.h"
#include "html/html_style_props.h"

namespace lumora::html {

// COLSPAN and ROWSPAN above these are taken as these: later stages size grids by them.
inline constexpr int kMaxColSpan = 1000;
inline constexpr int kMaxRowSpan = 65534;

// The content of a table cell.
class TCellObjCell : public TCell {
 public:
  using TCell::TCell;
  TColor BkColor = kColorNone;
  bool BkGnd = false;
  std::string Url, Target, Title;
};

// What a spacer slot needs: the rows it covers below its own (1 when it covers none).
struct TSpacerSlot {
  int RowSpan = 1;
};

// One cell (or, with column span 0, a spacer slot).
class TCellObj {
 public:
  TCellObj(TSectionList* Document, TProperties& Props, const TAttributeList& Attributes, int DefaultVAlign, bool IsTH);
  // A spacer slot: it only fills a grid position that a span covers. It has an empty content cell, so code
  // that walks every slot's content needs no special case.
  TCellObj(TSectionList* Document, TSpacerSlot Spacer)
      : ColSpan(0), RowSpan(Spacer.RowSpan), IsTH(false), Cell(std::make_unique<TCellObjCell>(Document, nullptr)) {}
  bool isSpacer() const { return ColSpan == 0; }

  int ColSpan = 1, RowSpan = 1;
  int WidthAttr = 0;
  bool AsPercent = false;  // WidthAttr is per mille
  int SpecHt = 0, SpecHtPercent = 0;
  int VAlign = 2;  // 1 top, 2 middle, 3 baseline, 4 bottom
  bool IsTH;
  std::unique_ptr<TCellObjCell> Cell;
  std::string BGImageUrl;
  TBackgroundPosition BgPosH, BgPosV;
  std::array<int, 4> Padding{-1, -1, -1, -1};  // top, right, bottom, left; below 0: the table's padding
  std::array<int, 4> BorderWidths{};
  int BorderStyle = 0;
  TVMarginArray MargArrayO;
  bool BreakBefore = false, BreakAfter = false, KeepIntact = false;
  std::string TextAlign;  // the cell's text-align as the style and hints left it

  // Set when the grid is prepared: left padding + left border + right border + right padding, and
  // top padding + top border + bottom border + bottom padding.
  int HorizontalExtra = 0, VerticalExtra = 0;
  // Results of layout: the widths of the columns and the heights of the rows the cell spans (each including
  // one cell spacing), its content's height as measured for the row heights, and how far VALIGN moved the
  // content down when the cell was placed.
  int SpannedWidth = 0, SpannedHeight = 0, ContentHeight = 0, VerticalOffset = 0;
  std::shared_ptr<TBackgroundPicture> BgPicture;  // from the first paint
};

// A table row.
class TCellList {
 public:
  TCellList(const TAttributeList* Attributes, TProperties* Props);
  void add(std::unique_ptr<TCellObj> Cell);
  std::vector<std::unique_ptr<TCellObj>> Cells;
  TColor BkColor = kColorNone;
  bool BkGnd = false;
  std::string BkImage;
  TBackgroundPosition BgPosH, BgPosV;
  int RowHeight = 0, RowHeightPercent = 0;
  bool BreakBefore = false, BreakAfter = false, KeepIntact = false;
  int RowType = 0;  // 0 body, 1 head, 2 foot
  // Results of layout: this row's height (one cell spacing included) and the largest spanned height of its
  // cells.
  int Height = 0, TallestSpan = 0;
};

// One column as a COL or COLGROUP tag describes it.
struct TColObj {
  int colWidth = 0;
  bool colAsPercent = false;
  int colVAlign = 0;
  std::string colAlign;
};

// A THEAD, TBODY or TFOOT record.
struct TTablePartRec {
  enum TPart { Normal, DoHead, DoBody1, DoBody2, DoFoot };
  TPart TablePart = Normal;
  int PartStart = 0, PartHeight = 0, FootHeight = 0;
};

class ThtmlTable : public TSectionBase {
 public:
  ThtmlTable(TSectionList* Document, const TAttributeList& Attributes, TProperties& Props);
  const char* className() const override { return "ThtmlTable"; }
  void AddColumnSpec(int Width, bool IsPercent, const std::string& AlignText, int VAlign);

  std::vector<std::unique_ptr<TCellList>> Rows;
  std::vector<TColObj> ColSpecs;
  int BorderWidth = 0;
  int CellPadding = 1;
  int CellSpacing = 2;
  TColor BorderColorLight = kSystemColorFlag | 20, BorderColorDark = kSystemColorFlag | 16;
  bool Floating = false;
  bool HasBorder = false;

  // --- Layout (html_layout_table.h) ---
  // No percentage measurement made yet: no layout pass has this number.
  static constexpr int kNoMeasurement = -2147483647 - 1;

  int ColumnCount = 0;  // grid columns once the grid is prepared
  // One entry per column, in pixels, each including one cell spacing; Percentages in per mille of the
  // table's width, 0 for a column without one.
  std::vector<int> Widths, MaxWidths, MinWidths, Percentages;
  std::vector<int> RowHeights;  // one per row, one cell spacing included; empty: to be computed again
  int SpecifiedWidth = 0;       // content width the table block fixes; 0 when the table has no width
  bool GridPrepared = false;
  bool HasAbsoluteWidth = false;  // some cell has a width in pixels
  // The table block has a background colour and no background image: cells without a colour take it.
  bool PropagateBackground = false;
  TColor BkColor = kColorNone;
  int MeasurementKey = kNoMeasurement;  // the layout pass of the last percentage measurement
  int TableWidth = 0, TableHeight = 0;  // cell spacing + the widths; cell spacing + the row heights
  int TableLeft = 0;                    // X of the table's left edge in the last layout

  // --- Hit testing, selection and search (html_hit_test.cpp) ---
  // Point queries go to the cell under the point; the others to the cells in row order.
  void CollectSelection() override;
  THitFlags LinkAtPoint(ITextMetrics& Metrics, int X, int Y, TUrlTarget& Url, TFormControlObj*& FormControl,
                        std::string& Title) override;
  bool ObjectAtPoint(int X, int Y, TIDObject*& Object, int& IX, int& IY) override;
  int PositionAtPoint(ITextMetrics& Metrics, int X, int Y, int& XR, int& YR, int& CaretHeight, bool& InText) override;
  int SearchForward(int From, std::u16string_view Text, bool MatchCase) override;
  int SearchBackward(int From, std::u16string_view Text, bool MatchCase) override;
  int DocToSourcePos(int Position) override;
  int SourceToDocPos(int SourcePosition, bool Previous) override;
  bool PositionToPoint(ITextMetrics& Metrics, int Position, int& X, int& Y) override;
  bool CharAtPosition(int Position, char16_t& Char, TIDObject*& Object) override;

  // --- Item operations ---
  int LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight, IndentManager& IMgr,
             int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) override;
  void MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) override;
  void RegisterPositions() override;
  int Paint(TPaintContext& Context) override;
};

}  // namespace lumora::html
