#pragma once
// The application object: shows an exception that leaves an event handler in the standard error box
// instead of ending the program.

#include <QApplication>

#include "app/help_dispatcher.h"

namespace lumora::app {

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // The application's help file, where the help router looks when it has none of its own.
  QString helpFile() const { return applicationHelp().HelpFile; }
  void setHelpFile(const QString& file) { applicationHelp().HelpFile = file; }
};

}  // namespace lumora::app
