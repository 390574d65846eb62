#include "audio/sound_output.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace lumora::audio {

namespace {

constexpr int kMaxBlockFrames = 4096;

bool startSdlAudio() {
  static const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  return started;
}

// "No sound": the mixer runs every few milliseconds on the real-time clock and its output is dropped.
class SilentOutput final : public SoundOutput {
 public:
  SilentOutput(int rate, MixFunction mix) : rate_(rate), mix_(std::move(mix)), block_(kMaxBlockFrames * 2) {
    thread_ = std::thread([this] { run(); });
  }
  ~SilentOutput() override {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  void run() {
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    uint64_t done = 0;
    std::unique_lock lock(mutex_);
    while (!quit_) {
      wake_.wait_for(lock, std::chrono::milliseconds(5));
      if (quit_) break;
      const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(clock::now() - start).count();
      const uint64_t due = static_cast<uint64_t>(elapsed) * static_cast<uint64_t>(rate_) / 1000000u;
      // After a long stall (a busy machine) the missed time is dropped, as a sound card drops it in an
      // underrun, rather than played out at once: that would let a stream that just started leap ahead.
      const uint64_t maxBacklog = static_cast<uint64_t>(rate_) / 50;  // 20 ms
      if (due > done + maxBacklog) done = due - maxBacklog;
      while (done < due) {
        const int frames = static_cast<int>(std::min<uint64_t>(due - done, kMaxBlockFrames));
        std::fill(block_.begin(), block_.begin() + frames * 2, 0.0f);
        mix_(block_.data(), frames);
        done += static_cast<uint64_t>(frames);
      }
    }
  }

  int rate_;
  MixFunction mix_;
  std::vector<float> block_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool quit_ = false;
  std::thread thread_;
};

class SdlOutput final : public SoundOutput {
 public:
  static std::unique_ptr<SdlOutput> open(const char* name, int rate, MixFunction mix) {
    std::unique_ptr<SdlOutput> out(new SdlOutput(std::move(mix)));
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &SdlOutput::callback;
    want.userdata = out.get();
    SDL_AudioSpec have{};
    // No allowed changes: SDL converts our 16-bit-derived float stereo to whatever the device needs.
    out->device_ = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
    if (out->device_ == 0) return nullptr;
    SDL_PauseAudioDevice(out->device_, 0);
    return out;
  }
  ~SdlOutput() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
  }

 private:
  explicit SdlOutput(MixFunction mix) : mix_(std::move(mix)) {}
  static void callback(void* self, Uint8* stream, int len) {
    auto* out = static_cast<SdlOutput*>(self);
    auto* samples = reinterpret_cast<float*>(stream);
    const int frames = len / static_cast<int>(2 * sizeof(float));
    std::fill(samples, samples + frames * 2, 0.0f);
    out->mix_(samples, frames);
  }

  MixFunction mix_;
  SDL_AudioDeviceID device_ = 0;
};

}  // namespace

std::vector<std::string> SoundOutput::namedOutputs() {
  std::vector<std::string> names;
  if (!startSdlAudio()) return names;
  const int count = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < count; ++i) {
    const char* name = SDL_GetAudioDeviceName(i, 0);
    names.emplace_back(name != nullptr ? name : "");
  }
  return names;
}

std::unique_ptr<SoundOutput> SoundOutput::open(int device, int rate, MixFunction mix) {
  if (device == 0) return std::make_unique<SilentOutput>(rate, std::move(mix));
  if (device < 0 || !startSdlAudio()) return nullptr;
  if (device == 1) return SdlOutput::open(nullptr, rate, std::move(mix));
  const char* name = SDL_GetAudioDeviceName(device - 2, 0);
  if (name == nullptr) return nullptr;
  const std::string copy(name);  // SDL may reuse the name's storage while opening
  return SdlOutput::open(copy.c_str(), rate, std::move(mix));
}

}  // namespace lumora::audio
