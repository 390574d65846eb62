#include "archive/zip_dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>

#include "skin/message_box.h"

namespace lumora::archive {

QMessageBox::StandardButton TZipQtDialogs::run(QMessageBox& box) {
  if (AnswerProvider) return AnswerProvider(box);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

TZipAction TZipQtDialogs::failureDialog(const std::string& message) {
  QMessageBox box(QMessageBox::Question, skin::applicationTitle(), QString::fromStdString(message),
                  QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, parent_);
  switch (run(box)) {
    case QMessageBox::Retry: return TZipAction::fxaRetry;
    case QMessageBox::Ignore: return TZipAction::fxaIgnore;
    default: return TZipAction::fxaAbort;
  }
}

std::optional<std::string> TZipQtDialogs::passwordDialog(const std::string& title, const std::string& prompt) {
  const QString qTitle = QString::fromStdString(title), qPrompt = QString::fromStdString(prompt);
  std::optional<QString> answer;
  if (PasswordProvider) {
    answer = PasswordProvider(qTitle, qPrompt);
  } else {
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, qTitle, qPrompt, QLineEdit::Password, QString(), &ok);
    if (ok) answer = text;
  }
  if (!answer) return std::nullopt;
  return answer->toStdString();
}

TZipOverwriteAnswer TZipQtDialogs::overwriteDialog(const std::string& message) {
  QMessageBox box(QMessageBox::Question, skin::applicationTitle(), QString::fromStdString(message),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::NoToAll | QMessageBox::YesToAll, parent_);
  switch (run(box)) {
    case QMessageBox::Yes: return TZipOverwriteAnswer::Yes;
    case QMessageBox::YesToAll: return TZipOverwriteAnswer::YesToAll;
    case QMessageBox::NoToAll: return TZipOverwriteAnswer::NoToAll;
    default: return TZipOverwriteAnswer::No;
  }
}

TZipQtDialogs& TZipQtDialogs::shared() {
  static TZipQtDialogs dialogs;
  return dialogs;
}

}  // namespace lumora::archive
