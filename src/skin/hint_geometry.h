#pragma once
// The geometry of a comic balloon hint: its size from the text's extent, where it opens beside the mouse
// on the desktop, its body and pointer, and the grey levels of its shadow. No toolkit: the hint window
// draws what these give.

#include <vector>

#include "core/geometry.h"

namespace lumora::skin {

using core::TPoint;
using core::TRect;

enum class THintStyle { hsSimply, hsComics, hsEllipse, hsBalloon, hsStandard, hsNone };
enum class TMousePos { mpLeftTop, mpLeftBottom, mpRightTop, mpRightBottom };

// The look of hints. The defaults are the preset the program uses (shComicsTransparent).
struct THintKind {
  THintStyle Style = THintStyle::hsComics;
  int Radius = 13;
  int BevelWidth = 1;
  int ExOffset = 19;  // length reserved for the pointer
  int MarginH = 15;
  int MarginV = 8;
  int MaxWidth = 180;
  unsigned Color = 12778748;  // 0x00BBGGRR: a pale yellow
  unsigned ColorBorderTop = 0;
  unsigned ColorBorderBottom = 0;
  int Transparency = 10;  // percent
  bool ShadowEnabled = true;
  int ShadowBlur = 4;
  int ShadowOffset = 7;
  int ShadowTransparency = 45;  // percent
};

struct TSize {
  int Width = 0, Height = 0;
  bool operator==(const TSize&) const = default;
};

// The window size for a text of `text` extent.
TSize hintSize(const THintKind& kind, TSize text);

// Where a hint of `size` opens for the mouse at `anchor` on `desktop`, and which corner its pointer is in:
// 0 right and down from the mouse, 1 right and up, 2 left and down, 3 left and up.
struct THintPlacement {
  TRect Bounds;
  int PointerCorner = 0;
  bool operator==(const THintPlacement&) const = default;
};
THintPlacement placeHint(TPoint anchor, TSize size, const TRect& desktop, TMousePos defaultPos = TMousePos::mpLeftTop);

// The balloon in window coordinates: a rounded body and a triangular pointer whose tip is near the window
// corner of the pointer. `shrink` draws the shape that many pixels smaller on every side (shadow steps).
struct TComicShape {
  TRect Body;
  int Radius = 0;
  TPoint Tip, BaseLeft, BaseRight;
};
TComicShape comicShape(const THintKind& kind, TSize window, int pointerCorner, int shrink = 0);

// The rectangle the text is drawn into.
TRect hintTextRect(const THintKind& kind, const TComicShape& shape);

// Grey level (0 black .. 255 white) of shadow step `step` (0 = the outermost, ShadowBlur = the innermost).
int shadowGrey(const THintKind& kind, int step);

// The window's overall opacity, 0..255.
int hintOpacity(const THintKind& kind);

// The opacities of the fade-in, one every 15 ms, ending at the window's opacity.
std::vector<int> fadeInSteps(const THintKind& kind);

// Round to the nearest integer, halves to the even neighbour.
int roundHalfEven(double value);

}  // namespace lumora::skin
