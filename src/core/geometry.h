#pragma once
// Points and rectangles in device pixels, shared by the image code, the engine and its hosts.

namespace lumora::core {

struct TPoint {
  int X = 0, Y = 0;
  bool operator==(const TPoint&) const = default;
};

// Left and Top are inside the rectangle, Right and Bottom just outside it: a rectangle of width
// Right - Left and height Bottom - Top. A rectangle with Right <= Left or Bottom <= Top is empty.
struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TRect&) const = default;
};

}  // namespace lumora::core
