#pragma once
// The main window TForm1: toolbar, page view, audio bar, status gauge, menus and tray icon. Its creation
// reads its part of the settings file and loads the start page; its close writes the settings back.

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

#include "settings/config_host.h"
#include "settings/settings_dialog.h"
#include "viewer/frame_viewer.h"

class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;
class QToolBar;
class QSlider;

namespace lumora::audio {
class AudioBar;
}
namespace lumora::skin {
class TsGauge;
class TsHintManager;
class TsSkinManager;
class TsStatusBar;
class TsToolBar;
class TToolButton;
}
namespace lumora::i18n {
class TLanguageController;
}

namespace lumora::app {

class THelpDispatcher;

class TForm1 : public QWidget, public settings::TConfigHost {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ windowTitle WRITE setWindowTitle)
 public:
  // `executable` is the program's path as started; the settings file and the publication are beside it.
  explicit TForm1(const QString& executable, QWidget* parent = nullptr);
  ~TForm1() override;

  // The windows created after this one. The settings dialog holds most live settings the close writes.
  void setConfigWindow(settings::TfrmConfig* config) { frmConfig_ = config; }
  void setArchiverWindow(QWidget* archiver) { archiver_ = archiver; }

  static constexpr int kTrayLeftButtonUp = 514, kTrayLeftDoubleClick = 515, kTrayRightButtonUp = 517;

  QString settingsFile() const { return settingsFile_; }
  // Whether the desktop has a tray to hide into (the platform's answer unless a test says otherwise).
  void setTrayAvailability(std::function<bool()> available) { trayAvailable_ = std::move(available); }
  QSystemTrayIcon* trayIcon() const { return tray_; }
  QString helpFile() const { return helpFile_; }

  // TConfigHost
  void setMainCaption(const QString& caption) override;
  void setToolbarCaptionsShown(bool shown) override;
  void setAudioBarShown(bool shown) override;
  bool audioBarShown() const override;
  void setVolumePosition(int position) override;
  int volumePosition() const override;
  void setSettingsButtonEnabled(bool enabled) override;
  skin::TsSkinManager* skinManager() override { return sSkinManager1; }
  QSize paintFrameSize() const override;
  void ShowHelpTopic(const QString& file, const QString& topic) override;


  // Components (named as language files and tests address them).
  skin::TsToolBar* sToolBar1;
  skin::TToolButton* ToolButton1;
  skin::TToolButton* ToolButton2;
  skin::TToolButton* ToolButton3;
  skin::TToolButton* ToolButton4;
  skin::TToolButton* ToolButton7;
  skin::TToolButton* ToolButton9;
  skin::TToolButton* ToolButton8;
  QWidget* PaintFrame;
  viewer::TFrameViewer* FrameViewer1;
  QToolBar* sToolBar2;
  audio::AudioBar* AudioBar1;  // the audio bar's components and handlers
  QSlider* sTrackBar2;
  skin::TsStatusBar* sStatusBar1;
  skin::TsGauge* sGauge1;
  QMenu* PopupMenu1;
  QAction* N1;
  QAction* ZIP1;
  QAction* N2;
  QMenu* N3;
  QMenu* PopupMenu2;
  QAction* RestoreItem;
  QAction* HideItem;
  QAction* N4;
  QAction* Closew;
  THelpDispatcher* HelpDispatcher1;
  skin::TsSkinManager* sSkinManager1;
  i18n::TLanguageController* LangManagerz;
  QObject* sSkinProvider1;
  skin::TsHintManager* sHintManager1;
  QTimer* TimerRender;
  QTimer* Timer1;

 public slots:
  void ToolButton1Click();
  void ToolButton2Click();
  void ToolButton3Click();
  void ToolButton4Click();
  void ToolButton7Click();
  void ToolButton8Click();
  void ToolButton9Click();
  void N1Click();
  void ZIP1Click();
  void HideItemClick();
  void RestoreItemClick();
  void ClosewClick();
  // The tray icon's mouse messages: a button released over it opens the tray menu at the cursor, a
  // double click restores the window; anything else does nothing.
  void TrayMessage(int MouseMessage);
  void FrameViewer1Progress(QObject* sender, lumora::viewer::TProgressStage stage, int percentDone);
  void FrameViewer1Processing(QObject* sender, bool processingOn);
  void FrameViewer1ParseEnd(QObject* sender);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void buildWindow();
  void FormCreate();
  void FormClose();
  void FormDestroy();
  // "Back", "Next" and "Refresh" as the history and the page shown allow.
  void updateHistoryButtons();
  // BaseCaption + " :: " + the page's title.
  void showPageCaption();

  QString executable_;
  QString settingsFile_;
  QString helpFile_;
  int ShowCaptionsFlag_ = 0;
  bool ChildrenReshown_ = false;
  QSystemTrayIcon* tray_ = nullptr;
  std::function<bool()> trayAvailable_;
  // The program's other windows that were open when the main window hid into the tray.
  QList<QPointer<QWidget>> hiddenWithMain_;
  QPointer<settings::TfrmConfig> frmConfig_;
  QPointer<QWidget> archiver_;
};

}  // namespace lumora::app
