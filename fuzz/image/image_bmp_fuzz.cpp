#include <cstddef>
#include <cstdint>

#include "fuzz_limits.h"
#include "image/bmp_decoder.h"

using namespace lumora::image;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    TBitmap b = decodeBmp(data, size, fuzzLimits());
    if (b.Pixels.size() != size_t(b.Width) * size_t(b.Height)) __builtin_trap();
  } catch (const EBmpError&) {
  }
  return 0;
}
