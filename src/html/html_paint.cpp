// Painting: the document, cells, blocks with their backgrounds and borders, list markers, rules, tables
// and their cells, text sections with selection, justification, images and placed form controls.

#include "html/html_paint.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "html/html_blocks.h"
#include "html/html_document.h"
#include "html/html_forms.h"
#include "html/html_layout_table.h"
#include "html/html_section.h"
#include "html/html_table.h"
#include "image/builtin_images.h"
#include "image/gif_image.h"

namespace lumora::html {
namespace {



TRect inset(const TRect& R, int L, int T, int Rt, int B) { return {R.Left + L, R.Top + T, R.Right - Rt, R.Bottom - B}; }

bool isEmpty(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }

TRect intersection(const TRect& A, const TRect& B) {
  return {std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
}

TColor inverseOf(const ICanvas& Canvas, TColor Color) { return ~Canvas.resolveColor(Color) & 0xFFFFFF; }

constexpr TColor kSilver = 12632256;  // 0xC0C0C0
constexpr TColor kButtonShadow = kSystemColorFlag | 16;
constexpr TColor kButtonHighlight = kSystemColorFlag | 20;

// Clamps a rectangle's vertical extent as borders and frames do: very tall boxes keep small coordinates.
TRect clampTall(TRect R) {
  R.Top = std::max(R.Top, -200);
  R.Bottom = std::min(R.Bottom, 5000);
  return R;
}

void fillQuad(ICanvas& Canvas, TPoint A, TPoint B, TPoint C, TPoint D, TColor Color) {
  Canvas.drawPolygon({A, B, C, D}, Color, kColorNone);
}

// One side (0 left, 1 top, 2 right, 3 bottom) of the ring between O and I, filled.
void fillSide(ICanvas& Canvas, int Side, const TRect& O, const TRect& I, TColor Color) {
  const int width = Side == 0 ? I.Left - O.Left : Side == 1 ? I.Top - O.Top : Side == 2 ? O.Right - I.Right : O.Bottom - I.Bottom;
  if (width <= 0 || Color == kColorNone) return;
  if (width == 1) {
    // One pixel thick: a line along the side, so no mitre leaves a corner pixel out.
    switch (Side) {
      case 0: Canvas.fillRect({O.Left, O.Top, O.Left + 1, O.Bottom}, Color); break;
      case 1: Canvas.fillRect({O.Left, O.Top, O.Right, O.Top + 1}, Color); break;
      case 2: Canvas.fillRect({O.Right - 1, O.Top, O.Right, O.Bottom}, Color); break;
      default: Canvas.fillRect({O.Left, O.Bottom - 1, O.Right, O.Bottom}, Color); break;
    }
    return;
  }
  switch (Side) {
    case 0: fillQuad(Canvas, {O.Left, O.Top}, {I.Left, I.Top}, {I.Left, I.Bottom}, {O.Left, O.Bottom}, Color); break;
    case 1: fillQuad(Canvas, {O.Left, O.Top}, {O.Right, O.Top}, {I.Right, I.Top}, {I.Left, I.Top}, Color); break;
    case 2: fillQuad(Canvas, {O.Right, O.Top}, {O.Right, O.Bottom}, {I.Right, I.Bottom}, {I.Right, I.Top}, Color); break;
    default: fillQuad(Canvas, {O.Left, O.Bottom}, {I.Left, I.Bottom}, {I.Right, I.Bottom}, {O.Right, O.Bottom}, Color); break;
  }
}

std::array<int, 4> sideWidths(const TRect& O, const TRect& I) {
  return {I.Left - O.Left, I.Top - O.Top, O.Right - I.Right, O.Bottom - I.Bottom};
}

// The border values of a box in the order left, top, right, bottom; unset colours are Default.
void borderOf(const TMarginArray& M, const TVMarginArray& Given, TColor Default, std::array<int, 4>& Styles,
              std::array<TColor, 4>& Colors) {
  static constexpr int kStyle[] = {BorderLeftStyle, BorderTopStyle, BorderRightStyle, BorderBottomStyle};
  static constexpr int kColor[] = {BorderLeftColor, BorderTopColor, BorderRightColor, BorderBottomColor};
  for (size_t i = 0; i < 4; ++i) {
    Styles[i] = M[kStyle[i]];
    const int* c = Given.integer(kColor[i]);
    Colors[i] = c && *c != kColorNone ? static_cast<TColor>(*c) : Default;
  }
}

}  // namespace

// --- Shared drawing ---

TColor Darken(const ICanvas& Canvas, TColor Color) {
  const TColor c = Canvas.resolveColor(Color);
  if (c == kColorNone) return c;
  const auto part = [&](int shift) { return static_cast<TColor>(std::lround(((c >> shift) & 0xFF) * 0.75)) << shift; };
  return part(0) | part(8) | part(16);
}

void DrawBorder(ICanvas& Canvas, TRect Outer, TRect Inner, TColor Background, const std::array<int, 4>& Styles,
                const std::array<TColor, 4>& Colors) {
  Outer = clampTall(Outer);
  Inner = clampTall(Inner);
  const std::array<int, 4> w = sideWidths(Outer, Inner);
  bool patterned = false;
  for (int s : Styles) patterned = patterned || s == kBorderDashed || s == kBorderDotted || s == kBorderDouble;
  // The gaps of dashed, dotted and double sides show the background.
  if (Background != kColorNone && patterned) {
    for (int side = 0; side < 4; ++side) fillSide(Canvas, side, Outer, Inner, Background);
  }
  // Halfway and third-way rectangles for the styles drawn in parts.
  const TRect middle{Outer.Left + w[0] / 2, Outer.Top + w[1] / 2, Outer.Right - w[2] / 2, Outer.Bottom - w[3] / 2};
  const auto third = [](int v) { return v / 3 + (v % 3 == 2 ? 1 : 0); };
  const TRect outerThird{Outer.Left + third(w[0]), Outer.Top + third(w[1]), Outer.Right - third(w[2]),
                         Outer.Bottom - third(w[3])};
  const TRect innerThird{Inner.Left - third(w[0]), Inner.Top - third(w[1]), Inner.Right + third(w[2]),
                         Inner.Bottom + third(w[3])};
  for (int side = 0; side < 4; ++side) {
    const size_t s = static_cast<size_t>(side);
    if (w[s] <= 0) continue;
    const TColor color = Colors[s];
    const TColor dark = Darken(Canvas, color);
    const bool leftTop = side == 0 || side == 1;
    switch (Styles[s]) {
      case kBorderSolid: fillSide(Canvas, side, Outer, Inner, color); break;
      case kBorderInset: fillSide(Canvas, side, Outer, Inner, leftTop ? dark : color); break;
      case kBorderOutset: fillSide(Canvas, side, Outer, Inner, leftTop ? color : dark); break;
      case kBorderGroove:
        fillSide(Canvas, side, Outer, middle, leftTop ? dark : color);
        fillSide(Canvas, side, middle, Inner, leftTop ? color : dark);
        break;
      case kBorderRidge:
        fillSide(Canvas, side, Outer, middle, leftTop ? color : dark);
        fillSide(Canvas, side, middle, Inner, leftTop ? dark : color);
        break;
      case kBorderDouble:
        fillSide(Canvas, side, Outer, outerThird, color);
        fillSide(Canvas, side, innerThird, Inner, color);
        break;
      case kBorderDashed:
      case kBorderDotted: {
        // A line of the side's width along the side (drawLine centres it on the coordinate given).
        const TPenStyle pen = Styles[s] == kBorderDashed ? TPenStyle::Dash : TPenStyle::Dot;
        const int width = w[s];
        switch (side) {
          case 0: Canvas.drawLine({Outer.Left + width / 2, Outer.Top}, {Outer.Left + width / 2, Outer.Bottom}, color, width, pen); break;
          case 1: Canvas.drawLine({Outer.Left, Outer.Top + width / 2}, {Outer.Right, Outer.Top + width / 2}, color, width, pen); break;
          case 2: Canvas.drawLine({Outer.Right - width + width / 2, Outer.Top}, {Outer.Right - width + width / 2, Outer.Bottom}, color, width, pen); break;
          default: Canvas.drawLine({Outer.Left, Outer.Bottom - width + width / 2}, {Outer.Right, Outer.Bottom - width + width / 2}, color, width, pen); break;
        }
        break;
      }
      default: break;  // none
    }
  }
}

void DrawRaisedFrame(ICanvas& Canvas, TRect Rect, int Width, bool Raised, TColor Dark, TColor Light) {
  if (Width <= 0 || isEmpty(Rect)) return;
  const TColor first = Raised ? Light : Dark, second = Raised ? Dark : Light;
  if (Width == 1) {
    Rect = clampTall(Rect);
    Canvas.fillRect({Rect.Left, Rect.Top, Rect.Right, Rect.Top + 1}, first);
    Canvas.fillRect({Rect.Left, Rect.Top, Rect.Left + 1, Rect.Bottom}, first);
    Canvas.fillRect({Rect.Left, Rect.Bottom - 1, Rect.Right, Rect.Bottom}, second);
    Canvas.fillRect({Rect.Right - 1, Rect.Top, Rect.Right, Rect.Bottom}, second);
    return;
  }
  const TRect outer{Rect.Left - Width, Rect.Top - Width, Rect.Right + Width, Rect.Bottom + Width};
  DrawBorder(Canvas, outer, Rect, kColorNone, {kBorderSolid, kBorderSolid, kBorderSolid, kBorderSolid},
             {first, first, second, second});
}

void DrawDefaultFrame(const TSectionList& Document, ICanvas& Canvas, const TRect& Rect, int Width, bool Raised) {
  const TColor background = Canvas.resolveColor(Document.Background);
  const TColor light = background == 0xFFFFFF ? kSilver : kButtonHighlight;
  DrawRaisedFrame(Canvas, Rect, Width, Raised, kButtonShadow, light);
}

void paintControlStandIn(const TSectionList& Document, ICanvas& Canvas, const TRect& Box, TColor Background) {
  Canvas.fillRect(Box, Background == kColorNone ? 0xFFFFFF : Background);
  DrawDefaultFrame(Document, Canvas, Box, 1, false);
}

void drawBackgroundTiles(ICanvas& Canvas, const TRect& Box, const TRect& Visible, const image::TBitmap& Picture,
                         const image::TMask* Mask, const TBackgroundPosition& Horizontal,
                         const TBackgroundPosition& Vertical) {
  const int W = Box.Right - Box.Left, H = Box.Bottom - Box.Top;
  const int IW = Picture.Width, IH = Picture.Height;
  const TRect area = intersection(Box, Visible);
  if (W <= 0 || H <= 0 || IW <= 0 || IH <= 0 || isEmpty(area)) return;
  const auto position = [](const TBackgroundPosition& p, int room, int size) {
    int v = 0;
    switch (p.PosType) {
      case TBackgroundPosition::Top:
      case TBackgroundPosition::LeftSide: v = 0; break;
      case TBackgroundPosition::Center: v = (room - size) / 2; break;
      case TBackgroundPosition::Bottom:
      case TBackgroundPosition::RightSide: v = room - size; break;
      case TBackgroundPosition::Percentage:
        v = static_cast<int>(static_cast<long long>(room - size) * p.Value / 100);
        break;
      case TBackgroundPosition::Length: v = p.Value; break;
    }
    return std::clamp(v, -size, room);
  };
  // A 1-pixel strip is stretched over what it covers instead of drawn pixel by pixel.
  const bool stretchX = IW == 1 && Horizontal.RepeatD, stretchY = IH == 1 && Vertical.RepeatD;
  const int tileW = stretchX ? W : IW, tileH = stretchY ? H : IH;
  int x0 = stretchX ? 0 : position(Horizontal, W, IW);
  int y0 = stretchY ? 0 : position(Vertical, H, IH);
  const bool repeatX = Horizontal.RepeatD && !stretchX, repeatY = Vertical.RepeatD && !stretchY;
  // Only the tiles inside the visible part are drawn: a tall box costs no more than a short one.
  int xFirst = x0, yFirst = y0;
  if (repeatX) {
    const int from = area.Left - Box.Left;
    xFirst = x0 - ((x0 - from) / tileW + 1) * tileW;
    while (xFirst + tileW <= from) xFirst += tileW;
  }
  if (repeatY) {
    const int from = area.Top - Box.Top;
    yFirst = y0 - ((y0 - from) / tileH + 1) * tileH;
    while (yFirst + tileH <= from) yFirst += tileH;
  }
  Canvas.pushClip({area});
  const TRect source{0, 0, IW, IH};
  for (int y = yFirst; y < H && Box.Top + y < area.Bottom; y += tileH) {
    if (Box.Top + y + tileH > area.Top) {
      for (int x = xFirst; x < W && Box.Left + x < area.Right; x += tileW) {
        if (Box.Left + x + tileW > area.Left)
          Canvas.drawImage(Picture, Mask, source, {Box.Left + x, Box.Top + y, Box.Left + x + tileW, Box.Top + y + tileH});
        if (!repeatX) break;
      }
    }
    if (!repeatY) break;
  }
  Canvas.popClip();
}

const image::TBitmap* backgroundBitmap(TSectionList& Document, std::shared_ptr<TBackgroundPicture>& Picture,
                                       const std::string& Url, const image::TMask*& Mask) {
  Mask = nullptr;
  if (Url.empty() || !Document.ShowImages) return nullptr;
  if (!Picture || Picture->Url != Url) {
    Picture = std::make_shared<TBackgroundPicture>();
    Picture->Url = Url;
  }
  TBackgroundPicture& p = *Picture;
  if (!p.Requested) {
    p.Requested = true;
    if (Document.Host && Document.Host->Images) {
      const std::string name = Document.ExpandName(Url);
      TImageAnswer answer = Document.Host->Images->requestImage(name, image::kOpaque);
      if (!answer.Deferred && answer.Image) {
        Document.imageRequested(name);
        p.Image = answer.Image;
        p.Mask = answer.Mask;
      }
    }
  }
  if (!p.Image) return nullptr;
  if (p.Image.Bitmap) {
    Mask = p.Mask.get();
    return p.Image.Bitmap.get();
  }
  // An animated picture as a background shows its first frame.
  const std::shared_ptr<const image::TBitmap> first = p.Image.Gif->FirstFrameBitmap();
  Mask = p.Image.Gif->FirstFrameMask().get();
  return first.get();
}

// --- Cells and the document ---

namespace {

// Items far outside the clip rectangle are passed over without a call: a long page has many.
bool outOfSight(const TPaintContext& Context, const TSectionBase& Item) {
  return Item.DrawBot + 200 < Context.Clip.Top || Item.DrawTop - 200 > Context.Clip.Bottom;
}

}  // namespace

void TCellBasic::paintItems(TPaintContext& Context) {
  for (const auto& item : Items)
    if (!outOfSight(Context, *item)) item->Paint(Context);
}

int TSectionList::Paint(ICanvas& Canvas, ITextMetrics& Metrics, const TRect& Clip, int XOffset, int YOffset) {
  TPaintContext context(Canvas, Metrics, {Clip.Left + XOffset, Clip.Top + YOffset, Clip.Right + XOffset, Clip.Bottom + YOffset},
                        -XOffset, -YOffset);
  paintItems(context);
  // Floating images after all text.
  for (const TPaintContext::TFloat& f : context.Floats) paintImageObject(context, *f.Image, *f.Section);
  // After a scroll the controls this paint did not place may be out of sight.
  if (Host && Host->Controls && YOffset != LastPaintYOffset) Host->Controls->hideControlsOutOfView();
  LastPaintYOffset = YOffset;
  return DocumentHeight - YOffset;
}

void TSectionList::paintBackground(ICanvas& Canvas, const TRect& Clip, int XOffset, int YOffset) {
  Canvas.fillRect(Clip, Background);
  const image::TMask* mask = nullptr;
  const image::TBitmap* picture = backgroundBitmap(*this, BgPicture, BackgroundUrl, mask);
  if (!picture) return;
  // A fixed picture is laid over the view; a scrolling one over the whole document.
  const bool fixed = BackgroundPosH.Fixed || BackgroundPosV.Fixed;
  const int width = std::max(Clip.Right, DocumentMaxWidth - XOffset);
  const TRect box = fixed ? TRect{0, 0, Clip.Right, Clip.Bottom}
                          : TRect{-XOffset, -YOffset, -XOffset + std::max(width, 1), -YOffset + std::max(DocumentHeight, Clip.Bottom + YOffset)};
  drawBackgroundTiles(Canvas, box, Clip, *picture, mask, BackgroundPosH, BackgroundPosV);
}

// --- Blocks ---

int TBlock::Paint(TPaintContext& Context) {
  const int bottom = ContentTop + SectionHeight;
  if (DisplayNone) return YPosition;
  if (!Visible) return bottom;
  // Relative positioning moves the box with its content (layout already moved the content).
  const int dx = relativeShift().X, dy = relativeShift().Y;
  const TRect border{BorderBox.Left + dx, BorderBox.Top + dy, BorderBox.Right + dx, BorderBox.Bottom + dy};
  const int drawBottom = std::max(border.Bottom, DrawBot + dy);
  if (!Context.meetsVertically(std::min(border.Top, DrawTop + dy), drawBottom)) return bottom;
  const int bl = orZero(MargArray[BorderLeftWidth]), bt = orZero(MargArray[BorderTopWidth]);
  const int br = orZero(MargArray[BorderRightWidth]), bb = orZero(MargArray[BorderBottomWidth]);
  const TRect padding = inset(border, bl, bt, br, bb);
  ICanvas& canvas = Context.Canvas;
  // A positioned block inside a table cell paints outside the cell's clip.
  const bool unclip = Positioning != TPositionKind::Static && Context.TableDepth > 0;
  if (unclip) canvas.pushClip({{-32000, -32000, 32000, 32000}});
  if (Context.meetsVertically(border.Top, border.Bottom)) {
    const TRect visible = intersection(padding, {padding.Left, Context.Clip.Top - 2, padding.Right, Context.Clip.Bottom + 2});
    const TColor background = MargArray[BackgroundColor];
    if (background != kColorNone && !isEmpty(visible)) canvas.fillRect(Context.toCanvas(visible), background);
    const image::TMask* mask = nullptr;
    if (const image::TBitmap* picture = backgroundBitmap(*Document, BgPicture, BgImageUrl, mask))
      drawBackgroundTiles(canvas, Context.toCanvas(padding), Context.toCanvas(visible), *picture, mask, BgPosH, BgPosV);
  }
  const bool clip = HideOverflow;
  if (clip) {
    const int pl = orZero(MargArray[PaddingLeft]), pt = orZero(MargArray[PaddingTop]);
    const int pr = orZero(MargArray[PaddingRight]), pb = orZero(MargArray[PaddingBottom]);
    TRect content = Context.toCanvas(inset(padding, pl, pt, pr, pb));
    content.Top = std::max(content.Top, -32000);
    content.Bottom = std::min(content.Bottom, 32000);
    canvas.pushClip({content});
  }
  if (DrawList.empty()) {
    MyCell->paintItems(Context);
  } else {
    for (TSectionBase* item : DrawList)
      if (item->ZIndex != 0 || !outOfSight(Context, *item)) item->Paint(Context);
  }
  if (clip) canvas.popClip();
  PaintBorder(Context, Context.toCanvas(border), Context.toCanvas(padding));
  if (unclip) canvas.popClip();
  return bottom;
}

void TBlock::PaintBorder(TPaintContext& Context, const TRect& BorderRect, const TRect& PaddingRect) {
  if (BorderRect.Left == PaddingRect.Left && BorderRect.Top == PaddingRect.Top &&
      BorderRect.Right == PaddingRect.Right && BorderRect.Bottom == PaddingRect.Bottom)
    return;
  std::array<int, 4> styles{};
  std::array<TColor, 4> colors{};
  borderOf(MargArray, MargArrayO, BorderColor, styles, colors);
  DrawBorder(Context.Canvas, BorderRect, PaddingRect, MargArray[BackgroundColor], styles, colors);
}

void TTableBlock::PaintBorder(TPaintContext& Context, const TRect& BorderRect, const TRect& PaddingRect) {
  if (!Table3D) {
    TBlock::PaintBorder(Context, BorderRect, PaddingRect);
    return;
  }
  const int width = Table->BorderWidth;
  const TColor light = Table->BorderColorLight, dark = Table->BorderColorDark;
  const bool defaults = light == (kSystemColorFlag | 20) && dark == (kSystemColorFlag | 16);
  if (defaults) DrawDefaultFrame(*Document, Context.Canvas, PaddingRect, width, true);
  else DrawRaisedFrame(Context.Canvas, PaddingRect, width, true, dark, light);
}

int TBlockLI::Paint(TPaintContext& Context) {
  const int bottom = TBlock::Paint(Context);
  if (DisplayNone || !Visible || Marker == TMarker::None) return bottom;
  const int dx = relativeShift().X, dy = relativeShift().Y;
  const int baseline = FirstLineHt + dy;
  if (FirstLineHt == 0 || !Context.meetsVertically(baseline, baseline, 50)) return bottom;
  const int x = ContentBox.Left + dx + Context.DX, y = baseline + Context.DY;
  // The marker is in the item's font: the first run of its first section.
  const TFontObj* run = nullptr;
  for (const auto& item : MyCell->Items) {
    if (const auto* s = dynamic_cast<const TSection*>(item.get()); s && !s->Fonts.empty()) {
      run = s->Fonts.front().get();
      break;
    }
  }
  const TColor color = run ? run->TheFont.Color : BorderColor;
  ICanvas& canvas = Context.Canvas;
  switch (Marker) {
    case TMarker::Circle: canvas.drawEllipse({x - 16, y - 7, x - 9, y}, kColorNone, color); break;
    case TMarker::Disc: canvas.drawEllipse({x - 15, y - 6, x - 10, y - 1}, color, color); break;
    case TMarker::Square: canvas.fillRect({x - 15, y - 6, x - 10, y - 1}, color); break;
    case TMarker::Image: {
      std::shared_ptr<TBackgroundPicture>& picture = BgPicture;  // a list item's background is its marker
      const image::TMask* mask = nullptr;
      if (const image::TBitmap* bitmap = backgroundBitmap(*Document, picture, MarkerImageUrl, mask))
        canvas.drawImage(*bitmap, mask, {0, 0, bitmap->Width, bitmap->Height},
                         {x - 16, y - bitmap->Height, x - 16 + bitmap->Width, y});
      break;
    }
    default: {
      if (!run) break;
      const std::string text = markerText();
      const std::u16string wide(text.begin(), text.end());
      std::vector<int> advances;
      const int width = textExtent(Context.Metrics, run->TheFont, wide, &advances);
      const TFontHandle font = Context.Metrics.realizeFont(fontRequestOf(run->TheFont));
      const TRealizedFont& m = Context.Metrics.fontMetrics(font);
      canvas.drawText(x - 10 - width, y - (m.CellHeight - m.Descent), font, color, wide, advances.data(), kColorNone);
      break;
    }
  }
  return bottom;
}

int THorzLine::Paint(TPaintContext& Context) {
  const int bottom = ContentTop + SectionHeight;
  if (!Context.meetsVertically(YPosition, YPosition + VSize) || HRWidth <= 0) return bottom;
  const TRect r = Context.toCanvas({XPosition, YPosition, XPosition + HRWidth, YPosition + VSize});
  ICanvas& canvas = Context.Canvas;
  if (Color != kColorNone) {
    canvas.fillRect(r, Color);
    return bottom;
  }
  // Etched: light on the right and bottom, shadow on the left and top.
  const bool white = canvas.resolveColor(Document->Background) == 0xFFFFFF;
  const TColor light = NoShade ? 0 : white ? kSilver : kButtonHighlight;
  const TColor shadow = NoShade ? 0 : kButtonShadow;
  canvas.fillRect({r.Left, r.Top, r.Right, r.Top + 1}, shadow);
  canvas.fillRect({r.Left, r.Top, r.Left + 1, r.Bottom}, shadow);
  canvas.fillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, light);
  canvas.fillRect({r.Right - 1, r.Top, r.Right, r.Bottom}, light);
  return bottom;
}

// --- Tables ---

namespace {

void paintCell(TPaintContext& Context, const ThtmlTable& Table, TCellObj& Cell, int X, int RowTop) {
  const int spacing = Table.CellSpacing;
  const TRect box{X, RowTop + spacing, X + Cell.SpannedWidth - spacing, RowTop + Cell.SpannedHeight};
  if (isEmpty(box) || !Context.meetsVertically(box.Top, box.Bottom)) return;
  TSectionList& document = *Cell.Cell->Document;
  ICanvas& canvas = Context.Canvas;
  const auto& bw = Cell.BorderWidths;  // top, right, bottom, left
  const TRect padding = inset(box, bw[3], bw[0], bw[1], bw[2]);
  const bool ownBorder = Cell.BorderStyle != 0;
  // Background colour: the cell's, else the one the table hands down.
  TColor background = Cell.Cell->BkGnd ? Cell.Cell->BkColor : kColorNone;
  if (background == kColorNone && Table.PropagateBackground) background = Table.BkColor;
  if (background != kColorNone) {
    TRect fill = padding;
    if (ownBorder) {
      if (bw[1] > 0) ++fill.Right;
      if (bw[2] > 0) ++fill.Bottom;
    } else if (Table.BorderWidth > 0) {
      --fill.Left;
      --fill.Top;
    }
    canvas.fillRect(Context.toCanvas(fill), background);
  }
  const image::TMask* mask = nullptr;
  if (const image::TBitmap* picture = backgroundBitmap(document, Cell.BgPicture, Cell.BGImageUrl, mask))
    drawBackgroundTiles(canvas, Context.toCanvas(padding), Context.toCanvas(Context.Clip), *picture, mask, Cell.BgPosH,
                        Cell.BgPosV);
  const bool hasContent = !Cell.Cell->Items.empty();
  if (hasContent && Context.meetsVertically(box.Top, box.Bottom, 200)) {
    TRect clip = Context.toCanvas(box);
    clip.Top = std::clamp(clip.Top, -32000, 32000);
    clip.Bottom = std::clamp(clip.Bottom, -32000, 32000);
    canvas.pushClip({clip});
    Cell.Cell->paintItems(Context);
    canvas.popClip();
  }
  const TRect onCanvas = Context.toCanvas(box);
  if (ownBorder) {
    TMarginArray m;
    int autoCount = 0;
    ConvertBoxArray(Cell.MargArrayO, 0, 0, 16, 8, m, autoCount);
    std::array<int, 4> styles{};
    std::array<TColor, 4> colors{};
    borderOf(m, Cell.MargArrayO, 0, styles, colors);
    const bool plain = bw[0] == 1 && bw[1] == 1 && bw[2] == 1 && bw[3] == 1 &&
                       std::all_of(styles.begin(), styles.end(), [](int s) { return s == kBorderSolid; }) &&
                       std::all_of(colors.begin(), colors.end(), [&](TColor c) { return c == colors[0]; });
    if (plain) DrawRaisedFrame(canvas, onCanvas, 1, false, colors[0], colors[0]);
    else DrawBorder(canvas, onCanvas, Context.toCanvas(padding), kColorNone, styles, colors);
  } else if (Table.BorderWidth > 0 && hasContent) {
    const bool defaults = Table.BorderColorLight == (kSystemColorFlag | 20) && Table.BorderColorDark == (kSystemColorFlag | 16);
    if (defaults) DrawDefaultFrame(document, canvas, onCanvas, 1, false);
    else DrawRaisedFrame(canvas, onCanvas, 1, false, Table.BorderColorDark, Table.BorderColorLight);
  }
}

}  // namespace

int ThtmlTable::Paint(TPaintContext& Context) {
  const int bottom = ContentTop + SectionHeight;
  if (!Context.meetsVertically(DrawTop, DrawBot) || Rows.empty()) return bottom;
  ++Context.TableDepth;
  const std::vector<int> lefts = columnLefts(*this);
  int rowTop = ContentTop;
  for (const auto& row : Rows) {
    if (rowTop > Context.Clip.Bottom) break;
    if (rowTop + row->TallestSpan > Context.Clip.Top || rowTop + row->Height > Context.Clip.Top) {
      for (size_t c = 0; c < row->Cells.size() && c + 1 < lefts.size(); ++c) {
        TCellObj& cell = *row->Cells[c];
        if (cell.isSpacer()) continue;
        paintCell(Context, *this, cell, TableLeft + lefts[c], rowTop);
      }
    }
    rowTop += row->Height;
  }
  --Context.TableDepth;
  return bottom;
}

// --- Sections ---

namespace {

struct TRunLook {
  TFontHandle Font = kNoFont;
  TColor Color = 0, Background = kColorNone;
};

// The font and colours a run draws in: a link's visited and hover states have their own.
TRunLook lookOf(ITextMetrics& Metrics, TFontObj& Run) {
  TRunLook look;
  look.Font = Run.realize(Metrics);
  look.Color = Run.TheFont.Color;
  look.Background = Run.TheFont.bgColor;
  if (Run.FIArray && (Run.Visited || Run.Hover)) {
    const int state = Run.Hover ? (Run.Visited ? LinkVisitedHover : LinkHover) : LinkVisited;
    const ThtFontInfo& info = (*Run.FIArray)[static_cast<size_t>(state)];
    look.Color = info.iColor;
    look.Background = info.ibgColor;
    if (info.iStyle != Run.TheFont.Style) {
      TFontRequest request = fontRequestOf(Run.TheFont);
      request.Style = info.iStyle;
      look.Font = Metrics.realizeFont(request);
    }
  }
  return look;
}

}  // namespace

void paintImageObject(TPaintContext& Context, TImageObj& Image, const TSection& Section) {
  const TRect box{Image.DrawX, Image.DrawY, Image.DrawX + Image.ImageWidth, Image.DrawY + Image.ImageHeight};
  if (isEmpty(box) || !Context.meetsVertically(box.Top, box.Bottom)) return;
  ICanvas& canvas = Context.Canvas;
  const TFontObj* run = Section.fontAt(Image.Pos);
  const int border = Section.imageBorder(Image);
  const TRect onCanvas = Context.toCanvas(box);
  const TRect inner = inset(onCanvas, border, border, border, border);
  const TColor textColor = run ? run->TheFont.Color : 0;
  if (Image.isPlaceholder()) {
    // Pending (or images off) shows the placeholder picture; a picture that could not be had, the error sign.
    const bool failed = Image.Document->ShowImages && Image.Requested && !Image.Missing;
    const image::TBitmap& sign = failed ? image::ErrorImage() : image::DefaultImage();
    const image::TMask* signMask = failed ? &image::ErrorImageMask() : nullptr;
    if (box.Right - box.Left > 23 && box.Bottom - box.Top > 23)
      canvas.drawImage(sign, signMask, {0, 0, sign.Width, sign.Height},
                       {onCanvas.Left + 4, onCanvas.Top + 4, onCanvas.Left + 4 + sign.Width, onCanvas.Top + 4 + sign.Height});
    if (!Image.Alt.empty()) {
      TFontRequest request;
      request.Name = "Arial";
      request.Height = (8 * Image.Document->Styles.PixelsPerInch + 36) / 72;
      const TFontHandle font = Context.Metrics.realizeFont(request);
      std::vector<int> advances(Image.Alt.size());
      Context.Metrics.textAdvances(font, Image.Alt, advances.data());
      canvas.pushClip({onCanvas});
      canvas.drawText(onCanvas.Left + 24, onCanvas.Top + 4, font, textColor, Image.Alt, advances.data(), kColorNone);
      canvas.popClip();
    }
    if (border == 0) DrawDefaultFrame(*Image.Document, canvas, onCanvas, 1, false);
  } else if (Image.Image.Gif) {
    if (const auto call = Image.Image.Gif->DrawGif(inner.Left, inner.Top, inner.Right - inner.Left, inner.Bottom - inner.Top);
        call && call->Strip)
      canvas.drawImage(call->Strip->Bitmap, call->UseMask ? call->Strip->Mask.get() : nullptr, call->Source, call->Target);
  } else if (Image.Image.Bitmap) {
    const image::TBitmap& bitmap = *Image.Image.Bitmap;
    canvas.drawImage(bitmap, Image.Mask.get(), {0, 0, bitmap.Width, bitmap.Height}, inner);
  }
  if (border > 0) canvas.frameRect(onCanvas, textColor, border, TPenStyle::Solid);
  if (run && run->Focused) canvas.frameRect({onCanvas.Left - 1, onCanvas.Top - 1, onCanvas.Right + 1, onCanvas.Bottom + 1}, 0, 1, TPenStyle::Dot);
}

void TSection::paintInlineBoxes(TPaintContext& Context, const LineRec& Line, int Baseline) {
  const int n = static_cast<int>(Buff.size());
  const int end = std::min(n, Line.Start + Line.Ln);
  if (end <= Line.Start) return;
  const int first = sourcePosOf(Line.Start), last = sourcePosOf(end - 1);
  if (first < 0 || last < 0) return;
  // The spaces that end a line are not drawn, so no box reaches over them.
  int textEnd = end;
  while (textEnd > Line.Start && (Buff[static_cast<size_t>(textEnd - 1)] == u' ' || Buff[static_cast<size_t>(textEnd - 1)] == kLineBreakCode))
    --textEnd;
  for (const TInlineRec& rec : Document->InlineList) {
    // Records are in source order: the ones that start after the line cannot meet it.
    if (rec.StartB > last) break;
    const int recEnd = rec.EndB < 0 ? INT_MAX : rec.EndB;
    if (recEnd <= first) continue;
    int k0 = -1, k1 = -1;
    for (int k = Line.Start; k < textEnd; ++k) {
      const int sp = sourcePosOf(k);
      if (sp < rec.StartB || sp >= recEnd) continue;
      if (k0 < 0) k0 = k;
      k1 = k;
    }
    if (k0 < 0) continue;
    // Continued from the line before, or onto the next: that end has no border.
    const bool fromBefore = k0 == Line.Start && Line.Start > 0 && sourcePosOf(Line.Start - 1) >= rec.StartB;
    const bool ontoNext = k1 == textEnd - 1 && end < n && sourcePosOf(end) < recEnd;
    int ascent = 0, descent = 0;
    for (int k = k0; k <= k1; ++k) {
      if (const TFontObj* run = fontAt(k)) {
        ascent = std::max(ascent, run->tmHeight - run->Descent);
        descent = std::max(descent, run->Descent);
      }
    }
    const int left = DrawX + Line.LineIndent + piecesWidth(Line.Start, k0);
    const int right = DrawX + Line.LineIndent + piecesWidth(Line.Start, k1 + 1);
    const TRect box{left - (fromBefore ? 0 : rec.Paddings[0]), Baseline - ascent - rec.Paddings[1],
                    right + (ontoNext ? 0 : rec.Paddings[2]), Baseline + descent + rec.Paddings[3]};
    const TRect onCanvas = Context.toCanvas(box);
    if (rec.BackgroundColor != kColorNone) Context.Canvas.fillRect(onCanvas, rec.BackgroundColor);
    const int wl = fromBefore ? 0 : rec.Widths[0], wr = ontoNext ? 0 : rec.Widths[2];
    const TRect outer{onCanvas.Left - wl, onCanvas.Top - rec.Widths[1], onCanvas.Right + wr, onCanvas.Bottom + rec.Widths[3]};
    DrawBorder(Context.Canvas, outer, onCanvas, rec.BackgroundColor, rec.Styles, rec.Colors);
  }
}

int TSection::Paint(TPaintContext& Context) {
  const int bottom = ContentTop + SectionHeight;
  if (Buff.empty() || Lines.empty() || !measures_ || measures_->Adv.size() != Buff.size()) return bottom;
  const LineRec& last = Lines.back();
  const int drawBottom = std::max(bottom, last.Y + std::max(last.LineImgHt, last.SpaceBefore + last.LineHt + last.SpaceAfter));
  if (!Context.meetsVertically(ContentTop, drawBottom, 40)) return bottom;
  ICanvas& canvas = Context.Canvas;
  const TMeasures& M = *measures_;
  const int n = static_cast<int>(Buff.size());
  const bool selection = Document->SelStart >= 0 && Document->SelEnd > Document->SelStart;
  const int selFrom = selection ? Document->SelStart - StartCurs : INT_MAX;
  const int selTo = selection ? Document->SelEnd - StartCurs : INT_MAX;
  // With the caret shown and nothing selected, a one-pixel bar stands where the selection starts.
  const bool caret = Document->ShowDummyCaret && Document->SelStart >= 0 && !selection;
  const int caretAt = caret ? Document->SelStart - StartCurs : INT_MIN;
  std::vector<int> advances;
  std::u16string text;
  for (const LineRec& line : Lines) {
    const int height = line.SpaceBefore + line.LineHt + line.SpaceAfter;
    if (line.Y - 40 > Context.Clip.Bottom) break;
    if (line.Ln <= 0 || !Context.meetsVertically(line.Y, line.Y + std::max(height, line.LineImgHt), 40)) continue;
    const int lineTop = line.Y + line.SpaceBefore;
    const int baseline = lineTop + line.LineHt - line.Descent;
    const int end = std::min(n, line.Start + line.Ln);
    int spaces = 0;  // justified spaces met so far on the line
    int x = DrawX + line.LineIndent;
    if (!Document->InlineList.empty()) paintInlineBoxes(Context, line, baseline);
    int focusLeft = INT_MAX, focusRight = INT_MIN;
    const TFontObj* focusRun = nullptr;
    const auto drawCaret = [&](int at, int cx) {
      const TFontObj* run = fontAt(std::min(at, n - 1));
      const int bottomOfText = baseline + line.Descent;
      canvas.fillRect(Context.toCanvas({cx, bottomOfText - line.LineHt, cx + 1, bottomOfText}), run ? run->TheFont.Color : 0);
    };
    int i = line.Start;
    while (i < end) {
      if (i == caretAt) drawCaret(i, x);
      const char16_t c = Buff[static_cast<size_t>(i)];
      if (c == kObjectCode) {
        if (TFloatingObj* o = objectAt(i)) {
          if (auto* image = dynamic_cast<TImageObj*>(o)) {
            if (image->Floating != TSide::None) Context.Floats.push_back({image, this});
            else paintImageObject(Context, *image, *this);
          }
          if (o->Floating == TSide::None) x += o->ImageWidth + o->HSpaceL + o->HSpaceR;
        }
        ++i;
        continue;
      }
      if (c == kFormControlCode) {
        if (TFormControlObj* control = FormControls.FindAt(i)) {
          if (Document->Host && Document->Host->Controls) {
            // Check boxes and radio buttons sit a little lower, on the text's baseline.
            const bool radio = dynamic_cast<TRadioButtonFormControlObj*>(control) != nullptr;
            const bool check = !radio && dynamic_cast<TCheckBoxFormControlObj*>(control) != nullptr;
            const int top = control->TopValue + (radio ? 2 : check ? 1 : 0);
            Document->Host->Controls->placeControl(*control, control->XValue, top);
            Context.PlacedControls.push_back(control);
            if (control->Active && (radio || check)) {
              // The focus mark of a box that has no room for one of its own.
              const int left = control->XValue;
              const bool large = Document->Host->PixelsPerInch >= 101;
              const TRect mark = !radio  ? TRect{left - 3, top - 3, left + 16, top + 16}
                                 : large ? TRect{left - 2, top - 2, left + 18, top + 18}
                                         : TRect{left - 3, top - 2, left + 16, top + 16};
              canvas.frameRect(Context.toCanvas(mark), 0, 1, TPenStyle::Dot);
            }
          } else {
            // Without native controls the place of one is shown as a sunken box.
            paintControlStandIn(*Document, canvas,
                                Context.toCanvas({control->XValue, control->TopValue, control->XValue + control->Width,
                                                  control->TopValue + control->Height}),
                                control->BkColor);
          }
          x += control->Width + control->MarginLeft + control->MarginRight;
        }
        ++i;
        continue;
      }
      if (c == kLineBreakCode) {
        ++i;
        continue;
      }
      // A text piece: to the next run, object, control, line break or selection edge.
      const auto after = std::upper_bound(Fonts.begin(), Fonts.end(), i,
                                          [](int pos, const std::unique_ptr<TFontObj>& f) { return pos < f->Pos; });
      TFontObj* run = after == Fonts.begin() ? (Fonts.empty() ? nullptr : Fonts.front().get()) : std::prev(after)->get();
      const int runEnd = after == Fonts.end() ? n : (*after)->Pos;
      int j = i + 1;
      while (j < end && j < runEnd) {
        const char16_t d = Buff[static_cast<size_t>(j)];
        if (isPlaceholderCode(d) || d == kLineBreakCode || j == selFrom || j == selTo || j == caretAt) break;
        ++j;
      }
      advances.clear();
      text.clear();
      int width = 0;
      for (int k = i; k < j; ++k) {
        const char16_t ch = Buff[static_cast<size_t>(k)];
        int a = M.Adv[static_cast<size_t>(k)];
        if (line.Spaces > 0 && (ch == u' ' || ch == kNoBreakSpace) && k < end - 1)
          a += justifiedSpaceExtra(line, spaces++);
        text.push_back(ch);
        advances.push_back(a);
        width += a;
      }
      // The last character of a line that is a space is not drawn; a soft hyphen break shows "-".
      const bool lineEnds = j == end;
      if (lineEnds && !text.empty() && text.back() == u' ') {
        text.pop_back();
        advances.pop_back();
      }
      if (lineEnds && line.Shy) {
        text.push_back(u'-');
        advances.push_back(hyphenWidthAt(end - 1));
      }
      if (run && !text.empty()) {
        const TRunLook look = lookOf(Context.Metrics, *run);
        const bool selected = i >= selFrom && i < selTo;
        TColor color = look.Color, background = look.Background;
        if (selected) {
          background = look.Color;
          color = look.Background != kColorNone ? look.Background : inverseOf(canvas, look.Color);
        }
        int top = baseline - (run->tmHeight - run->Descent);
        if (run->VAlign == TVerticalAlign::Superscript) top -= run->FontHeight / 3;
        else if (run->VAlign == TVerticalAlign::Subscript) top += run->Descent / 2 + 1;
        canvas.drawText(x + Context.DX, top + Context.DY, look.Font, color, text, advances.data(), background);
        if (run->Focused && run->hasLink()) {
          focusRun = run;
          focusLeft = std::min(focusLeft, x);
          focusRight = std::max(focusRight, x + width);
        }
      }
      x += width;
      i = j;
    }
    if (caretAt == n && end == n) drawCaret(n, x);
    if (focusRun) {
      const int bottomOfText = baseline + line.Descent;
      canvas.frameRect(Context.toCanvas({focusLeft, bottomOfText - line.LineHt, focusRight, bottomOfText}), 0, 1, TPenStyle::Dot);
    }
  }
  return bottom;
}

}  // namespace lumora::html
