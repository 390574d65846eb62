#pragma once
// Magnitude spectrum of 1024 samples: Hann window, real FFT, magnitudes scaled by 2/N so a full-scale
// sine peaks near 0.5 and silence gives 0. The plan and work buffers are made once; analysing allocates
// nothing.

#include <array>
#include <memory>

namespace lumora::audio {

class FftAnalyzer {
 public:
  static constexpr int kSize = 1024;
  static constexpr int kBins = kSize / 2;

  FftAnalyzer();
  ~FftAnalyzer();
  FftAnalyzer(const FftAnalyzer&) = delete;
  FftAnalyzer& operator=(const FftAnalyzer&) = delete;

  void analyze(const std::array<float, kSize>& samples, float* magnitudes /* kBins floats */);

 private:
  struct Plan;
  std::unique_ptr<Plan> plan_;
};

}  // namespace lumora::audio
