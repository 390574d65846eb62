#pragma once
// The skin manager TsSkinManager (the main window's sSkinManager1): whether windows wear a skin, the folder
// skins come from, the chosen skin, and the loading of it with its fall-backs. It is the one manager of
// the program: a loaded skin is drawn in every window through the application's style.

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

#include "skin/skin_format.h"

namespace lumora::skin {

class TsSkinManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool Active READ Active WRITE setActive)
  Q_PROPERTY(QString SkinName READ SkinName WRITE setSkinName)
  Q_PROPERTY(QString SkinDirectory READ SkinDirectory WRITE setSkinDirectory)
 public:
  // As the window definition has it: active, skin "DID (uvuravor)", folder "c:\Skins". Nothing is loaded
  // until Loaded().
  explicit TsSkinManager(QObject* parent = nullptr);
  ~TsSkinManager() override;

  // The window definition has been read: from now on the setters load and apply skins.
  void Loaded();

  bool Active() const { return active_; }
  // true loads the skin SkinName names; false returns every window to the platform's look.
  void setActive(bool active);
  // The stored name; after a fall-back, the name of the skin that was loaded.
  QString SkinName() const { return skinName_; }
  void setSkinName(const QString& name);
  QString SkinDirectory() const { return skinDirectory_; }
  void setSkinDirectory(const QString& folder);
  // The folder with the executable's folder applied, ending in "\".
  QString resolvedSkinDirectory() const { return resolved_; }

  // The names of the built-in skins, in their order.
  QStringList InternalSkins() const;
  // Fills `list` with the built-in names and the skin folders of the resolved folder, sorted; returns the
  // first built-in name (or the first folder found when there were no built-in skins).
  QString ListSkinNames(QStringList& list) const;

  // The skin the windows wear, or nullptr for the platform look.
  const SkinReadResult* currentSkin() const { return current_.get(); }

  // How a skin name shows in the settings dialog's list: a built-in skin carries " (internal)".
  static QString listEntry(const QString& name);
  // The skin name of a list entry (or of a typed name).
  static QString nameOfListEntry(const QString& entry);

 signals:
  // A skin or the platform look was put on the windows.
  void skinApplied();

 private:
  void loadSkin();
  void show(std::shared_ptr<const SkinReadResult> skin);

  bool loaded_ = false;
  bool active_ = true;
  QString skinName_;
  QString skinDirectory_;
  QString resolved_;
  std::shared_ptr<const SkinReadResult> current_;
};

}  // namespace lumora::skin
