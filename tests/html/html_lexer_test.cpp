// The lexer as the document builder sees it: symbols, token text with positions, attributes, comments,
// includes and the preparation of the input.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "html/html_lexer.h"

namespace lumora::html {
namespace {

struct Tok {
  Symb sy;
  std::string text;  // UTF-8
  std::vector<int> positions;
  int tagPos;
  int heading;
  std::vector<TAttribute> attrs;
};

struct Lexed {
  std::vector<Tok> tokens;
  std::string error;
};

Lexed lexWith(THtmlLexer& lexer, const std::string& document, int codePage) {
  Lexed out;
  lexer.setDocument(document, codePage);
  try {
    lexer.begin();
    for (;;) {
      lexer.NextToken();
      if (lexer.Sy == EofSy) break;
      Tok t{lexer.Sy, wideToUtf8(lexer.Token.S()), lexer.Token.positions(), lexer.TagPos, lexer.HeadingLevel, {}};
      for (size_t i = 0; i < lexer.Attributes.count(); ++i) t.attrs.push_back(lexer.Attributes[i]);
      out.tokens.push_back(std::move(t));
    }
  } catch (const EParseError& e) {
    out.error = e.what();
  }
  return out;
}

Lexed lex(const std::string& document, int codePage = 1252) {
  THtmlLexer lexer;
  return lexWith(lexer, document, codePage);
}

// All text of a document joined, one "|" between tokens.
std::string texts(const Lexed& l) {
  std::string out;
  for (const Tok& t : l.tokens) {
    if (t.sy != TextSy) continue;
    if (!out.empty()) out += '|';
    out += t.text;
  }
  return out;
}

TEST(HtmlLexer, CharacterReferencesInText) {
  struct Case {
    const char* label;
    std::string html;
    int codePage;
    std::string text;
  };
  const Case cases[] = {
      {"amp without semicolon", "a &amp b", 1252, "a & b"},
      {"named, optional semicolon", "&hellip&hellip;x", 1252, "……x"},
      {"hex and decimal", "&#x41;&#X41&#65;", 1252, "AAA"},
      {"code page byte", "&#150;", 1252, "–"},
      {"code page byte in Windows-1251", "&#150;", 1251, "–"},
      {"code page byte in a UTF-8 document", "&#150;", 65001, "–"},
      {"tab", "a&#9;b", 1252, "a b"},
      {"control", "a&#7;b", 1252, "a?b"},
      {"beyond 16 bits keeps the low bits", "&#65601;", 1252, "A"},
      {"unknown name stays with its semicolon", "&bogus; x", 1252, "&bogus; x"},
      {"failed numeric", "&#; &#x; &#xg", 1252, "&#; &#x; &#xg"},
      {"apos", "&apos;", 1252, "\u2019"},
      {"case-sensitive names", "&Alpha;&alpha;&ALPHA;", 1252, "Αα&ALPHA;"},
      {"lone ampersand", "a & b", 1252, "a & b"},
      {"name longer than eleven", "&abcdefghijklmn;", 1252, "&abcdefghijklmn;"},
      {"reference between bytes of the code page", "\xCF&nbsp;\xF0", 1251, "П\u00A0р"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(texts(lex(c.html, c.codePage)), c.text) << c.label;
  }
}

TEST(HtmlLexer, ReferencePositionsAreThoseOfTheAmpersand) {
  const Lexed l = lex("a&amp;b&#65;&x;");
  ASSERT_EQ(l.tokens.size(), 1u);
  EXPECT_EQ(l.tokens[0].text, "a&bA&x;");
  EXPECT_EQ(l.tokens[0].positions, (std::vector<int>{0, 1, 6, 7, 12, 13, 14}));
}

TEST(HtmlLexer, CharacterReferencesInAttributes) {
  struct Case {
    std::string html;
    int codePage;
    std::string value;  // in the code page
  };
  const Case cases[] = {
      {"<a title=\"x&hellip\">", 1252, "x&hellip"},
      {"<a title=\"x&hellip;\">", 1252, "x\x85"},
      {"<a title=\"x&hellip;\">", 65001, "x\xE2\x80\xA6"},
      {"<a title=\"&amp&lt;\">", 1252, "&<"},
      {"<a title=\"&#150;\">", 1252, "\x96"},
      {"<a title=\"&#150;\">", 65001, "\xE2\x80\x93"},
      {"<a title=\"&#1055;\">", 1251, "\xCF"},
      {"<a title=\"&#1055;\">", 1252, "?"},
      {"<a href=a&amp;b>", 1252, "a&b"},
      {"<a href=\"&bogus;\">", 1252, "&bogus;"},
  };
  for (const Case& c : cases) {
    const Lexed l = lex(c.html, c.codePage);
    ASSERT_EQ(l.tokens.size(), 1u) << c.html;
    ASSERT_EQ(l.tokens[0].attrs.size(), 1u) << c.html;
    EXPECT_EQ(l.tokens[0].attrs[0].Name, c.value) << c.html;
    EXPECT_EQ(l.tokens[0].attrs[0].CodePage, c.codePage) << c.html;
  }
}

TEST(HtmlLexer, TagsHeadingsAndUnknownTags) {
  const Lexed l = lex("<H3 align=center>t</h3><h7>x</H7><H 2><br/><BR /></br><blink><p_x>");
  std::vector<std::pair<Symb, int>> got;
  for (const Tok& t : l.tokens) got.emplace_back(t.sy, t.heading);
  const std::vector<std::pair<Symb, int>> expected = {
      {HSy, 3},       {TextSy, 0}, {HEndSy, 3},    {UnknownSy, 0}, {TextSy, 0}, {UnknownSy, 0}, {HSy, 2},
      {BrSy, 0},      {BrSy, 0},   {UnknownSy, 0}, {UnknownSy, 0}, {UnknownSy, 0}};
  EXPECT_EQ(got, expected);
  ASSERT_EQ(l.tokens[0].attrs.size(), 1u);
  EXPECT_EQ(l.tokens[0].attrs[0].Which, AlignSy);
}

TEST(HtmlLexer, LiteralLessThanIsText) {
  const Lexed l = lex("a < b <3 c<<b>d");
  EXPECT_EQ(texts(l), "a |< b |<3 c|<|d");
  ASSERT_EQ(l.tokens.size(), 6u);
  EXPECT_EQ(l.tokens[1].positions[0], 2);  // the "<" keeps its place
  EXPECT_EQ(l.tokens[4].sy, BSy);
}

TEST(HtmlLexer, CommentsDeclarationsAndServerBlocks) {
  struct Case {
    std::string html;
    std::string text;
  };
  const Case cases[] = {
      {"a<!-- x -->b", "ab"},
      {"a <!-- x --> b", "a b"},
      {"a<!-- x -- y -->b", "ab"},  // a lone pair of hyphens followed by text does not end it
      {"a<!-- x --  >b", "ab"},
      {"a<!-- x --!>b", "ab"},
      {"a<!---->b", "ab"},
      {"a<!-->x-->b", "ab"},
      {"a<!-- x - ->y-->b", "ab"},
      {"<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01//EN\">a", "a"},
      {"<!>a", "a"},
      {"a<% if x > 1 %>b", "ab"},
      {"a<%b", "a"},
  };
  for (const Case& c : cases) {
    const Lexed l = lex(c.html);
    EXPECT_EQ(texts(l), c.text) << c.html;
    EXPECT_EQ(l.error, "") << c.html;
  }
  // An XML processing instruction is an unrecognised tag: nothing visible.
  const Lexed pi = lex("<?xml version=\"1.0\"?>x");
  ASSERT_EQ(pi.tokens.size(), 2u);
  EXPECT_EQ(pi.tokens[0].sy, UnknownSy);
  EXPECT_EQ(pi.tokens[1].text, "x");
}

TEST(HtmlLexer, DocumentEndingInsideACommentKeepsWhatCameBefore) {
  for (const std::string html : {"<p>keep</p><!-- open", "<p>keep</p><!DOCTYPE", "<p>keep</p><!-- a -- b >"}) {
    const Lexed l = lex(html);
    EXPECT_EQ(l.error, "Open Comment at End of HTML File") << html;
    // The exception comes with the token after the end tag, which is still read.
    ASSERT_EQ(l.tokens.size(), 3u) << html;
    EXPECT_EQ(l.tokens[1].text, "keep");
    EXPECT_EQ(l.tokens[2].sy, PEndSy) << html;
  }
}

TEST(HtmlLexer, AttributeValueForms) {
  struct Case {
    std::string html;
    Symb which;
    std::string name;
    std::string text;
    int value;
  };
  const Case cases[] = {
      {"<td width=50%>", WidthSy, "WIDTH", "50%", 50},
      {"<td width=\"50%\">", WidthSy, "WIDTH", "50%", 50},
      {"<td width=\" 50% \">", WidthSy, "WIDTH", " 50% ", 50},
      {"<td width=\"abc\">", WidthSy, "WIDTH", "abc", 0},
      {"<td width=\"5%0\">", WidthSy, "WIDTH", "5%0", 5},
      {"<td width=12.5>", WidthSy, "WIDTH", "12.5", 12},
      {"<td width=13.5>", WidthSy, "WIDTH", "13.5", 14},
      {"<td width='-7.5'>", WidthSy, "WIDTH", "-7.5", -8},
      {"<td width=+3>", WidthSy, "WIDTH", "+3", 3},
      {"<td width=\".5\">", WidthSy, "WIDTH", ".5", 0},
      {"<td width=99999999999>", WidthSy, "WIDTH", "99999999999", 2147483647},
      {"<table border>", BorderSy, "BORDER", "", 1},
      {"<table border=abc>", BorderSy, "BORDER", "abc", 1},
      {"<table border=\"abc\">", BorderSy, "BORDER", "abc", 0},
      {"<table border=0>", BorderSy, "BORDER", "0", 0},
      {"<a href = 'x y.htm' >", HrefSy, "HREF", "x y.htm", 0},
      {"<a href=x.htm>", HrefSy, "HREF", "x.htm", 0},
      {"<a href=\"unterminated>", HrefSy, "HREF", "unterminated>", 0},
      {"<img alt=\"a\r\nb\">", AltSy, "ALT", "a\r\nb", 0},
      {"<img title=\"a\nb\">", TitleSy, "TITLE", "a\r\nb", 0},
      {"<a href=\"a\r\nb\">", HrefSy, "HREF", "ab", 0},
      {"<a href=\"<!-- x -->\">", HrefSy, "HREF", "<!-- x -->", 0},
      {"<p data-x=1>", OtherAttribute, "DATA-X", "1", 1},
      {"<meta http-equiv=refresh>", HttpEquivSy, "HTTP-EQUIV", "refresh", 0},
  };
  for (const Case& c : cases) {
    const Lexed l = lex(c.html);
    ASSERT_FALSE(l.tokens.empty()) << c.html;
    ASSERT_EQ(l.tokens[0].attrs.size(), 1u) << c.html;
    const TAttribute& a = l.tokens[0].attrs[0];
    EXPECT_EQ(a.Which, c.which) << c.html;
    EXPECT_EQ(a.WhichName, c.name) << c.html;
    EXPECT_EQ(a.Name, c.text) << c.html;
    EXPECT_EQ(a.Value, c.value) << c.html;
  }
}

TEST(HtmlLexer, AttributeListsEndAtTheFirstNonName) {
  const Lexed l = lex("<p a_b=1 align=left><p \"x\" align=left><td nowrap valign=top>z");
  ASSERT_EQ(l.tokens.size(), 4u);
  ASSERT_EQ(l.tokens[0].attrs.size(), 1u);
  EXPECT_EQ(l.tokens[0].attrs[0].WhichName, "A");
  EXPECT_TRUE(l.tokens[1].attrs.empty());
  ASSERT_EQ(l.tokens[2].attrs.size(), 2u);
  EXPECT_EQ(l.tokens[2].attrs[0].Which, NoWrapSy);
  EXPECT_EQ(l.tokens[2].attrs[1].Name, "top");
  EXPECT_EQ(l.tokens[3].text, "z");
}

TEST(HtmlLexer, AttributeListOperations) {
  THtmlLexer lexer;
  lexer.setDocument("<p id=Top class=\" Zeta  alpha \" title=T style=\"color:red\" Align=x><br>", 1252);
  lexer.begin();
  lexer.NextToken();
  const TAttributeList& list = lexer.Attributes;
  EXPECT_EQ(list.theID(), "top");
  EXPECT_EQ(list.theClass(), "alpha.zeta");
  EXPECT_EQ(list.theTitle(), "T");
  ASSERT_NE(list.find(AlignSy), nullptr);
  EXPECT_EQ(list.find(HrefSy), nullptr);
  EXPECT_EQ(list.asStrings(),
            (std::vector<std::string>{"ID=Top", "CLASS= Zeta  alpha ", "TITLE=T", "STYLE=color:red", "ALIGN=x"}));
  // Reused storage must not leak values into the next tag.
  lexer.NextToken();
  EXPECT_EQ(lexer.Attributes.count(), 0u);
  EXPECT_EQ(lexer.Attributes.theID(), "");
  lexer.setDocument("<p class=single>", 1252);
  lexer.begin();
  lexer.NextToken();
  EXPECT_EQ(lexer.Attributes.theClass(), "single");
}

TEST(HtmlLexer, LineEndsAndTabs) {
  struct Case {
    std::string input;
    std::string chars;
    std::vector<int> positions;
  };
  const Case cases[] = {
      {"a\r\nb", "a\rb", {0, 1, 3}},    {"a\n\rb", "a\rb", {0, 1, 3}},        {"a\rb", "a\rb", {0, 1, 2}},
      {"a\nb", "a\rb", {0, 1, 2}},      {"a\r\n\r\nb", "a\r\rb", {0, 1, 3, 5}}, {"a\n\nb", "a\r\rb", {0, 1, 2, 3}},
      {"a\r\rb", "a\r\rb", {0, 1, 2, 3}}, {"a\tb", "a b", {0, 1, 2}},
  };
  for (const Case& c : cases) {
    THtmlLexer lexer;
    lexer.setDocument(c.input, 1252);
    lexer.begin();
    std::string chars;
    std::vector<int> positions;
    for (; lexer.LCh != '\0'; lexer.ReadChar()) {
      chars += lexer.LCh;
      positions.push_back(lexer.LCPos);
    }
    EXPECT_EQ(chars, c.chars);
    EXPECT_EQ(positions, c.positions);
  }
}

TEST(HtmlLexer, WhitespaceRunsBecomeOneSpaceAtTheFirstPosition) {
  const Lexed l = lex("a \t\r\n  b\x01" "c");
  ASSERT_EQ(l.tokens.size(), 2u);
  EXPECT_EQ(l.tokens[0].text, "a b");
  EXPECT_EQ(l.tokens[0].positions, (std::vector<int>{0, 1, 7}));
  // A control character ends the text and reads as "?" on the next call.
  EXPECT_EQ(l.tokens[1].text, "?c");
  EXPECT_EQ(l.tokens[1].positions, (std::vector<int>{8, 9}));
}

TEST(HtmlLexer, PositionsCountDocumentBytes) {
  const Lexed l = lex("ab<p>\xD0\x9F" "c<b>", 65001);
  ASSERT_EQ(l.tokens.size(), 4u);
  EXPECT_EQ(l.tokens[0].positions, (std::vector<int>{0, 1}));
  EXPECT_EQ(l.tokens[1].tagPos, 2);
  EXPECT_EQ(l.tokens[2].text, "Пc");
  EXPECT_EQ(l.tokens[2].positions, (std::vector<int>{5, 7}));
  EXPECT_EQ(l.tokens[3].tagPos, 8);
}

TEST(HtmlLexer, ByteOrderMarkMakesUtf8AndKeepsByteOffsets) {
  THtmlLexer lexer;
  const Lexed l = lexWith(lexer, "\xEF\xBB\xBF\xD0\x9F" "a<p>b", 1251);
  EXPECT_TRUE(lexer.BomSeen);
  EXPECT_EQ(lexer.DocCodePage, 65001);
  ASSERT_EQ(l.tokens.size(), 3u);
  EXPECT_EQ(l.tokens[0].text, "Пa");
  EXPECT_EQ(l.tokens[0].positions, (std::vector<int>{3, 5}));
  EXPECT_EQ(l.tokens[1].tagPos, 6);
  EXPECT_EQ(l.tokens[2].positions, (std::vector<int>{9}));
  // After a byte-order mark the document's own declarations are ignored.
  EXPECT_FALSE(lexer.applyContentType("text/html; charset=windows-1251").has_value());
  EXPECT_EQ(lexer.DocCodePage, 65001);
}

// Pages a Windows editor saved as "Unicode": UTF-16 or UTF-32 after their byte-order mark, either byte
// order, characters outside the 16-bit range included.
TEST(HtmlLexer, UnicodePagesWithAByteOrderMark) {
  // "<b t=\"é\">П😀</b>" in each form.
  const std::string utf16le("\xFF\xFE<\0b\0 \0t\0=\0\"\0\xE9\0\"\0>\0\x1F\x04\x3D\xD8\x00\xDE<\0/\0b\0>\0", 32);
  const std::string utf16be("\xFE\xFF\0<\0b\0 \0t\0=\0\"\0\xE9\0\"\0>\x04\x1F\xD8\x3D\xDE\x00\0<\0/\0b\0>", 32);
  std::string utf32le("\xFF\xFE\0\0", 4), utf32be("\0\0\xFE\xFF", 4);
  for (const char32_t c : std::u32string(U"<b t=\"\u00E9\">\u041F\U0001F600</b>")) {
    for (int k = 0; k < 4; ++k) utf32le += static_cast<char>((c >> (8 * k)) & 0xFF);
    for (int k = 3; k >= 0; --k) utf32be += static_cast<char>((c >> (8 * k)) & 0xFF);
  }
  for (const std::string& page : {utf16le, utf16be, utf32le, utf32be}) {
    THtmlLexer lexer;
    const Lexed l = lexWith(lexer, page, 1251);
    EXPECT_TRUE(lexer.BomSeen);
    ASSERT_EQ(l.tokens.size(), 3u) << page.size();
    ASSERT_EQ(l.tokens[0].attrs.size(), 1u);
    EXPECT_EQ(l.tokens[0].attrs[0].Name, "\xC3\xA9");
    EXPECT_EQ(l.tokens[1].text, "\xD0\x9F\xF0\x9F\x98\x80");
    EXPECT_EQ(l.tokens[2].sy, BEndSy);
    // Their declarations do not change what the mark said.
    EXPECT_FALSE(lexer.applyContentType("text/html; charset=windows-1251").has_value());
  }
  // An odd last byte of UTF-16 and an unpaired surrogate are replaced, not misread.
  const Lexed broken = lex(std::string("\xFF\xFE" "a\0\x00\xD8" "b\0" "c", 9));
  ASSERT_EQ(broken.tokens.size(), 1u);
  EXPECT_EQ(broken.tokens[0].text, "a\xEF\xBF\xBD"
                                   "b\xEF\xBF\xBD");
}

TEST(HtmlLexer, NulCharacters) {
  const std::string doc = "x" + std::string(150, '\0') + "y";
  THtmlLexer lexer;
  const Lexed l = lexWith(lexer, doc, 1252);
  EXPECT_EQ(lexer.Document(), "x" + std::string(100, ' '));
  ASSERT_EQ(l.tokens.size(), 1u);
  EXPECT_EQ(l.tokens[0].text, "x ");
  EXPECT_EQ(texts(lex(std::string("a\0b", 3))), "a b");
}

TEST(HtmlLexer, JapaneseDocuments) {
  // 7-bit JIS is converted before reading and read as Shift_JIS.
  THtmlLexer jis;
  const Lexed l = lexWith(jis, "<p>\x1b$BF|K\\\x1b(B!", 1252);
  EXPECT_EQ(jis.DocCodePage, 932);
  EXPECT_EQ(texts(l), "日本!");

  // EUC-JP named by a META declaration converts the rest of the document.
  THtmlLexer euc;
  euc.setDocument("<meta content=\"text/html; charset=EUC-JP\">\xC6\xFC\xCB\xDC", 1252);
  euc.begin();
  euc.NextToken();
  ASSERT_EQ(euc.Sy, MetaSy);
  const auto applied = euc.applyContentType(euc.Attributes.find(ContentSy)->Name);
  ASSERT_TRUE(applied.has_value());
  EXPECT_EQ(applied->CharSet, 128);
  euc.TextCodePage = euc.DocCodePage;
  euc.NextToken();
  EXPECT_EQ(wideToUtf8(euc.Token.S()), "日本");
}

TEST(HtmlLexer, ContentTypeDeclarations) {
  struct Case {
    const char* content;
    int codePage;  // 0: nothing applied
  };
  const Case cases[] = {{"text/html; charset=windows-1251", 1251},
                        {"text/html; charset=utf-8", 65001},
                        {"text/html; charset=big5", 950},
                        {"text/html", 0}};
  for (const Case& c : cases) {
    THtmlLexer lexer;
    lexer.setDocument("x", 1252);
    const auto applied = lexer.applyContentType(c.content);
    EXPECT_EQ(applied.has_value(), c.codePage != 0) << c.content;
    EXPECT_EQ(lexer.DocCodePage, c.codePage ? c.codePage : 1252) << c.content;
  }
}

TEST(HtmlLexer, IncludeDirectiveFeedsTextIntoTheRunningLexer) {
  THtmlLexer lexer;
  std::vector<std::string> commands;
  std::vector<std::string> params;
  lexer.OnInclude = [&](const std::string& command, const std::vector<std::string>& p, std::string& s) {
    commands.push_back(command);
    params = p;
    if (command == "inc") s = "b<b>c</b><!--#nested-->";
    if (command == "nested") s = "N";
  };
  const Lexed l = lexWith(lexer, "a<!--#inc file=\"x &amp;\r\ny.htm\" n=2-->d", 1252);
  EXPECT_EQ(commands, (std::vector<std::string>{"inc", "nested"}));
  EXPECT_EQ(params, (std::vector<std::string>{}));  // "nested" has none
  ASSERT_EQ(l.tokens.size(), 5u);
  EXPECT_EQ(l.tokens[0].text, "ab");
  // Included characters do not advance the position: they stand where the comment ended.
  EXPECT_EQ(l.tokens[0].positions, (std::vector<int>{0, 37}));
  EXPECT_EQ(l.tokens[1].sy, BSy);
  EXPECT_EQ(l.tokens[3].sy, BEndSy);
  EXPECT_EQ(l.tokens[4].text, "Nd");
  EXPECT_EQ(l.tokens[4].positions, (std::vector<int>{37, 38}));

  THtmlLexer second;
  second.OnInclude = [&](const std::string&, const std::vector<std::string>& p, std::string&) { params = p; };
  lexWith(second, "<!--#inc file=\"x &amp;\r\ny.htm\" n=2 m-->", 1252);
  EXPECT_EQ(params, (std::vector<std::string>{"file=x & y.htm", "n=2", "m="}));
}

TEST(HtmlLexer, SelfIncludingDirectiveStops) {
  THtmlLexer lexer;
  int calls = 0;
  lexer.OnInclude = [&](const std::string&, const std::vector<std::string>&, std::string& s) {
    ++calls;
    s = "<!--#again-->";
  };
  const Lexed l = lexWith(lexer, "a<!--#again-->b", 1252);
  EXPECT_EQ(calls, THtmlLexer::kMaxIncludes);
  EXPECT_EQ(texts(l), "ab");
}

TEST(HtmlLexer, PlainTextModeKeepsMarkup) {
  THtmlLexer lexer;
  lexer.PlainText = true;
  const Lexed l = lexWith(lexer, "<p>a <!-- c --> &amp;", 1252);
  EXPECT_EQ(texts(l), "<p>a <!-- c --> &");
}

TEST(HtmlLexer, CountingPassCollectsNothingAndBuildingPassRecordsIds) {
  std::vector<std::pair<std::string, int>> ids;
  std::vector<size_t> progress;
  THtmlLexer lexer;
  lexer.OnIdAttribute = [&](const std::string& id, int pos) { ids.emplace_back(id, pos); };
  lexer.OnProgress = [&](size_t read, size_t total) {
    EXPECT_EQ(total, 9000u + 17u);
    progress.push_back(read);
  };
  const std::string doc = "<p id=Top>" + std::string(9000, 'x') + "<a id=>";
  lexer.CountingPass = true;
  const Lexed counted = lexWith(lexer, doc, 1252);
  ASSERT_EQ(counted.tokens.size(), 3u);
  EXPECT_EQ(counted.tokens[1].text, "");
  EXPECT_TRUE(ids.empty());
  EXPECT_TRUE(progress.empty());

  lexer.CountingPass = false;
  const Lexed built = lexWith(lexer, doc, 1252);
  EXPECT_EQ(built.tokens[1].text.size(), 9000u);
  EXPECT_EQ(ids, (std::vector<std::pair<std::string, int>>{{"Top", 9}}));
  EXPECT_EQ(progress, (std::vector<size_t>{4096, 8192}));
}

TEST(HtmlLexer, ScriptAndStyleStopAtTheirClosingBracket) {
  THtmlLexer lexer;
  lexer.setDocument("<script language=js>if (a<b) x();</script>", 1252);
  lexer.begin();
  lexer.NextToken();
  EXPECT_EQ(lexer.Sy, ScriptSy);
  EXPECT_EQ(lexer.LCh, '>');
}

TEST(HtmlLexer, LongTagNamesAreCut) {
  const Lexed l = lex("<" + std::string(1000, 'a') + " x=1>t");
  ASSERT_EQ(l.tokens.size(), 2u);
  EXPECT_EQ(l.tokens[0].sy, UnknownSy);
  EXPECT_EQ(l.tokens[1].text, "t");
}

TEST(HtmlLexer, leadingNumber) {
  EXPECT_EQ(leadingNumber("12px"), 12);
  EXPECT_EQ(leadingNumber("2.5"), 2);
  EXPECT_EQ(leadingNumber("3.5"), 4);
  EXPECT_EQ(leadingNumber("-0.5"), 0);
  EXPECT_EQ(leadingNumber("1e3"), 1);
  EXPECT_EQ(leadingNumber("-99999999999"), -2147483647 - 1);
  EXPECT_FALSE(leadingNumber("+").has_value());
  EXPECT_FALSE(leadingNumber("x1").has_value());
  EXPECT_FALSE(leadingNumber("").has_value());
}

}  // namespace
}  // namespace lumora::html
