// Any bytes as the lists and descriptions inside a help file: a table of contents or index, a "#SYSTEM"
// object, popup texts, and as a topic name a page links with. Names always stay inside the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "help/chm_system.h"
#include "help/help_names.h"
#include "help/help_sitemap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumora::help;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const uint32_t lcid = size > 0 ? (data[0] == 'R' ? 0x419 : 0x409) : 0;
  const auto entries = parseSitemap(bytes, lcid);
  if (entries.size() > kMaxSitemapEntries) __builtin_trap();
  for (const TSitemapEntry& entry : entries)
    if (entry.Level < 0 || entry.Level > kMaxSitemapLevel) __builtin_trap();
  const TChmSystemInfo info = parseSystemFile(bytes);
  (void)codePageOfLcid(info.Lcid);
  (void)parsePopupTexts(bytes);
  const size_t cut = bytes.find('\n');
  const std::string reference = bytes.substr(0, cut == std::string::npos ? 256 : cut);
  const std::string current = cut == std::string::npos ? std::string() : "/" + bytes.substr(cut + 1, 64);
  const std::string name = resolveTopicName(reference, current);
  if (!name.empty()) {
    if (name[0] != '/') __builtin_trap();
    const std::string path = withoutFragment(name);
    if (path.find("/../") != std::string::npos || path.find("//") != std::string::npos || path.find('\\') != std::string::npos)
      __builtin_trap();
  }
  return 0;
}
