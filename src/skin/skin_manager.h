#pragma once
// What the rest of the program keeps about skins: whether skinning is active, the folder skins come from and
// the chosen skin's name. Drawing controls with a skin is not done yet: the windows keep their plain look.

#include <QObject>
#include <QString>

namespace lumora::skin {

class TsSkinManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool Active READ Active WRITE setActive)
  Q_PROPERTY(QString SkinName READ SkinName WRITE setSkinName)
  Q_PROPERTY(QString SkinDirectory READ SkinDirectory WRITE setSkinDirectory)
 public:
  explicit TsSkinManager(QObject* parent = nullptr) : QObject(parent) {}
  bool Active() const { return active_; }
  void setActive(bool active) { active_ = active; }
  QString SkinName() const { return skinName_; }
  void setSkinName(const QString& name) { skinName_ = name; }
  QString SkinDirectory() const { return skinDirectory_; }
  void setSkinDirectory(const QString& folder) { skinDirectory_ = folder; }

 private:
  bool active_ = false;
  QString skinName_;
  QString skinDirectory_;
};

}  // namespace lumora::skin
