#include <cstddef>
#include <cstdint>
#include <string>

#include "html/image_map.h"

using namespace lumora::html;

// Input: SHAPE value, a newline, then the COORDS value (bytes taken as characters).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text(data, data + size);
  size_t newline = text.find(u'\n');
  std::u16string shape = newline == std::u16string::npos ? u"" : text.substr(0, newline);
  std::u16string coords = newline == std::u16string::npos ? text : text.substr(newline + 1);
  TMapItem map(u"m");
  map.AddArea({{"HREF", u"x"}, {"SHAPE", shape}, {"COORDS", coords}});
  std::u16string title;
  TMapLink link;
  for (int y = -3; y < 40; y += 3)
    for (int x = -3; x < 40; x += 3) map.AreaAtPoint(x, y, title, link);
  return 0;
}
