#include "html/html_style_font.h"

#include <cstdlib>

#include "html/html_style_props.h"

namespace lumora::html {

std::string resolveFontFamily(std::string_view List, const IFontPlatform* Fonts, const std::string& Fallback) {
  std::string_view rest = List;
  while (true) {
    const size_t comma = rest.find(',');
    std::string name = mapGenericFamily(trimAscii(rest.substr(0, comma)));
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front())
      name = std::string(trimAscii(std::string_view(name).substr(1, name.size() - 2)));
    if (!name.empty() && (!Fonts || Fonts->isFontInstalled(name))) return name;
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

}  // namespace lumora::html
