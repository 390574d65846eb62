#include "html/html_blocks.h"

#include <algorithm>
#include <cstdlib>

#include "html/html_section.h"
#include "html/html_table.h"

namespace lumora::html {

namespace {

bool isAbsoluteBlock(const TSectionBase* item) {
  const auto* b = dynamic_cast<const TBlock*>(item);
  return b && b->Positioning == TPositionKind::Absolute;
}

int collapsedMargin(int P, int T) {
  if (P >= 0 && T >= 0) return std::max(P, T);
  if (P < 0 && T < 0) return std::min(P, T);
  return P + T;
}

bool intProp(const TVMarginArray& box, int index, int& value) {
  if (const int* v = box.integer(index)) {
    value = *v;
    return true;
  }
  return false;
}

}  // namespace

// --- TBlock ---

TBlock::TBlock(TCellBasic* AOwnerCell, TProperties& Props, const TAttributeList*, bool CollapseNow)
    : TSectionBase(AOwnerCell->Document), OwnerCell(AOwnerCell) {
  MyCell = std::make_unique<TBlockCell>(Document, this);
  MyCell->OwnersTag = Props.PropTag;
  getVMarginArray(Props, MargArrayO);
  Props.MakeFont();  // realises em and ex sizes
  EmSize = Props.EmSize;
  ExSize = Props.ExSize;
  VerticalMargins(MargArrayO, 400, EmSize, ExSize, TopMargin, TopIsParagraph, BottomMargin, BottomIsParagraph);
  BorderColor = Props.colorValue();
  BorderStyle = Props.BorderStyleCode();
  FloatLR = Props.FloatSide();
  ClearAttr = Props.ClearSide();
  Positioning = Props.PositionKind();
  ZIndex = 10 * Props.ZIndexValue();
  if (Positioning == TPositionKind::Absolute || FloatLR == TSide::Left || FloatLR == TSide::Right)
    ZIndex = std::max(ZIndex, 1);
  if (FloatLR == TSide::Both) FloatLR = TSide::None;
  Visible = Props.isVisible();
  Props.PageBreaks(BreakBefore, BreakAfter, KeepIntact);
  HideOverflow = Props.ClipsOverflow();
  DisplayNone = Props.NotDisplayed();
  TagClass = Props.PropTag + "." + Props.PropClass;
  HintTitle = Props.PropTitle;
  BgImageUrl = Props.BackgroundImageUrl();
  if (!BgImageUrl.empty()) backgroundPositionOf(Props, EmSize, ExSize, BgPosH, BgPosV);
  if (const std::string* a = std::get_if<std::string>(&Props.prop(html::TextAlign))) TextAlign = *a;
  if (!Props.PropID.empty()) Document->IDNameList.addObject(Props.PropID, this);
  Document->BoxPool.share(MargArrayO);
  if (CollapseNow) collapseMargins();
}

void TBlock::collapseMargins() {
  if (Positioning == TPositionKind::Absolute) {
    if (TopIsParagraph) TopMargin = 0;
    return;
  }
  if (FloatLR != TSide::None) return;
  TSectionBase* prev = nullptr;
  for (auto it = OwnerCell->Items.rbegin(); it != OwnerCell->Items.rend(); ++it) {
    if (!isAbsoluteBlock(it->get())) {
      prev = it->get();
      break;
    }
  }
  if (auto* table = dynamic_cast<TTableBlock*>(prev); table && table->FloatLR != TSide::None && TopIsParagraph) {
    TopMargin = 0;
  } else if (auto* block = dynamic_cast<TBlock*>(prev)) {
    TopMargin = collapsedMargin(block->BottomMargin, TopMargin);
    block->BottomMargin = 0;
    block->BottomIsParagraph = false;
  } else if (prev) {
    if (OwnerCell->OwnersTag == "li" && TopIsParagraph && (MyCell->OwnersTag == "ul" || MyCell->OwnersTag == "ol"))
      TopMargin = 0;
  } else if (TopIsParagraph) {
    TopMargin = 0;
  } else if ((OwnerCell->OwnersTag == "default" || OwnerCell->OwnersTag == "body") && Document->BodyBlock) {
    TopMargin = std::max(0, TopMargin - Document->BodyBlock->TopMargin);
  }
}

bool TBlock::removeTrailingParagraphMargin() {
  TBlock* last = nullptr;
  for (auto it = MyCell->Items.rbegin(); it != MyCell->Items.rend(); ++it) {
    if (!isAbsoluteBlock(it->get())) {
      last = dynamic_cast<TBlock*>(it->get());
      break;
    }
  }
  if (!last) return false;
  bool removed = false;
  if (last->BottomIsParagraph) {
    last->BottomMargin = 0;
    last->BottomIsParagraph = false;
    removed = true;
  }
  if (dynamic_cast<TBlockLI*>(last) && last->removeTrailingParagraphMargin()) removed = true;
  return removed;
}

void TBlock::takeTrailingParagraphMargin() {
  if (removeTrailingParagraphMargin()) {
    BottomMargin = kParagraphSpacePixels;
    BottomIsParagraph = true;
  }
}

// --- TBodyBlock ---

TBodyBlock::TBodyBlock(TCellBasic* AOwnerCell, TProperties& Props, const TAttributeList* Attributes)
    : TBlock(AOwnerCell, Props, Attributes, false) {
  MyCell->OwnersTag = "body";
  Positioning = TPositionKind::Static;
  FloatLR = TSide::None;
}

// --- TBlockLI ---

TBlockLI::TBlockLI(TCellBasic* AOwnerCell, TProperties& Props, const TAttributeList* Attributes, TListKind Kind,
                   std::string_view AItemTag, int Level, int Number, bool APlain, char TypeChar)
    : TBlock(AOwnerCell, Props, Attributes),
      ListKind(Kind),
      ItemTag(AItemTag),
      ListLevel(Level),
      listNumb(Number),
      Plain(APlain),
      ListType(TypeChar) {
  MyCell->OwnersTag = "li";
  switch (Kind) {
    case TListKind::Definition: Marker = TMarker::None; break;
    case TListKind::None: {
      Marker = TMarker::Disc;
      int left = 0;
      if (!intProp(MargArrayO, MarginLeft, left) || left == kUnsetLength || left == 0) {
        if (!MargArrayO.Text(MarginLeft)) MargArrayO.Set(MarginLeft, 16);
      }
      break;
    }
    case TListKind::Ordered:
      switch (TypeChar) {
        case 'A': Marker = TMarker::UpperAlpha; break;
        case 'I': Marker = TMarker::UpperRoman; break;
        case 'a': Marker = TMarker::LowerAlpha; break;
        case 'i': Marker = TMarker::LowerRoman; break;
        default: Marker = TMarker::Decimal; break;
      }
      break;
    case TListKind::Unordered:
      if (Plain) Marker = TMarker::None;
      else Marker = Level % 3 == 1 ? TMarker::Disc : Level % 3 == 2 ? TMarker::Circle : TMarker::Square;
      break;
  }
  switch (Props.ListStyleCode()) {
    case lsCircle: Marker = TMarker::Circle; break;
    case lsDecimal: Marker = TMarker::Decimal; break;
    case lsDisc: Marker = TMarker::Disc; break;
    case lsLowerAlpha: Marker = TMarker::LowerAlpha; break;
    case lsLowerRoman: Marker = TMarker::LowerRoman; break;
    case lsNone: Marker = TMarker::None; break;
    case lsSquare: Marker = TMarker::Square; break;
    case lsUpperAlpha: Marker = TMarker::UpperAlpha; break;
    case lsUpperRoman: Marker = TMarker::UpperRoman; break;
    case lsBlank: break;
  }
  MarkerImageUrl = Props.ListStyleImageUrl();
  if (!MarkerImageUrl.empty()) Marker = TMarker::Image;
  Document->BoxPool.share(MargArrayO);
}

std::string TBlockLI::markerText() const {
  static constexpr const char* kRoman[20] = {"i",  "ii",  "iii",  "iv", "v",  "vi",  "vii",  "viii", "ix", "x",
                                             "xi", "xii", "xiii", "xiv", "xv", "xvi", "xvii", "xviii", "xix", "xx"};
  std::string s;
  switch (Marker) {
    case TMarker::Decimal: s = std::to_string(listNumb); break;
    case TMarker::LowerAlpha:
    case TMarker::UpperAlpha:
      s = std::string(1, static_cast<char>((Marker == TMarker::LowerAlpha ? 'a' : 'A') + std::clamp(listNumb, 1, 26) - 1));
      break;
    case TMarker::LowerRoman:
    case TMarker::UpperRoman:
      s = kRoman[std::clamp(listNumb, 1, 20) - 1];
      if (Marker == TMarker::UpperRoman)
        for (char& c : s) c = static_cast<char>(c - 'a' + 'A');
      break;
    default: return {};
  }
  return s + ".";
}

// --- THorzLine ---

THorzLine::THorzLine(TSectionList* Doc, const TAttributeList& Attributes, TProperties& Props) : TSectionBase(Doc) {
  for (size_t i = 0; i < Attributes.count(); ++i) {
    const TAttribute& a = Attributes[i];
    switch (a.Which) {
      case SizeSy:
        if (a.Value >= 1 && a.Value <= 20) VSize = a.Value;
        break;
      case AlignSy: {
        const std::string v = lowerAscii(a.Name);
        if (v == "left") Align = 5;
        else if (v == "right") Align = 6;
        break;
      }
      case WidthSy:
        if (a.Name.find('%') != std::string::npos) {
          WidthAttr = std::clamp(a.Value, 0, 100);
          PercentWidth = true;
        } else {
          WidthAttr = std::max(0, a.Value);
        }
        break;
      case ColorSy: ParseColor(a.Name, false, Color); break;
      case NoShadeSy: NoShade = true; break;
      default: break;
    }
  }
  if (Props.setHere(html::TextAlign)) {
    if (const std::string* t = std::get_if<std::string>(&Props.prop(html::TextAlign))) {
      const std::string v = lowerAscii(trimAscii(*t));
      if (v == "left") Align = 5;
      else if (v == "right") Align = 6;
      else if (v == "center") Align = 2;
    }
  }
  if (const TColor own = Props.OwnColor(); own != kColorNone) Color = own;
  SectionHeight = VSize;
}

// --- TTableBlock ---

TTableBlock::TTableBlock(TCellBasic* AOwnerCell, TProperties& Props, const TAttributeList& Attributes,
                         ThtmlTable* ATable)
    : TBlock(AOwnerCell, Props, &Attributes, false), Table(ATable) {
  int border = 0;
  for (size_t i = 0; i < Attributes.count(); ++i) {
    const TAttribute& a = Attributes[i];
    switch (a.Which) {
      case AlignSy: {
        const std::string v = lowerAscii(trimAscii(a.Name));
        if (v == "center") Justify = 2;
        else if (Props.FloatSide() != TSide::Left && Props.FloatSide() != TSide::Right) {
          if (v == "left") FloatLR = TSide::Left;
          else if (v == "right") FloatLR = TSide::Right;
        }
        break;
      }
      case BgColorSy:
        if (ParseColor(a.Name, false, BkColor)) BkGnd = true;
        break;
      case BackgroundSy:
        if (BgImageUrl.empty() && !a.Name.empty()) BgImageUrl = a.Name;
        break;
      case WidthSy:
        if (a.Name.find('%') != std::string::npos) {
          AsPercent = true;
          if (a.Value >= 1 && a.Value <= 100) WidthAttr = a.Value * 10;
        } else {
          WidthAttr = a.Value;
        }
        break;
      case HeightSy: {
        int h = 0;
        if (intProp(MargArrayO, Height, h) && h == kUnsetLength) MargArrayO.Set(Height, a.Name);
        break;
      }
      case HSpaceSy: HSpace = static_cast<int>(std::min<long long>(std::llabs(a.Value), 40)); break;
      case VSpaceSy: VSpace = static_cast<int>(std::min<long long>(std::llabs(a.Value), 200)); break;
      case BorderSy: border = a.Value; break;
      default: break;
    }
  }
  if (border > 0 && MargArrayO.holds(BorderTopStyle, 0) && MargArrayO.holds(BorderRightStyle, 0) &&
      MargArrayO.holds(BorderBottomStyle, 0) && MargArrayO.holds(BorderLeftStyle, 0)) {
    for (int i = BorderTopWidth; i <= BorderLeftWidth; ++i) MargArrayO.Set(i, std::min(border, 100));
    for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i) MargArrayO.Set(i, 3);
    Table3D = true;
  }
  if (const std::string* w = std::get_if<std::string>(&Props.prop(html::Width))) {
    const std::string t(trimAscii(*w));
    if (!t.empty() && t.back() == '%') {
      const int v = ToPixels(t, false, 100, 0, EmSize, ExSize, Props.PixelsPerInch);
      if (v > 0) {
        WidthAttr = v >= 100 ? 1000 : v * 10;
        AsPercent = true;
      }
    } else {
      const int v = ToPixels(t, false, 0, 0, EmSize, ExSize, Props.PixelsPerInch);
      if (v > 0) {
        WidthAttr = v;
        AsPercent = false;
      }
    }
  }
  if (FloatLR == TSide::Left || FloatLR == TSide::Right) {
    ZIndex = std::max(ZIndex, 1);
    if (Table) Table->Floating = true;
  }
  MyCell->OwnersTag = "table";
  Document->BoxPool.share(MargArrayO);
}

// --- TTableAndCaptionBlock ---

TTableAndCaptionBlock::TTableAndCaptionBlock(TCellBasic* AOwnerCell, TProperties& Props,
                                             const TAttributeList& Attributes, std::unique_ptr<TTableBlock> ATableBlock,
                                             std::unique_ptr<TBlock> ACaptionBlock, bool CaptionBelow)
    : TBlock(AOwnerCell, Props, &Attributes, false) {
  TagClass = "TableAndCaption.";
  // The table block keeps its own box; the container only places the pair.
  TopMargin = BottomMargin = 0;
  TopIsParagraph = BottomIsParagraph = false;
  FloatLR = ATableBlock->FloatLR;
  Justify = ATableBlock->Justify;
  ATableBlock->TableIndent = true;
  TableBlock = ATableBlock.get();
  CaptionBlock = ACaptionBlock.get();
  TableID = CaptionBelow ? 0 : 1;
  ATableBlock->OwnerCell = MyCell.get();
  ACaptionBlock->OwnerCell = MyCell.get();
  if (CaptionBelow) {
    MyCell->Items.push_back(std::move(ATableBlock));
    MyCell->Items.push_back(std::move(ACaptionBlock));
  } else {
    MyCell->Items.push_back(std::move(ACaptionBlock));
    MyCell->Items.push_back(std::move(ATableBlock));
  }
}

}  // namespace lumora::html
