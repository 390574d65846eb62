#pragma once
// Qt pieces of the settings dialog's sound tab: the sound card list, the "ChangeDevice" question and the
// dialog's loop timer.

#include <QStringList>

class QTimer;
class QWidget;

namespace lumora::audio {

// Texts for the sound card list (position = device number).
QStringList soundCardList();

// Asks the "ChangeDevice" question with Yes and No through the program's message boxes (whose answerer
// tests replace); true on Yes.
bool confirmChangeDevice(QWidget* parent);

// Creates the dialog's "Timer1" (50 ms, running also while the dialog is hidden) that restarts a stopped
// stream while looping is on.
QTimer* installLoopTimer(QWidget* dialog);

}  // namespace lumora::audio
