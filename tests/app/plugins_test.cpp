#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <cstdlib>
#include <sstream>
#include <vector>

#include "app/main_window.h"
#include "app/startup.h"
#include "core/program_values.h"
#include "skin/controls.h"
#include "skin/message_box.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"

namespace lumora::app {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

std::string pointerText(const void* p) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", p);
  return text;
}

TEST(Plugins, AreListedByNameAndRunWithTheHostTheirTypeAsksFor) {
  testing::ensureQApplication();
  TempDir dir;
  writeFile(dir / "index.htm", "<TITLE>Demo</TITLE>");
  const std::filesystem::path fixtures = LUMORA_TEST_PLUGINS;
  for (const char* name : {"form", "menu", "toolbar", "nil", "lower", "spaced", "noname"}) {
    std::filesystem::create_directories(dir / "Modules");
    std::filesystem::copy_file(fixtures / (std::string(name) + ".plu"), dir / "Modules" / (std::string(name) + ".plu"));
  }
  writeFile(dir / "Modules" / "broken.plu", "not a library");
  writeFile(dir / "Modules" / "readme.txt", "not a module");
  const auto log = dir / "calls.log";
  ::setenv("LUMORA_PLUGIN_LOG", log.c_str(), 1);

  std::vector<std::string> messages;
  skin::setMessageAnswerer([&](const skin::MessageRequest& r) {
    messages.push_back(r.text.toStdString());
    return true;
  });
  ProgramWindows w = createProgramWindows(QString::fromStdString((dir / "lumora").string()), {"/NoSplash"});
  skin::setMessageAnswerer(nullptr);

  // The module without a name is reported once; the file that is no library is skipped silently.
  EXPECT_EQ(messages, std::vector<std::string>{"Unable to identify this plugin! Probably this is wrong plugin file."});
  const QList<QAction*> items = w.Form1->N3->actions();
  ASSERT_EQ(items.size(), 6);
  ASSERT_EQ(core::programValues().PluginPaths.size(), 6u);

  const std::string form = pointerText(static_cast<QWidget*>(w.Form1.get()));
  const std::string menu = pointerText(w.Form1->N3);
  const std::string toolbar = pointerText(static_cast<QWidget*>(w.Form1->sToolBar1));
  const std::string nil = pointerText(nullptr);
  for (int i = 0; i < items.size(); ++i) {
    std::filesystem::remove(log);
    const std::string label = items[i]->text().toStdString();
    EXPECT_EQ(std::filesystem::path(core::programValues().PluginPaths[i]).stem().string(), label);
    items[i]->trigger();
    std::string expected;
    const auto types = [&](int n) {
      for (int k = 0; k < n; ++k) expected += label + " type " + nil + "\n";
    };
    if (label == "form") types(1), expected += "form exec " + form + "\n";
    if (label == "menu") types(2), expected += "menu exec " + menu + "\n";
    if (label == "toolbar") types(3), expected += "toolbar exec " + toolbar + "\n";
    if (label == "nil") types(4), expected += "nil exec " + nil + "\n";
    // A type that differs only in case or by a trailing space runs nothing.
    if (label == "lower" || label == "spaced") types(4);
    EXPECT_EQ(readFile(log), expected) << label;
  }
  ::unsetenv("LUMORA_PLUGIN_LOG");
}

TEST(Plugins, NamesThatAreNoRegularFilesAreSkippedWithoutWaiting) {
  testing::ensureQApplication();
  TempDir dir;
  writeFile(dir / "index.htm", "<TITLE>Demo</TITLE>");
  std::filesystem::create_directories(dir / "Modules" / "folder.plu");
  // Opening a FIFO to load it would wait for a writer for ever; a device would be read without end.
  ASSERT_EQ(::mkfifo((dir / "Modules" / "fifo.plu").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir / "Modules" / "zero.plu");
  std::filesystem::copy_file(std::filesystem::path(LUMORA_TEST_PLUGINS) / "form.plu", dir / "Modules" / "form.plu");
  std::vector<std::string> messages;
  skin::setMessageAnswerer([&](const skin::MessageRequest& r) {
    messages.push_back(r.text.toStdString());
    return true;
  });
  ProgramWindows w = createProgramWindows(QString::fromStdString((dir / "lumora").string()), {"/NoSplash"});
  skin::setMessageAnswerer(nullptr);
  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(w.Form1->N3->actions().size(), 1);
  EXPECT_EQ(w.Form1->N3->actions()[0]->text().toStdString(), "form");

  // A listed module replaced by a FIFO between start and click: the click does nothing.
  std::filesystem::remove(dir / "Modules" / "form.plu");
  ASSERT_EQ(::mkfifo((dir / "Modules" / "form.plu").c_str(), 0600), 0);
  w.Form1->N3->actions()[0]->trigger();
}

TEST(Plugins, AMissingModulesFolderGivesAnEmptyMenu) {
  testing::ensureQApplication();
  TempDir dir;
  writeFile(dir / "index.htm", "<TITLE>Demo</TITLE>");
  ProgramWindows w = createProgramWindows(QString::fromStdString((dir / "lumora").string()), {"/NoSplash"});
  EXPECT_TRUE(w.Form1->N3->actions().isEmpty());
  EXPECT_TRUE(core::programValues().PluginPaths.empty());
}

}  // namespace
}  // namespace lumora::app
