#pragma once
// The application object: shows an exception that leaves an event handler in the standard error box
// instead of ending the program.

#include <QApplication>

namespace lumora::app {

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  QString helpFile() const { return helpFile_; }
  void setHelpFile(const QString& file) { helpFile_ = file; }

 private:
  QString helpFile_;
};

}  // namespace lumora::app
