// Document bytes to 16-bit characters: code pages, character-set names, Japanese preparations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/html_codepage.h"

namespace lumora::html {
namespace {

struct DecodeCase {
  const char* label;
  int codePage;
  std::string bytes;
  std::u16string text;
};

TEST(HtmlCodePage, DecodesDocumentBytes) {
  const DecodeCase cases[] = {
      {"Windows-1251", 1251, "\xCF\xF0\xE8\xE2\xE5\xF2", u"Привет"},
      {"Windows-1252", 1252, "caf\xE9 \x80 \x96", u"café € –"},
      {"Shift_JIS", 932, "\x93\xFA\x96\x7B a \xB1", u"日本 a ｱ"},
      {"Big5", 950, "\xA4\xA4\xA4\xE5", u"中文"},
      {"GBK", 936, "\xD6\xD0\xCE\xC4", u"中文"},
      {"Korean", 949, "\xC7\xD1\xB1\xDB", u"한글"},
      {"ISO-8859-2", 28592, "\xB1", u"ą"},
      {"KOI8-R", 20866, "\xF0\xD2\xC9", u"При"},
      {"UTF-8", 65001, "\xD0\x9F\xE2\x82\xAC\xF0\x9F\x98\x80", u"П€\U0001F600"},
      // Undecodable sequences become U+FFFD and decoding goes on.
      {"UTF-8 broken", 65001, "a\xC3(\xFF" "b", u"a\uFFFD(\uFFFDb"},
      {"Shift_JIS stray lead", 932, "\x93 A\x93", u"\uFFFD A\uFFFD"},
      {"Windows-1251 hole", 1251, "\x98" "x", u"\uFFFDx"},
      // Unknown code pages read as the system code page.
      {"unknown", 4242, "\xC3\xA9", u"é"},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(toWide(c.bytes, c.codePage), c.text) << c.label;
  }
}

TEST(HtmlCodePage, EachCharacterGetsThePositionOfItsFirstByte) {
  struct Case {
    int codePage;
    std::string bytes;
    std::vector<int> positions;
  };
  const Case cases[] = {
      {932, "a\x93\xFA" "b", {10, 11, 13}},
      {65001, "a\xD0\x9F\xF0\x9F\x98\x80" "b", {10, 11, 13, 13, 17}},
      {1251, "\xCF\xF0", {10, 11}},
  };
  for (const Case& c : cases) {
    std::vector<int> in(c.bytes.size());
    for (size_t i = 0; i < in.size(); ++i) in[i] = 10 + static_cast<int>(i);
    std::u16string text;
    std::vector<int> positions;
    appendWide(c.bytes, c.codePage, text, in.data(), &positions);
    EXPECT_EQ(positions, c.positions) << c.codePage;
    EXPECT_EQ(positions.size(), text.size());
  }
}

TEST(HtmlCodePage, EncodesBackWithQuestionMarksForTheUnrepresentable) {
  EXPECT_EQ(wideToMultiByte(u"Привет", 1251), "\xCF\xF0\xE8\xE2\xE5\xF2");
  EXPECT_EQ(wideToMultiByte(u"…", 1252), "\x85");
  EXPECT_EQ(wideToMultiByte(u"日x", 932), "\x93\xFA" "x");
  EXPECT_EQ(wideToMultiByte(u"日", 1252), "?");
  EXPECT_EQ(wideToMultiByte(u"€", 65001), "\xE2\x82\xAC");
  EXPECT_EQ(wideToUtf8(u"a\xD800" "b"), "a\xEF\xBF\xBD" "b");
}

TEST(HtmlCodePage, CharacterLength) {
  EXPECT_EQ(charLength("\xD0\x9F", 65001), 2u);
  EXPECT_EQ(charLength("\xE2\x82\xAC", 65001), 3u);
  EXPECT_EQ(charLength("\xF0\x9F", 65001), 2u);  // never past the end
  EXPECT_EQ(charLength(std::string_view("\0a", 2), 65001), 0u);
  EXPECT_EQ(charLength("\x93\xFA", 932), 2u);
  EXPECT_EQ(charLength("\xB1", 932), 1u);
  EXPECT_EQ(charLength("\xCF\xF0", 1251), 1u);
}

TEST(HtmlCodePage, CharSetNamesInSearchOrder) {
  ASSERT_EQ(charSetNames().size(), 47u);
  EXPECT_EQ(charSetNames().front().Name, "1252");
  EXPECT_EQ(charSetNames().back().Name, "tis-620");
  struct Case {
    const char* content;
    int charSet;
    int codePage;  // after charSetNameToCodePage, from a previous code page of 1252
  };
  const Case cases[] = {
      {"text/html; charset=windows-1251", 204, 1251},
      {"text/html; charset=Windows-1252", 0, 1252},
      {"text/html; charset=ISO-8859-15", 0, 1252},  // found as "8859-1" first
      {"text/html; charset=iso-8859-2", 238, 28592},
      {"text/html; charset=koi8-r", 204, 20866},
      {"text/html; charset=Shift_JIS", 128, 932},
      {"text/html; charset=euc-kr", 129, 949},
      {"text/html; charset=big5", 136, 950},
      {"text/html; charset=gb2312", 134, 936},
      {"text/html; charset=tis-620", 222, 874},
      {"text/html; charset=x-mac-roman", -1, 0},
  };
  for (const Case& c : cases) {
    const auto found = findCharSet(c.content);
    if (c.charSet < 0) {
      EXPECT_FALSE(found.has_value()) << c.content;
      continue;
    }
    ASSERT_TRUE(found.has_value()) << c.content;
    const CharSetCodePage applied = charSetNameToCodePage(*found, 1252);
    EXPECT_EQ(applied.CharSet, c.charSet) << c.content;
    EXPECT_EQ(applied.CodePage, c.codePage) << c.content;
  }
  const auto eucJp = findCharSet("text/html; charset=EUC-JP");
  ASSERT_TRUE(eucJp.has_value());
  EXPECT_TRUE(eucJp->EucJp);
  EXPECT_EQ(charSetNameToCodePage(*eucJp, 1252).CodePage, 932);
}

TEST(HtmlCodePage, CharSetToCodePageRows) {
  struct Case {
    int set, charSet, codePage;
  };
  const Case cases[] = {{0, 0, 1252},       {1, 1, 65001},     {2, 2, 65001},     {77, 77, 10000},
                        {128, 128, 932},    {129, 129, 949},   {130, 130, 1361},  {134, 134, 936},
                        {136, 136, 950},    {161, 161, 1253},  {162, 162, 1254},  {163, 163, 1258},
                        {177, 177, 1255},   {178, 178, 1256},  {186, 186, 1257},  {204, 204, 1251},
                        {222, 222, 874},    {238, 238, 1250},  {255, 255, 866},   {31, 238, 28592},
                        {99, 99, 1234}};  // a set without a row keeps the previous code page
  for (const Case& c : cases) {
    const CharSetCodePage r = charSetToCodePage(c.set, 1234);
    EXPECT_EQ(r.CharSet, c.charSet) << c.set;
    EXPECT_EQ(r.CodePage, c.codePage) << c.set;
  }
  EXPECT_EQ(charSetToCodePage(1, 1234, 1251).CodePage, 1251);
}

TEST(HtmlCodePage, DocumentDefault) {
  EXPECT_EQ(documentDefaultCodePage("plain ascii"), 65001);
  EXPECT_EQ(documentDefaultCodePage("\xD0\x9F"), 65001);
  EXPECT_EQ(documentDefaultCodePage("\xCF\xF0"), 1251);
}

TEST(HtmlCodePage, JapaneseSevenBitBecomesShiftJis) {
  // "日本" in JIS X 0208 between the escapes, then back to ASCII.
  const std::string jis = "a\x1b$BF|K\\\x1b(Bb\r\n";
  EXPECT_TRUE(isJisEncoded(jis));
  EXPECT_EQ(jisToShiftJis(jis), "a\x93\xFA\x96\x7B" "b\r\n");
  EXPECT_EQ(toWide(jisToShiftJis(jis), 932), u"a日本b\r\n");
  // An escape into double-byte mode with no way back is not 7-bit Japanese.
  EXPECT_FALSE(isJisEncoded("a\x1b(Bb\x1b$Bxx"));
  EXPECT_FALSE(isJisEncoded("plain"));
}

TEST(HtmlCodePage, EucJpBecomesShiftJisInPlace) {
  std::string text = "<p>\xC6\xFC\xCB\xDC" "a\xA4\xA2";
  std::string untouched = text;
  eucJpToShiftJis(text, 3);
  EXPECT_EQ(text.size(), untouched.size());
  EXPECT_EQ(toWide(text, 932), u"<p>日本aあ");
  // Only the part from the given offset changes.
  std::string partial = "\xC6\xFC|\xC6\xFC";
  eucJpToShiftJis(partial, 2);
  EXPECT_EQ(partial, "\xC6\xFC|\x93\xFA");
}

}  // namespace
}  // namespace lumora::html
