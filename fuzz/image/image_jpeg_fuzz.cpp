#include <cstddef>
#include <cstdint>

#include "fuzz_limits.h"
#include "image/jpeg_decoder.h"

using namespace lumora::image;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    JpegResult r = decodeJpeg(data, size, fuzzLimits());
    if (r.Bitmap.Pixels.size() != size_t(r.Bitmap.Width) * size_t(r.Bitmap.Height)) __builtin_trap();
  } catch (const EJpegError&) {
  }
  return 0;
}
