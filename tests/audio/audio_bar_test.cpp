// The audio bar and the sound tab's helpers, driven on the offscreen platform with device 0.
#include "audio/ui/audio_bar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QToolBar>
#include <QWidget>

#include "audio/playback_state.h"
#include "audio/sound_library.h"
#include "audio/sound_setup.h"
#include "audio/ui/sound_settings_ui.h"
#include "audio_fixtures.h"
#include "core/program_values.h"
#include "i18n/language_constants.h"
#include "skin/message_box.h"

namespace lumora::audio {
namespace {

using lumora::testing::TempDir;
using lumora::testing::writeFile;

QApplication& app() {
  static int argc = 1;
  static char name[] = "audio_ui_tests";
  static char* argv[] = {name, nullptr};
  // Kept to the end of the process: destroying it during static destruction races Qt's own globals.
  static QApplication* application = new QApplication(argc, argv);
  return *application;
}

void runFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

class AudioBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(startSoundSystem(kNoSoundDevice));
    playback() = PlaybackState();
    core::programValues().LoopEnabled = true;
    core::programValues().TagVersion = 0;
    createSpectrum(161, 44);
    toolbar = new QToolBar(&window);
    toolbar->setObjectName(QStringLiteral("sToolBar2"));
    paintFrame = new QWidget(&window);
    paintFrame->setObjectName(QStringLiteral("PaintFrame"));
    paintFrame->setFixedSize(161, 44);
    bar = new AudioBar(&window, toolbar, paintFrame);
    bar->OpenDialog1->setChooser([this](const TAudioOpenDialog&) {
      ++dialogShown;
      return nextFile;
    });
  }
  void TearDown() override {
    SND_Free();
    playback() = PlaybackState();
    core::programValues().LoopEnabled = true;
    core::programValues().TagVersion = 0;
  }
  uint32_t state() const { return SND_ChannelIsActive(playback().ChannelHandle); }
  void playFile(const std::filesystem::path& path) {
    nextFile = QString::fromStdString(path.string());
    bar->ToolButton11->click();
  }

  QApplication& application = app();  // before any widget
  TempDir dir;
  QWidget window;
  QToolBar* toolbar = nullptr;
  QWidget* paintFrame = nullptr;
  AudioBar* bar = nullptr;
  int dialogShown = 0;
  std::optional<QString> nextFile;
};

TEST_F(AudioBarTest, ComponentsCarryTheirNamesHintsAndRanges) {
  const QStringList order = {"ToolButton11", "ToolButton12", "ToolButton13", "ToolButton14",
                             "sTrackBar1",   "Image1",       "sTrackBar2",   "sLabelFX1"};
  QStringList onBar;
  for (QAction* action : toolbar->actions()) onBar << toolbar->widgetForAction(action)->objectName();
  EXPECT_EQ(onBar, order);
  const std::vector<std::pair<const char*, const char*>> hints = {
      {"ToolButton11", "<b>Play</b><br>Open the file and start to play it."},
      {"ToolButton12", "<b>Pause</b><br>Pause playback."},
      {"ToolButton13", "<b>Stop</b><br>Stop playback."},
      {"ToolButton14", "<b>Mute</b><br>Turn-off the sound."},
      {"sTrackBar1", "<b>Playback slider</b><br>It displays current position of playback. Move the slider to search."},
      {"sTrackBar2", "<b>Volume</b><br>Adjust volume meter to change current volume."}};
  for (const auto& [name, hint] : hints) {
    QObject* component = window.findChild<QObject*>(QLatin1String(name));
    ASSERT_NE(component, nullptr) << name;
    EXPECT_EQ(component->property("Hint").toString(), QString::fromUtf8(hint)) << name;
  }
  EXPECT_TRUE(bar->ToolButton14->isCheckable());
  EXPECT_EQ(bar->sTrackBar1->maximum(), 500);
  EXPECT_EQ(bar->sTrackBar1->width(), 161);
  EXPECT_EQ(bar->sTrackBar2->maximum(), 100);
  EXPECT_EQ(bar->sTrackBar2->value(), 100);
  EXPECT_EQ(bar->sTrackBar2->selStart(), 100);
  EXPECT_EQ(bar->sTrackBar2->width(), 85);
  auto* timer1 = window.findChild<QTimer*>(QStringLiteral("Timer1"));
  auto* render = window.findChild<QTimer*>(QStringLiteral("TimerRender"));
  ASSERT_TRUE(timer1 && render);
  EXPECT_EQ(timer1->interval(), 50);
  EXPECT_EQ(render->interval(), 33);
  EXPECT_TRUE(timer1->isActive() && render->isActive());
  ASSERT_NE(window.findChild<QObject*>(QStringLiteral("OpenDialog1")), nullptr);
  EXPECT_EQ(bar->OpenDialog1->nameFilters(),
            QStringList({"MP3/MP2/MP1/OGG/WAV/AIFF (*.MP3 *.mp3 *.MP2 *.mp2 *.MP1 *.mp1 *.OGG *.ogg *.WAV *.wav "
                         "*.AIFF *.aiff)",
                         "*.* (*)"}));
}

TEST_F(AudioBarTest, PlayPauseResumeAndStopFollowTheStreamState) {
  const auto wav = testing::writeWav(dir / "a.wav", 2.0);
  nextFile.reset();
  bar->ToolButton11->click();  // cancelled: nothing changes
  EXPECT_EQ(dialogShown, 1);
  EXPECT_EQ(playback().ChannelHandle, 0u);

  playFile(wav);
  EXPECT_EQ(dialogShown, 2);
  EXPECT_EQ(state(), kStatePlaying);
  bar->ToolButton11->click();  // playing: nothing happens
  EXPECT_EQ(dialogShown, 2);

  bar->ToolButton12->click();
  EXPECT_EQ(state(), kStatePaused);
  const uint64_t paused = SND_ChannelGetPosition(playback().ChannelHandle);
  bar->ToolButton11->click();  // resumes without the dialog
  EXPECT_EQ(dialogShown, 2);
  EXPECT_EQ(state(), kStatePlaying);
  EXPECT_GE(SND_ChannelGetPosition(playback().ChannelHandle), paused);

  core::programValues().LoopEnabled = true;
  runFor(120);
  bar->ToolButton13->click();
  EXPECT_EQ(state(), kStateStopped);
  EXPECT_FALSE(core::programValues().LoopEnabled);
  EXPECT_EQ(bar->sTrackBar1->value(), 0);
  EXPECT_FALSE(bar->spectrumShown());
  const QString label = bar->sLabelFX1->text();
  EXPECT_TRUE(label.startsWith("Playing  0:02 ("));
  runFor(120);
  EXPECT_EQ(bar->sLabelFX1->text(), label);  // kept after Stop

  const HSTREAM first = playback().ChannelHandle;
  playFile(wav);  // after Stop, Play asks for a file again
  EXPECT_EQ(dialogShown, 3);
  EXPECT_NE(playback().ChannelHandle, first);
  EXPECT_EQ(SND_ChannelIsActive(first), kStateStopped);
}

TEST_F(AudioBarTest, StatusTimerMovesTheSliderAndWritesTheText) {
  playFile(testing::writeWav(dir / "a.wav", 3.0, 22050, 1));
  runFor(600);
  EXPECT_EQ(bar->sLabelFX1->text(), QStringLiteral("Playing  0:03 (0:02)."));
  EXPECT_GT(bar->sTrackBar1->value(), 50);
  EXPECT_LT(bar->sTrackBar1->value(), 150);
  bar->ToolButton12->click();
  const int slider = bar->sTrackBar1->value();
  runFor(150);
  EXPECT_EQ(bar->sTrackBar1->value(), slider);
}

TEST_F(AudioBarTest, SeekSliderAt250LandsAtHalfTheLengthOnlyWhilePlaying) {
  playFile(testing::writeWav(dir / "a.wav", 4.0));
  const HSTREAM h = playback().ChannelHandle;
  const uint64_t length = SND_ChannelGetLength(h);
  bar->sTrackBar1->setSliderPosition(250);  // as a drag does
  EXPECT_GE(SND_ChannelGetPosition(h), length / 2);
  EXPECT_LT(SND_ChannelGetPosition(h), length / 2 + length / 20);
  bar->ToolButton12->click();
  bar->sTrackBar1->setSliderPosition(50);
  EXPECT_GE(SND_ChannelGetPosition(h), length / 2);
  // The status timer's own moves never seek.
  bar->ToolButton11->click();
  bar->sTrackBar1->setValue(10);
  EXPECT_GE(SND_ChannelGetPosition(h), length / 2);
}

TEST_F(AudioBarTest, MuteAndVolume) {
  bar->ToolButton14->click();
  EXPECT_TRUE(bar->ToolButton14->isChecked());
  EXPECT_EQ(outputVolume(), 0u);
  bar->sTrackBar2->setValue(40);
  EXPECT_EQ(outputVolume(), 40u);
  EXPECT_TRUE(bar->ToolButton14->isChecked());
  EXPECT_EQ(bar->sTrackBar2->selEnd(), 40);
  bar->ToolButton14->click();
  EXPECT_EQ(outputVolume(), 40u);
  bar->ToolButton14->click();
  EXPECT_EQ(outputVolume(), 0u);
  EXPECT_EQ(bar->sTrackBar2->value(), 40);
}

TEST_F(AudioBarTest, TrackHintComesFromMp3FilesOnly) {
  std::string tag = "TAG" + std::string(125, '\0');
  tag.replace(3, 9, "Moonlight");
  tag[127] = 17;
  writeFile(dir / "a.mp3", testing::silentMpegFrames(2, 10) + tag);
  playFile(dir / "a.mp3");
  const QString hint = bar->sLabelFX1->toolTip();
  EXPECT_EQ(hint, QStringLiteral("<b>About file:</b><br><br>Title: Moonlight<br>Artist: <br>Album: <br>Year: "
                                 "<br>Comment: <br>Genre: Rock"));
  EXPECT_EQ(bar->sLabelFX1->property("Hint").toString(), hint);
  bar->ToolButton13->click();
  playFile(testing::writeWav(dir / "b.wav", 0.5));
  EXPECT_EQ(bar->sLabelFX1->toolTip(), hint);
  bar->ToolButton13->click();
  writeFile(dir / "SONG.MP3", testing::silentMpegFrames(2, 10));
  playFile(dir / "SONG.MP3");
  EXPECT_EQ(bar->sLabelFX1->toolTip(), hint);
}

TEST_F(AudioBarTest, SpectrumBoxShowsMovingLinesWhilePlayingAndKeepsTheFrameWhenPaused) {
  window.show();
  playFile(testing::writeWav(dir / "a.wav", 3.0, 44100, 2, 1000.0, 0.5));  // bin 23: column 18
  runFor(300);
  ASSERT_TRUE(bar->spectrumShown());
  const QImage shot = paintFrame->grab().toImage();
  EXPECT_EQ(shot.pixel(7 + 18, 5), 0xFFFFFFFFu);   // a full line
  EXPECT_EQ(shot.pixel(7 + 100, 34), 0xFFFFFFFFu);  // a baseline dot
  EXPECT_EQ(shot.pixel(7 + 100, 20), 0xFF000000u);
  EXPECT_EQ(shot.pixel(3, 20), 0xFF000000u);

  bar->ToolButton12->click();
  const QImage paused = bar->spectrumImage().copy();
  const auto levels = currentSpectrum()->LineLevels;
  runFor(150);
  EXPECT_EQ(bar->spectrumImage(), paused);
  EXPECT_EQ(currentSpectrum()->LineLevels, levels);
  bar->ToolButton13->click();
  EXPECT_FALSE(bar->spectrumShown());
}

TEST_F(AudioBarTest, LoopTimerRestartsAnEndedFileWithin50Ms) {
  QWidget dialog;
  QTimer* loop = installLoopTimer(&dialog);
  EXPECT_EQ(loop->objectName(), QStringLiteral("Timer1"));
  EXPECT_EQ(loop->interval(), 50);
  core::programValues().LoopEnabled = true;
  playFile(testing::writeWav(dir / "a.wav", 0.3));
  // Watch the stream closely and record every stretch during which it was stopped.
  QElapsedTimer clock;
  clock.start();
  qint64 stoppedAt = -1, longestGap = 0;
  int restarts = 0;
  QTimer probe;
  probe.setInterval(1);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const bool stopped = state() == kStateStopped;
    if (stopped && stoppedAt < 0) stoppedAt = clock.elapsed();
    if (!stopped && stoppedAt >= 0) {
      longestGap = std::max(longestGap, clock.elapsed() - stoppedAt);
      stoppedAt = -1;
      ++restarts;
    }
  });
  probe.start();
  runFor(1100);
  EXPECT_GE(restarts, 2);
  // The loop timer ticks every 50 ms, so a stop is seen and undone within one period; the margin is for
  // the event loop of a busy machine under the sanitizers.
  EXPECT_LE(longestGap, 75);
  RecordProperty("longest_restart_gap_ms", static_cast<int>(longestGap));
}

TEST_F(AudioBarTest, DeviceChangeAsksAndRestartsTheLibraryOnlyOnYes) {
  playFile(testing::writeWav(dir / "a.wav", 2.0));
  int asked = 0;
  EXPECT_TRUE(applySoundDevice(kNoSoundDevice, [&] { return ++asked, true; }));
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(applySoundDevice(kDefaultDevice, [&] { return ++asked, false; }));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(SND_GetDevice(), kNoSoundDevice);
  EXPECT_EQ(state(), kStatePlaying);
  EXPECT_TRUE(applySoundDevice(kDefaultDevice, [&] { return ++asked, true; }));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(SND_GetDevice(), kDefaultDevice);
  EXPECT_EQ(state(), kStateStopped);  // playback ended with the old device
}

TEST_F(AudioBarTest, ChangeDeviceQuestionUsesTheCurrentConstantText) {
  std::vector<skin::MessageRequest> asked;
  const skin::MessageAnswerer previous = skin::setMessageAnswerer([&](const skin::MessageRequest& r) {
    asked.push_back(r);
    return false;
  });
  EXPECT_FALSE(confirmChangeDevice(&window));
  i18n::setConstantText("ChangeDevice", "Restart the sound?");
  EXPECT_FALSE(confirmChangeDevice(&window));
  i18n::resetConstantTexts();
  skin::setMessageAnswerer(previous);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].kind, skin::MessageKind::Confirmation);
  EXPECT_EQ(asked[0].text.toStdString(), i18n::ConstantText("ChangeDevice"));
  EXPECT_EQ(asked[1].text, QStringLiteral("Restart the sound?"));
}

TEST_F(AudioBarTest, BackgroundMusicFindsWindowsStyleNamesAndSkipsEmptyOnes) {
  testing::writeWav(dir / "Music" / "Theme.wav", 0.5);
  startBackgroundMusic(dir.path().string() + "\\MUSIC\\theme.WAV");
  EXPECT_NE(playback().ChannelHandle, 0u);
  EXPECT_EQ(state(), kStatePlaying);
  startBackgroundMusic("");
  EXPECT_EQ(playback().ChannelHandle, 0u);
  core::programValues().AppFolder = dir.path().string() + "/";
  startBackgroundMusic("music\\THEME.wav");  // relative to the publication folder
  EXPECT_EQ(state(), kStatePlaying);
  startBackgroundMusic("no-such-file.wav");
  EXPECT_EQ(playback().ChannelHandle, 0u);
  core::programValues().AppFolder.clear();
  EXPECT_FALSE(soundCardList().isEmpty());
  EXPECT_EQ(soundCardList().front(), QStringLiteral("No sound"));
}

}  // namespace
}  // namespace lumora::audio
