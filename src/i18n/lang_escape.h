#pragma once
// The escapes of language files: "\\", "\n" (CR LF), "\t" and a backslash with two decimal digits.

#include <string>
#include <string_view>

namespace lumora::i18n {

std::string unescapeLangValue(std::string_view value);
std::string escapeLangValue(std::string_view value);

}  // namespace lumora::i18n
