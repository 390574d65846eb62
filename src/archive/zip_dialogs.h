#pragma once
// The archive component's questions as Qt dialogs: an entry that failed (Abort, Retry, Ignore), a password,
// and overwriting a file. Tests (and scripts) answer them through AnswerProvider without showing anything.

#include <QMessageBox>
#include <QString>
#include <functional>
#include <optional>

#include "archive/zip_archiver.h"

class QWidget;

namespace lumora::archive {

class TZipQtDialogs : public TZipDialogs {
 public:
  explicit TZipQtDialogs(QWidget* parent = nullptr) : parent_(parent) {}

  // When set, receives each prepared message box instead of it being shown and returns the button the
  // user would press.
  std::function<QMessageBox::StandardButton(QMessageBox&)> AnswerProvider;
  // When set, answers the password question (nullopt = Cancel) instead of the input dialog.
  std::function<std::optional<QString>(const QString& title, const QString& prompt)> PasswordProvider;

  TZipAction failureDialog(const std::string& message) override;
  std::optional<std::string> passwordDialog(const std::string& title, const std::string& prompt) override;
  TZipOverwriteAnswer overwriteDialog(const std::string& message) override;

  // The dialogs every window's component uses unless it brings its own.
  static TZipQtDialogs& shared();

 private:
  QMessageBox::StandardButton run(QMessageBox& box);
  QWidget* parent_;
};

}  // namespace lumora::archive
