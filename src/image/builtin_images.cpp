#include "image/builtin_images.h"

namespace lumora::image {

namespace {

// '#' frame, 'o' dark detail, 'x' red, '.' light fill, ' ' transparent (error image only).
constexpr const char* kDefaultRows[kBuiltinImageSize] = {
    "################", "#..............#", "#..............#", "#..oo..........#",
    "#..oo..........#", "#..............#", "#.........o....#", "#........ooo...#",
    "#.......ooooo..#", "#...o..ooooooo.#", "#..ooooooooooo.#", "#.oooooooooooo.#",
    "#.oooooooooooo.#", "#..............#", "#..............#", "################",
};
constexpr const char* kErrorRows[kBuiltinImageSize] = {
    "#########       ", "#.......##      ", "#.......#.#     ", "#.......####    ",
    "#..xx......xx#  ", "#..xxx....xxx#  ", "#...xxx..xxx.#  ", "#....xxxxxx..#  ",
    "#.....xxxx...#  ", "#....xxxxxx..#  ", "#...xxx..xxx.#  ", "#..xxx....xxx#  ",
    "#..xx......xx#  ", "#.............#  ", "###############  ", "                ",
};

Pixel colorOf(char c) {
  switch (c) {
    case '#':
      return makePixel(128, 128, 128);
    case 'o':
      return makePixel(64, 96, 160);
    case 'x':
      return makePixel(208, 0, 0);
    case '.':
      return makePixel(255, 255, 255);
    default:
      return makePixel(0, 0, 0);
  }
}

TBitmap draw(const char* const* rows) {
  TBitmap b(kBuiltinImageSize, kBuiltinImageSize);
  for (int y = 0; y < kBuiltinImageSize; ++y)
    for (int x = 0; x < kBuiltinImageSize; ++x) {
      char c = x < int(std::char_traits<char>::length(rows[y])) ? rows[y][x] : ' ';
      b.at(x, y) = colorOf(c);
    }
  return b;
}

}  // namespace

const TBitmap& DefaultImage() {
  static const TBitmap image = draw(kDefaultRows);
  return image;
}

const TBitmap& ErrorImage() {
  static const TBitmap image = draw(kErrorRows);
  return image;
}

const TMask& ErrorImageMask() {
  static const TMask mask = [] {
    TMask m(kBuiltinImageSize, kBuiltinImageSize, 1);
    for (int y = 0; y < kBuiltinImageSize; ++y)
      for (int x = 0; x < kBuiltinImageSize && kErrorRows[y][x]; ++x)
        if (kErrorRows[y][x] != ' ') m.Bits[size_t(y * kBuiltinImageSize + x)] = 0;
    return m;
  }();
  return mask;
}

}  // namespace lumora::image
