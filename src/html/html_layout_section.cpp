// Layout of text sections: fitting characters on lines, choosing break points, placing inline objects and
// controls on the lines, alignment, justification and line height; the minimum and maximum widths that
// table layout needs.

#include <algorithm>
#include <climits>

#include "html/html_document.h"
#include "html/html_forms.h"
#include "html/html_layout_indent.h"
#include "html/html_section.h"

namespace lumora::html {
namespace {

bool isWide(char16_t c) { return c > 0x2FFF; }  // CJK and beyond: a break may come before or after any

// A line always ends at a space the section closed with; nothing else counts as trailing here.
bool isTrailing(char16_t c) { return c == u' ' || c == kLineBreakCode; }

// Placement of an object on a line (the codes of the ALIGN attribute).
constexpr int kAlignTop = 1, kAlignMiddle = 2;  // baseline (3) and bottom (4) are placed alike

}  // namespace

// --- Font runs ---

TFontHandle TFontObj::realize(ITextMetrics& Metrics) {
  if (Handle != kNoFont) return Handle;
  Handle = Metrics.realizeFont(fontRequestOf(TheFont));
  if (tmHeight == 0) {
    // The run was made without the host's fonts (a document built before it had them): take them now.
    const TRealizedFont& m = Metrics.fontMetrics(Handle);
    TheFont.tmHeight = m.CellHeight;
    TheFont.tmDescent = m.Descent;
    TheFont.tmExternalLeading = m.ExternalLeading;
    TheFont.tmAveCharWidth = m.AveCharWidth;
    TheFont.tmMaxCharWidth = m.MaxCharWidth;
    FontHeight = m.CellHeight + m.ExternalLeading;
    tmHeight = m.CellHeight;
    tmMaxCharWidth = m.MaxCharWidth;
    Descent = m.Descent;
    Overhang = (TheFont.Style & kFontItalic) ? m.CellHeight / 10 : 0;
  }
  return Handle;
}

// --- Objects ---

void TFloatingObj::sizeFor(ITextMetrics&, int AvailableWidth, int AvailableHeight, bool) {
  ImageWidth = SpecWidth < 0 ? 0 : PercentWidth ? std::max(0, AvailableWidth) * SpecWidth / 100 : SpecWidth;
  ImageHeight = SpecHeight < 0 ? 0 : PercentHeight ? std::max(0, AvailableHeight) * SpecHeight / 100 : SpecHeight;
}

void TImageObj::sizeFor(ITextMetrics& Metrics, int AvailableWidth, int AvailableHeight, bool InLink) {
  loadImage();
  int border = BorderSize;
  if (InLink && !NoBorder) border = std::max(border, 1);
  const bool widthGiven = SpecWidth >= 0, heightGiven = SpecHeight >= 0;
  const int naturalW = Image ? image::GetImageWidth(Image) : 0, naturalH = Image ? image::GetImageHeight(Image) : 0;
  // The natural size keeps its proportions when only one dimension is given.
  const auto scaled = [](int value, int num, int den) {
    return den > 0 ? static_cast<int>(static_cast<long long>(value) * num / den) : value;
  };
  int w = 0, h = 0;
  const int aw = std::max(0, AvailableWidth - 2 * border), ah = std::max(0, AvailableHeight - 2 * border);
  if (widthGiven && PercentWidth) {
    w = aw * SpecWidth / 100;
    h = heightGiven ? (PercentHeight ? ah * SpecHeight / 100 : SpecHeight) : scaled(w, naturalH, naturalW);
  } else if (heightGiven && PercentHeight) {
    h = ah * SpecHeight / 100;
    w = widthGiven ? SpecWidth : scaled(h, naturalW, naturalH);
  } else if (widthGiven && heightGiven) {
    w = SpecWidth;
    h = SpecHeight;
  } else if (heightGiven) {
    h = SpecHeight;
    w = scaled(h, naturalW, naturalH);
  } else if (widthGiven) {
    w = SpecWidth;
    h = scaled(w, naturalH, naturalW);
  } else {
    w = naturalW;
    h = naturalH;
  }
  if (isPlaceholder() && !widthGiven && !heightGiven) {
    if (!Alt.empty()) {
      // The ALT text as the placeholder shows it, in 8-point Arial.
      TMyFont font;
      font.Name = "Arial";
      font.Height = (8 * Document->Styles.PixelsPerInch + 36) / 72;
      const int textWidth = textExtent(Metrics, font, Alt, nullptr);
      const int textHeight = Metrics.fontMetrics(Metrics.realizeFont(fontRequestOf(font))).CellHeight;
      w = textWidth + 26;
      h = std::max(24, textHeight);
    } else {
      w = std::max(w, 24);
      h = std::max(h, 24);
    }
  }
  ImageWidth = std::max(0, w) + 2 * border;
  ImageHeight = std::max(0, h) + 2 * border;
}

// --- Measuring ---

TFloatingObj* TSection::objectAt(int I) const {
  const auto in = objectsIn(I, I + 1);
  return in.empty() ? nullptr : in.front().get();
}

std::span<const std::unique_ptr<TFloatingObj>> TSection::objectsIn(int From, int To) const {
  return itemsAt(Images, From, To);
}

TFontObj* TSection::fontAt(int I) const {
  TFontObj* run = Fonts.empty() ? nullptr : Fonts.front().get();
  for (const auto& f : Fonts) {
    if (f->Pos > I) break;
    run = f.get();
  }
  return run;
}

void TSection::measureAdvances(ITextMetrics& Metrics) {
  TMeasures& M = measures();
  const size_t n = Buff.size();
  bool fresh = M.Adv.size() == n && M.HyphenWidths.size() == Fonts.size();
  for (const auto& f : Fonts) fresh = fresh && f->Handle != kNoFont;
  if (fresh) return;
  M.Adv.assign(n, 0);
  M.HyphenWidths.assign(Fonts.size(), 0);
  for (size_t r = 0; r < Fonts.size(); ++r) {
    TFontObj& run = *Fonts[r];
    run.realize(Metrics);
    const size_t from = static_cast<size_t>(std::clamp(run.Pos, 0, static_cast<int>(n)));
    const size_t to = r + 1 < Fonts.size() ? static_cast<size_t>(std::clamp(Fonts[r + 1]->Pos, 0, static_cast<int>(n))) : n;
    int hyphen = 0;
    M.HyphenWidths[r] = textExtent(Metrics, run.Handle, run.TheFont.CharExtra, u"-", &hyphen);
    if (to <= from) continue;
    // One buffer for every run of every section: measuring is the layout's most frequent step.
    thread_local std::vector<int> widths;
    widths.resize(to - from);
    textExtent(Metrics, run.Handle, run.TheFont.CharExtra, std::u16string_view(Buff).substr(from, to - from),
               widths.data());
    for (size_t i = from; i < to; ++i) {
      const char16_t c = Buff[i];
      M.Adv[i] = (isPlaceholderCode(c) || c == kLineBreakCode) ? int16_t{0}
                                                           : static_cast<int16_t>(std::clamp(widths[i - from], -32768, 32767));
    }
  }
  M.WidthsKnown = false;
  M.Fit.Start = -1;
}

int TSection::hyphenWidthAt(int I) const {
  static const TMeasures kNone;
  const TMeasures& M = measures_ ? *measures_ : kNone;
  for (size_t r = Fonts.size(); r-- > 0;)
    if (Fonts[r]->Pos <= I) return r < M.HyphenWidths.size() ? M.HyphenWidths[r] : 0;
  return M.HyphenWidths.empty() ? 0 : M.HyphenWidths.front();
}

int TSection::piecesWidth(int From, int To) const {
  static const TMeasures kNone;
  const TMeasures& M = measures_ ? *measures_ : kNone;
  int w = 0;
  for (int i = std::max(0, From); i < To && i < static_cast<int>(Buff.size()); ++i) {
    const char16_t c = Buff[static_cast<size_t>(i)];
    if (c == kObjectCode) {
      if (const TFloatingObj* o = objectAt(i); o && o->Floating == TSide::None) w += o->ImageWidth + o->HSpaceL + o->HSpaceR;
    } else if (c == kFormControlCode) {
      if (const TFormControlObj* fc = FormControls.FindAt(i)) w += fc->Width + fc->MarginLeft + fc->MarginRight;
    } else if (static_cast<size_t>(i) < M.Adv.size()) {
      w += M.Adv[static_cast<size_t>(i)];
    }
  }
  return w;
}

// --- Fitting ---

int TSection::FitCharacters(ITextMetrics& Metrics, IndentManager& IMgr, int Y, int Start, bool FirstLine) {
  TMeasures& M = measures();
  (void)Metrics;
  const int n = static_cast<int>(Buff.size());
  int end = n;
  bool breakEnds = false;
  for (int i = Start; i < n; ++i) {
    if (Buff[static_cast<size_t>(i)] == kLineBreakCode) {
      if (i == Start) return 1;
      end = i;
      breakEnds = true;
      break;
    }
  }
  M.PlacedFloats.clear();
  int left = IMgr.LeftEdge(Y) + (FirstLine ? M.IndentPx : 0);
  int width = IMgr.RightEdge(Y) - left;
  if (M.Fit.Start == Start && M.Fit.Y == Y && M.Fit.Left == left && M.Fit.Right == left + width && Images.empty())
    return M.Fit.Count;
  const auto answer = [&](int count) {
    M.Fit = {Start, Y, left, left + width, count};
    return count;
  };
  // Without objects the first line needs no measuring when even the widest characters would fit.
  if (FirstLine && Images.empty() && FormControls.Items.empty() && !Fonts.empty() &&
      static_cast<long long>(end - Start) * Fonts.front()->tmMaxCharWidth <= width) {
    return answer(end - Start + (breakEnds ? 1 : 0));
  }
  int used = 0;
  int i = Start;
  bool placedSomething = false;  // something other than a float is on the line
  for (; i < end; ++i) {
    const char16_t c = Buff[static_cast<size_t>(i)];
    if (c == kObjectCode) {
      TFloatingObj* obj = objectAt(i);
      if (obj && obj->Floating != TSide::None) {
        if (placedSomething) continue;  // met later on the line: placed below it when the line is finished
        // At the line's start: beside the rest of the line when it fits; alone when nothing will move it
        // out of the way further down; otherwise the line ends before it.
        const int outer = obj->ImageWidth + obj->HSpaceL + obj->HSpaceR;
        const bool fits = outer <= width;
        if (!fits && Y < IMgr.NextChange(Y)) break;
        IMgr.PlaceImageFloat(Y, *obj);
        M.PlacedFloats.push_back(obj);
        if (!fits) return answer(i - Start + 1);
        left = IMgr.LeftEdge(Y) + (FirstLine ? M.IndentPx : 0);
        width = IMgr.RightEdge(Y) - left;
        continue;
      }
      const int w = obj ? obj->ImageWidth + obj->HSpaceL + obj->HSpaceR : 0;
      if (used + w > width) break;
      used += w;
      placedSomething = true;
      continue;
    }
    if (c == kFormControlCode) {
      const TFormControlObj* fc = FormControls.FindAt(i);
      const int w = fc ? fc->Width + fc->MarginLeft + fc->MarginRight : 0;
      if (used + w > width) break;
      used += w;
      placedSomething = true;
      continue;
    }
    const int w = static_cast<size_t>(i) < M.Adv.size() ? M.Adv[static_cast<size_t>(i)] : 0;
    if (used + w > width) break;
    used += w;
    placedSomething = true;
  }
  int count = i - Start;
  // A break after a soft hyphen needs room for the hyphen.
  if (count > 0 && i < end && Brk[static_cast<size_t>(i - 1)] == 's' && used + hyphenWidthAt(i - 1) > width) --count;
  if (i == end && breakEnds) ++count;
  return answer(count);
}

// --- Laying out ---

// What completing the lines of one layout shares.
struct TSection::TLineState {
  int Y = 0;
  int X = 0;
  bool FirstLine = true;
  bool LastLine = false;
  std::vector<TFloatingObj*> Pending;  // floats met after a line's start, placed below it
};

void TSection::completeLine(ITextMetrics& Metrics, IndentManager& IMgr, int X, int Start, int Count,
                            TLineState& S) {
  TMeasures& M = measures();
  (void)Metrics;
  LineRec line;
  line.Start = Start;
  line.Ln = Count;
  line.Y = S.Y;
  const int end = Start + Count;
  // The line's text height: the tallest run over it (a line of only objects and controls has none).
  bool hasText = false;
  for (int i = Start; i < end; ++i) {
    if (!isPlaceholderCode(Buff[static_cast<size_t>(i)])) hasText = true;
  }
  int lineHt = 0, descent = 0;
  if (hasText) {
    for (size_t r = 0; r < Fonts.size(); ++r) {
      const int from = Fonts[r]->Pos;
      const int to = r + 1 < Fonts.size() ? Fonts[r + 1]->Pos : static_cast<int>(Buff.size());
      if (to <= Start || from >= end || to <= from) continue;
      lineHt = std::max(lineHt, Fonts[r]->FontHeight);
      descent = std::max(descent, Fonts[r]->Descent);
    }
  }
  // Line-height splits its difference to the text height above and below.
  int above = 0, below = 0;
  if (LineHeight >= 0 && hasText) {
    const int diff = LineHeight - lineHt;
    above = diff / 2;
    below = diff - above;
  }
  // Objects on the line.
  for (const auto& o : objectsIn(Start, end)) {
    if (o->Floating != TSide::None) continue;
    o->DrawYY = S.Y;
    const int g = o->ImageHeight + o->VSpaceT + o->VSpaceB;
    switch (o->VertAlign) {
      case kAlignTop: below = std::max(below, g - lineHt); break;
      case kAlignMiddle: {
        if (!hasText) {
          if (const TFontObj* run = fontAt(o->Pos)) {
            lineHt = run->FontHeight;
            descent = run->Descent;
          }
        }
        const int d = g - lineHt;
        below = std::max(below, d / 2);
        above = std::max(above, d - d / 2);
        break;
      }
      default: above = std::max(above, g + descent - lineHt); break;  // baseline, bottom
    }
  }
  // Form controls on the line.
  for (TFormControlObj* fc : FormControls.in(Start, end)) {
    fc->YValue = S.Y;
    const int g = fc->Height, t = fc->MarginTop, b = fc->MarginBottom;
    switch (fc->VertAlign) {
      case TVerticalAlign::Top: below = std::max(below, g + t + b - lineHt); break;
      case TVerticalAlign::Middle: {
        const int m = g - lineHt;
        below = std::max(below, m / 2 + b);
        above = std::max(above, m - m / 2 + t);
        break;
      }
      case TVerticalAlign::Baseline: above = std::max(above, g + t + b + descent - lineHt); break;
      default: above = std::max(above, g + t + b - lineHt); break;  // bottom
    }
  }
  line.LineHt = lineHt;
  line.Descent = descent;
  line.SpaceBefore = above;
  line.SpaceAfter = below;
  // Horizontal placement.
  const int left = IMgr.LeftEdge(S.Y) + (S.FirstLine ? M.IndentPx : 0);
  const int right = IMgr.RightEdge(S.Y);
  int textEnd = end;
  while (textEnd > Start && isTrailing(Buff[static_cast<size_t>(textEnd - 1)])) --textEnd;
  line.Shy = end < static_cast<int>(Buff.size()) && end > Start && Brk[static_cast<size_t>(end - 1)] == 's';
  int textWidth = piecesWidth(Start, textEnd);
  if (line.Shy) textWidth += hyphenWidthAt(end - 1);
  switch (Justify) {
    case 2: line.LineIndent = (right + left - textWidth) / 2 - X; break;
    case 3: line.LineIndent = right - X - textWidth; break;
    default: line.LineIndent = left - X; break;
  }
  if (Justify == 4 && !S.LastLine) {
    int spaces = 0;
    for (int i = Start; i < end - 1; ++i) {
      const char16_t c = Buff[static_cast<size_t>(i)];
      if (c == u' ' || c == kNoBreakSpace) ++spaces;
    }
    if (spaces > 0) {
      line.Spaces = spaces;
      line.Extra = std::max(0, right - left - textWidth);
    }
  }
  // The line's room, its height, and the floats that wait for the line to be finished.
  line.DrawWidth = right - left;
  const int height = line.LineHt + line.SpaceBefore + line.SpaceAfter;
  line.LineImgHt = height;
  for (const auto& o : objectsIn(Start, end)) {
    if (o->Floating != TSide::None && o->DrawYY == S.Y)
      line.LineImgHt = std::max(line.LineImgHt, o->ImageHeight + o->VSpaceT + o->VSpaceB);
  }
  // Where the inline objects and controls of the line go.
  const int lineTop = line.Y + line.SpaceBefore;
  const int baseline = lineTop + line.LineHt - line.Descent;
  for (const auto& o : objectsIn(Start, end)) {
    if (o->Floating != TSide::None) {
      o->DrawX = o->Indent;
      o->DrawY = o->DrawYY + o->VSpaceT;
      continue;
    }
    o->DrawX = X + line.LineIndent + piecesWidth(Start, o->Pos) + o->HSpaceL;
    switch (o->VertAlign) {
      case kAlignTop: o->DrawY = lineTop + o->VSpaceT; break;
      case kAlignMiddle: {
        const TFontObj* run = fontAt(o->Pos);
        const int runDescent = run ? run->Descent : 0, runCell = run ? run->tmHeight : 0;
        o->DrawY = baseline + runDescent - runCell / 2 - (o->ImageHeight + o->VSpaceB - o->VSpaceT) / 2;
        break;
      }
      default: o->DrawY = baseline - o->ImageHeight - o->VSpaceB; break;
    }
  }
  for (TFormControlObj* fc : FormControls.in(Start, end)) {
    fc->XValue = X + line.LineIndent + piecesWidth(Start, fc->Pos) + fc->MarginLeft;
    switch (fc->VertAlign) {
      case TVerticalAlign::Top: fc->TopValue = lineTop + fc->MarginTop; break;
      case TVerticalAlign::Middle: fc->TopValue = lineTop + (line.LineHt - fc->Height) / 2; break;
      case TVerticalAlign::Baseline: fc->TopValue = baseline - fc->Height - fc->MarginBottom; break;
      default: fc->TopValue = lineTop + line.LineHt - fc->Height - fc->MarginBottom; break;
    }
  }
  SectionHeight += height;
  S.Y += height;
  for (TFloatingObj* f : S.Pending) {
    IMgr.PlaceImageFloat(S.Y, *f);
    f->DrawX = f->Indent;
    f->DrawY = f->DrawYY + f->VSpaceT;
  }
  S.Pending.clear();
  Lines.push_back(line);
}

int TSection::layOutLines(ITextMetrics& Metrics, int X, int, IndentManager& IMgr, int Y, int& MaxWidth) {
  TMeasures& M = measures();
  const int n = static_cast<int>(Buff.size());
  TLineState state;
  state.Y = Y;
  state.X = X;
  // A clear (BR CLEAR or CSS clear) first moves below the floats of that side.
  if (ClearAttr != 0) {
    int l = 0, r = 0;
    IMgr.ClearBottoms(l, r);
    const int bottom = ClearAttr == 1 ? l : ClearAttr == 2 ? r : std::max(l, r);
    const int h = std::max(0, bottom - state.Y - 1);
    if (h > 0) {
      LineRec gap;
      gap.Start = 0;
      gap.Y = state.Y;
      gap.LineImgHt = h;
      gap.SpaceBefore = h;
      Lines.push_back(gap);
      SectionHeight += h;
      state.Y += h;
    }
  }
  const bool noWrap = Preformatted && !BreakWord;
  int start = 0;
  int guard = 0;
  // An empty line down to where the floats beside this Y end, when they end further down.
  const auto moveBelowFloats = [&] {
    const int next = IMgr.NextChange(state.Y);
    if (next <= state.Y || ++guard >= 1000) return false;
    LineRec gap;
    gap.Start = start;
    gap.Y = state.Y;
    gap.LineImgHt = gap.SpaceBefore = next - state.Y;
    Lines.push_back(gap);
    SectionHeight += next - state.Y;
    state.Y = next;
    return true;
  };
  while (start < n) {
    int count;
    if (noWrap) {
      count = n - start;
    } else {
      count = FitCharacters(Metrics, IMgr, state.Y, start, state.FirstLine);
      if (count <= 0) {
        // A float leaves no room here: go on below it when it ends further down.
        if (moveBelowFloats()) continue;
        count = 1;
      }
    }
    const auto mark = [&](int i) { return Brk[static_cast<size_t>(i)]; };
    const auto ch = [&](int i) { return Buff[static_cast<size_t>(i)]; };
    const auto takeSpaces = [&](int after) {  // the end index after a break point and the spaces after it
      int e = after;
      while (e < n && ch(e) == u' ') ++e;
      return e;
    };
    int lineEnd;  // one past the line's last character
    if (start + count >= n) {
      lineEnd = n;
    } else {
      const int last = start + count - 1;
      const char16_t c = ch(last);
      if ((isPlaceholderCode(c) || c == u' ' || isWide(c)) && mark(last) != 'n') {
        lineEnd = takeSpaces(last + 1);  // after a place a line may break at
      } else if (c == kLineBreakCode) {
        lineEnd = takeSpaces(last + 1);  // after a line break
      } else if (ch(last + 1) == u' ' && mark(last) != 'n') {
        lineEnd = takeSpaces(last + 1);  // before the spaces that follow
      } else if (isPlaceholderCode(ch(last + 1)) && mark(last) != 'n') {
        lineEnd = last + 1;  // before an object or control
      } else {
        // Back to the last place the line may break.
        int k = last;
        for (; k >= start; --k) {
          const char16_t b = ch(k);
          const char m = mark(k);
          if (m == 'n') continue;
          const bool breakChar = isPlaceholderCode(b) || b == u' ' || b == u'-' || b == u'?' || isWide(b) ||
                                 (k + 1 < n && isWide(ch(k + 1))) || m == 'a' || m == 's';
          if (breakChar) break;
        }
        if (k >= start) {
          lineEnd = takeSpaces(k + 1);
        } else if (BreakWord) {
          lineEnd = last + 1;  // with break-word: where the room ends
        } else {
          // One word longer than the line: below the floats when they end further down, else whole.
          int e = last + 1;
          while (e < n) {
            const char16_t b = ch(e);
            const char m = mark(e);
            if (m != 'n' && (b == u'-' || b == u'?' || m == 'a' || m == 's')) {
              ++e;
              break;
            }
            if (e + 1 < n && m != 'n') {
              const char16_t next = ch(e + 1);
              if (isPlaceholderCode(next) || next == kLineBreakCode || next == u' ' || isWide(next)) {
                ++e;
                break;
              }
            }
            ++e;
          }
          e = takeSpaces(e);
          if (e < n && ch(e) == kLineBreakCode) ++e;
          if (moveBelowFloats()) continue;
          lineEnd = std::min(e, n);
          MaxWidth = std::max(MaxWidth, piecesWidth(start, lineEnd));
        }
      }
    }
    if (lineEnd <= start) lineEnd = start + 1;
    // Floats met after the line's start wait until the line is finished.
    for (const auto& o : objectsIn(start, lineEnd)) {
      if (o->Floating == TSide::None) continue;
      if (std::find(M.PlacedFloats.begin(), M.PlacedFloats.end(), o.get()) == M.PlacedFloats.end())
        state.Pending.push_back(o.get());
    }
    M.PlacedFloats.clear();
    state.LastLine = lineEnd >= n;
    completeLine(Metrics, IMgr, X, start, lineEnd - start, state);
    state.FirstLine = false;
    start = lineEnd;
  }
  return state.Y - Y;
}

int TSection::LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int, IndentManager& IMgr, int Y,
                     int& CharPosition, int& MaxWidth, int& ScrollWidth) {
  TMeasures& M = measures();
  StartCurs = CharPosition;
  YPosition = Y;
  ContentTop = DrawTop = Y;
  DrawX = X;
  const int n = static_cast<int>(Buff.size());
  // Text alone (no objects, controls or clearing, whose places depend on more than the room) in the same
  // room as before in this pass breaks into the same lines: they only move down or up.
  const bool reusable = n > 0 && Images.empty() && FormControls.Items.empty() && ClearAttr == 0 &&
                        IMgr.EdgesSteadyBelow(Y);
  const int left = reusable ? IMgr.LeftEdge(Y) : 0, right = reusable ? IMgr.RightEdge(Y) : 0;
  TMeasures::TLastLayout& last = M.Last;
  if (reusable && last.Cycle == Document->CycleNumber && last.X == X && last.Width == Width && last.Left == left &&
      last.Right == right) {
    const int dy = Y - last.Y;
    for (LineRec& line : Lines) {
      line.Y += dy;
      line.FirstDraw = true;
    }
    last.Y = Y;
    MaxWidth = last.MaxWidth;
    return finishLayOut(IMgr, Y, CharPosition, MaxWidth, ScrollWidth);
  }
  last.Cycle = -1;
  Lines.clear();
  SectionHeight = 0;
  MaxWidth = 0;
  measureAdvances(Metrics);
  M.Fit.Start = -1;
  if (n == 0) {
    // An empty section only clears.
    int h = 0;
    if (ClearAttr != 0) {
      int l = 0, r = 0;
      IMgr.ClearBottoms(l, r);
      const int bottom = ClearAttr == 1 ? l : ClearAttr == 2 ? r : std::max(l, r);
      h = std::max(0, bottom - Y - 1);
    }
    SectionHeight = DrawHeight = h;
    ContentBot = DrawBot = Y + h;
    return h;
  }
  M.IndentPx = TextIndentPercent ? Width * std::clamp(TextIndent, 0, 90) / 100 : TextIndent;
  MaxWidth = std::min(Width, IMgr.RightEdge(Y) - IMgr.LeftEdge(Y));
  // Objects and controls sized for the room the section has.
  for (const auto& o : Images) {
    const TFontObj* run = fontAt(o->Pos);
    o->sizeFor(Metrics, Width, AvailableHeight, run && run->hasLink());
    MaxWidth = std::max(MaxWidth, o->ImageWidth + o->HSpaceL + o->HSpaceR);
  }
  for (TFormControlObj* fc : FormControls.Items) {
    if (fc->PercentWidth) {
      const int room = Width - fc->MarginLeft - fc->MarginRight;
      fc->Width = std::max(10, std::min(Width * std::max(0, fc->StyleWidth) / 100, room));
    }
    MaxWidth = std::max(MaxWidth, fc->Width + fc->MarginLeft + fc->MarginRight);
  }
  const int height = layOutLines(Metrics, X, Width, IMgr, Y, MaxWidth);
  (void)height;
  if (reusable) last = {Document->CycleNumber, X, Width, left, right, Y, MaxWidth};
  return finishLayOut(IMgr, Y, CharPosition, MaxWidth, ScrollWidth);
}

int TSection::finishLayOut(IndentManager& IMgr, int Y, int& CharPosition, int MaxWidth, int& ScrollWidth) {
  CharPosition += Len = static_cast<int>(Buff.size());
  ContentBot = Y + SectionHeight;
  DrawHeight = std::max(SectionHeight, IMgr.LowestFloat() - Y);
  DrawBot = Y + DrawHeight;
  ScrollWidth = std::max(ScrollWidth, MaxWidth);
  if (Document->FirstLineHtPtr && *Document->FirstLineHtPtr == 0 && !Lines.empty()) {
    const LineRec& first = Lines.front().Ln > 0 || Lines.size() == 1 ? Lines.front() : Lines[1];
    *Document->FirstLineHtPtr = first.Y + first.SpaceBefore + first.LineHt - first.Descent;
  }
  Document->reportLayoutProgress(SectionNumber);
  return SectionHeight;
}

// --- Widths ---

void TSection::MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) {
  TMeasures& M = measures();
  measureAdvances(Metrics);
  if (M.WidthsKnown && Images.empty()) {
    MinWidth = M.MinWidth;
    MaxWidth = M.MaxWidth;
    return;
  }
  const int n = static_cast<int>(Buff.size());
  int floatTotal = 0, floatMin = 0, minW = 0;
  for (const auto& o : Images) {
    const TFontObj* run = fontAt(o->Pos);
    o->sizeFor(Metrics, 0, 0, run && run->hasLink());
    const int outer = o->ImageWidth + o->HSpaceL + o->HSpaceR;
    if (o->Floating != TSide::None) {
      floatTotal += outer;
      floatMin = std::max(floatMin, outer);
    } else {
      minW = std::max(minW, outer);
    }
  }
  for (TFormControlObj* fc : FormControls.Items) {
    if (!fc->PercentWidth) minW = std::max(minW, fc->Width + fc->MarginLeft + fc->MarginRight);
  }
  // Maximum: the widest hard line.
  int maxW = 0;
  bool firstHardLine = true;
  for (int from = 0; from < n;) {
    int to = from;
    while (to < n && Buff[static_cast<size_t>(to)] != kLineBreakCode) ++to;
    int end = to;
    while (end > from && Buff[static_cast<size_t>(end - 1)] == u' ') --end;
    int w = piecesWidth(from, end);
    if (firstHardLine) {
      if (TextIndentPercent) {
        const int pct = std::clamp(TextIndent, 0, 90);
        w = w * 100 / (100 - pct);
      } else {
        w += TextIndent;
      }
    }
    maxW = std::max(maxW, w);
    firstHardLine = false;
    from = to + 1;
  }
  maxW += floatTotal;
  // Minimum: the widest unbreakable word.
  if (BreakWord) {
    for (int i = 0; i < n; ++i) minW = std::max(minW, static_cast<int>(M.Adv[static_cast<size_t>(i)]));
  } else {
    const auto isBreakChar = [&](char16_t c) {
      return isPlaceholderCode(c) || c == kLineBreakCode || c == u' ' || c == u'-' || c == u'?' || isWide(c);
    };
    int i = 0;
    while (i < n) {
      while (i < n && (Buff[static_cast<size_t>(i)] == u' ' || isPlaceholderCode(Buff[static_cast<size_t>(i)]) ||
                       Buff[static_cast<size_t>(i)] == kLineBreakCode))
        ++i;
      if (i >= n) break;
      int w = 0;
      int j = i;
      for (; j < n; ++j) {
        const char16_t c = Buff[static_cast<size_t>(j)];
        w += M.Adv[static_cast<size_t>(j)];
        const char m = Brk[static_cast<size_t>(j)];
        if (m == 'a' || m == 's') {
          if (m == 's') w += hyphenWidthAt(j);
          ++j;
          break;
        }
        if (isWide(c) && m != 'n') {
          ++j;
          break;
        }
        if (j + 1 < n) {
          const char16_t next = Buff[static_cast<size_t>(j + 1)];
          if (isBreakChar(next) && m == 'y') {
            // A following "-" or "?" belongs to the word.
            if ((next == u'-' || next == u'?') && j + 1 < n) {
              w += M.Adv[static_cast<size_t>(j + 1)];
              j += 2;
            } else {
              ++j;
            }
            break;
          }
        }
      }
      minW = std::max(minW, w);
      i = std::max(j, i + 1);
    }
  }
  minW = std::max(minW, floatMin);
  MinWidth = minW;
  MaxWidth = std::max(maxW, minW);
  M.MinWidth = MinWidth;
  M.MaxWidth = MaxWidth;
  M.WidthsKnown = true;
}

// --- Preformatted lines ---

void TPreFormated::MeasureWidths(ITextMetrics& Metrics, int& MinWidth, int& MaxWidth) {
  TMeasures& M = measures();
  if (BreakWord) return TSection::MeasureWidths(Metrics, MinWidth, MaxWidth);
  measureAdvances(Metrics);
  if (Buff.empty()) {
    MinWidth = MaxWidth = 0;
    return;
  }
  if (!M.WidthsKnown) {
    M.MaxWidth = piecesWidth(0, static_cast<int>(Buff.size()) - 1);  // without the final space
    M.MinWidth = std::min(2000, M.MaxWidth);
    M.WidthsKnown = true;
  }
  MinWidth = M.MinWidth;
  MaxWidth = M.MaxWidth;
}

int TPreFormated::LayOut(ITextMetrics& Metrics, int X, int Width, int AvailableHeight, int BlockHeight,
                         IndentManager& IMgr, int Y, int& CharPosition, int& MaxWidth, int& ScrollWidth) {
  if (BreakWord) {
    return TSection::LayOut(Metrics, X, Width, AvailableHeight, BlockHeight, IMgr, Y, CharPosition, MaxWidth,
                            ScrollWidth);
  }
  if (Buff.empty()) {
    // A blank line: the height of its font's line.
    StartCurs = CharPosition;
    YPosition = ContentTop = DrawTop = Y;
    Lines.clear();
    int h = 0;
    if (!Fonts.empty()) {
      Fonts.front()->realize(Metrics);
      h = Fonts.front()->FontHeight;
    }
    SectionHeight = DrawHeight = h;
    ContentBot = DrawBot = Y + h;
    MaxWidth = 0;
    return h;
  }
  // Nothing wraps: the right limit moves out of the way while the line is placed.
  const int savedLimit = IMgr.Width;
  IMgr.Width = 32000;
  int ignored = 0;
  const int h = TSection::LayOut(Metrics, X, Width, AvailableHeight, BlockHeight, IMgr, Y, CharPosition, ignored,
                                 ScrollWidth);
  IMgr.Width = savedLimit;
  int minW = 0;
  MeasureWidths(Metrics, minW, MaxWidth);
  ScrollWidth = std::max(ScrollWidth, MaxWidth);
  return h;
}

}  // namespace lumora::html
