#pragma once
// The program's message boxes: errors and information with OK, confirmations with Yes and No, and the
// application's standard error box for an exception that left an event handler. Tests install an answerer
// so no box ever waits for a click.

#include <QString>

#include <exception>
#include <functional>

class QWidget;

namespace lumora::skin {

enum class MessageKind { Error, Information, Confirmation };

struct MessageRequest {
  MessageKind kind;
  QString title;
  QString text;
};

// Returns the answer to a confirmation (true = Yes); ignored for the other kinds.
using MessageAnswerer = std::function<bool(const MessageRequest&)>;

// Replaces the interactive boxes (nullptr restores them). Returns the previous answerer.
MessageAnswerer setMessageAnswerer(MessageAnswerer answerer);

// The application title, used as the title of every box.
void setApplicationTitle(const QString& title);
QString applicationTitle();

void showErrorMessage(QWidget* parent, const QString& text);
void showInformationMessage(QWidget* parent, const QString& text);
bool askConfirmation(QWidget* parent, const QString& text);

// The standard error box for an exception that escaped an event handler.
void showException(const std::exception& error);

// Runs `action`; an exception it throws is shown in the standard error box instead of going further.
// Returns false when it threw.
bool runGuarded(const std::function<void()>& action);

}  // namespace lumora::skin
