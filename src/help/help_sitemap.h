#pragma once
// The lists of a compiled help file: the table of contents (.hhc) and the index (.hhk). Both are HTML
// pages of nested UL lists whose LI items hold an OBJECT of type "text/sitemap" with PARAM elements; the
// "Name" and "Local" params give an entry's text and its topic.

#include <string>
#include <string_view>
#include <vector>

namespace lumora::help {

struct TSitemapEntry {
  std::string Name;   // UTF-8, entities decoded
  std::string Local;  // the topic as written (relative to the file's root), may be empty for a heading
  int Level = 0;      // 0 for the outermost list, one more for each list inside it
};

// At most this many entries and this deep: a help file's own lists stay far below, a hostile one cannot
// make the windows that show them unbounded.
inline constexpr size_t kMaxSitemapEntries = 100000;
inline constexpr int kMaxSitemapLevel = 32;

// The entries in document order. Lcid gives the code page of text that is not UTF-8. Tags in any letter
// case, attribute values quoted with either quote or not at all; a tag cut off at the end ends the list.
// Of several "Name" or "Local" params of one entry the first counts.
std::vector<TSitemapEntry> parseSitemap(std::string_view Text, uint32_t Lcid = 0);

}  // namespace lumora::help
