#pragma once
// Writes a picture as a PNG file (8-bit RGBA, no interlace), for the tools that save what the program
// decoded or drew.

#include <string>
#include <vector>

#include "image/image_types.h"

namespace lumora::image {

// The PNG file of `bitmap`. Without HasAlpha every pixel is written opaque.
std::vector<uint8_t> encodePng(const TBitmap& bitmap);

// encodePng into `path`; false when the file cannot be written.
bool writePngFile(const TBitmap& bitmap, const std::string& path);

}  // namespace lumora::image
