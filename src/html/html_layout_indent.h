#pragma once
// The indent manager: where the left and right edges of a cell's content lie at a height Y, as floats and
// the blocks being laid out move them. Every cell with its own float context (the document, table cells,
// absolutely positioned blocks) has one; the line breaker asks it for the room on each line.

#include <cstddef>
#include <vector>

namespace lumora::html {

class TBlock;
class TFloatingObj;

// Record X values are kept relative to the cell's left X, so a cell's records do not change when it moves;
// the operations take and give absolute X values.
struct IndentRec {
  int X = 0;      // the edge: for left records the X where the room begins, for right ones where it ends
  int YT = 0;     // from this Y
  int YB = 0;     // up to (not including) this Y
  const TBlock* Owner = nullptr;  // a block's own content edges; none for floats
  bool Float = false;
};

class IndentManager {
 public:
  static constexpr int kOpenBottom = 9999999;

  // Empties both lists for a cell whose content starts at LeftX and may reach RightLimit.
  void ResetEdges(int LeftX, int RightLimit);

  // The left edge at Y: the largest X of the left records that cover Y and belong to no block or to the
  // current one, plus the cell's left X; the cell's left X when there is none.
  int LeftEdge(int Y) const;
  // The right edge at Y: the smallest X of such right records plus the cell's left X; the right limit
  // when there is none.
  int RightEdge(int Y) const;

  // A block's content edges from Y on, owned by the current block; PopEdges removes them again.
  struct TEdgeMark {
    size_t Left = 0, Right = 0;
  };
  TEdgeMark PushEdges(int LeftX, int RightX, int Y);
  void PopEdges(TEdgeMark Mark);

  enum class TSide { Left, Right };
  // A float of Height pixels from Y: a left float records the X of its right outer edge (XOrWidth), a right
  // float its outer width (the record's X is RightEdge(Y) - width).
  void AddFloatRecord(int Y, int XOrWidth, TSide Side, int Height);
  // Places a floating image at Y beside the edges and records the room it takes.
  void PlaceImageFloat(int Y, TFloatingObj& Image);

  // The largest bottom of the float records on either side.
  int LowestFloat() const;
  // The largest float bottom on each side plus 1 (0 when that side has none).
  void ClearBottoms(int& Left, int& Right) const;
  // The nearest float bottom below Y on either side; Y when there is none.
  int NextChange(int Y) const;
  // The edges stay what they are at Y all the way down (no float and no record that starts or ends below
  // Y applies): content laid out from Y sees the same room on every line.
  bool EdgesSteadyBelow(int Y) const;

  int LfEdge = 0;  // the cell's left X
  int Width = 0;   // the right limit, an absolute X
  const TBlock* CurrentID = nullptr;  // the block whose content is being laid out

 private:
  bool applies(const IndentRec& r, int Y) const {
    return r.YT <= Y && Y < r.YB && (r.Owner == nullptr || r.Owner == CurrentID);
  }
  std::vector<IndentRec> L, R;
};

}  // namespace lumora::html
