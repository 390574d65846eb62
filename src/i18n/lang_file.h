#pragma once
// Language files (*.lng) and the tables read from them: header parameters, translated constants and one
// translation per window section.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "i18n/language_constants.h"

namespace lumora::i18n {

struct TLang_Constant {
  std::string name;
  std::string value;         // current
  std::string defaultValue;  // built-in
};

// Constants sorted by name without regard to case; names are identifiers and unique.
class TLang_Constants {
 public:
  TLang_Constants() = default;
  // The constants given in any order; each one's value becomes its default value too. Throws ELangError
  // "Invalid constant name ("%s")" or "Duplicate constant name ("%s")" for the first offending name.
  explicit TLang_Constants(std::vector<TLang_Constant> constants);
  const TLang_Constant* find(std::string_view name) const;
  TLang_Constant* find(std::string_view name);
  std::vector<TLang_Constant>& items() { return items_; }
  const std::vector<TLang_Constant>& items() const { return items_; }
  uint8_t flag = 1;

 private:
  std::vector<TLang_Constant> items_;
};

bool isLangIdentifier(std::string_view name);

// One window's texts by property ID, sorted by ID.
class TLang_CompTranslation {
 public:
  // The texts given in any order. Throws ELangError "Duplicate property value translation ID (%d)".
  TLang_CompTranslation(std::string sectionName, std::vector<std::pair<int, std::string>> values);
  const std::string& SectionName() const { return sectionName_; }
  const std::string* find(int id) const;
  const std::vector<std::pair<int, std::string>>& values() const { return values_; }

 private:
  std::string sectionName_;
  std::vector<std::pair<int, std::string>> values_;
};

struct TLang_CompTranslations {
  std::vector<std::pair<std::string, std::string>> params;
  TLang_Constants constants;
  std::vector<TLang_CompTranslation> translations;

  // The header parameter's value (name without regard to case), or an empty string.
  std::string param(std::string_view name) const;
  // The window section of that name (without regard to case), or nullptr.
  const TLang_CompTranslation* Section(std::string_view name) const;
  // The LANGID header parameter as a number; 0 when absent or not a number.
  int languageId() const;
};

// Reads a language file's text (UTF-8). With `headerOnly` reading stops at the first line starting with "[".
// Errors: ELangError "Loading translations failed.\r\nLine N: <message>" with the zero-based line number.
// Time and memory grow linearly with the text.
TLang_CompTranslations readLanguageText(std::string_view text, bool headerOnly);

// A language file's bytes as UTF-8: files with a byte-order mark (UTF-8, UTF-16, UTF-32) in the encoding it
// announces, other UTF-8 files as they are, the rest through the code page of their LANGID.
std::string decodeLanguageFile(std::string_view bytes);

// Reads the file at `path` (decoded as above); a missing file gives an empty text. A name that is not a
// regular file, or a file larger than a text file may be, throws ELangError with the file and the reason.
std::string readLanguageFile(const std::string& path);

}  // namespace lumora::i18n
