#include "html/html_layout_indent.h"

#include <algorithm>
#include <climits>

#include "html/html_section.h"

namespace lumora::html {

void IndentManager::ResetEdges(int LeftX, int RightLimit) {
  L.clear();
  R.clear();
  LfEdge = LeftX;
  Width = RightLimit;
  CurrentID = nullptr;
}

int IndentManager::LeftEdge(int Y) const {
  int best = INT_MIN;
  for (const IndentRec& r : L)
    if (applies(r, Y)) best = std::max(best, r.X);
  return best == INT_MIN ? LfEdge : LfEdge + best;
}

int IndentManager::RightEdge(int Y) const {
  int best = INT_MAX;
  for (const IndentRec& r : R)
    if (applies(r, Y)) best = std::min(best, r.X);
  return best == INT_MAX ? Width : LfEdge + best;
}

bool IndentManager::EdgesSteadyBelow(int Y) const {
  const auto steady = [&](const IndentRec& r) {
    if (r.Owner != nullptr && r.Owner != CurrentID) return true;  // never applies
    return !r.Float && r.YT <= Y && r.YB >= kOpenBottom;
  };
  return std::all_of(L.begin(), L.end(), steady) && std::all_of(R.begin(), R.end(), steady);
}

IndentManager::TEdgeMark IndentManager::PushEdges(int LeftX, int RightX, int Y) {
  TEdgeMark mark{L.size(), R.size()};
  L.push_back({LeftX - LfEdge, Y, kOpenBottom, CurrentID, false});
  R.push_back({RightX - LfEdge, Y, kOpenBottom, CurrentID, false});
  return mark;
}

void IndentManager::PopEdges(TEdgeMark Mark) {
  // A block's own records, and nothing a float left after them, go.
  const auto drop = [](std::vector<IndentRec>& list, size_t at) {
    if (at < list.size() && !list[at].Float) list.erase(list.begin() + static_cast<std::ptrdiff_t>(at));
  };
  drop(R, Mark.Right);
  drop(L, Mark.Left);
}

void IndentManager::AddFloatRecord(int Y, int XOrWidth, TSide Side, int Height) {
  const int bottom = Height >= kOpenBottom - Y ? kOpenBottom : Y + std::max(0, Height);
  if (Side == TSide::Left) {
    L.push_back({XOrWidth - LfEdge, Y, bottom, nullptr, true});
  } else {
    R.push_back({RightEdge(Y) - XOrWidth - LfEdge, Y, bottom, nullptr, true});
  }
}

void IndentManager::PlaceImageFloat(int Y, TFloatingObj& Image) {
  const int outerWidth = Image.ImageWidth + Image.HSpaceL + Image.HSpaceR;
  const int height = Image.ImageHeight + Image.VSpaceT + Image.VSpaceB;
  if (Image.Floating == html::TSide::Left) {
    const int left = LeftEdge(Y);
    Image.Indent = left + Image.HSpaceL;
    AddFloatRecord(Y, left + outerWidth, TSide::Left, height);
  } else {
    const int x = RightEdge(Y) - outerWidth;
    Image.Indent = x + Image.HSpaceL;
    AddFloatRecord(Y, outerWidth, TSide::Right, height);
  }
  Image.DrawYY = Y;
}

int IndentManager::LowestFloat() const {
  int lowest = 0;
  for (const std::vector<IndentRec>* list : {&L, &R})
    for (const IndentRec& r : *list)
      if (r.Float) lowest = std::max(lowest, r.YB);
  return lowest;
}

void IndentManager::ClearBottoms(int& Left, int& Right) const {
  const auto bottom = [](const std::vector<IndentRec>& list) {
    int b = -1;
    for (const IndentRec& r : list)
      if (r.Float) b = std::max(b, r.YB);
    return b + 1;  // 0 when there is none
  };
  Left = bottom(L);
  Right = bottom(R);
}

int IndentManager::NextChange(int Y) const {
  int next = INT_MAX;
  for (const std::vector<IndentRec>* list : {&L, &R})
    for (const IndentRec& r : *list)
      if (r.Float && r.YB > Y) next = std::min(next, r.YB);
  return next == INT_MAX ? Y : next;
}

}  // namespace lumora::html
