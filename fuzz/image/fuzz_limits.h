#pragma once
// Smaller picture limits than the program's (a quarter megapixel), so a fuzzer spends its time on parsing,
// not on filling large bitmaps or on libjpeg revisiting a large progressive picture.

#include "image/image_types.h"

namespace lumora::image {

inline DecodeLimits fuzzLimits() {
  DecodeLimits limits;
  limits.MaxPixels = uint64_t(1) << 18;
  return limits;
}

}  // namespace lumora::image
