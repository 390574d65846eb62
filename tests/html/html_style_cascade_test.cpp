// The cascade: default rules, inheritance, selectors, inline styles and HTML attribute hints.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "html/html_style_list.h"
#include "html/html_style_props.h"

namespace lumora::html {
namespace {

constexpr TColor Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// A document's style sheet with the builder's stack of open elements.
class Cascade {
 public:
  Cascade() {
    Styles.BuildDefaults("Times New Roman", "Courier New", 10, 15, 1, true, Rgb(1, 1, 1), Rgb(2, 2, 2),
                         Rgb(3, 3, 3), Rgb(0, 0, 0), 12);
    Reset();
  }
  void Reset() {
    Stack.Clear();
    Stack.Push(std::make_unique<TProperties>(*Styles.Find("default")));
  }
  TProperties& Open(const std::string& tag, const std::string& cls = "", const std::string& id = "",
                    const std::string& pseudo = "", std::shared_ptr<TProperties> inl = nullptr) {
    auto p = std::make_unique<TProperties>();
    p->InheritFrom(tag, Stack.Last());
    p->ApplyRules(Styles, Stack, Stack.Count() - 1, tag, cls, id, pseudo, "", inl);
    return Stack.Push(std::move(p));
  }
  void Close() { Stack.Pop(); }
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
  EXPECT_EQ(PropertyIndex("z-index"), 45);
  EXPECT_EQ(PropertyIndex("word-wrap"), 55);
  EXPECT_EQ(PropertyIndex("colour"), std::nullopt);
  for (int i = 0; i < PropCount; ++i) EXPECT_EQ(PropertyIndex(PropertyName(i)), i);
  TProperties fresh;
  EXPECT_EQ(std::get<int>(fresh.Prop(MarginTop)), kUnsetLength);
  EXPECT_EQ(std::get<int>(fresh.Prop(Left)), kUnsetLength);
  EXPECT_EQ(std::get<int>(fresh.Prop(ZIndex)), 0);
  EXPECT_TRUE(IsEmpty(fresh.Prop(Visibility)));
  EXPECT_NE(TProperties(fresh).SerialNumber(), fresh.SerialNumber());
}

TEST(HtmlStyleCascade, DefaultRules) {
  Cascade c;
  const TProperties& body = c.Open("body");
  EXPECT_EQ(body.FontSizePoints(), 12.0);
  EXPECT_EQ(std::get<std::string>(body.Prop(FontFamily)), "Times New Roman");
  EXPECT_EQ(body.DefFontname, "Times New Roman");
  EXPECT_EQ(body.ColorValue(), 0);
  EXPECT_EQ(std::get<int>(body.Prop(MarginTop)), kUnsetLength);  // the document margins stay on entry 0
  EXPECT_EQ(std::get<int>(c.Stack[0].Prop(MarginTop)), 15);
  EXPECT_EQ(std::get<int>(c.Stack[0].Prop(MarginLeft)), 10);

  const TProperties& h1 = c.Open("h1");
  EXPECT_EQ(h1.FontSizePoints(), 24.0);
  EXPECT_EQ(std::get<int>(h1.Prop(MarginBottom)), 19);
  EXPECT_EQ(std::get<std::string>(h1.Prop(FontWeight)), "bold");
  const TProperties& code = c.Open("code");
  EXPECT_NEAR(*code.FontSizePoints(), 24 * 0.833, 1e-9);  // relative to the heading it sits in
  EXPECT_EQ(std::get<std::string>(code.Prop(FontFamily)), "Courier New");
  c.Close();
  c.Close();

  const TProperties& p = c.Open("p");
  EXPECT_EQ(std::get<int>(p.Prop(MarginTop)), kParagraphSpace);
  const TProperties& sup = c.Open("sup");
  EXPECT_EQ(sup.FontSizePoints(), 9.0);
  EXPECT_EQ(sup.VerticalAlignment(), TVerticalAlign::Superscript);
  c.Close();
  c.Close();

  const TProperties& ul = c.Open("ul");
  EXPECT_EQ(std::get<int>(ul.Prop(PaddingLeft)), 35);
  EXPECT_EQ(ul.ListStyleCode(), lsBlank);
  c.Close();
  const TProperties& input = c.Open("input");
  EXPECT_EQ(input.FontSizePoints(), 10.0);
  EXPECT_EQ(std::get<std::string>(input.Prop(FontFamily)), "Arial Unicode MS, Arial");

  EXPECT_EQ(std::get<int>(c.Styles.Find("::link")->Prop(Color)), Rgb(3, 3, 3) | kPaletteRelative);
  EXPECT_EQ(std::get<std::string>(c.Styles.Find("::link")->Prop(TextDecoration)), "underline");
  EXPECT_EQ(std::get<int>(c.Styles.Find("::hover")->Prop(Color)), Rgb(1, 1, 1) | kPaletteRelative);
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
  EXPECT_EQ(div.ColorValue(), Rgb(255, 0, 0));
  EXPECT_TRUE(IsEmpty(div.Prop(BackgroundColor)));
  EXPECT_EQ(std::get<int>(div.Prop(MarginLeft)), kUnsetLength);
  EXPECT_FALSE(div.SetHere(Color));
  EXPECT_EQ(div.OwnColor(), kColorNone);
  c.Close();
  c.Open("span");
  const TProperties& inSpan = c.Open("b");
  EXPECT_EQ(std::get<int>(inSpan.Prop(BackgroundColor)), Rgb(0, 0, 255));
  EXPECT_EQ(inSpan.FontBackground(), Rgb(0, 0, 255));
  EXPECT_TRUE(IsEmpty(inSpan.Prop(BorderStyle)));  // the one property a span keeps to itself
  c.Close();
  c.Close();

  c.Styles.SetRuleProperty("tbody", "background-color", "lime");
  c.Open("table");
  c.Open("tbody");
  const TProperties& tr = c.Open("tr");
  EXPECT_EQ(std::get<int>(tr.Prop(BackgroundColor)), Rgb(0, 255, 0));
  EXPECT_TRUE(tr.SetHere(BackgroundColor));  // taken over with its flag from a row group
  c.Reset();

  c.Styles.SetRuleProperty("div", "word-wrap", "break-word");
  c.Open("div");
  EXPECT_EQ(c.Open("p").WordWrapValue(), "break-word");
  c.Close();
  EXPECT_EQ(c.Open("table").WordWrapValue(), "normal");
}

TEST(HtmlStyleCascade, AttributeHintsYieldToTheSheet) {
  Cascade c;
  c.Styles.SetRuleProperty("font.x", "color", "green");
  c.Styles.SetRuleProperty("p", "color", "red");
  c.Open("p");
  TProperties& plain = c.Open("font");
  plain.AssignHint(Rgb(0, 0, 255), Color);
  EXPECT_EQ(plain.ColorValue(), Rgb(0, 0, 255));  // the P rule does not stop the FONT attribute
  c.Close();
  TProperties& styled = c.Open("font", "x");
  styled.AssignHint(Rgb(0, 0, 255), Color);
  EXPECT_EQ(styled.ColorValue(), Rgb(0, 128, 0));
}

TEST(HtmlStyleCascade, SelectorOrder) {
  Cascade c;
  c.Styles.SetRuleProperty("p", "color", "red");
  c.Styles.SetRuleProperty(".note", "color", "green");
  c.Styles.SetRuleProperty("#top", "color", "blue");
  c.Styles.SetRuleProperty("p.note", "font-weight", "bold");
  c.Styles.SetRuleProperty("div.note", "font-style", "italic");
  c.Styles.SetRuleProperty("p#top", "text-align", "right");
  EXPECT_EQ(c.Open("p").ColorValue(), Rgb(255, 0, 0));
  c.Close();
  const TProperties& note = c.Open("p", "note");
  EXPECT_EQ(note.ColorValue(), Rgb(0, 128, 0));
  EXPECT_EQ(std::get<std::string>(note.Prop(FontWeight)), "bold");
  EXPECT_EQ(std::get<std::string>(note.Prop(FontStyle)), "none");  // the DIV rule does not apply
  c.Close();
  const TProperties& top = c.Open("p", "note", "top");
  EXPECT_EQ(top.ColorValue(), Rgb(0, 0, 255));
  EXPECT_EQ(std::get<std::string>(top.Prop(TextAlign)), "right");
  c.Close();

  auto inl = Inline({{"color", "#ff0"}, {"Font-Size", "2em"}});
  const TProperties& styled = c.Open("p", "note", "top", "", inl);
  EXPECT_EQ(styled.ColorValue(), Rgb(255, 255, 0) | kPaletteRelative);
  EXPECT_EQ(styled.FontSizePoints(), 24.0);
  EXPECT_EQ(styled.InlineStyle, inl);
  c.Close();
  EXPECT_EQ(c.Open("p", "", "", "", Inline({{"color", "nonsense"}})).ColorValue(), 0);  // unreadable inline: black
}

TEST(HtmlStyleCascade, SeveralClasses) {
  Cascade c;
  c.Styles.SetRuleProperty("p", "color", "green");
  c.Styles.SetRuleProperty(".a", "color", "red");
  c.Styles.SetRuleProperty(".b", "font-weight", "bold");
  c.Styles.SetRuleProperty(".a.b", "text-align", "center");
  const TProperties& p = c.Open("p", "a.b");
  EXPECT_EQ(p.ColorValue(), Rgb(0, 128, 0));  // the tag rule of the later pass wins over ".a"
  EXPECT_EQ(std::get<std::string>(p.Prop(FontWeight)), "bold");
  EXPECT_EQ(std::get<std::string>(p.Prop(TextAlign)), "center");
  c.Close();
  EXPECT_EQ(c.Open("div", "a.b").ColorValue(), Rgb(255, 0, 0));
}

TEST(HtmlStyleCascade, DescendantRules) {
  Cascade c;
  c.Styles.SetRuleProperty("b 12div.box", "color", "red");
  c.Styles.SetRuleProperty("i 23span li", "color", "blue");
  c.Open("pre");
  c.Open("div");
  c.Open("span");
  const TProperties& pInPre = c.Open("p");
  EXPECT_EQ(std::get<int>(pInPre.Prop(MarginTop)), 0);
  EXPECT_EQ(std::get<int>(pInPre.Prop(MarginBottom)), kParagraphSpace);
  c.Reset();
  EXPECT_EQ(std::get<int>(c.Open("p").Prop(MarginTop)), kParagraphSpace);
  c.Reset();

  c.Open("div", "box");
  c.Open("p");
  EXPECT_EQ(c.Open("b").ColorValue(), Rgb(255, 0, 0));
  c.Reset();
  c.Open("div");
  EXPECT_EQ(c.Open("b").ColorValue(), 0);
  c.Reset();

  // Ancestors are matched nearest first: SPAN inside LI, not LI inside SPAN.
  c.Open("li");
  c.Open("span");
  EXPECT_EQ(c.Open("i").ColorValue(), Rgb(0, 0, 255));
  c.Reset();
  c.Open("span");
  c.Open("li");
  EXPECT_EQ(c.Open("i").ColorValue(), 0);
}

TEST(HtmlStyleCascade, LinkPseudoClasses) {
  Cascade c;
  c.Styles.SetRuleProperty(":link", "color", "red");
  EXPECT_EQ(std::get<int>(c.Styles.Find("::visited")->Prop(Color)), Rgb(255, 0, 0));
  EXPECT_EQ(std::get<int>(c.Styles.Find("::hover")->Prop(Color)), Rgb(255, 0, 0));
  c.Styles.SetRuleProperty(":visited", "color", "green");
  EXPECT_EQ(std::get<int>(c.Styles.Find("::hover")->Prop(Color)), Rgb(0, 128, 0));
  EXPECT_EQ(std::get<int>(c.Styles.Find("::link")->Prop(Color)), Rgb(3, 3, 3) | kPaletteRelative);

  c.Styles.SetRuleProperty("a", "font-weight", "bold");
  EXPECT_EQ(std::get<std::string>(c.Styles.Find("::link")->Prop(FontWeight)), "bold");
  int hoverRules = 0;
  c.Styles.OnHoverRule = [&] { ++hoverRules; };
  c.Styles.SetRuleProperty("a:hover", "color", "blue");
  EXPECT_EQ(hoverRules, 1);

  const TProperties& link = c.Open("a", "", "", "link");
  EXPECT_EQ(link.ColorValue(), Rgb(255, 0, 0));
  EXPECT_EQ(std::get<std::string>(link.Prop(TextDecoration)), "underline");
  EXPECT_EQ(std::get<std::string>(link.Prop(FontWeight)), "bold");
  c.Close();
  EXPECT_EQ(c.Open("a", "", "", "hover").ColorValue(), Rgb(0, 0, 255));
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
  const TProperties& d = *s.Find("div");
  EXPECT_EQ(d.BorderStyleCode(), 6);
  for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i) EXPECT_EQ(std::get<std::string>(d.Prop(i)), "dashed");
  for (int i = BorderTopColor; i <= BorderLeftColor; ++i) EXPECT_EQ(std::get<int>(d.Prop(i)), Rgb(255, 0, 0));
  EXPECT_FALSE(d.IsVisible());
  EXPECT_EQ(std::get<int>(d.Prop(TextTransform)), 1);
  EXPECT_TRUE(IsEmpty(d.Prop(FontVariant)));
  EXPECT_EQ(d.WordWrapValue(), "normal");
  EXPECT_EQ(std::get<int>(d.Prop(BackgroundColor)), kColorNone);
  EXPECT_TRUE(IsEmpty(d.Prop(Color)));  // an unreadable sheet colour leaves the property alone
  const TProperties& sp = *s.Find("span");
  EXPECT_EQ(sp.BorderStyleCode(), 8);
  EXPECT_EQ(std::get<std::string>(sp.Prop(BorderLeftStyle)), "none");
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
  EXPECT_EQ(em.ColorValue(), Rgb(0, 0, 255));
  EXPECT_EQ(std::get<std::string>(em.Prop(FontWeight)), "bold");
  EXPECT_EQ(std::get<std::string>(em.Prop(FontStyle)), "italic");  // the built-in rule, first under the key
}

TEST(HtmlStyleCascade, FontSizesAgainstTheParent) {
  Cascade c;
  c.Styles.SetRuleProperty("div", "font-size", "20pt");
  c.Styles.SetRuleProperty("span", "font-size", "50%");
  c.Styles.SetRuleProperty(".k", "font-size", "small");
  c.Styles.SetRuleProperty(".m", "font-size", "medium");
  c.Styles.SetRuleProperty(".n", "font-size", "16");
  c.Open("div");
  EXPECT_EQ(c.Open("span").FontSizePoints(), 10.0);
  EXPECT_EQ(c.Open("b", "k").FontSizePoints(), 12.0);
  c.Close();
  EXPECT_NEAR(*c.Open("b", "m").FontSizePoints(), 14.4, 1e-9);
  c.Close();
  EXPECT_EQ(c.Open("b", "n").FontSizePoints(), 12.0);  // a bare number is pixels
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
    EXPECT_EQ(p.LineHeightPixels(16), k.expected) << k.lineHeight;
  }
  TProperties unset;
  EXPECT_EQ(unset.LineHeightPixels(16), -1);

  TProperties p;
  bool pct = false;
  p.SetInlineProperty("text-indent", "30%");
  EXPECT_EQ(p.TextIndentValue(pct), 30);
  EXPECT_TRUE(pct);
  p.SetInlineProperty("text-indent", "12px");
  EXPECT_EQ(p.TextIndentValue(pct), 12);
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
  EXPECT_EQ(i.ColorValue(), Rgb(255, 0, 0));
  i.Reinherit(c.Stack[0]);  // the FONT element below was closed early
  EXPECT_EQ(i.ColorValue(), 0);
  EXPECT_EQ(std::get<std::string>(i.Prop(TextAlign)), "right");
}

}  // namespace
}  // namespace lumora::html
