// Hit testing, selection and search over any page: after layout, points over the whole page and beyond it,
// positions from before the first character to past the last, selections, source positions and searches
// are asked at two widths, without a crash, a hang or a runaway in time or memory.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "html/html_document.h"
#include "html/html_fixed_metrics.h"
#include "html/html_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumora::html;
  if (size > 64 * 1024) return 0;
  FixedMetricsPlatform metrics;
  THtmlHost host{&metrics, nullptr, nullptr, &metrics};
  TSectionList doc(&host);
  doc.DocumentPath = "/nonexistent/page.htm";
  doc.SetDefaults();
  doc.OverLinksActive = true;
  ParseHtmlText(std::string(reinterpret_cast<const char*>(data), size), doc);
  // Words to search for: the first bytes of the page.
  std::u16string word;
  for (size_t i = 0; i < size && word.size() < 3; ++i) word += static_cast<char16_t>(data[i]);
  std::vector<char16_t> buffer(64);
  for (const int width : {300, 37}) {
    int scrollWidth = 0;
    const int height = doc.LayOut(metrics, 600, width, scrollWidth);
    const int length = doc.documentLength();
    // A grid of at most 40 x 40 points, a little beyond the page on every side.
    const int stepX = std::max(1, (std::max(width, scrollWidth) + 40) / 40), stepY = std::max(1, (height + 40) / 40);
    for (int y = -20; y < height + 20; y += stepY) {
      for (int x = -20; x < std::max(width, scrollWidth) + 20; x += stepX) {
        TUrlTarget url;
        TFormControlObj* control = nullptr;
        std::string title;
        doc.LinkAtPoint(metrics, x, y, url, control, title);
        int xr = 0, yr = 0, caret = 0;
        bool inText = false;
        doc.PositionAtPoint(metrics, x, y, xr, yr, caret, inText);
        TIDObject* object = nullptr;
        int ix = 0, iy = 0;
        doc.ObjectAtPoint(x, y, object, ix, iy);
      }
    }
    doc.SetLinkPressed(true);
    doc.ClearLinkStates();
    const int step = std::max(1, length / 200);
    for (int p = -1; p <= length + 1; p += step) {
      int x = 0, y = 0;
      doc.PositionToPoint(metrics, p, x, y);
      char16_t ch = 0;
      TSection* section = nullptr;
      doc.CharAtPosition(p, ch, section);
      const int source = doc.DocToSourcePos(p);
      doc.SourceToDocPos(source, false);
      doc.SourceToDocPos(p, true);
      doc.SearchForward(p, word, false);
      doc.SearchBackward(p, word, true);
    }
    for (const auto& [from, to] : {std::pair(0, length), std::pair(length / 3, length + 5), std::pair(-1, 2)}) {
      doc.SelStart = from;
      doc.SelEnd = to;
      doc.SelectionLength();
      doc.CopySelectionToBuffer(buffer.data(), static_cast<int>(buffer.size()));
      doc.CopySelectionToBuffer(buffer.data(), 1);
    }
  }
  return 0;
}
