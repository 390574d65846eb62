#include "i18n/lang_file.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>

#include "core/codepage.h"
#include "core/paths.h"
#include "i18n/lang_escape.h"
#include "i18n/language_names.h"

namespace lumora::i18n {

namespace {

// Leading and trailing spaces and control characters go.
std::string_view trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

std::optional<int> parseDecimal(std::string_view s) {
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return std::nullopt;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
    if (v > 2147483648LL) return std::nullopt;
  }
  v = negative ? -v : v;
  if (v > INT32_MAX || v < INT32_MIN) return std::nullopt;
  return static_cast<int>(v);
}

// The lines of a text whose lines end with CR LF, LF or CR.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

bool isLangIdentifier(std::string_view name) {
  if (name.empty()) return false;
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!letter(name[0])) return false;
  return std::all_of(name.begin() + 1, name.end(), [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

void TLang_Constants::add(std::string_view name, std::string_view value) {
  if (!isLangIdentifier(name)) throw ELangError("Invalid constant name (\"" + std::string(name) + "\")");
  const auto it = std::lower_bound(items_.begin(), items_.end(), name, [](const TLang_Constant& c, std::string_view n) {
    return core::compareIgnoreAsciiCase(c.name, n) < 0;
  });
  if (it != items_.end() && core::compareIgnoreAsciiCase(it->name, name) == 0) {
    throw ELangError("Duplicate constant name (\"" + std::string(name) + "\")");
  }
  items_.insert(it, TLang_Constant{std::string(name), std::string(value), std::string(value)});
}

const TLang_Constant* TLang_Constants::find(std::string_view name) const {
  const auto it = std::lower_bound(items_.begin(), items_.end(), name, [](const TLang_Constant& c, std::string_view n) {
    return core::compareIgnoreAsciiCase(c.name, n) < 0;
  });
  return it != items_.end() && core::compareIgnoreAsciiCase(it->name, name) == 0 ? &*it : nullptr;
}

TLang_Constant* TLang_Constants::find(std::string_view name) {
  return const_cast<TLang_Constant*>(static_cast<const TLang_Constants*>(this)->find(name));
}

void TLang_CompTranslation::add(int id, std::string text) {
  const auto it = std::lower_bound(values_.begin(), values_.end(), id,
                                   [](const std::pair<int, std::string>& v, int n) { return v.first < n; });
  if (it != values_.end() && it->first == id) {
    throw ELangError("Duplicate property value translation ID (" + std::to_string(id) + ")");
  }
  values_.insert(it, {id, std::move(text)});
}

const std::string* TLang_CompTranslation::find(int id) const {
  const auto it = std::lower_bound(values_.begin(), values_.end(), id,
                                   [](const std::pair<int, std::string>& v, int n) { return v.first < n; });
  return it != values_.end() && it->first == id ? &it->second : nullptr;
}

std::string TLang_CompTranslations::param(std::string_view name) const {
  for (const auto& [key, value] : params) {
    if (core::compareIgnoreAsciiCase(key, name) == 0) return value;
  }
  return {};
}

const TLang_CompTranslation* TLang_CompTranslations::Section(std::string_view name) const {
  for (const TLang_CompTranslation& t : translations) {
    if (core::compareIgnoreAsciiCase(t.SectionName(), name) == 0) return &t;
  }
  return nullptr;
}

int TLang_CompTranslations::languageId() const { return parseDecimal(param("LANGID")).value_or(0); }

TLang_CompTranslations readLanguageText(std::string_view text, bool headerOnly) {
  TLang_CompTranslations result;
  const std::vector<std::string_view> lines = splitLines(text);
  enum class Where { Header, Constants, Window } where = Where::Header;
  TLang_CompTranslation* window = nullptr;
  for (size_t lineNo = 0; lineNo < lines.size(); ++lineNo) {
    const std::string_view line = trim(lines[lineNo]);
    if (headerOnly && !line.empty() && line[0] == '[') break;
    try {
      if (line.empty() || line[0] == ';') continue;
      if (line[0] == '[') {
        if (line.size() <= 2 || line.back() != ']') continue;
        const std::string name(trim(line.substr(1, line.size() - 2)));
        if (core::compareIgnoreAsciiCase(name, "$CONSTANTS") == 0) {
          where = Where::Constants;
          continue;
        }
        where = Where::Window;
        window = nullptr;
        for (TLang_CompTranslation& t : result.translations) {
          if (core::compareIgnoreAsciiCase(t.SectionName(), name) == 0) window = &t;
        }
        if (window == nullptr) window = &result.translations.emplace_back(name);
        continue;
      }
      const size_t eq = line.find('=');
      if (eq == std::string_view::npos) continue;
      const std::string_view name = trim(line.substr(0, eq));
      const std::string_view value = trim(line.substr(eq + 1));
      if (name.empty()) continue;
      switch (where) {
        case Where::Header:
          result.params.emplace_back(std::string(name), std::string(value));
          break;
        case Where::Constants:
          result.constants.add(name, unescapeLangValue(value));
          break;
        case Where::Window: {
          const std::optional<int> id = parseDecimal(name);
          if (id && *id > 0) window->add(*id, unescapeLangValue(value));
          break;
        }
      }
    } catch (const ELangError& e) {
      throw ELangError("Loading translations failed.\r\nLine " + std::to_string(lineNo) + ": " + e.what());
    }
  }
  return result;
}

std::string decodeLanguageFile(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (core::isValidUtf8(bytes)) return std::string(bytes);
  // The header is plain ASCII in any code page, so it can be read before the text is decoded.
  const int id = readLanguageText(bytes, true).languageId();
  return core::toUtf8(bytes, languageCodePage(id & 0xFFFF));
}

std::string readLanguageFile(const std::string& path) {
  std::ifstream in(core::resolveCaseInsensitive(core::toLocalSeparators(path)), std::ios::binary);
  if (!in) return {};
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return decodeLanguageFile(bytes);
}

}  // namespace lumora::i18n
