#pragma once
// The program's named messages ("constants"). Every message box looks its text up by name at the moment it
// is shown, so a language switch reaches messages too.

#include <stdexcept>
#include <string>
#include <string_view>

namespace lumora::i18n {

// Errors of languages and language files.
class ELangError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The current text of a constant of the program's language manager; an unknown name throws ELangError
// "Constant "<name>" not found".
std::string ConstantText(std::string_view name);

// Replaces the current text of a constant directly (as a language would); false for an unknown name.
bool setConstantText(std::string_view name, std::string_view text);

// Puts every constant back to its built-in text.
void resetConstantTexts();

}  // namespace lumora::i18n
