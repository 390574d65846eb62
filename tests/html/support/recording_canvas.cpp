#include "html/support/recording_canvas.h"

#include <cstdio>

#include "html/html_codepage.h"
#include "html/support/fixed_host.h"

namespace lumora::html::testing {
namespace {

std::string pointText(TPoint p) { return std::to_string(p.X) + "," + std::to_string(p.Y); }

const char* penText(TPenStyle Style) {
  switch (Style) {
    case TPenStyle::Dash: return "dash";
    case TPenStyle::Dot: return "dot";
    case TPenStyle::Clear: return "clear";
    case TPenStyle::Solid: break;
  }
  return "solid";
}

}  // namespace

std::string colorText(TColor Color) {
  if (Color == kColorNone) return "none";
  const auto bits = static_cast<uint32_t>(Color);
  if ((bits & 0xFF000000u) == 0xFF000000u) return "sys:" + std::to_string(bits & 0xFF);
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", bits & 0xFF, (bits >> 8) & 0xFF, (bits >> 16) & 0xFF);
  return text;
}

std::string rectText(const TRect& r) {
  return std::to_string(r.Left) + "," + std::to_string(r.Top) + "-" + std::to_string(r.Right) + "," +
         std::to_string(r.Bottom);
}

void TRecordingCanvas::fillRect(const TRect& Rect, TColor Color) {
  Lines.push_back("fillRect " + rectText(Rect) + " " + colorText(Color));
}

void TRecordingCanvas::frameRect(const TRect& Rect, TColor Color, int Width, TPenStyle Style) {
  Lines.push_back("frameRect " + rectText(Rect) + " " + colorText(Color) + " w=" + std::to_string(Width) + " " +
                  penText(Style));
}

void TRecordingCanvas::drawLine(TPoint From, TPoint To, TColor Color, int Width, TPenStyle Style) {
  Lines.push_back("drawLine " + pointText(From) + " " + pointText(To) + " " + colorText(Color) +
                  " w=" + std::to_string(Width) + " " + penText(Style));
}

void TRecordingCanvas::drawPolygon(const std::vector<TPoint>& Points, TColor Fill, TColor Outline) {
  std::string line = "drawPolygon";
  for (const TPoint& p : Points) line += " " + pointText(p);
  Lines.push_back(line + " fill=" + colorText(Fill) + " line=" + colorText(Outline));
}

void TRecordingCanvas::drawEllipse(const TRect& Box, TColor Fill, TColor Outline) {
  Lines.push_back("drawEllipse " + rectText(Box) + " fill=" + colorText(Fill) + " line=" + colorText(Outline));
}

void TRecordingCanvas::drawText(int X, int Y, TFontHandle Font, TColor Color, std::u16string_view Text,
                                const int* Advances, TColor Background) {
  const TFontRequest& f = metrics_.request(Font);
  std::string font = f.Name + "/" + std::to_string(f.Height);
  if (f.Style & kFontBold) font += "/b";
  if (f.Style & kFontItalic) font += "/i";
  if (f.Style & kFontUnderline) font += "/u";
  if (f.Style & kFontStrikeOut) font += "/s";
  std::string advances;
  for (size_t i = 0; Advances && i < Text.size(); ++i) advances += (i ? "," : "") + std::to_string(Advances[i]);
  Lines.push_back("drawText " + pointText({X, Y}) + " " + font + " " + colorText(Color) + " \"" +
                  wideToUtf8(Text) + "\" " + (Advances ? advances : "-") +
                  " bg=" + colorText(Background));
}

void TRecordingCanvas::drawImage(const image::TBitmap& Image, const image::TMask* Mask, const TRect& Source,
                                 const TRect& Dest) {
  Lines.push_back("drawImage " + std::to_string(Image.Width) + "x" + std::to_string(Image.Height) +
                  (Mask ? " mask" : " nomask") + " src=" + rectText(Source) + " dest=" + rectText(Dest));
}

void TRecordingCanvas::pushClip(const std::vector<TRect>& Rects) {
  std::string line = "pushClip";
  for (const TRect& r : Rects) line += " " + rectText(r);
  Lines.push_back(line);
}

void TRecordingCanvas::popClip() { Lines.push_back("popClip"); }

}  // namespace lumora::html::testing
