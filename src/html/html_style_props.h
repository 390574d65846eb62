#pragma once
// Property sets: the 60 style properties of one element (or of one style-sheet rule), how a child's set
// starts from its parent's, and the stack of sets that mirrors the open elements while a page is built.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "html/html_style_convert.h"
#include "html/html_style_font.h"

namespace lumora::html {

class TStyleList;
class TPropStack;

// The property index; the order is fixed (box values are copied out as a contiguous range).
enum PropIndices : int {
  FontFamily, FontSize, FontStyle, FontWeight, TextAlign, TextDecoration, LetterSpacing, BorderStyle, Color,
  BackgroundColor, BorderColor, MarginTop, MarginRight, MarginBottom, MarginLeft, PaddingTop, PaddingRight,
  PaddingBottom, PaddingLeft, BorderTopWidth, BorderRightWidth, BorderBottomWidth, BorderLeftWidth,
  BorderTopColor, BorderRightColor, BorderBottomColor, BorderLeftColor, BorderTopStyle, BorderRightStyle,
  BorderBottomStyle, BorderLeftStyle, Width, Height, Top, Bottom, Right, Left, Visibility, LineHeight,
  BackgroundImage, BackgroundPosition, BackgroundRepeat, BackgroundAttachment, VerticalAlign, Position,
  ZIndex, ListStyleType, ListStyleImage, Float, Clear, TextIndent, PageBreakBefore, PageBreakAfter,
  PageBreakInside, TextTransform, WordWrap, FontVariant, BorderCollapse, Overflow, Display,
  PropCount
};
static_assert(PropCount == 60);

inline constexpr int kFirstBoxProp = MarginTop;  // 11 to 36 start as the unset-length marker
inline constexpr int kLastBoxProp = Left;

// The CSS name of a property, and the index of a CSS name (nothing for names outside the table).
std::string_view PropertyName(int index);
std::optional<int> propertyIndex(std::string_view name);
// Whether a child's set starts with the parent's value (word-wrap inherits except into TABLE).
bool propertyInherits(int index);

// A property value: empty (unset), an integer, a number or a string as written.
using TPropValue = std::variant<std::monostate, int, double, std::string>;
inline bool isEmpty(const TPropValue& v) { return std::holds_alternative<std::monostate>(v); }

// One property set.
class TProperties {
 public:
  TProperties();
  TProperties(const TProperties& other);
  TProperties& operator=(const TProperties& other);

  // Identifies the set (process-wide counter, a new number for every set created, copies included).
  uint64_t serialNumber() const { return serial_; }
  // A recycled set becomes a new one: a new serial number, no identity, no inline style, no cached font.
  void renew();

  // --- Building ---
  void InheritFrom(std::string_view Tag, const TProperties& Parent);
  // After an entry below was removed: take again from Parent every property not set here.
  void Reinherit(const TProperties& Parent);
  void ApplyRules(const TStyleList& Styles, const TPropStack& Stack, size_t ParentIndex, std::string_view Tag,
                  std::string_view Class, std::string_view ID, std::string_view Pseudo, std::string_view Title,
                  const std::shared_ptr<TProperties>& InlineStyle);
  // Copies every non-empty property of Source (box values only when given) and marks it set here.
  void MergeFrom(const TProperties& Source);
  // A value from an HTML attribute: ignored when the style sheet or inline style set the property.
  void AssignHint(TPropValue Value, int Index);
  // One declaration of a STYLE attribute.
  void SetInlineProperty(std::string_view PropertyName, std::string_view Value);
  void SetCharSet(uint8_t Set, int CodePage) {
    CharSet = Set;
    CodePage_ = CodePage;
  }
  void SetUTF8() { SetCharSet(0, 65001); }

  // --- raw access ---
  const TPropValue& prop(int i) const { return props_[static_cast<size_t>(i)]; }
  void setProp(int i, TPropValue v) {
    props_[static_cast<size_t>(i)] = std::move(v);
    updateGiven(i);
    font_.reset();
  }
  bool setHere(int i) const { return setHere_[static_cast<size_t>(i)]; }
  void setSetHere(int i, bool v) { setHere_[static_cast<size_t>(i)] = v; }
  int CodePage() const { return CodePage_; }

  // --- Fonts ---
  // The font this set describes, realised through Fonts on first use (which also sets EmSize and ExSize);
  // each call returns a copy.
  TMyFont MakeFont();
  // The font description of this set as a link font.
  ThtFontInfo fontInfo() const;
  bool hasFontInfo() const { return hasFontInfo_; }
  const TFontInfoArray& linkFonts() const { return fiArray_; }

  // --- Readers of finished values ---
  // The converted font size in points, or nothing while it is not a number.
  std::optional<double> fontSizePoints() const;
  TColor colorValue() const;  // "none" when unset
  TColor OwnColor() const;    // color when set here, else "none"
  TColor FontBackground() const { return FontBackground_; }
  int BorderStyleCode() const;
  TListStyleCode ListStyleCode() const;
  std::optional<TVerticalAlign> verticalAlignment() const;
  TSide FloatSide() const;
  TSide ClearSide() const;
  TPositionKind PositionKind() const;
  int ZIndexValue() const;
  bool NotDisplayed() const;    // display: none
  bool isVisible() const;       // visibility other than hidden
  bool ClipsOverflow() const;   // overflow: hidden
  bool CollapsesBorders() const;
  std::string wordWrapValue() const;
  // page-break-before and -after "always", page-break-inside "avoid".
  void PageBreaks(bool& Before, bool& After, bool& InsideAvoid) const;
  // Line height in pixels, or -1 for "normal".
  int lineHeightPixels(int NormalHeight) const;
  int textIndentValue(bool& IsPercent) const;
  std::string ListStyleImageUrl() const;
  std::string BackgroundImageUrl() const;  // empty for none

  // --- Identity of the element (recorded by ApplyRules) ---
  std::string PropTag, PropClass, PropID, PropPseudo, PropTitle;
  std::shared_ptr<TProperties> InlineStyle;
  std::string DefFontname;          // last resort for font-family
  uint8_t CharSet = 1;              // default character set
  double EmSize = 16, ExSize = 8;   // pixels; set when the font is realised
  TColor FontBackground_ = kColorNone;
  ITextMetrics* Fonts = nullptr;                  // taken from the style list; copied down to children
  int PixelsPerInch = kDefaultPixelsPerInch;      // likewise
  double DefFontSize = 12;               // the document's default size in points (size keywords)

 private:
  friend class TStyleList;
  void setPropertyFromText(int index, std::string_view value, bool inlineStyle, const std::string& selector,
                           TStyleList* list);
  // The ancestors of the set being built: up to two sets not on the stack (nearest first), then the stack
  // from ParentIndex down to entry 1.
  struct Ancestors {
    const TPropStack& Stack;
    size_t ParentIndex;
    std::array<const TProperties*, 2> Extra{};
  };
  void applyRulesTo(const TStyleList& Styles, const Ancestors& Chain, std::string_view Tag, std::string_view Class,
                    std::string_view ID, std::string_view Pseudo, std::string_view Title,
                    const std::shared_ptr<TProperties>& Inline);
  void applyOnePass(const TStyleList& Styles, const Ancestors& Chain, std::string_view Tag, std::string_view Class,
                    std::string_view ID, std::string_view Pseudo, const TProperties* Inline);
  void buildLinkFonts(const TStyleList& Styles, const Ancestors& Chain, std::string_view Tag,
                      std::string_view Class, std::string_view ID, std::string_view Title,
                      const std::shared_ptr<TProperties>& Inline);
  void mergeIntoLinkFonts(int index, const TPropValue& v);

  // Whether property i holds a value a merge would copy (not empty, not an unset box value).
  bool given(int i) const;
  void updateGiven(int i) {
    const uint64_t bit = uint64_t{1} << i;
    given_ = given(i) ? (given_ | bit) : (given_ & ~bit);
  }
  void updateAllGiven() {
    for (int i = 0; i < PropCount; ++i) updateGiven(i);
  }

  uint64_t serial_;
  uint64_t given_ = 0;
  int CodePage_ = 0;
  std::array<TPropValue, PropCount> props_;
  std::array<bool, PropCount> setHere_{};
  bool hasFontInfo_ = false;
  TFontInfoArray fiArray_;
  std::optional<TMyFont> font_;
};

// The sets of the open elements. Entry 0 is the document's default rule.
class TPropStack {
 public:
  size_t count() const { return items_.size(); }
  TProperties& operator[](size_t i) { return *items_[i]; }
  const TProperties& operator[](size_t i) const { return *items_[i]; }
  TProperties& last() { return *items_.back(); }
  TProperties& push(std::unique_ptr<TProperties> p) {
    items_.push_back(std::move(p));
    return *items_.back();
  }
  // A set for the next push: one given back by an earlier pop when there is one (a page pushes a set for
  // every element, and reusing them saves the allocations of a large object and of its strings), with a
  // serial number of its own. The caller fills it with InheritFrom before anything else.
  std::unique_ptr<TProperties> newEntry();
  void pop() {
    recycle(std::move(items_.back()));
    items_.pop_back();
  }
  // Removes entry I (the builder's end tag that closes an element below the top).
  void erase(size_t I) {
    recycle(std::move(items_[I]));
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(I));
  }
  void Clear() {
    items_.clear();
    spare_.clear();
  }

 private:
  void recycle(std::unique_ptr<TProperties> p) {
    if (spare_.size() < kMaxSpare) spare_.push_back(std::move(p));
  }
  static constexpr size_t kMaxSpare = 64;
  std::vector<std::unique_ptr<TProperties>> items_;
  std::vector<std::unique_ptr<TProperties>> spare_;
};

}  // namespace lumora::html
