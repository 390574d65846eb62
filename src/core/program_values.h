#pragma once
// Values the whole program shares from start to end: where the publication is, its start page and caption,
// whether CD mode is on, the plug-ins found and the command line.

#include <string>
#include <vector>

namespace lumora::core {

struct ProgramValues {
  std::string AppFolder;    // the executable's folder, ending with "/"
  std::string StartPage;    // AppFolder + [Execute] Page
  std::string BaseCaption;  // the main window's caption from the settings file, then as the settings dialog sets it
  bool CdModeActive = false;  // settings are not written at close; set at start, never reset
  std::vector<std::string> PluginPaths;
  std::vector<std::string> Arguments;  // the command line without the program name

  // playback state shared by the settings dialog and the audio bar.
  bool LoopEnabled = true;  // background music starts again at its end
  int TagVersion = 0;       // 0 = ID3v1, 1 = ID3v2

  // The first command-line argument, or an empty string.
  std::string firstArgument() const { return Arguments.empty() ? std::string() : Arguments.front(); }
};

ProgramValues& programValues();

}  // namespace lumora::core
