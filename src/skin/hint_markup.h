#pragma once
// The small markup of hint texts (TsHtml): <b>, <i>, <br>, <p>, <font color= size= face=> and their end
// tags, "<<" for a literal "<". Laid out without any wrapping into runs of text with their positions; the
// widths come through a metrics interface, so the layout needs no toolkit (and fuzzes with the engine).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::skin {

struct HintFont {
  std::string Face;
  int Size = 8;  // points
  bool Bold = false;
  bool Italic = false;
  uint32_t Color = 0;  // 0x00BBGGRR, as hint texts write colours
  bool operator==(const HintFont&) const = default;
};

// Font sizes stay in this range whatever a hint asks for.
inline constexpr int kMinHintFontSize = 1;
inline constexpr int kMaxHintFontSize = 200;

class HintMetrics {
 public:
  virtual ~HintMetrics() = default;
  // Width in pixels of a run of UTF-8 text in `font`.
  virtual int textWidth(const HintFont& font, std::string_view text) const = 0;
  // Height in pixels of the text "X" in `font`: the height a line takes.
  virtual int lineHeight(const HintFont& font) const = 0;
};

struct HintRun {
  std::string Text;  // UTF-8, without line ends, the references &amp; &lt; &gt; &quot; replaced
  int X = 0, Y = 0;  // top-left corner, from the text's top-left corner
  int Width = 0;
  HintFont Font;
  bool operator==(const HintRun&) const = default;
};

struct HintLayout {
  std::vector<HintRun> Runs;
  int Width = 0;   // the widest line's right end
  int Height = 0;  // the last line's top plus its height
};

// Lines are 2 pixels apart; an empty line has no height, so "<br><br>" adds only those 2 pixels. A "<"
// with no ">" after it ends the text there.
HintLayout layoutHintMarkup(std::string_view text, const HintFont& font, const HintMetrics& metrics);

// The colour a FONT tag's COLOR word gives: "#RRGGBB", a colour name (AQUA ... YELLOW) or hexadecimal
// digits taken as 0xBBGGRR; -1 for anything else.
int64_t hintColorValue(std::string_view upperWord);

}  // namespace lumora::skin
