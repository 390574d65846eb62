#include "help/help_sitemap.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>

#include "core/codepage.h"
#include "help/chm_system.h"
#include "help/help_names.h"

namespace lumora::help {

namespace {

struct Tag {
  std::string Name;  // lower case, "/" in front for an end tag
  std::vector<std::pair<std::string, std::string>> Attributes;  // names in lower case
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// The tag starting at Text[at] ("<"); at is left after its ">". Nothing when the text ends inside it.
std::optional<Tag> readTag(std::string_view text, size_t& at) {
  size_t i = at + 1;
  if (text.substr(i, 3) == "!--") {
    const size_t end = text.find("-->", i + 3);
    if (end == std::string_view::npos) return std::nullopt;
    at = end + 3;
    return Tag{};
  }
  Tag tag;
  while (i < text.size() && !isSpace(text[i]) && text[i] != '>') tag.Name += text[i++];
  tag.Name = foldedName(tag.Name);
  while (i < text.size()) {
    while (i < text.size() && isSpace(text[i])) ++i;
    if (i >= text.size()) return std::nullopt;
    if (text[i] == '>') {
      at = i + 1;
      return tag;
    }
    std::string name;
    while (i < text.size() && !isSpace(text[i]) && text[i] != '>' && text[i] != '=') name += text[i++];
    while (i < text.size() && isSpace(text[i])) ++i;
    std::string value;
    if (i < text.size() && text[i] == '=') {
      ++i;
      while (i < text.size() && isSpace(text[i])) ++i;
      if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
        const char quote = text[i++];
        const size_t end = text.find(quote, i);
        if (end == std::string_view::npos) return std::nullopt;
        value = std::string(text.substr(i, end - i));
        i = end + 1;
      } else {
        while (i < text.size() && !isSpace(text[i]) && text[i] != '>') value += text[i++];
      }
    }
    if (name.empty()) {
      ++i;  // a stray "=" or quote: step over it
      continue;
    }
    tag.Attributes.emplace_back(foldedName(name), std::move(value));
  }
  return std::nullopt;
}

std::string attribute(const Tag& tag, std::string_view name) {
  for (const auto& [n, v] : tag.Attributes)
    if (n == name) return v;
  return {};
}

// The few entities help lists use, and numeric ones; an unknown entity stays as written.
std::string decodeEntities(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    const size_t semi = s.find(';', i);
    if (semi == std::string_view::npos || semi - i > 10) {
      out += s[i];
      continue;
    }
    const std::string name(s.substr(i + 1, semi - i - 1));
    char32_t c = 0;
    if (name == "amp") c = '&';
    else if (name == "lt") c = '<';
    else if (name == "gt") c = '>';
    else if (name == "quot") c = '"';
    else if (name == "apos") c = '\'';
    else if (name == "nbsp") c = 0xA0;
    else if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string digits = name.substr(hex ? 2 : 1);
      if (!digits.empty() && digits.size() <= 7 &&
          std::all_of(digits.begin(), digits.end(), [hex](char d) { return (d >= '0' && d <= '9') || (hex && std::isxdigit(static_cast<unsigned char>(d))); })) {
        c = static_cast<char32_t>(std::stoul(digits, nullptr, hex ? 16 : 10));
      }
      if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0;
    }
    if (c == 0) {
      out += s[i];
      continue;
    }
    core::appendUtf8(out, c);
    i = semi;
  }
  return out;
}

}  // namespace

std::vector<TSitemapEntry> parseSitemap(std::string_view Text, uint32_t Lcid) {
  const std::string utf8 = helpTextToUtf8(Text, Lcid);
  const std::string_view text = utf8;
  std::vector<TSitemapEntry> entries;
  int depth = 0;
  bool inEntry = false;
  bool haveName = false, haveLocal = false;
  TSitemapEntry entry;
  size_t at = 0;
  while (entries.size() < kMaxSitemapEntries) {
    at = text.find('<', at);
    if (at == std::string_view::npos) break;
    const std::optional<Tag> tag = readTag(text, at);
    if (!tag) break;
    if (tag->Name == "ul") {
      ++depth;
    } else if (tag->Name == "/ul") {
      depth = std::max(0, depth - 1);
    } else if (tag->Name == "object" && foldedName(attribute(*tag, "type")) == "text/sitemap") {
      inEntry = true;
      haveName = haveLocal = false;
      entry = TSitemapEntry{};
      entry.Level = std::clamp(depth - 1, 0, kMaxSitemapLevel);
    } else if (tag->Name == "param" && inEntry) {
      const std::string name = foldedName(attribute(*tag, "name"));
      if (name == "name" && !haveName) {
        entry.Name = decodeEntities(attribute(*tag, "value"));
        haveName = true;
      } else if (name == "local" && !haveLocal) {
        entry.Local = decodeEntities(attribute(*tag, "value"));
        haveLocal = true;
      }
    } else if (tag->Name == "/object" && inEntry) {
      inEntry = false;
      if (haveName || haveLocal) entries.push_back(std::move(entry));
    }
  }
  return entries;
}

}  // namespace lumora::help
