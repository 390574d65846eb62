#include "i18n/language_constants.h"

#include <algorithm>
#include <array>

#include "core/paths.h"

namespace lumora {

namespace {

struct Constant {
  const char* name;
  const char* builtIn;
  std::string current;
};

// Sorted by name.
std::array<Constant, 10>& constants() {
  static std::array<Constant, 10> table{{
      {"ChangeDevice",
       "You have just selected another sound card for music playback. In order to apply this changes, sound "
       "system must be restarted. This means that all music playback will be stoped.Are you shure you want to "
       "continue? If you select NO all changes will be anyway applied on next start of the program.",
       {}},
      {"CompressFin", "Compression complited", {}},
      {"ConvertFin", "Convertion complited", {}},
      {"HelpFile", "help\\english.chm", {}},
      {"MessageSelComp", "Select folder to compress:", {}},
      {"MessageSelDir", "Select folder for files:", {}},
      {"MsgDir", "Select folder there your skins are situated:", {}},
      {"NoSkins", "No avalible skins", {}},
      {"PluginError", "Unable to identify this plugin! Probably this is wrong plugin file.", {}},
      {"SkinDir", "Folder with skins...", {}},
  }};
  static const bool initialised = [] {
    for (Constant& c : table) c.current = c.builtIn;
    return true;
  }();
  (void)initialised;
  return table;
}

Constant* find(std::string_view name) {
  for (Constant& c : constants()) {
    if (equalsIgnoreAsciiCase(c.name, name)) return &c;
  }
  return nullptr;
}

}  // namespace

std::string ConstantText(std::string_view name) {
  if (const Constant* c = find(name)) return c->current;
  throw ELangError("Constant \"" + std::string(name) + "\" not found");
}

bool SetConstantText(std::string_view name, std::string_view text) {
  Constant* c = find(name);
  if (c == nullptr) return false;
  c->current = std::string(text);
  return true;
}

void ResetConstantTexts() {
  for (Constant& c : constants()) c.current = c.builtIn;
}

}  // namespace lumora
