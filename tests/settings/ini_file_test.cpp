#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "core/file_read.h"

#include "settings/settings_keys.h"
#include "support/temp_dir.h"

namespace lumora::settings {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(IniFile, MissingFileOrKeyGivesTheReadersDefault) {
  TempDir dir;
  const TIniFile ini(dir / "lumora.ini");
  EXPECT_EQ(ini.readString("Form", "Caption", "Безимянный"), "Безимянный");
  EXPECT_EQ(ini.readInteger("Execute", "Device", -1), -1);
  EXPECT_TRUE(ini.readBool("Execute", "LoopMusic", true));
  EXPECT_FALSE(std::filesystem::exists(dir / "lumora.ini")) << "reading must not create the file";
}

TEST(IniFile, ReadsIntegersAndBooleansAsTheSettingsDo) {
  TempDir dir;
  writeFile(dir / "lumora.ini", "[Form]\nShowCaptions=0x1\nMode=junk\nNoSplash=0\nLangID=-3\n");
  const TIniFile ini(dir / "lumora.ini");
  // 0x1 is 1 for the main window's integer reading and true for the dialog's boolean reading.
  EXPECT_EQ(ini.readInteger("Form", "ShowCaptions", 0), 1);
  EXPECT_TRUE(ini.readBool("Form", "ShowCaptions", false));
  // Text that is no number gives each reader its own default.
  EXPECT_EQ(ini.readInteger("Form", "Mode", 0), 0);
  EXPECT_TRUE(ini.readBool("Form", "Mode", true));
  EXPECT_FALSE(ini.readBool("Form", "NoSplash", true));
  EXPECT_EQ(ini.readInteger("Form", "LangID", 0), -3);
}

TEST(IniFile, CutsLongValuesTo2047Characters) {
  TempDir dir;
  std::string longCyrillic;
  for (int i = 0; i < 3000; ++i) longCyrillic += "ж";
  writeFile(dir / "lumora.ini", "[Execute]\nBGPlay=" + longCyrillic + "\n");
  const TIniFile ini(dir / "lumora.ini");
  const std::string value = ini.readString("Execute", "BGPlay", "");
  EXPECT_EQ(value.size(), 2047u * 2);
  EXPECT_EQ(value.substr(0, 4), "жж");
}

TEST(IniFile, WritesEachKeyAtOnceKeepingTheRestOfTheFile) {
  TempDir dir;
  const auto file = dir / "lumora.ini";
  writeFile(file, "; publisher's notes\r\n[Execute]\r\nPage=start.htm\r\n\r\n[Custom]\r\nX=1\r\n");
  TIniFile ini(file);
  ini.writeInteger("execute", "Device", 2);
  EXPECT_EQ(readFile(file), "; publisher's notes\r\n[Execute]\r\nPage=start.htm\r\nDevice=2\r\n\r\n[Custom]\r\nX=1\r\n");
  EXPECT_EQ(ini.readInteger("Execute", "Device", -1), 2);
  // No temporary file is left beside the settings file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST(IniFile, ClosingValuesAreWrittenInTheClosingOrder) {
  TempDir dir;
  TIniFile ini(dir / "lumora.ini");
  settings::ClosingValues v;
  v.caption = "Demo";
  v.skinFile = "Ошибка";
  v.device = 1;
  settings::writeClosingValues(ini, v);
  EXPECT_EQ(readFile(dir / "lumora.ini"),
            "[Form]\nCaption=Demo\nShowCaptions=1\nMode=0\nSkined=0\nSkinFile=Ошибка\nNoSplash=0\nLangID=0\n"
            "[Player]\nActive=0\nVolume=100\n"
            "[Execute]\nDevice=1\nPlayBackground=0\nBGPlay=\nLoopMusic=1\nReadID3v=0\n"
            "[Safety]\nBlockConfig=0\n");
}

TEST(IniFile, AFailedWriteReportsThePathAndLeavesTheFileAlone) {
  TempDir dir;
  const auto file = dir / "lumora.ini";
  writeFile(file, "[Form]\nCaption=Kept\n");
  // The file sits in a "folder" that is really a file: nothing can be created beside it, even as root.
  const auto blocked = dir / "not-a-folder" / "lumora.ini";
  writeFile(dir / "not-a-folder", "");
  TIniFile unwritable(blocked);
  try {
    unwritable.writeString("Form", "Caption", "Lost");
    FAIL() << "the write should fail";
  } catch (const ESettingsWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + blocked.string());
  }

  // A read-only settings file is not replaced behind the user's back.
  if (::geteuid() != 0) {
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    TIniFile readOnly(file);
    EXPECT_THROW(readOnly.writeString("Form", "Caption", "Lost"), ESettingsWriteError);
    EXPECT_EQ(readFile(file), "[Form]\nCaption=Kept\n");
  }
}

TEST(IniFile, OnlyARegularFileWithinTheLimitIsReadOrReplaced) {
  TempDir dir;
  std::filesystem::create_directories(dir / "folder" / "lumora.ini");
  std::filesystem::create_directories(dir / "fifo");
  ASSERT_EQ(::mkfifo((dir / "fifo" / "lumora.ini").c_str(), 0600), 0);
  std::filesystem::create_directories(dir / "zero");
  std::filesystem::create_symlink("/dev/zero", dir / "zero" / "lumora.ini");
  std::filesystem::create_directories(dir / "big");
  {
    // Sparse: one byte more than the limit, without writing that much.
    std::ofstream big(dir / "big" / "lumora.ini", std::ios::binary);
    big << "[Form]\nCaption=Huge\n";
    big.seekp(static_cast<std::streamoff>(core::kMaxTextFileBytes));
    big << "\n";
  }
  const struct {
    const char* folder;
    const char* reason;
  } cases[] = {{"folder", "a folder"}, {"fifo", "not a regular file"}, {"zero", "not a regular file"},
               {"big", "larger than 64 MB"}};
  for (const auto& c : cases) {
    const auto file = dir / c.folder / "lumora.ini";
    TIniFile ini(file);
    EXPECT_EQ(ini.readProblem(), "Unable to read " + file.string() + ": " + c.reason);
    EXPECT_EQ(ini.readString("Form", "Caption", "Default"), "Default") << c.folder;
    EXPECT_THROW(ini.writeString("Form", "Caption", "New"), ESettingsWriteError) << c.folder;
  }
  EXPECT_EQ(std::filesystem::file_size(dir / "big" / "lumora.ini"), core::kMaxTextFileBytes + 1);
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "fifo" / "lumora.ini"));

  // A missing file and a regular one have nothing to report.
  EXPECT_EQ(TIniFile(dir / "missing.ini").readProblem(), "");
  writeFile(dir / "ok.ini", "[Form]\nCaption=Fine\n");
  EXPECT_EQ(TIniFile(dir / "ok.ini").readProblem(), "");
}

}  // namespace
}  // namespace lumora::settings
