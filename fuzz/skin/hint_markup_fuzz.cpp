// Any bytes as a hint text: the layout never fails, its runs lie inside its extent, and font sizes stay in
// range. Widths come from a fixed metrics table (each byte 1 to 8 pixels, lines as high as the size).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "skin/hint_markup.h"

namespace {

class FixedMetrics : public lumora::skin::HintMetrics {
 public:
  int textWidth(const lumora::skin::HintFont& font, std::string_view text) const override {
    int width = 0;
    for (char c : text) width += 1 + (static_cast<unsigned char>(c) % 8) + (font.Bold ? 1 : 0);
    return width;
  }
  int lineHeight(const lumora::skin::HintFont& font) const override { return font.Size + 2; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumora::skin;
  const std::string text(reinterpret_cast<const char*>(data), size);
  FixedMetrics metrics;
  HintFont font;
  font.Face = "MS Sans Serif";
  const HintLayout layout = layoutHintMarkup(text, font, metrics);
  if (layout.Width < 0 || layout.Height < 0) __builtin_trap();
  for (const HintRun& run : layout.Runs) {
    if (run.Text.empty() || run.X < 0 || run.Y < 0) __builtin_trap();
    if (run.X + run.Width > layout.Width || run.Y > layout.Height) __builtin_trap();
    if (run.Font.Size < kMinHintFontSize || run.Font.Size > kMaxHintFontSize) __builtin_trap();
    if (run.Text.find('\n') != std::string::npos || run.Text.find('\r') != std::string::npos) __builtin_trap();
  }
  return 0;
}
