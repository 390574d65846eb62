#pragma once
// The sound half of the settings dialog's start-up and Apply, in terms of the sound library and the
// process-wide playback state, so the dialog only wires its controls to these calls.

#include <functional>
#include <string>
#include <vector>

#include "audio/spectrum.h"

namespace lumora::audio {

// Descriptions of devices 0, 1, 2, ... until the library has none; list position = device number.
std::vector<std::string> soundDeviceDescriptions();

// Starts the library on `device` (the sound card list's position, -1 when none) at 44100 Hz, no flags.
// False when the device cannot be opened: the program then goes on without sound.
bool startSoundSystem(int device);

// The one spectrum display of the process, made with the spectrum box's size; null before.
TSpectrum& createSpectrum(int width, int height);
TSpectrum* currentSpectrum();

// Background music at start: the file becomes the current stream and plays from its start. A name that
// opens nothing leaves handle 0. Names written on Windows ("\" separators, other letter case) are found,
// and a relative name missing from the working folder is looked up in the publication folder (AppFolder).
void startBackgroundMusic(const std::string& fileName);

// Apply's device step. When `newDevice` differs from the library's current device, `confirm` is asked
// (the "ChangeDevice" question); on No the result is false and nothing changes, on Yes the library is
// restarted on the new device (all playback ends). True when Apply may go on.
bool applySoundDevice(int newDevice, const std::function<bool()>& confirm);

}  // namespace lumora::audio
