#include "settings/ini_text.h"

#include <cstdint>

#include "core/codepage.h"
#include "core/paths.h"

namespace lumora::settings {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The section name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> sectionName(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  const size_t close = line.find(']');
  return trim(line.substr(0, close));
}

}  // namespace

IniText::IniText(std::string_view bytes, int legacyCodePage) {
  std::string decoded;
  if (const auto mark = core::byteOrderMark(bytes); mark && mark->codePage != 65001) {
    wideCodePage_ = mark->codePage;
    decoded = core::toUtf8(bytes.substr(mark->length), mark->codePage);
    bytes = decoded;
  }
  codePage_ = core::isValidUtf8(bytes) ? 65001 : legacyCodePage;
  if (codePage_ == 65001 && bytes.substr(0, kBom.size()) == kBom) {
    bom_ = true;
    bytes.remove_prefix(kBom.size());
  }
  bool eolKnown = false;
  while (!bytes.empty()) {
    const size_t nl = bytes.find('\n');
    Line line;
    if (nl == std::string_view::npos) {
      line.raw = std::string(bytes);
      bytes = {};
    } else {
      const bool crlf = nl > 0 && bytes[nl - 1] == '\r';
      line.raw = std::string(bytes.substr(0, crlf ? nl - 1 : nl));
      line.terminator = crlf ? "\r\n" : "\n";
      bytes.remove_prefix(nl + 1);
      if (!eolKnown) {
        eol_ = line.terminator;
        eolKnown = true;
      }
    }
    lines_.push_back(std::move(line));
  }
}

std::string IniText::decode(const Line& line) const {
  return codePage_ == 65001 ? line.raw : core::toUtf8(line.raw, codePage_);
}

std::optional<size_t> IniText::findSection(std::string_view section) const {
  const std::string_view wanted = trim(section);
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::string text = decode(lines_[i]);
    const auto name = sectionName(text);
    if (name && core::equalsIgnoreAsciiCase(*name, wanted)) return i;
  }
  return std::nullopt;
}

size_t IniText::sectionEnd(size_t sectionLine) const {
  size_t i = sectionLine + 1;
  while (i < lines_.size() && !sectionName(decode(lines_[i]))) ++i;
  return i;
}

std::optional<size_t> IniText::findKey(size_t sectionLine, std::string_view key) const {
  const std::string_view wanted = trim(key);
  const size_t end = sectionEnd(sectionLine);
  for (size_t i = sectionLine + 1; i < end; ++i) {
    const std::string text = decode(lines_[i]);
    const size_t eq = text.find('=');
    if (eq == std::string::npos) continue;
    if (core::equalsIgnoreAsciiCase(trim(std::string_view(text).substr(0, eq)), wanted)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const {
  const auto sectionLine = findSection(section);
  if (!sectionLine) return std::nullopt;
  const auto keyLine = findKey(*sectionLine, key);
  if (!keyLine) return std::nullopt;
  const std::string text = decode(lines_[*keyLine]);
  std::string_view v = trim(std::string_view(text).substr(text.find('=') + 1));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return std::string(v);
}

std::string IniText::encode(std::string_view utf8) {
  if (codePage_ == 65001) return std::string(utf8);
  if (auto encoded = core::fromUtf8(utf8, codePage_)) return *encoded;
  // The file's code page cannot hold this text: the whole file becomes UTF-8 rather than mixing encodings.
  for (Line& line : lines_) line.raw = core::toUtf8(line.raw, codePage_);
  codePage_ = 65001;
  return std::string(utf8);
}

void IniText::insertLine(size_t index, std::string_view utf8) {
  if (index > 0 && lines_[index - 1].terminator.empty()) lines_[index - 1].terminator = eol_;
  Line line{encode(utf8), eol_};
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
}

void IniText::appendLine(std::string_view utf8) { insertLine(lines_.size(), utf8); }

void IniText::setValue(std::string_view section, std::string_view key, std::string_view value) {
  std::string oneLine(value);
  for (char& c : oneLine) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const std::string entry = std::string(trim(key)) + "=" + oneLine;
  const auto sectionLine = findSection(section);
  if (!sectionLine) {
    appendLine("[" + std::string(trim(section)) + "]");
    appendLine(entry);
    return;
  }
  if (const auto keyLine = findKey(*sectionLine, key)) {
    std::string raw = encode(entry);
    lines_[*keyLine].raw = std::move(raw);
    return;
  }
  // After the section's last non-blank line, so blank lines that separate sections stay where they are.
  size_t insertAt = sectionEnd(*sectionLine);
  while (insertAt > *sectionLine + 1 && trim(decode(lines_[insertAt - 1])).empty()) --insertAt;
  insertLine(insertAt, entry);
}

std::string IniText::bytes() const {
  std::string out;
  if (bom_ && codePage_ == 65001) out.append(kBom);
  for (const Line& line : lines_) {
    out += line.raw;
    out += line.terminator;
  }
  if (wideCodePage_ == 0) return out;
  // Decoding first replaces any invalid UTF-8 a caller handed in, so the encoding cannot fail.
  return core::byteOrderMarkBytes(wideCodePage_) + core::fromUtf8(core::toUtf8(out, 65001), wideCodePage_).value_or("");
}

std::optional<int> parseProfileInteger(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    std::string_view digits = text.substr(2);
    if (digits.size() > 8) return std::nullopt;
    uint32_t v = 0;
    for (char c : digits) {
      int d;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return std::nullopt;
      v = v * 16 + static_cast<uint32_t>(d);
    }
    return static_cast<int>(static_cast<int32_t>(v));
  }
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
    if (v > 2147483648LL) return std::nullopt;
  }
  if (negative) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return std::nullopt;
  return static_cast<int>(v);
}

}  // namespace lumora::settings
