#include "skin/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace lumora::skin {

namespace {
MessageAnswerer& answerer() {
  static MessageAnswerer instance;
  return instance;
}
QString& title() {
  static QString instance = "Lumora Viewer";
  return instance;
}

bool ask(QWidget* parent, MessageKind kind, const QString& text) {
  const MessageRequest request{kind, title(), text};
  // Errors also go to the terminal a reader may have started the program from, and to scripts.
  if (kind == MessageKind::Error) std::fprintf(stderr, "%s: %s\n", qPrintable(request.title), qPrintable(text));
  if (answerer()) return answerer()(request);
  switch (kind) {
    case MessageKind::Error:
      QMessageBox::critical(parent, request.title, text);
      return true;
    case MessageKind::Information:
      QMessageBox::information(parent, request.title, text);
      return true;
    case MessageKind::Confirmation:
      return QMessageBox::question(parent, request.title, text, QMessageBox::Yes | QMessageBox::No) ==
             QMessageBox::Yes;
  }
  return false;
}
}  // namespace

MessageAnswerer setMessageAnswerer(MessageAnswerer newAnswerer) {
  MessageAnswerer previous = std::move(answerer());
  answerer() = std::move(newAnswerer);
  return previous;
}

void setApplicationTitle(const QString& newTitle) { title() = newTitle; }
QString applicationTitle() { return title(); }

void showErrorMessage(QWidget* parent, const QString& text) { ask(parent, MessageKind::Error, text); }
void showInformationMessage(QWidget* parent, const QString& text) { ask(parent, MessageKind::Information, text); }
bool askConfirmation(QWidget* parent, const QString& text) { return ask(parent, MessageKind::Confirmation, text); }

void showException(const std::exception& error) {
  ask(QApplication::activeWindow(), MessageKind::Error, QString::fromUtf8(error.what()));
}

bool runGuarded(const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (const std::exception& error) {
    showException(error);
    return false;
  }
}

}  // namespace lumora::skin
