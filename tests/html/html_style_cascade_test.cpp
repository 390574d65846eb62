// The cascade: default rules, inheritance, selectors, inline styles and HTML attribute hints.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "html/html_style_list.h"
#include "html/html_style_props.h"

namespace lumora::html {
namespace {

constexpr TColor rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// A document's style sheet with the builder's stack of open elements.
class Cascade {
 public:
  Cascade() {
    Styles.BuildDefaults("Times New Roman", "Courier New", 10, 15, 1, true, rgb(1, 1, 1), rgb(2, 2, 2),
                         rgb(3, 3, 3), rgb(0, 0, 0), 12);
    Reset();
  }
  void Reset() {
    Stack.Clear();
    Stack.push(std::make_unique<TProperties>(*Styles.find("default")));
  }
  TProperties& Open(const std::string& tag, const std::string& cls = "", const std::string& id = "",
                    const std::string& pseudo = "", std::shared_ptr<TProperties> inl = nullptr) {
    auto p = std::make_unique<TProperties>();
    p->InheritFrom(tag, Stack.last());
    p->ApplyRules(Styles, Stack, Stack.count() - 1, tag, cls, id, pseudo, "", inl);
    return Stack.push(std::move(p));
  }
  void Close() { Stack.pop(); }
  TStyleList Styles;
  TPropStack Stack;
};

std::shared_ptr<TProperties> Inline(std::initializer_list<std::pair<const char*, const char*>> decls) {
  auto p = std::make_shared<TProperties>();
  for (const auto& [n, v] : decls) p->SetInlineProperty(n, v);
  return p;
}

TEST(HtmlStyleCascade, PropertyTable) {
  EXPECT_EQ(PropertyName(0), "font-family");
  EXPECT_EQ(PropertyName(Color), "color");
  EXPECT_EQ(PropertyName(BorderLeftStyle), "border-left-style");
  EXPECT_EQ(PropertyName(Display), "display");
  EXPECT_EQ(propertyIndex("z-index"), 45);
  EXPECT_EQ(propertyIndex("word-wrap"), 55);
  EXPECT_EQ(propertyIndex("colour"), std::nullopt);
  for (int i = 0; i < PropCount; ++i) EXPECT_EQ(propertyIndex(PropertyName(i)), i);
  TProperties fresh;
  EXPECT_EQ(std::get<int>(fresh.prop(MarginTop)), kUnsetLength);
  EXPECT_EQ(std::get<int>(fresh.prop(Left)), kUnsetLength);
  EXPECT_EQ(std::get<int>(fresh.prop(ZIndex)), 0);
  EXPECT_TRUE(isEmpty(fresh.prop(Visibility)));
  EXPECT_NE(TProperties(fresh).serialNumber(), fresh.serialNumber());
}

TEST(HtmlStyleCascade, DefaultRules) {
  Cascade c;
  const TProperties& body = c.Open("body");
  EXPECT_EQ(body.fontSizePoints(), 12.0);
  EXPECT_EQ(std::get<std::string>(body.prop(FontFamily)), "Times New Roman");
  EXPECT_EQ(body.DefFontname, "Times New Roman");
  EXPECT_EQ(body.colorValue(), 0);
  EXPECT_EQ(std::get<int>(body.prop(MarginTop)), kUnsetLength);  // the document margins stay on entry 0
  EXPECT_EQ(std::get<int>(c.Stack[0].prop(MarginTop)), 15);
  EXPECT_EQ(std::get<int>(c.Stack[0].prop(MarginLeft)), 10);

  const TProperties& h1 = c.Open("h1");
  EXPECT_EQ(h1.fontSizePoints(), 24.0);
  EXPECT_EQ(std::get<int>(h1.prop(MarginBottom)), 19);
  EXPECT_EQ(std::get<std::string>(h1.prop(FontWeight)), "bold");
  const TProperties& code = c.Open("code");
  EXPECT_NEAR(*code.fontSizePoints(), 24 * 0.833, 1e-9);  // relative to the heading it sits in
  EXPECT_EQ(std::get<std::string>(code.prop(FontFamily)), "Courier New");
  c.Close();
  c.Close();

  const TProperties& p = c.Open("p");
  EXPECT_EQ(std::get<int>(p.prop(MarginTop)), kParagraphSpace);
  const TProperties& sup = c.Open("sup");
  EXPECT_EQ(sup.fontSizePoints(), 9.0);
  EXPECT_EQ(sup.verticalAlignment(), TVerticalAlign::Superscript);
  c.Close();
  c.Close();

  const TProperties& ul = c.Open("ul");
  EXPECT_EQ(std::get<int>(ul.prop(PaddingLeft)), 35);
  EXPECT_EQ(ul.ListStyleCode(), lsBlank);
  c.Close();
  const TProperties& input = c.Open("input");
  EXPECT_EQ(input.fontSizePoints(), 10.0);
  EXPECT_EQ(std::get<std::string>(input.prop(FontFamily)), "Arial Unicode MS, Arial");

  EXPECT_EQ(std::get<int>(c.Styles.find("::link")->prop(Color)), rgb(3, 3, 3) | kPaletteRelative);
  EXPECT_EQ(std::get<std::string>(c.Styles.find("::link")->prop(TextDecoration)), "underline");
  EXPECT_EQ(std::get<int>(c.Styles.find("::hover")->prop(Color)), rgb(1, 1, 1) | kPaletteRelative);
}

TEST(HtmlStyleCascade, Inheritance) {
  Cascade c;
  c.Styles.SetRuleProperty("p", "color", "red");
  c.Styles.SetRuleProperty("p", "background-color", "yellow");
  c.Styles.SetRuleProperty("p", "margin-left", "3px");
  c.Styles.SetRuleProperty("span", "background-color", "blue");
  c.Styles.SetRuleProperty("span", "border-style", "solid");
  c.Open("p");
  const TProperties& div = c.Open("div");
  EXPECT_EQ(div.colorValue(), rgb(255, 0, 0));
  EXPECT_TRUE(isEmpty(div.prop(BackgroundColor)));
  EXPECT_EQ(std::get<int>(div.prop(MarginLeft)), kUnsetLength);
  EXPECT_FALSE(div.setHere(Color));
  EXPECT_EQ(div.OwnColor(), kColorNone);
  c.Close();
  c.Open("span");
  const TProperties& inSpan = c.Open("b");
  EXPECT_EQ(std::get<int>(inSpan.prop(BackgroundColor)), rgb(0, 0, 255));
  EXPECT_EQ(inSpan.FontBackground(), rgb(0, 0, 255));
  EXPECT_TRUE(isEmpty(inSpan.prop(BorderStyle)));  // the one property a span keeps to itself
  c.Close();
  c.Close();

  c.Styles.SetRuleProperty("tbody", "background-color", "lime");
  c.Open("table");
  c.Open("tbody");
  const TProperties& tr = c.Open("tr");
  EXPECT_EQ(std::get<int>(tr.prop(BackgroundColor)), rgb(0, 255, 0));
  EXPECT_TRUE(tr.setHere(BackgroundColor));  // taken over with its flag from a row group
  c.Reset();

  c.Styles.SetRuleProperty("div", "word-wrap", "break-word");
  c.Open("div");
  EXPECT_EQ(c.Open("p").wordWrapValue(), "break-word");
  c.Close();
  EXPECT_EQ(c.Open("table").wordWrapValue(), "normal");
}

TEST(HtmlStyleCascade, AttributeHintsYieldToTheSheet) {
  Cascade c;
  c.Styles.SetRuleProperty("font.x", "color", "green");
  c.Styles.SetRuleProperty("p", "color", "red");
  c.Open("p");
  TProperties& plain = c.Open("font");
  plain.AssignHint(rgb(0, 0, 255), Color);
  EXPECT_EQ(plain.colorValue(), rgb(0, 0, 255));  // the P rule does not stop the FONT attribute
  c.Close();
  TProperties& styled = c.Open("font", "x");
  styled.AssignHint(rgb(0, 0, 255), Color);
  EXPECT_EQ(styled.colorValue(), rgb(0, 128, 0));
}

TEST(HtmlStyleCascade, SelectorOrder) {
  Cascade c;
  c.Styles.SetRuleProperty("p", "color", "red");
  c.Styles.SetRuleProperty(".note", "color", "green");
  c.Styles.SetRuleProperty("#top", "color", "blue");
  c.Styles.SetRuleProperty("p.note", "font-weight", "bold");
  c.Styles.SetRuleProperty("div.note", "font-style", "italic");
  c.Styles.SetRuleProperty("p#top", "text-align", "right");
  EXPECT_EQ(c.Open("p").colorValue(), rgb(255, 0, 0));
  c.Close();
  const TProperties& note = c.Open("p", "note");
  EXPECT_EQ(note.colorValue(), rgb(0, 128, 0));
  EXPECT_EQ(std::get<std::string>(note.prop(FontWeight)), "bold");
  EXPECT_EQ(std::get<std::string>(note.prop(FontStyle)), "none");  // the DIV rule does not apply
  c.Close();
  const TProperties& top = c.Open("p", "note", "top");
  EXPECT_EQ(top.colorValue(), rgb(0, 0, 255));
  EXPECT_EQ(std::get<std::string>(top.prop(TextAlign)), "right");
  c.Close();

  auto inl = Inline({{"color", "#ff0"}, {"Font-Size", "2em"}});
  const TProperties& styled = c.Open("p", "note", "top", "", inl);
  EXPECT_EQ(styled.colorValue(), rgb(255, 255, 0) | kPaletteRelative);
  EXPECT_EQ(styled.fontSizePoints(), 24.0);
  EXPECT_EQ(styled.InlineStyle, inl);
  c.Close();
  EXPECT_EQ(c.Open("p", "", "", "", Inline({{"color", "nonsense"}})).colorValue(), 0);  // unreadable inline: black
}

TEST(HtmlStyleCascade, SeveralClasses) {
  Cascade c;
  c.Styles.SetRuleProperty("p", "color", "green");
  c.Styles.SetRuleProperty(".a", "color", "red");
  c.Styles.SetRuleProperty(".b", "font-weight", "bold");
  c.Styles.SetRuleProperty(".a.b", "text-align", "center");
  const TProperties& p = c.Open("p", "a.b");
  EXPECT_EQ(p.colorValue(), rgb(0, 128, 0));  // the tag rule of the later pass wins over ".a"
  EXPECT_EQ(std::get<std::string>(p.prop(FontWeight)), "bold");
  EXPECT_EQ(std::get<std::string>(p.prop(TextAlign)), "center");
  c.Close();
  EXPECT_EQ(c.Open("div", "a.b").colorValue(), rgb(255, 0, 0));
}

TEST(HtmlStyleCascade, descendantRules) {
  Cascade c;
  c.Styles.SetRuleProperty("b 12div.box", "color", "red");
  c.Styles.SetRuleProperty("i 23span li", "color", "blue");
  c.Open("pre");
  c.Open("div");
  c.Open("span");
  const TProperties& pInPre = c.Open("p");
  EXPECT_EQ(std::get<int>(pInPre.prop(MarginTop)), 0);
  EXPECT_EQ(std::get<int>(pInPre.prop(MarginBottom)), kParagraphSpace);
  c.Reset();
  EXPECT_EQ(std::get<int>(c.Open("p").prop(MarginTop)), kParagraphSpace);
  c.Reset();

  c.Open("div", "box");
  c.Open("p");
  EXPECT_EQ(c.Open("b").colorValue(), rgb(255, 0, 0));
  c.Reset();
  c.Open("div");
  EXPECT_EQ(c.Open("b").colorValue(), 0);
  c.Reset();

  // Ancestors are matched nearest first: SPAN inside LI, not LI inside SPAN.
  c.Open("li");
  c.Open("span");
  EXPECT_EQ(c.Open("i").colorValue(), rgb(0, 0, 255));
  c.Reset();
  c.Open("span");
  c.Open("li");
  EXPECT_EQ(c.Open("i").colorValue(), 0);
}

TEST(HtmlStyleCascade, LinkPseudoClasses) {
  Cascade c;
  c.Styles.SetRuleProperty(":link", "color", "red");
  EXPECT_EQ(std::get<int>(c.Styles.find("::visited")->prop(Color)), rgb(255, 0, 0));
  EXPECT_EQ(std::get<int>(c.Styles.find("::hover")->prop(Color)), rgb(255, 0, 0));
  c.Styles.SetRuleProperty(":visited", "color", "green");
  EXPECT_EQ(std::get<int>(c.Styles.find("::hover")->prop(Color)), rgb(0, 128, 0));
  EXPECT_EQ(std::get<int>(c.Styles.find("::link")->prop(Color)), rgb(3, 3, 3) | kPaletteRelative);

  c.Styles.SetRuleProperty("a", "font-weight", "bold");
  EXPECT_EQ(std::get<std::string>(c.Styles.find("::link")->prop(FontWeight)), "bold");
  int hoverRules = 0;
  c.Styles.OnHoverRule = [&] { ++hoverRules; };
  c.Styles.SetRuleProperty("a:hover", "color", "blue");
  EXPECT_EQ(hoverRules, 1);

  const TProperties& link = c.Open("a", "", "", "link");
  EXPECT_EQ(link.colorValue(), rgb(255, 0, 0));
  EXPECT_EQ(std::get<std::string>(link.prop(TextDecoration)), "underline");
  EXPECT_EQ(std::get<std::string>(link.prop(FontWeight)), "bold");
  c.Close();
  EXPECT_EQ(c.Open("a", "", "", "hover").colorValue(), rgb(0, 0, 255));
}

TEST(HtmlStyleCascade, RulePropertyForms) {
  TStyleList s;
  s.SetRuleProperty("div", "border-style", "dashed");
  s.SetRuleProperty("div", "border-color", "red");
  s.SetRuleProperty("div", "border-left-color", "bogus");
  s.SetRuleProperty("div", "visibility", "hidden");
  s.SetRuleProperty("div", "text-transform", "uppercase");
  s.SetRuleProperty("div", "font-variant", "oblique");
  s.SetRuleProperty("div", "word-wrap", "anywhere");
  s.SetRuleProperty("div", "background-color", "bogus");
  s.SetRuleProperty("div", "colour", "red");
  s.SetRuleProperty("div", "color", "bogus");
  s.SetRuleProperty("span", "border-top-style", "double");
  s.SetRuleProperty("span", "border-left-style", "none");
  const TProperties& d = *s.find("div");
  EXPECT_EQ(d.BorderStyleCode(), 6);
  for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i) EXPECT_EQ(std::get<std::string>(d.prop(i)), "dashed");
  for (int i = BorderTopColor; i <= BorderLeftColor; ++i) EXPECT_EQ(std::get<int>(d.prop(i)), rgb(255, 0, 0));
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(std::get<int>(d.prop(TextTransform)), 1);
  EXPECT_TRUE(isEmpty(d.prop(FontVariant)));
  EXPECT_EQ(d.wordWrapValue(), "normal");
  EXPECT_EQ(std::get<int>(d.prop(BackgroundColor)), kColorNone);
  EXPECT_TRUE(isEmpty(d.prop(Color)));  // an unreadable sheet colour leaves the property alone
  const TProperties& sp = *s.find("span");
  EXPECT_EQ(sp.BorderStyleCode(), 8);
  EXPECT_EQ(std::get<std::string>(sp.prop(BorderLeftStyle)), "none");
}

TEST(HtmlStyleCascade, DuplicateKeysApplyInOrder) {
  Cascade c;
  TProperties first, second;
  first.SetInlineProperty("color", "red");
  first.SetInlineProperty("font-weight", "bold");
  second.SetInlineProperty("color", "blue");
  c.Styles.AddCopy("em", first);
  c.Styles.AddCopy("em", second);
  const TProperties& em = c.Open("em");
  EXPECT_EQ(em.colorValue(), rgb(0, 0, 255));
  EXPECT_EQ(std::get<std::string>(em.prop(FontWeight)), "bold");
  EXPECT_EQ(std::get<std::string>(em.prop(FontStyle)), "italic");  // the built-in rule, first under the key
}

TEST(HtmlStyleCascade, FontSizesAgainstTheParent) {
  Cascade c;
  c.Styles.SetRuleProperty("div", "font-size", "20pt");
  c.Styles.SetRuleProperty("span", "font-size", "50%");
  c.Styles.SetRuleProperty(".k", "font-size", "small");
  c.Styles.SetRuleProperty(".m", "font-size", "medium");
  c.Styles.SetRuleProperty(".n", "font-size", "16");
  c.Open("div");
  EXPECT_EQ(c.Open("span").fontSizePoints(), 10.0);
  EXPECT_EQ(c.Open("b", "k").fontSizePoints(), 12.0);
  c.Close();
  EXPECT_NEAR(*c.Open("b", "m").fontSizePoints(), 14.4, 1e-9);
  c.Close();
  EXPECT_EQ(c.Open("b", "n").fontSizePoints(), 12.0);  // a bare number is pixels
}

TEST(HtmlStyleCascade, Readers) {
  struct Case {
    const char* lineHeight;
    int expected;
  };
  const Case cases[] = {{"1.5", 24}, {"20px", 20}, {"normal", -1}, {"2em", 20}, {"150%", 15}};
  for (const Case& k : cases) {
    TProperties p;
    p.EmSize = 10;
    p.SetInlineProperty("line-height", k.lineHeight);
    EXPECT_EQ(p.lineHeightPixels(16), k.expected) << k.lineHeight;
  }
  TProperties unset;
  EXPECT_EQ(unset.lineHeightPixels(16), -1);

  TProperties p;
  bool pct = false;
  p.SetInlineProperty("text-indent", "30%");
  EXPECT_EQ(p.textIndentValue(pct), 30);
  EXPECT_TRUE(pct);
  p.SetInlineProperty("text-indent", "12px");
  EXPECT_EQ(p.textIndentValue(pct), 12);
  EXPECT_FALSE(pct);
  p.SetInlineProperty("background-image", "url( img/a.gif )");
  EXPECT_EQ(p.BackgroundImageUrl(), "img/a.gif");
  p.SetInlineProperty("background-image", "none");
  EXPECT_EQ(p.BackgroundImageUrl(), "");
  p.SetInlineProperty("display", "None");
  EXPECT_TRUE(p.NotDisplayed());
  p.SetInlineProperty("float", "right");
  EXPECT_EQ(p.FloatSide(), TSide::Right);
  p.SetInlineProperty("z-index", "5");
  EXPECT_EQ(p.ZIndexValue(), 5);
  bool before = true, after = true, avoid = false;
  p.PageBreaks(before, after, avoid);
  EXPECT_FALSE(before || after || avoid);
  p.SetInlineProperty("page-break-before", "Always");
  p.SetInlineProperty("page-break-after", "auto");
  p.SetInlineProperty("page-break-inside", "avoid");
  p.PageBreaks(before, after, avoid);
  EXPECT_TRUE(before);
  EXPECT_FALSE(after);
  EXPECT_TRUE(avoid);
}

TEST(HtmlStyleCascade, ReinheritFollowsTheNewParent) {
  Cascade c;
  c.Styles.SetRuleProperty("font", "color", "red");
  c.Styles.SetRuleProperty("font", "background-color", "red");
  c.Styles.SetRuleProperty("i", "text-align", "right");
  c.Open("font");
  TProperties& i = c.Open("i");
  EXPECT_EQ(i.colorValue(), rgb(255, 0, 0));
  i.Reinherit(c.Stack[0]);  // the FONT element below was closed early
  EXPECT_EQ(i.colorValue(), 0);
  EXPECT_EQ(std::get<std::string>(i.prop(TextAlign)), "right");
}

}  // namespace
}  // namespace lumora::html
