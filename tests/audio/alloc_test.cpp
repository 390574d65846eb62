// Drawing a spectrum frame and reading FFT data allocate nothing: a counting global allocator watches.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <new>

#include "audio/sound_library.h"
#include "audio/spectrum.h"
#include "audio_fixtures.h"

namespace {
std::atomic<long> allocations{0};
}

// GCC cannot see that these replace the global pair, and takes free() here for a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace lumora::audio {
namespace {

TEST(AudioAllocation, SpectrumFrameAndFftDataAllocateNothing) {
  TSpectrum spectrum(161, 44);
  PixelBuffer box(161, 44);
  ASSERT_TRUE(SND_Init(kNoSoundDevice, 44100, 0, nullptr, nullptr));
  lumora::testing::TempDir dir;
  const HSTREAM h = SND_StreamCreateFile(false, testing::writeWav(dir / "a.wav", 1.0).c_str(), 0, 0, 0);
  SND_ChannelPlay(h, 0);
  TSpectrum::FftData fft{};
  SND_ChannelGetData(h, fft.data(), kDataFft1024);  // first use may set things up
  // Only this thread's allocations are of interest, but the decoder and output threads allocate nothing
  // while playing either, so the process-wide count is checked.
  const long before = allocations.load();
  for (int frame = 0; frame < 50; ++frame) {
    SND_ChannelGetData(h, fft.data(), kDataFft1024);
    spectrum.Draw(box, fft, 7, -10);
  }
  EXPECT_EQ(allocations.load() - before, 0);
  SND_Free();
}

}  // namespace
}  // namespace lumora::audio
