#include "skin/skin_format.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "image/image_types.h"
#include "image/png_writer.h"
#include "support/temp_dir.h"

namespace lumora::skin {
namespace {

using testing::TempDir;
using testing::writeFile;

TEST(SkinDirectory, ResolvesAgainstTheExecutablesFolder) {
  struct Case {
    const char* value;
    const char* expected;
  } cases[] = {
      {".\\Skins", "/pub/book/Skins\\"},
      {"./Skins", "/pub/book/Skins\\"},
      {"Skins", "/pub/book/Skins\\"},
      {"Skins\\", "/pub/book/Skins\\"},
      {"Skins/", "/pub/book/Skins\\"},
      {"..\\Shared", "/pub/Shared\\"},
      {"/opt/skins", "/opt/skins\\"},
      {"c:\\Skins", "c:\\Skins\\"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(resolveSkinDirectory(c.value, "/pub/book/"), c.expected) << c.value;
}

TEST(SkinDirectory, ListsOnlyFoldersMarkedByOptionsDat) {
  TempDir dir;
  writeFile(dir / "Skins/Aurora/Options.dat", "[FORM]\n");
  writeFile(dir / "Skins/Night/options.DAT", "[FORM]\n");  // written on Windows: any letter case
  writeFile(dir / "Skins/Empty/readme.txt", "no skin here");
  writeFile(dir / "Skins/.hidden/Options.dat", "[FORM]\n");
  writeFile(dir / "Skins/Options.dat", "a file, not a folder");
  std::vector<std::string> names = skinFolderNames((dir.path().string() + "/Skins\\"));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Aurora", "Night"}));
  EXPECT_TRUE(skinFolderNames((dir.path() / "Missing").string()).empty());
}

TEST(SkinOptions, SectionsTakeTheirParentsColoursAndTheBuiltInMetrics) {
  const SkinReadResult r = parseSkinOptions(
      "; a dark skin\r\n[SKIN]\r\nVersion=1\r\nAuthor=Ann\r\n[form]\r\nColor=#202020\r\nFontColor = #EEE ; light text\r\n"
      "[BUTTON]\r\nColor=#404040\r\nRadius=6\r\n[EDIT]\r\nColor=#101010\r\n[TOOLBAR]\r\nImage=bar.png\r\nGradientColor=none\r\n",
      "Options.dat");
  EXPECT_TRUE(r.Problems.empty()) << r.Problems.front().text();
  const SkinData& d = r.Data;
  EXPECT_EQ(d.Author, "Ann");
  EXPECT_EQ(d.look(SkinSection::Form).Color, 0x202020u);
  EXPECT_EQ(d.look(SkinSection::Form).FontColor, 0xEEEEEEu);
  // A section the file leaves out has the colours of its parent in this skin, not the built-in ones.
  EXPECT_EQ(d.look(SkinSection::StatusBar).Color, 0x202020u);
  EXPECT_EQ(d.look(SkinSection::Button).FontColor, 0xEEEEEEu);
  EXPECT_EQ(d.look(SkinSection::SpeedButton).Color, 0x404040u);
  EXPECT_EQ(d.look(SkinSection::ComboBox).Color, 0x101010u);
  EXPECT_EQ(d.look(SkinSection::ComboBox).FontColor, 0xEEEEEEu);
  EXPECT_EQ(d.look(SkinSection::TabSheet).Color, 0x202020u);
  // Metrics come from the built-in skin's section unless given; a radius is not passed down.
  EXPECT_EQ(d.look(SkinSection::Button).Radius, 6);
  EXPECT_EQ(d.look(SkinSection::SpeedButton).Radius, builtInSkin().look(SkinSection::SpeedButton).Radius);
  EXPECT_EQ(d.look(SkinSection::ToolBar).Image, "bar.png");
  EXPECT_FALSE(d.look(SkinSection::ToolBar).GradientColor.has_value());
  EXPECT_TRUE(d.look(SkinSection::StatusBar).Image.empty());
}

TEST(SkinOptions, EachProblemNamesItsLine) {
  struct Case {
    const char* text;
    int line;
    bool fatal;
    const char* says;
  } cases[] = {
      {"[FORM]\nColor=#12345\n", 2, true, "not a colour"},
      {"[FORM]\nColor=red\n", 2, true, "not a colour"},
      {"[BUTTON]\n\nBorderWidth=9\n", 3, true, "from 0 to 4"},
      {"[BUTTON]\nRadius=3px\n", 2, true, "whole number"},
      {"[FORM]\nColor #fff\n", 2, true, "Key=value"},
      {"Color=#fff\n[FORM]\n", 1, true, "before the first section"},
      {"[FORM\n", 1, true, "without \"]\""},
      {"[FORM]\nColor=#fff\ncolor=#000\n", 3, true, "twice"},
      {"[FORM]\n[form]\n", 2, true, "twice"},
      {"[FORM]\nImage=../../etc/passwd\n", 2, true, "beside Options.dat"},
      {"[FORM]\nFontBold=yes\n", 2, true, "neither 0 nor 1"},
      {"[SKIN]\nVersion=2\n", 2, true, "Version"},
      {"[FORM]\nColour=#fff\n", 2, false, "unknown key"},
      {"[SCROLLBAR]\nColor=#fff\n", 1, false, "unknown section"},
  };
  for (const Case& c : cases) {
    const SkinReadResult r = parseSkinOptions(c.text, "Skins/X/Options.dat");
    ASSERT_EQ(r.Problems.size(), 1u) << c.text;
    const SkinProblem& p = r.Problems.front();
    EXPECT_EQ(p.Line, c.line) << c.text;
    EXPECT_EQ(p.Fatal, c.fatal) << c.text;
    EXPECT_NE(p.Message.find(c.says), std::string::npos) << c.text << " -> " << p.Message;
    EXPECT_EQ(p.text().rfind("Skins/X/Options.dat:" + std::to_string(c.line) + ": ", 0), 0u) << p.text();
    EXPECT_EQ(r.usable(), !c.fatal);
  }
}

TEST(SkinOptions, ReadsTheEncodingsWindowsEditorsSave) {
  // "Unicode" from Notepad: UTF-16 little-endian with its mark; and Windows-1251 without one.
  const std::string utf8 = "[SKIN]\r\nAuthor=Аня\r\n[FORM]\r\nColor=#102030\r\n";
  std::string utf16 = "\xFF\xFE";
  for (unsigned char c : std::string("[FORM]\r\nColor=#102030\r\n")) utf16 += {static_cast<char>(c), '\0'};
  EXPECT_EQ(parseSkinOptions(utf16, "o").Data.look(SkinSection::Form).Color, 0x102030u);
  EXPECT_EQ(parseSkinOptions(utf8, "o").Data.Author, "Аня");
  EXPECT_EQ(parseSkinOptions("[SKIN]\nAuthor=\xC0\xED\xFF\n", "o").Data.Author, "Аня");
}

TEST(SkinFolder, RefusesWhatIsNotASmallRegularFile) {
  TempDir dir;
  // Options.dat as a folder, as a FIFO, and too large.
  std::filesystem::create_directories(dir / "Folder/Options.dat");
  std::filesystem::create_directories(dir / "Fifo");
  ASSERT_EQ(::mkfifo((dir / "Fifo/Options.dat").c_str(), 0600), 0);
  writeFile(dir / "Huge/Options.dat", "[FORM]\n" + std::string(kMaxSkinFileBytes, ';'));
  for (const char* name : {"Folder", "Fifo", "Huge"}) {
    const SkinReadResult r = readSkinFolder(dir / name);
    ASSERT_EQ(r.Problems.size(), 1u) << name;
    EXPECT_FALSE(r.usable()) << name;
    EXPECT_NE(r.Problems[0].File.find("Options.dat"), std::string::npos);
  }
}

TEST(SkinFolder, DecodesItsPicturesAndReportsTheBadOnes) {
  TempDir dir;
  image::TBitmap tile(4, 2, image::makePixel(10, 20, 30));
  std::filesystem::create_directories(dir / "Good");
  ASSERT_TRUE(image::writePngFile(tile, (dir / "Good/bar.png").string()));
  writeFile(dir / "Good/Options.dat", "[TOOLBAR]\nImage=BAR.PNG\n");
  const SkinReadResult good = readSkinFolder(dir / "Good");
  EXPECT_TRUE(good.Problems.empty()) << good.Problems.front().text();
  EXPECT_EQ(good.Data.Name, "Good");
  const auto& picture = good.Images[static_cast<size_t>(SkinSection::ToolBar)];
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width, 4);
  EXPECT_EQ(picture->at(1, 1), image::makePixel(10, 20, 30));

  writeFile(dir / "Bad/Options.dat", "[FORM]\nImage=missing.png\n[TOOLBAR]\nImage=text.png\n");
  writeFile(dir / "Bad/text.png", "not a picture");
  const SkinReadResult bad = readSkinFolder(dir / "Bad");
  ASSERT_EQ(bad.Problems.size(), 2u);
  EXPECT_NE(bad.Problems[0].Message.find("[FORM] Image missing.png: not found"), std::string::npos)
      << bad.Problems[0].Message;
  EXPECT_NE(bad.Problems[1].Message.find("[TOOLBAR] Image text.png"), std::string::npos);
  EXPECT_FALSE(bad.usable());
}

}  // namespace
}  // namespace lumora::skin
