// The user-interface thread never waits on decoding: the audio bar opens and plays a 10-minute MP3 on
// device 0 while its status and spectrum timers run; every tick's duration is measured, and a seek is
// made halfway. Reports the open time, the longest tick of each timer and the seek time, in ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/playback_state.h"
#include "audio/sound_library.h"
#include "audio/sound_setup.h"
#include "audio/ui/audio_bar.h"

using namespace lumora::audio;

namespace {

// A 10-minute stereo MP3, made once (about 20 s with lame) and kept for later runs.
std::string longMp3() {
  const std::string path = (std::filesystem::temp_directory_path() / "lumora-audio-bench-10min.mp3").string();
  if (!std::filesystem::exists(path)) {
    const std::string make = "sox -n -r 44100 -c 2 -b 16 -t wav - synth 600 sine 300-3000 tremolo 3 2>/dev/null | "
                             "lame --quiet -b 128 - " + path + ".part && mv " + path + ".part " + path;
    if (std::system(make.c_str()) != 0) return {};
  }
  return path;
}

double msSince(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

}  // namespace

static void BM_UiTicksWhilePlaying10MinuteMp3(benchmark::State& state) {
  const std::string mp3 = longMp3();
  if (mp3.empty()) {
    state.SkipWithError("sox and lame are needed");
    return;
  }
  static int argc = 1;
  static char name[] = "audio_ui_tick_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;

  for (auto _ : state) {
    startSoundSystem(kNoSoundDevice);
    createSpectrum(161, 44);
    QWidget window;
    auto* toolbar = new QToolBar(&window);
    auto* paintFrame = new QWidget(&window);
    paintFrame->setFixedSize(161, 44);
    AudioBar bar(&window, toolbar, paintFrame);
    bar.Timer1->stop();  // driven by hand below, so each tick can be timed
    bar.TimerRender->stop();
    bar.OpenDialog1->setChooser([&](const TAudioOpenDialog&) { return QString::fromStdString(mp3); });

    QElapsedTimer open;
    open.start();
    bar.ToolButton11Click();
    const double openMs = msSince(open);

    double maxStatus = 0, maxRender = 0, seekMs = 0;
    int ticks = 0;
    QElapsedTimer run;
    run.start();
    while (run.elapsed() < 6000) {
      if (ticks == 90) {  // halfway: the user drags the seek slider to the middle
        QElapsedTimer seek;
        seek.start();
        bar.sTrackBar1UserChange(250);
        seekMs = msSince(seek);
      }
      QElapsedTimer tick;
      tick.start();
      bar.Timer1Timer();
      maxStatus = std::max(maxStatus, msSince(tick));
      tick.restart();
      bar.TimerRenderTimer();
      maxRender = std::max(maxRender, msSince(tick));
      QApplication::processEvents();
      ++ticks;
      QThread::msleep(33);
    }
    state.counters["open_ms"] = openMs;
    state.counters["max_status_tick_ms"] = maxStatus;
    state.counters["max_render_tick_ms"] = maxRender;
    state.counters["seek_ms"] = seekMs;
    state.counters["ticks"] = ticks;
    state.counters["playing_at_end"] = SND_ChannelIsActive(playback().ChannelHandle) == kStatePlaying;
    SND_Free();
  }
}
BENCHMARK(BM_UiTicksWhilePlaying10MinuteMp3)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
