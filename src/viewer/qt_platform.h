#pragma once
// The HTML engine's host on Qt: installed fonts realised into handles with their metrics and advances, and
// a canvas that draws through a QPainter following the pixel rules of html/html_host.h.

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QRawFont>
#include <array>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "html/html_host.h"
#include "html/html_style_font.h"

namespace lumora::viewer {

// The engine's colour as a Qt colour: red in the low byte; system colours through the application
// palette; "none" is transparent.
QColor toQColor(html::TColor Color, const QPalette& Palette = QPalette());

// Maps the Windows font names publications and windows ask for to the metric-compatible fonts of Linux
// (Liberation, DejaVu). QtTextMetrics installs them when the first one is made.
void installFontSubstitutes();

// The Qt font for an engine font request (pixel size is the character height, as the engine asks).
QFont toQFont(const html::TFontRequest& Request);

// Fonts through Qt. Each distinct request is realised once; its metrics and the advances of the
// characters measured in it are kept with its handle for the life of this object.
class QtTextMetrics : public html::ITextMetrics {
 public:
  QtTextMetrics();
  // A family is installed when Qt knows it, directly or through the program's substitutions (so pages that
  // ask for "Arial" or "Times New Roman" find the metric twins installed here).
  bool isFontInstalled(std::string_view Family) const override;
  html::TFontHandle realizeFont(const html::TFontRequest& Request) override;
  const html::TRealizedFont& fontMetrics(html::TFontHandle Font) const override;
  int textAdvances(html::TFontHandle Font, std::u16string_view Text, int* Advances) override;

  // The Qt font and its raw form (for drawing glyph runs) behind a handle.
  const QFont& qtFont(html::TFontHandle Font) const { return entry(Font).font; }
  const QRawFont& rawFont(html::TFontHandle Font) const { return entry(Font).raw; }

 private:
  struct Entry {
    html::TFontRequest request;
    QFont font;
    QFontMetrics qtMetrics;
    QRawFont raw;
    html::TRealizedFont metrics;
    std::array<int, 256> latin;  // advances of U+0000..U+00FF, -1 until measured
    std::unordered_map<char16_t, int> others;
  };
  struct RequestHash {
    size_t operator()(const html::TFontRequest& r) const;
  };
  const Entry& entry(html::TFontHandle Font) const;

  std::deque<Entry> fonts_;  // handle - 1; a deque keeps entries in place as it grows
  // Asking Qt's font database is slow and pages ask for the same few families for every element.
  mutable std::unordered_map<std::string, bool> installed_;
  std::unordered_map<html::TFontRequest, html::TFontHandle, RequestHash> handles_;
};

class QtCanvas : public html::ICanvas {
 public:
  QtCanvas(QPainter& Painter, QtTextMetrics& Metrics) : painter_(Painter), metrics_(Metrics), fonts_(&Metrics) {}
  // Text in fonts realised by any other metrics (the fixed ones) is drawn as one filled box a character,
  // its advance wide and the font's cell high, so a page looks the same on every machine.
  QtCanvas(QPainter& Painter, html::ITextMetrics& Metrics) : painter_(Painter), metrics_(Metrics), fonts_(nullptr) {}
  ~QtCanvas() override;

  void fillRect(const html::TRect& Rect, html::TColor Color) override;
  void frameRect(const html::TRect& Rect, html::TColor Color, int Width, html::TPenStyle Style) override;
  void drawLine(html::TPoint From, html::TPoint To, html::TColor Color, int Width, html::TPenStyle Style) override;
  void drawPolygon(const std::vector<html::TPoint>& Points, html::TColor Fill, html::TColor Outline) override;
  void drawEllipse(const html::TRect& Box, html::TColor Fill, html::TColor Outline) override;
  void drawText(int X, int Y, html::TFontHandle Font, html::TColor Color, std::u16string_view Text,
                const int* Advances, html::TColor Background) override;
  void drawImage(const image::TBitmap& Image, const image::TMask* Mask, const html::TRect& Source,
                 const html::TRect& Dest) override;
  void pushClip(const std::vector<html::TRect>& Rects) override;
  void popClip() override;
  html::TColor resolveColor(html::TColor Color) const override;

 private:
  void setPenAndBrush(html::TColor Fill, html::TColor Outline);

  QPainter& painter_;
  html::ITextMetrics& metrics_;
  QtTextMetrics* fonts_;  // null: text as boxes
  int saved_ = 0;  // clip levels pushed
};

}  // namespace lumora::viewer
