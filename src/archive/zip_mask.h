#pragma once
// Wildcard masks as the archive component uses them: "*" and "?", ASCII case ignored, and "*.*" standing
// for every name (dotted or not).

#include <string>
#include <string_view>

namespace lumora::archive {

bool zipMaskMatches(std::string_view mask, std::string_view name);
bool zipMaskHasWildcards(std::string_view mask);

}  // namespace lumora::archive
