#pragma once
// The box values of a block (background and border colours, margins, paddings, border widths, colours and
// styles, width, height and positions) copied out of a property set and converted to pixels for layout.

#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "html/html_style_props.h"

namespace lumora::html {

inline constexpr int kFirstBoxValue = BackgroundColor;  // 9
inline constexpr int kLastBoxValue = Left;              // 36

// Indexed by the property index (9 to 36).
template <typename T>
class TBoxArray {
 public:
  T& operator[](int propIndex) { return v_[static_cast<size_t>(propIndex - kFirstBoxValue)]; }
  const T& operator[](int propIndex) const { return v_[static_cast<size_t>(propIndex - kFirstBoxValue)]; }

 private:
  std::array<T, kLastBoxValue - kFirstBoxValue + 1> v_{};
};
using TMarginArray = TBoxArray<int>;

// The box values of one block as the style gave them (the border styles 27 to 30 hold style codes). Every
// block and table cell keeps one for layout, and most blocks of a page carry the same values as many
// others: the values live in a shared, unchangeable store, which a change copies first (copy on write),
// and TBoxPool lets equal arrays of one document share one store.
class TVMarginArray {
 public:
  TVMarginArray();
  void Set(int propIndex, const TPropValue& Value);
  // The value as a property value (empty, an integer or text).
  TPropValue operator[](int propIndex) const;
  // The integer of an entry that holds one, else null.
  const int* integer(int propIndex) const {
    const size_t k = slot(propIndex);
    return rep_->kinds[k] == kInt ? &rep_->ints[k] : nullptr;
  }
  // The text of an entry that holds text, else null.
  const std::string* Text(int propIndex) const {
    const size_t k = slot(propIndex);
    return rep_->kinds[k] == kText ? &rep_->texts[static_cast<size_t>(rep_->ints[k])] : nullptr;
  }
  // Whether the entry holds the integer Value.
  bool holds(int propIndex, int Value) const {
    const int* n = integer(propIndex);
    return n && *n == Value;
  }
  // The display the lengths given in physical units (in, cm, pt, ...) are converted for.
  int pixelsPerInch() const { return rep_->pixelsPerInch; }
  void setPixelsPerInch(int Ppi);

  bool operator==(const TVMarginArray& other) const { return rep_ == other.rep_ || *rep_ == *other.rep_; }

 private:
  friend class TBoxPool;
  friend void getVMarginArray(const TProperties& Props, TVMarginArray& Box);
  enum Kind : uint8_t { kEmpty, kInt, kText };
  static size_t slot(int propIndex) { return static_cast<size_t>(propIndex - kFirstBoxValue); }
  static constexpr size_t kCount = kLastBoxValue - kFirstBoxValue + 1;
  struct Rep {
    std::array<int, kCount> ints{};  // the integer, or for text its index in texts
    std::array<uint8_t, kCount> kinds{};
    std::vector<std::string> texts;
    int pixelsPerInch = kDefaultPixelsPerInch;
    bool operator==(const Rep&) const = default;
    size_t hash() const;
  };
  Rep& mut();
  static void setIn(Rep& R, int propIndex, const TPropValue& Value);

  std::shared_ptr<const Rep> rep_;  // never null
};

// The stores of one document's box arrays: an array handed to share() afterwards uses the store of an
// equal array shared before (kept until Clear).
class TBoxPool {
 public:
  void share(TVMarginArray& Box);
  void Clear() { reps_.clear(); }
  size_t count() const { return reps_.size(); }

 private:
  std::unordered_multimap<size_t, std::shared_ptr<const TVMarginArray::Rep>> reps_;
};

// Copies the box values of Props, border styles as codes.
void getVMarginArray(const TProperties& Props, TVMarginArray& Box);

// Pixels for every box value; BaseWidth is the containing width (the containing height for height and top).
// AutoCount counts the auto horizontal margins and an auto width. Top and bottom margins are left to
// VerticalMargins.
void ConvertBoxArray(const TVMarginArray& Box, int BaseWidth, int BaseHeight, double EmSize, double ExSize,
                     TMarginArray& Values, int& AutoCount);
void VerticalMargins(const TVMarginArray& Box, int BaseWidth, double EmSize, double ExSize, int& Top,
                     bool& TopIsParagraph, int& Bottom, bool& BottomIsParagraph);
// Top, bottom, right and left for placed boxes; -1 when not given, a percentage as minus the percentage.
void BoxPositions(const TVMarginArray& Box, double EmSize, double ExSize, std::array<int, 4>& positions);
// Margins, paddings, border widths, width and height of an inline element with a border or padding.
void InlineBoxValues(const TVMarginArray& Box, int BaseWidth, double EmSize, double ExSize, TMarginArray& Values);

// One axis of a background image's placement.
struct TBackgroundPosition {
  enum Kind { Top = 0, Center, Bottom, LeftSide, RightSide, Percentage, Length };
  Kind PosType = Length;
  int Value = 0;
  bool RepeatD = true;
  bool Fixed = false;
};
// Horizontal and vertical records from background-position, -repeat and -attachment.
void backgroundPositionOf(const TProperties& Props, double EmSize, double ExSize, TBackgroundPosition& Horizontal,
                          TBackgroundPosition& Vertical);

}  // namespace lumora::html
