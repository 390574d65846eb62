#pragma once
// The one language manager: named constants, the list of languages, the current language, and the windows'
// language controllers that it hands their part of a language file.

#include <cstdint>
#include <memory>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/lang_file.h"

namespace lumora::i18n {

// What the manager needs of a window's language controller.
class ILanguageController {
 public:
  virtual ~ILanguageController() = default;
  virtual std::string EffectiveSectionName() const = 0;
  // nullptr: the window's built-in texts.
  virtual void ApplyTranslation(const TLang_CompTranslation* translation) = 0;
};

struct TLang_LangResource {
  uint16_t id;
  std::string path;
};

class TLanguageManager {
 public:
  static constexpr uint16_t kDefaultLanguageId = 1033;

  // Reads the constants from a resource in the stored form (flag, count, then name/value pairs).
  explicit TLanguageManager(std::string_view constantsResource);

  // A new start of the program's windows: no languages listed, the built-in language current.
  void restart();

  void AddController(ILanguageController* controller);
  void RemoveController(ILanguageController* controller);

  std::string ConstantText(std::string_view name) const;
  bool setConstantValue(std::string_view name, std::string_view text);
  void resetConstantValues();
  int LanguageListCount() const;
  uint16_t LanguageIdAt(int index) const;
  std::string LanguageNameAt(int index) const;
  uint16_t currentLanguageId() const;

  // Registers the files matching `mask` in `folder`; returns how many were accepted. A matching name that
  // cannot be read as a file (a FIFO, a device, a file over the size limit) is skipped; its error message
  // goes to `unreadable` when given.
  int ScanLanguageFiles(const std::string& folder, const std::string& mask, bool recurse,
                        std::vector<std::string>* unreadable = nullptr);
  // False for a missing file or one without a language ID; ELangError for a name that cannot be read.
  bool RegisterLanguageFile(const std::string& path);

  // Switches the language; a language file that fails leaves the current language as it was.
  void SetCurrentLanguage(uint16_t languageId);
  // Gives a newly loaded window the current language.
  void ApplyCurrentLanguage(ILanguageController* controller);

  // The file of a listed language, or nullptr.
  std::unique_ptr<TLang_CompTranslations> TranslationsFor(uint16_t languageId) const;

 private:
  mutable std::shared_mutex lock_;
  TLang_Constants constants_;
  std::vector<ILanguageController*> controllers_;
  std::vector<TLang_LangResource> languages_;
  uint16_t defaultId_ = kDefaultLanguageId;
  uint16_t currentId_ = kDefaultLanguageId;
};

// The program's manager, created on first use with the built-in constants.
TLanguageManager& LangManager();

// The built-in constants in their stored form.
std::string builtInConstantsResource();
// Reads constants in the stored form; throws ELangError on a malformed resource.
TLang_Constants readConstantsResource(std::string_view bytes);

// Whether `name` matches a file mask of "*" and "?" without regard to ASCII case.
bool matchesFileMask(std::string_view name, std::string_view mask);

}  // namespace lumora::i18n
