#pragma once
// The box values of a block (background and border colours, margins, paddings, border widths, colours and
// styles, width, height and positions) copied out of a property set and converted to pixels for layout.

#include <array>

#include "html/html_style_props.h"

namespace lumora::html {

inline constexpr int kFirstBoxValue = BackgroundColor;  // 9
inline constexpr int kLastBoxValue = Left;              // 36

// Indexed by the property index (9 to 36); the border styles 27 to 30 hold style codes.
template <typename T>
class TBoxArray {
 public:
  T& operator[](int propIndex) { return v_[static_cast<size_t>(propIndex - kFirstBoxValue)]; }
  const T& operator[](int propIndex) const { return v_[static_cast<size_t>(propIndex - kFirstBoxValue)]; }

 private:
  std::array<T, kLastBoxValue - kFirstBoxValue + 1> v_{};
};
using TVMarginArray = TBoxArray<TPropValue>;
using TMarginArray = TBoxArray<int>;

// Copies the box values of Props, border styles as codes.
void GetVMarginArray(const TProperties& Props, TVMarginArray& Box);

// Pixels for every box value; BaseWidth is the containing width (the containing height for height and top).
// AutoCount counts the auto horizontal margins and an auto width. Top and bottom margins are left to
// VerticalMargins.
void ConvertBoxArray(const TVMarginArray& Box, int BaseWidth, int BaseHeight, double EmSize, double ExSize,
                     TMarginArray& Values, int& AutoCount);
void VerticalMargins(const TVMarginArray& Box, int BaseWidth, double EmSize, double ExSize, int& Top,
                     bool& TopIsParagraph, int& Bottom, bool& BottomIsParagraph);
// Top, bottom, right and left for placed boxes; -1 when not given, a percentage as minus the percentage.
void BoxPositions(const TVMarginArray& Box, double EmSize, double ExSize, std::array<int, 4>& Positions);
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
void BackgroundPositionOf(const TProperties& Props, double EmSize, double ExSize, TBackgroundPosition& Horizontal,
                          TBackgroundPosition& Vertical);

}  // namespace lumora::html
