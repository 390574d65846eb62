#include "html/html_style_font.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "html/html_style_props.h"

namespace lumora::html {

std::string resolveFontFamily(std::string_view List, const ITextMetrics* Fonts, const std::string& Fallback) {
  std::string_view rest = List;
  while (true) {
    const size_t comma = rest.find(',');
    std::string_view name = mapGenericFamily(trimAscii(rest.substr(0, comma)));
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front())
      name = trimAscii(name.substr(1, name.size() - 2));
    if (!name.empty() && (!Fonts || Fonts->isFontInstalled(name))) return std::string(name);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return Fallback;
}

int applyFontStyleWord(int Style, int PropIndex, std::string_view Value) {
  const std::string v = lowerAscii(trimAscii(Value));
  switch (PropIndex) {
    case FontStyle:
      if (v == "italic" || v == "oblique") return Style | kFontItalic;
      if (v == "normal") return Style & ~kFontItalic;
      return Style;
    case FontWeight:
      if (v.find("bold") != std::string::npos || std::strtol(v.c_str(), nullptr, 10) >= 600) return Style | kFontBold;
      if (v.find("normal") != std::string::npos) return Style & ~kFontBold;
      return Style;
    case TextDecoration:
      if (v.find("underline") != std::string::npos) Style |= kFontUnderline;
      if (v.find("line-through") != std::string::npos) Style |= kFontStrikeOut;
      if (v == "none") Style &= ~(kFontUnderline | kFontStrikeOut);
      return Style;
    default:
      return Style;
  }
}

TFontRequest fontRequestOf(const TMyFont& Font) { return {Font.Name, Font.Height, Font.Style, Font.CharSet}; }

int textExtent(ITextMetrics& Metrics, const TMyFont& Font, std::u16string_view Text, std::vector<int>* Widths) {
  std::vector<int> local;
  std::vector<int>& w = Widths ? *Widths : local;
  w.resize(Text.size());
  return textExtent(Metrics, Metrics.realizeFont(fontRequestOf(Font)), Font.CharExtra, Text, w.data());
}

int textExtent(ITextMetrics& Metrics, TFontHandle Handle, int CharExtra, std::u16string_view Text, int* Widths) {
  if (Text.empty()) return 0;
  std::fill(Widths, Widths + Text.size(), 0);
  Metrics.textAdvances(Handle, Text, Widths);
  int total = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    // The second half of a surrogate pair takes no space of its own, letter spacing included.
    const bool secondHalf = i > 0 && Text[i] >= 0xDC00 && Text[i] <= 0xDFFF && Text[i - 1] >= 0xD800 && Text[i - 1] <= 0xDBFF;
    if (!secondHalf) Widths[i] += CharExtra;
    total += Widths[i];
  }
  return total;
}

}  // namespace lumora::html
