#pragma once
// The HTML engine's platform services on Qt: installed fonts and their metrics, and a canvas that measures
// and paints through a QPainter.

#include <QFont>
#include <QPainter>
#include <QPalette>
#include <string_view>
#include <vector>

#include "html/html_platform.h"

namespace lumora::viewer {

// The engine's colour as a Qt colour: red in the low byte; system colours through the application
// palette; "none" is transparent.
QColor toQColor(html::TColor Color, const QPalette& Palette = QPalette());

// The Qt font for an engine font request or font (pixel size is the character height, as the engine asks).
QFont toQFont(const html::TFontRequest& Request);
QFont toQFont(const html::TMyFont& Font);

class QtFontPlatform : public html::IFontPlatform {
 public:
  // A family is installed when Qt knows it, directly or through the program's substitutions (so pages that
  // ask for "Arial" or "Times New Roman" find the metric twins installed here).
  bool isFontInstalled(std::string_view Family) const override;
  html::TRealizedFont realize(const html::TFontRequest& Request) const override;
};

class QtCanvas : public html::ICanvas {
 public:
  // Painter may be null for a canvas that only measures.
  explicit QtCanvas(QPainter* Painter, int Ppi = 96) : painter_(Painter), ppi_(Ppi) {}

  void setFont(const html::TMyFont& Font) override;
  html::TRealizedFont fontMetrics() override;
  int textExtent(std::u16string_view Text, std::vector<int>* Widths) override;
  void textOut(int X, int Y, std::u16string_view Text, const int* Dx) override;
  void setTextBackground(html::TColor Color) override { textBackground_ = Color; }

  void fillRect(const html::TRect& Rect, html::TColor Color) override;
  void Line(html::TPoint From, html::TPoint To, html::TColor Color, int Width, html::TPenStyle Style) override;
  void Polygon(const std::vector<html::TPoint>& Points, html::TColor Fill, html::TColor Outline) override;
  void frameRect(const html::TRect& Rect, html::TColor Color, int Width, html::TPenStyle Style) override;
  void Ellipse(const html::TRect& Box, html::TColor Fill, html::TColor Outline) override;

  void drawImage(const lumora::image::TBitmap& Image, const lumora::image::TMask* Mask, const html::TRect& Source,
                 const html::TRect& Dest) override;

  void pushClip(const std::vector<html::TRect>& Rects) override;
  void popClip() override;

  int PixelsPerInch() const override { return ppi_; }

 private:
  void setPenAndBrush(html::TColor Fill, html::TColor Outline);

  QPainter* painter_;
  int ppi_;
  html::TMyFont font_;
  QFont qfont_;
  html::TColor textBackground_ = html::kColorNone;
  int saved_ = 0;  // clip levels pushed
};

}  // namespace lumora::viewer
