#pragma once
// named character references: the HTML 4 set plus "apos", names case-sensitive.

#include <optional>
#include <span>
#include <string_view>

namespace lumora::html {

struct EntityEntry {
  std::string_view Name;
  char16_t Value;
};

// All entries, sorted by name (byte order), for binary search.
std::span<const EntityEntry> entityTable();

// The 16-bit value of a reference name, matched exactly.
std::optional<char16_t> lookupEntity(std::string_view name);

}  // namespace lumora::html
