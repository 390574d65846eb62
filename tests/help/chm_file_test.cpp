// The demo's help file as the help window reads it, and help files that are missing or broken.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "help/chm_file.h"
#include "help/help_sitemap.h"
#include "support/temp_dir.h"

namespace lumora::help {
namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ChmFile, TheDemoHelpHasItsContentsIndexAndTopics) {
  const TChmFile chm(LUMORA_DEMO_HELP);
  EXPECT_EQ(chm.info().Title, "Lumora Viewer help");
  EXPECT_EQ(chm.defaultTopic(), "/welcome.htm");

  const auto contents = parseSitemap(chm.contentsText(), chm.info().Lcid);
  ASSERT_EQ(contents.size(), 4u);
  EXPECT_EQ(contents[0].Name, "Welcome");
  EXPECT_EQ(contents[1].Level, 1);
  EXPECT_EQ(contents[3].Local, "importskin.htm");
  const auto index = parseSitemap(chm.indexText(), chm.info().Lcid);
  ASSERT_EQ(index.size(), 5u);
  EXPECT_EQ(index[2].Name, "Skins");

  // A topic with a picture and a style sheet, all three from inside the file, any letter case.
  const auto page = chm.read("/WELCOME.HTM#top");
  ASSERT_TRUE(page);
  EXPECT_NE(page->find("<IMG SRC=\"lumora.png\""), std::string::npos);
  const auto picture = chm.read("/lumora.png");
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->substr(1, 3), "PNG");
  EXPECT_EQ(*picture, readAll(LUMORA_SOURCE_DIR "/docs/help/english/lumora.png"));
  EXPECT_TRUE(chm.read("/help.css"));
  EXPECT_TRUE(chm.read("/importskin.htm"));
  EXPECT_FALSE(chm.read("/missing.htm"));
  EXPECT_FALSE(chm.read("/#SYSTEM"));  // the container's own objects are not topics
}

TEST(ChmFile, MissingAndBrokenFilesThrowAMessageNamingThem) {
  lumora::testing::TempDir dir;
  const std::string good = readAll(LUMORA_DEMO_HELP);
  const auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return (dir / name).string();
  };
  std::filesystem::create_directory(dir / "folder.chm");
  const std::string cases[] = {
      (dir / "missing.chm").string(),
      (dir / "folder.chm").string(),
      write("empty.chm", ""),
      write("text.chm", "This is not a compiled help file at all, just text."),
      write("header.chm", good.substr(0, 0x60)),
      write("half.chm", good.substr(0, good.size() / 2)),
      write("badlength.chm", "ITSF\3\0\0\0\xFF\xFF\xFF\x7F" + good.substr(12, 200)),
  };
  for (const std::string& path : cases) {
    try {
      const TChmFile chm(path);
      // chmlib may accept a file cut short: then its objects either read whole or not at all.
      for (const std::string& name : chm.names()) (void)chm.read(name);
      EXPECT_NE(path.find("half"), std::string::npos) << path << " was opened";
    } catch (const EChmError& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }
}

// Files that make chmlib itself crash, one byte off the demo's help: in its compression data (the LZX
// window) and in its directory. They are refused with a message, and the program goes on.
TEST(ChmFile, FilesThatCrashTheLibraryAreRefused) {
  for (const char* name : {"lzx-window.chm", "directory.chm"}) {
    const std::string path = std::string(LUMORA_SOURCE_DIR "/tests/help/damaged/") + name;
    try {
      const TChmFile chm(path);
      for (const std::string& object : chm.names()) (void)chm.read(object);
      ADD_FAILURE() << name << " was opened";
    } catch (const EChmError& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open the help file " + path + ": it is damaged.");
    }
  }
}

// A small file whose compression data sends chmlib round for ever: refused as damaged within seconds.
TEST(ChmFile, AFileTheLibraryLoopsOnIsRefusedQuickly) {
  const std::string path = LUMORA_SOURCE_DIR "/tests/help/damaged/endless.chm";
  const auto start = std::chrono::steady_clock::now();
  try {
    const TChmFile chm(path);
    for (const std::string& object : chm.names()) (void)chm.read(object);
    ADD_FAILURE() << "the file was opened";
  } catch (const EChmError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open the help file " + path + ": it is damaged.");
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace lumora::help
