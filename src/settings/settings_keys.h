#pragma once
// Every key of the settings file, the defaults its readers use, and the fifteen keys the main window writes
// when it closes, in the order it writes them.

#include <string>

#include "settings/ini_file.h"

namespace lumora::settings {

struct Key {
  const char* section;
  const char* name;
};

inline constexpr Key FormCaption{"Form", "Caption"};
inline constexpr Key FormShowCaptions{"Form", "ShowCaptions"};
inline constexpr Key FormMode{"Form", "Mode"};
inline constexpr Key FormSkined{"Form", "Skined"};
inline constexpr Key FormSkinFile{"Form", "SkinFile"};
inline constexpr Key FormNoSplash{"Form", "NoSplash"};
inline constexpr Key FormLangID{"Form", "LangID"};
inline constexpr Key ExecutePage{"Execute", "Page"};
inline constexpr Key ExecuteDevice{"Execute", "Device"};
inline constexpr Key ExecutePlayBackground{"Execute", "PlayBackground"};
inline constexpr Key ExecuteBGPlay{"Execute", "BGPlay"};
inline constexpr Key ExecuteLoopMusic{"Execute", "LoopMusic"};
inline constexpr Key ExecuteReadID3v{"Execute", "ReadID3v"};
inline constexpr Key PlayerActive{"Player", "Active"};
inline constexpr Key PlayerVolume{"Player", "Volume"};
inline constexpr Key SafetyBlockConfig{"Safety", "BlockConfig"};

// Defaults. The two readers of [Form] Caption and [Form] ShowCaptions use different ones.
inline constexpr const char* kMainCaptionDefault = "Безимянный";       // "untitled"
inline constexpr const char* kDialogCaptionDefault = "Lumora версия 2.1";
inline constexpr const char* kSkinFileDefault = "Ошибка";              // "error"
inline constexpr const char* kPageDefault = "index.htm";
inline constexpr int kMainShowCaptionsDefault = 0;
inline constexpr bool kDialogShowCaptionsDefault = true;
inline constexpr int kDeviceDefault = -1;
inline constexpr int kVolumeDefault = 100;
inline constexpr bool kLoopMusicDefault = true;

// What the main window's close writes, gathered from the windows that hold the live values.
struct ClosingValues {
  std::string caption;
  bool showCaptions = true;
  bool mode = false;
  bool skined = false;
  std::string skinFile;
  bool noSplash = false;
  int langId = 0;
  bool playerActive = false;
  int volume = kVolumeDefault;
  int device = 1;
  bool playBackground = false;
  std::string bgPlay;
  bool loopMusic = kLoopMusicDefault;
  int readId3v = 0;
  bool blockConfig = false;
};

// Writes the fifteen keys one by one in the closing order. A failed write throws ESettingsWriteError and
// the keys after it are not written.
void writeClosingValues(TIniFile& ini, const ClosingValues& values);

}  // namespace lumora::settings
