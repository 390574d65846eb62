#pragma once
// Fonts as the style code sees them: the font a property set describes and the four fonts of a link.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "html/html_codepage.h"  // kDefaultCharSet
#include "html/html_host.h"
#include "html/html_style_convert.h"

namespace lumora::html {

// The first installed family of a comma-separated list (generic names mapped, quotes removed); Fallback
// when none is installed. Without a platform the first entry is taken as it is.
std::string resolveFontFamily(std::string_view List, const ITextMetrics* Fonts, const std::string& Fallback);

// Style bits changed by one font property value (font-style, font-weight or text-decoration).
int applyFontStyleWord(int Style, int PropIndex, std::string_view Value);

// One of a link's fonts.
struct ThtFontInfo {
  std::string iName;
  double iSize = 12;  // points
  int iStyle = 0;
  TColor iColor = 0;
  TColor ibgColor = kColorNone;
  uint8_t iCharSet = kDefaultCharSet;
  std::variant<std::monostate, int, double, std::string> iCharExtra;  // letter spacing as given
};
// Normal, visited, hover, visited and hover.
using TFontInfoArray = std::array<ThtFontInfo, 4>;
enum TLinkFontIndex { LinkNormal = 0, LinkVisited = 1, LinkHover = 2, LinkVisitedHover = 3 };

// A font with the metrics layout needs.
struct TMyFont {
  std::string Name;
  int Height = 0;  // pixels
  int Style = 0;
  TColor Color = 0;
  uint8_t CharSet = kDefaultCharSet;
  TColor bgColor = kColorNone;
  int tmHeight = 0, tmDescent = 0, tmExternalLeading = 0, tmAveCharWidth = 0, tmMaxCharWidth = 0;
  uint8_t tmCharset = 0;
  int CharExtra = 0;  // letter spacing in pixels
};

// The request that realises Font.
TFontRequest fontRequestOf(const TMyFont& Font);

// The advances of Text in Font as the engine measures and draws it: the host's advances plus the font's
// letter spacing for every character (a surrogate pair is one character). Widths, when given, gets one
// entry per UTF-16 unit. Returns the total.
int textExtent(ITextMetrics& Metrics, const TMyFont& Font, std::u16string_view Text, std::vector<int>* Widths);
// The same in a font already realised as Handle with letter spacing CharExtra; Widths holds Text.size()
// entries.
int textExtent(ITextMetrics& Metrics, TFontHandle Handle, int CharExtra, std::u16string_view Text, int* Widths);

}  // namespace lumora::html
