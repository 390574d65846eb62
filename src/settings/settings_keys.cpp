#include "settings/settings_keys.h"

namespace lumora::settings {

void writeClosingValues(TIniFile& ini, const ClosingValues& v) {
  ini.WriteString(FormCaption.section, FormCaption.name, v.caption);
  ini.WriteBool(FormShowCaptions.section, FormShowCaptions.name, v.showCaptions);
  ini.WriteBool(FormMode.section, FormMode.name, v.mode);
  ini.WriteBool(FormSkined.section, FormSkined.name, v.skined);
  ini.WriteString(FormSkinFile.section, FormSkinFile.name, v.skinFile);
  ini.WriteBool(FormNoSplash.section, FormNoSplash.name, v.noSplash);
  ini.WriteInteger(FormLangID.section, FormLangID.name, v.langId);
  ini.WriteBool(PlayerActive.section, PlayerActive.name, v.playerActive);
  ini.WriteInteger(PlayerVolume.section, PlayerVolume.name, v.volume);
  ini.WriteInteger(ExecuteDevice.section, ExecuteDevice.name, v.device);
  ini.WriteBool(ExecutePlayBackground.section, ExecutePlayBackground.name, v.playBackground);
  ini.WriteString(ExecuteBGPlay.section, ExecuteBGPlay.name, v.bgPlay);
  ini.WriteBool(ExecuteLoopMusic.section, ExecuteLoopMusic.name, v.loopMusic);
  ini.WriteInteger(ExecuteReadID3v.section, ExecuteReadID3v.name, v.readId3v);
  ini.WriteBool(SafetyBlockConfig.section, SafetyBlockConfig.name, v.blockConfig);
}

}  // namespace lumora::settings
