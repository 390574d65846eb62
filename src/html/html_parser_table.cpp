// The builder: tables (rows, cells, captions, COL and COLGROUP columns, row groups).
#include <algorithm>

#include "html/html_codepage.h"
#include "html/html_parser_internal.h"
#include "html/html_table.h"
#include "html/image_map.h"

namespace lumora::html {

namespace {

// Columns that COL and COLGROUP describe are tracked at most this far.
constexpr size_t kMaxTrackedColumns = 1000;

}  // namespace

// One TABLE element from its start tag to its end: the rows and cells, a caption, COL and COLGROUP column
// specifications and row groups. The builder's own state (cell, stack, no-break flag) is switched for the
// table's parts and put back when the table ends.
class TTableBuilder {
 public:
  TTableBuilder(THtmlParser& Parser, int Placement);
  // Reads up to the table's end tag (or what ends it).
  void read();
  // Adds the table to the cell it stands in and puts the builder's state back.
  void finish();

 private:
  void startCell(Symb Sy);
  void endCell();
  void startRow();
  void endRow();
  void readCaption();
  void addColumns(Symb Sy);
  void startRowGroup(Symb Sy);

  THtmlParser& P;
  const THtmlParser::TModes savedModes_;
  const TAttributeList tableAttrs_;
  const size_t outerLevel_;  // the stack before the table's own set
  const bool pushed_;
  const size_t tableLevel_;  // the stack with the table's set
  TCellBasic* const outerCell_;
  std::unique_ptr<TTableBlock> tableBlock_;
  ThtmlTable* table_ = nullptr;

  std::unique_ptr<TCellList> row_;
  size_t rowLevel_;
  int rowVAlign_ = 2;
  int rowType_ = 0;  // 1 THEAD before any row, 2 TFOOT (moved to the end), else 0
  std::unique_ptr<TCellObj> cell_;
  std::vector<std::unique_ptr<TCellList>> footRows_;
  std::unique_ptr<TBlock> caption_;
  bool captionBelow_ = false;
  // Rows still covered by a row span, per column (only while COL or COLGROUP described columns).
  std::vector<int> covered_;
  size_t column_ = 0;
  TAttributeList colGroupDefaults_;
  bool inColGroup_ = false;
};

TTableBuilder::TTableBuilder(THtmlParser& Parser, int Placement)
    : P(Parser),
      savedModes_(P.Mode),
      tableAttrs_(P.attrs()),
      outerLevel_(P.Stack.count()),
      pushed_(P.push("table", &tableAttrs_)),
      tableLevel_(P.Stack.count()),
      outerCell_(P.SectionList),
      rowLevel_(tableLevel_) {
  P.Mode.ListLevel = 0;
  auto table = std::make_unique<ThtmlTable>(&P.Doc, tableAttrs_, P.Top());
  table_ = table.get();
  tableBlock_ = std::make_unique<TTableBlock>(outerCell_, P.Top(), tableAttrs_, table_);
  if (tableBlock_->Justify == 0 && tableBlock_->FloatLR == TSide::None) tableBlock_->Justify = Placement;
  tableBlock_->MyCell->Items.push_back(std::move(table));
}

void TTableBuilder::read() {
  THtmlLexer& L = P.L;
  P.Next();
  while (L.Sy != TableEndSy && L.Sy != EofSy && L.Sy != CaptionEndSy) {
    const uint64_t before = P.tokens_;
    const Symb sy = L.Sy;
    switch (sy) {
      case TDSy:
      case THSy:
        startCell(sy);
        break;
      case TDEndSy:
      case THEndSy:
        endCell();
        P.Next();
        break;
      case TRSy:
        startRow();
        break;
      case TREndSy:
        endRow();
        P.Next();
        break;
      case CaptionSy:
        readCaption();
        break;
      case ColGroupSy:
      case ColSy:
        addColumns(sy);
        break;
      case THeadSy: case TBodySy: case TFootSy: case THeadEndSy: case TBodyEndSy: case TFootEndSy:
        startRowGroup(sy);
        break;
      case TextSy:
        if (isBlankText(L.Token.S())) {
          P.Next();
          break;
        }
        [[fallthrough]];
      default:
        if (sy == UnknownSy) {
          P.Next();
          break;
        }
        // Content outside the cells goes before the table.
        P.SectionList = outerCell_;
        P.doBody(cellTerminators());
        P.sectionClose();
        break;
    }
    if (P.tokens_ == before && L.Sy != EofSy) P.Next();
  }
}

void TTableBuilder::startCell(Symb Sy) {
  if (P.BlockCount >= P.BlockLimit) {
    // No more cells: what follows goes on in the open cell, or before the table when none is open.
    P.skipBlockTag();
    if (cell_) P.doBody(cellTerminators());
    return;
  }
  ++P.BlockCount;
  P.endLink();
  if (cell_) {
    endCell();
    P.popTo(rowLevel_);
  } else if (!row_) {
    P.push("tr", nullptr);
    rowLevel_ = P.Stack.count();
    row_ = std::make_unique<TCellList>(nullptr, &P.Top());
    rowVAlign_ = 2;
  }
  const TAttributeList a = P.attrs();
  const bool isTH = Sy == THSy;
  const bool cellPushed = P.push(isTH ? "th" : "td", &a);
  int valign = rowVAlign_;
  if (!covered_.empty() || !table_->ColSpecs.empty()) {
    while (column_ < covered_.size() && covered_[column_] > 0) ++column_;
    if (column_ < table_->ColSpecs.size()) {
      const TColObj& col = table_->ColSpecs[column_];
      if (!col.colAlign.empty() && cellPushed) P.Top().AssignHint(col.colAlign, TextAlign);
      if (col.colVAlign > 0) valign = col.colVAlign;
    }
  }
  if (const TAttribute* v = a.find(VAlignSy); v && VAlignCode(v->Name) > 0) valign = VAlignCode(v->Name);
  if (cellPushed) {
    P.Hint(a);
    if (const std::string* ta = std::get_if<std::string>(&P.Top().prop(TextAlign)); ta && *ta == "none")
      P.Top().AssignHint(std::string(isTH ? "center" : "left"), TextAlign);
  }
  cell_ = std::make_unique<TCellObj>(&P.Doc, P.Top(), a, valign, isTH);
  P.SectionList = cell_->Cell.get();
  P.Mode.NoBreak = a.find(NoWrapSy) != nullptr && !(cell_->WidthAttr > 0 && !cell_->AsPercent);
  P.Next();
  P.skipSpaces();
  P.doBody(cellTerminators());
}

void TTableBuilder::endCell() {
  if (!cell_) return;
  P.sectionClose();
  if (!cell_->Cell->Items.empty()) {
    if (auto* last = dynamic_cast<TBlock*>(cell_->Cell->Items.back().get()); last && last->BottomIsParagraph) {
      last->BottomMargin = 0;
      last->BottomIsParagraph = false;
    }
  }
  if (!table_->ColSpecs.empty() || !covered_.empty()) {
    const size_t span = static_cast<size_t>(std::clamp(cell_->ColSpan, 1, static_cast<int>(kMaxTrackedColumns)));
    for (size_t k = 0; k < span && column_ < kMaxTrackedColumns; ++k, ++column_) {
      if (covered_.size() <= column_) covered_.resize(column_ + 1, 0);
      covered_[column_] = std::max(covered_[column_], cell_->RowSpan);  // rows covered, this one included
    }
  }
  if (!row_) row_ = std::make_unique<TCellList>(nullptr, nullptr);
  row_->add(std::move(cell_));
  cell_.reset();
  P.SectionList = outerCell_;
  P.Mode.NoBreak = savedModes_.NoBreak;
}

void TTableBuilder::startRow() {
  endRow();
  const TAttributeList a = P.attrs();
  if (P.push("tr", &a)) P.Hint(a);
  rowLevel_ = P.Stack.count();
  row_ = std::make_unique<TCellList>(&a, &P.Top());
  rowVAlign_ = 2;
  if (const TAttribute* v = a.find(VAlignSy); v && VAlignCode(v->Name) > 0) rowVAlign_ = VAlignCode(v->Name);
  P.Next();
}

void TTableBuilder::endRow() {
  P.endLink();
  endCell();
  if (row_) {
    row_->RowType = rowType_;
    if (rowType_ == 2) footRows_.push_back(std::move(row_));
    else table_->Rows.push_back(std::move(row_));
    row_.reset();
    for (int& c : covered_) c = std::max(0, c - 1);
    column_ = 0;
  }
  P.popTo(tableLevel_);
}

void TTableBuilder::readCaption() {
  P.endLink();
  endCell();
  const TAttributeList a = P.attrs();
  if (const TAttribute* al = a.find(AlignSy)) captionBelow_ = lowerAscii(trimAscii(al->Name)) == "bottom";
  const size_t level = P.Stack.count();
  P.push("caption", &a);
  if (!caption_) {
    caption_ = std::make_unique<TBlock>(outerCell_, P.Top(), &a, false);
    ++P.BlockCount;
  }
  P.SectionList = caption_->MyCell.get();
  P.Next();
  P.doBody(cellTerminators());
  P.sectionClose();
  P.popTo(level);
  P.SectionList = outerCell_;
  if (P.L.Sy == CaptionEndSy) P.Next();
}

void TTableBuilder::addColumns(Symb Sy) {
  // Columns are described before the first row only.
  if (table_->Rows.empty() && !row_) {
    const TAttributeList a = P.attrs();
    if (Sy == ColGroupSy) {
      colGroupDefaults_ = a;
      inColGroup_ = true;
    } else {
      std::string align;
      int valign = 0, width = 0, span = 1;
      bool percent = false;
      const auto read = [&](const TAttributeList& from) {
        if (const TAttribute* al = from.find(AlignSy)) {
          const std::string v = lowerAscii(trimAscii(al->Name));
          if (v == "center" || v == "left" || v == "right" || v == "justify") align = v;
        }
        if (const TAttribute* v = from.find(VAlignSy); v && VAlignCode(v->Name) > 0) valign = VAlignCode(v->Name);
        if (const TAttribute* w = from.find(WidthSy)) {
          if (w->Name.find('%') != std::string::npos) {
            if (w->Value >= 1 && w->Value <= 100) {
              width = w->Value * 10;
              percent = true;
            }
          } else {
            width = std::max(0, w->Value);
            percent = false;
          }
        }
      };
      if (inColGroup_) read(colGroupDefaults_);
      read(a);
      if (const TAttribute* s = a.find(SpanSy)) span = std::max(1, s->Value);
      for (int k = 0; k < std::min(span, 100); ++k) table_->AddColumnSpec(width, percent, align, valign);
    }
  }
  P.Next();
}

void TTableBuilder::startRowGroup(Symb Sy) {
  endRow();
  P.popTo(tableLevel_);
  if (Sy == THeadSy) rowType_ = table_->Rows.empty() ? 1 : 0;
  else if (Sy == TFootSy) rowType_ = 2;
  else rowType_ = 0;
  if (!isEndTag(Sy)) {
    const TAttributeList a = P.attrs();
    P.push(tagLower(Sy), &a);
  }
  P.Next();
}

void TTableBuilder::finish() {
  endRow();
  for (auto& r : footRows_) table_->Rows.push_back(std::move(r));
  footRows_.clear();
  P.SectionList = outerCell_;
  P.sectionClose();
  if (caption_) {
    caption_->MyCell->OwnersTag = "caption";
    auto container = std::make_unique<TTableAndCaptionBlock>(outerCell_, P.Top(), tableAttrs_, std::move(tableBlock_),
                                                             std::move(caption_), captionBelow_);
    outerCell_->add(std::move(container), P.L.TagPos);
  } else {
    outerCell_->add(std::move(tableBlock_), P.L.TagPos);
  }
  if (pushed_) P.popTo(outerLevel_);
  P.Mode.NoBreak = savedModes_.NoBreak;
  P.Mode.ListLevel = savedModes_.ListLevel;
}

void THtmlParser::doTable(const TSymbSet&) {
  if (Depth.Table >= kMaxTableNesting || Depth.Block >= kMaxBlockNesting) {
    Next();  // too deep: the content flows into the enclosing cell
    return;
  }
  if (BlockCount >= BlockLimit) return skipBlockTag();
  ++BlockCount;
  const TNesting block(Depth.Block), nested(Depth.Table);
  endLink();
  sectionClose();
  int placement = 0;
  if (const std::string* ta = std::get_if<std::string>(&Top().prop(TextAlign))) {
    const std::string v = lowerAscii(trimAscii(*ta));
    placement = v == "center" ? 2 : v == "right" ? 3 : 0;
  }
  TTableBuilder table(*this, placement);
  // What was read stays even when the build stops inside the table.
  try {
    table.read();
  } catch (...) {
    table.finish();
    throw;
  }
  table.finish();
  if (L.Sy != EofSy) Next();
}

}  // namespace lumora::html
