#pragma once
// Client-side image maps: the areas of one MAP element and the hit test that turns a point of an image
// into a link.

#include <cstddef>
#include <string>
#include <vector>

namespace lumora::html {

struct TAreaAttribute {
  std::string Name;  // HREF, NOHREF, TARGET, TITLE, SHAPE, COORDS (any letter case)
  std::u16string Value;
};

struct TMapLink {
  std::u16string Url;
  std::u16string Target;
};

// The part of the image an area covers: a rectangle, an ellipse in its box, or a polygon filled with the
// winding rule. A pixel belongs to it when its centre does; right and bottom edges are outside.
class TAreaRegion {
 public:
  enum class Shape { Rect, Ellipse, Polygon };
  static TAreaRegion Rect(int left, int top, int right, int bottom);
  static TAreaRegion Ellipse(int left, int top, int right, int bottom);
  static TAreaRegion Polygon(std::vector<int> xy);
  bool contains(int x, int y) const;
  Shape shape() const { return shape_; }

 private:
  Shape shape_ = Shape::Rect;
  int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
  std::vector<int> points_;
};

class TMapItem {
 public:
  static constexpr size_t kMaxAreas = 1000;

  // `name` is the NAME value; it is kept upper-cased.
  explicit TMapItem(std::u16string name);
  const std::u16string& MapName() const { return name_; }
  size_t areaCount() const { return areas_.size(); }

  // Adds one AREA from its attributes in document order. areas without enough coordinates are not added.
  void AddArea(const std::vector<TAreaAttribute>& attributes);
  // X and Y relative to the image. The first area containing the point decides; an area without a link
  // (NOHREF) hides those after it.
  bool AreaAtPoint(int x, int y, std::u16string& title, TMapLink& link) const;

  // The numbers of a COORDS value.
  static std::vector<int> parseCoords(const std::u16string& text);

  // One area as added; an area without HREF (NOHREF) has an empty Href.
  struct Area {
    TAreaRegion Region;
    std::u16string Href, Target, Title;
  };
  const std::vector<Area>& areas() const { return areas_; }

 private:
  std::u16string name_;
  std::vector<Area> areas_;
};

}  // namespace lumora::html
