#include "i18n/lang_file.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <unordered_map>

#include "core/codepage.h"
#include "core/file_read.h"
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

// Calls `line(index, text)` for each line of a text whose lines end with CR LF, LF or CR, until it
// returns false.
template <typename F>
void forEachLine(std::string_view text, F&& line) {
  size_t start = 0, index = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (!line(index++, text.substr(start, i - start))) return;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) line(index, text.substr(start));
}

// Names compared without regard to ASCII case: ordered and hashed as plain strings once folded.
std::string foldedName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// Puts `entries` in the order of their keys. When a key occurs twice, nothing is reordered and the result is
// the position of the first entry (in the given order) whose key repeats an earlier one's. Entries already
// in strictly ascending order cost one pass; others are sorted through their keys and moved into place
// without a second copy of the entries.
template <typename Entry, typename KeyOf>
std::optional<size_t> sortByKey(std::vector<Entry>& entries, KeyOf keyOf) {
  bool ascending = true;
  for (size_t i = 1; i < entries.size() && ascending; ++i) ascending = keyOf(entries[i - 1]) < keyOf(entries[i]);
  if (ascending) return std::nullopt;
  // (key, position) pairs: sorting them leaves equal keys in the order of their positions.
  std::vector<std::pair<decltype(keyOf(entries.front())), size_t>> keyed;
  keyed.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) keyed.emplace_back(keyOf(entries[i]), i);
  std::sort(keyed.begin(), keyed.end());
  std::optional<size_t> firstRepeat;
  for (size_t k = 1; k < keyed.size(); ++k) {
    if (keyed[k].first == keyed[k - 1].first && (!firstRepeat || keyed[k].second < *firstRepeat)) {
      firstRepeat = keyed[k].second;
    }
  }
  if (firstRepeat) return firstRepeat;
  // Position k takes the entry from keyed[k].second: follow each cycle of that permutation once.
  std::vector<size_t> from(keyed.size());
  for (size_t k = 0; k < keyed.size(); ++k) from[k] = keyed[k].second;
  keyed = {};
  for (size_t start = 0; start < from.size(); ++start) {
    if (from[start] == start) continue;
    Entry held = std::move(entries[start]);
    size_t k = start;
    while (from[k] != start) {
      entries[k] = std::move(entries[from[k]]);
      const size_t next = from[k];
      from[k] = k;
      k = next;
    }
    entries[k] = std::move(held);
    from[k] = k;
  }
  return std::nullopt;
}

const auto constantKey = [](const TLang_Constant& c) { return foldedName(c.name); };
const auto idKey = [](const std::pair<int, std::string>& v) { return v.first; };

// A window section while its file is read: its texts in file order and the line of each.
struct PendingSection {
  std::string name;
  std::vector<std::pair<int, std::string>> values;
  std::vector<size_t> lines;
};

// Sorts the constants by name and each section's texts by ID. When a name or an ID repeats, the result is
// the first repeat in file order: its line and the error's message.
std::optional<std::pair<size_t, std::string>> sortEntries(std::vector<TLang_Constant>& constants,
                                                          const std::vector<size_t>& constantLines,
                                                          std::vector<PendingSection>& sections) {
  std::optional<std::pair<size_t, std::string>> first;
  const auto consider = [&](size_t line, std::string message) {
    if (!first || line < first->first) first.emplace(line, std::move(message));
  };
  if (const auto i = sortByKey(constants, constantKey)) {
    consider(constantLines[*i], "Duplicate constant name (\"" + constants[*i].name + "\")");
  }
  for (PendingSection& section : sections) {
    if (const auto i = sortByKey(section.values, idKey)) {
      consider(section.lines[*i],
               "Duplicate property value translation ID (" + std::to_string(section.values[*i].first) + ")");
    }
  }
  return first;
}

ELangError lineError(size_t lineNo, const std::string& message) {
  return ELangError("Loading translations failed.\r\nLine " + std::to_string(lineNo) + ": " + message);
}

}  // namespace

bool isLangIdentifier(std::string_view name) {
  if (name.empty()) return false;
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!letter(name[0])) return false;
  return std::all_of(name.begin() + 1, name.end(), [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

TLang_Constants::TLang_Constants(std::vector<TLang_Constant> constants) : items_(std::move(constants)) {
  for (const TLang_Constant& c : items_) {
    if (!isLangIdentifier(c.name)) throw ELangError("Invalid constant name (\"" + c.name + "\")");
  }
  if (const auto repeat = sortByKey(items_, constantKey)) {
    throw ELangError("Duplicate constant name (\"" + items_[*repeat].name + "\")");
  }
  for (TLang_Constant& c : items_) c.defaultValue = c.value;
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

TLang_CompTranslation::TLang_CompTranslation(std::string sectionName, std::vector<std::pair<int, std::string>> values)
    : sectionName_(std::move(sectionName)), values_(std::move(values)) {
  if (const auto repeat = sortByKey(values_, idKey)) {
    throw ELangError("Duplicate property value translation ID (" + std::to_string(values_[*repeat].first) + ")");
  }
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
  std::vector<TLang_Constant> constants;
  std::vector<size_t> constantLines;
  std::vector<PendingSection> sections;
  std::unordered_map<std::string, size_t> sectionIndex;  // folded name -> position in sections
  enum class Where { Header, Constants, Window } where = Where::Header;
  size_t window = 0;
  forEachLine(text, [&](size_t lineNo, std::string_view rawLine) {
    const std::string_view line = trim(rawLine);
    if (headerOnly && !line.empty() && line[0] == '[') return false;
    if (line.empty() || line[0] == ';') return true;
    if (line[0] == '[') {
      if (line.size() <= 2 || line.back() != ']') return true;
      const std::string_view name = trim(line.substr(1, line.size() - 2));
      if (core::compareIgnoreAsciiCase(name, "$CONSTANTS") == 0) {
        where = Where::Constants;
        return true;
      }
      where = Where::Window;
      // A name met again continues that section's translation.
      const auto [it, added] = sectionIndex.try_emplace(foldedName(name), sections.size());
      if (added) sections.push_back(PendingSection{std::string(name), {}, {}});
      window = it->second;
      return true;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return true;
    const std::string_view name = trim(line.substr(0, eq));
    const std::string_view value = trim(line.substr(eq + 1));
    if (name.empty()) return true;
    switch (where) {
      case Where::Header:
        result.params.emplace_back(std::string(name), std::string(value));
        break;
      case Where::Constants:
        if (!isLangIdentifier(name)) {
          // A repeat on an earlier line is the first fault of the file.
          auto constantsSoFar = constants;
          auto sectionsSoFar = sections;
          const auto repeat = sortEntries(constantsSoFar, constantLines, sectionsSoFar);
          if (repeat && repeat->first < lineNo) throw lineError(repeat->first, repeat->second);
          throw lineError(lineNo, "Invalid constant name (\"" + std::string(name) + "\")");
        }
        constants.push_back(TLang_Constant{std::string(name), unescapeLangValue(value), {}});
        constantLines.push_back(lineNo);
        break;
      case Where::Window: {
        const std::optional<int> id = parseDecimal(name);
        if (!id || *id <= 0) break;
        PendingSection& section = sections[window];
        section.values.emplace_back(*id, unescapeLangValue(value));
        section.lines.push_back(lineNo);
        break;
      }
    }
    return true;
  });
  if (const auto repeat = sortEntries(constants, constantLines, sections)) throw lineError(repeat->first, repeat->second);
  result.constants = TLang_Constants(std::move(constants));
  result.translations.reserve(sections.size());
  for (PendingSection& section : sections) {
    result.translations.emplace_back(std::move(section.name), std::move(section.values));
  }
  return result;
}

std::string decodeLanguageFile(std::string_view bytes) {
  if (const auto mark = core::byteOrderMark(bytes)) return core::toUtf8(bytes.substr(mark->length), mark->codePage);
  if (core::isValidUtf8(bytes)) return std::string(bytes);
  // The header is plain ASCII in any code page, so it can be read before the text is decoded.
  const int id = readLanguageText(bytes, true).languageId();
  return core::toUtf8(bytes, languageCodePage(id & 0xFFFF));
}

std::string readLanguageFile(const std::string& path) {
  const std::filesystem::path file = core::resolveCaseInsensitive(core::toLocalSeparators(path));
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return {};
  std::string error;
  const std::optional<std::string> bytes = core::readRegularFile(file, core::kMaxTextFileBytes, &error);
  if (!bytes) throw ELangError("Loading translations failed.\r\n" + error);
  return decodeLanguageFile(*bytes);
}

}  // namespace lumora::i18n
