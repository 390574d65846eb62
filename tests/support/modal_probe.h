#pragma once
// Answers the next modal dialog of a test: when it is up, `look` sees it, and then it is cancelled. For code
// paths whose real dialog is the point of the test (where it opens, what it shows).

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

namespace lumora::testing {

inline void answerNextModalDialog(std::function<void(QDialog&)> look) {
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [look = std::move(look), poll] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      look(*dialog);
      dialog->reject();
      *poll = nullptr;  // breaks the cycle once answered
      return;
    }
    QTimer::singleShot(10, qApp, *poll);
  };
  QTimer::singleShot(0, qApp, *poll);
}

}  // namespace lumora::testing
