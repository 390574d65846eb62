#include "audio/ui/audio_bar.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <array>

#include "audio/playback_state.h"
#include "audio/sound_library.h"
#include "audio/sound_setup.h"
#include "audio/track_hint.h"
#include "core/program_values.h"

namespace lumora::audio {

namespace {

TAudioToolButton* makeButton(QToolBar* bar, const char* name, QStyle::StandardPixmap icon, const QString& text,
                             const QString& hint) {
  auto* button = new TAudioToolButton(bar);
  button->setObjectName(QLatin1String(name));
  button->setIcon(bar->style()->standardIcon(icon));
  button->setText(text);
  button->setHint(hint);
  bar->addWidget(button);
  return button;
}

// The small fixed picture between the sliders: a loudspeaker.
QPixmap speakerPicture() {
  QPixmap picture(16, 16);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 60, 60));
  p.drawRect(2, 6, 3, 4);
  p.drawPolygon(QPolygon({QPoint(5, 6), QPoint(9, 2), QPoint(9, 14), QPoint(5, 10)}));
  p.setPen(QPen(QColor(60, 60, 60), 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRect(8, 4, 5, 8), -60 * 16, 120 * 16);
  p.drawArc(QRect(8, 2, 8, 12), -60 * 16, 120 * 16);
  return picture;
}

}  // namespace

AudioBar::AudioBar(QWidget* mainWindow, QToolBar* sToolBar2, QWidget* paintFrame)
    : QObject(mainWindow),
      paintFrame_(paintFrame),
      target_(paintFrame->width(), paintFrame->height()),
      frameImage_(reinterpret_cast<const uchar*>(target_.pixels.data()), target_.width, target_.height,
                  target_.width * 4, QImage::Format_RGB32) {
  setObjectName(QStringLiteral("AudioBar"));
  ToolButton11 = makeButton(sToolBar2, "ToolButton11", QStyle::SP_MediaPlay, QStringLiteral("Play"),
                            QStringLiteral("<b>Play</b><br>Open the file and start to play it."));
  ToolButton12 = makeButton(sToolBar2, "ToolButton12", QStyle::SP_MediaPause, QStringLiteral("Pause"),
                            QStringLiteral("<b>Pause</b><br>Pause playback."));
  ToolButton13 = makeButton(sToolBar2, "ToolButton13", QStyle::SP_MediaStop, QStringLiteral("Stop"),
                            QStringLiteral("<b>Stop</b><br>Stop playback."));
  ToolButton14 = makeButton(sToolBar2, "ToolButton14", QStyle::SP_MediaVolumeMuted, QStringLiteral("Mute"),
                            QStringLiteral("<b>Mute</b><br>Turn-off the sound."));
  ToolButton14->setCheckable(true);

  sTrackBar1 = new TAudioTrackBar(sToolBar2);
  sTrackBar1->setObjectName(QStringLiteral("sTrackBar1"));
  sTrackBar1->setFixedWidth(161);
  sTrackBar1->setRange(0, kSeekRange);
  sTrackBar1->setHint(QStringLiteral(
      "<b>Playback slider</b><br>It displays current position of playback. Move the slider to search."));
  sToolBar2->addWidget(sTrackBar1);

  Image1 = new QLabel(sToolBar2);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setFixedSize(16, 16);
  Image1->setPixmap(speakerPicture());
  sToolBar2->addWidget(Image1);

  sTrackBar2 = new TAudioTrackBar(sToolBar2);
  sTrackBar2->setObjectName(QStringLiteral("sTrackBar2"));
  sTrackBar2->setFixedWidth(85);
  sTrackBar2->setRange(0, 100);
  sTrackBar2->setValue(100);
  sTrackBar2->setSelStart(100);
  sTrackBar2->setSelEnd(100);
  sTrackBar2->setHint(
      QStringLiteral("<b>Volume</b><br>Adjust volume meter to change current volume."));
  sToolBar2->addWidget(sTrackBar2);

  sLabelFX1 = new TAudioLabel(sToolBar2);
  sLabelFX1->setObjectName(QStringLiteral("sLabelFX1"));
  sToolBar2->addWidget(sLabelFX1);

  OpenDialog1 = new TAudioOpenDialog(mainWindow);
  OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
  OpenDialog1->setFilter(QStringLiteral("MP3/MP2/MP1/OGG/WAV/AIFF|*.MP3;*.MP2;*.MP1;*.OGG;*.WAV;*.AIFF|*.*|*.*"));

  Timer1 = new QTimer(mainWindow);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(50);
  TimerRender = new QTimer(mainWindow);
  TimerRender->setObjectName(QStringLiteral("TimerRender"));
  TimerRender->setInterval(33);

  connect(ToolButton11, &QToolButton::clicked, this, &AudioBar::ToolButton11Click);
  connect(ToolButton12, &QToolButton::clicked, this, &AudioBar::ToolButton12Click);
  connect(ToolButton13, &QToolButton::clicked, this, &AudioBar::ToolButton13Click);
  connect(ToolButton14, &QToolButton::clicked, this, &AudioBar::ToolButton14Click);
  // Only the user's moves seek; the status timer's setValue does not trigger an action.
  connect(sTrackBar1, &QSlider::actionTriggered, this, [this](int) {
    sTrackBar1UserChange(sTrackBar1->sliderPosition());
  });
  connect(sTrackBar2, &QSlider::valueChanged, this, &AudioBar::sTrackBar2Change);
  connect(Timer1, &QTimer::timeout, this, &AudioBar::Timer1Timer);
  connect(TimerRender, &QTimer::timeout, this, &AudioBar::TimerRenderTimer);
  paintFrame_->installEventFilter(this);
  Timer1->start();
  TimerRender->start();
}

void AudioBar::ToolButton11Click() {
  PlaybackState& state = playback();
  const uint32_t active = SND_ChannelIsActive(state.ChannelHandle);
  if (active == kStatePaused) {
    SND_ChannelPlay(state.ChannelHandle, 0);
    return;
  }
  if (active == kStatePlaying) return;
  const std::optional<QString> file = OpenDialog1->Execute();
  if (!file) return;
  const HSTREAM previous = state.ChannelHandle;
  state.ChannelHandle = SND_StreamCreateFile(false, QFile::encodeName(*file).constData(), 0, 0, 0);
  // The replaced stream can no longer be reached; release its decoder and file now.
  if (previous != 0) SND_StreamFree(previous);
  SND_ChannelPlay(state.ChannelHandle, 0);
  LoadTagInfo(*file);
}

void AudioBar::ToolButton12Click() { SND_ChannelPause(playback().ChannelHandle); }

void AudioBar::ToolButton13Click() {
  PlaybackState& state = playback();
  core::programValues().LoopEnabled = false;
  SND_ChannelStop(state.ChannelHandle);
  sTrackBar1->setValue(0);
  frameShown_ = false;
  paintFrame_->update();
}

void AudioBar::ToolButton14Click() {
  SND_SetVolume(ToolButton14->isChecked() ? 0u : static_cast<uint32_t>(sTrackBar2->value()));
}

void AudioBar::sTrackBar1UserChange(int position) {
  const HSTREAM handle = playback().ChannelHandle;
  if (SND_ChannelIsActive(handle) != kStatePlaying) return;
  SND_ChannelSetPosition(handle, seekBytesFor(position, SND_ChannelGetLength(handle)));
}

void AudioBar::sTrackBar2Change(int position) {
  SND_SetVolume(static_cast<uint32_t>(position));
  sTrackBar2->setSelEnd(position);
}

void AudioBar::Timer1Timer() {
  const HSTREAM handle = playback().ChannelHandle;
  if (SND_ChannelIsActive(handle) != kStatePlaying) return;
  const uint64_t length = SND_ChannelGetLength(handle);
  const uint64_t position = SND_ChannelGetPosition(handle);
  sTrackBar1->setValue(sliderPositionFor(position, length));
  sLabelFX1->setCaption(QString::fromStdString(statusTextFor(handle, length, position)));
}

void AudioBar::TimerRenderTimer() {
  TSpectrum* spectrum = currentSpectrum();
  const HSTREAM handle = playback().ChannelHandle;
  if (spectrum == nullptr || SND_ChannelIsActive(handle) != kStatePlaying) return;
  TSpectrum::FftData fft{};  // on the stack: a frame allocates nothing
  SND_ChannelGetData(handle, fft.data(), kDataFft1024);
  spectrum->Draw(target_, fft, 7, -10);
  frameShown_ = true;
  paintFrame_->update();
}

void AudioBar::LoadTagInfo(const QString& fileName) {
  const std::optional<std::string> hint =
      trackHintFor(QFile::encodeName(fileName).toStdString(), core::programValues().TagVersion);
  if (hint) sLabelFX1->setHint(QString::fromStdString(trackHintForDisplay(*hint)));
}

bool AudioBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == paintFrame_ && event->type() == QEvent::Paint && frameShown_) {
    QPainter painter(paintFrame_);
    painter.drawImage(0, 0, frameImage_);
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace lumora::audio
