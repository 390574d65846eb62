#include <cstddef>
#include <cstdint>

#include "fuzz_limits.h"
#include "image/gif_image.h"

using namespace lumora::image;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bool single = true;
  auto gif = CreateGifFromStream(data, size, single, fuzzLimits());
  if (!gif) return 0;
  // Play it for a while and read every frame, as the document and the painter would.
  auto copy = CopyGif(*gif);
  copy->DrawGif(0, 0, gif->Width, gif->Height);
  copy->SetAnimate(true, 0);
  for (int64_t t = 50; t < 2000; t += 40) copy->AnimationTick(t, nullptr);
  for (int i = 1; i <= gif->FrameCount && i <= 4; ++i) {
    TBitmap frame = gif->frameBitmap(i);
    auto mask = gif->frameMask(i);
    if (mask && mask->Bits.size() != frame.Pixels.size()) __builtin_trap();
  }
  gif->FirstFrameBitmap();
  gif->FirstFrameMask();
  return 0;
}
