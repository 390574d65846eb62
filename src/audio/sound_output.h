#pragma once
// Where mixed sound goes: an SDL2 audio device, or for "No sound" a clock thread that takes frames from
// the streams in real time and drops them, so positions, ends and FFT data behave as on a sound card.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumora::audio {

class SoundOutput {
 public:
  // Fills `out` (interleaved stereo floats, zeroed by the caller) with `frames` frames.
  using MixFunction = std::function<void(float* out, int frames)>;

  virtual ~SoundOutput() = default;

  // device 0: the silent clock; 1: the system's default output; 2..: the SDL output number device - 2.
  // nullptr when the device cannot be opened.
  static std::unique_ptr<SoundOutput> open(int device, int rate, MixFunction mix);

  // SDL's output names (not counting "No sound" and the default output).
  static std::vector<std::string> namedOutputs();
};

}  // namespace lumora::audio
