#include "skin/hint_markup.h"

#include <algorithm>
#include <charconv>

namespace lumora::skin {

namespace {

// Saved fonts of nested FONT tags; deeper nesting restores the outermost ones only.
constexpr size_t kMaxSavedFonts = 256;

std::string upperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The run's text as shown: no line ends, and the references the program's own hint texts use for
// characters of tag values ("&lt;" and the like) as the characters.
std::string displayText(std::string_view run) {
  std::string out;
  out.reserve(run.size());
  static constexpr struct {
    std::string_view name;
    char c;
  } refs[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
  for (size_t i = 0; i < run.size(); ++i) {
    const char c = run[i];
    if (c == '\r' || c == '\n') continue;
    if (c == '&') {
      bool replaced = false;
      for (const auto& ref : refs) {
        if (run.substr(i, ref.name.size()) == ref.name) {
          out += ref.c;
          i += ref.name.size() - 1;
          replaced = true;
          break;
        }
      }
      if (replaced) continue;
    }
    out += c;
  }
  return out;
}

bool isSeparator(char c) {
  return c == ' ' || c == '\r' || c == '\n' || c == '"' || c == '<' || c == '>' || c == '=';
}

struct Word {
  std::string_view text;
  size_t end;  // position after the word in the tag
};

std::vector<Word> splitWords(std::string_view tag) {
  std::vector<Word> words;
  size_t i = 0;
  while (i < tag.size()) {
    while (i < tag.size() && isSeparator(tag[i])) ++i;
    const size_t start = i;
    while (i < tag.size() && !isSeparator(tag[i])) ++i;
    if (i > start) words.push_back({tag.substr(start, i - start), i});
  }
  return words;
}

void applySize(std::string_view word, HintFont& font) {
  if (word.empty()) return;
  const char sign = word.front();
  std::string_view digits = (sign == '+' || sign == '-') ? word.substr(1) : word;
  if (digits.empty()) return;
  int64_t n = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (ec == std::errc::result_out_of_range) {
    n = kMaxHintFontSize;  // a number too long to read is at least as large as the largest size
  } else if (ec != std::errc() || end != digits.data() + digits.size()) {
    return;
  }
  n = std::min<int64_t>(n, kMaxHintFontSize);
  int64_t size = sign == '+' ? font.Size + n : sign == '-' ? font.Size - n : n;
  font.Size = static_cast<int>(std::clamp<int64_t>(size, kMinHintFontSize, kMaxHintFontSize));
}

void applyFontAttributes(std::string_view upperTag, HintFont& font) {
  const std::vector<Word> words = splitWords(upperTag);
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string_view w = words[i].text;
    if (w == "SIZE" && i + 1 < words.size()) {
      applySize(words[i + 1].text, font);
    } else if (w == "COLOR" && i + 1 < words.size()) {
      // A colour that cannot be read leaves the text in the colour it had.
      const int64_t color = hintColorValue(words[i + 1].text);
      if (color >= 0) font.Color = static_cast<uint32_t>(color);
    } else if (w == "FACE") {
      const size_t open = upperTag.find('"', words[i].end);
      if (open == std::string_view::npos) continue;
      const size_t close = upperTag.find('"', open + 1);
      if (close == std::string_view::npos) continue;
      font.Face = std::string(upperTag.substr(open + 1, close - open - 1));
    }
  }
}

}  // namespace

int64_t hintColorValue(std::string_view word) {
  static constexpr struct {
    std::string_view name;
    uint32_t value;
  } names[] = {{"AQUA", 0xFFFF00},   {"BLACK", 0},          {"BLUE", 0xFF0000},   {"FUCHSIA", 0xFF00FF},
               {"GRAY", 0x808080},   {"GREEN", 0x008000},   {"LIME", 0x00FF00},   {"MAROON", 0x000080},
               {"NAVY", 0x800000},   {"OLIVE", 0x008080},   {"PURPLE", 0x800080}, {"RED", 0x0000FF},
               {"SILVER", 0xC0C0C0}, {"TEAL", 0x808000},    {"WHITE", 0xFFFFFF},  {"YELLOW", 0x00FFFF}};
  if (word.empty()) return -1;
  if (word.front() == '#') {
    // Red, green and blue as the first, second and third pair of digits; a missing pair is 0.
    const std::string_view digits = word.substr(1, 6);
    uint32_t channels[3] = {0, 0, 0};
    for (size_t i = 0; i < digits.size(); ++i) {
      const int d = hexDigit(digits[i]);
      if (d < 0) return -1;
      channels[i / 2] = channels[i / 2] * 16 + static_cast<uint32_t>(d);
    }
    if (digits.size() % 2 == 1) channels[digits.size() / 2] *= 16;
    return channels[0] | (channels[1] << 8) | (channels[2] << 16);
  }
  for (const auto& n : names) {
    if (word == n.name) return n.value;
  }
  if (word.size() > 8) return -1;
  uint32_t value = 0;
  for (char c : word) {
    const int d = hexDigit(c);
    if (d < 0) return -1;
    value = value * 16 + static_cast<uint32_t>(d);
  }
  return value & 0xFFFFFF;
}

HintLayout layoutHintMarkup(std::string_view text, const HintFont& baseFont, const HintMetrics& metrics) {
  const std::string upper = upperAscii(text);
  HintLayout layout;
  HintFont font = baseFont;
  font.Size = std::clamp(font.Size, kMinHintFontSize, kMaxHintFontSize);
  std::vector<HintFont> saved;
  int x = 0, y = 0, lineHeight = 0, lineRight = 0, widest = 0;

  const auto draw = [&](size_t from, size_t to) {
    if (to <= from) return;
    std::string shown = displayText(text.substr(from, to - from));
    if (shown.empty()) return;  // only line ends: nothing drawn, and the line keeps its height
    const int width = std::max(0, metrics.textWidth(font, shown));
    layout.Runs.push_back({std::move(shown), x, y, width, font});
    x += width;
    lineRight = x;
    lineHeight = std::max(lineHeight, metrics.lineHeight(font));
  };
  const auto lineBreak = [&] {
    y += lineHeight + 2;
    widest = std::max(widest, lineRight);
    lineRight = 0;
    lineHeight = 0;
    x = 0;
  };
  // Where a name first occurs in the tag, 0 being the "<".
  const auto at = [](std::string_view tag, std::string_view name) { return tag.find(name); };

  size_t runStart = 0, scan = 0;
  while (true) {
    const size_t lt = upper.find('<', scan);
    if (lt == std::string::npos) {
      draw(runStart, text.size());
      break;
    }
    if (lt + 1 < upper.size() && upper[lt + 1] == '<') {
      draw(runStart, lt);
      runStart = lt + 1;
      scan = lt + 2;
      continue;
    }
    draw(runStart, lt);
    const size_t gt = upper.find('>', lt);
    if (gt == std::string::npos) break;  // the rest is an unfinished tag and is not shown
    const std::string_view tag(upper.data() + lt, gt - lt + 1);
    if (at(tag, "/") == 1) {
      if (at(tag, "B") == 2) {
        font.Bold = false;
      } else if (at(tag, "I") == 2) {
        font.Italic = false;
      } else if (at(tag, "FONT") == 2 && !saved.empty()) {
        font = saved.back();
        saved.pop_back();
      }
    } else if (at(tag, "BR") == 1) {
      lineBreak();
    } else if (at(tag, "B") == 1) {
      font.Bold = true;
    } else if (at(tag, "I") == 1) {
      font.Italic = true;
    } else if (at(tag, "P") == 1) {
      lineBreak();
    } else if (at(tag, "FONT") == 1) {
      if (saved.size() < kMaxSavedFonts) saved.push_back(font);
      applyFontAttributes(tag, font);
    }
    runStart = scan = gt + 1;
  }
  widest = std::max(widest, lineRight);
  layout.Width = widest;
  layout.Height = y + lineHeight;
  return layout;
}

}  // namespace lumora::skin
