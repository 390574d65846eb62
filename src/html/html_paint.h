#pragma once
// Painting a laid-out document onto an ICanvas: what one paint carries down the item tree, and the drawing
// helpers blocks, cells, rules and frames share.
//
// Layout leaves every item in document coordinates; a paint shows the part of the document inside a clip
// rectangle (document coordinates) and draws it moved by (DX, DY), so the canvas pixel of document point
// (x, y) is (x + DX, y + DY). Only what meets the clip rectangle is drawn: sections and lines within 40
// pixels of it, table rows by their tallest cell, cell content within 200 pixels.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "html/html_host.h"
#include "html/html_style_box.h"

namespace lumora::html {

class TImageObj;
class TFontObj;
class TSection;
class TFormControlObj;
class TSectionList;

// Border style codes.
enum TBorderStyleCode : int {
  kBorderNone = 0,
  kBorderSolid = 1,
  kBorderInset = 2,
  kBorderOutset = 3,
  kBorderGroove = 4,
  kBorderRidge = 5,
  kBorderDashed = 6,
  kBorderDotted = 7,
  kBorderDouble = 8,
};

// A background picture of a block, a cell or the document: requested from the host on first paint.
struct TBackgroundPicture {
  std::string Url;
  bool Requested = false;
  image::TImage Image;
  std::shared_ptr<image::TMask> Mask;
};

struct TPaintContext {
  TPaintContext(ICanvas& Canvas, ITextMetrics& Metrics, const TRect& Clip, int DX, int DY)
      : Canvas(Canvas), Metrics(Metrics), Clip(Clip), DX(DX), DY(DY) {}
  ICanvas& Canvas;
  ITextMetrics& Metrics;
  TRect Clip;          // document coordinates
  int DX = 0, DY = 0;  // document to canvas
  // Floating images met in the text (with the section they sit in), drawn after everything else.
  struct TFloat {
    TImageObj* Image;
    const TSection* Section;
  };
  std::vector<TFloat> Floats;
  // Form controls placed by this paint (the rest are hidden when the view scrolled).
  std::vector<TFormControlObj*> PlacedControls;
  int TableDepth = 0;

  TRect toCanvas(const TRect& R) const { return {R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY}; }
  TPoint toCanvas(TPoint P) const { return {P.X + DX, P.Y + DY}; }
  // Whether document rows [Top, Bottom) come within Margin pixels of the clip rectangle.
  bool meetsVertically(int Top, int Bottom, int Margin = 0) const {
    return Bottom + Margin > Clip.Top && Top - Margin < Clip.Bottom;
  }
};

// Each of red, green and blue times 0.75, rounded (system colours resolved first).
TColor Darken(const ICanvas& Canvas, TColor Color);

// The four sides of a border between Outer and Inner (canvas coordinates), each as the mitred
// quadrilateral of its side. Styles and Colors are in the order left, top, right, bottom. Very tall boxes are
// clamped to -200 .. 5000 first, which keeps coordinates small.
void DrawBorder(ICanvas& Canvas, TRect Outer, TRect Inner, TColor Background, const std::array<int, 4>& Styles,
                const std::array<TColor, 4>& Colors);

// A 3D frame: Width 1 is a rectangle of lines (left and top in the first colour, right and bottom in the
// second; raised puts Light first); wider frames are solid borders grown outward from Rect.
void DrawRaisedFrame(ICanvas& Canvas, TRect Rect, int Width, bool Raised, TColor Dark, TColor Light);
// DrawRaisedFrame in the document's default 3D colours.
void DrawDefaultFrame(const TSectionList& Document, ICanvas& Canvas, const TRect& Rect, int Width, bool Raised);

// Tiles Picture over Box (canvas coordinates; the part inside Visible is drawn) from the position records:
// repeat in a direction tiles from an origin left of (above) the box; otherwise one column (row) at the
// position. A picture 1 pixel wide or high is stretched over the extent it covers instead of tiled.
void drawBackgroundTiles(ICanvas& Canvas, const TRect& Box, const TRect& Visible, const image::TBitmap& Picture,
                         const image::TMask* Mask, const TBackgroundPosition& Horizontal,
                         const TBackgroundPosition& Vertical);

// An image of Section in its box where layout put it: the picture stretched to the box (inside its border),
// the placeholder with the ALT text while there is none, the border in its run's text colour and the focus
// rectangle of a focused link.
void paintImageObject(TPaintContext& Context, TImageObj& Image, const TSection& Section);

// Where a form control sits while no native one is shown there: a sunken box (white unless the control
// has a background colour of its own).
void paintControlStandIn(const TSectionList& Document, ICanvas& Canvas, const TRect& Box, TColor Background);

// The picture of Url through the document's host (requested once; nothing when images are off, the host
// has none or owes it still).
const image::TBitmap* backgroundBitmap(TSectionList& Document, std::shared_ptr<TBackgroundPicture>& Picture,
                                       const std::string& Url, const image::TMask*& Mask);

}  // namespace lumora::html
