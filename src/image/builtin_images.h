#pragma once
// The program's own small pictures: a placeholder while an image is pending (or images are off) and a sign
// for a picture that could not be loaded.

#include "image/image_types.h"

namespace lumora::image {

inline constexpr int kBuiltinImageSize = 16;

const TBitmap& DefaultImage();
const TBitmap& ErrorImage();
const TMask& ErrorImageMask();

}  // namespace lumora::image
