#include "audio/sound_library.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/fft_analyzer.h"
#include "audio/sound_output.h"
#include "audio/sound_stream.h"

namespace lumora::audio {

namespace {

// The library is process-wide by nature: one device, one set of streams.
struct Library {
  std::mutex mutex;  // streams and output; the output's mixer takes it too
  std::map<HSTREAM, std::unique_ptr<SoundStream>> streams;
  std::unique_ptr<SoundOutput> output;
  int device = -1;
  int rate = 44100;
  HSTREAM nextHandle = 1;
  std::atomic<float> gain{1.0f};

  std::mutex namesMutex;
  std::vector<std::string> names;  // "No sound", "Default", then SDL's outputs

  std::mutex fftMutex;
  FftAnalyzer fft;
  std::array<float, FftAnalyzer::kSize> samples{};
};

Library& lib() {
  static Library* instance = new Library();  // never destroyed: streams may outlive static destruction order
  return *instance;
}

void mix(float* out, int frames) {
  Library& l = lib();
  {
    std::lock_guard lock(l.mutex);
    for (auto& [handle, stream] : l.streams) stream->mixInto(out, frames);
  }
  const float gain = l.gain.load(std::memory_order_relaxed);
  for (int i = 0; i < frames * 2; ++i) out[i] = std::clamp(out[i] * gain, -1.0f, 1.0f);
}

// Runs `action` on the stream under the library lock; `fallback` for an unknown handle.
template <typename Result, typename Action>
Result withStream(HSTREAM handle, Result fallback, Action action) {
  Library& l = lib();
  std::lock_guard lock(l.mutex);
  auto it = l.streams.find(handle);
  if (it == l.streams.end()) return fallback;
  return action(*it->second);
}

}  // namespace

const char* SND_GetDeviceDescription(uint32_t device) {
  Library& l = lib();
  std::lock_guard lock(l.namesMutex);
  // The named outputs are listed afresh each time an enumeration reaches them.
  if (l.names.empty() || device == 2) {
    l.names = {"No sound", "Default"};
    if (device >= 2) {
      for (std::string& name : SoundOutput::namedOutputs()) l.names.push_back(std::move(name));
    }
  }
  return device < l.names.size() ? l.names[device].c_str() : nullptr;
}

int SND_GetDevice() {
  Library& l = lib();
  std::lock_guard lock(l.mutex);
  return l.device;
}

bool SND_Init(int device, uint32_t freq, uint32_t /*flags*/, void* /*window*/, const void* /*clsid*/) {
  SND_Free();
  Library& l = lib();
  const int rate = freq >= 8000 && freq <= 192000 ? static_cast<int>(freq) : 44100;
  // Opened without the lock: SDL may call the mixer before returning.
  std::unique_ptr<SoundOutput> output = SoundOutput::open(device, rate, &mix);
  std::lock_guard lock(l.mutex);
  l.device = device;
  l.rate = rate;
  l.output = std::move(output);
  return l.output != nullptr;
}

bool SND_SetDevice(uint32_t device) {
  Library& l = lib();
  std::lock_guard lock(l.mutex);
  return l.output != nullptr && static_cast<int>(device) == l.device;
}

bool SND_Free() {
  Library& l = lib();
  std::unique_ptr<SoundOutput> output;
  std::map<HSTREAM, std::unique_ptr<SoundStream>> streams;
  {
    std::lock_guard lock(l.mutex);
    output = std::move(l.output);
    streams = std::move(l.streams);
    l.streams.clear();
  }
  // Stop the output first (it may be inside the mixer), then the decoders.
  const bool wasOpen = output != nullptr;
  output.reset();
  streams.clear();
  return wasOpen;
}

bool SND_SetVolume(uint32_t volume) {
  lib().gain.store(static_cast<float>(std::min<uint32_t>(volume, 100)) / 100.0f);
  return true;
}

uint32_t outputVolume() { return static_cast<uint32_t>(std::lround(lib().gain.load() * 100.0f)); }

HSTREAM SND_StreamCreateFile(bool mem, const char* file, uint64_t offset, uint64_t length, uint32_t /*flags*/) {
  if (mem || file == nullptr || offset != 0 || length != 0) return 0;
  Library& l = lib();
  int rate = 0;
  {
    std::lock_guard lock(l.mutex);
    if (l.output == nullptr) return 0;
    rate = l.rate;
  }
  std::unique_ptr<SoundStream> stream = SoundStream::open(file, rate);
  if (stream == nullptr) return 0;
  std::lock_guard lock(l.mutex);
  if (l.output == nullptr) return 0;  // freed meanwhile
  const HSTREAM handle = l.nextHandle++;
  if (l.nextHandle == 0) l.nextHandle = 1;
  l.streams.emplace(handle, std::move(stream));
  return handle;
}

bool SND_StreamFree(HSTREAM handle) {
  Library& l = lib();
  std::unique_ptr<SoundStream> stream;
  {
    std::lock_guard lock(l.mutex);
    auto it = l.streams.find(handle);
    if (it == l.streams.end()) return false;
    stream = std::move(it->second);
    l.streams.erase(it);
  }
  return true;  // the decoder thread is joined here, outside the lock
}

bool SND_ChannelPlay(HSTREAM handle, int restart) {
  return withStream(handle, false, [&](SoundStream& s) {
    s.play(restart != 0);
    return true;
  });
}

bool SND_ChannelPause(HSTREAM handle) {
  return withStream(handle, false, [](SoundStream& s) {
    s.pause();
    return true;
  });
}

bool SND_ChannelStop(HSTREAM handle) {
  return withStream(handle, false, [](SoundStream& s) {
    s.stop();
    return true;
  });
}

uint32_t SND_ChannelIsActive(HSTREAM handle) {
  return withStream(handle, kStateStopped, [](SoundStream& s) { return s.state(); });
}

uint64_t SND_ChannelGetLength(HSTREAM handle) {
  return withStream(handle, uint64_t{0}, [](SoundStream& s) { return s.lengthBytes(); });
}

uint64_t SND_ChannelGetPosition(HSTREAM handle) {
  return withStream(handle, uint64_t{0}, [](SoundStream& s) { return s.positionBytes(); });
}

bool SND_ChannelSetPosition(HSTREAM handle, uint64_t position) {
  return withStream(handle, false, [&](SoundStream& s) {
    if (position > s.lengthBytes()) return false;
    s.setPositionBytes(position);
    return true;
  });
}

double SND_ChannelBytes2Seconds(HSTREAM handle, uint64_t bytes) {
  return withStream(handle, 0.0, [&](SoundStream& s) {
    return static_cast<double>(bytes) / (static_cast<double>(s.bytesPerFrame()) * s.sampleRate());
  });
}

int32_t SND_ChannelGetData(HSTREAM handle, void* buffer, uint32_t flags) {
  if (flags != kDataFft1024 || buffer == nullptr) return -1;
  Library& l = lib();
  std::lock_guard fftLock(l.fftMutex);
  const bool found = withStream(handle, false, [&](SoundStream& s) {
    s.recentSamples(l.samples);
    return true;
  });
  if (!found) return -1;
  l.fft.analyze(l.samples, static_cast<float*>(buffer));
  return static_cast<int32_t>(kFftBins * sizeof(float));
}

}  // namespace lumora::audio
