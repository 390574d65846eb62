#pragma once
// Fonts as the style code sees them: the platform's font service (installed families and the metrics of a
// realised font), the font a property set describes, and the four fonts of a link.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "html/html_codepage.h"  // kDefaultCharSet
#include "html/html_style_convert.h"

namespace lumora::html {

// Style bits of a font.
inline constexpr int kFontBold = 1, kFontItalic = 2, kFontUnderline = 4, kFontStrikeOut = 8;
inline constexpr uint8_t kSymbolCharSet = 2;

struct TFontRequest {
  std::string Name;
  int Height = 0;  // character height in pixels (not cell height)
  int Style = 0;
  uint8_t CharSet = kDefaultCharSet;
};

struct TRealizedFont {
  int CellHeight = 0, InternalLeading = 0, Descent = 0, ExternalLeading = 0;
  int AveCharWidth = 0, MaxCharWidth = 0;
  uint8_t CharSet = 0;  // the set the font really has (its natural set when asked for the default one)
};

// The part of the engine's platform interface that fonts need. The Qt viewer supplies the real one; tests
// use fixed metrics.
class IFontPlatform {
 public:
  virtual ~IFontPlatform() = default;
  virtual bool isFontInstalled(std::string_view Family) const = 0;
  virtual TRealizedFont realize(const TFontRequest& Request) const = 0;
};

// The first installed family of a comma-separated list (generic names mapped, quotes removed); Fallback
// when none is installed. Without a platform the first entry is taken as it is.
std::string resolveFontFamily(std::string_view List, const IFontPlatform* Fonts, const std::string& Fallback);

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

}  // namespace lumora::html
