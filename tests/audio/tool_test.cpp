// lumora-audio on the command line: info, play on device 0, devices, and its usage errors.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "audio_fixtures.h"

namespace lumora::audio {
namespace {

struct Result {
  int status;
  std::string output;
};

// Standard output, and standard error too with `withErrors`. A run that takes more than 20 s is stopped.
Result runTool(const std::string& arguments, bool withErrors = false) {
  const std::string command = "timeout 20 " + std::string(LUMORA_BINARY_DIR) + "/bin/lumora-audio " + arguments +
                              (withErrors ? " 2>&1" : " 2>/dev/null");
  Result result{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 512> buffer{};
  while (fgets(buffer.data(), buffer.size(), pipe) != nullptr) result.output += buffer.data();
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

TEST(AudioTool, InfoShowsFormatLengthAndBothHints) {
  lumora::testing::TempDir dir;
  std::string tag = "TAG" + std::string(125, '\0');
  tag.replace(3, 4, "Tune");
  tag[127] = 8;  // Jazz
  lumora::testing::writeFile(dir / "a.mp3", testing::silentMpegFrames(2, 10) + tag);
  const Result r = runTool("info " + testing::quoted(dir / "a.mp3"));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("Format: MPEG-1/2 Audio, MPEG Layer II, 44100 Hz, 2 channel(s)"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Length: 46080 bytes, 0.261 seconds"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("ID3v1 hint: <b>About file:</b><br><br>Title: Tune<br>"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("<br>Genre: Jazz\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("ID3v2 hint: <b>About file:</b><br><br>Title: <br>"), std::string::npos) << r.output;
}

TEST(AudioTool, PlayPrintsTheStatusTextEverySecond) {
  lumora::testing::TempDir dir;
  const Result r = runTool("play " + testing::quoted(testing::writeWav(dir / "a.wav", 2.5, 8000, 1)) + " --device 0");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "Playing  0:02 (0:01).\nPlaying  0:02 (0:00).\n");
}

TEST(AudioTool, DevicesAndUsageErrors) {
  const Result devices = runTool("devices");
  EXPECT_EQ(devices.status, 0);
  EXPECT_EQ(devices.output.rfind("0: No sound\n1: Default\n", 0), 0u) << devices.output;
  for (const char* bad : {"", "info", "play a.wav --device", "play a.wav --device x", "frobnicate"}) {
    EXPECT_EQ(runTool(bad).status, 2) << bad;
  }
  EXPECT_EQ(runTool("info /nonexistent.mp3").status, 1);
  EXPECT_EQ(runTool("play /nonexistent.mp3 --device 0").status, 1);
}

TEST(AudioTool, AFileThatIsNotARegularFileIsRefusedAtOnce) {
  lumora::testing::TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo.mp3").c_str(), 0600), 0);
  for (const std::string command : {"info", "play"}) {
    const Result r = runTool(command + " " + testing::quoted(dir / "fifo.mp3") + (command == "play" ? " --device 0" : ""), true);
    EXPECT_EQ(r.status, 1) << command;
    EXPECT_EQ(r.output, "lumora-audio: " + (dir / "fifo.mp3").string() + ": not a regular file\n") << command;
  }
}

}  // namespace
}  // namespace lumora::audio
