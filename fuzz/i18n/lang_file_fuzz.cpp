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
    const lumora::i18n::TLang_CompTranslations t = lumora::i18n::readLanguageText(lumora::i18n::decodeLanguageFile(bytes), false);
    for (const lumora::i18n::TLang_CompTranslation& window : t.translations) {
      for (const auto& [id, text] : window.values()) {
        if (id <= 0) __builtin_trap();
        // Line breaks are normalised to CR LF; any other text survives escaping exactly.
        const bool hasBreak = text.find_first_of("\r\n") != std::string::npos;
        if (!hasBreak && lumora::i18n::unescapeLangValue(lumora::i18n::escapeLangValue(text)) != text) __builtin_trap();
      }
    }
  } catch (const lumora::i18n::ELangError&) {
  }
  try {
    const auto root = lumora::i18n::readLangData(bytes);
    if (lumora::i18n::writeLangData(*root) != bytes) __builtin_trap();
  } catch (const lumora::i18n::ELangError&) {
  }
  return 0;
}
