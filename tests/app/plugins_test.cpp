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

TEST(Plugins, AreListedByNameAndRunWithTheHostTheirTypeAsksFor) {
  testing::ensureQApplication();
  TempDir dir;
  writeFile(dir / "index.htm", "<TITLE>Demo</TITLE>");
  const std::filesystem::path fixtures = LUMORA_TEST_PLUGINS;
  for (const char* name : {"form", "menu", "toolbar", "nil", "lower", "spaced", "noname", "nullname", "noexec"}) {
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

  // The modules without a name (no export, or no text) are reported once each; the file that is no
  // library is skipped silently.
  const std::string pluginError = "Unable to identify this plugin! Probably this is wrong plugin file.";
  EXPECT_EQ(messages, std::vector<std::string>(2, pluginError));
  messages.clear();
  const QList<QAction*> items = w.Form1->N3->actions();
  ASSERT_EQ(items.size(), 7);
  ASSERT_EQ(core::programValues().PluginPaths.size(), 7u);

  const std::string folder = core::programValues().AppFolder;
  const std::string caption = w.Form1->windowTitle().toStdString();
  const int buttons = static_cast<int>(w.Form1->sToolBar1->findChildren<skin::TToolButton*>().size());
  for (int i = 0; i < items.size(); ++i) {
    std::filesystem::remove(log);
    const std::string label = items[i]->text().toStdString();
    EXPECT_EQ(std::filesystem::path(core::programValues().PluginPaths[i]).stem().string(), label);
    items[i]->trigger();
    std::string expected;
    const auto types = [&](int n) {
      for (int k = 0; k < n; ++k) expected += label + " type -\n";
    };
    const auto ran = [&](const std::string& kind) { expected += label + " exec " + kind + "\n" + label + " folder " + folder + "\n"; };
    if (label == "form") types(1), ran("FORM"), expected += "form caption " + caption + "\n";
    if (label == "menu") types(2), ran("MENU");
    if (label == "toolbar") types(3), ran("TOOLBAR");
    if (label == "nil") types(4), expected += "nil exec NULL\n";
    // A type that differs only in case or by a trailing space runs nothing.
    if (label == "lower" || label == "spaced") types(4);
    EXPECT_EQ(readFile(log), expected) << label;
    // A module that lacks PluginExec is reported when clicked, and nothing of it runs.
    EXPECT_EQ(messages, label == "noexec" ? std::vector<std::string>{pluginError} : std::vector<std::string>{}) << label;
    messages.clear();
  }
  skin::setMessageAnswerer(nullptr);
  // What the modules did through their hosts outlives them: the caption, a menu item, a toolbar button.
  EXPECT_EQ(w.Form1->windowTitle(), "Set by a plug-in");
  ASSERT_EQ(w.Form1->N3->actions().size(), 8);
  EXPECT_EQ(w.Form1->N3->actions().last()->text(), "menu item");
  const auto added = w.Form1->sToolBar1->findChildren<skin::TToolButton*>();
  ASSERT_EQ(added.size(), buttons + 1);
  ::unsetenv("LUMORA_PLUGIN_LOG");
}

TEST(Plugins, TheDemosExamplesDoWhatTheirDocumentationSays) {
  testing::ensureQApplication();
  TempDir dir;
  writeFile(dir / "index.htm", "<TITLE>Demo</TITLE>");
  writeFile(dir / "thanks.htm", "<TITLE>Thank you</TITLE>");
  std::filesystem::create_directories(dir / "Modules");
  for (const char* name : {"thanks.plu", "thanks_button.plu"})
    std::filesystem::copy_file(std::filesystem::path(LUMORA_DEMO_DIR) / "Modules" / name, dir / "Modules" / name);
  ProgramWindows w = createProgramWindows(QString::fromStdString((dir / "lumora").string()), {"/NoSplash"});
  QStringList names;
  for (QAction* item : w.Form1->N3->actions()) names << item->text();
  names.sort();
  ASSERT_EQ(names, (QStringList{"Thanks button", "Thanks page"}));
  const auto item = [&](const QString& text) {
    for (QAction* a : w.Form1->N3->actions())
      if (a->text() == text) return a;
    return static_cast<QAction*>(nullptr);
  };
  // "Thanks page" shows thanks.htm.
  item("Thanks page")->trigger();
  EXPECT_EQ(w.Form1->FrameViewer1->DocumentTitle(), "Thank you");
  // "Thanks button" adds a "Thanks" button that shows thanks.htm after the module is gone.
  w.Form1->ToolButton1->click();
  EXPECT_EQ(w.Form1->FrameViewer1->DocumentTitle(), "Demo");
  item("Thanks button")->trigger();
  skin::TToolButton* thanks = nullptr;
  for (auto* b : w.Form1->sToolBar1->findChildren<skin::TToolButton*>())
    if (b->Caption() == "Thanks") thanks = b;
  ASSERT_NE(thanks, nullptr);
  thanks->click();
  EXPECT_EQ(w.Form1->FrameViewer1->DocumentTitle(), "Thank you");
  // Without the page, "Thanks page" says so in a message instead.
  std::filesystem::remove(dir / "thanks.htm");
  w.Form1->ToolButton1->click();
  std::vector<std::string> messages;
  skin::setMessageAnswerer([&](const skin::MessageRequest& r) {
    messages.push_back(r.text.toStdString());
    return true;
  });
  item("Thanks page")->trigger();
  skin::setMessageAnswerer(nullptr);
  EXPECT_EQ(messages, std::vector<std::string>{"This publication has no thanks.htm."});
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
