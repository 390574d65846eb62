#pragma once
// A window's table of translatable properties: a tree of component entries, each with its property
// entries (ID and path, kept sorted by path), and its stored binary form, LangData.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::i18n {

struct TLang_PropEntry {
  int32_t id = 0;
  std::string path;
  std::string value;  // remembered built-in value; held in memory only
};

struct TLang_CompEntry {
  std::string name;
  std::vector<TLang_PropEntry> props;  // sorted by path without regard to case
  std::vector<std::unique_ptr<TLang_CompEntry>> children;

  // Inserts at the sorted place; the path must not be present yet.
  TLang_PropEntry& addProp(int32_t id, std::string path);
  TLang_PropEntry* findProp(std::string_view path);
  int32_t largestId() const;
};

// Serialises the tree as LangData (little-endian, names and paths as stored).
std::string writeLangData(const TLang_CompEntry& root);
// Reads LangData; throws ELangError when the bytes are damaged.
std::unique_ptr<TLang_CompEntry> readLangData(std::string_view bytes);

}  // namespace lumora::i18n
