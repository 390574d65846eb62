#include "i18n/lang_escape.h"

namespace lumora::i18n {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::string unescapeLangValue(std::string_view v) {
  std::string out;
  out.reserve(v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] != '\\' || i + 1 >= v.size()) {
      out += v[i];
      continue;
    }
    const char next = v[i + 1];
    if (next == '\\') {
      out += '\\';
      ++i;
    } else if (next == 'n') {
      out += "\r\n";
      ++i;
    } else if (next == 't') {
      out += '\t';
      ++i;
    } else if (isDigit(next) && i + 2 < v.size() && isDigit(v[i + 2])) {
      out += static_cast<char>((next - '0') * 10 + (v[i + 2] - '0'));
      i += 2;
    } else {
      out += '\\';  // any other backslash stays, and the next character is read normally
    }
  }
  return out;
}

std::string escapeLangValue(std::string_view v) {
  std::string out;
  out.reserve(v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    const auto c = static_cast<unsigned char>(v[i]);
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\r' || c == '\n') {
      out += "\\n";
      // A CR LF or LF CR pair is one line break.
      if (i + 1 < v.size() && (v[i + 1] == '\r' || v[i + 1] == '\n') && v[i + 1] != v[i]) ++i;
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c < 32) {
      out += '\\';
      out += static_cast<char>('0' + c / 10);
      out += static_cast<char>('0' + c % 10);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace lumora::i18n
