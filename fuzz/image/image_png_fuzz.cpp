#include <cstddef>
#include <cstdint>

#include "fuzz_limits.h"
#include "image/image_loader.h"
#include "image/png_image.h"

using namespace lumora::image;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pngTransparentColor(data, size);
  TPNGImage png;
  try {
    png.LoadFromStream(data, size, fuzzLimits());
    const TBitmap& b = png.Bitmap();
    if (b.Pixels.size() != size_t(b.Width) * size_t(b.Height)) __builtin_trap();
  } catch (const EPNGImageException&) {
    if (png.Bitmap().Width != 0) __builtin_trap();
  }
  return 0;
}
