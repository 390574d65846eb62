#pragma once
// The engine's window on the platform. Everything the HTML engine needs from a windowing system goes
// through these interfaces: installed fonts and their metrics (IFontPlatform, in html_style_font.h), text
// measurement and drawing on a canvas, and image requests. The Qt viewer implements them; tests use a
// deterministic implementation with fixed metrics so layout and painting can assert exact numbers.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/html_style_convert.h"
#include "html/html_style_font.h"
#include "image/image_types.h"

namespace lumora::html {

using core::TPoint;
using core::TRect;

// Pen styles for lines and frames.
enum class TPenStyle { Solid, Dash, Dot, Clear };

// One surface the engine measures text on and paints into. Coordinates are device pixels; colours are
// engine colours (red in the low byte; system colours resolved by the implementation).
class ICanvas {
 public:
  virtual ~ICanvas() = default;

  // --- Text ---
  // Selects the font for measuring and drawing; the font's letter spacing applies to both.
  virtual void setFont(const TMyFont& Font) = 0;
  // Metrics of the selected font.
  virtual TRealizedFont fontMetrics() = 0;
  // advance width of every character of Text in the selected font (letter spacing included); Widths may be
  // null. Returns the total.
  virtual int textExtent(std::u16string_view Text, std::vector<int>* Widths) = 0;
  // Draws Text with its cell's top-left corner at (X, Y). Dx, when given, holds each character's advance.
  virtual void textOut(int X, int Y, std::u16string_view Text, const int* Dx) = 0;
  // Background behind drawn text: kColorNone draws none.
  virtual void setTextBackground(TColor Color) = 0;

  // --- Shapes ---
  virtual void fillRect(const TRect& Rect, TColor Color) = 0;
  virtual void Line(TPoint From, TPoint To, TColor Color, int Width, TPenStyle Style) = 0;
  virtual void Polygon(const std::vector<TPoint>& Points, TColor Fill, TColor Outline) = 0;
  virtual void frameRect(const TRect& Rect, TColor Color, int Width, TPenStyle Style) = 0;
  virtual void Ellipse(const TRect& Box, TColor Fill, TColor Outline) = 0;

  // --- Images ---
  // Draws the Source part of Image stretched into Dest; where Mask is transparent nothing is drawn.
  virtual void drawImage(const lumora::image::TBitmap& Image, const lumora::image::TMask* Mask, const TRect& Source,
                         const TRect& Dest) = 0;

  // --- Clipping ---
  // Clips further drawing to the intersection of the current clip and Rects (their union); popClip undoes.
  virtual void pushClip(const std::vector<TRect>& Rects) = 0;
  virtual void popClip() = 0;

  // Logical pixels per inch of the surface.
  virtual int PixelsPerInch() const = 0;
};

// What an image request returns: the picture (still or animated), its transparency and mask, or nothing
// yet (the platform loads it later and tells the document) or an error picture chosen by the platform.
struct TImageAnswer {
  lumora::image::TImage Image;
  int Transparency = lumora::image::kOpaque;
  std::shared_ptr<lumora::image::TMask> Mask;
  bool Deferred = false;  // not available yet; the document records it among its missing images
};

// Images of a page. Source is the address as the page wrote it, already expanded against the page's base.
class IImageProvider {
 public:
  virtual ~IImageProvider() = default;
  virtual TImageAnswer requestImage(const std::string& Source) = 0;
  // Called when the document no longer shows an image it got from requestImage.
  virtual void ReleaseImage(const std::string& Source) = 0;
};

// Everything the engine asks of its host, as one object a document is given.
struct THtmlPlatform {
  const IFontPlatform* Fonts = nullptr;
  IImageProvider* Images = nullptr;
  int PixelsPerInch = 96;
};

}  // namespace lumora::html
