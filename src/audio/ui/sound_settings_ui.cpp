#include "audio/ui/sound_settings_ui.h"

#include <QTimer>
#include <QWidget>

#include "audio/playback_state.h"
#include "audio/sound_setup.h"
#include "i18n/language_constants.h"
#include "skin/message_box.h"

namespace lumora::audio {

QStringList soundCardList() {
  QStringList list;
  for (const std::string& name : soundDeviceDescriptions()) list << QString::fromStdString(name);
  return list;
}

bool confirmChangeDevice(QWidget* parent) {
  // Looked up now, so the current language's text is shown.
  return skin::askConfirmation(parent, QString::fromStdString(i18n::ConstantText("ChangeDevice")));
}

QTimer* installLoopTimer(QWidget* dialog) {
  auto* timer = new QTimer(dialog);
  timer->setObjectName(QStringLiteral("Timer1"));
  timer->setInterval(50);
  timer->setTimerType(Qt::PreciseTimer);  // a coarse timer may add a few ms to the gap at the loop's end
  QObject::connect(timer, &QTimer::timeout, timer, &loopTick);
  timer->start();
  return timer;
}

}  // namespace lumora::audio
