// Names and URLs from documents through every URL function: the input is split at its first NUL into two.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "url/url_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lumora::url;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string_view a = input.substr(0, split);
  const std::string_view b = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  UrlToDosPath(a);
  ServerUrlToDosPath(a, b);
  SplitAtHash(a);
  ParseURL(a);
  GetProtocol(a);
  IsFullURL(a);
  GetURLBase(a);
  CombineURL(a, b);
  CombineURL(GetURLBase(a), b);
  PosX(b.substr(0, 3), a, static_cast<int>(size % 7) - 3);
  return 0;
}
