// Whole pages built, laid out and painted: any bytes are painted at a few widths and scroll positions onto
// a canvas that checks what it is asked to do (clips pushed and popped in pairs, texts with one advance a
// character), and asked what lies under a few points, without a crash, a hang or a runaway.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "html/html_document.h"
#include "html/html_fixed_metrics.h"
#include "html/html_parser.h"

namespace {

using namespace lumora::html;

class TCheckingCanvas : public ICanvas {
 public:
  void fillRect(const TRect&, TColor) override { ++calls; }
  void frameRect(const TRect&, TColor, int Width, TPenStyle) override {
    if (Width < 0) std::abort();
    ++calls;
  }
  void drawLine(TPoint, TPoint, TColor, int Width, TPenStyle) override {
    if (Width < 0) std::abort();
    ++calls;
  }
  void drawPolygon(const std::vector<TPoint>& Points, TColor, TColor) override {
    if (Points.size() < 3) std::abort();
    ++calls;
  }
  void drawEllipse(const TRect&, TColor, TColor) override { ++calls; }
  void drawText(int, int, TFontHandle Font, TColor, std::u16string_view Text, const int* Advances, TColor) override {
    if (Font == kNoFont || (!Text.empty() && !Advances)) std::abort();
    for (size_t i = 0; i < Text.size(); ++i) sink += Advances[i];  // every advance is there to read
    ++calls;
  }
  void drawImage(const lumora::image::TBitmap& Image, const lumora::image::TMask* Mask, const TRect& Source,
                 const TRect&) override {
    if (Source.Left < 0 || Source.Top < 0 || Source.Right > Image.Width || Source.Bottom > Image.Height) std::abort();
    if (Mask && (Mask->Width != Image.Width || Mask->Height != Image.Height)) std::abort();
    ++calls;
  }
  void pushClip(const std::vector<TRect>&) override { ++depth; }
  void popClip() override {
    if (--depth < 0) std::abort();
  }
  int depth = 0;
  long calls = 0;
  long sink = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Pages beyond this size only repeat what smaller ones reach, at the price of the fuzzer's speed.
  if (size > 64 * 1024) return 0;
  FixedMetricsPlatform metrics;
  THtmlHost host{&metrics, nullptr, nullptr, &metrics};
  TSectionList doc(&host);
  doc.DocumentPath = "/nonexistent/page.htm";
  doc.SetDefaults();
  ParseHtmlText(std::string(reinterpret_cast<const char*>(data), size), doc);
  // A selection over part of the page, so selected runs are painted too.
  doc.SelStart = static_cast<int>(size % 7);
  doc.SelEnd = doc.SelStart + static_cast<int>(size % 50);
  for (const int width : {800, 0, 37, 5000}) {
    int scrollWidth = 0;
    const int height = doc.LayOut(metrics, 600, width, scrollWidth);
    for (const int y : {0, height / 2, height - 100, -50}) {
      TCheckingCanvas canvas;
      doc.paintBackground(canvas, {0, 0, 800, 600}, 0, y);
      doc.Paint(canvas, metrics, {0, 0, 800, 600}, 0, y);
      if (canvas.depth != 0) std::abort();
      // What lies under a few points of what was just painted.
      for (const int py : {y + 10, y + 300, y + 590}) {
        TUrlTarget link;
        TFormControlObj* control = nullptr;
        std::string title;
        int xr = 0, yr = 0, caret = 0;
        bool inText = false;
        doc.LinkAtPoint(metrics, 50, py, link, control, title);
        doc.PositionAtPoint(metrics, 400, py, xr, yr, caret, inText);
      }
    }
  }
  return 0;
}
