#pragma once
// A window's language controller: binds the window's stored table to its components, remembers their
// built-in texts when the window has been built, and sets the texts of a language (or the remembered ones)
// when the language manager applies one.

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "i18n/lang_data.h"
#include "i18n/language_manager.h"

class QWidget;

namespace lumora {

class TLanguageController : public QObject, public ILanguageController {
  Q_OBJECT
 public:
  // `langData` is the window's stored table. The controller registers with the language manager.
  TLanguageController(QWidget* window, const char* name, std::string_view langData);
  ~TLanguageController() override;

  // The window has been built: bind the table, remember the built-in texts, take the current language.
  void Loaded();

  QString SectionName;

  std::string EffectiveSectionName() const override;
  void ApplyTranslation(const TLang_CompTranslation* translation) override;

  const TLang_CompEntry& root() const { return *root_; }
  // The stored form of the table as it is now.
  std::string LangData() const { return writeLangData(*root_); }

 signals:
  void OnLanguageChanging(QObject* sender);
  void OnLanguageChanged(QObject* sender);

 private:
  void BindEntries(TLang_CompEntry& node, QObject* component);
  void CaptureDefaults(TLang_CompEntry& node);
  void apply(TLang_CompEntry& node, const TLang_CompTranslation* translation);
  QObject* componentOf(const TLang_CompEntry& node) const;

  QPointer<QWidget> window_;
  std::unique_ptr<TLang_CompEntry> root_;
  // The component each entry is bound to; a component freed while the window lives drops out.
  std::map<const TLang_CompEntry*, QPointer<QObject>> bound_;
};

}  // namespace lumora
