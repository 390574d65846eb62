#include "html/css_parser.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <utility>
#include <vector>

#include "html/html_style_convert.h"
#include "url/url_utils.h"

namespace lumora::html {
namespace {

// --- Character classes (ASCII only; bytes above 127 belong to none) ---

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSelectorChar(char c) {
  return isLetter(c) || isDigit(c) || c == ' ' || c == '#' || c == '-' || c == '.' || c == ':' || c == '_';
}
bool isPropertyNameChar(char c) { return isLetter(c) || isDigit(c) || c == '-'; }
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

// --- Tables ---

enum Shorthand : int {
  shMargin, shPadding, shBorderWidth, shBorder, shBorderTop, shBorderRight, shBorderBottom, shBorderLeft,
  shFont, shBackground, shListStyle, shBorderColor, shBorderStyle
};
constexpr std::array<std::string_view, 13> kShorthands = {
    "margin", "padding", "border-width", "border", "border-top", "border-right", "border-bottom",
    "border-left", "font", "background", "list-style", "border-color", "border-style"};

int shorthandCode(std::string_view name) {
  for (size_t i = 0; i < kShorthands.size(); ++i)
    if (kShorthands[i] == name) return static_cast<int>(i);
  return -1;
}

constexpr std::array<std::string_view, 16> kFontKeywords = {
    "italic", "oblique", "normal", "bolder", "lighter", "bold", "small-caps", "larger",
    "smaller", "xx-small", "x-small", "small", "medium", "large", "x-large", "xx-large"};

int fontKeyword(std::string_view word) {
  for (size_t i = 0; i < kFontKeywords.size(); ++i)
    if (kFontKeywords[i] == word) return static_cast<int>(i);
  return -1;
}

constexpr std::array<std::string_view, 9> kBorderStyles = {"none",   "solid", "dashed", "dotted", "double",
                                                           "groove", "inset", "outset", "ridge"};
bool isBorderStyle(std::string_view word) {
  return std::find(kBorderStyles.begin(), kBorderStyles.end(), word) != kBorderStyles.end();
}

// --- Value helpers ---

// One pair of enclosing quotes removed.
std::string_view unquote(std::string_view v) {
  if (v.size() > 1 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// At most MaxIndex + 1 words. Double spaces count as one, a space after a comma is dropped (so rgb() colours
// and family lists stay one word), quotes hold spaces, and "12px/1.5" splits before the slash.
std::vector<std::string> SplitValueWords(std::string_view value, size_t maxIndex) {
  value = trimAscii(value);
  std::string s;
  s.reserve(value.size());
  for (char c : value) {
    if (c == ' ' && !s.empty() && (s.back() == ' ' || s.back() == ',')) continue;
    s += c;
  }
  std::vector<std::string> words;
  const size_t limit = maxIndex + 1;
  auto add = [&](std::string_view w) {
    if (words.size() >= limit) return;
    const size_t slash = w.size() > 1 ? w.find('/', 1) : std::string_view::npos;
    if (slash == std::string_view::npos) {
      words.emplace_back(w);
      return;
    }
    words.emplace_back(w.substr(0, slash));
    if (words.size() < limit) words.emplace_back(w.substr(slash));
  };
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i < s.size() && words.size() < limit; ++i) {
    const char c = s[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ' ') {
      if (i > start) add(std::string_view(s).substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < s.size()) add(std::string_view(s).substr(start));
  return words;
}

// Takes up to seven url(...) groups (then rgb(...) groups) out of Value.
std::vector<std::string> ExtractFunctionGroups(std::string& value) {
  std::vector<std::string> groups;
  while (groups.size() < 7) {
    size_t start = value.find("url(");
    if (start == std::string::npos) start = value.find("rgb(");
    if (start == std::string::npos) break;
    const size_t close = value.find(')');
    if (close == std::string::npos || close < start) break;
    groups.push_back(value.substr(start, close - start + 1));
    value.erase(start, close - start + 1);
  }
  return groups;
}

// "url(address)" with a relative address made absolute against Base (a URL or a local directory).
std::string ResolveStyleUrl(std::string_view value, const std::string& base) {
  const size_t open = value.find("url(");
  std::string_view url = value.substr(open == std::string_view::npos ? std::min<size_t>(4, value.size()) : open + 4);
  url = trimAscii(url.substr(0, url.find(')')));
  if (url.size() > 2 && (url.front() == '"' || url.front() == '\'')) url = url.substr(1, url.size() - 2);
  std::string address;
  if (contains(base, "://")) {
    address = url::IsFullURL(url) ? std::string(url) : url::CombineURL(base, url);
  } else {
    address = url::UrlToDosPath(url);
    const bool absolute = (address.size() > 1 && address[1] == ':') || address.starts_with("\\\\");
    if (!absolute) address = base + address;
  }
  return "url(" + address + ")";
}

// --- Shorthands ---

// Where the declarations of a sheet rule or a STYLE attribute go.
class TDeclarationTarget {
 public:
  virtual ~TDeclarationTarget() = default;
  virtual void Set(std::string_view name, std::string_view value) = 0;
  const std::string& Base() const { return base_; }

 protected:
  explicit TDeclarationTarget(std::string base) : base_(std::move(base)) {}

 private:
  std::string base_;
};

void ExpandBoxShorthand(TDeclarationTarget& t, std::string_view prefix, std::string_view suffix,
                        std::string_view value) {
  const std::vector<std::string> w = SplitValueWords(value, 3);
  if (w.empty()) return;
  auto set = [&](std::string_view side, const std::string& v) {
    std::string name(prefix);
    name += side;
    name += suffix;
    t.Set(name, v);
  };
  const std::string& top = w[0];
  const std::string& right = w.size() > 1 ? w[1] : w[0];
  const std::string& bottom = w.size() > 2 ? w[2] : w[0];
  const std::string& left = w.size() > 3 ? w[3] : right;
  set("top", top);
  if (w.size() == 4) {
    set("right", right);
    set("bottom", bottom);
    set("left", left);
  } else if (w.size() == 1) {
    set("right", right);
    set("bottom", bottom);
    set("left", left);
  } else {
    set("bottom", bottom);
    set("right", right);
    set("left", left);
  }
}

void ExpandBorderShorthand(TDeclarationTarget& t, const std::string& name, std::string_view value) {
  std::string rest(value);
  TColor color = 0;
  for (const std::string& g : ExtractFunctionGroups(rest))
    if (ParseColor(g, true, color)) t.Set(name + "-color", g);
  for (const std::string& w : SplitValueWords(rest, 6)) {
    if (ParseColor(w, true, color)) {
      t.Set(name + "-color", w);
    } else if (isBorderStyle(w)) {
      t.Set(name + "-style", w);
    } else if (name == "border") {
      for (const char* side : {"border-top-width", "border-right-width", "border-bottom-width", "border-left-width"})
        t.Set(side, w);
    } else {
      t.Set(name + "-width", w);
    }
  }
}

void ExpandFontShorthand(TDeclarationTarget& t, std::string_view value) {
  for (const std::string& w : SplitValueWords(value, 6)) {
    if (w.empty()) continue;
    if (w[0] == '/') {
      t.Set("line-height", std::string_view(w).substr(1));
      continue;
    }
    const int k = fontKeyword(w);
    if (k >= 0) {
      t.Set(k <= 1 ? "font-style" : k <= 5 ? "font-weight" : k == 6 ? "font-variant" : "font-size", w);
    } else if (!isDigit(w[0])) {
      t.Set("font-family", w);
    } else {
      // A bare number of 100 or more is a weight, which this form does not take.
      int n = 0;
      const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), n);
      const bool whole = ec == std::errc() && end == w.data() + w.size();
      if (!whole || n < 100) t.Set("font-size", w);
    }
  }
}

void ExpandBackgroundShorthand(TDeclarationTarget& t, std::string_view value) {
  std::string rest(value);
  for (const std::string& g : ExtractFunctionGroups(rest)) {
    if (g.starts_with("rgb(")) {
      t.Set("background-color", g);
    } else {
      t.Set("background-image", t.Base().empty() ? g : ResolveStyleUrl(g, t.Base()));
    }
  }
  std::vector<std::string> left;
  TColor color = 0;
  for (const std::string& w : SplitValueWords(rest, 6)) {
    if (ParseColor(w, true, color)) {
      t.Set("background-color", w);
    } else if (w == "none") {
      t.Set("background-image", "none");
    } else if (contains(w, "repeat")) {
      t.Set("background-repeat", w);
    } else if (w == "fixed" || w == "scroll") {
      t.Set("background-attachment", w);
    } else {
      left.push_back(w);
    }
  }
  if (left.empty()) return;
  std::string position;
  for (size_t i = left.size() >= 2 ? left.size() - 2 : 0; i < left.size(); ++i) position += left[i] + " ";
  t.Set("background-position", position);
}

void ExpandListStyleShorthand(TDeclarationTarget& t, std::string_view value) {
  for (const std::string& w : SplitValueWords(value, 6)) {
    if (contains(w, "url(")) {
      t.Set("list-style-image", t.Base().empty() ? w : ResolveStyleUrl(w, t.Base()));
    } else {
      t.Set("list-style-type", w);
    }
  }
}

// One declaration: a shorthand expanded, anything else set as it is. V0 is the trimmed lower-case value.
void declare(TDeclarationTarget& t, const std::string& name, std::string_view v0) {
  const std::string_view v = unquote(v0);
  switch (shorthandCode(name)) {
    case shMargin: return ExpandBoxShorthand(t, "margin-", "", v);
    case shPadding: return ExpandBoxShorthand(t, "padding-", "", v);
    case shBorderWidth: return ExpandBoxShorthand(t, "border-", "-width", v);
    case shBorderColor: return ExpandBoxShorthand(t, "border-", "-color", v);
    case shBorderStyle: return ExpandBoxShorthand(t, "border-", "-style", v);
    case shBorder:
    case shBorderTop:
    case shBorderRight:
    case shBorderBottom:
    case shBorderLeft: return ExpandBorderShorthand(t, name, v);
    case shFont: return ExpandFontShorthand(t, v0);
    case shBackground: return ExpandBackgroundShorthand(t, v);
    case shListStyle: return ExpandListStyleShorthand(t, v);
    default:
      if (!t.Base().empty() && contains(v, "url(")) {
        t.Set(name, ResolveStyleUrl(v, t.Base()));
      } else {
        t.Set(name, v);
      }
  }
}

// --- Selectors to keys ---

// One selector word; with the sort flag its parts are ordered tag, classes, ID, pseudo-classes, each kind
// alphabetically, so "a:hover#top" and "a#top:hover" give one key.
std::string SelectorKey(std::string_view word, bool sort) {
  if (!sort) return std::string(word);
  std::array<std::vector<std::string_view>, 4> kinds;  // tag, class, id, pseudo
  size_t i = 0;
  while (i < word.size()) {
    size_t j = i + 1;
    while (j < word.size() &&
           (word[j] == '-' || word[j] == '_' || isDigit(word[j]) || (word[j] >= 'a' && word[j] <= 'z')))
      ++j;
    const std::string_view part = word.substr(i, j - i);
    const int kind = part[0] == '.' ? 1 : part[0] == '#' ? 2 : part[0] == ':' ? 3 : 0;
    kinds[static_cast<size_t>(kind)].push_back(part);
    i = j;
  }
  std::string key;
  key.reserve(word.size());
  for (auto& parts : kinds) {
    std::sort(parts.begin(), parts.end());
    for (std::string_view p : parts) key += p;
  }
  return key;
}

// A whole selector: one word is its own key; "ul li a" becomes "a", a space, the ancestor count and the
// style list's next sequence number, then the ancestors nearest first, each followed by a space. The
// sequence number gives every descendant rule a key of its own.
std::string DescendantKey(std::string_view selector, bool sort, TStyleList& list) {
  if (!contains(selector, " ")) return SelectorKey(selector, sort);
  std::vector<std::string_view> words;
  size_t start = 0;
  while (start < selector.size()) {
    const size_t sp = std::min(selector.find(' ', start), selector.size());
    if (sp > start) words.push_back(selector.substr(start, sp - start));
    start = sp + 1;
  }
  if (words.size() < 2) return words.empty() ? std::string() : SelectorKey(words[0], sort);
  std::string key = SelectorKey(words.back(), sort);
  key += ' ';
  key += std::to_string(words.size() - 1);
  key += list.nextSequence();
  for (size_t w = words.size() - 1; w-- > 0;) {
    key += SelectorKey(words[w], sort);
    key += ' ';
  }
  return key;
}

// --- Style sheets ---

// Every declaration of a rule goes to each of the rule's keys. A hostile sheet could pair a long selector
// list with a long declaration block (keys times declarations), so the number of rule edits is bounded by
// the length of the sheet; real sheets stay far below the bound.
constexpr uint64_t kFreeRuleEdits = 1u << 18;
constexpr uint64_t kRuleEditsPerChar = 2;

// The state of one sheet being read.
class TSheetReader : public TDeclarationTarget {
 public:
  TSheetReader(TStyleList& list, const TStyleCharSource& source, bool linked, const std::string& base)
      : TDeclarationTarget(base), list_(list), source_(source), linked_(linked) {}

  char Read(char first) {
    pushed_ = first == '\r' ? ' ' : first;
    hasPushed_ = true;
    cur_ = ' ';
    while (cur_ == ' ' || cur_ == '!' || cur_ == '-' || cur_ == '<' || cur_ == '>') Next();
    while (cur_ != 0 && (linked_ || cur_ != '<')) {
      if (cur_ == '@') {
        ReadAtRule();
      } else if (cur_ == '<') {
        while (cur_ != ' ' && cur_ != 0) Next();
        SkipBlanks();
      } else {
        readRule();
      }
      while (cur_ == ' ' || cur_ == '-' || cur_ == '>') Next();
    }
    return upperAscii(cur_);
  }

  void Set(std::string_view name, std::string_view value) override {
    if (!propertyIndex(name)) return;  // the style list would drop it for every key
    for (const std::string& key : keys_) {
      if (edits_ >= kFreeRuleEdits + kRuleEditsPerChar * charsRead_) return;
      ++edits_;
      list_.SetRuleProperty(key, name, value);
    }
  }

 private:
  char raw() {
    ++charsRead_;
    const char c = source_();
    return c == '\r' ? ' ' : c;
  }

  // The next character, with comments removed.
  void Next() {
    char c;
    if (hasPushed_) {
      c = pushed_;
      hasPushed_ = false;
    } else {
      c = raw();
    }
    while (c == '/') {
      const char after = raw();
      if (after != '*') {
        pushed_ = after;
        hasPushed_ = true;
        break;
      }
      // Inside a comment: it ends at the first "*/", at the end of input, or at "<" (which stays current,
      // so an unclosed comment cannot swallow the end tag of its STYLE element).
      c = raw();
      bool closed = false;
      while (c != 0 && c != '<') {
        if (c == '*') {
          c = raw();
          if (c == '/') {
            closed = true;
            break;
          }
        } else {
          c = raw();
        }
      }
      if (!closed) break;
      c = raw();
    }
    cur_ = c;
  }

  void SkipBlanks() {
    while (cur_ == ' ') Next();
  }

  void readRule() {
    keys_.clear();
    ReadSelectors();
    ReadDeclarations();
  }

  void ReadAtRule() {
    std::string text;
    for (;;) {
      Next();
      if (cur_ == 0 || cur_ == '<') return;
      text += cur_;
      if (cur_ == ';') {
        Next();
        return;
      }
      if (cur_ == '{') break;
    }
    if (contains(lowerAscii(text), "screen")) {
      Next();
      SkipBlanks();
      while (cur_ != '}' && cur_ != '<' && cur_ != 0) {
        readRule();
        SkipBlanks();
      }
    } else {
      // Nested blocks are counted rather than recursed into, so deep nesting costs no stack.
      size_t depth = 1;
      Next();
      while (cur_ != '<' && cur_ != 0) {
        if (cur_ == '{') {
          ++depth;
        } else if (cur_ == '}' && --depth == 0) {
          break;
        }
        Next();
      }
    }
    if (cur_ == '}') Next();
  }

  void ReadSelectors() {
    do {
      if (cur_ == ',') Next();
      SkipBlanks();
      std::string text;
      bool sort = false;
      int markers = 0;
      while (isSelectorChar(cur_)) {
        if (cur_ == ' ') {
          markers = 0;
        } else if ((cur_ == '#' || cur_ == '.' || cur_ == ':') && ++markers >= 2) {
          sort = true;
        }
        text += cur_;
        Next();
      }
      keys_.push_back(DescendantKey(trimAscii(lowerAscii(text)), sort, list_));
    } while (cur_ == ',');
    while (cur_ != '{' && cur_ != '<' && cur_ != 0) Next();
  }

  void ReadDeclarations() {
    if (cur_ != '{') return;
    Next();
    for (;;) {
      SkipBlanks();
      std::string name;
      while (isPropertyNameChar(cur_)) {
        name += cur_;
        Next();
      }
      name = lowerAscii(trimAscii(name));
      SkipBlanks();
      if (cur_ == ':' || cur_ == '=') {
        Next();
        std::string value;
        while (cur_ != ';' && cur_ != '}' && cur_ != '<' && cur_ != 0) {
          value += cur_;
          Next();
        }
        declare(*this, name, lowerAscii(trimAscii(value)));
      }
      SkipBlanks();
      if (cur_ == ';') Next();
      while (!isPropertyNameChar(cur_) && cur_ != '<' && cur_ != '}' && cur_ != 0) Next();
      if (cur_ == '}' || cur_ == '<' || cur_ == 0) break;
    }
    if (cur_ == '}') Next();
  }

  TStyleList& list_;
  const TStyleCharSource& source_;
  const bool linked_;
  char cur_ = ' ';
  char pushed_ = 0;
  bool hasPushed_ = false;
  std::vector<std::string> keys_;
  uint64_t charsRead_ = 0;
  uint64_t edits_ = 0;
};

// --- STYLE attributes ---

class TInlineTarget : public TDeclarationTarget {
 public:
  explicit TInlineTarget(TProperties& props) : TDeclarationTarget(std::string()), props_(props) {}
  void Set(std::string_view name, std::string_view value) override { props_.SetInlineProperty(name, value); }

 private:
  TProperties& props_;
};

bool isInlineBlank(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

}  // namespace

void ReadStyleSheet(TStyleList& StyleList, char& CurrentChar, const TStyleCharSource& Source, bool IsLinked,
                    const std::string& Base) {
  TSheetReader reader(StyleList, Source, IsLinked, Base);
  CurrentChar = reader.Read(CurrentChar);
}

void readLinkedStyleSheet(TStyleList& StyleList, std::string_view Text, const std::string& Base) {
  // Every line end (CR LF, LF, CR) reads as one CR; tabs read as spaces.
  size_t pos = 0;
  const TStyleCharSource source = [&]() -> char {
    while (pos < Text.size()) {
      const char c = Text[pos++];
      if (c == '\n') {
        if (pos >= 2 && Text[pos - 2] == '\r') continue;
        return '\r';
      }
      return c == '\t' ? ' ' : c;
    }
    return 0;
  };
  char first = source();
  ReadStyleSheet(StyleList, first, source, true, Base);
}

void readStyleElement(TStyleList& StyleList, THtmlLexer& Lexer) {
  // The lexer stops at the ">" of the start tag; the sheet reads on with the lexer's own reader, so when it
  // stops at the "<" of the end tag that "<" is the lexer's current character.
  char current = Lexer.LCh;
  const TStyleCharSource source = [&Lexer] { return Lexer.ReadChar(); };
  ReadStyleSheet(StyleList, current, source, false, std::string());
}

void ReadInlineStyle(std::string_view Text, TProperties& PropertySet) {
  const std::string text = lowerAscii(Text);
  TInlineTarget target(PropertySet);
  size_t i = 0;
  const size_t n = text.size();
  auto skipBlanks = [&] {
    while (i < n && isInlineBlank(text[i])) ++i;
  };
  while (i < n) {
    skipBlanks();
    const size_t nameStart = i;
    while (i < n && isPropertyNameChar(text[i])) ++i;
    const std::string name(trimAscii(std::string_view(text).substr(nameStart, i - nameStart)));
    skipBlanks();
    if (i < n && (text[i] == ':' || text[i] == '=')) {
      ++i;
      const size_t valueStart = i;
      while (i < n && text[i] != ';') ++i;
      std::string value(trimAscii(std::string_view(text).substr(valueStart, i - valueStart)));
      for (char& c : value)
        if (isInlineBlank(c)) c = ' ';
      declare(target, name, value);
    }
    skipBlanks();
    if (i < n && text[i] == ';') ++i;
    while (i < n && !isPropertyNameChar(text[i])) ++i;
  }
}

std::shared_ptr<TProperties> parseStyleAttribute(const TAttributeList& Attributes) {
  const TAttribute* style = Attributes.find(StyleSy);
  if (!style) return nullptr;
  auto props = std::make_shared<TProperties>();
  ReadInlineStyle(style->Name, *props);
  return props;
}

}  // namespace lumora::html
