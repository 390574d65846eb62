#include "html/html_style_list.h"

#include <algorithm>
#include <array>

namespace lumora::html {
namespace {

using KeyWord = TSelectorWord;

KeyWord SplitWord(std::string_view w) {
  KeyWord k;
  size_t i = w.find_first_of(".#:");
  k.Tag = w.substr(0, i);
  if (i != std::string_view::npos && w[i] == '.') {
    const size_t e = w.find_first_of("#:", i);
    k.Class = w.substr(i + 1, e == std::string_view::npos ? std::string_view::npos : e - i - 1);
    i = e;
  }
  if (i != std::string_view::npos && w[i] == '#') {
    const size_t e = w.find(':', i);
    k.ID = w.substr(i + 1, e == std::string_view::npos ? std::string_view::npos : e - i - 1);
    i = e;
  }
  if (i != std::string_view::npos) k.Pseudo = w.substr(i + 1);
  return k;
}

bool PartMatches(std::string_view keyPart, std::string_view value) { return keyPart.empty() || keyPart == value; }

bool AncestorMatches(const KeyWord& w, const TProperties& p) {
  return PartMatches(w.Tag, p.PropTag) && PartMatches(w.Class, p.PropClass) && PartMatches(w.ID, p.PropID) &&
         PartMatches(w.Pseudo, p.PropPseudo);
}

constexpr size_t kMaxKeyWords = 10;

}  // namespace

std::string TStyleList::SequenceDigits(int Sequence) {
  std::string digits = std::to_string(Sequence);
  constexpr size_t kWidth = 9;
  if (digits.size() < kWidth) digits.insert(0, kWidth - digits.size(), '0');
  return digits;
}

void TStyleList::Clear() {
  descendants_.clear();
  byKey_.clear();
  rules_.clear();
  sequence_ = 10;
}

TProperties& TStyleList::Insert(std::string_view Key, std::unique_ptr<TProperties> Props) {
  // A multimap inserts after the sets already stored under an equal key, which keeps their order.
  auto it = rules_.emplace(std::string(Key), TStyleRule{std::move(Props), {}});
  byKey_[std::string_view(it->first)].push_back(it->second.Props.get());
  // Split the key once here, so that matching never parses keys. The views point into the node's key,
  // which stays where it is for the node's life. Leading digits of the second word are the ancestor count
  // and sequence number, not part of the selector.
  std::string_view rest = it->first;
  while (!rest.empty() && it->second.Words.size() < kMaxKeyWords) {
    const size_t sp = rest.find(' ');
    std::string_view word = rest.substr(0, sp);
    if (!word.empty()) {
      if (it->second.Words.size() == 1)
        word.remove_prefix(std::min(word.find_first_not_of("0123456789"), word.size()));
      it->second.Words.push_back(SplitWord(word));
    }
    if (sp == std::string_view::npos) break;
    rest.remove_prefix(sp + 1);
  }
  if (it->second.Words.size() > 1) {
    // Equal keys keep their order here too: the multimap inserts at the end of the equal range.
    descendants_.emplace(std::string_view(it->first), &it->second);
  }
  return *it->second.Props;
}

TProperties& TStyleList::FindOrCreate(std::string_view Key) {
  if (TProperties* p = Find(Key)) return *p;
  return Insert(Key, std::make_unique<TProperties>());
}

const TProperties* TStyleList::Find(std::string_view Key) const {
  const auto it = rules_.find(Key);
  return it == rules_.end() ? nullptr : it->second.Props.get();
}

TProperties* TStyleList::Find(std::string_view Key) {
  const auto it = rules_.find(Key);
  return it == rules_.end() ? nullptr : it->second.Props.get();
}

TProperties& TStyleList::AddCopy(std::string_view Key, const TProperties& Properties) {
  return Insert(Key, std::make_unique<TProperties>(Properties));
}

void TStyleList::SetLinkColor(std::string_view Pseudo, TColor Color) {
  FindOrCreate("::" + std::string(Pseudo)).SetProp(lumora::html::Color, Color);
}

void TStyleList::SetRuleProperty(std::string_view Selector, std::string_view Name, std::string_view Value) {
  const auto index = PropertyIndex(LowerAscii(TrimAscii(Name)));
  if (!index) return;
  const std::string key = LowerAscii(TrimAscii(Selector));
  if (key.find(":hover") != std::string::npos && OnHoverRule) OnHoverRule();
  FindOrCreate(key).SetPropertyFromText(*index, Value, false, key, this);
  if (key == "a") FindOrCreate("::link").SetPropertyFromText(*index, Value, false, "::link", this);
}

void TStyleList::BuildDefaults(const std::string& DefFontName, const std::string& PreFontName, int MarginWidth,
                               int MarginHeight, uint8_t CharSet, bool LinkUnderline, TColor OverLinkColor,
                               TColor VisitedLinkColor, TColor HotSpotColor, TColor DefFontColor,
                               double DefFontSize) {
  Clear();
  defFontSize_ = DefFontSize;
  using S = std::string;

  TProperties& d = FindOrCreate("default");
  d.SetProp(FontFamily, DefFontName);
  d.SetProp(FontSize, DefFontSize);
  d.SetProp(FontStyle, S("none"));
  d.SetProp(FontWeight, S("normal"));
  d.SetProp(TextAlign, S("left"));
  d.SetProp(TextDecoration, S("none"));
  d.SetProp(TextTransform, 0);
  d.SetProp(WordWrap, S("normal"));
  d.SetProp(FontVariant, S("normal"));
  d.SetProp(Color, DefFontColor);
  d.SetProp(MarginTop, MarginHeight);
  d.SetProp(MarginBottom, MarginHeight);
  d.SetProp(MarginLeft, MarginWidth);
  d.SetProp(MarginRight, MarginWidth);
  d.SetProp(Visibility, 2);
  d.SetProp(LetterSpacing, 0);
  d.CharSet = CharSet;
  d.DefFontname = DefFontName;

  FindOrCreate("::link").SetProp(Color, HotSpotColor | kPaletteRelative);
  FindOrCreate("::link").SetProp(TextDecoration, S(LinkUnderline ? "underline" : "none"));
  FindOrCreate("::visited").SetProp(Color, VisitedLinkColor | kPaletteRelative);
  FindOrCreate("::hover").SetProp(Color, OverLinkColor | kPaletteRelative);
  FindOrCreate("null");

  TProperties& pre = FindOrCreate("pre");
  pre.SetProp(FontFamily, PreFontName);
  pre.SetProp(FontSize, DefFontSize * 10 / 12);
  pre.SetProp(FontStyle, S("none"));
  pre.SetProp(FontWeight, S("normal"));
  pre.SetProp(TextDecoration, S("none"));

  TProperties& p = FindOrCreate("p");
  p.SetProp(MarginTop, kParagraphSpace);
  p.SetProp(MarginBottom, kParagraphSpace);
  // P inside PRE: one ancestor, sequence 1 (before every rule of the page's sheets).
  FindOrCreate("p 1" + SequenceDigits(1) + "pre").SetProp(MarginTop, 0);

  for (const char* list : {"ul", "ol", "menu", "dir"}) {
    TProperties& l = FindOrCreate(list);
    l.SetProp(PaddingLeft, 35);
    l.SetProp(MarginTop, kParagraphSpace);
    l.SetProp(MarginBottom, kParagraphSpace);
    l.SetProp(ListStyleType, S("blank"));
  }
  TProperties& dl = FindOrCreate("dl");
  dl.SetProp(MarginTop, 0);
  dl.SetProp(MarginBottom, 0);
  dl.SetProp(MarginLeft, 0);
  dl.SetProp(PaddingLeft, 0);
  dl.SetProp(ListStyleType, S("none"));
  TProperties& dd = FindOrCreate("dd");
  dd.SetProp(PaddingLeft, 35);
  dd.SetProp(MarginTop, 0);
  dd.SetProp(MarginBottom, 0);
  TProperties& bq = FindOrCreate("blockquote");
  bq.SetProp(PaddingLeft, 35);
  bq.SetProp(MarginTop, kParagraphSpace);
  bq.SetProp(MarginBottom, 14);

  for (const char* t : {"code", "tt", "kbd", "samp"}) {
    FindOrCreate(t).SetProp(FontFamily, PreFontName);
    FindOrCreate(t).SetProp(FontSize, S("0.833em"));
  }
  for (const char* t : {"b", "strong", "th"}) FindOrCreate(t).SetProp(FontWeight, S("bold"));
  FindOrCreate("sup").SetProp(FontSize, S("75%"));
  FindOrCreate("sup").SetProp(VerticalAlign, S("super"));
  FindOrCreate("sub").SetProp(FontSize, S("75%"));
  FindOrCreate("sub").SetProp(VerticalAlign, S("sub"));
  FindOrCreate("big").SetProp(FontSize, S("1.25em"));
  FindOrCreate("small").SetProp(FontSize, S("0.75em"));
  FindOrCreate("table").SetProp(TextAlign, S("none"));
  for (const char* t : {"i", "em", "cite", "var", "address"}) FindOrCreate(t).SetProp(FontStyle, S("italic"));
  FindOrCreate("u").SetProp(TextDecoration, S("underline"));
  for (const char* t : {"s", "strike"}) FindOrCreate(t).SetProp(TextDecoration, S("line-through"));
  for (const char* t : {"center", "caption"}) FindOrCreate(t).SetProp(TextAlign, S("center"));
  for (const char* t : {"input", "select", "textarea"}) {
    TProperties& f = FindOrCreate(t);
    f.SetProp(FontFamily, S(std::string_view(t) == "textarea" ? PreFontName : S("Arial Unicode MS, Arial")));
    f.SetProp(FontSize, S("10pt"));
    f.SetProp(FontStyle, S("none"));
    f.SetProp(FontWeight, S("normal"));
    f.SetProp(TextAlign, S("left"));
    f.SetProp(TextDecoration, S("none"));
    f.SetProp(Color, DefFontColor);
  }
  TProperties& hr = FindOrCreate("hr");
  hr.SetProp(MarginTop, 10);
  hr.SetProp(MarginBottom, 10);
  hr.SetProp(MarginLeft, 0);
  hr.SetProp(MarginRight, 0);
  static constexpr double kHeadingPoints[6] = {24, 18, 14, 12, 10, 8};
  for (int i = 0; i < 6; ++i) {
    TProperties& h = FindOrCreate("h" + std::to_string(i + 1));
    h.SetProp(FontSize, DefFontSize / 12 * kHeadingPoints[i]);
    h.SetProp(MarginTop, 19);
    h.SetProp(MarginBottom, 19);
    h.SetProp(FontWeight, S("bold"));
  }
}

void TProperties::ApplyRules(const TStyleList& Styles, const TPropStack& Stack, size_t ParentIndex,
                             std::string_view Tag, std::string_view Class, std::string_view ID,
                             std::string_view Pseudo, std::string_view Title,
                             const std::shared_ptr<TProperties>& Inline) {
  ApplyRulesTo(Styles, Ancestors{Stack, ParentIndex}, Tag, Class, ID, Pseudo, Title, Inline);
}

void TProperties::ApplyRulesTo(const TStyleList& Styles, const Ancestors& Chain, std::string_view Tag,
                               std::string_view Class, std::string_view ID, std::string_view Pseudo,
                               std::string_view Title, const std::shared_ptr<TProperties>& Inline) {
  PropTag = std::string(Tag);
  PropClass = std::string(Class);
  PropID = std::string(ID);
  PropPseudo = std::string(Pseudo);
  if (!Title.empty()) PropTitle = std::string(Title);
  InlineStyle = Inline;
  if (Styles.Fonts) Fonts = Styles.Fonts;
  DefFontSize = Styles.DefFontSize();

  double base = Styles.DefFontSize();
  const TProperties* parent = Chain.Extra[0];
  if (!parent && Chain.ParentIndex < Chain.Stack.Count()) parent = &Chain.Stack[Chain.ParentIndex];
  if (parent) {
    if (auto s = parent->FontSizePoints(); s && *s > 0) base = *s;
  }
  auto pass = [&](std::string_view cls, const TProperties* inl) {
    ApplyOnePass(Styles, Chain, Tag, cls, ID, Pseudo, inl);
    if (const std::string* fs = std::get_if<std::string>(&Prop(FontSize)))
      SetProp(FontSize, ToPoints(*fs, base, Styles.DefFontSize()));
  };
  // Several classes: one pass per class and one for the compound, so that a tag rule met in a later pass
  // overrides a single-class rule of an earlier one.
  if (Class.find('.') != std::string_view::npos) {
    std::string_view rest = Class;
    while (true) {
      const size_t dot = rest.find('.');
      if (dot == std::string_view::npos) {
        pass(rest, Inline.get());
        break;
      }
      pass(rest.substr(0, dot), nullptr);
      rest.remove_prefix(dot + 1);
    }
  }
  pass(Class, Inline.get());
  if (Pseudo == "link") BuildLinkFonts(Styles, Chain, Tag, Class, ID, Title, Inline);
}

void TProperties::BuildLinkFonts(const TStyleList& Styles, const Ancestors& Chain, std::string_view Tag,
                                 std::string_view Class, std::string_view ID, std::string_view Title,
                                 const std::shared_ptr<TProperties>& Inline) {
  // Each state is this set combined with the rules of its pseudo-class, as a child of this set. The three
  // temporary sets are kept between calls: every link of a page needs them.
  static thread_local std::array<std::unique_ptr<TProperties>, 3> temps;
  auto state = [&](size_t slot, const TProperties& below, const TProperties* belowThat,
                   std::string_view pseudo) -> TProperties& {
    std::unique_ptr<TProperties>& s = temps[slot];
    if (s) {
      s->Renew();
    } else {
      s = std::make_unique<TProperties>();
    }
    s->InheritFrom(Tag, below);
    s->hasFontInfo_ = false;
    s->ApplyRulesTo(Styles, Ancestors{Chain.Stack, Chain.ParentIndex, {&below, belowThat}}, Tag, Class, ID, pseudo,
                    Title, Inline);
    return *s;
  };
  TFontInfoArray fonts;
  fonts[LinkNormal] = FontInfo();
  const TProperties& visited = state(0, *this, nullptr, "visited");
  fonts[LinkVisited] = visited.FontInfo();
  fonts[LinkVisitedHover] = state(1, visited, this, "hover").FontInfo();
  fonts[LinkHover] = state(2, *this, nullptr, "hover").FontInfo();
  fiArray_ = fonts;
  hasFontInfo_ = true;
}

void TProperties::ApplyOnePass(const TStyleList& Styles, const Ancestors& Chain, std::string_view Tag,
                               std::string_view Class, std::string_view ID, std::string_view Pseudo,
                               const TProperties* Inline) {
  const std::string_view tag = Tag, cls = Class, id = ID, pseudo = Pseudo;
  // Keys are built in one buffer kept between calls: this runs for every element of a page.
  static thread_local std::string key;
  auto apply = [&](std::initializer_list<std::string_view> parts) {
    key.clear();
    for (std::string_view p : parts) key += p;
    if (const std::vector<const TProperties*>* sets = Styles.SetsFor(key))
      for (const TProperties* set : *sets) MergeFrom(*set);
  };
  const bool hasClass = !cls.empty(), hasPseudo = !pseudo.empty(), hasId = !id.empty();
  const bool plain = !hasPseudo || (pseudo != "hover" && pseudo != "visited");

  if (tag == "a" && hasPseudo) apply({"::", pseudo});
  if (plain) apply({tag});
  if (hasPseudo) apply({":", pseudo});
  if (plain && hasClass) {
    apply({".", cls});
    apply({tag, ".", cls});
  }
  if (hasPseudo) apply({tag, ":", pseudo});
  if (hasClass && hasPseudo) {
    apply({".", cls, ":", pseudo});
    apply({tag, ".", cls, ":", pseudo});
  }
  if (hasId) {
    apply({"#", id});
    apply({tag, "#", id});
    if (hasClass) apply({".", cls, "#", id});
    if (hasPseudo) {
      apply({"#", id, ":", pseudo});
      apply({tag, "#", id, ":", pseudo});
    }
    if (hasClass) apply({tag, ".", cls, "#", id});
    if (hasClass && hasPseudo) {
      apply({".", cls, "#", id, ":", pseudo});
      apply({tag, ".", cls, "#", id, ":", pseudo});
    }
  }

  // Descendant rules, found by the prefix of their subject.
  auto group = [&](std::string_view prefix) {
    const auto& index = Styles.DescendantRules();
    for (auto it = index.lower_bound(prefix); it != index.end() && it->first.starts_with(prefix); ++it) {
      const std::vector<KeyWord>& words = it->second->Words;
      const size_t count = words.size();
      const KeyWord& subject = words[0];
      if (subject.Tag != tag && subject.Class != cls && subject.Pseudo != pseudo) break;
      const bool pseudoOk = subject.Pseudo == pseudo || (subject.Pseudo.empty() && (pseudo.empty() || pseudo == "link"));
      if (!PartMatches(subject.Tag, tag) || !PartMatches(subject.Class, cls) || !PartMatches(subject.ID, id) ||
          !pseudoOk)
        continue;
      // Each further word must match an ancestor, nearest first; ancestors in between may be skipped.
      size_t w = 1;
      for (const TProperties* extra : Chain.Extra)
        if (extra && w < count && AncestorMatches(words[w], *extra)) ++w;
      const size_t top = Chain.Stack.Count() == 0 ? 0 : std::min(Chain.ParentIndex, Chain.Stack.Count() - 1);
      for (size_t e = top; e >= 1 && w < count; --e) {
        if (AncestorMatches(words[w], Chain.Stack[e])) ++w;
      }
      if (w == count) MergeFrom(*it->second->Props);
    }
  };
  group(tag);
  static thread_local std::string prefix;
  if (hasClass) {
    prefix.assign(".").append(cls);
    group(prefix);
  }
  if (hasPseudo) {
    prefix.assign(":").append(pseudo);
    group(prefix);
  }

  if (Inline) MergeFrom(*Inline);
}

}  // namespace lumora::html
