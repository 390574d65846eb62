#pragma once
// Program entry: the four windows in their order, the command line, and the unattended screenshot mode.

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace lumora::settings {
class TfrmConfig;
}
namespace lumora::archive {
class TForm2;
}

namespace lumora::app {

class TForm1;
class TfrmAbout;

// The windows of one run, created in this order: main window, settings dialog, archiver, splash.
struct ProgramWindows {
  std::unique_ptr<TForm1> Form1;
  std::unique_ptr<settings::TfrmConfig> frmConfig;
  std::unique_ptr<archive::TForm2> Form2;
  std::unique_ptr<TfrmAbout> frmAbout;
  ProgramWindows();
  ~ProgramWindows();
  ProgramWindows(ProgramWindows&&) noexcept;
};

// Creates the windows for the program started as `executable` with `arguments` (without the program name).
ProgramWindows createProgramWindows(const QString& executable, const QStringList& arguments);

}  // namespace lumora::app
