#include "app/startup.h"

#include "app/main_window.h"
#include "app/splash_window.h"
#include "core/program_values.h"
#include "i18n/language_manager.h"
#include "settings/settings_dialog.h"
#include "skin/controls.h"

namespace lumora {

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
  ProgramValues& program = programValues();
  program = ProgramValues{};
  for (const QString& argument : arguments) program.Arguments.push_back(argument.toStdString());

  LangManager().Restart();
  ProgramWindows windows;
  windows.Form1 = std::make_unique<TForm1>(executable);
  windows.frmConfig = std::make_unique<TfrmConfig>(*windows.Form1, windows.Form1->settingsFile(), windows.Form1.get());
  windows.Form1->setConfigWindow(windows.frmConfig.get());

  // The archiver window, until the archiver takes part in start-up: an empty window with its name.
  windows.Form2 = std::make_unique<QWidget>();
  windows.Form2->setObjectName("Form2");
  windows.Form2->setWindowTitle("ZIP archiver");
  windows.Form1->setArchiverWindow(windows.Form2.get());

  // The splash shows itself (and waits) here unless it is switched off.
  windows.frmAbout = std::make_unique<TfrmAbout>(windows.Form1.get(), windows.frmConfig->sCheckBox2->isChecked());
  return windows;
}

}  // namespace lumora
