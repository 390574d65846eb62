#pragma once
// Audio fixtures made on the fly: WAV files written here, other formats through sox and lame, and MPEG
// layer I/II files of silent frames written byte by byte.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <numbers>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace lumora::audio::testing {

inline bool haveTool(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

inline bool run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// Runs `call`, which opens `fifo`, on a thread of its own: true when it returns within a few seconds.
// Otherwise writers are opened on the FIFO until the waiting open comes back, so the test fails rather
// than hangs.
inline bool returnsWithoutWaitingOn(const std::filesystem::path& fifo, const std::function<void()>& call) {
  using namespace std::chrono_literals;
  std::future<void> done = std::async(std::launch::async, call);
  if (done.wait_for(5s) == std::future_status::ready) {
    done.get();
    return true;
  }
  while (done.wait_for(50ms) != std::future_status::ready) {
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  }
  done.get();
  return false;
}

inline std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

inline void putLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A 16-bit PCM WAV file of the given samples (interleaved).
inline std::string wavBytes(const std::vector<int16_t>& samples, int rate, int channels) {
  std::string out = "RIFF";
  const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
  putLe(out, 36 + data, 4);
  out += "WAVEfmt ";
  putLe(out, 16, 4), putLe(out, 1, 2), putLe(out, static_cast<uint32_t>(channels), 2);
  putLe(out, static_cast<uint32_t>(rate), 4), putLe(out, static_cast<uint32_t>(rate * channels * 2), 4);
  putLe(out, static_cast<uint32_t>(channels * 2), 2), putLe(out, 16, 2);
  out += "data";
  putLe(out, data, 4);
  for (int16_t s : samples) putLe(out, static_cast<uint16_t>(s), 2);
  return out;
}

// A sine of `hz` at `amplitude` (1.0 = full scale) on every channel.
inline std::vector<int16_t> sine(double seconds, int rate, int channels, double hz, double amplitude) {
  const size_t frames = static_cast<size_t>(seconds * rate);
  std::vector<int16_t> samples;
  samples.reserve(frames * static_cast<size_t>(channels));
  for (size_t f = 0; f < frames; ++f) {
    const double v = amplitude * 32767.0 * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(f) / rate);
    for (int c = 0; c < channels; ++c) samples.push_back(static_cast<int16_t>(std::lround(v)));
  }
  return samples;
}

inline std::filesystem::path writeWav(const std::filesystem::path& path, double seconds, int rate = 44100,
                                      int channels = 2, double hz = 440.0, double amplitude = 0.5) {
  lumora::testing::writeFile(path, wavBytes(sine(seconds, rate, channels, hz, amplitude), rate, channels));
  return path;
}

// MPEG-1 frames whose bit allocations are all zero: valid, silent audio. Layer II at 192 kbit/s carries
// 1152 samples per frame, layer I at 128 kbit/s 384; both 44.1 kHz stereo.
inline std::string silentMpegFrames(int layer, int frames) {
  const uint32_t layerBits = layer == 2 ? 0b10 : 0b11;
  const uint32_t bitrateIndex = layer == 2 ? 10 : 4;
  const uint32_t header = (0xFFFu << 20) | (1u << 19) | (layerBits << 17) | (1u << 16) | (bitrateIndex << 12);
  const size_t size = layer == 2 ? 144 * 192000 / 44100 : (12 * 128000 / 44100) * 4;
  std::string frame(size, '\0');
  for (int i = 0; i < 4; ++i) frame[static_cast<size_t>(i)] = static_cast<char>(header >> (24 - 8 * i));
  std::string out;
  for (int i = 0; i < frames; ++i) out += frame;
  return out;
}

}  // namespace lumora::audio::testing
