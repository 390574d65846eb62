// The builder: tables (rows, cells, captions, COL and COLGROUP columns, row groups).
#include <algorithm>

#include "html/html_codepage.h"
#include "html/html_parser_internal.h"
#include "html/html_table.h"
#include "html/image_map.h"

namespace lumora::html {

// --- Tables ---

void THtmlParser::doTable(const TSymbSet&) {
  if (TableLevel >= kMaxTableNesting || BlockDepth >= kMaxBlockNesting) {
    Next();  // too deep: the content flows into the enclosing cell
    return;
  }
  ++BlockDepth;
  endLink();
  sectionClose();
  const bool savedNoBreak = NoBreak;
  const int savedListLevel = ListLevel;
  ListLevel = 0;
  int placement = 0;
  if (const std::string* ta = std::get_if<std::string>(&Top().prop(TextAlign))) {
    const std::string v = lowerAscii(trimAscii(*ta));
    placement = v == "center" ? 2 : v == "right" ? 3 : 0;
  }
  const TAttributeList tableAttrs = attrs();
  const size_t outerLevel = Stack.count();
  const bool pushed = push("table", &tableAttrs);
  const size_t tableLevel = Stack.count();
  TCellBasic* outerCell = SectionList;

  auto table = std::make_unique<ThtmlTable>(&Doc, tableAttrs, Top());
  ThtmlTable* T = table.get();
  auto tableBlock = std::make_unique<TTableBlock>(outerCell, Top(), tableAttrs, T);
  if (tableBlock->Justify == 0 && tableBlock->FloatLR == TSide::None) tableBlock->Justify = placement;
  tableBlock->MyCell->Items.push_back(std::move(table));

  std::unique_ptr<TCellList> row;
  size_t rowLevel = tableLevel;
  int rowVAlign = 2;
  int rowType = 0;
  std::unique_ptr<TCellObj> cell;
  std::vector<std::unique_ptr<TCellList>> footRows;
  std::unique_ptr<TBlock> caption;
  bool captionBelow = false;
  // Column tracker: rows still covered by a row span, per column (only when COL or COLGROUP described columns).
  std::vector<int> covered;
  size_t column = 0;
  TAttributeList colGroupDefaults;
  bool inColGroup = false;
  static constexpr size_t kMaxTrackedColumns = 1000;

  const auto endCell = [&] {
    if (!cell) return;
    sectionClose();
    if (!cell->Cell->Items.empty()) {
      if (auto* last = dynamic_cast<TBlock*>(cell->Cell->Items.back().get()); last && last->BottomIsParagraph) {
        last->BottomMargin = 0;
        last->BottomIsParagraph = false;
      }
    }
    if (!T->ColSpecs.empty() || !covered.empty()) {
      const size_t span = static_cast<size_t>(std::clamp(cell->ColSpan, 1, static_cast<int>(kMaxTrackedColumns)));
      for (size_t k = 0; k < span && column < kMaxTrackedColumns; ++k, ++column) {
        if (covered.size() <= column) covered.resize(column + 1, 0);
        covered[column] = std::max(covered[column], cell->RowSpan);  // rows covered, this one included
      }
    }
    if (!row) row = std::make_unique<TCellList>(nullptr, nullptr);
    row->add(std::move(cell));
    cell.reset();
    SectionList = outerCell;
    NoBreak = savedNoBreak;
  };
  const auto endRow = [&] {
    endLink();
    endCell();
    if (row) {
      row->RowType = rowType;
      if (rowType == 2) footRows.push_back(std::move(row));
      else T->Rows.push_back(std::move(row));
      row.reset();
      for (int& c : covered) c = std::max(0, c - 1);
      column = 0;
    }
    popTo(tableLevel);
  };
  const auto finish = [&] {
    endRow();
    for (auto& r : footRows) T->Rows.push_back(std::move(r));
    footRows.clear();
    SectionList = outerCell;
    sectionClose();
    if (caption) {
      caption->MyCell->OwnersTag = "caption";
      auto container = std::make_unique<TTableAndCaptionBlock>(outerCell, Top(), tableAttrs, std::move(tableBlock),
                                                               std::move(caption), captionBelow);
      outerCell->add(std::move(container), L.TagPos);
    } else {
      outerCell->add(std::move(tableBlock), L.TagPos);
    }
    if (pushed) popTo(outerLevel);
    NoBreak = savedNoBreak;
    ListLevel = savedListLevel;
  };

  ++TableLevel;
  try {
    Next();
    while (L.Sy != TableEndSy && L.Sy != EofSy && L.Sy != CaptionEndSy) {
      const uint64_t before = tokens_;
      const Symb sy = L.Sy;
      switch (sy) {
        case TDSy:
        case THSy: {
          endLink();
          if (cell) {
            endCell();
            popTo(rowLevel);
          } else if (!row) {
            push("tr", nullptr);
            rowLevel = Stack.count();
            row = std::make_unique<TCellList>(nullptr, &Top());
            rowVAlign = 2;
          }
          const TAttributeList a = attrs();
          const bool isTH = sy == THSy;
          const bool cellPushed = push(isTH ? "th" : "td", &a);
          int valign = rowVAlign;
          if (!covered.empty() || !T->ColSpecs.empty()) {
            while (column < covered.size() && covered[column] > 0) ++column;
            if (column < T->ColSpecs.size()) {
              const TColObj& col = T->ColSpecs[column];
              if (!col.colAlign.empty() && cellPushed) Top().AssignHint(col.colAlign, TextAlign);
              if (col.colVAlign > 0) valign = col.colVAlign;
            }
          }
          if (const TAttribute* v = a.find(VAlignSy); v && VAlignCode(v->Name) > 0) valign = VAlignCode(v->Name);
          if (cellPushed) {
            Hint(a);
            if (const std::string* ta = std::get_if<std::string>(&Top().prop(TextAlign)); ta && *ta == "none")
              Top().AssignHint(std::string(isTH ? "center" : "left"), TextAlign);
          }
          cell = std::make_unique<TCellObj>(&Doc, Top(), a, valign, isTH);
          SectionList = cell->Cell.get();
          NoBreak = a.find(NoWrapSy) != nullptr && !(cell->WidthAttr > 0 && !cell->AsPercent);
          Next();
          skipSpaces();
          doBody(cellTerminators());
          break;
        }
        case TDEndSy:
        case THEndSy:
          endCell();
          Next();
          break;
        case TRSy: {
          endRow();
          const TAttributeList a = attrs();
          if (push("tr", &a)) Hint(a);
          rowLevel = Stack.count();
          row = std::make_unique<TCellList>(&a, &Top());
          rowVAlign = 2;
          if (const TAttribute* v = a.find(VAlignSy); v && VAlignCode(v->Name) > 0) rowVAlign = VAlignCode(v->Name);
          Next();
          break;
        }
        case TREndSy:
          endRow();
          Next();
          break;
        case CaptionSy: {
          endLink();
          endCell();
          const TAttributeList a = attrs();
          if (const TAttribute* al = a.find(AlignSy)) captionBelow = lowerAscii(trimAscii(al->Name)) == "bottom";
          const size_t level = Stack.count();
          push("caption", &a);
          if (!caption) caption = std::make_unique<TBlock>(outerCell, Top(), &a, false);
          SectionList = caption->MyCell.get();
          Next();
          doBody(cellTerminators());
          sectionClose();
          popTo(level);
          SectionList = outerCell;
          if (L.Sy == CaptionEndSy) Next();
          break;
        }
        case ColGroupSy:
        case ColSy: {
          if (T->Rows.empty() && !row) {
            const TAttributeList a = attrs();
            if (sy == ColGroupSy) {
              colGroupDefaults = a;
              inColGroup = true;
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
              if (inColGroup) read(colGroupDefaults);
              read(a);
              if (const TAttribute* s = a.find(SpanSy)) span = std::max(1, s->Value);
              for (int k = 0; k < std::min(span, 100); ++k) T->AddColumnSpec(width, percent, align, valign);
            }
          }
          Next();
          break;
        }
        case THeadSy: case TBodySy: case TFootSy: case THeadEndSy: case TBodyEndSy: case TFootEndSy: {
          endRow();
          popTo(tableLevel);
          if (sy == THeadSy) rowType = T->Rows.empty() ? 1 : 0;
          else if (sy == TFootSy) rowType = 2;
          else rowType = 0;
          if (!isEndTag(sy)) {
            const TAttributeList a = attrs();
            push(tagLower(sy), &a);
          }
          Next();
          break;
        }
        case TextSy:
          if (isBlankText(L.Token.S())) {
            Next();
            break;
          }
          [[fallthrough]];
        default:
          if (sy == UnknownSy) {
            Next();
            break;
          }
          // Content outside the cells goes before the table.
          SectionList = outerCell;
          doBody(cellTerminators());
          sectionClose();
          break;
      }
      if (tokens_ == before && L.Sy != EofSy) Next();
    }
  } catch (...) {
    --TableLevel;
    --BlockDepth;
    finish();
    throw;
  }
  --TableLevel;
  --BlockDepth;
  finish();
  if (L.Sy != EofSy) Next();
}

}  // namespace lumora::html
