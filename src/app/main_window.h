#pragma once
// The main window TForm1: toolbar, page view, audio bar, status gauge, menus and tray icon. Its creation
// reads its part of the settings file and loads the start page; its close writes the settings back.

#include <QPointer>
#include <QWidget>

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

namespace lumora {

class TsGauge;
class TsSkinManager;
class TsStatusBar;
class TsToolBar;
class TLanguageController;
class TToolButton;

class TForm1 : public QWidget, public TConfigHost {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ windowTitle WRITE setWindowTitle)
 public:
  // `executable` is the program's path as started; the settings file and the publication are beside it.
  explicit TForm1(const QString& executable, QWidget* parent = nullptr);
  ~TForm1() override;

  // The windows created after this one. The settings dialog holds most live settings the close writes.
  void setConfigWindow(TfrmConfig* config) { frmConfig_ = config; }
  void setArchiverWindow(QWidget* archiver) { archiver_ = archiver; }

  QString settingsFile() const { return settingsFile_; }
  QString helpFile() const { return helpFile_; }

  // TConfigHost
  void setMainCaption(const QString& caption) override { setWindowTitle(caption); }
  void setToolbarCaptionsShown(bool shown) override;
  void setAudioBarShown(bool shown) override;
  bool audioBarShown() const override;
  void setVolumePosition(int position) override;
  int volumePosition() const override;
  void setSettingsButtonEnabled(bool enabled) override;
  TsSkinManager* skinManager() override { return sSkinManager1; }
  QSize paintFrameSize() const override;

  // Components (named as language files and tests address them).
  TsToolBar* sToolBar1;
  TToolButton* ToolButton1;
  TToolButton* ToolButton2;
  TToolButton* ToolButton3;
  TToolButton* ToolButton4;
  TToolButton* ToolButton7;
  TToolButton* ToolButton9;
  TToolButton* ToolButton8;
  QWidget* PaintFrame;
  TFrameViewer* FrameViewer1;
  QToolBar* sToolBar2;
  audio::AudioBar* AudioBar1;  // the audio bar's components and handlers
  QSlider* sTrackBar2;
  TsStatusBar* sStatusBar1;
  TsGauge* sGauge1;
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
  QObject* HelpDispatcher1;
  TsSkinManager* sSkinManager1;
  TLanguageController* LangManagerz;
  QObject* sSkinProvider1;
  QObject* sHintManager1;
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
  void FrameViewer1Progress(QObject* sender, lumora::TProgressStage stage, int percentDone);
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
  void discoverPlugins(const QString& folder);
  void runPlugin(int position);

  QString executable_;
  QString settingsFile_;
  QString helpFile_;
  int ShowCaptionsFlag_ = 0;
  bool ChildrenReshown_ = false;
  QSystemTrayIcon* tray_ = nullptr;
  QPointer<TfrmConfig> frmConfig_;
  QPointer<QWidget> archiver_;
};

}  // namespace lumora
