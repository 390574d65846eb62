// The CSS reader: sheets into style-list keys, shorthands, at-rules, comments, STYLE elements read through the
// lexer, and STYLE attributes.
#include "html/css_parser.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "html/html_lexer.h"
#include "html/html_style_list.h"
#include "html/html_style_props.h"

namespace lumora::html {
namespace {

constexpr TColor rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// A property as the tests compare it: the stored text, an integer in decimal, or "-" when unset.
std::string Value(const TProperties* p, int index) {
  if (p == nullptr) return "<no rule>";
  const TPropValue& v = p->prop(index);
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  if (const auto* i = std::get_if<int>(&v)) return *i == kUnsetLength ? "-" : std::to_string(*i);
  if (const auto* d = std::get_if<double>(&v)) return std::to_string(*d);
  return "-";
}

void readSheet(TStyleList& list, const std::string& text, const std::string& base = "") {
  readLinkedStyleSheet(list, text, base);
}

struct RuleCase {
  const char* sheet;
  const char* key;
  int prop;
  std::string expected;
};

class CssSheet : public ::testing::TestWithParam<RuleCase> {};

TEST_P(CssSheet, StoresDeclarationUnderKey) {
  const RuleCase& c = GetParam();
  TStyleList list;
  readSheet(list, c.sheet);
  EXPECT_EQ(Value(list.find(c.key), c.prop), c.expected) << c.sheet << " / " << c.key;
}

const std::string kRed = std::to_string(rgb(255, 0, 0));
const std::string kBlue = std::to_string(rgb(0, 0, 255));

INSTANTIATE_TEST_SUITE_P(
    Rules, CssSheet,
    ::testing::Values(
        // Comments, including a doubled closing star and a comment right after another.
        RuleCase{"p{color:red}/* c **/ h1 {margin-top:1px}", "h1", MarginTop, "1px"},
        RuleCase{"/* a *//* b */p/**/{margin-top:2px}", "p", MarginTop, "2px"},
        RuleCase{"p { margin-top: 1px /* x */ }", "p", MarginTop, "1px"},
        RuleCase{"p { margin-top: 1px/2px }", "p", MarginTop, "1px/2px"},
        // Names and values are lower-cased, one pair of quotes goes, "=" works as ":", !important stays.
        RuleCase{"P { FONT-FAMILY: 'Courier New' }", "p", FontFamily, "courier new"},
        RuleCase{"p { margin-top = 4PX }", "p", MarginTop, "4px"},
        RuleCase{"p { margin-top: 3px !important }", "p", MarginTop, "3px !important"},
        RuleCase{"p { bogus: 1; margin-left: 5px }", "p", MarginLeft, "5px"},
        // Selector lists, child and attribute selectors.
        RuleCase{"h1, h2 ,h3 { margin: 0 }", "h1", MarginLeft, "0"},
        RuleCase{"h1, h2 ,h3 { margin: 0 }", "h2", MarginTop, "0"},
        RuleCase{"h1, h2 ,h3 { margin: 0 }", "h3", MarginBottom, "0"},
        RuleCase{"div > p { color: red }", "div", Color, kRed},
        RuleCase{"div > p { color: red }", "p", Color, "<no rule>"},
        RuleCase{"a[href] { margin-top: 1px }", "a", MarginTop, "1px"},
        // Compound selectors are sorted into one key form.
        RuleCase{"A:hover#top { color: red }", "a#top:hover", Color, kRed},
        RuleCase{"#top.x { color: red }", ".x#top", Color, kRed},
        RuleCase{"p.note { color: red }", "p.note", Color, kRed},
        RuleCase{"P.Zeta.alpha { color: red }", "p.alpha.zeta", Color, kRed},
        // Box shorthands with one to four words.
        RuleCase{"p { margin: 1px 2px 3px }", "p", MarginTop, "1px"},
        RuleCase{"p { margin: 1px 2px 3px }", "p", MarginRight, "2px"},
        RuleCase{"p { margin: 1px 2px 3px }", "p", MarginBottom, "3px"},
        RuleCase{"p { margin: 1px 2px 3px }", "p", MarginLeft, "2px"},
        RuleCase{"p { padding: 1px 2px }", "p", PaddingBottom, "1px"},
        RuleCase{"p { padding: 1px 2px }", "p", PaddingLeft, "2px"},
        RuleCase{"p { padding: 1px 2px 3px 4px 5px }", "p", PaddingLeft, "4px"},
        RuleCase{"p { border-width: 1px  2px 3px 4px }", "p", BorderRightWidth, "2px"},
        RuleCase{"p { border-style: dashed solid }", "p", BorderLeftStyle, "solid"},
        // border and border-side.
        RuleCase{"div { border: 1px solid red }", "div", BorderTopWidth, "1px"},
        RuleCase{"div { border: 1px solid red }", "div", BorderLeftWidth, "1px"},
        RuleCase{"div { border: 1px solid red }", "div", BorderStyle, "solid"},
        RuleCase{"div { border: 1px solid red }", "div", BorderColor, kRed},
        RuleCase{"div { border: rgb(0, 0, 255) 2px }", "div", BorderColor, std::to_string(rgb(0, 0, 255) | kPaletteRelative)},
        RuleCase{"div { border-left: thin dotted }", "div", BorderLeftWidth, "thin"},
        RuleCase{"div { border-left: thin dotted }", "div", BorderLeftStyle, "dotted"},
        RuleCase{"div { border-left: thin dotted }", "div", BorderTopWidth, "-"},
        // font.
        RuleCase{"p { font: bold 12px/1.5 arial, sans-serif }", "p", FontWeight, "bold"},
        RuleCase{"p { font: bold 12px/1.5 arial, sans-serif }", "p", FontSize, "12px"},
        RuleCase{"p { font: bold 12px/1.5 arial, sans-serif }", "p", LineHeight, "1.5"},
        RuleCase{"p { font: bold 12px/1.5 arial, sans-serif }", "p", FontFamily, "arial,sans-serif"},
        RuleCase{"p { font: italic small-caps 700 9 serif }", "p", FontSize, "9"},
        RuleCase{"p { font: italic small-caps 700 9 serif }", "p", FontWeight, "-"},
        RuleCase{"p { font: italic small-caps 700 9 serif }", "p", FontVariant, "small-caps"},
        RuleCase{"p { font: italic small-caps 700 9 serif }", "p", FontStyle, "italic"},
        RuleCase{"p { font: x-large \"Times New Roman\" }", "p", FontFamily, "\"times new roman\""},
        // background and list-style without a base leave url()s as written. The position words go out each
        // followed by a space; the style list stores values trimmed.
        RuleCase{"p { background: #ff0000 url(a.gif) repeat-x fixed center }", "p", BackgroundImage, "url(a.gif)"},
        RuleCase{"p { background: #ff0000 url(a.gif) repeat-x fixed center }", "p", BackgroundRepeat, "repeat-x"},
        RuleCase{"p { background: #ff0000 url(a.gif) repeat-x fixed center }", "p", BackgroundAttachment, "fixed"},
        RuleCase{"p { background: #ff0000 url(a.gif) repeat-x fixed center }", "p", BackgroundPosition, "center"},
        RuleCase{"p { background: none 10% 20px 30px }", "p", BackgroundPosition, "20px 30px"},
        RuleCase{"p { background: none 10% 20px 30px }", "p", BackgroundImage, "none"},
        RuleCase{"p { background: rgb(0,0,255) }", "p", BackgroundColor, std::to_string(rgb(0, 0, 255) | kPaletteRelative)},
        RuleCase{"ul { list-style: square url(dot.gif) }", "ul", ListStyleImage, "url(dot.gif)"},
        RuleCase{"ul { list-style: square url(dot.gif) }", "ul", ListStyleType, "square"},
        // At-rules: screen blocks apply, other media and other at-rules are skipped.
        RuleCase{"@media print { p { color: red } } h1 { color: blue }", "p", Color, "<no rule>"},
        RuleCase{"@media print { p { color: red } } h1 { color: blue }", "h1", Color, kBlue},
        RuleCase{"@media screen, print { p { color: red } h2 {color:blue} } h1 { color: blue }", "h2", Color, kBlue},
        RuleCase{"@media Screen { p { color: red } }", "p", Color, kRed},
        RuleCase{"@import url(x.css); @charset 'x'; p { color: red }", "p", Color, kRed},
        RuleCase{"@font-face { font-family: x; src: url(y) } @page { @top { x: y } } p { color: red }", "p",
                 Color, kRed},
        // An HTML comment around the sheet is passed over.
        RuleCase{"<!--\r\np { color: red }\r\n-->", "p", Color, kRed},
        RuleCase{"p{margin-top:1px}\n\n\tdiv\t{\tmargin-top :\t2px\t}", "div", MarginTop, "2px"}));

TEST(CssSheetKeys, DescendantRulesGetKeysOfTheirOwn) {
  TStyleList list;
  readSheet(list, "ul li { color: red }\nul  li { font-weight: bold }\nul li a { color: blue }");
  std::vector<std::string> keys;
  for (const auto& [key, rule] : list.descendantRules()) keys.emplace_back(key);
  ASSERT_EQ(keys.size(), 3u);
  // Subject, a space, the ancestor count followed by a sequence number, then the ancestors nearest first;
  // the sequence numbers follow the sheet.
  auto sequence = [](const std::string& key, const std::string& head, const std::string& tail) {
    EXPECT_TRUE(key.starts_with(head) && key.ends_with(tail)) << key;
    const std::string digits = key.substr(head.size(), key.size() - head.size() - tail.size());
    EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << key;
    return std::stoi(digits);
  };
  const int first = sequence(keys[1], "li 1", "ul");
  EXPECT_EQ(sequence(keys[2], "li 1", "ul"), first + 1);
  EXPECT_EQ(sequence(keys[0], "a 2", "li ul"), first + 2);
  EXPECT_EQ(Value(list.find(keys[1]), Color), kRed);
  EXPECT_EQ(Value(list.find(keys[2]), FontWeight), "bold");
}

TEST(CssSheetKeys, LongSelectorListGetsEveryDeclaration) {
  std::string sheet;
  for (int i = 0; i < 300; ++i) sheet += ".c" + std::to_string(i) + ", ";
  sheet += "h6 {";
  for (int i = 0; i < 40; ++i) sheet += " border: " + std::to_string(i) + "px solid red; margin: 1px 2px;";
  sheet += " padding-top: 9px }";
  TStyleList list;
  readSheet(list, sheet);
  for (const char* key : {".c0", ".c299", "h6"}) {
    EXPECT_EQ(Value(list.find(key), BorderLeftWidth), "39px") << key;
    EXPECT_EQ(Value(list.find(key), PaddingTop), "9px") << key;
  }
}

// The sheet read into a document's style list, applied to elements the way the builder does.
class CssCascade : public ::testing::Test {
 protected:
  void SetUp() override {
    Styles.BuildDefaults("Times New Roman", "Courier New", 10, 15, 1, true, rgb(1, 1, 1), rgb(2, 2, 2),
                         rgb(3, 3, 3), rgb(0, 0, 0), 12);
    Stack.push(std::make_unique<TProperties>(*Styles.find("default")));
  }
  TProperties& Open(const std::string& tag, const std::string& id = "", const std::string& pseudo = "",
                    std::shared_ptr<TProperties> inl = nullptr, const std::string& cls = "") {
    auto p = std::make_unique<TProperties>();
    p->InheritFrom(tag, Stack.last());
    p->ApplyRules(Styles, Stack, Stack.count() - 1, tag, cls, id, pseudo, "", inl);
    return Stack.push(std::move(p));
  }
  TStyleList Styles;
  TPropStack Stack;
};

TEST_F(CssCascade, DescendantRulesApplyInSheetOrder) {
  readSheet(Styles, "ul li { color: red; font-weight: bold } ul li { color: blue }");
  Open("ul");
  const TProperties& li = Open("li");
  EXPECT_EQ(li.colorValue(), rgb(0, 0, 255));
  EXPECT_EQ(Value(&li, FontWeight), "bold");
}

TEST_F(CssCascade, SheetOrderHoldsPastAHundredDescendantRules) {
  // Rule numbers 10 to 130: the last rule wins even where its number has more digits than an earlier one's.
  std::string sheet;
  for (int i = 0; i < 120; ++i) sheet += "ul li { z-index: " + std::to_string(i) + " }\n";
  // A page's own rule for P inside PRE comes after the built-in one.
  sheet += "pre p { margin-top: 7px }";
  readSheet(Styles, sheet);
  Open("ul");
  EXPECT_EQ(Value(&Open("li"), ZIndex), "119");
  Stack.pop();
  Stack.pop();
  Open("pre");
  EXPECT_EQ(Value(&Open("p"), MarginTop), "7px");
}

TEST_F(CssCascade, CompoundKeysAreFoundForIdAndPseudoClass) {
  readSheet(Styles, "a#top:hover { color: red } #top:hover { font-weight: bold } div > p { color: green }");
  const TProperties& a = Open("a", "top", "hover");
  EXPECT_EQ(a.colorValue(), rgb(255, 0, 0));
  EXPECT_EQ(Value(&a, FontWeight), "bold");
  Stack.pop();
  const TProperties& span = Open("span", "top", "hover");
  EXPECT_EQ(Value(&span, FontWeight), "bold");
  EXPECT_NE(span.colorValue(), rgb(255, 0, 0));
  Stack.pop();
  // Two classes written in any order: the element's sorted class list finds the rule.
  readSheet(Styles, "p.zeta.alpha { text-align: right }");
  EXPECT_EQ(Value(&Open("p", "", "", nullptr, "alpha.zeta"), TextAlign), "right");
  Stack.pop();
  EXPECT_EQ(Open("div").colorValue(), rgb(0, 128, 0));
  EXPECT_EQ(Open("p").colorValue(), rgb(0, 128, 0));  // inherited from the DIV, not a rule of its own
  EXPECT_FALSE(Stack.last().setHere(Color));
}

TEST_F(CssCascade, InlineStyleOverridesSheet) {
  readSheet(Styles, "p { color: blue; margin-left: 1px }");
  auto inl = std::make_shared<TProperties>();
  ReadInlineStyle("color: RED; FONT-SIZE: 12PT; margin: 1px 2px", *inl);
  const TProperties& p = Open("p", "", "", inl);
  EXPECT_EQ(p.colorValue(), rgb(255, 0, 0));
  EXPECT_EQ(p.fontSizePoints(), 12.0);
  EXPECT_EQ(Value(&p, MarginLeft), "2px");
}

struct InlineCase {
  const char* style;
  int prop;
  std::string expected;
};

class CssInline : public ::testing::TestWithParam<InlineCase> {};

TEST_P(CssInline, SetsProperty) {
  TProperties p;
  ReadInlineStyle(GetParam().style, p);
  EXPECT_EQ(Value(&p, GetParam().prop), GetParam().expected) << GetParam().style;
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, CssInline,
    ::testing::Values(InlineCase{"color: RED; FONT-SIZE: 12PT", Color, kRed},
                      InlineCase{"color: RED; FONT-SIZE: 12PT", FontSize, "12pt"},
                      InlineCase{"color: nonsense", Color, "0"},
                      InlineCase{"  ;;margin-top = 1px ; margin-left:'2px'", MarginLeft, "2px"},
                      InlineCase{"margin-top: 1px }; padding-top: 2px", MarginTop, "1px }"},
                      InlineCase{"font: bold 10pt/12pt courier", LineHeight, "12pt"},
                      InlineCase{"background: url(a.gif) no-repeat", BackgroundImage, "url(a.gif)"},
                      InlineCase{"border: 2px\rdashed", BorderStyle, "dashed"},
                      InlineCase{"margin-top", MarginTop, "-"}));

TEST(CssStyleElement, ReadsThroughLexerAndHandsBackTheEndTag) {
  struct Case {
    const char* document;
    const char* key;
    int prop;
    std::string expected;
  };
  const Case cases[] = {
      {"<style type=\"text/css\"><!--\n p { color: red }\n--></style><b>x", "p", Color, kRed},
      {"<STYLE>\n\th1 {\tmargin-top: 2px }\n</STYLE><b>x", "h1", MarginTop, "2px"},
      // An unclosed comment stops at the end tag; the sheet ends there.
      {"<style>p { margin-top: 1px } /* open\n h1 { color: red }</style><b>x", "p", MarginTop, "1px"},
      {"<style>p { margin-top: 1px } /* open\n h1 { color: red }</style><b>x", "h1", Color, "<no rule>"},
      // "<" ends a declaration block and the sheet.
      {"<style>p { margin-top: 1px; color: red </style><b>x", "p", Color, kRed},
  };
  for (const Case& c : cases) {
    THtmlLexer lexer;
    lexer.setDocument(c.document, 1252);
    lexer.begin();
    lexer.NextToken();
    ASSERT_EQ(lexer.Sy, StyleSy) << c.document;
    TStyleList list;
    readStyleElement(list, lexer);
    EXPECT_EQ(Value(list.find(c.key), c.prop), c.expected) << c.document;
    lexer.NextToken();
    EXPECT_EQ(lexer.Sy, StyleEndSy) << c.document;
    lexer.NextToken();
    EXPECT_EQ(lexer.Sy, BSy) << c.document;
  }
}

TEST(CssStyleElement, EndOfInputEndsTheSheet) {
  char current = 'p';
  const std::string rest = " { margin-top: 1px }";
  size_t pos = 0;
  TStyleList list;
  ReadStyleSheet(list, current, [&]() -> char { return pos < rest.size() ? rest[pos++] : 0; }, false, "");
  EXPECT_EQ(current, 0);
  EXPECT_EQ(Value(list.find("p"), MarginTop), "1px");
}

TEST(CssStyleElement, ReturnsEndingCharacterUpperCased) {
  // In a STYLE element "<" ends the sheet and comes back as the current character.
  char current = ' ';
  const std::string rest = "p{margin-top:1px}</style>";
  size_t pos = 0;
  TStyleList list;
  ReadStyleSheet(list, current, [&]() -> char { return pos < rest.size() ? rest[pos++] : 0; }, false, "");
  EXPECT_EQ(current, '<');
  EXPECT_EQ(rest.substr(pos), "/style>");
}

TEST(CssLinkedSheet, RewritesUrlsAgainstItsBase) {
  struct Case {
    const char* base;
    const char* sheet;
    int prop;
    std::string expected;
  };
  const Case cases[] = {
      {"c:\\pub\\css\\", "div { background: url(img/a.gif) no-repeat top left }", BackgroundImage,
       "url(c:\\pub\\css\\img\\a.gif)"},
      {"c:\\pub\\css\\", "div { background: url(img/a.gif) no-repeat top left }", BackgroundRepeat, "no-repeat"},
      {"c:\\pub\\css\\", "div { background: url(img/a.gif) no-repeat top left }", BackgroundPosition, "top left"},
      {"c:\\pub\\css\\", "div { background-image: url('d:/x.gif') }", BackgroundImage, "url(d:\\x.gif)"},
      {"c:\\pub\\css\\", "div { list-style-image: url(\"a%20b.gif\") }", ListStyleImage, "url(c:\\pub\\css\\a b.gif)"},
      {"c:\\pub\\css\\", "div { list-style: url(dot.gif) }", ListStyleImage, "url(c:\\pub\\css\\dot.gif)"},
      {"http://h/a/css/", "div { background-image: url('../i/b.png') }", BackgroundImage, "url(http://h/a/i/b.png)"},
      {"http://h/a/css/", "div { background-image: url(http://x/y.png) }", BackgroundImage, "url(http://x/y.png)"},
      // A sheet without a base (a STYLE element) leaves addresses alone.
      {"", "div { background-image: url(img/a.gif) }", BackgroundImage, "url(img/a.gif)"},
      // In a linked sheet "<" does not end the sheet.
      {"", "<!-- x --> <b> p { margin-top: 1px } </x> div { margin-top: 2px }", MarginTop, "2px"},
  };
  for (const Case& c : cases) {
    TStyleList list;
    readSheet(list, c.sheet, c.base);
    const char* key = std::string(c.sheet).find("div") != std::string::npos ? "div" : "p";
    EXPECT_EQ(Value(list.find(key), c.prop), c.expected) << c.sheet;
  }
}

// The STYLE attribute is read directly, whether or not anything was parsed before.
TEST(CssInstall, AttributeListParsesItsStyle) {
  THtmlLexer lexer;
  lexer.setDocument("<p style=\"Color: Red; margin: 1px\"><p>", 1252);
  lexer.begin();
  lexer.NextToken();
  const std::shared_ptr<TProperties> style = parseStyleAttribute(lexer.Attributes);
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->colorValue(), rgb(255, 0, 0));
  EXPECT_EQ(Value(style.get(), MarginRight), "1px");
  lexer.NextToken();
  EXPECT_EQ(parseStyleAttribute(lexer.Attributes), nullptr);
}

// Hostile shapes finish, and what follows them still reads.
TEST(CssHostile, LargeInputsStayLinear) {
  struct Case {
    std::string name;
    std::string sheet;
  };
  std::string deep = "@media print ";
  deep.append(200000, '{');
  deep.append(200000, '}');
  // Inside a screen block the rules are read flat: a run of "{" is one declaration block.
  std::string deepScreen = "@media screen ";
  deepScreen.append(200000, '{');
  deepScreen += "} } ";
  std::string longValue = "p { font-family: ";
  longValue.append(1 << 20, 'x');
  longValue += "; background: ";
  for (int i = 0; i < 20000; ++i) longValue += "url(a) ";
  longValue += "} ";
  std::string wide;
  for (int i = 0; i < 3000; ++i) wide += "p" + std::to_string(i) + ",";
  wide += "q{";
  for (int i = 0; i < 3000; ++i) wide += "margin-top:" + std::to_string(i) + "px;";
  wide += "} ";
  std::string comments;
  for (int i = 0; i < 100000; ++i) comments += "/* a *//**/";
  std::string descendant(200000, ' ');
  for (size_t i = 0; i < descendant.size(); i += 2) descendant[i] = 'a';
  descendant += "{margin-top:1px} ";
  const Case cases[] = {{"deep", deep}, {"deep screen", deepScreen}, {"long value", longValue}, {"wide", wide}, {"comments", comments},
                        {"descendant", descendant}};
  for (const Case& c : cases) {
    TStyleList list;
    readSheet(list, c.sheet + "h6 { margin-top: 7px }");
    EXPECT_EQ(Value(list.find("h6"), MarginTop), "7px") << c.name;
  }
}

}  // namespace
}  // namespace lumora::html
