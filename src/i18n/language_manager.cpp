#include "i18n/language_manager.h"

#include <algorithm>
#include <filesystem>
#include <mutex>

#include "core/paths.h"
#include "i18n/language_names.h"

namespace lumora::i18n {

namespace {

struct BuiltInConstant {
  const char* name;
  const char* text;
};

// In alphabetical order of name.
constexpr BuiltInConstant kBuiltInConstants[] = {
    {"ChangeDevice",
     "You have just selected another sound card for music playback. In order to apply this changes, sound "
     "system must be restarted. This means that all music playback will be stoped.Are you shure you want to "
     "continue? If you select NO all changes will be anyway applied on next start of the program."},
    {"CompressFin", "Compression complited"},
    {"ConvertFin", "Convertion complited"},
    {"HelpFile", "help\\english.chm"},
    {"MessageNoDir", "Choose the folder to extract the files to."},
    {"MessageSelComp", "Select folder to compress:"},
    {"MessageSelDir", "Select folder for files:"},
    {"MsgDir", "Select folder there your skins are situated:"},
    {"NoSkins", "No avalible skins"},
    {"PluginError", "Unable to identify this plugin! Probably this is wrong plugin file."},
    {"SkinDir", "Folder with skins..."},
};

void putU16(std::string& out, size_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool maskMatch(std::string_view name, std::string_view mask) {
  size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || lowerAscii(mask[m]) == lowerAscii(name[n]))) {
      ++n, ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

bool matchesFileMask(std::string_view name, std::string_view mask) { return maskMatch(name, mask); }

std::string builtInConstantsResource() {
  std::string out;
  out += '\x01';
  const uint32_t count = std::size(kBuiltInConstants);
  for (int i = 0; i < 4; ++i) out += static_cast<char>((count >> (8 * i)) & 0xFF);
  for (const BuiltInConstant& c : kBuiltInConstants) {
    const std::string_view name = c.name, text = c.text;
    putU16(out, name.size());
    out += name;
    putU16(out, text.size());
    out += text;
  }
  return out;
}

TLang_Constants readConstantsResource(std::string_view bytes) {
  size_t pos = 0;
  const auto need = [&](size_t n) {
    if (bytes.size() - pos < n) throw ELangError("The constants resource is damaged.");
  };
  const auto u16 = [&] {
    need(2);
    const size_t v = static_cast<unsigned char>(bytes[pos]) | static_cast<unsigned char>(bytes[pos + 1]) << 8;
    pos += 2;
    return v;
  };
  need(5);
  const auto flag = static_cast<uint8_t>(bytes[0]);
  int32_t count = 0;
  for (int i = 0; i < 4; ++i) count |= static_cast<int32_t>(static_cast<unsigned char>(bytes[1 + i])) << (8 * i);
  pos = 5;
  std::vector<TLang_Constant> namesAndValues;
  for (int32_t i = 0; i < count; ++i) {
    const size_t nameLength = u16();
    need(nameLength);
    const std::string_view name = bytes.substr(pos, nameLength);
    pos += nameLength;
    const size_t valueLength = u16();
    need(valueLength);
    namesAndValues.push_back(TLang_Constant{std::string(name), std::string(bytes.substr(pos, valueLength)), {}});
    pos += valueLength;
  }
  TLang_Constants constants(std::move(namesAndValues));
  constants.flag = flag;
  return constants;
}

TLanguageManager::TLanguageManager(std::string_view constantsResource)
    : constants_(readConstantsResource(constantsResource)) {
  for (TLang_Constant& c : constants_.items()) c.value = c.defaultValue;
}

void TLanguageManager::restart() {
  std::unique_lock lock(lock_);
  languages_.clear();
  currentId_ = defaultId_;
  for (TLang_Constant& c : constants_.items()) c.value = c.defaultValue;
}

void TLanguageManager::AddController(ILanguageController* controller) {
  std::unique_lock lock(lock_);
  controllers_.push_back(controller);
}

void TLanguageManager::RemoveController(ILanguageController* controller) {
  std::unique_lock lock(lock_);
  controllers_.erase(std::remove(controllers_.begin(), controllers_.end(), controller), controllers_.end());
}

std::string TLanguageManager::ConstantText(std::string_view name) const {
  std::shared_lock lock(lock_);
  if (const TLang_Constant* c = constants_.find(name)) return c->value;
  throw ELangError("Constant \"" + std::string(name) + "\" not found");
}

bool TLanguageManager::setConstantValue(std::string_view name, std::string_view text) {
  std::unique_lock lock(lock_);
  TLang_Constant* c = constants_.find(name);
  if (c == nullptr) return false;
  c->value = std::string(text);
  return true;
}

void TLanguageManager::resetConstantValues() {
  std::unique_lock lock(lock_);
  for (TLang_Constant& c : constants_.items()) c.value = c.defaultValue;
}

int TLanguageManager::LanguageListCount() const {
  std::shared_lock lock(lock_);
  return 1 + static_cast<int>(languages_.size());
}

uint16_t TLanguageManager::LanguageIdAt(int index) const {
  std::shared_lock lock(lock_);
  if (index <= 0 || index > static_cast<int>(languages_.size())) return defaultId_;
  return languages_[index - 1].id;
}

std::string TLanguageManager::LanguageNameAt(int index) const { return languageName(LanguageIdAt(index)); }

uint16_t TLanguageManager::currentLanguageId() const {
  std::shared_lock lock(lock_);
  return currentId_;
}

int TLanguageManager::ScanLanguageFiles(const std::string& folder, const std::string& mask, bool recurse,
                                        std::vector<std::string>* unreadable) {
  namespace fs = std::filesystem;
  int accepted = 0;
  std::error_code ec;
  const fs::path dir = core::resolveCaseInsensitive(core::toLocalSeparators(folder));
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!maskMatch(name, mask)) continue;
    std::error_code typeError;
    if (it->is_directory(typeError)) {
      if (recurse && name[0] != '.') accepted += ScanLanguageFiles(it->path().string(), mask, recurse, unreadable);
      continue;
    }
    try {
      if (RegisterLanguageFile(it->path().string())) ++accepted;
    } catch (const ELangError& e) {
      if (unreadable) unreadable->push_back(e.what());
    }
  }
  return accepted;
}

bool TLanguageManager::RegisterLanguageFile(const std::string& path) {
  // readLanguageFile refuses what is not a regular file within the limit; a missing file reads as empty.
  const int id = readLanguageText(readLanguageFile(path), true).languageId() & 0xFFFF;
  if (id == 0) return false;
  std::unique_lock lock(lock_);
  if (id == defaultId_) return true;
  for (TLang_LangResource& language : languages_) {
    if (language.id == id) {
      language.path = path;
      return true;
    }
  }
  languages_.push_back({static_cast<uint16_t>(id), path});
  return true;
}

std::unique_ptr<TLang_CompTranslations> TLanguageManager::TranslationsFor(uint16_t languageId) const {
  if (languageId == defaultId_) return nullptr;
  std::string path;
  for (const TLang_LangResource& language : languages_) {
    if (language.id == languageId) path = language.path;
  }
  if (path.empty()) return nullptr;
  return std::make_unique<TLang_CompTranslations>(readLanguageText(readLanguageFile(path), false));
}

void TLanguageManager::SetCurrentLanguage(uint16_t languageId) {
  std::unique_ptr<TLang_CompTranslations> translations;
  {
    std::unique_lock lock(lock_);
    translations = TranslationsFor(languageId);
    if (!translations) languageId = defaultId_;
    if (languageId == currentId_) return;
    currentId_ = languageId;
  }
  std::shared_lock lock(lock_);
  for (TLang_Constant& c : constants_.items()) {
    if (!translations) {
      c.value = c.defaultValue;
    } else if (const TLang_Constant* translated = translations->constants.find(c.name)) {
      c.value = translated->value;
    }
  }
  for (ILanguageController* controller : controllers_) {
    controller->ApplyTranslation(translations ? translations->Section(controller->EffectiveSectionName()) : nullptr);
  }
}

void TLanguageManager::ApplyCurrentLanguage(ILanguageController* controller) {
  std::shared_lock lock(lock_);
  if (currentId_ == defaultId_) return;
  const std::unique_ptr<TLang_CompTranslations> translations = TranslationsFor(currentId_);
  controller->ApplyTranslation(translations ? translations->Section(controller->EffectiveSectionName()) : nullptr);
}

TLanguageManager& LangManager() {
  static TLanguageManager manager(builtInConstantsResource());
  return manager;
}

}  // namespace lumora::i18n
