#include "app/application.h"

#include <exception>

#include "skin/message_box.h"

namespace lumora::app {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    skin::showException(error);
  }
  return false;
}

}  // namespace lumora::app
