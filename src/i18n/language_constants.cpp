#include "i18n/language_constants.h"

#include "i18n/language_manager.h"

namespace lumora::i18n {

std::string ConstantText(std::string_view name) { return LangManager().ConstantText(name); }

bool setConstantText(std::string_view name, std::string_view text) { return LangManager().setConstantValue(name, text); }

void resetConstantTexts() { LangManager().resetConstantValues(); }

}  // namespace lumora::i18n
