#pragma once
// Tables as built: the table item with its rows, the cells with their content cells, the columns COL and
// COLGROUP describe and the THEAD/TBODY/TFOOT records. Column widths and row heights come with table layout.

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

// One cell (or, with column span 0, a spacer slot).
class TCellObj {
 public:
  TCellObj(TSectionList* Document, TProperties& Props, const TAttributeList& Attributes, int DefaultVAlign, bool IsTH);
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
};

}  // namespace lumora::html
