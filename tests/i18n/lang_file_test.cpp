#include "i18n/lang_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "core/file_read.h"

#include "i18n/lang_data.h"
#include "i18n/lang_escape.h"
#include "i18n/lang_mask.h"
#include "i18n/window_tables.h"
#include "support/temp_dir.h"

namespace lumora::i18n {
namespace {

TEST(LangEscape, UnescapesAndEscapesAsLanguageFilesWriteThem) {
  struct Case {
    const char* escaped;
    const char* text;
  };
  const Case both[] = {
      {"a\\nb", "a\r\nb"}, {"tab\\there", "tab\there"}, {"back\\\\slash", "back\\slash"},
      {"bell\\07", "bell\x07"}, {"ID3v1\\nID3v2\\n", "ID3v1\r\nID3v2\r\n"},
  };
  for (const Case& c : both) {
    EXPECT_EQ(unescapeLangValue(c.escaped), c.text) << c.escaped;
    EXPECT_EQ(escapeLangValue(c.text), c.escaped) << c.escaped;
  }
  EXPECT_EQ(unescapeLangValue("end space\\32"), "end space ");
  // A doubled backslash before n is a backslash and an n; a lone backslash before other text stays.
  EXPECT_EQ(unescapeLangValue("\\\\n"), "\\n");
  EXPECT_EQ(unescapeLangValue("50\\% \\x \\"), "50\\% \\x \\");
  EXPECT_EQ(unescapeLangValue("\\3x"), "\\3x");
  // Lone CR or LF, and LF CR pairs, each give one "\n".
  EXPECT_EQ(escapeLangValue("a\rb\nc\n\rd"), "a\\nb\\nc\\nd");
}

TEST(LangFile, ReadsHeaderConstantsAndWindowSections) {
  const TLang_CompTranslations t = readLanguageText(
      "  LANGID = 1049 \r\n"
      "; a comment\r\n"
      "[$constants]\n"
      "NoSkins = Нет обложек\\32\n"
      "[]\n"
      "[frmConfig\n"
      "Ignored=still in $CONSTANTS\n"
      "[ frmConfig ]\r"
      "3=Применить\r"
      "0=not an id\r"
      "x=not a number\r"
      "no equals sign\r"
      "=empty name\r"
      "[Form1]\n"
      "1=Caption\n"
      "[FRMCONFIG]\n"
      "58=ID3v1\\nID3v2\\n\n",
      false);
  EXPECT_EQ(t.languageId(), 1049);
  ASSERT_NE(t.constants.find("noskins"), nullptr);
  EXPECT_EQ(t.constants.find("NoSkins")->value, "Нет обложек ");
  EXPECT_NE(t.constants.find("Ignored"), nullptr);
  ASSERT_EQ(t.translations.size(), 2u);
  const TLang_CompTranslation* config = t.Section("frmconfig");
  ASSERT_NE(config, nullptr);
  EXPECT_EQ(config->values().size(), 2u);
  EXPECT_EQ(*config->find(3), "Применить");
  EXPECT_EQ(*config->find(58), "ID3v1\r\nID3v2\r\n");
  EXPECT_EQ(config->find(0), nullptr);
}

TEST(LangFile, ErrorsNameTheZeroBasedLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"LANGID=1049\n[$CONSTANTS]\n1Skin=x\n",
       "Loading translations failed.\r\nLine 2: Invalid constant name (\"1Skin\")"},
      {"[$CONSTANTS]\r\nA=1\r\n\r\na=2\r\n", "Loading translations failed.\r\nLine 3: Duplicate constant name (\"a\")"},
      {"[Form1]\n1=a\n[form1]\n1=b\n",
       "Loading translations failed.\r\nLine 3: Duplicate property value translation ID (1)"},
      // With several faults the first line wins, whatever kind each fault is and wherever its twin stands.
      {"[$CONSTANTS]\nB=1\n[Form1]\n7=a\n8=b\n7=c\n[$CONSTANTS]\nb=2\n",
       "Loading translations failed.\r\nLine 5: Duplicate property value translation ID (7)"},
      {"[$CONSTANTS]\nB=1\nb=2\n[Form1]\n7=a\n7=c\n",
       "Loading translations failed.\r\nLine 2: Duplicate constant name (\"b\")"},
      {"[$CONSTANTS]\nB=1\nb=2\n9x=3\n", "Loading translations failed.\r\nLine 2: Duplicate constant name (\"b\")"},
      {"[$CONSTANTS]\nB=1\n9x=3\nb=2\n", "Loading translations failed.\r\nLine 2: Invalid constant name (\"9x\")"},
  };
  for (const Case& c : cases) {
    try {
      readLanguageText(c.text, false);
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const ELangError& e) {
      EXPECT_EQ(std::string(e.what()), c.error);
    }
  }
  // Reading only the header does not reach the broken line.
  EXPECT_EQ(readLanguageText("LANGID=1049\n[$CONSTANTS]\n1Skin=x\n", true).languageId(), 1049);
}

TEST(LangFile, LegacyFilesAreReadInTheCodePageOfTheirLanguage) {
  // "Назад" in Windows-1251 and "Zurück" in Windows-1252: neither is valid UTF-8.
  const std::string russian = "LANGID=1049\r\n[Form1]\r\n12=\xCD\xE0\xE7\xE0\xE4\r\n";
  const std::string german = "LANGID=1031\r\n[Form1]\r\n12=Zur\xFC" "ck\r\n";
  EXPECT_EQ(*readLanguageText(decodeLanguageFile(russian), false).Section("Form1")->find(12), "Назад");
  EXPECT_EQ(*readLanguageText(decodeLanguageFile(german), false).Section("Form1")->find(12), "Zurück");
}

TEST(LangFile, LargeFilesKeepEveryEntryInOrder) {
  // IDs and constants in a scrambled order, sections that come back: what a sorted insert got right.
  std::string text = "LANGID=1049\n";
  const int n = 5000;
  for (int i = 0; i < n; ++i) {
    const int id = (i * 7919) % n + 1;
    text += "[Window" + std::to_string(id % 7) + "]\n" + std::to_string(id) + "=text " + std::to_string(id) + "\n";
    text += "[$constants]\nName" + std::to_string(id) + "=value " + std::to_string(id) + "\n";
  }
  const TLang_CompTranslations t = readLanguageText(text, false);
  ASSERT_EQ(t.translations.size(), 7u);
  ASSERT_EQ(t.constants.items().size(), size_t(n));
  for (int id = 1; id <= n; ++id) {
    const TLang_CompTranslation* window = t.Section("window" + std::to_string(id % 7));
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->find(id), nullptr) << id;
    EXPECT_EQ(*window->find(id), "text " + std::to_string(id));
    ASSERT_NE(t.constants.find("NAME" + std::to_string(id)), nullptr) << id;
    EXPECT_EQ(t.constants.find("name" + std::to_string(id))->value, "value " + std::to_string(id));
  }
  EXPECT_EQ(t.constants.find("Name0"), nullptr);
}

TEST(LangFile, UnicodeFilesWithAByteOrderMarkAreRead) {
  // What Windows editors write as "Unicode": UTF-16 or UTF-32 with a byte-order mark, here with a text that
  // leaves the Basic Multilingual Plane.
  const std::u32string text = U"LANGID=1049\r\n[$CONSTANTS]\r\nNoSkins=Нет обложек \U0001F3A8\r\n[Form1]\r\n12=Назад\r\n";
  const auto encode = [&](int unitBytes, bool bigEndian) {
    std::string out;
    const auto put = [&](uint32_t unit) {
      for (int i = 0; i < unitBytes; ++i) {
        const int shift = 8 * (bigEndian ? unitBytes - 1 - i : i);
        out += static_cast<char>((unit >> shift) & 0xFF);
      }
    };
    put(0xFEFF);
    for (const char32_t c : text) {
      if (unitBytes == 2 && c > 0xFFFF) {
        put(0xD800 + ((c - 0x10000) >> 10));
        put(0xDC00 + ((c - 0x10000) & 0x3FF));
      } else {
        put(c);
      }
    }
    return out;
  };
  const struct {
    const char* name;
    std::string bytes;
  } files[] = {
      {"UTF-16LE", encode(2, false)}, {"UTF-16BE", encode(2, true)},
      {"UTF-32LE", encode(4, false)}, {"UTF-32BE", encode(4, true)},
      {"UTF-8", "\xEF\xBB\xBFLANGID=1049\r\n[$CONSTANTS]\r\nNoSkins=Нет обложек 🎨\r\n[Form1]\r\n12=Назад\r\n"},
  };
  for (const auto& file : files) {
    const TLang_CompTranslations t = readLanguageText(decodeLanguageFile(file.bytes), false);
    EXPECT_EQ(t.languageId(), 1049) << file.name;
    ASSERT_NE(t.constants.find("NoSkins"), nullptr) << file.name;
    EXPECT_EQ(t.constants.find("NoSkins")->value, "Нет обложек 🎨") << file.name;
    ASSERT_NE(t.Section("Form1"), nullptr) << file.name;
    EXPECT_EQ(*t.Section("Form1")->find(12), "Назад") << file.name;
  }
  // A lone surrogate in place of the "Н" costs that character, not the alignment of the rest.
  std::string damaged = encode(2, false);
  damaged.replace(damaged.find(std::string("\x1D\x04", 2)), 2, std::string("\x00\xDC", 2));
  const TLang_CompTranslations t = readLanguageText(decodeLanguageFile(damaged), false);
  EXPECT_EQ(t.constants.find("NoSkins")->value, "\uFFFDет обложек 🎨");
  ASSERT_NE(t.Section("Form1"), nullptr);
  EXPECT_EQ(*t.Section("Form1")->find(12), "Назад");
}

TEST(LangFile, OnlyRegularFilesWithinTheLimitAreRead) {
  testing::TempDir dir;
  std::filesystem::create_directory(dir / "folder.lng");
  ASSERT_EQ(::mkfifo((dir / "fifo.lng").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir / "zero.lng");
  {
    std::ofstream big(dir / "big.lng", std::ios::binary);
    big << "LANGID=1049\n";
    big.seekp(static_cast<std::streamoff>(core::kMaxTextFileBytes));
    big << "\n";
  }
  EXPECT_EQ(readLanguageFile((dir / "missing.lng").string()), "");
  const struct {
    const char* name;
    const char* reason;
  } cases[] = {{"folder.lng", "a folder"}, {"fifo.lng", "not a regular file"}, {"zero.lng", "not a regular file"},
               {"big.lng", "larger than 64 MB"}};
  for (const auto& c : cases) {
    try {
      readLanguageFile((dir / c.name).string());
      ADD_FAILURE() << c.name;
    } catch (const ELangError& e) {
      EXPECT_EQ(std::string(e.what()), "Loading translations failed.\r\n" + (dir / c.name).string() + ": " + c.reason);
    }
  }
}

TEST(LangMask, MatchesPathsAndRejectsMalformedMasks) {
  const TLang_MaskList masks({"*.DefFontName", "sSkinManager1.*", "N[1-3].Caption", "Tool?utton10.Caption",
                              "[!a-m]x.Hint"});
  EXPECT_TRUE(masks.matches("FrameViewer1.deffontname"));
  EXPECT_TRUE(masks.matches("sSkinManager1.SkinName"));
  EXPECT_TRUE(masks.matches("n2.caption"));
  EXPECT_FALSE(masks.matches("N4.Caption"));
  EXPECT_TRUE(masks.matches("ToolButton10.Caption"));
  EXPECT_TRUE(masks.matches("zx.Hint"));
  EXPECT_FALSE(masks.matches("bx.Hint"));
  // The window's own caption is ".Caption"; "Form1.Caption" does not match it.
  EXPECT_FALSE(TLang_MaskList({"Form1.Caption"}).matches(".Caption"));

  struct Bad {
    const char* mask;
    const char* error;
  };
  const Bad bad[] = {{"abc[de", "'abc[de' is an invalid mask at (6)"}, {"[-a]", "'[-a]' is an invalid mask at (2)"}};
  for (const Bad& b : bad) {
    try {
      TLang_MaskList list({b.mask});
      ADD_FAILURE() << b.mask;
    } catch (const ELangError& e) {
      EXPECT_EQ(std::string(e.what()), b.error);
    }
  }
  std::string manyRuns;
  for (int i = 0; i < 31; ++i) manyRuns += "*a";
  EXPECT_THROW(TLang_MaskList({manyRuns}), ELangError);
}

TEST(LangData, StoredTablesHaveTheirExactForm) {
  const std::string splash = langDataOf(splashWindowTable());
  EXPECT_EQ(splash.size(), 189u);
  EXPECT_EQ(splash.substr(0, 10), std::string("\x08\x00" "frmAbout", 10));
  // A node without entries: its length-prefixed name and two zero bytes.
  EXPECT_NE(splash.find(std::string("\x07\x00sPanel1\x00\x00", 11)), std::string::npos);

  // Entries are stored sorted by path whatever their IDs: 19 "Caption" before 18 "Hint".
  const std::string config = langDataOf(settingsDialogTable());
  const std::string checkBox1 = std::string("\x0A\x00sCheckBox1\x01\x02\x00\x00\x00", 17) +
                                std::string("\x13\x00\x00\x00\x07\x00" "Caption", 13) +
                                std::string("\x12\x00\x00\x00\x04\x00" "Hint", 10);
  EXPECT_NE(config.find(checkBox1), std::string::npos);

  // Every table reads back to the same bytes.
  for (const WindowTable* table : {&mainWindowTable(), &settingsDialogTable(), &splashWindowTable(), &archiverWindowTable()}) {
    const std::string bytes = langDataOf(*table);
    EXPECT_EQ(writeLangData(*readLangData(bytes)), bytes) << table->windowName;
  }
  EXPECT_EQ(readLangData(langDataOf(mainWindowTable()))->children.size(), mainWindowTable().components.size());
  EXPECT_THROW(readLangData(splash.substr(0, 100)), ELangError);
}

}  // namespace
}  // namespace lumora::i18n
