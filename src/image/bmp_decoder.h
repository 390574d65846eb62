#pragma once
// Windows and OS/2 bitmap files: 1, 4, 8, 16, 24 and 32 bits per pixel, RLE4 and RLE8, bit fields,
// bottom-up and top-down rows, core (OS/2 1.x), OS/2 2.x, info, V4 and V5 headers.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "image/image_types.h"

namespace lumora::image {

class EBmpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The size the headers declare, read without decoding a pixel; throws EBmpError wherever decodeBmp refuses
// the headers (a picture larger than `limits` among them).
TImageSize readBmpHeader(const uint8_t* data, size_t size, const DecodeLimits& limits = {});

// The picture is opaque: like the old screen drawing, the fourth byte of 32-bit pixels is not alpha.
// Throws EBmpError for anything it cannot read.
TBitmap decodeBmp(const uint8_t* data, size_t size, const DecodeLimits& limits = {});

}  // namespace lumora::image
