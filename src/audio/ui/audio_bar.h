#pragma once
// The main window's audio bar: Play, Pause, Stop and Mute, the seek and volume sliders, the status label
// with the track hint, the 50 ms status timer and the 33 ms spectrum timer that draws into the spectrum
// box. The main window makes one, giving it itself, its bottom toolbar and its spectrum box.

#include <QImage>
#include <QObject>
#include <QString>

#include "audio/pixel_buffer.h"
#include "audio/ui/audio_components.h"

class QLabel;
class QTimer;
class QToolBar;
class QWidget;

namespace lumora::audio {

class AudioBar : public QObject {
  Q_OBJECT
 public:
  AudioBar(QWidget* mainWindow, QToolBar* sToolBar2, QWidget* paintFrame);

  // The components, named as their objectName()s.
  TAudioToolButton* ToolButton11;  // Play
  TAudioToolButton* ToolButton12;  // Pause
  TAudioToolButton* ToolButton13;  // Stop
  TAudioToolButton* ToolButton14;  // Mute
  TAudioTrackBar* sTrackBar1;      // seek, 0..500
  QLabel* Image1;
  TAudioTrackBar* sTrackBar2;  // volume, 0..100
  TAudioLabel* sLabelFX1;      // status text; its hint is the track information
  QTimer* Timer1;              // status, 50 ms
  QTimer* TimerRender;         // spectrum, 33 ms
  TAudioOpenDialog* OpenDialog1;

  // What the spectrum box shows (valid while a frame is on screen).
  const QImage& spectrumImage() const { return frameImage_; }
  bool spectrumShown() const { return frameShown_; }

 public slots:
  void ToolButton11Click();
  void ToolButton12Click();
  void ToolButton13Click();
  void ToolButton14Click();
  void sTrackBar1UserChange(int position);
  void sTrackBar2Change(int position);
  void Timer1Timer();
  void TimerRenderTimer();
  void LoadTagInfo(const QString& fileName);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* paintFrame_;
  PixelBuffer target_;  // the spectrum box's surface; frameImage_ shows it without copying
  QImage frameImage_;
  bool frameShown_ = false;
};

}  // namespace lumora::audio
