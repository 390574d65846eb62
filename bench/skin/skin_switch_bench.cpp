// Switching skins with the program's four windows open (main window with the audio bar, settings dialog,
// archiver, splash) in a copy of the demo publication: the time from setting the skin name, or the active
// flag, until every window has its new style and palette and has painted once. Target: under 100 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/main_window.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "archive/archiver_window.h"
#include "settings/settings_dialog.h"
#include "skin/message_box.h"
#include "skin/skin_manager.h"

namespace {

namespace fs = std::filesystem;

QApplication& application() {
  static int argc = 1;
  static char name[] = "skin_switch_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

fs::path publication() {
  const fs::path dir = fs::temp_directory_path() / "lumora-skin-bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy(fs::path(LUMORA_SOURCE_DIR) / "demo", dir, fs::copy_options::recursive);
  std::FILE* ini = std::fopen((dir / "lumora.ini").c_str(), "w");
  std::fputs("[Form]\nSkined=1\nSkinFile=Aurora\n[Player]\nActive=1\n", ini);
  std::fclose(ini);
  return dir;
}

// Every window painted with what the switch changed.
void paintAll(const lumora::app::ProgramWindows& w) {
  for (QWidget* window : {static_cast<QWidget*>(w.Form1.get()), static_cast<QWidget*>(w.frmConfig.get()),
                          static_cast<QWidget*>(w.Form2.get()), static_cast<QWidget*>(w.frmAbout.get())}) {
    window->repaint();
  }
}

void switchSkins(benchmark::State& state, bool toggleActive) {
  application();
  lumora::skin::setMessageAnswerer([](const lumora::skin::MessageRequest&) { return true; });
  const fs::path dir = publication();
  lumora::app::ProgramWindows w =
      lumora::app::createProgramWindows(QString::fromStdString((dir / "lumora").string()), {"/NoSplash"});
  w.Form1->show();
  w.frmConfig->show();
  w.Form2->show();
  w.frmAbout->show();
  QApplication::processEvents();
  lumora::skin::TsSkinManager& skins = *w.Form1->sSkinManager1;
  int i = 0;
  double worst = 0;
  for (auto _ : state) {
    QElapsedTimer t;
    t.start();
    if (toggleActive) {
      skins.setActive(i % 2 == 1);
    } else {
      skins.setSkinName(i % 2 == 0 ? "Midnight" : "Aurora");
    }
    paintAll(w);
    worst = std::max(worst, t.nsecsElapsed() / 1e6);
    ++i;
  }
  state.counters["worst_ms"] = worst;
  state.counters["widgets"] = static_cast<double>(QApplication::allWidgets().size());
  w.frmAbout->hide();
  w.Form2->hide();
  w.frmConfig->hide();
  w.Form1->close();
  QApplication::processEvents();
}

void BM_SwitchBetweenTheDemoSkins(benchmark::State& state) { switchSkins(state, false); }
void BM_SkinOnAndOff(benchmark::State& state) { switchSkins(state, true); }

}  // namespace

BENCHMARK(BM_SwitchBetweenTheDemoSkins)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SkinOnAndOff)->Iterations(20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
