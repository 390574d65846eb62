#pragma once
// Conversions of CSS and HTML attribute text into the values layout uses: lengths in pixels, font sizes in
// points, colours, and the keyword tables of the style properties.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumora::html {

// Colours: red in the low byte, green next, blue third. The high byte carries flags.
using TColor = int32_t;
inline constexpr TColor kColorNone = 0x1FFFFFFF;           // "transparent", or no colour given
inline constexpr TColor kPaletteRelative = 0x02000000;     // colours read from "#" or "rgb(" notation
inline constexpr TColor kSystemColorFlag = static_cast<TColor>(0xFF000000u);  // low byte: system colour index

// Integer markers used in the box properties.
inline constexpr int kUnsetLength = -12345678;
inline constexpr int kParagraphSpace = -12348766;
inline constexpr int kAutoLength = -12348765;
// A converted length as pixels, auto and unset counting as none.
inline constexpr int orZero(int v) { return v == kAutoLength || v == kUnsetLength ? 0 : v; }
inline constexpr int kParagraphSpacePixels = 14;

// Logical pixels per inch of a display nobody has measured; the host gives the real figure.
inline constexpr int kDefaultPixelsPerInch = 96;

// Length text ("12px", "2em", "50%", "1.5") in pixels; `Default` for an unknown unit, a bare number is a
// multiple of Base when Relative. Rounded to the nearest integer, ties to even. Physical units (in, cm, mm,
// pt, pc) use the display's PixelsPerInch.
int ToPixels(std::string_view Text, bool Relative, double Base, int Default, double EmSize, double ExSize,
             int PixelsPerInch);

// The largest font size a page can ask for, in points; larger sizes are taken as this one.
inline constexpr double kMaxFontPoints = 1000;

// A font size in points, at most kMaxFontPoints. Base is the parent's size in points; DefaultSize the
// document's default font size, which the size keywords ("small", "large", ...) are relative to.
double ToPoints(std::string_view Text, double Base, double DefaultSize, int PixelsPerInch);

// A colour name, "#rgb", "#rrggbb", "rgb(r, g, b)" (numbers or percentages) or, when NeedPound is false, bare
// hexadecimal digits. Returns false (leaving Color alone) when the text is not a colour.
bool ParseColor(std::string_view Text, bool NeedPound, TColor& Color);

// ALIGN attribute words: "top" 1, "middle"/"absmiddle"/"center" 2, "baseline" 3, "bottom" 4, "left" 5,
// "right" 6, "justify" 7, anything else 0.
int AlignmentCode(std::string_view Text);

// Border styles: "none" 0, "solid" 1, "inset" 2, "outset" 3, "groove" 4, "ridge" 5, "dashed" 6, "dotted" 7,
// "double" 8; anything else 0.
int borderStyleCodeOf(std::string_view Text);

// list-style-type codes; 0 (also for unknown words) means the list's own default.
enum TListStyleCode : int {
  lsBlank = 0, lsCircle, lsDecimal, lsDisc, lsLowerAlpha, lsLowerRoman, lsNone, lsSquare, lsUpperAlpha,
  lsUpperRoman
};
TListStyleCode listStyleCodeOf(std::string_view Text);

// "serif", "monospace", "sans-serif" and "cursive" become the faces that stand for them; other names are
// returned unchanged (the view refers to Name then).
std::string_view mapGenericFamily(std::string_view Name);

enum class TVerticalAlign { Top, Middle, Baseline, Bottom, Subscript, Superscript };
std::optional<TVerticalAlign> verticalAlignOf(std::string_view Text);
enum class TSide { None, Left, Right, Both };
TSide floatSideOf(std::string_view Text);   // "left", "right", else None
TSide clearSideOf(std::string_view Text);   // "left", "right", "both", else None
enum class TPositionKind { Static, Relative, Absolute };
TPositionKind positionKindOf(std::string_view Text);

// FONT and BASEFONT SIZE 1 to 7 in points, for the document's default font size (the table is for 12 points
// and scales with it). Sizes outside 1 to 7 are clamped.
double htmlFontSizePoints(int Size, bool InsidePre, double DefaultFontSize);

// Helpers shared by the style code.
std::string lowerAscii(std::string_view s);
std::string_view trimAscii(std::string_view s);

}  // namespace lumora::html
