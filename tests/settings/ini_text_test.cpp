#include "settings/ini_text.h"

#include <gtest/gtest.h>

#include <optional>

#include "core/codepage.h"

namespace lumora::settings {
namespace {

TEST(ProfileInteger, ParsesDecimalAndHexLikeTheSettingsReaders) {
  struct Case {
    const char* text;
    std::optional<int> expected;
  };
  const Case cases[] = {
      {"12", 12},           {"-5", -5},         {"+7", 7},
      {"0x1", 1},           {"0X1F", 31},       {"0xFFFFFFFF", -1},
      {"0x7fffffff", 2147483647},               {"-2147483648", -2147483647 - 1},
      {"0x", std::nullopt},  // two characters: not the hex form, and not decimal either
      {"0x100000000", std::nullopt},            {"2147483648", std::nullopt},
      {"", std::nullopt},   {"abc", std::nullopt}, {"1.5", std::nullopt},
      {"0xG", std::nullopt}, {"-0x10", std::nullopt}, {"12 ", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseProfileInteger(c.text), c.expected) << "text: '" << c.text << "'";
  }
}

TEST(IniText, FindsSectionsAndKeysWithoutRegardToCase) {
  const IniText ini(
      "stray=before any section\n"
      "[ form ]\n"
      "  CAPTION =  Hello world  \n"
      "Quoted=\"  spaced  \"\n"
      "Half=\"open\n"
      "[Form]\n"
      "Caption=second section is never read\n"
      "[Other]\n"
      "Caption=other\n",
      1251);
  EXPECT_EQ(ini.value("Form", "caption"), "Hello world");
  EXPECT_EQ(ini.value("FORM", "quoted"), "  spaced  ");
  EXPECT_EQ(ini.value("Form", "Half"), "\"open");
  EXPECT_EQ(ini.value("other", "Caption"), "other");
  EXPECT_EQ(ini.value("Form", "stray"), std::nullopt);
  EXPECT_EQ(ini.value("Missing", "Caption"), std::nullopt);
  EXPECT_EQ(ini.value("Form", "Missing"), std::nullopt);
}

TEST(IniText, WritesChangeOnlyTheLineConcerned) {
  struct Case {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
  };
  const Case cases[] = {
      {"replace keeps CRLF and comments", "; comment\r\n[Form]\r\nCaption = Old\r\nMode=0\r\n", "form", "CAPTION",
       "New", "; comment\r\n[Form]\r\nCAPTION=New\r\nMode=0\r\n"},
      {"new key goes before the blank line", "[Form]\nA=1\n\n[Player]\nActive=0\n", "Form", "B", "2",
       "[Form]\nA=1\nB=2\n\n[Player]\nActive=0\n"},
      {"new section at the end", "[Form]\nA=1\n", "Safety", "BlockConfig", "0",
       "[Form]\nA=1\n[Safety]\nBlockConfig=0\n"},
      {"file without final line end", "[Form]\nA=1", "Form", "B", "2", "[Form]\nA=1\nB=2\n"},
      {"empty file", "", "Form", "Mode", "1", "[Form]\nMode=1\n"},
      {"line breaks in a value stay on one line", "", "Form", "Caption", "a\r\nb=c",
       "[Form]\nCaption=a  b=c\n"},
  };
  for (const Case& c : cases) {
    IniText ini(c.before, 1251);
    ini.setValue(c.section, c.key, c.value);
    EXPECT_EQ(ini.bytes(), c.after) << c.name;
  }
}

TEST(IniText, KeepsALegacyFileInItsCodePage) {
  // "Заголовок" in Windows-1251, which is not valid UTF-8.
  const std::string cp1251Title = "\xC7\xE0\xE3\xEE\xEB\xEE\xE2\xEE\xEA";
  IniText ini("[Form]\r\nCaption=" + cp1251Title + "\r\nSkinFile=x\r\n", 1251);
  EXPECT_EQ(ini.codePage(), 1251);
  EXPECT_EQ(ini.value("Form", "Caption"), "Заголовок");

  ini.setValue("Form", "SkinFile", "Синий");
  EXPECT_EQ(ini.bytes(), "[Form]\r\nCaption=" + cp1251Title + "\r\nSkinFile=\xD1\xE8\xED\xE8\xE9\r\n");

  // Text Windows-1251 cannot hold turns the whole file into UTF-8 instead of mixing encodings.
  ini.setValue("Form", "SkinFile", "青");
  EXPECT_EQ(ini.codePage(), 65001);
  EXPECT_EQ(ini.bytes(), "[Form]\r\nCaption=Заголовок\r\nSkinFile=青\r\n");
}

TEST(IniText, KeepsAUtf8ByteOrderMark) {
  IniText ini("\xEF\xBB\xBF[Form]\nCaption=Привет\n", 1251);
  EXPECT_EQ(ini.value("Form", "Caption"), "Привет");
  ini.setValue("Form", "Mode", "1");
  EXPECT_EQ(ini.bytes(), "\xEF\xBB\xBF[Form]\nCaption=Привет\nMode=1\n");
}

// The text in one of the Unicode forms Windows editors save, with its byte-order mark.
std::string unicodeFile(int codePage, const std::string& utf8) {
  return core::byteOrderMarkBytes(codePage) + core::fromUtf8(utf8, codePage).value();
}

TEST(IniText, KeepsAUnicodeFileInItsOwnEncoding) {
  const std::string before = "; заметки\r\n[Form]\r\nCaption=Моя книга 📖\r\n\r\n[Player]\r\nActive=1\r\n";
  const std::string after =
      "; заметки\r\n[Form]\r\nCaption=Моя книга 📖\r\nSkinFile=Синий\r\n\r\n[Player]\r\nActive=0\r\n"
      "[Safety]\r\nBlockConfig=0\r\n";
  for (const int codePage : {1200, 1201, 12000, 12001}) {
    IniText ini(unicodeFile(codePage, before), 1251);
    EXPECT_EQ(ini.codePage(), codePage);
    EXPECT_EQ(ini.value("form", "caption"), "Моя книга 📖") << codePage;
    EXPECT_EQ(ini.value("Player", "Active"), "1") << codePage;
    ini.setValue("Form", "SkinFile", "Синий");
    ini.setValue("Player", "Active", "0");
    ini.setValue("Safety", "BlockConfig", "0");
    EXPECT_EQ(ini.bytes(), unicodeFile(codePage, after)) << codePage;
  }
}

}  // namespace
}  // namespace lumora::settings
