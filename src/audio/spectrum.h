#pragma once
// The live frequency display: 129 level columns with falling peaks, drawn into an off-screen buffer and
// copied to the target in one transfer. Drawing a frame allocates nothing.

#include <array>
#include <cstdint>

#include "audio/pixel_buffer.h"

namespace lumora::audio {

class TSpectrum {
 public:
  static constexpr int kColumns = 129;
  using FftData = std::array<float, 513>;

  TSpectrum(int width, int height);

  // Draws one frame from the FFT magnitudes, shifted by (X, Y), and copies the buffer to target at (0, 0).
  void Draw(PixelBuffer& target, FftData fft, int X, int Y);

  PixelBuffer Buffer;
  PixelBuffer Background;
  uint32_t BackColor = 0x000000;
  int32_t MaxHeight = 40;
  uint32_t LineColor = 0xFFFFFF;
  uint32_t PeakColor = 0x00FFFF;
  int32_t DrawMode = 0;
  int32_t BinStep = 1;
  bool ClearFrame = true;
  bool UseBackground = false;
  int32_t PeakFall = 1;
  int32_t LineFall = 3;
  int32_t BarWidth = 5;
  bool ShowPeaks = true;
  std::array<int32_t, kColumns> PeakLevels{};
  std::array<int32_t, kColumns> LineLevels{};

 private:
  void fillRect(int left, int top, int right, int bottom, uint32_t pixel);  // right and bottom excluded
};

}  // namespace lumora::audio
