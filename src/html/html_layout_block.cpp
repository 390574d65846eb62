// Layout of cells and blocks: items one below the other, block boxes with their margins, borders, padding,
// widths, clear, floats and positioning; the body, list items and horizontal rules; the document's layout
// entry point and its position list.

#include <algorithm>
#include <climits>

#include "html/html_blocks.h"
#include "html/html_document.h"
#include "html/html_forms.h"
#include "html/html_layout_indent.h"
#include "html/html_section.h"
#include "html/html_table.h"

namespace lumora::html {
namespace {

// A margin given as "auto" in the converted box values.
bool isAuto(int v) { return v == kAutoLength; }

int horizontalExtras(const TMarginArray& m) {
  return orZero(m[PaddingLeft]) + orZero(m[PaddingRight]) + orZero(m[BorderLeftWidth]) + orZero(m[BorderRightWidth]);
}

}  // namespace

// --- Cells ---

int TCellBasic::DoLayout(ITextMetrics& Metrics, int X, int Y, int Width, int AvailableHeight, int BlockHeight,
                         IndentManager& IMgr, int& CharPosition, int& MaxWidth, int& ScrollWidth) {
  StartCurs = CharPosition;
  tcDrawTop = INT_MAX;
  tcDrawBot = INT_MIN;
  MaxWidth = 0;
  int y = Y;
  for (const auto& item : Items) {
    int itemMax = 0;
    const int h = item->LayOut(Metrics, X, Width, AvailableHeight, BlockHeight, IMgr, y, CharPosition, itemMax,
                               ScrollWidth);
    MaxWidth = std::max(MaxWidth, itemMax);
    y += std::max(0, h);
    tcDrawTop = std::min(tcDrawTop, item->DrawTop);
    tcDrawBot = std::max(tcDrawBot, item->DrawBot);
  }
  if (tcDrawTop == INT_MAX) tcDrawTop = Y;
  if (tcDrawBot == INT_MIN) tcDrawBot = Y;
  tcContentBot = y;
  return y - Y;
}

void TCellBasic::MinMaxWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) {
  MinWidth = MaxWidth = 0;
  for (const auto& item : Items) {
    int mn = 0, mx = 0;
    item->MeasureWidths(Metrics, mn, mx);
    MinWidth = std::max(MinWidth, mn);
    MaxWidth = std::max(MaxWidth, mx);
  }
}

TCell::TCell(TSectionList* Document, TBlock* OwnerBlock) : TCellBasic(Document, OwnerBlock) {}

TCell::~TCell() = default;

int TCell::DoLayout(ITextMetrics& Metrics, int X, int Y, int Width, int AvailableHeight, int BlockHeight,
                    IndentManager& Given, int& CharPosition, int& MaxWidth, int& ScrollWidth) {
  IndentManager& im = IMgr ? *IMgr : Given;
  im.ResetEdges(X, X + Width);
  int h = TCellBasic::DoLayout(Metrics, X, Y, Width, AvailableHeight, BlockHeight, im, CharPosition, MaxWidth,
                               ScrollWidth);
  // The cell reaches down to its lowest float.
  h = std::max(h, im.LowestFloat() - Y);
  tcContentBot = std::max(tcContentBot, Y + h);
  return h;
}

// --- Blocks ---

int TBlock::ResolveWidth(ITextMetrics& Metrics, int AvailableWidth, int AutoCount, int) {
  int mn = 0, mx = 0;
  MyCell->MinMaxWidths(Metrics, mn, mx);
  const int h = horizontalExtras(MargArray);
  int& ml = MargArray[MarginLeft];
  int& mr = MargArray[MarginRight];
  const int width = MargArray[html::Width];
  const bool keep = HideOverflow && !isAuto(width) && width > 20;
  if (!keep) HideOverflow = false;
  const auto autoWidth = [&] {
    int w = AvailableWidth - h - orZero(ml) - orZero(mr);
    if (Positioning == TPositionKind::Absolute) w -= orZero(LeftP);
    if (FloatLR != TSide::None) return std::max(0, std::min(mx, w));
    return std::max(mn, w);
  };
  int result;
  if (AutoCount == 0) {
    result = keep ? width : std::max(mn, width);
    const int leftover = std::max(0, AvailableWidth - result - h);
    const std::string align = lowerAscii(trimAscii(TextAlign));
    if ((align == "center" || align == "right") && Positioning == TPositionKind::Static && FloatLR == TSide::None &&
        ml == 0 && mr == 0) {
      if (align == "center") {
        ml = mr = leftover / 2;
      } else {
        ml = leftover;
      }
    }
  } else if (AutoCount == 1) {
    if (isAuto(width)) {
      result = autoWidth();
    } else {
      result = keep ? width : std::max(width, mn);
      const int leftover = AvailableWidth - result - h - orZero(ml) - orZero(mr);
      if (isAuto(ml)) ml = leftover;
      if (isAuto(mr)) mr = FloatLR != TSide::None ? 0 : leftover;
    }
  } else if (AutoCount == 2) {
    if (isAuto(width)) {
      if (isAuto(ml)) ml = 0;
      if (isAuto(mr)) mr = 0;
      result = autoWidth();
    } else {
      result = keep ? width : std::max(width, mn);
      const int leftover = AvailableWidth - result - h;
      ml = mr = leftover / 2;
    }
  } else {
    ml = mr = 0;
    result = autoWidth();
  }
  ml = orZero(ml);
  mr = orZero(mr);
  return std::max(0, result);
}

void TBlock::MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) {
  MinWidth = MaxWidth = 0;
  if (DisplayNone) return;
  TMarginArray m;
  int autoCount = 0;
  ConvertBoxArray(MargArrayO, 0, 0, EmSize, ExSize, m, autoCount);
  const int extras = orZero(m[MarginLeft]) + orZero(m[MarginRight]) + horizontalExtras(m);
  int mn = 0, mx = 0;
  MyCell->MinMaxWidths(Metrics, mn, mx);
  const int width = m[html::Width];
  const bool percent = MargArrayO.Text(html::Width) && MargArrayO.Text(html::Width)->find('%') != std::string::npos;
  if (!isAuto(width) && width > 0 && !percent) {
    MinWidth = std::max(mn, width) + extras;
    MaxWidth = MinWidth;
  } else {
    MinWidth = mn + extras;
    MaxWidth = std::max(mx, mn) + extras;
  }
}

void TBlock::buildDrawList() {
  DrawList.clear();
  for (const auto& item : MyCell->Items) DrawList.push_back(item.get());
  // Negative z-index first, then the flow, then positive z-index; equal ones keep the flow order.
  std::stable_sort(DrawList.begin(), DrawList.end(),
                   [](const TSectionBase* a, const TSectionBase* b) { return a->ZIndex < b->ZIndex; });
}

int TBlock::LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight,
                   IndentManager& IMgr, int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) {
  StartCurs = CharPosition;
  YPosition = Y;
  MaxWidth = 0;
  if (DisplayNone) {
    SectionHeight = DrawHeight = 0;
    ContentTop = ContentBot = DrawTop = DrawBot = Y;
    BorderBox = ContentBox = {X, Y, X, Y};
    return 0;
  }
  // Clear: below the floats of that side.
  ClearAddon = 0;
  if (ClearAttr != TSide::None) {
    int l = 0, r = 0;
    IMgr.ClearBottoms(l, r);
    const int bottom = ClearAttr == TSide::Left ? l : ClearAttr == TSide::Right ? r : std::max(l, r);
    ClearAddon = std::max(0, bottom - Y - 1);
  }
  int autoCount = 0;
  ConvertBoxArray(MargArrayO, Width, AvailableHeight, EmSize, ExSize, MargArray, autoCount);
  MargArray[MarginTop] = TopMargin;
  MargArray[MarginBottom] = BottomMargin;
  TopP = LeftP = 0;
  if (Positioning != TPositionKind::Static) {
    TopP = orZero(MargArray[Top]);
    LeftP = orZero(MargArray[Left]);
    if (Positioning == TPositionKind::Absolute && isAuto(MargArray[Left]) && !isAuto(MargArray[Right]) &&
        autoCount == 0) {
      LeftP = Width - MargArray[Right] - MargArray[html::Width] - orZero(MargArray[MarginLeft]) -
              orZero(MargArray[MarginRight]) - horizontalExtras(MargArray);
    }
  }
  int x = X, y = Y;
  if (Positioning == TPositionKind::Absolute) {
    x = X + LeftP;
    y = OwnerCell->CellTop + TopP;
  }
  NewWidth = ResolveWidth(Metrics, Width, autoCount, AvailableHeight);
  const int ml = MargArray[MarginLeft], mr = MargArray[MarginRight];
  const int pl = orZero(MargArray[PaddingLeft]), pr = orZero(MargArray[PaddingRight]);
  const int pt = orZero(MargArray[PaddingTop]), pb = orZero(MargArray[PaddingBottom]);
  const int bl = orZero(MargArray[BorderLeftWidth]), br = orZero(MargArray[BorderRightWidth]);
  const int bt = orZero(MargArray[BorderTopWidth]), bb = orZero(MargArray[BorderBottomWidth]);
  if (MargArrayO.Text(html::Width) && MargArrayO.Text(html::Width)->find('%') != std::string::npos)
    NewWidth = std::min(NewWidth, std::max(0, Width - ml - mr - pl - pr - bl - br));
  IndentManager* im = &IMgr;
  if (Positioning == TPositionKind::Absolute) {
    if (!MyIMgr) MyIMgr = std::make_unique<IndentManager>();
    im = MyIMgr.get();
  }
  DrawTop = y + ClearAddon + std::min(0, TopMargin);
  const int yClear = y + ClearAddon;
  if (FloatLR == TSide::Left) {
    Indent = std::max(x, IMgr.LeftEdge(yClear)) + ml + pl + bl - x;
  } else if (FloatLR == TSide::Right) {
    Indent = std::min(x + Width, IMgr.RightEdge(yClear)) - mr - pr - br - NewWidth - x;
  } else {
    Indent = ml + pl + bl;
  }
  ContentTop = yClear + TopMargin + pt + bt;
  YPosition = ContentTop;
  const int contentX = x + Indent;
  if (im == MyIMgr.get()) im->ResetEdges(contentX, contentX + NewWidth);
  const TBlock* savedOwner = im->CurrentID;
  im->CurrentID = this;
  const IndentManager::TEdgeMark edges = im->PushEdges(contentX, contentX + NewWidth, ContentTop);
  const int height = MargArray[html::Height];
  const int childHeight = !isAuto(height) && height > 0 ? height : AvailableHeight;
  int contentMax = 0;
  const int relative = Positioning == TPositionKind::Relative ? TopP : 0;
  MyCell->CellTop = ContentTop;
  MyCell->DoLayout(Metrics, contentX + (Positioning == TPositionKind::Relative ? LeftP : 0), ContentTop + relative,
                   NewWidth, childHeight, BlockHeight, *im, CharPosition, contentMax, ScrollWidth);
  ContentBot = std::max(ContentTop, MyCell->tcContentBot - relative);
  if (!isAuto(height) && height > 0 &&
      ((HideOverflow && height > 3) || ContentBot - ContentTop < height)) {
    ContentBot = ContentTop + height;
  }
  if (Positioning == TPositionKind::Absolute) ContentBot = std::max(ContentBot, im->LowestFloat());
  const int blockBottom = ContentBot + pb + bb + BottomMargin;
  DrawBot = std::max(ContentBot, MyCell->tcDrawBot) + pb + bb;
  SectionHeight = blockBottom - Y;
  MaxWidth = ml + mr + pl + pr + bl + br + contentMax;
  if (Positioning != TPositionKind::Static) MaxWidth += LeftP - mr;
  ScrollWidth = std::max(ScrollWidth, contentX + NewWidth + pr + br);
  im->PopEdges(edges);
  im->CurrentID = savedOwner;
  BorderBox = {contentX - pl - bl, ContentTop - pt - bt, contentX + NewWidth + pr + br, ContentBot + pb + bb};
  ContentBox = {contentX, ContentTop, contentX + NewWidth, ContentBot};
  // Floats and positioned blocks take no room in the flow.
  if (FloatLR == TSide::Left || FloatLR == TSide::Right) {
    const int fullHeight = DrawBot - Y;
    if (FloatLR == TSide::Left) {
      IMgr.AddFloatRecord(Y, contentX + NewWidth + pr + br + mr, IndentManager::TSide::Left, fullHeight);
    } else {
      IMgr.AddFloatRecord(Y, NewWidth + ml + mr + pl + pr + bl + br, IndentManager::TSide::Right, fullHeight);
    }
    DrawHeight = fullHeight;
    SectionHeight = 0;
  } else if (Positioning == TPositionKind::Absolute) {
    DrawHeight = SectionHeight = 0;
  } else {
    DrawHeight = std::max(SectionHeight, IMgr.LowestFloat() - Y);
  }
  if (DrawList.empty() && !MyCell->Items.empty()) buildDrawList();
  return SectionHeight;
}

void TBlock::RegisterPositions() {
  Document->PositionList.push_back(this);
  for (const auto& item : MyCell->Items) item->RegisterPositions();
}

// --- Body ---

int TBodyBlock::LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight,
                       IndentManager& IMgr, int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) {
  StartCurs = CharPosition;
  int autoCount = 0;
  ConvertBoxArray(MargArrayO, Width, AvailableHeight, EmSize, ExSize, MargArray, autoCount);
  MargArray[MarginTop] = TopMargin;
  MargArray[MarginBottom] = BottomMargin;
  const int ml = orZero(MargArray[MarginLeft]), mr = orZero(MargArray[MarginRight]);
  const int pl = orZero(MargArray[PaddingLeft]), pr = orZero(MargArray[PaddingRight]);
  const int pt = orZero(MargArray[PaddingTop]), pb = orZero(MargArray[PaddingBottom]);
  const int bl = orZero(MargArray[BorderLeftWidth]), br = orZero(MargArray[BorderRightWidth]);
  const int bt = orZero(MargArray[BorderTopWidth]), bb = orZero(MargArray[BorderBottomWidth]);
  NewWidth = std::max(0, Width - ml - mr - pl - pr - bl - br);
  Indent = ml + pl + bl;
  ContentTop = Y + TopMargin + pt + bt;
  YPosition = ContentTop;
  DrawTop = Y;
  const int contentX = X + Indent;
  const TBlock* savedOwner = IMgr.CurrentID;
  IMgr.CurrentID = this;
  const IndentManager::TEdgeMark edges = IMgr.PushEdges(contentX, contentX + NewWidth, ContentTop);
  int contentMax = 0;
  MyCell->CellTop = ContentTop;
  MyCell->DoLayout(Metrics, contentX, ContentTop, NewWidth, AvailableHeight, BlockHeight, IMgr, CharPosition,
                   contentMax, ScrollWidth);
  IMgr.PopEdges(edges);
  IMgr.CurrentID = savedOwner;
  ContentBot = std::max(ContentTop, MyCell->tcContentBot);
  ContentBot = std::max(ContentBot, IMgr.LowestFloat());
  const int height = MargArray[html::Height];
  if (!isAuto(height) && height > 0 && ContentBot - ContentTop < height) ContentBot = ContentTop + height;
  SectionHeight = ContentBot + pb + bb + BottomMargin - Y;
  // Everything in the body is drawn, whatever its items say of their extents.
  MyCell->tcDrawTop = 0;
  MyCell->tcDrawBot = 999000;
  DrawHeight = SectionHeight;
  DrawBot = Y + SectionHeight;
  MaxWidth = std::max(Width, contentMax + ml + mr + pl + pr + bl + br);
  BorderBox = {contentX - pl - bl, ContentTop - pt - bt, contentX + NewWidth + pr + br, ContentBot + pb + bb};
  ContentBox = {contentX, ContentTop, contentX + NewWidth, ContentBot};
  if (DrawList.empty() && !MyCell->Items.empty()) buildDrawList();
  return SectionHeight;
}

// --- List items ---

int TBlockLI::LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight,
                     IndentManager& IMgr, int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) {
  // The marker sits on the first baseline of the content.
  int* const saved = Document->FirstLineHtPtr;
  FirstLineHt = 0;
  Document->FirstLineHtPtr = &FirstLineHt;
  const int h = TBlock::LayOut(Metrics, X, Width, AvailableHeight, BlockHeight, IMgr, Y, CharPosition, MaxWidth,
                               ScrollWidth);
  Document->FirstLineHtPtr = saved;
  return h;
}

// --- Horizontal rules ---

int THRBlock::ResolveWidth(ITextMetrics&, int AvailableWidth, int, int) {
  const THorzLine* line = MyCell->Items.empty() ? nullptr : dynamic_cast<THorzLine*>(MyCell->Items.front().get());
  int& ml = MargArray[MarginLeft];
  int& mr = MargArray[MarginRight];
  ml = orZero(ml);
  mr = orZero(mr);
  const int available = AvailableWidth - ml - mr - horizontalExtras(MargArray);
  int given = -1;
  if (!isAuto(MargArray[html::Width]) && MargArray[html::Width] > 0) {
    given = MargArray[html::Width];
  } else if (line && line->WidthAttr >= 0) {
    given = line->PercentWidth ? std::max(0, available) * line->WidthAttr / 100 : line->WidthAttr;
  }
  const int width = given >= 0 ? std::min(given, std::max(0, available)) : std::max(15, available);
  const int leftover = std::max(0, available - width);
  if (Positioning != TPositionKind::Absolute) {
    if (Align == 6) ml += leftover;
    else if (Align == 2) ml += leftover / 2;
  }
  return width;
}

int THorzLine::LayOut(ITextMetrics&, int X, int Width, int, int, IndentManager& IMgr, int Y, int& CharPosition,
                      int& MaxWidth, int&) {
  StartCurs = CharPosition;
  YPosition = ContentTop = DrawTop = Y;
  XPosition = std::max(X, IMgr.LeftEdge(Y));
  HRWidth = std::max(0, std::min(X + Width - XPosition, IMgr.RightEdge(Y) - XPosition));
  SectionHeight = DrawHeight = VSize;
  ContentBot = DrawBot = Y + VSize;
  MaxWidth = HRWidth;
  return VSize;
}

// --- The document ---

int TSectionList::LayOut(ITextMetrics& Metrics, int ClientHeight, int Width, int& ScrollWidth) {
  ++CycleNumber;
  TableNestLevel = 0;
  InLogic2 = false;
  FirstLineHtPtr = nullptr;
  int charPosition = 0;
  int maxWidth = 0;
  ScrollWidth = 0;
  CellTop = 0;
  if (!IMgr) IMgr = std::make_unique<IndentManager>();
  // The native controls' sizes first: lines are measured with them.
  for (const auto& form : htmlFormList) form->SizeControls();
  const int height =
      DoLayout(Metrics, 0, 0, std::max(0, Width), ClientHeight, 0, *IMgr, charPosition, maxWidth, ScrollWidth);
  ScrollWidth = std::max(ScrollWidth, maxWidth);
  if (PositionList.empty())
    for (const auto& item : Items) item->RegisterPositions();
  DocumentHeight = height;
  DocumentMaxWidth = maxWidth;
  return height;
}

TSectionBase* TSectionList::FindItemAtY(int Y, int& Index) const {
  Index = -1;
  // The list is in document order, so tops grow (floats and positioned blocks aside).
  for (size_t i = 0; i < PositionList.size(); ++i) {
    if (PositionList[i]->YPosition > Y) break;
    Index = static_cast<int>(i);
  }
  return Index < 0 ? nullptr : PositionList[static_cast<size_t>(Index)];
}

void TSectionList::reportLayoutProgress(int SectionNumber) {
  if (!OnLayoutProgress || SectionCount <= 0 || SectionNumber % 50 != 0) return;
  if (ProgressReportedCycle == CycleNumber && SectionNumber <= lastReportedSection_) return;
  ProgressReportedCycle = CycleNumber;
  lastReportedSection_ = SectionNumber;
  OnLayoutProgress(ProgressStart + SectionNumber * (100 - ProgressStart) / SectionCount);
}

}  // namespace lumora::html
