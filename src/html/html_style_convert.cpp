#include "html/html_style_convert.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/paths.h"

namespace lumora::html {
namespace {

struct NamedColor {
  std::string_view Name;
  uint32_t Value;  // RRGGBB for named colours; system colours carry kSystemColorFlag
  bool System;
};

constexpr uint32_t sys(int index) { return 0xFF000000u | static_cast<uint32_t>(index); }

// Sorted by name (byte order of the lower-case names) for binary search.
constexpr NamedColor kColorNames[] = {
    {"activeborder", sys(10), true},
    {"activecaption", sys(2), true},
    {"aliceblue", 0xF0F8FF, false},
    {"antiquewhite", 0xFAEBD7, false},
    {"appworkspace", sys(12), true},
    {"aqua", 0x00FFFF, false},
    {"aquamarine", 0x7FFFD4, false},
    {"azure", 0xF0FFFF, false},
    {"background", sys(1), true},
    {"beige", 0xF5F5DC, false},
    {"bisque", 0xFFE4C4, false},
    {"black", 0x000000, false},
    {"blanchedalmond", 0xFFEBCD, false},
    {"blue", 0x0000FF, false},
    {"blueviolet", 0x8A2BE2, false},
    {"brown", 0xA52A2A, false},
    {"burlywood", 0xDEB887, false},
    {"buttonface", sys(15), true},
    {"buttonhighlight", sys(20), true},
    {"buttonshadow", sys(16), true},
    {"buttontext", sys(18), true},
    {"cadetblue", 0x5F9EA0, false},
    {"captiontext", sys(9), true},
    {"chartreuse", 0x7FFF00, false},
    {"chocolate", 0xD2691E, false},
    {"coral", 0xFF7F50, false},
    {"cornflowerblue", 0x6495ED, false},
    {"cornsilk", 0xFFF8DC, false},
    {"crimson", 0xDC143C, false},
    {"cyan", 0x00FFFF, false},
    {"darkblue", 0x00008B, false},
    {"darkcyan", 0x008B8B, false},
    {"darkgoldenrod", 0xB8860B, false},
    {"darkgray", 0xA9A9A9, false},
    {"darkgreen", 0x006400, false},
    {"darkgrey", 0xA9A9A9, false},
    {"darkkhaki", 0xBDB76B, false},
    {"darkmagenta", 0x8B008B, false},
    {"darkolivegreen", 0x556B2F, false},
    {"darkorange", 0xFF8C00, false},
    {"darkorchid", 0x9932CC, false},
    {"darkred", 0x8B0000, false},
    {"darksalmon", 0xE9967A, false},
    {"darkseagreen", 0x8FBC8F, false},
    {"darkslateblue", 0x483D8B, false},
    {"darkslategray", 0x2F4F4F, false},
    {"darkslategrey", 0x2F4F4F, false},
    {"darkturquoise", 0x00CED1, false},
    {"darkviolet", 0x9400D3, false},
    {"deeppink", 0xFF1493, false},
    {"deepskyblue", 0x00BFFF, false},
    {"dimgray", 0x696969, false},
    {"dimgrey", 0x696969, false},
    {"dodgerblue", 0x1E90FF, false},
    {"firebrick", 0xB22222, false},
    {"floralwhite", 0xFFFAF0, false},
    {"forestgreen", 0x228B22, false},
    {"fuchsia", 0xFF00FF, false},
    {"gainsboro", 0xDCDCDC, false},
    {"ghostwhite", 0xF8F8FF, false},
    {"gold", 0xFFD700, false},
    {"goldenrod", 0xDAA520, false},
    {"gray", 0x808080, false},
    {"graytext", sys(17), true},
    {"green", 0x008000, false},
    {"greenyellow", 0xADFF2F, false},
    {"grey", 0x808080, false},
    {"highlight", sys(13), true},
    {"hightlighttext", sys(14), true},
    {"honeydew", 0xF0FFF0, false},
    {"hotpink", 0xFF69B4, false},
    {"inactiveborder", sys(11), true},
    {"inactivecaption", sys(3), true},
    {"inactivecaptiontext", sys(19), true},
    {"indianred", 0xCD5C5C, false},
    {"indigo", 0x4B0082, false},
    {"infobackground", sys(24), true},
    {"infotext", sys(23), true},
    {"ivory", 0xFFFFF0, false},
    {"khaki", 0xF0E68C, false},
    {"lavender", 0xE6E6FA, false},
    {"lavenderblush", 0xFFF0F5, false},
    {"lawngreen", 0x7CFC00, false},
    {"lemonchiffon", 0xFFFACD, false},
    {"lightblue", 0xADD8E6, false},
    {"lightcoral", 0xF08080, false},
    {"lightcyan", 0xE0FFFF, false},
    {"lightgoldenrodyellow", 0xFAFAD2, false},
    {"lightgray", 0xD3D3D3, false},
    {"lightgreen", 0x90EE90, false},
    {"lightgrey", 0xD3D3D3, false},
    {"lightpink", 0xFFB6C1, false},
    {"lightsalmon", 0xFFA07A, false},
    {"lightseagreen", 0x20B2AA, false},
    {"lightskyblue", 0x87CEFA, false},
    {"lightslategray", 0x778899, false},
    {"lightslategrey", 0x778899, false},
    {"lightsteelblue", 0xB0C4DE, false},
    {"lightyellow", 0xFFFFE0, false},
    {"lime", 0x00FF00, false},
    {"limegreen", 0x32CD32, false},
    {"linen", 0xFAF0E6, false},
    {"magenta", 0xFF00FF, false},
    {"maroon", 0x800000, false},
    {"mediumaquamarine", 0x66CDAA, false},
    {"mediumblue", 0x0000CD, false},
    {"mediumorchid", 0xBA55D3, false},
    {"mediumpurple", 0x9370DB, false},
    {"mediumseagreen", 0x3CB371, false},
    {"mediumslateblue", 0x7B68EE, false},
    {"mediumspringgreen", 0x00FA9A, false},
    {"mediumturquoise", 0x48D1CC, false},
    {"mediumvioletred", 0xC71585, false},
    {"menu", sys(4), true},
    {"menutext", sys(7), true},
    {"midnightblue", 0x191970, false},
    {"mintcream", 0xF5FFFA, false},
    {"mistyrose", 0xFFE4E1, false},
    {"moccasin", 0xFFE4B5, false},
    {"navajowhite", 0xFFDEAD, false},
    {"navy", 0x000080, false},
    {"oldlace", 0xFDF5E6, false},
    {"olive", 0x808000, false},
    {"olivedrab", 0x6B8E23, false},
    {"orange", 0xFFA500, false},
    {"orangered", 0xFF4500, false},
    {"orchid", 0xDA70D6, false},
    {"palegoldenrod", 0xEEE8AA, false},
    {"palegreen", 0x98FB98, false},
    {"paleturquoise", 0xAFEEEE, false},
    {"palevioletred", 0xDB7093, false},
    {"papayawhip", 0xFFEFD5, false},
    {"peachpuff", 0xFFDAB9, false},
    {"peru", 0xCD853F, false},
    {"pink", 0xFFC0CB, false},
    {"plum", 0xDDA0DD, false},
    {"powderblue", 0xB0E0E6, false},
    {"purple", 0x800080, false},
    {"red", 0xFF0000, false},
    {"rosybrown", 0xBC8F8F, false},
    {"royalblue", 0x4169E1, false},
    {"saddlebrown", 0x8B4513, false},
    {"salmon", 0xFA8072, false},
    {"sandybrown", 0xF4A460, false},
    {"scrollbar", sys(0), true},
    {"seagreen", 0x2E8B57, false},
    {"seashell", 0xFFF5EE, false},
    {"sienna", 0xA0522D, false},
    {"silver", 0xC0C0C0, false},
    {"skyblue", 0x87CEEB, false},
    {"slateblue", 0x6A5ACD, false},
    {"slategray", 0x708090, false},
    {"slategrey", 0x708090, false},
    {"snow", 0xFFFAFA, false},
    {"springgreen", 0x00FF7F, false},
    {"steelblue", 0x4682B4, false},
    {"tan", 0xD2B48C, false},
    {"teal", 0x008080, false},
    {"thistle", 0xD8BFD8, false},
    {"threeddarkshadow", sys(21), true},
    {"threedface", sys(15), true},
    {"threedhighlight", sys(22), true},
    {"threedlightshadow", sys(20), true},
    {"threedshadow", sys(16), true},
    {"tomato", 0xFF6347, false},
    {"transparent", 0, false},  // special-cased below: no colour
    {"turquoise", 0x40E0D0, false},
    {"violet", 0xEE82EE, false},
    {"wheat", 0xF5DEB3, false},
    {"white", 0xFFFFFF, false},
    {"whitesmoke", 0xF5F5F5, false},
    {"window", sys(5), true},
    {"windowframe", sys(6), true},
    {"windowtext", sys(8), true},
    {"yellow", 0xFFFF00, false},
    {"yellowgreen", 0x9ACD32, false},
};
static_assert(std::size(kColorNames) == 176);

// RRGGBB as written to the red-low layout.
TColor fromRgbHex(uint32_t v) {
  const uint32_t r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}

std::optional<TColor> lookupColorName(std::string_view name) {
  const auto* end = std::end(kColorNames);
  const auto* it = std::lower_bound(std::begin(kColorNames), end, name,
                                    [](const NamedColor& c, std::string_view n) { return c.Name < n; });
  if (it == end || it->Name != name) return std::nullopt;
  if (it->Name == "transparent") return kColorNone;
  if (it->System) return static_cast<TColor>(it->Value);
  return fromRgbHex(it->Value);
}

// The longest leading decimal number of `text` (sign, digits, one point), stopping before the first "e" so
// that "2em" is 2 and "em". Returns the number of characters used (0 when none).
size_t leadingDecimal(std::string_view text, double& value) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  bool point = false;
  size_t end = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      ++digits;
      end = i + 1;
    } else if (c == '.' && !point) {
      point = true;
      if (digits > 0) end = i + 1;
    } else {
      break;
    }
  }
  if (digits == 0) return 0;
  value = std::strtod(std::string(text.substr(0, end)).c_str(), nullptr);
  return end;
}

struct SplitLength {
  double Value = 0;
  bool HasNumber = false;
  std::string Unit;  // trimmed, lower case
};

SplitLength splitNumberUnit(std::string_view text) {
  SplitLength r;
  text = trimAscii(text);
  const size_t used = leadingDecimal(text, r.Value);
  r.HasNumber = used > 0;
  r.Unit = lowerAscii(trimAscii(text.substr(used)));
  return r;
}

int roundEven(double v) {
  if (!std::isfinite(v)) return 0;
  const double r = std::nearbyint(v);  // default rounding mode: ties to even
  if (r >= 2147483647.0) return 2147483647;
  if (r <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(r);
}

// A whole decimal integer (optional sign), or nothing.
std::optional<long> wholeInteger(std::string_view s) {
  if (s.empty()) return std::nullopt;
  size_t i = (s[0] == '+' || s[0] == '-') ? 1 : 0;
  if (i == s.size()) return std::nullopt;
  long v = 0;
  for (size_t k = i; k < s.size(); ++k) {
    if (s[k] < '0' || s[k] > '9') return std::nullopt;
    if (v < 100000) v = v * 10 + (s[k] - '0');  // anything this large clamps to 255 anyway
  }
  return s[0] == '-' ? -v : v;
}

int rgbComponent(std::string_view part) {
  part = trimAscii(part);
  long v = 0;
  if (const size_t pct = part.find('%'); pct != std::string_view::npos) {
    std::string_view num = trimAscii(part.substr(0, pct));
    double d = 0;
    // 255 / 100 rather than 2.55, which is not exact in binary and would round 50% down.
    if (leadingDecimal(num, d) == num.size() && !num.empty()) v = roundEven(d * 255 / 100);
  } else if (auto n = wholeInteger(part)) {
    v = *n;
  }
  return static_cast<int>(std::clamp<long>(v, 0, 255));
}

bool parseColorUncached(const std::string& s, bool NeedPound, TColor& Color) {
  if (s.empty()) return false;
  if (s[0] != '#' && s.find("rgb(") == std::string::npos) {
    if (auto named = lookupColorName(s)) {
      Color = *named;
      return true;
    }
  }
  if (s.find("rgb") != std::string::npos) {
    const size_t open = s.find('(');
    const size_t close = open == std::string::npos ? open : s.find(')', open + 1);
    if (close == std::string::npos) return false;
    std::string_view inner(s.data() + open + 1, close - open - 1);
    std::string_view parts[3];
    for (int i = 0; i < 2; ++i) {
      const size_t comma = inner.find(',');
      if (comma == std::string_view::npos) {
        parts[i] = inner;
        inner = {};
        break;
      }
      parts[i] = inner.substr(0, comma);
      inner.remove_prefix(comma + 1);
    }
    if (parts[2].empty()) parts[2] = inner;
    const int r = rgbComponent(parts[0]), g = rgbComponent(parts[1]), b = rgbComponent(parts[2]);
    Color = (r | (g << 8) | (b << 16)) | kPaletteRelative;
    return true;
  }
  const size_t hash = s.rfind('#');
  if (hash == std::string::npos && NeedPound) return false;
  std::string_view hex = trimAscii(hash == std::string::npos ? std::string_view(s) : std::string_view(s).substr(hash + 1));
  std::string digits;
  if (!hex.empty() && hex.size() <= 3) {
    for (char c : hex) digits.append(2, c);
  } else {
    digits = hex;
  }
  if (digits.empty() || digits.size() > 8) return false;
  uint32_t v = 0;
  for (char c : digits) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else return false;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  Color = fromRgbHex(v) | kPaletteRelative;
  return true;
}

}  // namespace

std::string lowerAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

std::string_view trimAscii(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

int ToPixels(std::string_view Text, bool Relative, double Base, int Default, double EmSize, double ExSize,
             int PixelsPerInch) {
  const SplitLength l = splitNumberUnit(Text);
  const double ppi = PixelsPerInch > 0 ? PixelsPerInch : kDefaultPixelsPerInch;
  const double v = l.Value;
  double r;
  const std::string& u = l.Unit;
  if (u.empty()) r = Relative ? v * Base : v;
  else if (u == "in") r = v * ppi;
  else if (u == "cm") r = v * ppi / 2.54;
  else if (u == "mm") r = v * ppi / 25.4;
  else if (u == "pt") r = v * ppi / 72;
  else if (u == "px") r = v;
  else if (u == "pc") r = v * ppi / 6;
  else if (u == "em") r = v * EmSize;
  else if (u == "ex") r = v * ExSize;
  else if (u == "%") r = v * Base / 100;
  else return Default;
  return roundEven(r);
}

namespace {

double pointsOf(std::string_view Text, double Base, double DefaultSize, int PixelsPerInch) {
  const SplitLength l = splitNumberUnit(Text);
  const double ppi = PixelsPerInch > 0 ? PixelsPerInch : kDefaultPixelsPerInch;
  const double v = l.Value, D = DefaultSize;
  const std::string& u = l.Unit;
  if (u.empty()) return v * 72 / ppi;
  if (u == "in") return v * 72;
  if (u == "cm") return v * 72 / 2.54;
  if (u == "mm") return v * 72 / 25.4;
  if (u == "pt") return v;
  if (u == "px") return v * 72 / ppi;
  if (u == "pc") return v * 12;
  if (u == "em") return v * Base;
  if (u == "ex") return v * Base / 2;
  if (u == "%") return v * Base / 100;
  if (u == "smaller") return Base * 0.75;
  if (u == "larger") return Base * 1.25;
  if (u == "xx-small") return D / 1.5;
  if (u == "x-small") return D / 1.2;
  if (u == "small") return D;
  if (u == "medium") return D * 1.2;
  if (u == "large") return D * 1.5;
  if (u == "x-large") return D * 2;
  if (u == "xx-large") return D * 3;
  return D;
}

}  // namespace

double ToPoints(std::string_view Text, double Base, double DefaultSize, int PixelsPerInch) {
  const double points = pointsOf(Text, Base, DefaultSize, PixelsPerInch);
  if (std::isnan(points)) return DefaultSize;
  return std::min(points, kMaxFontPoints);
}

bool ParseColor(std::string_view Text, bool NeedPound, TColor& Color) {
  // One-entry cache: pages repeat the same colour text many times in a row. NeedPound is part of the key, as
  // "abc" is a colour only when "#" is not required.
  thread_local std::string lastText;
  thread_local bool lastNeedPound = false;
  thread_local TColor lastColor = 0;
  thread_local bool lastValid = false;
  const std::string s = lowerAscii(trimAscii(Text));
  if (s.empty()) return false;
  if (lastValid && lastNeedPound == NeedPound && s == lastText) {
    Color = lastColor;
    return true;
  }
  TColor c = 0;
  if (!parseColorUncached(s, NeedPound, c)) return false;
  lastText = s;
  lastNeedPound = NeedPound;
  lastColor = c;
  lastValid = true;
  Color = c;
  return true;
}

int AlignmentCode(std::string_view Text) {
  const std::string s = lowerAscii(Text);
  if (s == "top") return 1;
  if (s == "middle" || s == "absmiddle" || s == "center") return 2;
  if (s == "baseline") return 3;
  if (s == "bottom") return 4;
  if (s == "left") return 5;
  if (s == "right") return 6;
  if (s == "justify") return 7;
  return 0;
}

int borderStyleCodeOf(std::string_view Text) {
  static constexpr std::string_view kNames[] = {"none",   "solid",  "inset",  "outset", "groove",
                                                "ridge",  "dashed", "dotted", "double"};
  const std::string s = lowerAscii(trimAscii(Text));
  for (int i = 0; i < static_cast<int>(std::size(kNames)); ++i)
    if (s == kNames[i]) return i;
  return 0;
}

TListStyleCode listStyleCodeOf(std::string_view Text) {
  static constexpr std::string_view kNames[] = {"blank",       "circle", "decimal", "disc",        "lower-alpha",
                                                "lower-roman", "none",   "square",  "upper-alpha", "upper-roman"};
  const std::string s = lowerAscii(trimAscii(Text));
  for (int i = 0; i < static_cast<int>(std::size(kNames)); ++i)
    if (s == kNames[i]) return static_cast<TListStyleCode>(i);
  return lsBlank;
}

std::string_view mapGenericFamily(std::string_view Name) {
  // Compared without a lowered copy: every element's font passes through here.
  const auto is = [&](std::string_view generic) { return core::equalsIgnoreAsciiCase(Name, generic); };
  if (is("serif")) return "Times New Roman";
  if (is("monospace")) return "Courier New";
  if (is("sans-serif")) return "Arial";
  if (is("cursive")) return "Lucida Handwriting";
  return Name;
}

std::optional<TVerticalAlign> verticalAlignOf(std::string_view Text) {
  const std::string s = lowerAscii(trimAscii(Text));
  if (s == "top" || s == "text-top") return TVerticalAlign::Top;
  if (s == "middle") return TVerticalAlign::Middle;
  if (s == "baseline") return TVerticalAlign::Baseline;
  if (s == "bottom") return TVerticalAlign::Bottom;
  if (s == "sub") return TVerticalAlign::Subscript;
  if (s == "super") return TVerticalAlign::Superscript;
  return std::nullopt;
}

TSide floatSideOf(std::string_view Text) {
  const std::string s = lowerAscii(trimAscii(Text));
  if (s == "left") return TSide::Left;
  if (s == "right") return TSide::Right;
  return TSide::None;
}

TSide clearSideOf(std::string_view Text) {
  const std::string s = lowerAscii(trimAscii(Text));
  if (s == "both") return TSide::Both;
  return floatSideOf(s);
}

TPositionKind positionKindOf(std::string_view Text) {
  const std::string s = lowerAscii(trimAscii(Text));
  if (s == "absolute") return TPositionKind::Absolute;
  if (s == "relative") return TPositionKind::Relative;
  return TPositionKind::Static;
}

double htmlFontSizePoints(int Size, bool InsidePre, double DefaultFontSize) {
  static constexpr double kNormal[7] = {8, 10, 12, 14, 18, 24, 36};
  static constexpr double kPre[7] = {7, 8, 10, 12, 15, 20, 30};
  const int i = std::clamp(Size, 1, 7) - 1;
  return (InsidePre ? kPre[i] : kNormal[i]) * DefaultFontSize / 12.0;
}

}  // namespace lumora::html
