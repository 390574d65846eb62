#include "html/html_style_list.h"

#include <algorithm>
#include <array>

namespace lumora::html {
namespace {

using KeyWord = TSelectorWord;

KeyWord splitWord(std::string_view w) {
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

bool partMatches(std::string_view keyPart, std::string_view value) { return keyPart.empty() || keyPart == value; }

bool ancestorMatches(const KeyWord& w, const TProperties& p) {
  return partMatches(w.Tag, p.PropTag) && partMatches(w.Class, p.PropClass) && partMatches(w.ID, p.PropID) &&
         partMatches(w.Pseudo, p.PropPseudo);
}

constexpr size_t kMaxKeyWords = 10;

}  // namespace

std::string TStyleList::sequenceDigits(int Sequence) {
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

TProperties& TStyleList::insert(std::string_view Key, std::unique_ptr<TProperties> Props) {
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
      it->second.Words.push_back(splitWord(word));
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

TProperties& TStyleList::findOrCreate(std::string_view Key) {
  if (TProperties* p = find(Key)) return *p;
  return insert(Key, std::make_unique<TProperties>());
}

const TProperties* TStyleList::find(std::string_view Key) const {
  const auto it = rules_.find(Key);
  return it == rules_.end() ? nullptr : it->second.Props.get();
}

TProperties* TStyleList::find(std::string_view Key) {
  const auto it = rules_.find(Key);
  return it == rules_.end() ? nullptr : it->second.Props.get();
}

TProperties& TStyleList::AddCopy(std::string_view Key, const TProperties& Properties) {
  return insert(Key, std::make_unique<TProperties>(Properties));
}

void TStyleList::SetLinkColor(std::string_view Pseudo, TColor Color) {
  findOrCreate("::" + std::string(Pseudo)).setProp(lumora::html::Color, Color);
}

void TStyleList::SetRuleProperty(std::string_view Selector, std::string_view Name, std::string_view Value) {
  const auto index = propertyIndex(lowerAscii(trimAscii(Name)));
  if (!index) return;
  const std::string key = lowerAscii(trimAscii(Selector));
  if (key.find(":hover") != std::string::npos && OnHoverRule) OnHoverRule();
  findOrCreate(key).setPropertyFromText(*index, Value, false, key, this);
  if (key == "a") findOrCreate("::link").setPropertyFromText(*index, Value, false, "::link", this);
}

void TStyleList::BuildDefaults(const std::string& DefFontName, const std::string& PreFontName, int MarginWidth,
                               int MarginHeight, uint8_t CharSet, bool LinkUnderline, TColor OverLinkColor,
                               TColor VisitedLinkColor, TColor HotSpotColor, TColor DefFontColor,
                               double DefFontSize) {
  Clear();
  defFontSize_ = DefFontSize;
  using S = std::string;

  TProperties& d = findOrCreate("default");
  d.setProp(FontFamily, DefFontName);
  d.setProp(FontSize, DefFontSize);
  d.setProp(FontStyle, S("none"));
  d.setProp(FontWeight, S("normal"));
  d.setProp(TextAlign, S("left"));
  d.setProp(TextDecoration, S("none"));
  d.setProp(TextTransform, 0);
  d.setProp(WordWrap, S("normal"));
  d.setProp(FontVariant, S("normal"));
  d.setProp(Color, DefFontColor);
  d.setProp(MarginTop, MarginHeight);
  d.setProp(MarginBottom, MarginHeight);
  d.setProp(MarginLeft, MarginWidth);
  d.setProp(MarginRight, MarginWidth);
  d.setProp(Visibility, 2);
  d.setProp(LetterSpacing, 0);
  d.CharSet = CharSet;
  d.DefFontname = DefFontName;

  findOrCreate("::link").setProp(Color, HotSpotColor | kPaletteRelative);
  findOrCreate("::link").setProp(TextDecoration, S(LinkUnderline ? "underline" : "none"));
  findOrCreate("::visited").setProp(Color, VisitedLinkColor | kPaletteRelative);
  findOrCreate("::hover").setProp(Color, OverLinkColor | kPaletteRelative);
  findOrCreate("null");

  TProperties& pre = findOrCreate("pre");
  pre.setProp(FontFamily, PreFontName);
  pre.setProp(FontSize, DefFontSize * 10 / 12);
  pre.setProp(FontStyle, S("none"));
  pre.setProp(FontWeight, S("normal"));
  pre.setProp(TextDecoration, S("none"));

  TProperties& p = findOrCreate("p");
  p.setProp(MarginTop, kParagraphSpace);
  p.setProp(MarginBottom, kParagraphSpace);
  // P inside PRE: one ancestor, sequence 1 (before every rule of the page's sheets).
  findOrCreate("p 1" + sequenceDigits(1) + "pre").setProp(MarginTop, 0);

  for (const char* list : {"ul", "ol", "menu", "dir"}) {
    TProperties& l = findOrCreate(list);
    l.setProp(PaddingLeft, 35);
    l.setProp(MarginTop, kParagraphSpace);
    l.setProp(MarginBottom, kParagraphSpace);
    l.setProp(ListStyleType, S("blank"));
  }
  TProperties& dl = findOrCreate("dl");
  dl.setProp(MarginTop, 0);
  dl.setProp(MarginBottom, 0);
  dl.setProp(MarginLeft, 0);
  dl.setProp(PaddingLeft, 0);
  dl.setProp(ListStyleType, S("none"));
  TProperties& dd = findOrCreate("dd");
  dd.setProp(PaddingLeft, 35);
  dd.setProp(MarginTop, 0);
  dd.setProp(MarginBottom, 0);
  TProperties& bq = findOrCreate("blockquote");
  bq.setProp(PaddingLeft, 35);
  bq.setProp(MarginTop, kParagraphSpace);
  bq.setProp(MarginBottom, 14);

  for (const char* t : {"code", "tt", "kbd", "samp"}) {
    findOrCreate(t).setProp(FontFamily, PreFontName);
    findOrCreate(t).setProp(FontSize, S("0.833em"));
  }
  for (const char* t : {"b", "strong", "th"}) findOrCreate(t).setProp(FontWeight, S("bold"));
  findOrCreate("sup").setProp(FontSize, S("75%"));
  findOrCreate("sup").setProp(VerticalAlign, S("super"));
  findOrCreate("sub").setProp(FontSize, S("75%"));
  findOrCreate("sub").setProp(VerticalAlign, S("sub"));
  findOrCreate("big").setProp(FontSize, S("1.25em"));
  findOrCreate("small").setProp(FontSize, S("0.75em"));
  findOrCreate("table").setProp(TextAlign, S("none"));
  for (const char* t : {"i", "em", "cite", "var", "address"}) findOrCreate(t).setProp(FontStyle, S("italic"));
  findOrCreate("u").setProp(TextDecoration, S("underline"));
  for (const char* t : {"s", "strike"}) findOrCreate(t).setProp(TextDecoration, S("line-through"));
  for (const char* t : {"center", "caption"}) findOrCreate(t).setProp(TextAlign, S("center"));
  for (const char* t : {"input", "select", "textarea"}) {
    TProperties& f = findOrCreate(t);
    f.setProp(FontFamily, S(std::string_view(t) == "textarea" ? PreFontName : S("Arial Unicode MS, Arial")));
    f.setProp(FontSize, S("10pt"));
    f.setProp(FontStyle, S("none"));
    f.setProp(FontWeight, S("normal"));
    f.setProp(TextAlign, S("left"));
    f.setProp(TextDecoration, S("none"));
    f.setProp(Color, DefFontColor);
  }
  TProperties& hr = findOrCreate("hr");
  hr.setProp(MarginTop, 10);
  hr.setProp(MarginBottom, 10);
  hr.setProp(MarginLeft, 0);
  hr.setProp(MarginRight, 0);
  static constexpr double kHeadingPoints[6] = {24, 18, 14, 12, 10, 8};
  for (int i = 0; i < 6; ++i) {
    TProperties& h = findOrCreate("h" + std::to_string(i + 1));
    h.setProp(FontSize, DefFontSize / 12 * kHeadingPoints[i]);
    h.setProp(MarginTop, 19);
    h.setProp(MarginBottom, 19);
    h.setProp(FontWeight, S("bold"));
  }
}

void TProperties::ApplyRules(const TStyleList& Styles, const TPropStack& Stack, size_t ParentIndex,
                             std::string_view Tag, std::string_view Class, std::string_view ID,
                             std::string_view Pseudo, std::string_view Title,
                             const std::shared_ptr<TProperties>& Inline) {
  applyRulesTo(Styles, Ancestors{Stack, ParentIndex}, Tag, Class, ID, Pseudo, Title, Inline);
}

void TProperties::applyRulesTo(const TStyleList& Styles, const Ancestors& Chain, std::string_view Tag,
                               std::string_view Class, std::string_view ID, std::string_view Pseudo,
                               std::string_view Title, const std::shared_ptr<TProperties>& Inline) {
  PropTag = std::string(Tag);
  PropClass = std::string(Class);
  PropID = std::string(ID);
  PropPseudo = std::string(Pseudo);
  if (!Title.empty()) PropTitle = std::string(Title);
  InlineStyle = Inline;
  if (Styles.Fonts) Fonts = Styles.Fonts;
  PixelsPerInch = Styles.PixelsPerInch;
  DefFontSize = Styles.DefFontSize();

  double base = Styles.DefFontSize();
  const TProperties* parent = Chain.Extra[0];
  if (!parent && Chain.ParentIndex < Chain.Stack.count()) parent = &Chain.Stack[Chain.ParentIndex];
  if (parent) {
    if (auto s = parent->fontSizePoints(); s && *s > 0) base = *s;
  }
  auto pass = [&](std::string_view cls, const TProperties* inl) {
    applyOnePass(Styles, Chain, Tag, cls, ID, Pseudo, inl);
    if (const std::string* fs = std::get_if<std::string>(&prop(FontSize)))
      setProp(FontSize, ToPoints(*fs, base, Styles.DefFontSize(), Styles.PixelsPerInch));
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
  if (Pseudo == "link") buildLinkFonts(Styles, Chain, Tag, Class, ID, Title, Inline);
}

void TProperties::buildLinkFonts(const TStyleList& Styles, const Ancestors& Chain, std::string_view Tag,
                                 std::string_view Class, std::string_view ID, std::string_view Title,
                                 const std::shared_ptr<TProperties>& Inline) {
  // Each state is this set combined with the rules of its pseudo-class, as a child of this set. The three
  // temporary sets are kept between calls: every link of a page needs them.
  static thread_local std::array<std::unique_ptr<TProperties>, 3> temps;
  auto state = [&](size_t slot, const TProperties& below, const TProperties* belowThat,
                   std::string_view pseudo) -> TProperties& {
    std::unique_ptr<TProperties>& s = temps[slot];
    if (s) {
      s->renew();
    } else {
      s = std::make_unique<TProperties>();
    }
    s->InheritFrom(Tag, below);
    s->hasFontInfo_ = false;
    s->applyRulesTo(Styles, Ancestors{Chain.Stack, Chain.ParentIndex, {&below, belowThat}}, Tag, Class, ID, pseudo,
                    Title, Inline);
    return *s;
  };
  TFontInfoArray fonts;
  fonts[LinkNormal] = fontInfo();
  const TProperties& visited = state(0, *this, nullptr, "visited");
  fonts[LinkVisited] = visited.fontInfo();
  fonts[LinkVisitedHover] = state(1, visited, this, "hover").fontInfo();
  fonts[LinkHover] = state(2, *this, nullptr, "hover").fontInfo();
  fiArray_ = fonts;
  hasFontInfo_ = true;
}

void TProperties::applyOnePass(const TStyleList& Styles, const Ancestors& Chain, std::string_view Tag,
                               std::string_view Class, std::string_view ID, std::string_view Pseudo,
                               const TProperties* Inline) {
  const std::string_view tag = Tag, cls = Class, id = ID, pseudo = Pseudo;
  // Keys are built in one buffer kept between calls: this runs for every element of a page.
  static thread_local std::string key;
  auto apply = [&](std::initializer_list<std::string_view> parts) {
    key.clear();
    for (std::string_view p : parts) key += p;
    if (const std::vector<const TProperties*>* sets = Styles.setsFor(key))
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
    const auto& index = Styles.descendantRules();
    for (auto it = index.lower_bound(prefix); it != index.end() && it->first.starts_with(prefix); ++it) {
      const std::vector<KeyWord>& words = it->second->Words;
      const size_t count = words.size();
      const KeyWord& subject = words[0];
      if (subject.Tag != tag && subject.Class != cls && subject.Pseudo != pseudo) break;
      const bool pseudoOk = subject.Pseudo == pseudo || (subject.Pseudo.empty() && (pseudo.empty() || pseudo == "link"));
      if (!partMatches(subject.Tag, tag) || !partMatches(subject.Class, cls) || !partMatches(subject.ID, id) ||
          !pseudoOk)
        continue;
      // Each further word must match an ancestor, nearest first; ancestors in between may be skipped.
      size_t w = 1;
      for (const TProperties* extra : Chain.Extra)
        if (extra && w < count && ancestorMatches(words[w], *extra)) ++w;
      const size_t top = Chain.Stack.count() == 0 ? 0 : std::min(Chain.ParentIndex, Chain.Stack.count() - 1);
      for (size_t e = top; e >= 1 && w < count; --e) {
        if (ancestorMatches(words[w], Chain.Stack[e])) ++w;
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
