#pragma once
// Masks of property paths ("*.Caption", "sSkinManager1.*", "N[1-3].Caption"): "*" any run, "?" one
// character, "[...]" one character of a set with ranges and "!" negation; compared without regard to case.

#include <string>
#include <string_view>
#include <vector>

namespace lumora::i18n {

class TLang_MaskList {
 public:
  // Compiles the masks; a malformed one throws ELangError "'<mask>' is an invalid mask at (<position>)".
  explicit TLang_MaskList(const std::vector<std::string>& masks);
  bool matches(std::string_view path) const;

 private:
  struct Token {
    enum Kind { Literal, AnyChar, AnyRun, Set } kind;
    char literal = 0;
    bool negated = false;
    std::vector<std::pair<char, char>> ranges;
  };
  static bool match(const std::vector<Token>& mask, size_t t, std::string_view s, size_t i);
  std::vector<std::vector<Token>> masks_;
};

}  // namespace lumora::i18n
