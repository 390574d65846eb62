// The sound library on the silent device 0: formats, lengths, real-time position, transport, seeking,
// the end of a stream, FFT data and failures.
#include "audio/sound_library.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <thread>

#include "audio/id3v1.h"
#include "audio/id3v2.h"
#include "audio/playback_state.h"
#include "audio/sound_setup.h"
#include "audio_fixtures.h"
#include "core/program_values.h"

namespace lumora::audio {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using lumora::testing::TempDir;
using lumora::testing::writeFile;
using testing::quoted;

// Polls until `done` holds or the time runs out: playback runs on its own clock, and a busy machine can
// hold it up for a while.
template <typename Pred>
bool waitFor(Pred done, std::chrono::milliseconds limit = 3000ms) {
  const auto end = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

class AudioSoundLibrary : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SND_Init(kNoSoundDevice, 44100, 0, nullptr, nullptr)); }
  void TearDown() override { SND_Free(); }

  HSTREAM open(const std::filesystem::path& path) {
    return SND_StreamCreateFile(false, path.c_str(), 0, 0, 0);
  }
  TempDir dir;
};

struct FormatCase {
  const char* name;
  const char* tool;  // needed to make the file, or nullptr
  std::function<bool(const std::filesystem::path&)> make;
  uint64_t lengthBytes;
};

TEST_F(AudioSoundLibrary, AllSixFormatsOpenWithTheirDecodedLength) {
  const std::filesystem::path wav = dir / "source.wav";
  testing::writeWav(wav, 1.0, 44100, 2, 440.0);
  const std::vector<FormatCase> cases = {
      {"a.wav", nullptr, [&](auto& p) { return std::filesystem::copy_file(wav, p); }, 44100 * 4},
      {"a.aiff", "sox", [](auto& p) { return testing::run("sox -r 22050 -c 1 -n -b 16 " + quoted(p) + " synth 5000s sine 440 vol 0.5"); }, 5000 * 2},
      {"a.ogg", "sox", [](auto& p) { return testing::run("sox -r 22050 -c 1 -n " + quoted(p) + " synth 11025s sine 440 vol 0.5"); }, 11025 * 2},
      {"a.mp3", "lame", [&](auto& p) { return testing::run("lame --quiet -b 128 " + quoted(wav) + " " + quoted(p)); }, 44100 * 4},
      {"a.mp2", nullptr, [](auto& p) { writeFile(p, testing::silentMpegFrames(2, 40)); return true; }, 40 * 1152 * 4},
      {"a.mp1", nullptr, [](auto& p) { writeFile(p, testing::silentMpegFrames(1, 100)); return true; }, 100 * 384 * 4},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.tool != nullptr && !testing::haveTool(c.tool)) {
      ADD_FAILURE() << c.tool << " is needed to make this fixture";
      continue;
    }
    const std::filesystem::path path = dir / c.name;
    ASSERT_TRUE(c.make(path));
    const HSTREAM h = open(path);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(SND_ChannelGetLength(h), c.lengthBytes);
    EXPECT_EQ(SND_ChannelIsActive(h), kStateStopped);
  }
}

TEST_F(AudioSoundLibrary, PositionMovesInRealTimeAndPauseKeepsIt) {
  const HSTREAM h = open(testing::writeWav(dir / "a.wav", 3.0));
  ASSERT_NE(h, 0u);
  const double bytesPerSecond = 44100 * 4;
  ASSERT_TRUE(SND_ChannelPlay(h, 0));
  EXPECT_EQ(SND_ChannelIsActive(h), kStatePlaying);
  // Measured once the decoder is under way: the very start may wait for the first decoded chunk.
  ASSERT_TRUE(waitFor([&] { return SND_ChannelGetPosition(h) > 0; }));
  // The output drops time the machine spent elsewhere (as a sound card does in an underrun), so a busy
  // test machine can make a window play short; it must never play long, and one of three windows must
  // keep to the clock.
  bool keptTime = false;
  for (int window = 0; window < 3 && !keptTime; ++window) {
    const auto start = Clock::now();
    const uint64_t first = SND_ChannelGetPosition(h);
    std::this_thread::sleep_for(300ms);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double played = static_cast<double>(SND_ChannelGetPosition(h) - first) / bytesPerSecond;
    EXPECT_LT(played, elapsed + 0.06) << "window " << window;
    keptTime = std::abs(played - elapsed) < 0.06;
  }
  EXPECT_TRUE(keptTime);
  EXPECT_EQ(SND_ChannelGetPosition(h) % 4, 0u);  // whole frames

  ASSERT_TRUE(SND_ChannelPause(h));
  EXPECT_EQ(SND_ChannelIsActive(h), kStatePaused);
  const uint64_t paused = SND_ChannelGetPosition(h);
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(SND_ChannelGetPosition(h), paused);

  SND_ChannelPlay(h, 0);  // resumes where it was
  EXPECT_TRUE(waitFor([&] { return SND_ChannelGetPosition(h) > paused; }));
  EXPECT_LT(SND_ChannelGetPosition(h), paused + static_cast<uint64_t>(0.3 * bytesPerSecond));
}

TEST_F(AudioSoundLibrary, StopThenRestartPlaysFromTheBeginning) {
  const HSTREAM h = open(testing::writeWav(dir / "a.wav", 2.0));
  SND_ChannelPlay(h, 0);
  ASSERT_TRUE(waitFor([&] { return SND_ChannelGetPosition(h) > 44100 * 4 / 10; }));  // a tenth of a second in
  ASSERT_TRUE(SND_ChannelStop(h));
  EXPECT_EQ(SND_ChannelIsActive(h), kStateStopped);
  const uint64_t stopped = SND_ChannelGetPosition(h);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(SND_ChannelGetPosition(h), stopped);
  SND_ChannelPlay(h, -1);
  EXPECT_EQ(SND_ChannelIsActive(h), kStatePlaying);
  EXPECT_LT(SND_ChannelGetPosition(h), stopped);
  std::this_thread::sleep_for(100ms);
  EXPECT_LT(SND_ChannelGetPosition(h), static_cast<uint64_t>(0.3 * 44100 * 4));
}

TEST_F(AudioSoundLibrary, StreamStopsAtItsEndWithPositionAtLength) {
  // An odd rate makes the stream resample on its way to the 44.1 kHz output.
  const HSTREAM h = open(testing::writeWav(dir / "a.wav", 0.2, 11025, 1));
  const auto start = Clock::now();
  SND_ChannelPlay(h, 0);
  ASSERT_TRUE(waitFor([&] { return SND_ChannelIsActive(h) == kStateStopped; }));
  const double took = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_GE(took, 0.18);  // early by at most the silent clock's 20 ms step; late by a busy machine
  EXPECT_LT(took, 0.5);
  EXPECT_EQ(SND_ChannelGetPosition(h), SND_ChannelGetLength(h));
  EXPECT_DOUBLE_EQ(SND_ChannelBytes2Seconds(h, SND_ChannelGetLength(h)), 0.2);
}

TEST_F(AudioSoundLibrary, LoopTickRestartsAnEndedStreamOnlyWhileLoopingIsOn) {
  const HSTREAM h = open(testing::writeWav(dir / "a.wav", 0.1));
  PlaybackState& state = playback();
  state.ChannelHandle = h;
  core::programValues().LoopEnabled = false;
  SND_ChannelPlay(h, 0);
  ASSERT_TRUE(waitFor([&] { return SND_ChannelIsActive(h) == kStateStopped; }));
  loopTick();
  EXPECT_EQ(SND_ChannelIsActive(h), kStateStopped);
  core::programValues().LoopEnabled = true;
  loopTick();
  EXPECT_EQ(SND_ChannelIsActive(h), kStatePlaying);
  EXPECT_LT(SND_ChannelGetPosition(h), SND_ChannelGetLength(h) / 2);
  state = PlaybackState();
}

TEST_F(AudioSoundLibrary, SeekLandsOnTheRequestedFrameAndPlaysOnFromThere) {
  const HSTREAM h = open(testing::writeWav(dir / "a.wav", 2.0));
  const uint64_t length = SND_ChannelGetLength(h);
  SND_ChannelPlay(h, 0);
  ASSERT_TRUE(SND_ChannelSetPosition(h, length / 2));
  EXPECT_EQ(SND_ChannelGetPosition(h), length / 2);
  EXPECT_TRUE(waitFor([&] { return SND_ChannelGetPosition(h) > length / 2; }));
  EXPECT_LT(SND_ChannelGetPosition(h), length / 2 + length / 5);
  EXPECT_FALSE(SND_ChannelSetPosition(h, length + 4));
  EXPECT_EQ(SND_ChannelIsActive(h), kStatePlaying);
}

TEST_F(AudioSoundLibrary, FftOfASinePeaksAtItsBinAndSilenceGivesZero) {
  struct Case {
    double hz;
    double amplitude;
    int peakBin;  // hz * 1024 / 44100
  };
  for (const Case c : {Case{1000.0, 1.0, 23}, Case{5000.0, 1.0, 116}, Case{1000.0, 0.0, -1}}) {
    SCOPED_TRACE(c.hz);
    SCOPED_TRACE(c.amplitude);
    const HSTREAM h = open(testing::writeWav(dir / "s.wav", 1.0, 44100, 2, c.hz, c.amplitude));
    SND_ChannelPlay(h, 0);
    // Enough played that the analysed window holds nothing but the file.
    ASSERT_TRUE(waitFor([&] { return SND_ChannelGetPosition(h) >= 4096 * 4; }));
    std::array<float, 513> data{};
    ASSERT_EQ(SND_ChannelGetData(h, data.data(), kDataFft1024), 2048);
    const auto peak = std::max_element(data.begin(), data.begin() + 512);
    if (c.peakBin < 0) {
      EXPECT_EQ(*peak, 0.0f);
    } else {
      EXPECT_EQ(peak - data.begin(), c.peakBin);
      EXPECT_GE(*peak, 0.25f);
      EXPECT_LE(*peak, 1.0f);
    }
    SND_StreamFree(h);
  }
}

TEST_F(AudioSoundLibrary, UnknownHandlesAndUnreadableFilesActOnNothing) {
  writeFile(dir / "not-audio.mp3", "this is not sound");
  EXPECT_EQ(open(dir / "not-audio.mp3"), 0u);
  EXPECT_EQ(open(dir / "missing.wav"), 0u);
  std::array<float, 513> data{};
  for (HSTREAM h : {0u, 12345u}) {
    EXPECT_EQ(SND_ChannelIsActive(h), kStateStopped);
    EXPECT_FALSE(SND_ChannelPlay(h, 0));
    EXPECT_FALSE(SND_ChannelPause(h));
    EXPECT_FALSE(SND_ChannelStop(h));
    EXPECT_EQ(SND_ChannelGetLength(h), 0u);
    EXPECT_EQ(SND_ChannelGetPosition(h), 0u);
    EXPECT_EQ(SND_ChannelGetData(h, data.data(), kDataFft1024), -1);
  }
  const HSTREAM h = open(testing::writeWav(dir / "a.wav", 0.2));
  EXPECT_EQ(SND_ChannelGetData(h, data.data(), 0x80000002u), -1);
}

TEST_F(AudioSoundLibrary, OnlyRegularFilesAreOpenedAndNothingWaitsOnAFifo) {
  ASSERT_EQ(::mkfifo((dir / "fifo.mp3").c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "folder.mp3");
  for (const std::filesystem::path& path : {dir / "fifo.mp3", dir / "folder.mp3", std::filesystem::path("/dev/zero")}) {
    SCOPED_TRACE(path.string());
    HSTREAM h = 1;
    bool v1 = true, v2 = true;
    EXPECT_TRUE(testing::returnsWithoutWaitingOn(dir / "fifo.mp3", [&] {
      h = open(path);
      v1 = TID3v1().ReadTag(path.string());
      v2 = TID3v2().ReadTag(path.string());
    }));
    EXPECT_EQ(h, 0u);
    EXPECT_FALSE(v1);
    EXPECT_FALSE(v2);
  }
  // Background music named by the settings file: the start goes on without it.
  EXPECT_TRUE(testing::returnsWithoutWaitingOn(dir / "fifo.mp3", [&] { startBackgroundMusic((dir / "fifo.mp3").string()); }));
  EXPECT_EQ(playback().ChannelHandle, 0u);
  // A link to a regular file is followed.
  std::filesystem::create_symlink(testing::writeWav(dir / "a.wav", 0.2), dir / "link.wav");
  EXPECT_NE(open(dir / "link.wav"), 0u);
}

TEST_F(AudioSoundLibrary, FreeReleasesStreamsAndAFailedInitCreatesNone) {
  const HSTREAM h = open(testing::writeWav(dir / "a.wav", 1.0));
  SND_ChannelPlay(h, 0);
  EXPECT_TRUE(SND_Free());
  EXPECT_EQ(SND_ChannelIsActive(h), kStateStopped);
  EXPECT_FALSE(SND_Init(999, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(SND_GetDevice(), 999);
  EXPECT_FALSE(SND_SetDevice(999));
  EXPECT_EQ(open(dir / "a.wav"), 0u);
  ASSERT_TRUE(SND_Init(kNoSoundDevice, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(SND_GetDevice(), kNoSoundDevice);
  EXPECT_TRUE(SND_SetDevice(kNoSoundDevice));
}

TEST_F(AudioSoundLibrary, DeviceListStartsWithNoSoundAndTheDefaultOutput) {
  ASSERT_NE(SND_GetDeviceDescription(0), nullptr);
  EXPECT_STREQ(SND_GetDeviceDescription(0), "No sound");
  EXPECT_STREQ(SND_GetDeviceDescription(1), "Default");
  uint32_t count = 2;
  while (SND_GetDeviceDescription(count) != nullptr) ++count;
  EXPECT_EQ(SND_GetDeviceDescription(count + 5), nullptr);
}

TEST_F(AudioSoundLibrary, VolumeIsClampedTo100) {
  SND_SetVolume(40);
  EXPECT_EQ(outputVolume(), 40u);
  SND_SetVolume(250);
  EXPECT_EQ(outputVolume(), 100u);
}

// Runs in its own process under CTest, so SDL can still be pointed at its dummy driver.
TEST(AudioSoundLibraryOutput, DefaultDeviceThroughSdlPlaysInRealTime) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (!SND_Init(kDefaultDevice, 44100, 0, nullptr, nullptr)) GTEST_SKIP() << "SDL started earlier without the dummy driver";
  TempDir dir;
  const HSTREAM h = SND_StreamCreateFile(false, testing::writeWav(dir / "a.wav", 0.3).c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  SND_ChannelPlay(h, 0);
  EXPECT_TRUE(waitFor([&] { return SND_ChannelGetPosition(h) > 0; }));
  const auto end = Clock::now() + 2s;
  while (SND_ChannelIsActive(h) != kStateStopped && Clock::now() < end) std::this_thread::sleep_for(5ms);
  EXPECT_EQ(SND_ChannelGetPosition(h), SND_ChannelGetLength(h));
  SND_Free();
}

}  // namespace
}  // namespace lumora::audio
