#include "html/image_map.h"

#include <algorithm>
#include <cstdint>

namespace lumora::html {

namespace {

constexpr size_t kMaxCoords = 301;
constexpr size_t kMaxNumberLength = 20;

bool isSeparator(char16_t c) { return c == u',' || c == u' '; }

// An integer with an optional sign; anything else (or an overflow) is 0.
int toIntOrZero(const std::u16string& piece) {
  size_t i = 0;
  bool negative = false;
  if (i < piece.size() && (piece[i] == u'-' || piece[i] == u'+')) negative = piece[i++] == u'-';
  if (i == piece.size()) return 0;
  int64_t value = 0;
  for (; i < piece.size(); ++i) {
    if (piece[i] < u'0' || piece[i] > u'9') return 0;
    value = value * 10 + (piece[i] - u'0');
    if (value > int64_t(INT32_MAX) + 1) return 0;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return 0;
  return int(value);
}

std::string upperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return s;
}

}  // namespace

TAreaRegion TAreaRegion::Rect(int left, int top, int right, int bottom) {
  TAreaRegion r;
  r.shape_ = Shape::Rect;
  r.left_ = std::min(left, right), r.right_ = std::max(left, right);
  r.top_ = std::min(top, bottom), r.bottom_ = std::max(top, bottom);
  return r;
}

TAreaRegion TAreaRegion::Ellipse(int left, int top, int right, int bottom) {
  TAreaRegion r = Rect(left, top, right, bottom);
  r.shape_ = Shape::Ellipse;
  return r;
}

TAreaRegion TAreaRegion::Polygon(std::vector<int> xy) {
  TAreaRegion r;
  r.shape_ = Shape::Polygon;
  r.points_ = std::move(xy);
  return r;
}

bool TAreaRegion::contains(int x, int y) const {
  switch (shape_) {
    case Shape::Rect:
      return x >= left_ && x < right_ && y >= top_ && y < bottom_;
    case Shape::Ellipse: {
      if (x < left_ || x >= right_ || y < top_ || y >= bottom_) return false;
      // Pixel centre against the ellipse inscribed in the box, in doubled coordinates.
      double w = double(right_) - left_, h = double(bottom_) - top_;
      double dx = 2.0 * x + 1 - (double(left_) + right_), dy = 2.0 * y + 1 - (double(top_) + bottom_);
      return dx * dx * h * h + dy * dy * w * w <= w * w * h * h;
    }
    case Shape::Polygon: {
      const double px = x + 0.5, py = y + 0.5;
      const size_t n = points_.size() / 2;
      int winding = 0;
      for (size_t i = 0; i < n; ++i) {
        double x1 = points_[2 * i], y1 = points_[2 * i + 1];
        double x2 = points_[2 * ((i + 1) % n)], y2 = points_[2 * ((i + 1) % n) + 1];
        double cross = (x2 - x1) * (py - y1) - (px - x1) * (y2 - y1);
        if (y1 <= py && py < y2 && cross > 0) ++winding;
        if (y2 <= py && py < y1 && cross < 0) --winding;
      }
      return winding != 0;
    }
  }
  return false;
}

TMapItem::TMapItem(std::u16string name) : name_(std::move(name)) {
  for (char16_t& c : name_)
    if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
}

std::vector<int> TMapItem::parseCoords(const std::u16string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && text[begin] <= u' ') ++begin;
  while (end > begin && text[end - 1] <= u' ') --end;
  std::vector<int> numbers;
  size_t i = begin;
  while (i < end && numbers.size() < kMaxCoords) {
    size_t stop = i;
    while (stop < end && !isSeparator(text[stop])) ++stop;
    std::u16string piece = text.substr(i, std::min(stop - i, kMaxNumberLength));
    numbers.push_back(toIntOrZero(piece));
    i = stop;
    while (i < end && isSeparator(text[i])) ++i;
  }
  return numbers;
}

void TMapItem::AddArea(const std::vector<TAreaAttribute>& attributes) {
  if (areas_.size() >= kMaxAreas) return;
  std::u16string href, target, title, shape;
  std::vector<int> coords;
  for (const TAreaAttribute& a : attributes) {
    std::string name = upperAscii(a.Name);
    if (name == "HREF")
      href = a.Value;
    else if (name == "NOHREF")
      href.clear();
    else if (name == "TARGET")
      target = a.Value;
    else if (name == "TITLE")
      title = a.Value;
    else if (name == "SHAPE")
      shape = a.Value;
    else if (name == "COORDS")
      coords = parseCoords(a.Value);
  }
  std::u16string kind = shape.substr(0, 4);
  for (char16_t& c : kind)
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');

  Area area;
  if (kind == u"circ") {
    if (coords.size() < 3) return;
    int64_t x = coords[0], y = coords[1], r = coords[2];
    auto clampInt = [](int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    area.Region = TAreaRegion::Ellipse(clampInt(x - r), clampInt(y - r), clampInt(x + r + 1), clampInt(y + r + 1));
  } else if (kind == u"poly") {
    if (coords.size() < 6) return;
    coords.resize(coords.size() & ~size_t(1));
    area.Region = TAreaRegion::Polygon(std::move(coords));
  } else {
    if (coords.size() < 4) return;
    auto plusOne = [](int v) { return v == INT32_MAX ? v : v + 1; };
    area.Region = TAreaRegion::Rect(coords[0], coords[1], plusOne(coords[2]), plusOne(coords[3]));
  }
  area.Href = std::move(href);
  area.Target = std::move(target);
  area.Title = std::move(title);
  areas_.push_back(std::move(area));
}

bool TMapItem::AreaAtPoint(int x, int y, std::u16string& title, TMapLink& link) const {
  for (const Area& area : areas_) {
    if (!area.Region.contains(x, y)) continue;
    if (area.Href.empty()) return false;
    link = {area.Href, area.Target};
    title = area.Title;
    return true;
  }
  return false;
}

}  // namespace lumora::html
