#include "skin/hint_geometry.h"

#include <algorithm>
#include <cmath>

namespace lumora::skin {

int roundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

TSize hintSize(const THintKind& kind, TSize text) {
  TSize size = text;
  if (kind.Style == THintStyle::hsEllipse || kind.Style == THintStyle::hsBalloon) size.Width = std::max(size.Width, 50);
  size.Width += 2 * (kind.MarginH + kind.BevelWidth);
  size.Height += 2 * (kind.MarginV + kind.BevelWidth);
  if (kind.ShadowEnabled) {
    size.Width += kind.ShadowOffset;
    size.Height += kind.ShadowOffset;
  }
  if (kind.Style == THintStyle::hsComics || kind.Style == THintStyle::hsEllipse) size.Height += kind.ExOffset;
  return size;
}

THintPlacement placeHint(TPoint anchor, TSize size, const TRect& desktop, TMousePos defaultPos) {
  int left = anchor.X, top = anchor.Y;
  if (defaultPos == TMousePos::mpLeftBottom || defaultPos == TMousePos::mpRightBottom) top -= size.Height;
  if (defaultPos == TMousePos::mpRightTop || defaultPos == TMousePos::mpRightBottom) left -= size.Width;
  if (top + size.Height > desktop.Bottom) top = anchor.Y - size.Height;
  if (top < desktop.Top) top = anchor.Y;
  if (left + size.Width > desktop.Right) left = anchor.X - size.Width;
  if (left < desktop.Left) left = anchor.X;
  const bool right = left >= anchor.X;
  const bool down = top >= anchor.Y;
  const int corner = right ? (down ? 0 : 1) : (down ? 2 : 3);
  return {{left, top, left + size.Width, top + size.Height}, corner};
}

TComicShape comicShape(const THintKind& kind, TSize window, int pointerCorner, int shrink) {
  const int s = kind.ShadowEnabled ? kind.ShadowOffset : 0;
  const int w = window.Width, h = window.Height;
  TComicShape shape;
  shape.Radius = kind.Radius;
  const bool below = pointerCorner == 0 || pointerCorner == 2;  // the hint is below the mouse
  shape.Body = below ? TRect{0, kind.ExOffset, w - s, h - s} : TRect{0, 0, w - s, h - s - kind.ExOffset};
  const bool left = pointerCorner == 0 || pointerCorner == 1;
  shape.Tip = {left ? 3 : w - 3, below ? 3 : h - 3};
  const int bodyWidth = shape.Body.Right - shape.Body.Left;
  const int cx = shape.Body.Left + bodyWidth / 2;
  const int my = shape.Body.Top + (shape.Body.Bottom - shape.Body.Top) / 2;
  int half = bodyWidth / 8;
  if (shrink > 0) {
    shape.Body = {shape.Body.Left + shrink, shape.Body.Top + shrink, shape.Body.Right - shrink,
                  shape.Body.Bottom - shrink};
    shape.Tip.X += left ? shrink : -shrink;
    shape.Tip.Y += below ? shrink : -shrink;
    half = std::max(0, half - shrink);
  }
  shape.BaseLeft = {cx - half, my};
  shape.BaseRight = {cx + half, my};
  return shape;
}

TRect hintTextRect(const THintKind& kind, const TComicShape& shape) {
  const int dx = kind.MarginH + kind.BevelWidth, dy = kind.MarginV + kind.BevelWidth;
  return {shape.Body.Left + dx, shape.Body.Top + dy, shape.Body.Right - dx, shape.Body.Bottom - dy};
}

int shadowGrey(const THintKind& kind, int step) {
  const int t = roundHalfEven(kind.ShadowTransparency + (100.0 - kind.ShadowTransparency) * kind.Transparency / 100.0);
  const int s = t * 255 / 100;
  const int blur = kind.ShadowBlur;
  const int grey = s + roundHalfEven(static_cast<double>(blur - step) * (255 - s) / (blur + 1));
  return std::clamp(grey, 0, 255);
}

int hintOpacity(const THintKind& kind) { return std::clamp(roundHalfEven(255 - 2.55 * kind.Transparency), 0, 255); }

std::vector<int> fadeInSteps(const THintKind& kind) {
  const int target = hintOpacity(kind);
  std::vector<int> steps;
  for (int i = 1; i <= 10; ++i) steps.push_back(i == 10 ? target : target / 10 * i);
  return steps;
}

}  // namespace lumora::skin
