#include "audio/fft_analyzer.h"

#include <kiss_fftr.h>

#include <cmath>
#include <numbers>

namespace lumora::audio {

struct FftAnalyzer::Plan {
  kiss_fftr_cfg cfg = nullptr;
  std::array<float, kSize> window{};
  std::array<kiss_fft_scalar, kSize> input{};
  std::array<kiss_fft_cpx, kSize / 2 + 1> output{};
};

FftAnalyzer::FftAnalyzer() : plan_(std::make_unique<Plan>()) {
  plan_->cfg = kiss_fftr_alloc(kSize, 0, nullptr, nullptr);
  for (int i = 0; i < kSize; ++i) {
    plan_->window[static_cast<size_t>(i)] =
        static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (kSize - 1)));
  }
}

FftAnalyzer::~FftAnalyzer() { kiss_fftr_free(plan_->cfg); }

void FftAnalyzer::analyze(const std::array<float, kSize>& samples, float* magnitudes) {
  Plan& p = *plan_;
  for (size_t i = 0; i < kSize; ++i) p.input[i] = samples[i] * p.window[i];
  kiss_fftr(p.cfg, p.input.data(), p.output.data());
  constexpr float scale = 2.0f / kSize;
  for (size_t k = 0; k < kBins; ++k) {
    magnitudes[k] = std::hypot(p.output[k].r, p.output[k].i) * scale;
  }
}

}  // namespace lumora::audio
