#include "i18n/language_constants.h"

#include "i18n/language_manager.h"

namespace lumora::i18n {

std::string ConstantText(std::string_view name) { return LangManager().ConstantText(name); }

bool SetConstantText(std::string_view name, std::string_view text) { return LangManager().SetConstantValue(name, text); }

void ResetConstantTexts() { LangManager().ResetConstantValues(); }

}  // namespace lumora::i18n
