#include "skin/skin_manager.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QWidget>

#include "core/program_values.h"
#include "skin/message_box.h"
#include "skin/skin_style.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"

namespace lumora::skin {
namespace {

using testing::TempDir;
using testing::writeFile;

class SkinManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::ensureQApplication();
    core::programValues() = core::ProgramValues{};
    core::programValues().AppFolder = dir.path().string() + "/";
    setMessageAnswerer([this](const MessageRequest& r) {
      messages.push_back(r.text.toStdString());
      return true;
    });
  }
  void TearDown() override {
    setMessageAnswerer(nullptr);
    putSkinOnApplication(nullptr);
  }
  TempDir dir;
  std::vector<std::string> messages;
};

TEST_F(SkinManagerTest, AnUnknownNameFallsBackToTheBuiltInSkin) {
  TsSkinManager skins;
  EXPECT_EQ(skins.SkinName().toStdString(), "DID (uvuravor)");
  EXPECT_TRUE(skins.Active());
  skins.setSkinName(QString::fromUtf8("Ошибка"));
  // Before the window definition is read, names are only stored.
  EXPECT_EQ(skins.SkinName().toStdString(), "Ошибка");
  EXPECT_EQ(skins.currentSkin(), nullptr);
  skins.Loaded();
  EXPECT_EQ(skins.SkinName().toStdString(), "DID (uvuravor)");
  ASSERT_NE(skins.currentSkin(), nullptr);
  EXPECT_EQ(skins.currentSkin()->Data, builtInSkin());
  EXPECT_TRUE(messages.empty());
}

TEST_F(SkinManagerTest, TheSkinFolderResolvesInsideThePublication) {
  TsSkinManager skins;
  skins.setSkinDirectory(".\\Skins");
  EXPECT_EQ(skins.resolvedSkinDirectory().toStdString(), dir.path().string() + "/Skins\\");
  EXPECT_EQ(skins.SkinDirectory(), ".\\Skins");
}

TEST_F(SkinManagerTest, ListsTheBuiltInSkinAndMarkedFoldersSorted) {
  writeFile(dir / "Skins/midnight/Options.dat", "[FORM]\n");
  writeFile(dir / "Skins/Aurora/Options.dat", "[FORM]\n");
  writeFile(dir / "Skins/Notes/readme.txt", "not a skin");
  TsSkinManager skins;
  skins.setSkinDirectory(".\\Skins");
  QStringList names{"stale"};
  EXPECT_EQ(skins.ListSkinNames(names).toStdString(), "DID (uvuravor)");
  EXPECT_EQ(names, (QStringList{"Aurora", "DID (uvuravor)", "midnight"}));
  // A folder that does not exist still lists the built-in skin.
  skins.setSkinDirectory("Nowhere");
  EXPECT_EQ(skins.ListSkinNames(names).toStdString(), "DID (uvuravor)");
  EXPECT_EQ(names, QStringList{"DID (uvuravor)"});
}

TEST_F(SkinManagerTest, LoadsAFolderSkinAndSwitchesBackToThePlatformLook) {
  writeFile(dir / "Skins/Night/Options.dat", "[FORM]\nColor=#102030\nFontColor=#F0E0D0\n");
  const QColor platformWindow = QApplication::palette().color(QPalette::Window);
  TsSkinManager skins;
  skins.Loaded();
  skins.setSkinDirectory(".\\Skins");
  QWidget window;
  auto* button = new QPushButton("OK", &window);
  window.show();
  int applied = 0;
  QObject::connect(&skins, &TsSkinManager::skinApplied, [&] { ++applied; });
  skins.setSkinName("Night");
  EXPECT_EQ(applied, 1);
  ASSERT_NE(skins.currentSkin(), nullptr);
  EXPECT_EQ(skins.currentSkin()->Data.Name, "Night");
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(0x10, 0x20, 0x30));
  EXPECT_EQ(window.palette().color(QPalette::Window), QColor(0x10, 0x20, 0x30));
  EXPECT_EQ(button->palette().color(QPalette::ButtonText), QColor(0xF0, 0xE0, 0xD0));
  // The same skin again changes nothing.
  skins.setSkinName("Night");
  EXPECT_EQ(applied, 1);
  skins.setActive(false);
  EXPECT_EQ(skins.currentSkin(), nullptr);
  EXPECT_EQ(QApplication::palette().color(QPalette::Window), platformWindow);
  EXPECT_EQ(window.palette().color(QPalette::Window), platformWindow);
  EXPECT_EQ(skins.SkinName(), "Night");
  skins.setActive(true);
  EXPECT_EQ(skins.currentSkin()->Data.Name, "Night");
}

TEST_F(SkinManagerTest, ADamagedSkinIsReportedAndTheBuiltInLookIsUsed) {
  writeFile(dir / "Skins/Broken/Options.dat", "[FORM]\nColor=#10203\n");
  TsSkinManager skins;
  skins.setSkinDirectory(".\\Skins");
  skins.Loaded();
  skins.setSkinName("Broken");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("The skin \"Broken\" cannot be used"), std::string::npos) << messages[0];
  EXPECT_NE(messages[0].find("Options.dat:2: Color"), std::string::npos) << messages[0];
  EXPECT_EQ(skins.SkinName().toStdString(), "DID (uvuravor)");
  ASSERT_NE(skins.currentSkin(), nullptr);
  EXPECT_EQ(skins.currentSkin()->Data, builtInSkin());
}

TEST_F(SkinManagerTest, TheListMarksTheBuiltInSkin) {
  EXPECT_EQ(TsSkinManager::listEntry("DID (uvuravor)"), "DID (uvuravor) (internal)");
  EXPECT_EQ(TsSkinManager::listEntry("Aurora"), "Aurora");
  EXPECT_EQ(TsSkinManager::nameOfListEntry("DID (uvuravor) (internal)"), "DID (uvuravor)");
  EXPECT_EQ(TsSkinManager::nameOfListEntry("Mine (internal)"), "Mine (internal)");
}

}  // namespace
}  // namespace lumora::skin
