#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <filesystem>

#include "app/help_dispatcher.h"
#include "app/icons.h"
#include "app/plugins.h"
#include "archive/archiver_window.h"
#include "audio/sound_library.h"
#include "audio/ui/audio_bar.h"
#include "core/paths.h"
#include "core/program_values.h"
#include "i18n/language_constants.h"
#include "i18n/ui/language_controller.h"
#include "i18n/window_tables.h"
#include "settings/ini_file.h"
#include "settings/settings_dialog.h"
#include "settings/settings_keys.h"
#include "skin/controls.h"
#include "skin/hint_window.h"
#include "skin/message_box.h"
#include "skin/skin_manager.h"
#include "skin/skin_style.h"

namespace lumora::app {

namespace {

skin::TToolButton* makeButton(const char* name, const QString& caption, const QString& hint, ToolbarImage image) {
  auto* button = new skin::TToolButton;
  button->setObjectName(name);
  button->setCaption(caption);
  button->setHint(hint);
  button->setIcon(toolbarIcon(image));
  return button;
}

QObject* makeComponent(QObject* owner, const char* name) {
  auto* component = new QObject(owner);
  component->setObjectName(name);
  return component;
}

}  // namespace

TForm1::TForm1(const QString& executable, QWidget* parent) : QWidget(parent), executable_(executable) {
  buildWindow();
  LangManagerz = new i18n::TLanguageController(this, "LangManagerz", i18n::mainWindowTable());
  LangManagerz->loaded();
  FormCreate();
  // The skin manager starts drawing once the window's own settings have said whether it is active, so a
  // window that starts without a skin is never drawn in one first.
  sSkinManager1->Loaded();
  // A language gives the window its translated definition caption; the page shown keeps its own.
  connect(LangManagerz, &i18n::TLanguageController::OnLanguageChanged, this, [this] {
    if (!FrameViewer1->CurrentFile().isEmpty()) showPageCaption();
  });
}

TForm1::~TForm1() { FormDestroy(); }

void TForm1::buildWindow() {
  setObjectName("Form1");
  setWindowTitle("Lumora Viewer");
  setWindowIcon(applicationIcon());
  resize(778, 573);
  move(375, 135);
  skin::setFormColor(this, QColor(217, 232, 237));
  setFont(QFont("MS Sans Serif", 8));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  sToolBar1 = new skin::TsToolBar(this);
  sToolBar1->setObjectName("sToolBar1");
  sToolBar1->setFixedHeight(48);
  ToolButton1 = makeButton("ToolButton1", "Main page", "Navigate to the main page", MainPage);
  ToolButton2 = makeButton("ToolButton2", "Back", "Go back to the previous page", Back);
  ToolButton3 = makeButton("ToolButton3", "Next", "Go to the next page of history list", Next);
  ToolButton4 = makeButton("ToolButton4", "Refresh", "Refresh this page", Refresh);
  ToolButton7 = makeButton("ToolButton7", "Settings", "Change prorgam settings", Settings);
  ToolButton9 = makeButton("ToolButton9", "Help", "Launch help system", Help);
  ToolButton8 = makeButton("ToolButton8", "More", "Show more actions", More);
  for (skin::TToolButton* b : {ToolButton1, ToolButton2, ToolButton3, ToolButton4}) sToolBar1->addButton(b);
  sToolBar1->addSeparator("ToolButton5", 8);
  sToolBar1->addButton(ToolButton7);
  sToolBar1->addButton(ToolButton9);
  sToolBar1->addSeparator("ToolButton10", 8);
  sToolBar1->addButton(ToolButton8);

  PaintFrame = new QWidget;
  PaintFrame->setObjectName("PaintFrame");
  PaintFrame->setFixedSize(161, 44);
  PaintFrame->setAutoFillBackground(true);
  QPalette black = PaintFrame->palette();
  black.setColor(QPalette::Window, Qt::black);
  PaintFrame->setPalette(black);
  sToolBar1->placeWidget(PaintFrame, 428);
  layout->addWidget(sToolBar1);

  FrameViewer1 = new viewer::TFrameViewer(this);
  FrameViewer1->setObjectName("FrameViewer1");
  FrameViewer1->setDefBackground(Qt::white);
  FrameViewer1->setDefFontName("Times New Roman");
  FrameViewer1->setDefPreFontName("Courier New");
  FrameViewer1->setHistoryMaxCount(10);
  layout->addWidget(FrameViewer1, 1);

  sToolBar2 = new QToolBar(this);
  sToolBar2->setObjectName("sToolBar2");
  sToolBar2->setVisible(false);
  layout->addWidget(sToolBar2);

  sStatusBar1 = new skin::TsStatusBar(this);
  sStatusBar1->setObjectName("sStatusBar1");
  sStatusBar1->setFixedHeight(21);
  sStatusBar1->setSizeGripEnabled(true);
  sGauge1 = new skin::TsGauge;
  sGauge1->setObjectName("sGauge1");
  sGauge1->setFixedWidth(152);
  sGauge1->setToolTip("Loading progress");
  sGauge1->setSuffix("%");
  sStatusBar1->addWidget(sGauge1);
  sGauge1->setVisible(false);
  layout->addWidget(sStatusBar1);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  N1 = new skin::TMenuItem("Audio player", "N1", PopupMenu1);
  N1->setIcon(menuIcon(AudioPlayer));
  N1->setCheckable(true);
  ZIP1 = new skin::TMenuItem("ZIP archiver", "ZIP1", PopupMenu1);
  ZIP1->setIcon(menuIcon(ZipArchiver));
  N2 = new skin::TMenuItem("-", "N2", PopupMenu1);
  PopupMenu1->addActions({N1, ZIP1, N2});
  N3 = PopupMenu1->addMenu(menuIcon(Plugins), "Plugins");
  N3->setObjectName("N3");
  ToolButton8->setPopupMode(QToolButton::MenuButtonPopup);
  ToolButton8->setMenu(PopupMenu1);

  PopupMenu2 = new QMenu(this);
  PopupMenu2->setObjectName("PopupMenu2");
  RestoreItem = new skin::TMenuItem("Restore", "RestoreItem", PopupMenu2);
  RestoreItem->setEnabled(false);
  HideItem = new skin::TMenuItem("Hide", "HideItem", PopupMenu2);
  N4 = new skin::TMenuItem("-", "N4", PopupMenu2);
  Closew = new skin::TMenuItem("Close", "Closew", PopupMenu2);
  PopupMenu2->addActions({RestoreItem, HideItem, N4, Closew});

  HelpDispatcher1 = new THelpDispatcher(this);
  sSkinManager1 = new skin::TsSkinManager(this);
  sSkinManager1->setObjectName("sSkinManager1");
  sSkinProvider1 = makeComponent(this, "sSkinProvider1");
  sHintManager1 = new skin::TsHintManager(this);
  sHintManager1->setObjectName("sHintManager1");
  makeComponent(this, "ImageList1");
  makeComponent(this, "ImageList2");
  AudioBar1 = new audio::AudioBar(this, sToolBar2, PaintFrame);
  sTrackBar2 = AudioBar1->sTrackBar2;
  Timer1 = AudioBar1->Timer1;
  TimerRender = AudioBar1->TimerRender;

  connect(ToolButton1, &QToolButton::clicked, this, &TForm1::ToolButton1Click);
  connect(ToolButton2, &QToolButton::clicked, this, &TForm1::ToolButton2Click);
  connect(ToolButton3, &QToolButton::clicked, this, &TForm1::ToolButton3Click);
  connect(ToolButton4, &QToolButton::clicked, this, &TForm1::ToolButton4Click);
  connect(ToolButton7, &QToolButton::clicked, this, &TForm1::ToolButton7Click);
  connect(ToolButton8, &QToolButton::clicked, this, &TForm1::ToolButton8Click);
  connect(ToolButton9, &QToolButton::clicked, this, &TForm1::ToolButton9Click);
  connect(N1, &QAction::triggered, this, &TForm1::N1Click);
  connect(ZIP1, &QAction::triggered, this, &TForm1::ZIP1Click);
  connect(RestoreItem, &QAction::triggered, this, &TForm1::RestoreItemClick);
  connect(HideItem, &QAction::triggered, this, &TForm1::HideItemClick);
  connect(Closew, &QAction::triggered, this, &TForm1::ClosewClick);
  connect(FrameViewer1, &viewer::TFrameViewer::OnProgress, this, &TForm1::FrameViewer1Progress);
  connect(FrameViewer1, &viewer::TFrameViewer::OnProcessing, this, &TForm1::FrameViewer1Processing);
  connect(FrameViewer1, &viewer::TFrameViewer::OnParseEnd, this, &TForm1::FrameViewer1ParseEnd);
}

void TForm1::FormCreate() {
  using namespace settings;
  core::ProgramValues& program = core::programValues();
  // 1.
  ChildrenReshown_ = false;
  // The tray icon, with "Hide" available.
  tray_ = new QSystemTrayIcon(windowIcon(), this);
  tray_->setToolTip(skin::applicationTitle());
  tray_->setContextMenu(PopupMenu2);
  // A right click shows the context menu (the same tray menu) through the platform itself, which is
  // the only way on desktops that draw the tray's menus themselves.
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) TrayMessage(kTrayLeftDoubleClick);
    if (reason == QSystemTrayIcon::Trigger) TrayMessage(kTrayLeftButtonUp);
  });
  tray_->show();
  HideItem->setEnabled(true);
  // The settings file: the executable's path with ".ini".
  const std::filesystem::path exe = executable_.toStdString();
  settingsFile_ = QString::fromStdString(core::settingsFileFor(exe).string());
  const TIniFile ini(core::settingsFileFor(exe));
  // A settings file that cannot be read (a folder, a FIFO, a huge file) gives the defaults, said once here.
  if (const std::string problem = ini.readProblem(); !problem.empty()) {
    skin::showErrorMessage(this, QString::fromStdString(problem));
  }
  // 4.
  program.AppFolder = core::folderWithSeparator(exe);
  // Help file.
  helpFile_ = QString::fromStdString(program.AppFolder + i18n::ConstantText("HelpFile"));
  HelpDispatcher1->Helpfile = helpFile_;
  applicationHelp().HelpFile = helpFile_;
  // Start page.
  program.StartPage = program.AppFolder + ini.readString(ExecutePage.section, ExecutePage.name, kPageDefault);
  // Caption.
  setWindowTitle(QString::fromStdString(ini.readString(FormCaption.section, FormCaption.name, kMainCaptionDefault)));
  program.BaseCaption = windowTitle().toStdString();
  // 8.
  ShowCaptionsFlag_ = ini.readInteger(FormShowCaptions.section, FormShowCaptions.name, kMainShowCaptionsDefault);
  // A missing start page ends the creation here, after its error box. The history buttons follow the
  // history from the start, so with nothing loaded they are off rather than enabled and doing nothing.
  updateHistoryButtons();
  if (!skin::runGuarded([&] { FrameViewer1->LoadFromFile(QString::fromStdString(program.StartPage)); })) return;
  // 10.
  sToolBar1->setShowCaptions(ShowCaptionsFlag_ != 0);
  // 11.
  sSkinManager1->setActive(ini.readBool(FormSkined.section, FormSkined.name, false));
  // "/Compress FOLDER ARCHIVE"; a failure is shown and ends the creation steps here.
  QStringList arguments;
  for (const std::string& argument : program.Arguments) arguments << QString::fromStdString(argument);
  if (!skin::runGuarded([&] { archive::runCompressSwitch(arguments, this); })) return;
  // The settings file is closed with `ini`.
  // 14.
  const auto openPage = [this](const QString& name) {
    // A page that cannot be shown is the module's to report: the answer says so.
    try {
      FrameViewer1->LoadFromFile(QString::fromStdString(core::programValues().AppFolder) + name);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  };
  discoverPlugins(program.AppFolder + "Modules/", PluginHosts{this, N3, sToolBar1, openPage}, this);
}

void TForm1::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
  // Closing the main window ends the program, whatever other windows are open.
  QTimer::singleShot(0, qApp, &QApplication::quit);
}

void TForm1::FormClose() {
  settings::TIniFile ini(settingsFile_.toStdString());
  if (core::programValues().CdModeActive || frmConfig_ == nullptr) return;
  // A failed write is reported; the program still closes so a reader is never trapped in it.
  skin::runGuarded([&] { settings::writeClosingValues(ini, frmConfig_->closingValues()); });
}

void TForm1::FormDestroy() {
  if (tray_ != nullptr) tray_->hide();
  audio::SND_Free();
}

void TForm1::setToolbarCaptionsShown(bool shown) { sToolBar1->setShowCaptions(shown); }

void TForm1::setAudioBarShown(bool shown) {
  sToolBar2->setVisible(shown);
  N1->setChecked(shown);
}

bool TForm1::audioBarShown() const { return !sToolBar2->isHidden(); }
void TForm1::setVolumePosition(int position) { sTrackBar2->setValue(position); }
int TForm1::volumePosition() const { return sTrackBar2->value(); }
void TForm1::setSettingsButtonEnabled(bool enabled) { ToolButton7->setEnabled(enabled); }
QSize TForm1::paintFrameSize() const { return PaintFrame->size(); }

void TForm1::ToolButton1Click() {
  skin::runGuarded([&] { FrameViewer1->LoadFromFile(QString::fromStdString(core::programValues().StartPage)); });
}
void TForm1::ToolButton2Click() {
  skin::runGuarded([&] { FrameViewer1->GoBack(); });
}
void TForm1::ToolButton3Click() {
  skin::runGuarded([&] { FrameViewer1->GoForward(); });
}
void TForm1::ToolButton4Click() { FrameViewer1->Repaint(); }

void TForm1::ToolButton7Click() {
  if (frmConfig_ != nullptr) frmConfig_->exec();
}

void TForm1::ToolButton8Click() { PopupMenu1->popup(QCursor::pos()); }

void TForm1::ToolButton9Click() {
  // The help file follows the current language from this press on.
  helpFile_ = QString::fromStdString(core::programValues().AppFolder + i18n::ConstantText("HelpFile"));
  HelpDispatcher1->Helpfile = helpFile_;
  applicationHelp().HelpFile = helpFile_;
  HelpDispatcher1->ShowHelpContents();
}

void TForm1::N1Click() { sToolBar2->setVisible(N1->isChecked()); }

void TForm1::ZIP1Click() {
  if (archiver_ != nullptr) {
    archiver_->show();
    archiver_->raise();
  }
}

void TForm1::HideItemClick() {
  // The program's other open windows (the archiver, the help window) go into the tray with it.
  hiddenWithMain_.clear();
  for (QWidget* window : QApplication::topLevelWidgets()) {
    const Qt::WindowType type = window->windowType();
    if (window != this && window->isVisible() && (type == Qt::Window || type == Qt::Dialog)) {
      hiddenWithMain_ << window;
      window->hide();
    }
  }
  hide();
  if (tray_ != nullptr) tray_->show();
  HideItem->setEnabled(false);
  RestoreItem->setEnabled(true);
}

void TForm1::RestoreItemClick() {
  if (isHidden() || isMinimized()) showNormal();
  raise();
  activateWindow();
  for (const QPointer<QWidget>& window : std::as_const(hiddenWithMain_))
    if (window != nullptr) window->show();
  hiddenWithMain_.clear();
  ChildrenReshown_ = true;
  RestoreItem->setEnabled(false);
  HideItem->setEnabled(true);
}

void TForm1::TrayMessage(int MouseMessage) {
  if (MouseMessage == kTrayLeftButtonUp || MouseMessage == kTrayRightButtonUp) {
    activateWindow();
    PopupMenu2->popup(QCursor::pos());
  } else if (MouseMessage == kTrayLeftDoubleClick) {
    RestoreItemClick();
  }
}

void TForm1::ClosewClick() { close(); }

void TForm1::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Minimizing hides the window into the tray where a tray exists to bring it back from.
  // Without a tray the window stays minimized, so it can come back from the task bar.
  const bool trayAvailable = trayAvailable_ ? trayAvailable_() : QSystemTrayIcon::isSystemTrayAvailable();
  if (event->type() == QEvent::WindowStateChange && isMinimized() && trayAvailable) {
    QTimer::singleShot(0, this, &TForm1::HideItemClick);
  }
}

void TForm1::FrameViewer1Progress(QObject*, viewer::TProgressStage stage, int percentDone) {
  sGauge1->setValue(percentDone);
  if (stage == viewer::psStarting) sGauge1->setVisible(true);
  if (stage == viewer::psEnding) sGauge1->setVisible(false);
  sGauge1->repaint();
}

void TForm1::FrameViewer1Processing(QObject*, bool processingOn) {
  if (processingOn) {
    ToolButton3->setEnabled(false);
    ToolButton2->setEnabled(false);
    ToolButton4->setEnabled(false);
    return;
  }
  updateHistoryButtons();
  showPageCaption();
}

void TForm1::updateHistoryButtons() {
  const int index = FrameViewer1->HistoryIndex();
  ToolButton3->setEnabled(index > 0);
  ToolButton2->setEnabled(index < FrameViewer1->History().size() - 1);
  ToolButton4->setEnabled(!FrameViewer1->CurrentFile().isEmpty());
}

void TForm1::showPageCaption() {
  setWindowTitle(QString::fromStdString(core::programValues().BaseCaption) + " :: " + FrameViewer1->DocumentTitle());
}

void TForm1::setMainCaption(const QString& caption) {
  // The caption the settings dialog sets is the base of every page's caption from now on, not only until
  // the next page is loaded; the page shown gets it at once.
  core::programValues().BaseCaption = caption.toStdString();
  if (FrameViewer1->CurrentFile().isEmpty()) {
    setWindowTitle(caption);
  } else {
    showPageCaption();
  }
}

void TForm1::ShowHelpTopic(const QString& file, const QString& topic) { HelpDispatcher1->ShowHelpTopic(file, topic); }

void TForm1::FrameViewer1ParseEnd(QObject*) { sGauge1->setVisible(false); }

}  // namespace lumora::app
