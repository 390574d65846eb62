// lumora-audio: the player's sound library and tag readers on the command line.
//   lumora-audio info FILE               format, length, and the track hint from the ID3v1 and ID3v2 readers
//   lumora-audio play FILE [--device N]  plays the file, printing the status text once a second
//   lumora-audio devices                 the sound card list
#include <sndfile.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "audio/audio_file.h"
#include "audio/id3v1.h"
#include "audio/id3v2.h"
#include "audio/playback_state.h"
#include "audio/sound_library.h"
#include "audio/sound_setup.h"
#include "audio/track_hint.h"

using namespace lumora::audio;

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: lumora-audio info FILE\n"
               "       lumora-audio play FILE [--device N]\n"
               "       lumora-audio devices\n");
  return 2;
}

std::string formatName(int format) {
  SF_FORMAT_INFO info{};
  info.format = format & SF_FORMAT_TYPEMASK;
  std::string name = sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name ? info.name : "?";
  info = SF_FORMAT_INFO{};
  info.format = format & SF_FORMAT_SUBMASK;
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name) name += std::string(", ") + info.name;
  return name;
}

// Only a regular file is opened (a FIFO would block, a device never end); -1 after saying why not.
int openOrReport(const std::string& file) {
  std::string error;
  const int fd = openAudioFile(file, &error);
  if (fd < 0) std::fprintf(stderr, "lumora-audio: %s\n", error.c_str());
  return fd;
}

int info(const std::string& file) {
  const int fd = openOrReport(file);
  if (fd < 0) return 1;
  SF_INFO sf{};
  SNDFILE* handle = sf_open_fd(fd, SFM_READ, &sf, SF_FALSE);
  const bool decodable = handle != nullptr;
  if (decodable) sf_close(handle);
  ::close(fd);
  if (!decodable) {
    std::fprintf(stderr, "lumora-audio: cannot decode %s: %s\n", file.c_str(), sf_strerror(nullptr));
    return 1;
  }
  // The same numbers the player sees, through the library on the silent device.
  SND_Init(kNoSoundDevice, 44100, 0, nullptr, nullptr);
  const HSTREAM stream = SND_StreamCreateFile(false, file.c_str(), 0, 0, 0);
  const uint64_t length = SND_ChannelGetLength(stream);
  std::printf("File: %s\n", file.c_str());
  std::printf("Format: %s, %d Hz, %d channel(s)\n", formatName(sf.format).c_str(), sf.samplerate, sf.channels);
  std::printf("Length: %llu bytes, %.3f seconds\n", static_cast<unsigned long long>(length),
              SND_ChannelBytes2Seconds(stream, length));
  TID3v1 v1;
  v1.ReadTag(file);
  TID3v2 v2;
  v2.ReadTag(file);
  std::printf("ID3v1 hint: %s\n", trackHintForDisplay(composeTrackHint(v1)).c_str());
  std::printf("ID3v2 hint: %s\n", trackHintForDisplay(composeTrackHint(v2)).c_str());
  SND_Free();
  return 0;
}

int play(const std::string& file, int device) {
  const int fd = openOrReport(file);
  if (fd < 0) return 1;
  ::close(fd);
  if (!startSoundSystem(device)) {
    std::fprintf(stderr, "lumora-audio: cannot open sound device %d\n", device);
    return 1;
  }
  SND_SetVolume(100);
  const HSTREAM stream = SND_StreamCreateFile(false, file.c_str(), 0, 0, 0);
  if (stream == 0) {
    std::fprintf(stderr, "lumora-audio: cannot play %s\n", file.c_str());
    SND_Free();
    return 1;
  }
  SND_ChannelPlay(stream, 0);
  while (true) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    if (SND_ChannelIsActive(stream) != kStatePlaying) break;
    std::printf("%s\n", statusTextFor(stream, SND_ChannelGetLength(stream), SND_ChannelGetPosition(stream)).c_str());
    std::fflush(stdout);
  }
  SND_Free();
  return 0;
}

int devices() {
  const auto names = soundDeviceDescriptions();
  for (size_t i = 0; i < names.size(); ++i) std::printf("%zu: %s\n", i, names[i].c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string command = argv[1];
  if (command == "devices" && argc == 2) return devices();
  if (command == "info" && argc == 3) return info(argv[2]);
  if (command == "play" && (argc == 3 || argc == 5)) {
    int device = kDefaultDevice;
    if (argc == 5) {
      if (std::string(argv[3]) != "--device") return usage();
      char* end = nullptr;
      const long value = std::strtol(argv[4], &end, 10);
      if (end == argv[4] || *end != '\0' || value < 0 || value > 1000) return usage();
      device = static_cast<int>(value);
    }
    return play(argv[2], device);
  }
  return usage();
}
