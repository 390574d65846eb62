#pragma once
// JPEG through libjpeg: baseline, progressive, greyscale and CMYK (Adobe) pictures. libjpeg's fatal errors
// come back here instead of ending the process; a picture that breaks off keeps the rows decoded so far.
// libjpeg's memory is bounded by the picture limit, and a progressive picture whose scans revisit its
// coefficients far more often than any valid progression does is refused.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "image/image_types.h"

namespace lumora::image {

class EJpegError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct JpegResult {
  TBitmap Bitmap;
  bool Complete = true;  // false when the data broke off and only part of the picture was decoded
  std::string Warning;   // libjpeg's message when it was not complete
};

// The size the header declares, read without decoding; throws EJpegError wherever decodeJpeg refuses the
// header (a picture larger than `limits` among them).
TImageSize readJpegHeader(const uint8_t* data, size_t size, const DecodeLimits& limits = {});

// Throws EJpegError when not even the header and the start of the picture can be read.
JpegResult decodeJpeg(const uint8_t* data, size_t size, const DecodeLimits& limits = {});

}  // namespace lumora::image
