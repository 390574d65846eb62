#pragma once
// One decoded file stream: a decoder thread fills a ring of 16-bit frames ahead of playback, the output
// thread takes frames from it (resampling to the output rate), and the calling thread controls it with
// short locks only, so opening, seeking and playing never wait on the decoder.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumora::audio {

class SoundStream {
 public:
  // nullptr when `path` is not a regular file or libsndfile cannot decode it.
  static std::unique_ptr<SoundStream> open(const std::string& path, int outputRate);
  ~SoundStream();
  SoundStream(const SoundStream&) = delete;
  SoundStream& operator=(const SoundStream&) = delete;

  int channels() const { return channels_; }
  int sampleRate() const { return sampleRate_; }
  uint64_t lengthBytes() const { return frames_ * bytesPerFrame(); }
  uint64_t bytesPerFrame() const { return static_cast<uint64_t>(channels_) * 2; }

  uint32_t state() const;
  void play(bool restart);
  void pause();
  void stop();
  uint64_t positionBytes() const;
  void setPositionBytes(uint64_t bytes);

  // The last 1024 played frames as mono samples in -1..1, oldest first.
  void recentSamples(std::array<float, 1024>& out) const;

  // Output thread: adds `frames` stereo frames of this stream (at the output rate) to `out`.
  void mixInto(float* out, int frames);

 private:
  SoundStream() = default;
  void decoderLoop();
  void seekLocked(uint64_t frame);
  bool popFrame(float& left, float& right);  // under mutex_

  struct SndFileCloser {
    void operator()(void* file) const;
  };
  int fd_ = -1;  // the file libsndfile reads; closed after it
  std::unique_ptr<void, SndFileCloser> file_;
  int channels_ = 0;
  int sampleRate_ = 0;
  uint64_t frames_ = 0;
  double step_ = 1.0;  // source frames per output frame

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::thread decoder_;
  bool quit_ = false;
  uint32_t state_ = 0;

  // Ring of decoded interleaved samples; capacity in frames.
  std::vector<int16_t> ring_;
  std::vector<int16_t> chunk_;  // the decoder thread's read buffer
  size_t ringFrames_ = 0;
  size_t ringHead_ = 0;   // frame index of the oldest unread frame
  size_t ringCount_ = 0;  // frames ready
  bool endOfFile_ = false;
  bool seekPending_ = false;
  uint64_t seekFrame_ = 0;
  uint64_t generation_ = 0;  // bumped on every seek so stale decoded chunks are dropped

  uint64_t playFrame_ = 0;  // frames handed to the output
  double phase_ = 1.0;      // resampler position between prev_ and the ring's next frame
  float prevLeft_ = 0, prevRight_ = 0;

  std::array<float, 1024> history_{};
  size_t historyPos_ = 0;
};

}  // namespace lumora::audio
