#include "settings/settings_keys.h"

namespace lumora::settings {

void writeClosingValues(TIniFile& ini, const ClosingValues& v) {
  ini.writeString(FormCaption.section, FormCaption.name, v.caption);
  ini.writeBool(FormShowCaptions.section, FormShowCaptions.name, v.showCaptions);
  ini.writeBool(FormMode.section, FormMode.name, v.mode);
  ini.writeBool(FormSkined.section, FormSkined.name, v.skined);
  ini.writeString(FormSkinFile.section, FormSkinFile.name, v.skinFile);
  ini.writeBool(FormNoSplash.section, FormNoSplash.name, v.noSplash);
  ini.writeInteger(FormLangID.section, FormLangID.name, v.langId);
  ini.writeBool(PlayerActive.section, PlayerActive.name, v.playerActive);
  ini.writeInteger(PlayerVolume.section, PlayerVolume.name, v.volume);
  ini.writeInteger(ExecuteDevice.section, ExecuteDevice.name, v.device);
  ini.writeBool(ExecutePlayBackground.section, ExecutePlayBackground.name, v.playBackground);
  ini.writeString(ExecuteBGPlay.section, ExecuteBGPlay.name, v.bgPlay);
  ini.writeBool(ExecuteLoopMusic.section, ExecuteLoopMusic.name, v.loopMusic);
  ini.writeInteger(ExecuteReadID3v.section, ExecuteReadID3v.name, v.readId3v);
  ini.writeBool(SafetyBlockConfig.section, SafetyBlockConfig.name, v.blockConfig);
}

}  // namespace lumora::settings
