#pragma once
// A canvas that draws nothing and writes one line per call, so painting tests compare what was drawn,
// in order, with a short readable text. Colours are "#rrggbb", "none" or "sys:N" (a system colour);
// rectangles "L,T-R,B"; points "X,Y"; fonts "Name/height[/b][/i][/u][/s]" (through the metrics that
// realised them).
//
//   fillRect 0,0-10,10 #ff0000
//   frameRect 0,0-10,10 #000000 w=1 solid
//   drawLine 0,5 10,5 #000000 w=1 dash
//   drawPolygon 0,0 4,0 2,3 fill=#ff0000 line=none
//   drawEllipse 0,0-10,10 fill=none line=#000000
//   drawText 10,20 Arial/16/b #000000 "text" 8,8,8,8 bg=none
//   drawImage 16x16 mask src=0,0-16,16 dest=5,5-21,21
//   pushClip 0,0-100,50 120,0-200,50
//   popClip

#include <string>
#include <vector>

#include "html/html_fixed_metrics.h"
#include "html/html_host.h"

namespace lumora::html::testing {

std::string colorText(TColor Color);
std::string rectText(const TRect& Rect);

class TRecordingCanvas : public ICanvas {
 public:
  // Metrics: where the handles drawText gets were realised (their requests name the fonts).
  explicit TRecordingCanvas(const FixedMetricsPlatform& Metrics) : metrics_(Metrics) {}

  void fillRect(const TRect& Rect, TColor Color) override;
  void frameRect(const TRect& Rect, TColor Color, int Width, TPenStyle Style) override;
  void drawLine(TPoint From, TPoint To, TColor Color, int Width, TPenStyle Style) override;
  void drawPolygon(const std::vector<TPoint>& Points, TColor Fill, TColor Outline) override;
  void drawEllipse(const TRect& Box, TColor Fill, TColor Outline) override;
  void drawText(int X, int Y, TFontHandle Font, TColor Color, std::u16string_view Text, const int* Advances,
                TColor Background) override;
  void drawImage(const image::TBitmap& Image, const image::TMask* Mask, const TRect& Source,
                 const TRect& Dest) override;
  void pushClip(const std::vector<TRect>& Rects) override;
  void popClip() override;

  std::vector<std::string> Lines;

 private:
  const FixedMetricsPlatform& metrics_;
};

}  // namespace lumora::html::testing
