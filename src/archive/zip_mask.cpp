#include "archive/zip_mask.h"

#include <string>

namespace lumora::archive {

namespace {
char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

bool zipMaskHasWildcards(std::string_view mask) {
  return mask.find_first_of("*?") != std::string_view::npos;
}

bool zipMaskMatches(std::string_view maskIn, std::string_view name) {
  std::string mask;
  mask.reserve(maskIn.size());
  for (size_t i = 0; i < maskIn.size(); ++i) {
    if (maskIn.substr(i, 3) == "*.*") {
      mask += '*';
      i += 2;
    } else {
      mask += maskIn[i];
    }
  }
  // Iterative matcher with one backtrack point: linear in practice, no recursion on hostile masks.
  size_t m = 0, n = 0, starM = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || lower(mask[m]) == lower(name[n]))) {
      ++m, ++n;
    } else if (m < mask.size() && mask[m] == '*') {
      starM = m++, starN = n;
    } else if (starM != std::string::npos) {
      m = starM + 1, n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace lumora::archive
