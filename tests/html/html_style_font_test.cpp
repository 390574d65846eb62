// Fonts of property sets: family lists, realised metrics, and the four fonts of a link.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "html/html_style_list.h"

namespace lumora::html {
namespace {

constexpr TColor rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// Fixed metrics: cell height is 5/4 of the character height; "Symbol" is a symbol font.
class FakeFonts : public ITextMetrics {
 public:
  bool isFontInstalled(std::string_view family) const override {
    static const std::set<std::string, std::less<>> installed = {"Arial", "Courier New", "Times New Roman",
                                                                  "Symbol"};
    return installed.contains(family);
  }
  TFontHandle realizeFont(const TFontRequest& r) override {
    ++RealizeCalls;
    LastRequest = r;
    TRealizedFont m;
    m.CellHeight = r.Height + r.Height / 4;
    m.InternalLeading = r.Height / 4;
    m.Descent = r.Height / 5;
    m.ExternalLeading = 1;
    m.AveCharWidth = r.Height / 2;
    m.MaxCharWidth = r.Height;
    m.CharSet = r.Name == "Symbol" ? kSymbolCharSet : (r.CharSet == kDefaultCharSet ? 0 : r.CharSet);
    fonts_.push_back(m);
    return static_cast<TFontHandle>(fonts_.size());
  }
  const TRealizedFont& fontMetrics(TFontHandle f) const override { return fonts_.at(static_cast<size_t>(f - 1)); }
  int textAdvances(TFontHandle, std::u16string_view, int*) override { return 0; }
  int RealizeCalls = 0;
  TFontRequest LastRequest;

 private:
  std::vector<TRealizedFont> fonts_;
};

TEST(HtmlStyleFont, FamilyLists) {
  FakeFonts fonts;
  struct Case {
    const char* list;
    const char* expected;
  };
  const Case cases[] = {
      {"'Foo', sans-serif", "Arial"},     {"\"Courier New\"", "Courier New"}, {"Foo, Bar", "Fallback"},
      {" Monospace ,Arial", "Courier New"}, {"", "Fallback"},                 {",,serif", "Times New Roman"},
  };
  for (const Case& c : cases) EXPECT_EQ(resolveFontFamily(c.list, &fonts, "Fallback"), c.expected) << c.list;
  EXPECT_EQ(resolveFontFamily("Foo, Arial", nullptr, "Fallback"), "Foo");
}

TEST(HtmlStyleFont, StyleWords) {
  struct Case {
    int start;
    int prop;
    const char* value;
    int expected;
  };
  const Case cases[] = {
      {0, FontWeight, "bold", kFontBold},       {0, FontWeight, "700", kFontBold},
      {0, FontWeight, "500", 0},                {kFontBold, FontWeight, "normal", 0},
      {0, FontStyle, "oblique", kFontItalic},   {kFontItalic, FontStyle, "normal", 0},
      {kFontItalic, FontStyle, "none", kFontItalic},
      {0, TextDecoration, "underline line-through", kFontUnderline | kFontStrikeOut},
      {kFontUnderline | kFontBold, TextDecoration, "none", kFontBold},
      {0, FontWeight, "99999999999999999999", kFontBold},
  };
  for (const Case& c : cases) EXPECT_EQ(applyFontStyleWord(c.start, c.prop, c.value), c.expected) << c.value;
}

TEST(HtmlStyleFont, MakeFontRealisesOnceAndSetsEmSizes) {
  FakeFonts fonts;
  TProperties p;
  p.Fonts = &fonts;
  p.DefFontname = "Times New Roman";
  p.setProp(FontFamily, std::string("NoSuchFace"));
  p.setProp(FontSize, 12.0);
  p.SetInlineProperty("font-weight", "bold");
  p.SetInlineProperty("font-style", "italic");
  p.SetInlineProperty("text-decoration", "underline");
  p.SetInlineProperty("letter-spacing", "2px");
  p.SetInlineProperty("color", "red");
  const TMyFont f = p.MakeFont();
  EXPECT_EQ(f.Name, "Times New Roman");
  EXPECT_EQ(f.Height, 16);
  EXPECT_EQ(f.Style, kFontBold | kFontItalic | kFontUnderline);
  EXPECT_EQ(f.Color, rgb(255, 0, 0));
  EXPECT_EQ(f.CharExtra, 2);
  EXPECT_EQ(f.tmHeight, 20);
  EXPECT_EQ(f.tmDescent, 3);
  EXPECT_EQ(p.EmSize, 16);
  EXPECT_EQ(p.ExSize, 8);
  const int calls = fonts.RealizeCalls;
  p.MakeFont();
  EXPECT_EQ(fonts.RealizeCalls, calls);  // cached
  p.setProp(FontSize, 9.0);
  EXPECT_EQ(p.MakeFont().Height, 12);

  TProperties symbol;
  symbol.Fonts = &fonts;
  symbol.setProp(FontFamily, std::string("Symbol"));
  symbol.setProp(FontSize, 12.0);
  symbol.SetCharSet(204, 1251);
  EXPECT_EQ(symbol.MakeFont().CharSet, kSymbolCharSet);
  TProperties cyrillic = symbol;
  cyrillic.setProp(FontFamily, std::string("Arial"));
  EXPECT_EQ(cyrillic.MakeFont().CharSet, 204);
  EXPECT_EQ(fonts.LastRequest.CharSet, 204);
}

TEST(HtmlStyleFont, linkFonts) {
  FakeFonts fonts;
  TStyleList styles;
  styles.Fonts = &fonts;
  styles.BuildDefaults("Times New Roman", "Courier New", 10, 15, 1, true, rgb(1, 1, 1), rgb(2, 2, 2), rgb(3, 3, 3),
                       0, 12);
  styles.SetRuleProperty("a:hover", "font-weight", "bold");
  styles.SetRuleProperty("i", "font-size", "20pt");
  TPropStack stack;
  stack.push(std::make_unique<TProperties>(*styles.find("default")));
  auto open = [&](const char* tag, const char* pseudo) -> TProperties& {
    auto p = std::make_unique<TProperties>();
    p->InheritFrom(tag, stack.last());
    p->ApplyRules(styles, stack, stack.count() - 1, tag, "", "", pseudo, "", nullptr);
    return stack.push(std::move(p));
  };
  const TProperties& a = open("a", "link");
  ASSERT_TRUE(a.hasFontInfo());
  const TFontInfoArray& lf = a.linkFonts();
  EXPECT_EQ(lf[LinkNormal].iColor, rgb(3, 3, 3) | kPaletteRelative);
  EXPECT_EQ(lf[LinkNormal].iStyle, kFontUnderline);
  EXPECT_EQ(lf[LinkNormal].iName, "Times New Roman");
  EXPECT_EQ(lf[LinkVisited].iColor, rgb(2, 2, 2) | kPaletteRelative);
  EXPECT_EQ(lf[LinkVisited].iStyle, kFontUnderline);
  EXPECT_EQ(lf[LinkHover].iColor, rgb(1, 1, 1) | kPaletteRelative);
  EXPECT_EQ(lf[LinkHover].iStyle, kFontUnderline | kFontBold);
  EXPECT_EQ(lf[LinkVisitedHover].iColor, rgb(1, 1, 1) | kPaletteRelative);
  EXPECT_EQ(lf[LinkVisitedHover].iStyle, kFontUnderline | kFontBold);

  // Inside the link, the element's own rules and attributes reach all four fonts.
  TProperties& i = open("i", "");
  ASSERT_TRUE(i.hasFontInfo());
  for (const ThtFontInfo& f : i.linkFonts()) {
    EXPECT_EQ(f.iStyle & kFontItalic, kFontItalic);
    EXPECT_EQ(f.iSize, 20);
  }
  i.AssignHint(rgb(9, 9, 9), Color);
  for (const ThtFontInfo& f : i.linkFonts()) EXPECT_EQ(f.iColor, rgb(9, 9, 9));
  stack.pop();
  stack.pop();
  EXPECT_FALSE(open("b", "").hasFontInfo());
}

}  // namespace
}  // namespace lumora::html
