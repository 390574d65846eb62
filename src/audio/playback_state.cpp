#include "audio/playback_state.h"

#include "core/program_values.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace lumora::audio {

PlaybackState& playback() {
  static PlaybackState state;
  return state;
}

std::string statusText(uint32_t totalSeconds, uint32_t remainingSeconds) {
  char text[64];
  std::snprintf(text, sizeof text, "Playing  %u:%.2u (%u:%.2u).", totalSeconds / 60, totalSeconds % 60,
                remainingSeconds / 60, remainingSeconds % 60);
  return text;
}

std::string statusTextFor(HSTREAM handle, uint64_t length, uint64_t position) {
  // Only the low 32 bits of the length take part here, as the seconds have always been computed.
  const uint32_t low = static_cast<uint32_t>(length);
  const double total = SND_ChannelBytes2Seconds(handle, low);
  const double remaining = SND_ChannelBytes2Seconds(handle, static_cast<uint32_t>(low - position));
  auto seconds = [](double s) { return s > 0 && s < 4294967296.0 ? static_cast<uint32_t>(s) : 0u; };
  return statusText(seconds(total), seconds(remaining));
}

int sliderPositionFor(uint64_t position, uint64_t length) {
  // An empty or unknown length has no meaningful position; the slider stays at the start.
  if (length == 0) return 0;
  const int64_t p = static_cast<int64_t>(std::min<uint64_t>(position, INT64_MAX / kSeekRange));
  const int64_t value = p * kSeekRange / static_cast<int64_t>(std::min<uint64_t>(length, INT64_MAX));
  return static_cast<int>(std::clamp<int64_t>(value, 0, kSeekRange));
}

uint64_t seekBytesFor(int sliderPosition, uint64_t length) {
  const double bytes = static_cast<double>(static_cast<int64_t>(sliderPosition) * static_cast<int64_t>(
                           std::min<uint64_t>(length, INT64_MAX / 1024))) / kSeekRange;
  return static_cast<uint64_t>(std::max(bytes, 0.0));
}

void loopTick() {
  const HSTREAM handle = playback().ChannelHandle;
  if (SND_ChannelIsActive(handle) == kStateStopped && core::programValues().LoopEnabled) {
    SND_ChannelPlay(handle, -1);
  }
}

int deviceSelectionFor(int storedDevice, int deviceCount) {
  return storedDevice >= 0 && storedDevice < deviceCount ? storedDevice : 1;
}

}  // namespace lumora::audio
