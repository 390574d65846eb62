#include "i18n/language_manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "core/file_read.h"

#include "support/temp_dir.h"

namespace lumora::i18n {
namespace {

using testing::TempDir;
using testing::writeFile;

// Records what it was given.
class RecordingController : public ILanguageController {
 public:
  explicit RecordingController(std::string section) : section_(std::move(section)) {}
  std::string EffectiveSectionName() const override { return section_; }
  void ApplyTranslation(const TLang_CompTranslation* translation) override {
    applied.push_back(translation != nullptr && translation->find(1) ? *translation->find(1) : "(built-in)");
  }
  std::vector<std::string> applied;

 private:
  std::string section_;
};

TEST(LanguageManager, ConstantsComeFromTheResourceInItsStoredForm) {
  const std::string resource = builtInConstantsResource();
  EXPECT_EQ(resource[0], '\x01');
  EXPECT_EQ(resource.substr(1, 4), std::string("\x0B\x00\x00\x00", 4));  // eleven constants
  TLanguageManager manager(resource);
  EXPECT_EQ(manager.ConstantText("helpfile"), "help\\english.chm");
  EXPECT_EQ(manager.ConstantText("MessageNoDir"), "Choose the folder to extract the files to.");
  EXPECT_EQ(manager.ConstantText("NoSkins"), "No avalible skins");
  try {
    manager.ConstantText("Nothing");
    FAIL();
  } catch (const ELangError& e) {
    EXPECT_EQ(std::string(e.what()), "Constant \"Nothing\" not found");
  }
  EXPECT_THROW(readConstantsResource(resource.substr(0, 20)), ELangError);
}

TEST(LanguageManager, RegistersLanguageFilesByTheirId) {
  TempDir dir;
  writeFile(dir / "Lang" / "ru.lng", "LANGID=1049\n");
  writeFile(dir / "Lang" / "ru2.lng", "LANGID=1049\n[$CONSTANTS]\n");
  writeFile(dir / "Lang" / "en.lng", "LANGID=1033\n");
  writeFile(dir / "Lang" / "none.lng", "[Form1]\n1=x\n");
  writeFile(dir / "Lang" / "zero.lng", "LANGID=0\n");
  writeFile(dir / "Lang" / "word.lng", "LANGID=Russian\n");
  writeFile(dir / "Lang" / "de.LNG", "LANGID=1031\n");
  writeFile(dir / "Lang" / "notes.txt", "LANGID=1036\n");
  TLanguageManager manager(builtInConstantsResource());
  // ru, ru2, en and de are accepted; the built-in language is not listed again and one ID is one language.
  EXPECT_EQ(manager.ScanLanguageFiles((dir / "Lang").string(), "*.lng", false), 4);
  ASSERT_EQ(manager.LanguageListCount(), 3);
  EXPECT_EQ(manager.LanguageIdAt(0), 1033);
  EXPECT_EQ(manager.LanguageNameAt(0), "English (United States)");
  std::vector<int> ids{manager.LanguageIdAt(1), manager.LanguageIdAt(2)};
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<int>{1031, 1049}));
  EXPECT_FALSE(manager.RegisterLanguageFile((dir / "Lang" / "missing.lng").string()));
}

TEST(LanguageManager, NamesThatAreNoRegularFilesAreSkippedWithTheirReason) {
  TempDir dir;
  writeFile(dir / "Lang" / "ru.lng", "LANGID=1049\n");
  std::filesystem::create_directory(dir / "Lang" / "folder.lng");
  ASSERT_EQ(::mkfifo((dir / "Lang" / "fifo.lng").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir / "Lang" / "zero.lng");
  {
    // Sparse: as large as the limit allows plus one byte, without writing that much.
    std::ofstream big(dir / "Lang" / "big.lng", std::ios::binary);
    big << "LANGID=1031\n";
    big.seekp(static_cast<std::streamoff>(core::kMaxTextFileBytes));
    big << "\n";
  }
  TLanguageManager manager(builtInConstantsResource());
  std::vector<std::string> unreadable;
  EXPECT_EQ(manager.ScanLanguageFiles((dir / "Lang").string(), "*.lng", false, &unreadable), 1);
  EXPECT_EQ(manager.LanguageListCount(), 2);
  std::sort(unreadable.begin(), unreadable.end());
  const std::string failed = "Loading translations failed.\r\n" + (dir / "Lang").string() + "/";
  EXPECT_EQ(unreadable, (std::vector<std::string>{failed + "big.lng: larger than 64 MB",
                                                  failed + "fifo.lng: not a regular file",
                                                  failed + "zero.lng: not a regular file"}));
}

TEST(LanguageManager, SwitchingLanguagesUpdatesConstantsAndWindows) {
  TempDir dir;
  writeFile(dir / "ru.lng", "LANGID=1049\n[$CONSTANTS]\nNoSkins=Нет обложек\n[Form1]\n1=Окно\n");
  writeFile(dir / "de.lng", "LANGID=1031\n[$CONSTANTS]\nSkinDir=Skins...\n[frmAbout]\n1=Über\n");
  writeFile(dir / "bad.lng", "LANGID=1036\n[$CONSTANTS]\n9x=broken\n");
  TLanguageManager manager(builtInConstantsResource());
  manager.ScanLanguageFiles(dir.path().string(), "*.lng", false);
  RecordingController main("Form1"), about("frmAbout");
  manager.AddController(&main);
  manager.AddController(&about);

  manager.SetCurrentLanguage(1049);
  EXPECT_EQ(manager.ConstantText("NoSkins"), "Нет обложек");
  EXPECT_EQ(main.applied, std::vector<std::string>{"Окно"});
  EXPECT_EQ(about.applied, std::vector<std::string>{"(built-in)"});

  // A constant the next language does not mention keeps the text it has.
  manager.SetCurrentLanguage(1031);
  EXPECT_EQ(manager.ConstantText("NoSkins"), "Нет обложек");
  EXPECT_EQ(manager.ConstantText("SkinDir"), "Skins...");

  // Switching to the current language does nothing, even when its file changed.
  writeFile(dir / "de.lng", "LANGID=1031\n[$CONSTANTS]\nSkinDir=Changed\n");
  manager.SetCurrentLanguage(1031);
  EXPECT_EQ(manager.ConstantText("SkinDir"), "Skins...");

  // A broken file leaves the language as it was.
  try {
    manager.SetCurrentLanguage(1036);
    FAIL();
  } catch (const ELangError& e) {
    EXPECT_EQ(std::string(e.what()), "Loading translations failed.\r\nLine 2: Invalid constant name (\"9x\")");
  }
  EXPECT_EQ(manager.currentLanguageId(), 1031);

  manager.SetCurrentLanguage(1033);
  EXPECT_EQ(manager.ConstantText("NoSkins"), "No avalible skins");
  EXPECT_EQ(main.applied.back(), "(built-in)");
  manager.RemoveController(&main);
  manager.RemoveController(&about);
}

TEST(LanguageManager, FileMasks) {
  EXPECT_TRUE(matchesFileMask("russian.LNG", "*.lng"));
  EXPECT_FALSE(matchesFileMask("russian.lng.bak", "*.lng"));
  EXPECT_TRUE(matchesFileMask("a.lng", "?.lng"));
  EXPECT_FALSE(matchesFileMask("ab.lng", "?.lng"));
}

}  // namespace
}  // namespace lumora::i18n
