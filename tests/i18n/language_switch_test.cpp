#include <gtest/gtest.h>

#include <QApplication>

#include <vector>

#include "app/main_window.h"
#include "app/splash_window.h"
#include "app/startup.h"
#include "archive/archiver_window.h"
#include "i18n/language_manager.h"
#include "settings/settings_dialog.h"
#include "skin/controls.h"
#include "skin/message_box.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"

namespace lumora::i18n {
namespace {

using testing::TempDir;
using testing::writeFile;

class LanguageSwitchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing::ensureQApplication();
  }
  void SetUp() override {
    writeFile(dir / "index.htm", "<TITLE>Demo</TITLE>");
    std::filesystem::create_directories(dir / "Lang");
    std::filesystem::copy_file(std::filesystem::path(LUMORA_DEMO_LANG) / "russian.lng", dir / "Lang" / "russian.lng");
    skin::setMessageAnswerer([this](const skin::MessageRequest& r) {
      messages.push_back(r.text.toStdString());
      return true;
    });
  }
  void TearDown() override { skin::setMessageAnswerer(nullptr); }
  app::ProgramWindows start() { return app::createProgramWindows(QString::fromStdString((dir / "lumora").string()), {"/NoSplash"}); }
  static int position(const settings::TfrmConfig& d, const char* name) { return d.cbLanguage->findText(name); }

  TempDir dir;
  std::vector<std::string> messages;
};

TEST_F(LanguageSwitchTest, SwitchingToRussianAndBackChangesEveryWindowAtOnce) {
  app::ProgramWindows w = start();
  settings::TfrmConfig& d = *w.frmConfig;
  ASSERT_EQ(d.cbLanguage->count(), 2);
  EXPECT_EQ(d.cbLanguage->itemText(0), "English (United States)");
  const int russian = position(d, "Russian");
  ASSERT_EQ(russian, 1);

  d.cbLanguage->setCurrentIndex(russian);
  d.cbLanguageChange(russian);
  EXPECT_EQ(w.Form1->ToolButton2->Caption(), "Назад");
  EXPECT_EQ(w.Form1->ToolButton2->Hint(), "Вернуться на предыдущую страницу");
  EXPECT_EQ(w.Form1->RestoreItem->text(), "Восстановить");
  EXPECT_EQ(d.sButton1->text(), "Применить");
  EXPECT_EQ(d.sRadioGroup1->Items(), "ID3v1\r\nID3v2\r\n");
  EXPECT_EQ(d.sTabSheet2->Caption(), "Интерфейс");
  EXPECT_EQ(d.sPageControl1->tabText(1), "Интерфейс");
  EXPECT_EQ(w.frmAbout->windowTitle(), "О программе");
  EXPECT_EQ(w.Form2->sBitBtn1->text(), "Распаковать");
  EXPECT_EQ(w.Form2->sSpeedButton1->Hint(), "Обзор...");
  EXPECT_EQ(ConstantText("NoSkins"), "Нет доступных обложек");

  d.cbLanguageChange(0);
  EXPECT_EQ(w.Form1->ToolButton2->Caption(), "Back");
  EXPECT_EQ(w.Form1->RestoreItem->text(), "Restore");
  EXPECT_EQ(d.sButton1->text(), "Apply");
  EXPECT_EQ(d.sTabSheet2->Caption(), "Interface");
  EXPECT_EQ(w.frmAbout->windowTitle(), "About");
  EXPECT_EQ(w.frmAbout->sLabelFX1->text(), "Lumora Studio");
  EXPECT_EQ(w.Form2->sBitBtn1->text(), "Extract");
  EXPECT_EQ(w.Form2->sSpeedButton1->Hint(), "Browse...");
  EXPECT_EQ(ConstantText("NoSkins"), "No avalible skins");
  EXPECT_TRUE(messages.empty());
}

TEST_F(LanguageSwitchTest, AStoredLanguageIsAppliedAtStart) {
  writeFile(dir / "lumora.ini", "[Form]\nLangID=1\nCaption=My book\n");
  app::ProgramWindows w = start();
  EXPECT_EQ(w.Form1->ToolButton1->Caption(), "Главная");
  // The language comes after the start page and the settings: the controls get the language's texts, but
  // the publication's caption stays in the caption box and on the page shown.
  EXPECT_EQ(w.Form1->windowTitle(), "My book :: Demo");
  EXPECT_EQ(w.frmConfig->sEdit1->text(), "My book");
  w.Form1->ToolButton1->click();
  EXPECT_EQ(w.Form1->windowTitle(), "My book :: Demo");
}

TEST_F(LanguageSwitchTest, ABrokenLanguageFileIsReportedAndChangesNothing) {
  writeFile(dir / "Lang" / "broken.lng", "LANGID=1031\n[$CONSTANTS]\n\n2Bad=x\n");
  app::ProgramWindows w = start();
  settings::TfrmConfig& d = *w.frmConfig;
  const int german = position(d, "German (Germany)");
  ASSERT_GT(german, 0);
  d.cbLanguageChange(german);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Loading translations failed.\r\nLine 3: Invalid constant name (\"2Bad\")");
  EXPECT_EQ(w.Form1->ToolButton2->Caption(), "Back");
  EXPECT_EQ(LangManager().currentLanguageId(), 1033);
}

}  // namespace
}  // namespace lumora::i18n
