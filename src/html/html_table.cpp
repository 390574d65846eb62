#include "html/html_table.h"

#include <algorithm>

namespace lumora::html {

namespace {

// HEIGHT of rows and cells: "%" gives a percentage 0..100, otherwise pixels.
void heightAttr(const TAttribute& a, int& Pixels, int& Percent) {
  if (a.Name.find('%') != std::string::npos) Percent = std::clamp(a.Value, 0, 100);
  else Pixels = std::max(0, a.Value);
}

}  // namespace

// --- ThtmlTable ---

ThtmlTable::ThtmlTable(TSectionList* Doc, const TAttributeList& Attributes, TProperties& Props) : TSectionBase(Doc) {
  for (size_t i = 0; i < Attributes.count(); ++i) {
    const TAttribute& a = Attributes[i];
    switch (a.Which) {
      case BorderSy:
        HasBorder = true;
        BorderWidth = a.Name.empty() ? 1 : std::clamp(a.Value, 0, 100);
        break;
      case CellPaddingSy:
        if (a.Value >= 0) CellPadding = std::min(a.Value, 50);
        break;
      case CellSpacingSy:
        if (a.Value >= -1) CellSpacing = std::min(a.Value, 40);
        break;
      case BorderColorSy: {
        TColor c;
        if (ParseColor(a.Name, false, c)) BorderColorLight = BorderColorDark = c;
        break;
      }
      case BorderColorLightSy: ParseColor(a.Name, false, BorderColorLight); break;
      case BorderColorDarkSy: ParseColor(a.Name, false, BorderColorDark); break;
      default: break;
    }
  }
  if (Props.CollapsesBorders()) CellSpacing = -1;
}

void ThtmlTable::AddColumnSpec(int Width, bool IsPercent, const std::string& AlignText, int VAlign) {
  ColSpecs.push_back(TColObj{Width, IsPercent, VAlign, AlignText});
}

// --- TCellList ---

TCellList::TCellList(const TAttributeList* Attributes, TProperties* Props) {
  if (Attributes) {
    for (size_t i = 0; i < Attributes->count(); ++i) {
      const TAttribute& a = (*Attributes)[i];
      switch (a.Which) {
        case BgColorSy: BkGnd = ParseColor(a.Name, false, BkColor) || BkGnd; break;
        case BackgroundSy: BkImage = a.Name; break;
        case HeightSy: heightAttr(a, RowHeight, RowHeightPercent); break;
        default: break;
      }
    }
  }
  if (Props) {
    if (const int* bg = std::get_if<int>(&Props->prop(BackgroundColor)); bg && *bg != kColorNone) {
      BkColor = *bg;
      BkGnd = true;
    }
    if (const std::string url = Props->BackgroundImageUrl(); !url.empty()) {
      BkImage = url;
      backgroundPositionOf(*Props, Props->EmSize, Props->ExSize, BgPosH, BgPosV);
    }
    Props->PageBreaks(BreakBefore, BreakAfter, KeepIntact);
  }
}

void TCellList::add(std::unique_ptr<TCellObj> Cell) {
  BreakBefore = BreakBefore || Cell->BreakBefore;
  BreakAfter = BreakAfter || Cell->BreakAfter;
  KeepIntact = KeepIntact || Cell->KeepIntact;
  if (RowHeight > 0) Cell->SpecHt = std::max(Cell->SpecHt, RowHeight);
  else if (RowHeightPercent > 0) Cell->SpecHtPercent = std::max(Cell->SpecHtPercent, RowHeightPercent);
  Cells.push_back(std::move(Cell));
}

// --- TCellObj ---

TCellObj::TCellObj(TSectionList* Document, TProperties& Props, const TAttributeList& Attributes, int DefaultVAlign,
                   bool AnIsTH)
    : VAlign(DefaultVAlign), IsTH(AnIsTH) {
  Cell = std::make_unique<TCellObjCell>(Document, nullptr);
  Cell->OwnersTag = Props.PropTag;
  for (size_t i = 0; i < Attributes.count(); ++i) {
    const TAttribute& a = Attributes[i];
    switch (a.Which) {
      case HrefSy: Cell->Url = a.Name; break;
      case TargetSy: Cell->Target = a.Name; break;
      case BgColorSy: Cell->BkGnd = ParseColor(a.Name, false, Cell->BkColor) || Cell->BkGnd; break;
      case BackgroundSy: BGImageUrl = a.Name; break;
      case ColSpanSy:
        if (a.Value > 1) ColSpan = std::min(a.Value, kMaxColSpan);
        break;
      case RowSpanSy:
        if (a.Value > 1) RowSpan = std::min(a.Value, kMaxRowSpan);
        break;
      case WidthSy:
        if (a.Name.find('%') != std::string::npos) {
          if (a.Value >= 1 && a.Value <= 100) {
            WidthAttr = a.Value * 10;
            AsPercent = true;
          }
        } else if (a.Value > 0) {
          WidthAttr = a.Value;
          AsPercent = false;
        }
        break;
      case HeightSy: heightAttr(a, SpecHt, SpecHtPercent); break;
      default: break;
    }
  }
  if (const auto va = Props.verticalAlignment()) {
    if (*va == TVerticalAlign::Top) VAlign = 1;
    else if (*va == TVerticalAlign::Middle) VAlign = 2;
    else if (*va == TVerticalAlign::Bottom) VAlign = 4;
  }
  Props.MakeFont();
  if (const std::string* w = std::get_if<std::string>(&Props.prop(html::Width))) {
    const std::string t(trimAscii(*w));
    if (!t.empty() && t.back() == '%') {
      const int v = ToPixels(t, false, 100, 0, Props.EmSize, Props.ExSize, Props.PixelsPerInch);
      if (v >= 1 && v <= 99) {
        WidthAttr = v * 10;
        AsPercent = true;
      }
    } else if (const int v = ToPixels(t, false, 0, 0, Props.EmSize, Props.ExSize, Props.PixelsPerInch); v > 0) {
      WidthAttr = v;
      AsPercent = false;
    }
  }
  if (const std::string* h = std::get_if<std::string>(&Props.prop(html::Height))) {
    if (const int v = ToPixels(*h, false, 0, 0, Props.EmSize, Props.ExSize, Props.PixelsPerInch); v > 0) SpecHt = v;
  }
  if (const int* bg = std::get_if<int>(&Props.prop(BackgroundColor)); bg && *bg != kColorNone) {
    Cell->BkColor = *bg;
    Cell->BkGnd = true;
  }
  if (const std::string url = Props.BackgroundImageUrl(); !url.empty()) BGImageUrl = url;
  if (!BGImageUrl.empty()) backgroundPositionOf(Props, Props.EmSize, Props.ExSize, BgPosH, BgPosV);
  BorderStyle = Props.BorderStyleCode();
  getVMarginArray(Props, MargArrayO);
  TMarginArray values;
  int autoCount = 0;
  ConvertBoxArray(MargArrayO, 0, 0, Props.EmSize, Props.ExSize, values, autoCount);
  for (int i = 0; i < 4; ++i) {
    const int index = PaddingTop + i;
    if (!MargArrayO.holds(index, kUnsetLength)) Padding[static_cast<size_t>(i)] = values[index];
    if (BorderStyle != 0) BorderWidths[static_cast<size_t>(i)] = values[BorderTopWidth + i];
  }
  Props.PageBreaks(BreakBefore, BreakAfter, KeepIntact);
  Cell->Title = Props.PropTitle;
  if (const std::string* ta = std::get_if<std::string>(&Props.prop(html::TextAlign))) TextAlign = *ta;
  Document->BoxPool.share(MargArrayO);
}

}  // namespace lumora::html
