#include "i18n/lang_mask.h"

#include "i18n/language_constants.h"

namespace lumora::i18n {

namespace {
constexpr int kMaxRuns = 30;
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
[[noreturn]] void invalid(const std::string& mask, size_t position) {
  throw ELangError("'" + mask + "' is an invalid mask at (" + std::to_string(position) + ")");
}
}  // namespace

TLang_MaskList::TLang_MaskList(const std::vector<std::string>& masks) {
  for (const std::string& mask : masks) {
    std::vector<Token> tokens;
    int runs = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
      const char c = mask[i];
      if (c == '*') {
        if (++runs > kMaxRuns) invalid(mask, i + 1);
        if (tokens.empty() || tokens.back().kind != Token::AnyRun) tokens.push_back({Token::AnyRun});
      } else if (c == '?') {
        tokens.push_back({Token::AnyChar});
      } else if (c == '[') {
        Token set{Token::Set};
        size_t j = i + 1;
        if (j < mask.size() && mask[j] == '!') {
          set.negated = true;
          ++j;
        }
        bool closed = false;
        while (j < mask.size()) {
          if (mask[j] == ']') {
            closed = true;
            break;
          }
          if (mask[j] == '-') invalid(mask, j + 1);  // a range without its first character
          char first = lower(mask[j]), last = first;
          if (j + 2 < mask.size() && mask[j + 1] == '-' && mask[j + 2] != ']') {
            last = lower(mask[j + 2]);
            j += 2;
          }
          set.ranges.emplace_back(first, last);
          ++j;
        }
        if (!closed) invalid(mask, mask.size());
        tokens.push_back(std::move(set));
        i = j;
      } else {
        tokens.push_back({Token::Literal, lower(c)});
      }
    }
    masks_.push_back(std::move(tokens));
  }
}

bool TLang_MaskList::match(const std::vector<Token>& mask, size_t t, std::string_view s, size_t i) {
  while (t < mask.size()) {
    const Token& token = mask[t];
    if (token.kind == Token::AnyRun) {
      for (size_t k = i; k <= s.size(); ++k) {
        if (match(mask, t + 1, s, k)) return true;
      }
      return false;
    }
    if (i >= s.size()) return false;
    const char c = lower(s[i]);
    if (token.kind == Token::Literal && token.literal != c) return false;
    if (token.kind == Token::Set) {
      bool in = false;
      for (const auto& [first, last] : token.ranges) in = in || (c >= first && c <= last);
      if (in == token.negated) return false;
    }
    ++t;
    ++i;
  }
  return i == s.size();
}

bool TLang_MaskList::matches(std::string_view path) const {
  for (const auto& mask : masks_) {
    if (match(mask, 0, path, 0)) return true;
  }
  return false;
}

}  // namespace lumora::i18n
