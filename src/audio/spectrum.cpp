#include "audio/spectrum.h"

#include <algorithm>
#include <cmath>

namespace lumora::audio {

TSpectrum::TSpectrum(int width, int height) : Buffer(width, height), Background(width, height) {}

void TSpectrum::fillRect(int left, int top, int right, int bottom, uint32_t pixel) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, Buffer.width);
  bottom = std::min(bottom, Buffer.height);
  for (int y = top; y < bottom; ++y) {
    uint32_t* row = Buffer.pixels.data() + static_cast<size_t>(y) * Buffer.width;
    std::fill(row + left, row + std::max(left, right), pixel);
  }
}

void TSpectrum::Draw(PixelBuffer& target, FftData fft, int X, int Y) {
  const int W = Buffer.width, H = Buffer.height;
  if (ClearFrame) {
    fillRect(0, 0, W, H, pixelFromColor(BackColor));
    if (UseBackground && Background.pixels.size() == Buffer.pixels.size()) {
      std::copy(Background.pixels.begin(), Background.pixels.end(), Buffer.pixels.begin());
    }
  }
  const uint32_t line = pixelFromColor(LineColor);
  const uint32_t peak = pixelFromColor(PeakColor);
  const int base = H + Y;
  for (int i = 0; i < kColumns; ++i) {
    // Bins past the data (a large BinStep) and values that are not numbers count as silence; huge values
    // are capped before the conversion so it cannot overflow.
    const int64_t bin = static_cast<int64_t>(i) * BinStep + 5;
    float magnitude = bin >= 0 && bin < static_cast<int64_t>(fft.size()) ? std::fabs(fft[static_cast<size_t>(bin)]) : 0.0f;
    if (!(magnitude == magnitude)) magnitude = 0.0f;
    const double scaled = std::min(static_cast<double>(magnitude) * 500.0, 1e9);
    const int32_t v = std::min(static_cast<int32_t>(scaled), MaxHeight);
    int32_t& p = PeakLevels[static_cast<size_t>(i)];
    int32_t& l = LineLevels[static_cast<size_t>(i)];
    if (v >= p) p = v; else p -= PeakFall;
    if (v >= l) l = v; else l -= LineFall;
    p = std::max(p, 0);
    l = std::max(l, 0);
    if (DrawMode == 0) {
      const int x = X + i;
      fillRect(x, base - l + 1, x + 1, base + 1, line);  // from the base up, the far end excluded
      if (ShowPeaks) fillRect(x, base - p, x + 1, base - p + 1, line);
    } else if (DrawMode == 1) {
      const int x = X + i * (BarWidth + 1);
      if (ShowPeaks) fillRect(x, base - p, x + BarWidth, base - p + 1, peak);
      fillRect(x, base - l, x + BarWidth, base, line);
    }
  }
  // One block copy of the whole buffer to the target's top left corner.
  const int w = std::min(W, target.width), h = std::min(H, target.height);
  for (int y = 0; y < h; ++y) {
    std::copy_n(Buffer.pixels.data() + static_cast<size_t>(y) * W, w,
                target.pixels.data() + static_cast<size_t>(y) * target.width);
  }
}

}  // namespace lumora::audio
