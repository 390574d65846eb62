// The fixed translation tables are what a walk of the windows as they are built finds: every property a
// language file can address exists, and no translatable text of a window is missing from its table.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/startup.h"
#include "i18n/lang_data.h"
#include "i18n/ui/language_controller.h"
#include "i18n/window_tables.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"

namespace lumora::i18n {
namespace {

using testing::TempDir;
using testing::writeFile;

using Entries = std::set<std::tuple<std::string, int, std::string>>;  // component, ID, path

Entries entriesOf(const TLang_CompEntry& root) {
  Entries out;
  for (const TLang_PropEntry& p : root.props) out.insert({"", p.id, p.path});
  for (const auto& child : root.children) {
    for (const TLang_PropEntry& p : child->props) out.insert({child->name, p.id, p.path});
  }
  return out;
}

TEST(WindowTables, MatchWhatTheWindowsPublish) {
  testing::ensureQApplication();
  TempDir dir;
  writeFile(dir / "index.htm", "<TITLE>Demo</TITLE>");
  std::map<std::string, std::string> walked;  // window -> LangData after UpdateEntries
  std::map<std::string, Entries> walkedEntries;
  TLanguageController::setLoadedHook([&](TLanguageController& controller) {
    controller.UpdateEntries();
    walked[controller.EffectiveSectionName()] = controller.LangData();
    walkedEntries[controller.EffectiveSectionName()] = entriesOf(controller.root());
  });
  {
    app::ProgramWindows w = app::createProgramWindows(QString::fromStdString((dir / "lumora").string()), {"/NoSplash"});
  }
  TLanguageController::setLoadedHook(nullptr);

  // The splash and the settings dialog are byte for byte their stored tables.
  EXPECT_EQ(walked["frmAbout"], langDataOf(splashWindowTable()));
  EXPECT_EQ(walked["frmAbout"].size(), 189u);
  EXPECT_EQ(walked["frmConfig"], langDataOf(settingsDialogTable()));
  // The main window has every entry of its table and no other.
  EXPECT_EQ(walkedEntries["Form1"], entriesOf(*readLangData(langDataOf(mainWindowTable()))));
  // So has the archiver, but for its archive component, which is no window component here: a translation's
  // version and file masks for it have nothing to apply to.
  Entries archiver = entriesOf(*readLangData(langDataOf(archiverWindowTable())));
  std::erase_if(archiver, [](const auto& e) { return std::get<0>(e) == "Archiver"; });
  EXPECT_EQ(walkedEntries["Form2"], archiver);
}

}  // namespace
}  // namespace lumora::i18n
