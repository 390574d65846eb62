#pragma once
// A window's language controller: binds the window's stored table to its components, remembers their
// built-in texts when the window has been built, and sets the texts of a language (or the remembered ones)
// when the language manager applies one.

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "i18n/lang_data.h"
#include "i18n/lang_mask.h"
#include "i18n/language_manager.h"
#include "i18n/window_tables.h"

class QWidget;

namespace lumora::i18n {

class TLanguageController : public QObject, public ILanguageController {
  Q_OBJECT
 public:
  // `langData` is the window's stored table. The controller registers with the language manager.
  TLanguageController(QWidget* window, const char* name, std::string_view langData);
  // The window's fixed table, with its ignore list.
  TLanguageController(QWidget* window, const char* name, const WindowTable& table);
  ~TLanguageController() override;

  // The window has been built: bind the table, remember the built-in texts, take the current language.
  void loaded();

  QString SectionName;
  std::vector<std::string> IgnoreList;  // masks of full property paths that never become entries
  std::vector<std::string> StoreList;   // masks of paths that count even when their storage condition fails

  // Walks the window and brings the table up to date: new components and properties get entries with new
  // IDs, entries of properties that no longer count go; IDs of the others never change.
  void UpdateEntries();

  // Called by loaded() right after binding, before the built-in texts are remembered (for the tests that
  // compare the fixed tables with the windows).
  static void setLoadedHook(std::function<void(TLanguageController&)> hook);

  std::string EffectiveSectionName() const override;
  void ApplyTranslation(const TLang_CompTranslation* translation) override;

  const TLang_CompEntry& root() const { return *root_; }
  // The stored form of the table as it is now.
  std::string LangData() const { return writeLangData(*root_); }
  // The stored form after UpdateEntries, as window definitions are written.
  std::string updatedLangData() {
    UpdateEntries();
    return LangData();
  }

 signals:
  void OnLanguageChanging(QObject* sender);
  void OnLanguageChanged(QObject* sender);

 private:
  void BindEntries(TLang_CompEntry& node, QObject* component);
  void CaptureDefaults(TLang_CompEntry& node);
  void apply(TLang_CompEntry& node, const TLang_CompTranslation* translation);
  QObject* componentOf(const TLang_CompEntry& node) const;
  void updateNode(TLang_CompEntry& node, QObject* component, const std::string& fullName, int32_t& nextId,
                  const TLang_MaskList& ignore, const TLang_MaskList& store);

  QPointer<QWidget> window_;
  std::unique_ptr<TLang_CompEntry> root_;
  // The component each entry is bound to; a component freed while the window lives drops out.
  std::map<const TLang_CompEntry*, QPointer<QObject>> bound_;
};

}  // namespace lumora::i18n
