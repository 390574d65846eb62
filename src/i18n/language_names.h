#pragma once
// Readable names of Windows language identifiers, and the legacy code page of each language's texts.

#include <string>

namespace lumora::i18n {

// "Russian", "German (Germany)", ...; an unknown identifier gives "Language 0x0419"-style text.
std::string languageName(int languageId);

// The Windows code page of the language's 8-bit texts (1251 for Russian, 1252 for German, ...), or
// 1252 for an unknown identifier.
int languageCodePage(int languageId);

}  // namespace lumora::i18n
