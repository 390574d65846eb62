#include "settings/settings_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>

#include "core/program_values.h"
#include "settings/config_host.h"
#include "skin/controls.h"
#include "skin/skin_manager.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"

namespace lumora::settings {
namespace {

using testing::TempDir;
using testing::writeFile;

// Records what the dialog does to the main window.
class FakeHost : public TConfigHost {
 public:
  void setMainCaption(const QString& c) override { caption = c; }
  void setToolbarCaptionsShown(bool shown) override { toolbarCaptions = shown; }
  void setAudioBarShown(bool shown) override { audioBar = shown; }
  bool audioBarShown() const override { return audioBar; }
  void setVolumePosition(int p) override { volume = p; }
  int volumePosition() const override { return volume; }
  void setSettingsButtonEnabled(bool e) override { settingsEnabled = e; }
  skin::TsSkinManager* skinManager() override { return &skins; }
  QSize paintFrameSize() const override { return {161, 44}; }
  void ShowHelpTopic(const QString& file, const QString& topic) override { help << file + "|" + topic; }

  QString caption;
  bool toolbarCaptions = false;
  bool audioBar = false;
  int volume = 0;
  bool settingsEnabled = true;
  skin::TsSkinManager skins;
  QStringList help;
};

class SettingsDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing::ensureQApplication();
  }
  void SetUp() override { core::programValues() = core::ProgramValues{}; }
  std::unique_ptr<TfrmConfig> create(const std::string& ini) {
    writeFile(dir / "lumora.ini", ini);
    return std::make_unique<TfrmConfig>(host, QString::fromStdString((dir / "lumora.ini").string()));
  }
  TempDir dir;
  FakeHost host;
};

TEST_F(SettingsDialogTest, DefaultsWithoutASettingsFile) {
  auto d = create("");
  EXPECT_EQ(d->windowTitle(), "Settings");
  EXPECT_EQ(d->size(), QSize(376, 331));
  EXPECT_EQ(d->sEdit1->text().toStdString(), "Lumora версия 2.1");
  EXPECT_TRUE(d->sCheckBox3->isChecked());
  EXPECT_FALSE(d->sCheckBox4->isChecked());
  EXPECT_EQ(d->sComboBox1->currentText().toStdString(), "Ошибка");
  EXPECT_EQ(host.skins.SkinName().toStdString(), "Ошибка");
  EXPECT_TRUE(core::programValues().LoopEnabled);
  EXPECT_TRUE(d->sCheckBox7->isChecked());
  EXPECT_EQ(d->sRadioGroup1->ItemIndex(), 0);
  EXPECT_EQ(d->sRadioGroup1->Items().toStdString(), "ID3v1\r\nID3v2\r\n");
  EXPECT_EQ(host.volume, 100);
  EXPECT_FALSE(core::programValues().CdModeActive);
  EXPECT_EQ(d->sPageControl1->count(), 4);
  EXPECT_EQ(d->sPageControl1->currentIndex(), 0);
}

TEST_F(SettingsDialogTest, ApplySetsCaptionTagVersionToolbarAndSkinThenCloses) {
  auto d = create("[Form]\nShowCaptions=0\n");
  d->show();
  d->sEdit1->setText("Atlas");
  d->sRadioGroup1->setItemIndex(1);
  d->sCheckBox3->setChecked(true);
  d->sCheckBox4->setChecked(true);
  d->sButton1->click();
  EXPECT_EQ(host.caption, "Atlas");
  EXPECT_EQ(core::programValues().TagVersion, 1);
  EXPECT_TRUE(host.toolbarCaptions);
  EXPECT_TRUE(host.skins.Active());
  EXPECT_FALSE(d->isVisible());
}

TEST_F(SettingsDialogTest, TagVersionChangesOnlyOnApply) {
  auto d = create("");
  d->show();
  d->sRadioGroup1->setItemIndex(1);
  d->sButton2->click();
  EXPECT_EQ(core::programValues().TagVersion, 0);
  EXPECT_EQ(d->closingValues().readId3v, 0);
}

TEST_F(SettingsDialogTest, LoopBoxActsAtOnceAndMusicGroupFollowsItsBox) {
  auto d = create("");
  d->sCheckBox7->click();
  EXPECT_FALSE(core::programValues().LoopEnabled);
  EXPECT_TRUE(d->sGroupBox1->isHidden());
  d->sCheckBox6->click();
  EXPECT_FALSE(d->sGroupBox1->isHidden());
}

TEST_F(SettingsDialogTest, SkinListHoldsTheFolderEntryTheBuiltInSkinAndTheSkinFolders) {
  core::programValues().AppFolder = dir.path().string() + "/";
  writeFile(dir / "Skins/Night/Options.dat", "[FORM]\n");
  writeFile(dir / "Skins/Aurora/Options.dat", "[FORM]\n");
  writeFile(dir / "Skins/Notes/readme.txt", "");
  auto d = create("[Form]\nSkinFile=Night\n");
  EXPECT_EQ(host.skins.SkinDirectory(), ".\\Skins");
  QStringList items;
  for (int i = 0; i < d->sComboBox1->count(); ++i) items << d->sComboBox1->itemText(i);
  EXPECT_EQ(items, (QStringList{"Folder with skins...", "Aurora", "DID (uvuravor) (internal)", "Night"}));
  // The stored name is the box's text and the skin's; the note of the built-in entry is not part of a name.
  EXPECT_EQ(d->sComboBox1->currentText(), "Night");
  EXPECT_EQ(host.skins.SkinName(), "Night");
  d->sComboBox1Change(2);
  EXPECT_EQ(host.skins.SkinName().toStdString(), "DID (uvuravor)");
  EXPECT_EQ(d->closingValues().skinFile, "DID (uvuravor)");
}

TEST_F(SettingsDialogTest, EditSwitchUsesThePublicationsSkinFolder) {
  core::programValues().AppFolder = dir.path().string() + "/";
  core::programValues().Arguments = {"/edit"};
  auto d = create("[Form]\nSkinFile=Night\n");
  EXPECT_EQ(host.skins.SkinDirectory().toStdString(), dir.path().string() + "/Skins\\");
  EXPECT_EQ(host.skins.resolvedSkinDirectory().toStdString(), dir.path().string() + "/Skins\\");
  // Other first arguments, or "/edit" in another case, keep the relative folder.
  core::programValues().Arguments = {"/Edit"};
  auto other = create("");
  EXPECT_EQ(host.skins.SkinDirectory(), ".\\Skins");
}

TEST_F(SettingsDialogTest, SkinListFolderEntry) {
  auto d = create("");
  // Cancelling the folder chooser leaves skin and list unchanged.
  const int count = d->sComboBox1->count();
  const QString name = host.skins.SkinName();
  d->chooseFolder = [](const QString&) { return QString(); };
  d->sComboBox1Change(0);
  EXPECT_EQ(d->sComboBox1->count(), count);
  EXPECT_EQ(host.skins.SkinName(), name);
  // Picking a folder lists its skins after an entry of its own, with the prompt from the messages.
  writeFile(dir / "Picked/Blue/Options.dat", "[FORM]\n");
  QString prompt;
  d->chooseFolder = [&](const QString& p) {
    prompt = p;
    return QString::fromStdString((dir / "Picked").string());
  };
  d->sComboBox1Change(0);
  EXPECT_EQ(prompt, "Select folder there your skins are situated:");
  EXPECT_EQ(host.skins.SkinDirectory().toStdString(), (dir / "Picked").string());
  EXPECT_EQ(host.skins.SkinName().toStdString(), "DID (uvuravor)");
  EXPECT_EQ(d->sComboBox1->itemText(0), "Skins directory...");
  EXPECT_EQ(d->sComboBox1->itemText(2), "DID (uvuravor) (internal)");
  EXPECT_EQ(d->sComboBox1->itemText(1), "Blue");
  EXPECT_EQ(d->sComboBox1->currentIndex(), -1);
  // Picking a name selects that skin at once.
  d->sComboBox1Change(1);
  EXPECT_EQ(host.skins.SkinName(), "Blue");
}

TEST_F(SettingsDialogTest, HelpAsksForTheSkinTopic) {
  auto d = create("");
  d->sButton3->click();
  EXPECT_EQ(host.help, QStringList{"|importskin"});
}

TEST_F(SettingsDialogTest, ClosingValuesComeFromTheControlsAndTheMainWindow) {
  auto d = create("[Form]\nLangID=0\nSkinFile=Blue\n[Execute]\nBGPlay=theme.ogg\nPlayBackground=1\n");
  host.audioBar = true;
  host.volume = 35;
  const settings::ClosingValues v = d->closingValues();
  EXPECT_EQ(v.caption, "Lumora версия 2.1");
  EXPECT_EQ(v.skinFile, "Blue");
  EXPECT_TRUE(v.playBackground);
  EXPECT_EQ(v.bgPlay, "theme.ogg");
  EXPECT_TRUE(v.playerActive);
  EXPECT_EQ(v.volume, 35);
  EXPECT_EQ(v.langId, 0);
}

TEST_F(SettingsDialogTest, SoundCardPositionOutsideTheListSelectsTheDefaultOutput) {
  // Position = device number: 0 "No sound", 1 the default output, then the named outputs.
  for (const char* ini : {"", "[Execute]\nDevice=-1\n", "[Execute]\nDevice=70\n", "[Execute]\nDevice=junk\n"}) {
    auto d = create(ini);
    ASSERT_GE(d->sComboBox2->count(), 2);
    EXPECT_EQ(d->sComboBox2->currentIndex(), 1) << ini;
    EXPECT_EQ(d->closingValues().device, 1);
  }
  auto d = create("[Execute]\nDevice=0\n");
  EXPECT_EQ(d->sComboBox2->currentIndex(), 0);
  EXPECT_EQ(d->sComboBox2->itemText(0), "No sound");
}

}  // namespace
}  // namespace lumora::settings
