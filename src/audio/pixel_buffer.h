#pragma once
// A plain 32-bit pixel surface (0xAARRGGBB words, row by row), the off-screen bitmap of the spectrum and
// the target it is copied to. Its layout matches a Qt RGB32 image, so the user interface shows it as is.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumora::audio {

struct PixelBuffer {
  PixelBuffer() = default;
  PixelBuffer(int w, int h, uint32_t fill = 0xFF000000u)
      : width(w > 0 ? w : 0), height(h > 0 ? h : 0), pixels(static_cast<size_t>(width) * height, fill) {}

  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// A colour value of the form 0x00BBGGRR as a pixel word.
inline uint32_t pixelFromColor(uint32_t color) {
  const uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

}  // namespace lumora::audio
