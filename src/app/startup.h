#pragma once
// Program entry: the four windows in their order, the command line, and the unattended screenshot mode.

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace lumora {

class TForm1;
class TfrmConfig;
class TfrmAbout;
class TForm2;

// The windows of one run, created in this order: main window, settings dialog, archiver, splash.
struct ProgramWindows {
  std::unique_ptr<TForm1> Form1;
  std::unique_ptr<TfrmConfig> frmConfig;
  std::unique_ptr<TForm2> Form2;
  std::unique_ptr<TfrmAbout> frmAbout;
  ProgramWindows();
  ~ProgramWindows();
  ProgramWindows(ProgramWindows&&) noexcept;
};

// Creates the windows for the program started as `executable` with `arguments` (without the program name).
ProgramWindows createProgramWindows(const QString& executable, const QStringList& arguments);

}  // namespace lumora
