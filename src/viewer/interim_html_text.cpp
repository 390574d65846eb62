#include "viewer/interim_html_text.h"

#include <cctype>
#include <cstdint>

#include "core/codepage.h"

namespace lumora::viewer {

namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

void appendCodePoint(std::string& out, uint32_t c) {
  if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  core::appendUtf8(out, c);
}

// Decodes the common character references; anything unknown stays as written.
std::string decodeEntities(std::string_view s) {
  static const struct {
    const char* name;
    uint32_t code;
  } kNamed[] = {{"amp", '&'},     {"lt", '<'},      {"gt", '>'},      {"quot", '"'},    {"apos", 8217},
                {"nbsp", 0xA0},   {"copy", 0xA9},   {"reg", 0xAE},    {"laquo", 0xAB},  {"raquo", 0xBB},
                {"mdash", 0x2014}, {"ndash", 0x2013}, {"hellip", 0x2026}, {"trade", 0x2122}, {"middot", 0xB7}};
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    const size_t semi = s.find(';', i);
    if (semi == std::string_view::npos || semi - i > 10) {
      out += '&';
      continue;
    }
    const std::string_view name = s.substr(i + 1, semi - i - 1);
    bool done = false;
    if (!name.empty() && name[0] == '#') {
      uint32_t code = 0;
      const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
      const std::string_view digits = name.substr(hex ? 2 : 1);
      bool ok = !digits.empty();
      for (char c : digits) {
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : (hex && std::isxdigit(static_cast<unsigned char>(c)))
                          ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                          : -1;
        if (d < 0 || code > 0x10FFFF) {
          ok = false;
          break;
        }
        code = code * (hex ? 16 : 10) + static_cast<uint32_t>(d);
      }
      if (ok) {
        appendCodePoint(out, code);
        done = true;
      }
    } else {
      for (const auto& entity : kNamed) {
        if (name == entity.name) {
          appendCodePoint(out, entity.code);
          done = true;
          break;
        }
      }
    }
    if (done) {
      i = semi;
    } else {
      out += '&';
    }
  }
  return out;
}

// The value of attribute `name` inside a tag's text, or an empty string.
std::string attribute(std::string_view tag, std::string_view name) {
  const std::string low = lower(tag);
  size_t pos = 0;
  while ((pos = low.find(name, pos)) != std::string::npos) {
    const bool startsWord = pos > 0 && std::isspace(static_cast<unsigned char>(low[pos - 1]));
    size_t p = pos + name.size();
    while (p < low.size() && std::isspace(static_cast<unsigned char>(low[p]))) ++p;
    if (!startsWord || p >= low.size() || low[p] != '=') {
      pos += name.size();
      continue;
    }
    ++p;
    while (p < low.size() && std::isspace(static_cast<unsigned char>(low[p]))) ++p;
    if (p < tag.size() && (tag[p] == '"' || tag[p] == '\'')) {
      const size_t end = tag.find(tag[p], p + 1);
      return decodeEntities(tag.substr(p + 1, end == std::string_view::npos ? std::string_view::npos : end - p - 1));
    }
    size_t end = p;
    while (end < tag.size() && !std::isspace(static_cast<unsigned char>(tag[end])) && tag[end] != '>') ++end;
    return decodeEntities(tag.substr(p, end - p));
  }
  return {};
}

class Builder {
 public:
  PageText page;

  void text(std::string_view raw) {
    std::string decoded = decodeEntities(raw);
    if (preDepth_ > 0) {
      size_t start = 0;
      for (size_t i = 0; i <= decoded.size(); ++i) {
        if (i == decoded.size() || decoded[i] == '\n') {
          appendRun(decoded.substr(start, i - start), true);
          if (i < decoded.size()) breakParagraph();
          start = i + 1;
        }
      }
      return;
    }
    std::string collapsed;
    for (char c : decoded) {
      const bool space = c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f';
      if (space) {
        if (!pendingSpace_ && !(collapsed.empty() && atParagraphStart())) collapsed += ' ';
        pendingSpace_ = true;
      } else {
        collapsed += c;
        pendingSpace_ = false;
      }
    }
    appendRun(collapsed, false);
  }

  void tag(std::string_view inner) {
    const bool closing = !inner.empty() && inner[0] == '/';
    std::string_view rest = closing ? inner.substr(1) : inner;
    size_t nameEnd = 0;
    while (nameEnd < rest.size() && std::isalnum(static_cast<unsigned char>(rest[nameEnd]))) ++nameEnd;
    const std::string name = lower(rest.substr(0, nameEnd));
    if (name.empty()) return;
    static const char* kBlocks[] = {"p",  "div", "br",    "table", "tr",   "ul", "ol",         "dl",
                                    "dt", "dd",  "hr",    "center", "form", "blockquote", "address",
                                    "h1", "h2",  "h3",    "h4",    "h5",   "h6", "pre",        "li",
                                    "frameset", "caption", "body"};
    bool block = false;
    for (const char* b : kBlocks) block = block || name == b;
    if (block) breakParagraph();
    if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') {
      heading_ = closing ? 0 : name[1] - '0';
    } else if (name == "b" || name == "strong" || name == "th") {
      bold_ += closing ? (bold_ > 0 ? -1 : 0) : 1;
    } else if (name == "pre") {
      preDepth_ += closing ? (preDepth_ > 0 ? -1 : 0) : 1;
    } else if (name == "a") {
      href_ = closing ? std::string() : attribute(rest, "href");
    } else if (name == "li" && !closing) {
      appendRun("\u2022 ", false);
    } else if ((name == "td" || name == "th") && !closing) {
      if (!atParagraphStart()) appendRun("   ", false);
    } else if (name == "img" && !closing) {
      const std::string alt = attribute(rest, "alt");
      if (!alt.empty()) appendRun("[" + alt + "]", false);
    } else if (name == "frame" && !closing) {
      // Frames are offered as links until frames are drawn.
      const std::string src = attribute(rest, "src");
      if (!src.empty()) {
        breakParagraph();
        const std::string saved = href_;
        href_ = src;
        appendRun("[frame: " + src + "]", false);
        href_ = saved;
        breakParagraph();
      }
    }
  }

  void finish() { breakParagraph(); }

 private:
  bool atParagraphStart() const { return current_.runs.empty(); }

  void appendRun(const std::string& text, bool pre) {
    if (text.empty()) return;
    current_.heading = heading_;
    current_.preformatted = pre;
    const bool isBold = bold_ > 0 || heading_ > 0;
    if (!current_.runs.empty() && current_.runs.back().href == href_ && current_.runs.back().bold == isBold) {
      current_.runs.back().text += text;
    } else {
      current_.runs.push_back({text, href_, isBold});
    }
  }

  void breakParagraph() {
    // Drop a trailing space left by collapsing.
    if (!current_.runs.empty() && !current_.preformatted) {
      std::string& last = current_.runs.back().text;
      while (!last.empty() && last.back() == ' ') last.pop_back();
    }
    if (!current_.runs.empty() || current_.preformatted) page.paragraphs.push_back(std::move(current_));
    current_ = Paragraph{};
    pendingSpace_ = true;
  }

  Paragraph current_;
  std::string href_;
  int heading_ = 0;
  int bold_ = 0;
  int preDepth_ = 0;
  bool pendingSpace_ = true;
};

// Position of `pattern` (lower case) in `s` at or after `from`, comparing without regard to ASCII case.
size_t findIgnoringCase(std::string_view s, std::string_view pattern, size_t from) {
  for (size_t i = from; i + pattern.size() <= s.size(); ++i) {
    size_t k = 0;
    while (k < pattern.size() && std::tolower(static_cast<unsigned char>(s[i + k])) == pattern[k]) ++k;
    if (k == pattern.size()) return i;
  }
  return std::string_view::npos;
}

std::string collapseSpaces(const std::string& s) {
  std::string out;
  bool space = true;
  for (char c : s) {
    const bool isSpace = c == ' ' || c == '\n' || c == '\r' || c == '\t';
    if (isSpace) {
      if (!space) out += ' ';
      space = true;
    } else {
      out += c;
      space = false;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

}  // namespace

PageText extractPageText(std::string_view bytes) {
  const std::string text = core::isValidUtf8(bytes) ? std::string(bytes) : core::toUtf8(bytes, core::kDefaultLegacyCodePage);
  std::string_view s = text;
  if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  Builder builder;
  size_t i = 0;
  while (i < s.size()) {
    const size_t lt = s.find('<', i);
    if (lt == std::string_view::npos) {
      builder.text(s.substr(i));
      break;
    }
    builder.text(s.substr(i, lt - i));
    if (s.substr(lt, 4) == "<!--") {
      const size_t end = s.find("-->", lt + 4);
      i = end == std::string_view::npos ? s.size() : end + 3;
      continue;
    }
    const size_t gt = s.find('>', lt);
    if (gt == std::string_view::npos) break;
    const std::string_view inner = s.substr(lt + 1, gt - lt - 1);
    i = gt + 1;
    const std::string name = lower(inner.substr(0, inner.find_first_of(" \t\r\n/>", 1)));
    if (name == "title" || name == "script" || name == "style") {
      const size_t close = findIgnoringCase(s, "</" + name, i);
      const std::string_view body = s.substr(i, close == std::string_view::npos ? std::string_view::npos : close - i);
      if (name == "title" && builder.page.title.empty()) builder.page.title = collapseSpaces(decodeEntities(body));
      if (close == std::string_view::npos) break;
      const size_t closeEnd = s.find('>', close);
      i = closeEnd == std::string_view::npos ? s.size() : closeEnd + 1;
      continue;
    }
    builder.tag(inner);
  }
  builder.finish();
  return std::move(builder.page);
}

}  // namespace lumora::viewer
