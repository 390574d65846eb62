#pragma once
// What the settings dialog reads and sets on the main window. The main window implements it, so the dialog
// does not depend on the main window's class.

#include <QSize>
#include <QString>

namespace lumora::skin {
class TsSkinManager;
}

namespace lumora::settings {

class TConfigHost {
 public:
  virtual ~TConfigHost() = default;
  virtual void setMainCaption(const QString& caption) = 0;
  virtual void setToolbarCaptionsShown(bool shown) = 0;
  // The audio bar's visibility together with the check mark of the "Audio player" menu item.
  virtual void setAudioBarShown(bool shown) = 0;
  virtual bool audioBarShown() const = 0;
  virtual void setVolumePosition(int position) = 0;
  virtual int volumePosition() const = 0;
  virtual void setSettingsButtonEnabled(bool enabled) = 0;
  virtual skin::TsSkinManager* skinManager() = 0;
  virtual QSize paintFrameSize() const = 0;
  // The help router's ShowHelpTopic: `topic` of `file` (empty: the program's help file).
  virtual void ShowHelpTopic(const QString& file, const QString& topic) = 0;
};

}  // namespace lumora::settings
