#pragma once
// The playback state shared by the audio bar, the settings dialog, the spectrum and the track hint, and
// the small computations of the status timer and the seek slider.

#include <cstdint>
#include <string>

#include "audio/sound_library.h"

namespace lumora::audio {

// Process-wide, as the player has exactly one stream slot. Used on the user-interface thread only.
// LoopEnabled and TagVersion, which the settings dialog sets too, live in lumora::core::programValues().
struct PlaybackState {
  HSTREAM ChannelHandle = 0;
};
PlaybackState& playback();

inline constexpr int kSeekRange = 500;

// "Playing  m:ss (m:ss)." from total and remaining whole seconds.
std::string statusText(uint32_t totalSeconds, uint32_t remainingSeconds);

// The status text of a stream from its length and position in bytes (seconds through the library).
std::string statusTextFor(HSTREAM handle, uint64_t length, uint64_t position);

// Seek slider position for a stream position: (P x 500) div L, clamped to 0..500; 0 for an empty stream.
int sliderPositionFor(uint64_t position, uint64_t length);

// Byte position for a seek slider position: truncate(slider x length / 500). Kept at 64 bits so that
// seeking in streams longer than 4 GiB of decoded sound lands where the slider says.
uint64_t seekBytesFor(int sliderPosition, uint64_t length);

// One tick of the loop timer: restarts a stopped stream from its beginning while looping is on.
void loopTick();

// Sound card list position for a stored [Execute] Device value: the value when it names a listed device,
// else 1 (the default output).
int deviceSelectionFor(int storedDevice, int deviceCount);

}  // namespace lumora::audio
