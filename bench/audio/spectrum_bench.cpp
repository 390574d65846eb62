// Cost of one spectrum frame: FFT data from a playing stream and drawing the 161 x 44 box.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/sound_library.h"
#include "audio/spectrum.h"

using namespace lumora::audio;

static void BM_SpectrumDraw(benchmark::State& state) {
  TSpectrum spectrum(161, 44);
  PixelBuffer box(161, 44);
  TSpectrum::FftData fft{};
  for (size_t i = 0; i < fft.size(); ++i) fft[i] = static_cast<float>(0.05 + 0.05 * std::sin(i * 0.3));
  int frame = 0;
  for (auto _ : state) {
    fft[5 + frame % 100] = (frame % 7) * 0.02f;  // levels keep changing
    spectrum.Draw(box, fft, 7, -10);
    benchmark::DoNotOptimize(box.pixels.data());
    ++frame;
  }
}
BENCHMARK(BM_SpectrumDraw);

static void BM_ChannelGetData(benchmark::State& state) {
  const std::string path = "/tmp/lumora-audio-bench-sine.wav";
  if (std::system(("sox -n -r 44100 -c 2 -b 16 " + path + " synth 5 sine 1000 2>/dev/null").c_str()) != 0) {
    state.SkipWithError("sox is needed");
    return;
  }
  SND_Init(kNoSoundDevice, 44100, 0, nullptr, nullptr);
  const HSTREAM h = SND_StreamCreateFile(false, path.c_str(), 0, 0, 0);
  SND_ChannelPlay(h, 0);
  TSpectrum::FftData fft{};
  for (auto _ : state) {
    SND_ChannelGetData(h, fft.data(), kDataFft1024);
    benchmark::DoNotOptimize(fft.data());
  }
  SND_Free();
  std::remove(path.c_str());
}
BENCHMARK(BM_ChannelGetData);

BENCHMARK_MAIN();
