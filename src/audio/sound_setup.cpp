#include "audio/sound_setup.h"

#include <filesystem>
#include <memory>

#include "audio/playback_state.h"
#include "audio/sound_library.h"
#include "core/paths.h"
#include "core/program_values.h"

namespace lumora::audio {

namespace {
std::unique_ptr<TSpectrum>& spectrumSlot() {
  static std::unique_ptr<TSpectrum> spectrum;
  return spectrum;
}
}  // namespace

std::vector<std::string> soundDeviceDescriptions() {
  std::vector<std::string> names;
  for (uint32_t device = 0;; ++device) {
    const char* name = SND_GetDeviceDescription(device);
    if (name == nullptr) break;
    names.emplace_back(name);
  }
  return names;
}

bool startSoundSystem(int device) { return SND_Init(device, 44100, 0, nullptr, nullptr); }

TSpectrum& createSpectrum(int width, int height) {
  spectrumSlot() = std::make_unique<TSpectrum>(width, height);
  return *spectrumSlot();
}

TSpectrum* currentSpectrum() { return spectrumSlot().get(); }

void startBackgroundMusic(const std::string& fileName) {
  std::string path = fileName;
  if (!path.empty()) {
    std::filesystem::path local = core::resolveCaseInsensitive(core::toLocalSeparators(path));
    // A relative name that the working folder does not have is taken from the publication's folder, where
    // a publisher puts the music (the program is rarely started from there).
    const std::string& appFolder = core::programValues().AppFolder;
    if (local.is_relative() && !std::filesystem::exists(local) && !appFolder.empty()) {
      local = core::resolveCaseInsensitive(std::filesystem::path(appFolder) / core::toLocalSeparators(path));
    }
    path = local.string();
  }
  PlaybackState& state = playback();
  state.ChannelHandle = path.empty() ? 0 : SND_StreamCreateFile(false, path.c_str(), 0, 0, 0);
  SND_ChannelPlay(state.ChannelHandle, 0);
}

bool applySoundDevice(int newDevice, const std::function<bool()>& confirm) {
  if (newDevice == SND_GetDevice()) return true;
  if (!confirm()) return false;
  SND_SetDevice(static_cast<uint32_t>(newDevice));
  SND_Free();
  startSoundSystem(newDevice);
  return true;
}

}  // namespace lumora::audio
