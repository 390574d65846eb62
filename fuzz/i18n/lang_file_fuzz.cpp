// Any bytes as a language file and as a stored translation table: a clear error or a result, never a crash.
// Every value read escapes and unescapes to itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "i18n/lang_data.h"
#include "i18n/lang_escape.h"
#include "i18n/lang_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    const lumora::TLang_CompTranslations t = lumora::readLanguageText(lumora::decodeLanguageFile(bytes), false);
    for (const lumora::TLang_CompTranslation& window : t.translations) {
      for (const auto& [id, text] : window.values()) {
        if (id <= 0) __builtin_trap();
        // Line breaks are normalised to CR LF; any other text survives escaping exactly.
        const bool hasBreak = text.find_first_of("\r\n") != std::string::npos;
        if (!hasBreak && lumora::unescapeLangValue(lumora::escapeLangValue(text)) != text) __builtin_trap();
      }
    }
  } catch (const lumora::ELangError&) {
  }
  try {
    const auto root = lumora::readLangData(bytes);
    if (lumora::writeLangData(*root) != bytes) __builtin_trap();
  } catch (const lumora::ELangError&) {
  }
  return 0;
}
