#include "audio/sound_stream.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>

#include "audio/audio_file.h"

namespace lumora::audio {

namespace {
constexpr size_t kChunkFrames = 2048;
constexpr int kMaxChannels = 16;
}  // namespace

void SoundStream::SndFileCloser::operator()(void* file) const { sf_close(static_cast<SNDFILE*>(file)); }

std::unique_ptr<SoundStream> SoundStream::open(const std::string& path, int outputRate) {
  std::unique_ptr<SoundStream> stream(new SoundStream());
  stream->fd_ = openAudioFile(path);
  if (stream->fd_ < 0) return nullptr;
  SF_INFO info{};
  SNDFILE* file = sf_open_fd(stream->fd_, SFM_READ, &info, SF_FALSE);
  if (file == nullptr) return nullptr;
  stream->file_.reset(file);
  if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < 1 || info.frames < 0 ||
      info.frames == SF_COUNT_MAX) {
    return nullptr;
  }
  // No SFC_SET_SCALE_FLOAT_INT_READ here: it reads the whole file to find its peak (almost a second for a
  // 10-minute MP3), and opening must stay quick on the calling thread. Float data is clipped instead.
  stream->channels_ = info.channels;
  stream->sampleRate_ = info.samplerate;
  stream->frames_ = static_cast<uint64_t>(info.frames);
  stream->step_ = static_cast<double>(info.samplerate) / std::max(outputRate, 1);
  // About half a second ahead of playback, and never less than two decoder chunks.
  stream->ringFrames_ = std::max<size_t>(kChunkFrames * 2, static_cast<size_t>(info.samplerate) / 2);
  stream->ring_.assign(stream->ringFrames_ * static_cast<size_t>(info.channels), 0);
  stream->chunk_.assign(kChunkFrames * static_cast<size_t>(info.channels), 0);  // all memory up front
  stream->decoder_ = std::thread(&SoundStream::decoderLoop, stream.get());
  return stream;
}

SoundStream::~SoundStream() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  if (decoder_.joinable()) decoder_.join();
  file_.reset();
  if (fd_ >= 0) ::close(fd_);
}

void SoundStream::decoderLoop() {
  std::vector<int16_t>& chunk = chunk_;
  SNDFILE* file = static_cast<SNDFILE*>(file_.get());
  std::unique_lock lock(mutex_);
  uint64_t decodeFrame = 0;
  while (true) {
    wake_.wait(lock, [&] {
      return quit_ || seekPending_ || (!endOfFile_ && ringFrames_ - ringCount_ >= kChunkFrames);
    });
    if (quit_) return;
    if (seekPending_) {
      seekPending_ = false;
      const uint64_t target = seekFrame_;
      lock.unlock();
      const bool ok = sf_seek(file, static_cast<sf_count_t>(target), SEEK_SET) >= 0;
      lock.lock();
      decodeFrame = target;
      if (!seekPending_) endOfFile_ = !ok || target >= frames_;  // a newer seek decides for itself
      continue;
    }
    const uint64_t generation = generation_;
    lock.unlock();
    // The slow part runs without the lock, so the caller and the output never wait for it.
    const sf_count_t got = sf_readf_short(file, chunk.data(), static_cast<sf_count_t>(kChunkFrames));
    lock.lock();
    if (generation != generation_ || seekPending_) continue;  // a seek came in meanwhile
    if (got <= 0 || decodeFrame >= frames_) {
      endOfFile_ = true;
      continue;
    }
    // Never hand out more than the length the file declared, so position never passes length.
    const sf_count_t keep = std::min<sf_count_t>(got, static_cast<sf_count_t>(frames_ - decodeFrame));
    const size_t ch = static_cast<size_t>(channels_);
    for (sf_count_t f = 0; f < keep; ++f) {
      const size_t slot = (ringHead_ + ringCount_) % ringFrames_;
      std::copy_n(chunk.data() + static_cast<size_t>(f) * ch, ch, ring_.data() + slot * ch);
      ++ringCount_;
    }
    decodeFrame += static_cast<uint64_t>(keep);
    if (decodeFrame >= frames_) endOfFile_ = true;
  }
}

void SoundStream::seekLocked(uint64_t frame) {
  frame = std::min(frame, frames_);
  ++generation_;
  ringHead_ = 0;
  ringCount_ = 0;
  playFrame_ = frame;
  phase_ = 1.0;
  seekFrame_ = frame;
  seekPending_ = true;
  endOfFile_ = frame >= frames_;
  wake_.notify_all();
}

uint32_t SoundStream::state() const {
  std::lock_guard lock(mutex_);
  return state_;
}

void SoundStream::play(bool restart) {
  std::lock_guard lock(mutex_);
  if (restart) seekLocked(0);
  state_ = 1;
}

void SoundStream::pause() {
  std::lock_guard lock(mutex_);
  if (state_ == 1) state_ = 3;
}

void SoundStream::stop() {
  std::lock_guard lock(mutex_);
  state_ = 0;
}

uint64_t SoundStream::positionBytes() const {
  std::lock_guard lock(mutex_);
  return playFrame_ * bytesPerFrame();
}

void SoundStream::setPositionBytes(uint64_t bytes) {
  std::lock_guard lock(mutex_);
  seekLocked(bytes / bytesPerFrame());
}

void SoundStream::recentSamples(std::array<float, 1024>& out) const {
  std::lock_guard lock(mutex_);
  const size_t n = history_.size();
  for (size_t i = 0; i < n; ++i) out[i] = history_[(historyPos_ + i) % n];
}

bool SoundStream::popFrame(float& left, float& right) {
  if (ringCount_ == 0) return false;
  const size_t ch = static_cast<size_t>(channels_);
  const int16_t* frame = ring_.data() + ringHead_ * ch;
  left = frame[0] / 32768.0f;
  right = ch > 1 ? frame[1] / 32768.0f : left;
  ringHead_ = (ringHead_ + 1) % ringFrames_;
  --ringCount_;
  ++playFrame_;
  history_[historyPos_] = (left + right) * 0.5f;
  historyPos_ = (historyPos_ + 1) % history_.size();
  return true;
}

void SoundStream::mixInto(float* out, int frames) {
  std::lock_guard lock(mutex_);
  if (state_ != 1) return;
  for (int i = 0; i < frames; ++i) {
    while (phase_ >= 1.0) {
      if (!popFrame(prevLeft_, prevRight_)) break;
      phase_ -= 1.0;
    }
    if (phase_ >= 1.0) {  // nothing decoded yet
      if (endOfFile_ && !seekPending_) state_ = 0;  // the end of the file
      break;
    }
    // Linear interpolation towards the next decoded frame (or hold the last one).
    float nextLeft = prevLeft_, nextRight = prevRight_;
    if (ringCount_ > 0) {
      const int16_t* next = ring_.data() + ringHead_ * static_cast<size_t>(channels_);
      nextLeft = next[0] / 32768.0f;
      nextRight = channels_ > 1 ? next[1] / 32768.0f : nextLeft;
    }
    const float t = static_cast<float>(phase_);
    out[2 * i] += prevLeft_ + (nextLeft - prevLeft_) * t;
    out[2 * i + 1] += prevRight_ + (nextRight - prevRight_) * t;
    phase_ += step_;
  }
  if (!endOfFile_ && ringFrames_ - ringCount_ >= kChunkFrames) wake_.notify_one();
}

}  // namespace lumora::audio
