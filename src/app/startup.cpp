#include "app/startup.h"

#include "app/main_window.h"
#include "archive/archiver_window.h"
#include "i18n/ui/language_controller.h"
#include "i18n/window_tables.h"
#include "app/splash_window.h"
#include "core/program_values.h"
#include "i18n/language_manager.h"
#include "settings/settings_dialog.h"
#include "skin/controls.h"
#include "skin/screen_fit.h"

namespace lumora::app {

ProgramWindows::ProgramWindows() = default;
ProgramWindows::~ProgramWindows() {
  // The dialog refers to the main window; it goes first.
  frmAbout.reset();
  Form2.reset();
  frmConfig.reset();
  Form1.reset();
}
ProgramWindows::ProgramWindows(ProgramWindows&&) noexcept = default;

ProgramWindows createProgramWindows(const QString& executable, const QStringList& arguments) {
  core::ProgramValues& program = core::programValues();
  program = core::ProgramValues{};
  for (const QString& argument : arguments) program.Arguments.push_back(argument.toStdString());

  skin::keepWindowsOnScreen();
  i18n::LangManager().restart();
  ProgramWindows windows;
  windows.Form1 = std::make_unique<TForm1>(executable);
  windows.frmConfig = std::make_unique<settings::TfrmConfig>(*windows.Form1, windows.Form1->settingsFile(), windows.Form1.get());
  windows.Form1->setConfigWindow(windows.frmConfig.get());

  auto archiver = std::make_unique<archive::TForm2>();
  auto* controller = new i18n::TLanguageController(archiver.get(), "LangManager1", i18n::archiverWindowTable());
  controller->loaded();
  windows.Form2 = std::move(archiver);
  windows.Form1->setArchiverWindow(windows.Form2.get());

  // The splash shows itself (and waits) here unless it is switched off.
  windows.frmAbout = std::make_unique<TfrmAbout>(windows.Form1.get(), windows.frmConfig->sCheckBox2->isChecked());
  return windows;
}

}  // namespace lumora::app
