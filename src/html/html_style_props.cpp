#include "html/html_style_props.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>

#include "html/html_style_list.h"

namespace lumora::html {
namespace {

std::atomic<uint64_t> serialCounter{0};

constexpr std::string_view kNames[PropCount] = {
    "font-family", "font-size", "font-style", "font-weight", "text-align", "text-decoration",
    "letter-spacing", "border-style", "color", "background-color", "border-color", "margin-top",
    "margin-right", "margin-bottom", "margin-left", "padding-top", "padding-right", "padding-bottom",
    "padding-left", "border-top-width", "border-right-width", "border-bottom-width", "border-left-width",
    "border-top-color", "border-right-color", "border-bottom-color", "border-left-color", "border-top-style",
    "border-right-style", "border-bottom-style", "border-left-style", "width", "height", "top", "bottom",
    "right", "left", "visibility", "line-height", "background-image", "background-position",
    "background-repeat", "background-attachment", "vertical-align", "position", "z-index", "list-style-type",
    "list-style-image", "float", "clear", "text-indent", "page-break-before", "page-break-after",
    "page-break-inside", "text-transform", "word-wrap", "font-variant", "border-collapse", "overflow",
    "display"};

bool isBox(int i) { return i >= kFirstBoxProp && i <= kLastBoxProp; }

const std::string* stringOf(const TPropValue& v) { return std::get_if<std::string>(&v); }

std::string lowerTrim(std::string_view s) { return lowerAscii(trimAscii(s)); }

std::string urlInside(const std::string* s) {
  if (!s) return {};
  std::string_view v = trimAscii(*s);
  if (v.size() >= 5 && lowerAscii(v.substr(0, 4)) == "url(" && v.back() == ')')
    return std::string(trimAscii(v.substr(4, v.size() - 5)));
  return {};
}

}  // namespace

std::string_view PropertyName(int index) {
  return index >= 0 && index < PropCount ? kNames[index] : std::string_view();
}

std::optional<int> propertyIndex(std::string_view name) {
  for (int i = 0; i < PropCount; ++i)
    if (kNames[i] == name) return i;
  return std::nullopt;
}

bool propertyInherits(int i) {
  switch (i) {
    case BorderStyle: case BackgroundColor: case BorderColor: case BackgroundImage: case BackgroundPosition:
    case BackgroundRepeat: case BackgroundAttachment: case Position: case Float: case Clear:
    case PageBreakBefore: case PageBreakAfter: case PageBreakInside: case BorderCollapse: case Overflow:
    case Display:
      return false;
    default:
      return !isBox(i);
  }
}

TProperties::TProperties() : serial_(++serialCounter) {
  for (int i = kFirstBoxProp; i <= kLastBoxProp; ++i) props_[static_cast<size_t>(i)] = kUnsetLength;
  props_[ZIndex] = 0;
  given_ = uint64_t{1} << ZIndex;
}

bool TProperties::given(int i) const {
  const TPropValue& v = props_[static_cast<size_t>(i)];
  if (isEmpty(v)) return false;
  if (isBox(i)) {
    if (const int* n = std::get_if<int>(&v); n && *n == kUnsetLength) return false;
  }
  return true;
}

TProperties::TProperties(const TProperties& other) { *this = other; }

void TProperties::renew() {
  serial_ = ++serialCounter;
  PropClass.clear();
  PropID.clear();
  PropPseudo.clear();
  InlineStyle.reset();
  font_.reset();
}

std::unique_ptr<TProperties> TPropStack::newEntry() {
  if (spare_.empty()) return std::make_unique<TProperties>();
  std::unique_ptr<TProperties> p = std::move(spare_.back());
  spare_.pop_back();
  p->renew();
  return p;
}

TProperties& TProperties::operator=(const TProperties& other) {
  PropTag = other.PropTag;
  PropClass = other.PropClass;
  PropID = other.PropID;
  PropPseudo = other.PropPseudo;
  PropTitle = other.PropTitle;
  InlineStyle = other.InlineStyle;
  DefFontname = other.DefFontname;
  CharSet = other.CharSet;
  EmSize = other.EmSize;
  ExSize = other.ExSize;
  FontBackground_ = other.FontBackground_;
  Fonts = other.Fonts;
  PixelsPerInch = other.PixelsPerInch;
  DefFontSize = other.DefFontSize;
  CodePage_ = other.CodePage_;
  hasFontInfo_ = other.hasFontInfo_;
  if (hasFontInfo_) fiArray_ = other.fiArray_;  // the link fonts mean nothing without the flag
  font_ = other.font_;
  props_ = other.props_;
  given_ = other.given_;
  setHere_ = other.setHere_;
  serial_ = ++serialCounter;  // a copy is a set of its own
  return *this;
}

void TProperties::InheritFrom(std::string_view Tag, const TProperties& Parent) {
  PropTag = std::string(Tag);
  const std::string& ptag = Parent.PropTag;
  const bool fromSpan = ptag == "span";
  const bool fromRowGroup = ptag == "thead" || ptag == "tbody" || ptag == "tfoot";
  const bool isTable = Tag == "table";
  setHere_ = {};
  if (fromSpan || fromRowGroup) {
    props_ = Parent.props_;
    given_ = Parent.given_;
    if (fromSpan) {
      props_[BorderStyle] = std::monostate{};
      given_ &= ~(uint64_t{1} << BorderStyle);
    } else {
      setHere_ = Parent.setHere_;
    }
  } else {
    static const uint64_t inheritMask = [] {
      uint64_t m = 0;
      for (int i = 0; i < PropCount; ++i)
        if (propertyInherits(i)) m |= uint64_t{1} << i;
      return m;
    }();
    for (int i = 0; i < PropCount; ++i) {
      const auto k = static_cast<size_t>(i);
      if (inheritMask >> i & 1) props_[k] = Parent.props_[k];
      else if (isBox(i)) props_[k] = kUnsetLength;
      else props_[k] = std::monostate{};
    }
    given_ = Parent.given_ & inheritMask;
    if (isTable) {
      props_[WordWrap] = std::string("normal");
      given_ |= uint64_t{1} << WordWrap;
    }
  }
  DefFontname = Parent.DefFontname;
  FontBackground_ = Parent.FontBackground_;
  CharSet = Parent.CharSet;
  CodePage_ = Parent.CodePage_;
  PropTitle = Parent.PropTitle;
  EmSize = Parent.EmSize;
  ExSize = Parent.ExSize;
  Fonts = Parent.Fonts;
  PixelsPerInch = Parent.PixelsPerInch;
  DefFontSize = Parent.DefFontSize;
  hasFontInfo_ = Parent.hasFontInfo_;
  if (hasFontInfo_) fiArray_ = Parent.fiArray_;  // the link fonts mean nothing without the flag
  font_.reset();
}

void TProperties::Reinherit(const TProperties& Parent) {
  // Only inheriting properties follow the new parent: a box value or background of the removed element must
  // not reappear on this one.
  for (int i = 0; i < PropCount; ++i)
    if (!setHere(i) && propertyInherits(i)) props_[static_cast<size_t>(i)] = Parent.props_[static_cast<size_t>(i)];
  updateAllGiven();
  font_.reset();
  // Inside a link the link fonts stay; an element that was only inside a removed link loses them.
  if (PropPseudo != "link" && !Parent.hasFontInfo_) hasFontInfo_ = false;
}

void TProperties::MergeFrom(const TProperties& Source) {
  // Only the properties the source gives; a rule usually sets a handful of the sixty.
  for (uint64_t bits = Source.given_; bits != 0; bits &= bits - 1) {
    const int i = std::countr_zero(bits);
    const TPropValue& v = Source.prop(i);
    props_[static_cast<size_t>(i)] = v;
    setHere_[static_cast<size_t>(i)] = true;
    given_ |= uint64_t{1} << i;
    if (hasFontInfo_) mergeIntoLinkFonts(i, v);
    if (i == BackgroundColor) {
      if (const int* c = std::get_if<int>(&v)) FontBackground_ = *c;
    }
  }
  font_.reset();
}

void TProperties::mergeIntoLinkFonts(int index, const TPropValue& v) {
  const std::string* s = std::get_if<std::string>(&v);
  for (ThtFontInfo& f : fiArray_) {
    switch (index) {
      case FontFamily:
        if (s) f.iName = resolveFontFamily(*s, Fonts, f.iName);
        break;
      case FontSize:
        if (s) f.iSize = ToPoints(*s, f.iSize, DefFontSize, PixelsPerInch);
        else if (const double* d = std::get_if<double>(&v)) f.iSize = *d;
        break;
      case FontStyle: case FontWeight: case TextDecoration:
        if (s) f.iStyle = applyFontStyleWord(f.iStyle, index, *s);
        break;
      case LetterSpacing:
        std::visit([&](const auto& x) { f.iCharExtra = x; }, v);
        break;
      case Color:
        if (const int* c = std::get_if<int>(&v)) f.iColor = *c;
        break;
      case BackgroundColor:
        if (const int* c = std::get_if<int>(&v)) f.ibgColor = *c;
        break;
      default:
        break;
    }
  }
}

ThtFontInfo TProperties::fontInfo() const {
  ThtFontInfo f;
  const std::string* family = std::get_if<std::string>(&prop(FontFamily));
  f.iName = family ? resolveFontFamily(*family, Fonts, DefFontname) : DefFontname;
  f.iSize = fontSizePoints().value_or(DefFontSize);
  for (int i : {FontStyle, FontWeight, TextDecoration})
    if (const std::string* w = std::get_if<std::string>(&prop(i))) f.iStyle = applyFontStyleWord(f.iStyle, i, *w);
  f.iColor = colorValue();
  f.ibgColor = FontBackground_;
  f.iCharSet = CharSet;
  std::visit([&](const auto& x) { f.iCharExtra = x; }, prop(LetterSpacing));
  return f;
}

TMyFont TProperties::MakeFont() {
  if (font_) return *font_;
  const ThtFontInfo info = fontInfo();
  TMyFont f;
  f.Name = info.iName;
  const double height = info.iSize * PixelsPerInch / 72.0;
  f.Height = std::isfinite(height) ? static_cast<int>(std::nearbyint(std::clamp(height, -1e6, 1e6))) : 0;
  f.Style = info.iStyle;
  f.Color = info.iColor;
  f.bgColor = info.ibgColor;
  if (const int* n = std::get_if<int>(&prop(LetterSpacing))) f.CharExtra = *n;
  else if (const std::string* ls = std::get_if<std::string>(&prop(LetterSpacing)); ls && lowerAscii(trimAscii(*ls)) != "normal")
    f.CharExtra = ToPixels(*ls, false, EmSize, 0, EmSize, ExSize, PixelsPerInch);
  TRealizedFont m;
  if (Fonts) {
    // A symbol font keeps its own character set whatever the document asks for.
    TFontRequest request{f.Name, f.Height, f.Style, kDefaultCharSet};
    m = Fonts->fontMetrics(Fonts->realizeFont(request));
    f.CharSet = m.CharSet == kSymbolCharSet ? kSymbolCharSet : CharSet;
    if (f.CharSet != kDefaultCharSet) {
      request.CharSet = f.CharSet;
      m = Fonts->fontMetrics(Fonts->realizeFont(request));
    }
    EmSize = m.CellHeight - m.InternalLeading;
    ExSize = static_cast<int>(EmSize) / 2;
  } else {
    f.CharSet = CharSet;
  }
  f.tmHeight = m.CellHeight;
  f.tmDescent = m.Descent;
  f.tmExternalLeading = m.ExternalLeading;
  f.tmAveCharWidth = m.AveCharWidth;
  f.tmMaxCharWidth = m.MaxCharWidth;
  f.tmCharset = m.CharSet;
  font_ = f;
  return f;
}

void TProperties::AssignHint(TPropValue Value, int Index) {
  if (Index < 0 || Index >= PropCount) return;
  if (!setHere(Index)) {
    if (hasFontInfo_ && (Index == FontFamily || Index == FontSize || Index == Color)) mergeIntoLinkFonts(Index, Value);
    setProp(Index, std::move(Value));
  }
  setSetHere(Index, true);
}

void TProperties::setPropertyFromText(int index, std::string_view value, bool inlineStyle,
                                      const std::string& selector, TStyleList* list) {
  const std::string text(trimAscii(value));
  const std::string word = lowerAscii(text);
  TColor c = 0;
  switch (index) {
    case BorderStyle:
      setProp(BorderStyle, text);
      for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i) setProp(i, text);
      return;
    case BorderColor:
      if (!ParseColor(text, false, c)) return;
      setProp(BorderColor, c);
      for (int i = BorderTopColor; i <= BorderLeftColor; ++i) setProp(i, c);
      return;
    case Color:
      if (!ParseColor(text, false, c)) {
        if (!inlineStyle) return;
        c = 0;  // an unreadable inline colour is black
      }
      setProp(Color, c);
      if (!inlineStyle && list) {
        if (selector == ":link") {
          list->SetLinkColor("hover", c);
          list->SetLinkColor("visited", c);
        } else if (selector == ":visited") {
          list->SetLinkColor("hover", c);
        }
      }
      return;
    case BackgroundColor:
      setProp(BackgroundColor, ParseColor(text, false, c) ? c : kColorNone);
      return;
    case BorderTopColor: case BorderRightColor: case BorderBottomColor: case BorderLeftColor:
      if (ParseColor(text, false, c)) setProp(index, c);
      return;
    case BorderTopStyle: case BorderRightStyle: case BorderBottomStyle: case BorderLeftStyle:
      setProp(index, text);
      if (word != "none") setProp(BorderStyle, text);
      return;
    case Visibility:
      if (word == "visible") setProp(Visibility, 2);
      else if (word == "hidden") setProp(Visibility, 1);
      return;
    case TextTransform:
      setProp(TextTransform, word == "uppercase" ? 1 : word == "lowercase" ? 2 : 0);
      return;
    case WordWrap:
      setProp(WordWrap, std::string(word == "break-word" ? "break-word" : "normal"));
      return;
    case FontVariant:
      if (word == "small-caps" || word == "normal") setProp(FontVariant, word);
      return;
    default:
      setProp(index, text);
  }
}

void TProperties::SetInlineProperty(std::string_view Name, std::string_view Value) {
  const auto index = propertyIndex(lowerAscii(trimAscii(Name)));
  if (index) setPropertyFromText(*index, Value, true, std::string(), nullptr);
}

std::optional<double> TProperties::fontSizePoints() const {
  if (const double* d = std::get_if<double>(&prop(FontSize))) return *d;
  if (const int* n = std::get_if<int>(&prop(FontSize))) return *n;
  return std::nullopt;
}

TColor TProperties::colorValue() const {
  const int* c = std::get_if<int>(&prop(Color));
  return c ? *c : kColorNone;
}

TColor TProperties::OwnColor() const { return setHere(Color) ? colorValue() : kColorNone; }

int TProperties::BorderStyleCode() const {
  const std::string* s = stringOf(prop(BorderStyle));
  return s ? borderStyleCodeOf(*s) : 0;
}

TListStyleCode TProperties::ListStyleCode() const {
  const std::string* s = stringOf(prop(ListStyleType));
  return s ? listStyleCodeOf(*s) : lsBlank;
}

std::optional<TVerticalAlign> TProperties::verticalAlignment() const {
  const std::string* s = stringOf(prop(VerticalAlign));
  return s ? verticalAlignOf(*s) : std::nullopt;
}

TSide TProperties::FloatSide() const {
  const std::string* s = stringOf(prop(Float));
  return s ? floatSideOf(*s) : TSide::None;
}

TSide TProperties::ClearSide() const {
  const std::string* s = stringOf(prop(Clear));
  return s ? clearSideOf(*s) : TSide::None;
}

TPositionKind TProperties::PositionKind() const {
  const std::string* s = stringOf(prop(Position));
  return s ? positionKindOf(*s) : TPositionKind::Static;
}

int TProperties::ZIndexValue() const {
  if (const int* n = std::get_if<int>(&prop(ZIndex))) return *n;
  if (const std::string* s = stringOf(prop(ZIndex))) return ToPixels(*s, false, 0, 0, 0, 0, PixelsPerInch);
  return 0;
}

bool TProperties::NotDisplayed() const {
  const std::string* s = stringOf(prop(Display));
  return s && lowerTrim(*s) == "none";
}

bool TProperties::isVisible() const {
  const int* n = std::get_if<int>(&prop(Visibility));
  return !n || *n != 1;
}

bool TProperties::ClipsOverflow() const {
  const std::string* s = stringOf(prop(Overflow));
  return s && lowerTrim(*s) == "hidden";
}

bool TProperties::CollapsesBorders() const {
  const std::string* s = stringOf(prop(BorderCollapse));
  return s && lowerTrim(*s) == "collapse";
}

std::string TProperties::wordWrapValue() const {
  const std::string* s = stringOf(prop(WordWrap));
  return s ? *s : std::string("normal");
}

void TProperties::PageBreaks(bool& Before, bool& After, bool& InsideAvoid) const {
  auto is = [&](int i, std::string_view word) {
    const std::string* s = stringOf(prop(i));
    return s && lowerTrim(*s) == word;
  };
  Before = is(PageBreakBefore, "always");
  After = is(PageBreakAfter, "always");
  InsideAvoid = is(PageBreakInside, "avoid");
}

int TProperties::lineHeightPixels(int NormalHeight) const {
  const std::string* s = stringOf(prop(LineHeight));
  if (!s) return -1;
  const std::string_view t = trimAscii(*s);
  // A bare number is a multiple of the normal height; anything with a unit is a length.
  if (!t.empty() && t.find_first_not_of("+-.0123456789") == std::string_view::npos &&
      t.find_first_of("0123456789") != std::string_view::npos) {
    return ToPixels(t, true, NormalHeight, -1, EmSize, ExSize, PixelsPerInch);
  }
  return ToPixels(t, true, EmSize, -1, EmSize, ExSize, PixelsPerInch);
}

int TProperties::textIndentValue(bool& IsPercent) const {
  IsPercent = false;
  const std::string* s = stringOf(prop(TextIndent));
  if (!s) return 0;
  const std::string_view t = trimAscii(*s);
  if (!t.empty() && t.back() == '%') {
    IsPercent = true;
    return ToPixels(t.substr(0, t.size() - 1), false, 0, 0, EmSize, ExSize, PixelsPerInch);
  }
  return ToPixels(t, false, 0, 0, EmSize, ExSize, PixelsPerInch);
}

std::string TProperties::ListStyleImageUrl() const { return urlInside(stringOf(prop(ListStyleImage))); }
std::string TProperties::BackgroundImageUrl() const { return urlInside(stringOf(prop(BackgroundImage))); }

}  // namespace lumora::html
