#include "html/html_layout_table.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory_resource>
#include <set>

namespace lumora::html {

namespace {

// Spacer slots a table may add: this many per row and real cell, plus a fixed allowance for small tables.
constexpr int64_t kSpacersPerItem = 8;
constexpr int64_t kSpacerAllowance = 256;
// Tables nested deeper than this keep their row heights in the positioning pass.
constexpr int kMaxRowHeightDepth = 5;
// The natural spreading scales percentages until they fit beside the fixed columns. At large widths the
// per-mille rounding can keep the sum a few pixels too wide for a long time; after this many rounds the
// percentages are taken as they are and the final correction absorbs the difference.
constexpr int kMaxPercentRounds = 64;

// The working lists of one step over one table (row heights, column edges, the cells in measuring order)
// are made for every table of a page at every layout, so a small table's lists live on the stack and only
// a large table's go to the heap. Tables nest at most a few levels, so the stack stays small.
class TScratch {
 public:
  std::pmr::memory_resource* get() { return &resource_; }

 private:
  alignas(std::max_align_t) std::array<std::byte, 1536> buffer_;
  std::pmr::monotonic_buffer_resource resource_{buffer_.data(), buffer_.size()};
};

int64_t extent(int64_t v) { return std::clamp<int64_t>(v, 0, kMaxTableExtent); }
// A result for an int field: sums over a whole grid are kept within the layout's range.
int stored(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -kMaxTableExtent, 4LL * kMaxTableExtent)); }

bool hasPixelWidth(const TCellObj& c) { return c.WidthAttr > 0 && !c.AsPercent; }

// a * b / c rounded to the nearest integer, halves to even; 0 when c is 0.
int64_t mulDivEven(int64_t a, int64_t b, int64_t c) {
  if (c == 0) return 0;
  __int128 n = static_cast<__int128>(a) * b, d = c;
  if (d < 0) n = -n, d = -d;
  __int128 q = n / d, r = n % d;
  if (r < 0) r += d, --q;  // floor division
  if (2 * r > d || (2 * r == d && (q & 1) != 0)) ++q;
  return static_cast<int64_t>(q);
}

// A real cell with its grid position and the span that matters for the pass at hand.
struct TPlaced {
  TCellObj* Cell;
  size_t Row;
  size_t Col;
  size_t Span;
};

// Stably by span; lists of single spans, the usual case, are in order already.
void orderBySpan(std::pmr::vector<TPlaced>& Cells) {
  const auto bySpan = [](const TPlaced& a, const TPlaced& b) { return a.Span < b.Span; };
  if (!std::is_sorted(Cells.begin(), Cells.end(), bySpan)) std::stable_sort(Cells.begin(), Cells.end(), bySpan);
}

// The real cells in row order, then stably ordered by their column span (limited to the grid), so that
// narrower spans are measured before the wider ones that are distributed over them.
std::pmr::vector<TPlaced> cellsByColumnSpan(const ThtmlTable& T, std::pmr::memory_resource* R) {
  std::pmr::vector<TPlaced> out(R);
  const size_t n = static_cast<size_t>(T.ColumnCount);
  for (size_t i = 0; i < T.Rows.size(); ++i) {
    const auto& cells = T.Rows[i]->Cells;
    for (size_t c = 0; c < cells.size() && c < n; ++c) {
      TCellObj& cell = *cells[c];
      if (cell.isSpacer()) continue;
      out.push_back({&cell, i, c, std::clamp<size_t>(static_cast<size_t>(cell.ColSpan), 1, n - c)});
    }
  }
  orderBySpan(out);
  return out;
}

// The same ordered by row span, rows ascending within a span.
std::pmr::vector<TPlaced> cellsByRowSpan(const ThtmlTable& T, std::pmr::memory_resource* R) {
  std::pmr::vector<TPlaced> out(R);
  const size_t rows = T.Rows.size();
  const size_t n = static_cast<size_t>(T.ColumnCount);
  for (size_t i = 0; i < rows; ++i) {
    const auto& cells = T.Rows[i]->Cells;
    for (size_t c = 0; c < cells.size() && c < n; ++c) {
      TCellObj& cell = *cells[c];
      if (cell.isSpacer()) continue;
      out.push_back({&cell, i, c, std::clamp<size_t>(static_cast<size_t>(cell.RowSpan), 1, rows - i)});
    }
  }
  orderBySpan(out);
  return out;
}

// The left edge of every column and, last, the right edge of the last one.
template <class Vector>
void fillColumnLefts(const ThtmlTable& T, Vector& lefts) {
  const size_t n = static_cast<size_t>(T.ColumnCount);
  lefts.resize(n + 1);
  int64_t x = T.CellSpacing;
  for (size_t c = 0; c < n; ++c) {
    lefts[c] = stored(x);
    x += c < T.Widths.size() ? T.Widths[c] : 0;
  }
  lefts.back() = stored(x);
}

int64_t sum(const std::vector<int>& v, size_t from, size_t count) {
  int64_t s = 0;
  for (size_t k = from; k < from + count; ++k) s += v[k];
  return s;
}

TColumnTotals totals(const ThtmlTable& T) {
  return {sum(T.MinWidths, 0, T.MinWidths.size()), sum(T.MaxWidths, 0, T.MaxWidths.size())};
}

int64_t cellExtra(const ThtmlTable& T, const TCellObj& c) { return int64_t{c.HorizontalExtra} + T.CellSpacing; }

// The first part of preparing a cell: what it inherits from its row and table, and its extras.
void prepareCell(ThtmlTable& T, const TCellList& Row, TCellObj& c) {
  if (Row.BkGnd && !c.Cell->BkGnd) {
    c.Cell->BkColor = Row.BkColor;
    c.Cell->BkGnd = true;
  }
  for (int& p : c.Padding)
    if (p < 0) p = T.CellPadding;
  if (T.BorderWidth > 0 && c.BorderStyle == 0)
    for (int& b : c.BorderWidths) b = std::max(b, 1);
  const auto& p = c.Padding;
  const auto& b = c.BorderWidths;
  c.HorizontalExtra = static_cast<int>(extent(extent(p[3]) + extent(b[3]) + extent(b[1]) + extent(p[1])));
  c.VerticalExtra = static_cast<int>(extent(extent(p[0]) + extent(b[0]) + extent(b[2]) + extent(p[2])));
  if (c.BGImageUrl.empty() && !Row.BkImage.empty()) {
    c.BGImageUrl = Row.BkImage;
    c.BgPosH = Row.BgPosH;
    c.BgPosV = Row.BgPosV;
  }
  if (hasPixelWidth(c)) T.HasAbsoluteWidth = true;
  if (T.PropagateBackground && !c.Cell->BkGnd) {
    c.Cell->BkColor = T.BkColor;
    c.Cell->BkGnd = true;
  }
}

std::unique_ptr<TCellObj> spacer(const ThtmlTable& T, int RowSpan) {
  return std::make_unique<TCellObj>(T.Document, TSpacerSlot{RowSpan});
}

// Row spans, one row at a time: a slot whose row span reaches below its row covers its column there, and
// every covered row gets a spacer slot at that column (rows that end before it are padded). The same grid
// comes out as when the columns are visited one by one, and columns that spans pushed right are included.
void fillRowSpans(ThtmlTable& T, int64_t& Budget) {
  struct TCover {
    int64_t RowsLeft = 0;
    TCellObj* Origin = nullptr;
  };
  std::vector<TCover> cover;
  std::set<size_t> active;  // columns with RowsLeft > 0
  const size_t rows = T.Rows.size();
  const auto start = [&](size_t c, TCellObj& slot, size_t row) {
    const int r = std::clamp(slot.RowSpan, 1, static_cast<int>(rows - row));
    slot.RowSpan = r;
    if (r < 2) return;
    if (cover.size() <= c) cover.resize(c + 1);
    cover[c] = {r - 1, &slot};
    active.insert(c);
  };
  for (size_t i = 0; i < rows; ++i) {
    auto& cells = T.Rows[i]->Cells;
    const size_t length = cells.size();
    if (!active.empty()) {
      // The row becomes as long as its slots plus the covered columns, or reaches the last covered column.
      const size_t grown = std::max(length + active.size(), *active.rbegin() + 1);
      if (static_cast<int64_t>(grown - length) > Budget) {
        // Out of spacer slots: the spans stop above this row.
        for (size_t c : active) {
          cover[c].Origin->RowSpan -= static_cast<int>(cover[c].RowsLeft);
          cover[c].RowsLeft = 0;
        }
        active.clear();
      } else {
        Budget -= static_cast<int64_t>(grown - length);
      }
    }
    if (active.empty()) {
      for (size_t c = 0; c < length; ++c) start(c, *cells[c], i);
      continue;
    }
    std::vector<std::unique_ptr<TCellObj>> out;
    out.reserve(length + active.size());
    const size_t covered = active.size();
    size_t k = 0, seen = 0;
    for (size_t c = 0; k < length || seen < covered; ++c) {
      if (c < cover.size() && cover[c].RowsLeft > 0) {
        out.push_back(spacer(T, 1));
        ++seen;
        if (--cover[c].RowsLeft == 0) active.erase(c);
      } else if (k < length) {
        out.push_back(std::move(cells[k++]));
        start(c, *out.back(), i);
      } else {
        out.push_back(spacer(T, 1));
      }
    }
    cells = std::move(out);
  }
}

// Trailing spacer columns: while every row of the grid's full length ends with a spacer slot, that slot
// goes, the nearest cell before it with a column span above 1 spans one column less, and the grid is one
// column narrower.
size_t dropTrailingSpacerColumns(ThtmlTable& T, size_t Count) {
  const size_t rows = T.Rows.size();
  // Nothing to drop unless some row of the full length ends with a spacer slot.
  const bool any = std::any_of(T.Rows.begin(), T.Rows.end(), [&](const auto& row) {
    return row->Cells.size() == Count && Count > 0 && row->Cells.back()->isSpacer();
  });
  if (!any) return Count;
  std::vector<size_t> order(rows);
  for (size_t i = 0; i < rows; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return T.Rows[a]->Cells.size() > T.Rows[b]->Cells.size(); });
  // Where the search for the cell to narrow resumes in each row: cells after it no longer qualify, since
  // spans only shrink.
  std::vector<size_t> resume(rows);
  for (size_t i = 0; i < rows; ++i) resume[i] = T.Rows[i]->Cells.size();
  std::vector<size_t> current;  // the rows of length Count
  size_t next = 0;
  while (Count > 0) {
    while (next < order.size() && T.Rows[order[next]]->Cells.size() == Count) current.push_back(order[next++]);
    if (current.empty()) break;
    const bool allSpacers = std::all_of(current.begin(), current.end(),
                                        [&](size_t r) { return T.Rows[r]->Cells.back()->isSpacer(); });
    if (!allSpacers) break;
    for (size_t r : current) {
      auto& cells = T.Rows[r]->Cells;
      cells.pop_back();
      size_t j = std::min(resume[r], cells.size());
      while (j > 0 && cells[j - 1]->ColSpan <= 1) --j;
      if (j > 0) --cells[j - 1]->ColSpan;
      resume[r] = j;
    }
    --Count;
  }
  return Count;
}

}  // namespace

int64_t mulDivRound(int64_t a, int64_t b, int64_t c) {
  if (c == 0) return 0;
  __int128 n = static_cast<__int128>(a) * b, d = c;
  const bool negative = (n < 0) != (d < 0);
  if (n < 0) n = -n;
  if (d < 0) d = -d;
  const __int128 q = (n + d / 2) / d;
  return static_cast<int64_t>(negative ? -q : q);
}

int64_t spacerBudget(const ThtmlTable& T) {
  int64_t items = static_cast<int64_t>(T.Rows.size());
  for (const auto& row : T.Rows)
    for (const auto& c : row->Cells) items += c->isSpacer() ? 0 : 1;
  return kSpacerAllowance + kSpacersPerItem * items;
}

void PrepareGrid(ThtmlTable& T) {
  if (T.GridPrepared) return;
  int64_t budget = spacerBudget(T);
  const size_t rows = T.Rows.size();
  T.HasAbsoluteWidth = false;
  for (size_t i = 0; i < rows; ++i) {
    TCellList& row = *T.Rows[i];
    const auto prepare = [&](TCellObj& c) {
      prepareCell(T, row, c);
      c.RowSpan = std::clamp(c.RowSpan, 1, static_cast<int>(rows - i));
    };
    // A row without column spans keeps its list as it is.
    if (std::none_of(row.Cells.begin(), row.Cells.end(), [](const auto& c) { return c->ColSpan > 1; })) {
      for (auto& c : row.Cells) {
        if (c->isSpacer()) continue;
        prepare(*c);
        c->ColSpan = 1;
      }
      continue;
    }
    std::vector<std::unique_ptr<TCellObj>> slots;
    slots.reserve(row.Cells.size());
    for (auto& owned : row.Cells) {
      TCellObj& c = *owned;
      slots.push_back(std::move(owned));
      if (c.isSpacer()) continue;
      prepare(c);
      const int64_t extra = std::min<int64_t>(std::max(c.ColSpan, 1) - 1, budget);
      budget -= extra;
      c.ColSpan = static_cast<int>(1 + extra);
      for (int64_t k = 0; k < extra; ++k) slots.push_back(spacer(T, c.RowSpan >= 2 ? c.RowSpan : 1));
    }
    row.Cells = std::move(slots);
  }
  fillRowSpans(T, budget);
  size_t count = 0;
  for (const auto& row : T.Rows) count = std::max(count, row->Cells.size());
  count = dropTrailingSpacerColumns(T, count);
  count = 0;
  for (const auto& row : T.Rows) count = std::max(count, row->Cells.size());
  if (!T.ColSpecs.empty()) {
    for (const auto& row : T.Rows) {
      const size_t upTo = std::min({row->Cells.size(), T.ColSpecs.size(), count});
      for (size_t c = 0; c < upTo; ++c) {
        const TColObj& column = T.ColSpecs[c];
        if (column.colWidth <= 0) continue;
        row->Cells[c]->WidthAttr = column.colWidth;
        row->Cells[c]->AsPercent = column.colAsPercent;
      }
    }
    T.HasAbsoluteWidth = false;
    for (const auto& row : T.Rows)
      for (const auto& c : row->Cells)
        if (!c->isSpacer() && hasPixelWidth(*c)) T.HasAbsoluteWidth = true;
    T.ColSpecs.clear();
    T.ColSpecs.shrink_to_fit();
  }
  T.ColumnCount = static_cast<int>(count);
  T.Widths.assign(count, 0);
  T.MaxWidths.assign(count, 0);
  T.MinWidths.assign(count, 0);
  T.Percentages.assign(count, 0);
  T.RowHeights.clear();
  T.GridPrepared = true;
}

ITableCellContent::TWidths measureCell(const ThtmlTable& T, TCellObj& Cell, ITableCellContent& Content) {
  const ITableCellContent::TWidths w = Content.measureContent(Cell);
  const int64_t e = cellExtra(T, Cell);
  return {static_cast<int>(extent(w.Min) + e), static_cast<int>(extent(w.Max) + e)};
}

TColumnTotals MeasurePlainColumns(ThtmlTable& T, ITableCellContent& Content) {
  PrepareGrid(T);
  const size_t n = static_cast<size_t>(T.ColumnCount);
  auto& mins = T.MinWidths;
  auto& maxs = T.MaxWidths;
  mins.assign(n, 0);
  maxs.assign(n, 0);
  T.RowHeights.clear();
  // The arrays no longer hold the percentage measurement.
  T.MeasurementKey = ThtmlTable::kNoMeasurement;
  TScratch scratch;
  for (const TPlaced& p : cellsByColumnSpan(T, scratch.get())) {
    TCellObj& cell = *p.Cell;
    const ITableCellContent::TWidths m = measureCell(T, cell, Content);
    int64_t mn = m.Min, mx = m.Max;
    const size_t c = p.Col, s = p.Span;
    if (s == 1) {
      if (hasPixelWidth(cell)) mn = mx = std::max(mn, extent(cell.WidthAttr) + cellExtra(T, cell));
      mins[c] = std::max<int>(mins[c], static_cast<int>(mn));
      maxs[c] = std::max<int>(maxs[c], static_cast<int>(mx));
      continue;
    }
    if (hasPixelWidth(cell)) mn = mx = std::max(mn, extent(cell.WidthAttr));
    // A span wider than its columns widens each in proportion to what it already has.
    const auto widen = [&](std::vector<int>& v, int64_t want) {
      const int64_t have = sum(v, c, s);
      if (have >= want) return;
      if (have <= 0) {
        v[c] = static_cast<int>(want);
        return;
      }
      for (size_t k = c; k < c + s; ++k) v[k] = stored(v[k] + mulDivRound(v[k], want - have, have));
    };
    widen(mins, mn);
    widen(maxs, mx);
  }
  return totals(T);
}

TColumnTotals MeasurePercentColumns(ThtmlTable& T, ITableCellContent& Content, int LayoutPass) {
  PrepareGrid(T);
  const size_t n = static_cast<size_t>(T.ColumnCount);
  if (T.MeasurementKey == LayoutPass && T.MinWidths.size() == n) return totals(T);
  auto& mins = T.MinWidths;
  auto& maxs = T.MaxWidths;
  auto& pcts = T.Percentages;
  mins.assign(n, 0);
  maxs.assign(n, 0);
  pcts.assign(n, 0);
  T.RowHeights.clear();
  const int64_t width = extent(T.SpecifiedWidth);
  TScratch scratch;
  for (const TPlaced& pl : cellsByColumnSpan(T, scratch.get())) {
    TCellObj& cell = *pl.Cell;
    const ITableCellContent::TWidths m = measureCell(T, cell, Content);
    const int64_t mn = m.Min, mx = m.Max;
    int64_t p = 0;
    if (cell.AsPercent) p = std::clamp(cell.WidthAttr, 0, 1000);
    else if (hasPixelWidth(cell) && width > 0)
      p = std::min<int64_t>(1000, mulDivRound(extent(cell.WidthAttr), 1000, width));
    const size_t c = pl.Col, s = pl.Span;
    if (s == 1) {
      maxs[c] = std::max<int>(maxs[c], static_cast<int>(mx));
      mins[c] = std::max<int>(mins[c], static_cast<int>(mn));
      pcts[c] = std::max<int>(pcts[c], static_cast<int>(p));
      continue;
    }
    int64_t sMin = 0, sMax = 0, sP = 0, without = 0;
    for (size_t k = c; k < c + s; ++k) {
      sMin += mins[k];
      sMax += maxs[k];
      if (pcts[k] < 1) ++without;
      else sP += pcts[k];
    }
    if (c == 0 && s == n) {
      sMin = std::max(sMin, width);
      sMax = std::max(sMax, width);
    }
    const int64_t dMin = mn - sMin, dMax = mx - sMax;
    if (p > 0 || sP > 0) {
      const int64_t share = without > 0 ? std::max<int64_t>(0, (p - sP) / without) : 0;
      if (without == 0 && sP < p) {
        for (size_t k = c; k < c + s; ++k) pcts[k] = static_cast<int>(mulDivRound(pcts[k], p, sP));
      } else if (share > 0) {
        for (size_t k = c; k < c + s; ++k)
          if (pcts[k] < 1) pcts[k] = static_cast<int>(share);
      }
      const int64_t g = std::max(sP, p);
      if (dMin > 0) {
        for (size_t k = c; k < c + s; ++k)
          mins[k] = stored(mins[k] + (without <= 0 || sMax <= 0 ? mulDivRound(dMin, pcts[k], g)
                                                               : mulDivRound(dMin, maxs[k], sMax)));
      }
      if (dMax > 0)
        for (size_t k = c; k < c + s; ++k) maxs[k] = stored(maxs[k] + mulDivRound(dMax, pcts[k], g));
    } else {
      // No percentages: the span's size is shared in proportion to the columns' own.
      const auto share = [&](std::vector<int>& v, int64_t want, int64_t have) {
        int64_t given = 0;
        for (size_t k = c; k < c + s; ++k) {
          v[k] = stored(have > 0 ? mulDivRound(want, v[k], have) : want / static_cast<int64_t>(s));
          given += v[k];
        }
        if (given < want) v[c] = stored(v[c] + want - given);
      };
      if (dMin > 0) share(mins, mn, sMin);
      if (dMax > 0) share(maxs, mx, sMax);
    }
  }
  T.MeasurementKey = LayoutPass;
  return totals(T);
}

void SpreadPlainWidths(ThtmlTable& T, int64_t W, TColumnTotals Totals) {
  const size_t n = static_cast<size_t>(T.ColumnCount);
  auto& widths = T.Widths;
  widths.assign(n, 0);
  const auto& mins = T.MinWidths;
  const auto& maxs = T.MaxWidths;
  if (W < Totals.Min) {
    widths = mins;
    return;
  }
  if (W >= Totals.Max) {
    widths = maxs;
    return;
  }
  const int64_t room = W - Totals.Min, range = Totals.Max - Totals.Min;
  int64_t total = 0;
  for (size_t c = 0; c < n; ++c) {
    widths[c] = stored(range <= 0 ? mins[c] + mulDivRound(mins[c], room, Totals.Min)
                                  : mins[c] + mulDivRound(maxs[c] - mins[c], room, range));
    total += widths[c];
  }
  // Rounding leaves the sum a few pixels off: one pixel per column, from the first, makes it exact.
  int64_t d = total - W;
  for (size_t c = 0; c < n && d != 0; ++c) {
    if (d < 0) {
      ++widths[c];
      ++d;
    } else if (mins[c] < maxs[c]) {
      --widths[c];
      --d;
    }
  }
}

void SpreadSpecifiedWidth(ThtmlTable& T, int64_t W) {
  const size_t n = static_cast<size_t>(T.ColumnCount);
  auto& widths = T.Widths;
  widths.assign(n, 0);
  const auto& mins = T.MinWidths;
  const auto& maxs = T.MaxWidths;
  const auto& pcts = T.Percentages;
  TScratch scratch;
  std::pmr::vector<char> fixed(n, 0, scratch.get());
  int64_t plain = 0, slack = 0, pu = 0;  // columns without a percentage; their room to grow; unfixed per mille
  size_t last = 0;
  for (size_t c = 0; c < n; ++c) {
    if (pcts[c] <= 0) {
      widths[c] = mins[c];
      ++plain;
      last = c;
      slack += std::max(0, maxs[c] - mins[c]);
    } else if (const int64_t share = mulDivRound(W, pcts[c], 1000); share > mins[c]) {
      widths[c] = stored(share);
      pu += pcts[c];
    } else {
      widths[c] = mins[c];
      fixed[c] = 1;
    }
  }
  const auto unfixedPercent = [&](size_t c) { return pcts[c] > 0 && !fixed[c]; };
  int64_t d = sum(widths, 0, n) - W;
  if (d < 0) {
    if (plain == 0) {
      // With every percentage column at its minimum nothing is unfixed; the final step spreads the rest.
      if (pu > 0)
        for (size_t c = 0; c < n; ++c)
          if (unfixedPercent(c)) widths[c] = stored(widths[c] + mulDivRound(-d, pcts[c], pu));
    } else if (slack > 0 && slack >= -d / 4) {
      for (size_t c = 0; c < n; ++c)
        if (pcts[c] <= 0) widths[c] = stored(widths[c] + mulDivRound(-d, std::max(0, maxs[c] - mins[c]), slack));
    } else {
      for (size_t c = 0; c < n; ++c)
        if (pcts[c] <= 0) widths[c] = stored(widths[c] + -d / plain);
    }
  } else if (d > 0) {
    for (int pass = 0; pass < 4; ++pass) {
      bool fixedOne = false;
      for (size_t c = 0; c < n; ++c) {
        if (!unfixedPercent(c) || widths[c] - mulDivRound(d, pcts[c], pu) >= mins[c]) continue;
        d -= widths[c] - mins[c];
        pu -= pcts[c];
        widths[c] = mins[c];
        fixed[c] = 1;
        fixedOne = true;
      }
      if (!fixedOne) break;
    }
    if (pu > 0)
      for (size_t c = 0; c < n; ++c)
        if (unfixedPercent(c)) widths[c] = stored(widths[c] - mulDivRound(d, pcts[c], pu));
  }
  d = sum(widths, 0, n) - W;
  if (d > 0) {
    for (size_t c = 0; c < n; ++c) {
      if (fixed[c]) continue;
      widths[c] = stored(widths[c] - d);
      break;
    }
  } else if (plain > 0) {
    widths[last] = stored(widths[last] - d);
  } else if (n > 0) {
    int64_t rest = -d;
    const int64_t columns = static_cast<int64_t>(n);
    if (rest > columns) {
      const int64_t each = rest / columns;
      for (int& w : widths) w = stored(w + each);
      rest -= each * columns;
    }
    for (size_t c = 0; c < n && rest > 0; ++c, --rest) ++widths[c];
  }
}

void SpreadNaturalWidth(ThtmlTable& T, int64_t W, TColumnTotals Totals) {
  const size_t n = static_cast<size_t>(T.ColumnCount);
  auto& widths = T.Widths;
  widths.assign(n, 0);
  auto& mins = T.MinWidths;
  auto& maxs = T.MaxWidths;
  auto& pcts = T.Percentages;
  const int64_t p = sum(pcts, 0, n);
  if (p > 0 && p <= 1000) {
    int64_t a = 0, plainMax = 0;
    for (size_t c = 0; c < n; ++c) {
      if (pcts[c] > 0) a = std::max(a, mulDivRound(maxs[c], 1000, pcts[c]));
      else plainMax += maxs[c];
    }
    const int64_t b = p > 999 ? (plainMax >= 1 ? 30000 : 0) : mulDivRound(plainMax, 1000, 1000 - p);
    const int64_t desired = std::max(a, b);
    if (W >= desired) {
      // As wide as the percentages ask for their columns' maximums, and no wider.
      const int64_t plainShare = mulDivRound(desired, 1000 - p, 1000);
      for (size_t c = 0; c < n; ++c)
        widths[c] = stored(pcts[c] > 0 ? mulDivRound(desired, pcts[c], 1000)
                                       : (plainMax < 1 ? 0 : mulDivRound(maxs[c], plainShare, plainMax)));
      return;
    }
    // Too narrow: columns whose share is below their minimum give up their percentage, and the others are
    // scaled down until they fit beside the fixed ones.
    int64_t bound = 268435455;
    std::vector<size_t> percent;
    for (size_t c = 0; c < n; ++c)
      if (pcts[c] > 0) percent.push_back(c);
    for (int round = 1;; ++round) {
      int64_t fixedMin = 0, shares = 0;
      std::vector<size_t> kept;
      for (size_t c = 0; c < n; ++c)
        if (pcts[c] <= 0) fixedMin += mins[c];
      for (size_t c : percent) {
        if (pcts[c] <= 0) continue;
        const int64_t share = mulDivRound(W, pcts[c], 1000);
        if (share < mins[c]) {
          pcts[c] = 0;
          fixedMin += mins[c];
        } else {
          shares += share;
          kept.push_back(c);
        }
      }
      percent = std::move(kept);
      if (percent.empty()) break;
      if (W < fixedMin + shares && round < kMaxPercentRounds) {
        const int64_t room = std::max<int64_t>(0, std::min(W - fixedMin, bound - 1));
        for (size_t c : percent) pcts[c] = static_cast<int>(mulDivRound(pcts[c], room, shares));
        bound = room;
        continue;
      }
      for (size_t c : percent) mins[c] = maxs[c] = stored(mulDivRound(W, pcts[c], 1000));
      Totals = totals(T);
      break;
    }
  }
  if (n == 0) return;
  size_t remainder = 0;
  const int64_t room = W - Totals.Min, range = Totals.Max - Totals.Min;
  if (range == 0) {
    for (size_t c = 0; c < n; ++c) widths[c] = stored(mins[c] + room / static_cast<int64_t>(n));
  } else {
    for (size_t c = 0; c < n; ++c) {
      widths[c] = stored(mins[c] + mulDivRound(maxs[c] - mins[c], room, range));
      if (maxs[c] - mins[c] > maxs[remainder] - mins[remainder]) remainder = c;
    }
  }
  widths[remainder] = stored(widths[remainder] + W - sum(widths, 0, n));
}

int findColumnWidths(ThtmlTable& T, ITableCellContent& Content, int AvailableWidth, int LayoutPass) {
  PrepareGrid(T);
  const int64_t specified = extent(T.SpecifiedWidth);
  const int64_t w = (specified > 0 ? specified : extent(AvailableWidth)) - T.CellSpacing;
  if (T.HasAbsoluteWidth && specified == 0) {
    SpreadPlainWidths(T, w, MeasurePlainColumns(T, Content));
  } else {
    const TColumnTotals t = MeasurePercentColumns(T, Content, LayoutPass);
    if (t.Min < w) {
      if (specified == 0) SpreadNaturalWidth(T, w, t);
      else SpreadSpecifiedWidth(T, w);
    } else {
      T.Widths = T.MinWidths;
    }
  }
  T.TableWidth = stored(T.CellSpacing + sum(T.Widths, 0, T.Widths.size()));
  return T.TableWidth;
}

ITableCellContent::TWidths measureTableWidths(ThtmlTable& T, ITableCellContent& Content, int LayoutPass) {
  PrepareGrid(T);
  const int64_t specified = extent(T.SpecifiedWidth);
  const TColumnTotals t = T.HasAbsoluteWidth && specified == 0 ? MeasurePlainColumns(T, Content)
                                                               : MeasurePercentColumns(T, Content, LayoutPass);
  return {stored(std::max(t.Min + T.CellSpacing, specified)), stored(std::max(t.Max + T.CellSpacing, specified))};
}

bool rowHeightsDue(const ThtmlTable& T, bool PositioningPass, int NestingDepth) {
  return T.RowHeights.size() != T.Rows.size() || T.Rows.empty() ||
         (PositioningPass && NestingDepth <= kMaxRowHeightDepth);
}

std::vector<int> columnLefts(const ThtmlTable& T) {
  std::vector<int> lefts;
  fillColumnLefts(T, lefts);
  return lefts;
}

void ComputeRowHeights(ThtmlTable& T, ITableCellContent& Content, int BlockHeight, int Y) {
  const size_t rows = T.Rows.size();
  const int64_t spacing = T.CellSpacing;
  T.RowHeights.clear();
  if (rows == 0) return;
  const int64_t h = BlockHeight > 0 ? extent(BlockHeight) - spacing : 0;
  const int64_t base = std::max<int64_t>(0, h - static_cast<int64_t>(rows) * spacing);
  TScratch scratch;
  std::pmr::vector<int64_t> natural(rows, spacing, scratch.get()), desired(rows, spacing, scratch.get());
  std::pmr::vector<char> hasHeight(rows, 0, scratch.get());
  std::pmr::vector<int> lefts(scratch.get());
  fillColumnLefts(T, lefts);
  const std::pmr::vector<TPlaced> cells = cellsByRowSpan(T, scratch.get());
  for (size_t g = 0; g < cells.size();) {
    // One row's cells of one row span.
    const size_t i = cells[g].Row, s = cells[g].Span;
    int64_t nat = 0, des = 0;
    bool marked = false;
    for (; g < cells.size() && cells[g].Row == i && cells[g].Span == s; ++g) {
      TCellObj& cell = *cells[g].Cell;
      const size_t c = cells[g].Col;
      const size_t span = std::clamp<size_t>(static_cast<size_t>(cell.ColSpan), 1, lefts.size() - 1 - c);
      cell.SpannedWidth = stored(int64_t{lefts[c + span]} - lefts[c]);
      const int64_t f = cell.SpecHt > 0            ? extent(cell.SpecHt)
                        : cell.SpecHtPercent > 0 ? mulDivRound(cell.SpecHtPercent, base, 100)
                                                 : 0;
      ITableCellContent::TBox box;
      box.X = stored(int64_t{lefts[c]} + extent(cell.Padding[3]) + extent(cell.BorderWidths[3]));
      box.Y = stored(int64_t{Y} + spacing + extent(cell.Padding[0]) + extent(cell.BorderWidths[0]));
      box.Width = stored(std::max<int64_t>(0, int64_t{cell.SpannedWidth} - cell.HorizontalExtra - spacing));
      box.MinHeight = stored(std::max<int64_t>(0, f - cell.VerticalExtra));
      cell.ContentHeight = static_cast<int>(extent(Content.layOutContent(cell, box)));
      nat = std::max(nat, int64_t{cell.ContentHeight} + cell.VerticalExtra);
      if (cell.SpecHt > 0) {
        nat = std::max({nat, int64_t{cell.ContentHeight}, f});
        marked = true;
      } else if (cell.SpecHtPercent > 0) {
        des = std::max(des, f);
        marked = true;
      }
    }
    des = std::max(nat, des);
    const int64_t fNat = nat + spacing, fDes = des + spacing;
    if (s == 1) {
      natural[i] = fNat;
      desired[i] = fDes;
      hasHeight[i] |= marked ? 1 : 0;
      continue;
    }
    if (fNat <= spacing) continue;
    // A cell spanning rows that are together lower than it makes each of them higher.
    const auto raise = [&](std::pmr::vector<int64_t>& v, int64_t want) {
      int64_t have = 0;
      for (size_t r = i; r < i + s; ++r) have += v[r];
      if (have >= want) return;
      const int64_t each = (want - have) / static_cast<int64_t>(s);
      for (size_t r = i; r < i + s; ++r) v[r] += each;
      v[i + s - 1] += want - have - each * static_cast<int64_t>(s);
    };
    for (size_t r = i; r < i + s; ++r) hasHeight[r] |= marked ? 1 : 0;
    raise(natural, fNat);
    raise(desired, fDes);
  }
  int64_t tn = 0, td = 0, unmarked = 0;
  for (size_t r = 0; r < rows; ++r) {
    tn += natural[r];
    td += desired[r];
    unmarked += hasHeight[r] ? 0 : 1;
  }
  std::pmr::vector<int64_t> heights(natural, scratch.get());
  // The last row takes what rounding left of h.
  const auto finish = [&] {
    int64_t given = 0;
    for (size_t r = 0; r + 1 < rows; ++r) given += heights[r];
    heights[rows - 1] = h - given;
  };
  if (h <= 0 || tn >= h) {
    // natural heights
  } else if (td < h) {
    if (unmarked == 0 && td > 0) {
      for (size_t r = 0; r + 1 < rows; ++r) heights[r] = mulDivEven(desired[r], h, td);
      finish();
    } else if (unmarked == 0) {
      // Nothing to scale by: the rows share the height evenly.
      for (size_t r = 0; r + 1 < rows; ++r) heights[r] = h / static_cast<int64_t>(rows);
      finish();
    } else {
      heights = desired;
      const int64_t each = (h - td) / unmarked;
      size_t lastUnmarked = 0;
      for (size_t r = 0; r < rows; ++r) {
        if (hasHeight[r]) continue;
        heights[r] += each;
        lastUnmarked = r;
      }
      int64_t total = 0;
      for (int64_t v : heights) total += v;
      heights[lastUnmarked] += h - total;
    }
  } else {
    for (size_t r = 0; r + 1 < rows; ++r)
      heights[r] = natural[r] + mulDivEven(desired[r] - natural[r], h - tn, td - tn);
    finish();
  }
  T.RowHeights.resize(rows);
  for (size_t r = 0; r < rows; ++r) T.RowHeights[r] = stored(heights[r]);
}

void spanRows(ThtmlTable& T) {
  const size_t rows = T.Rows.size();
  TScratch scratch;
  std::pmr::vector<int64_t> top(rows + 1, 0, scratch.get());
  for (size_t r = 0; r < rows; ++r) top[r + 1] = top[r] + (r < T.RowHeights.size() ? T.RowHeights[r] : 0);
  for (size_t r = 0; r < rows; ++r) {
    TCellList& row = *T.Rows[r];
    row.Height = stored(top[r + 1] - top[r]);
    row.TallestSpan = 0;
    for (const auto& cell : row.Cells) {
      if (cell->isSpacer()) continue;
      const size_t span = std::clamp<size_t>(static_cast<size_t>(cell->RowSpan), 1, rows - r);
      cell->SpannedHeight = stored(top[r + span] - top[r]);
      row.TallestSpan = std::max(row.TallestSpan, cell->SpannedHeight);
    }
  }
  T.TableHeight = stored(top[rows] + T.CellSpacing);
}

void placeRowCells(ThtmlTable& T, const std::vector<int>& Lefts, size_t Row, int RowTop, ITableCellContent& Content) {
  if (Row >= T.Rows.size() || Lefts.empty()) return;
  const int64_t spacing = T.CellSpacing;
  const size_t n = Lefts.size() - 1;
  const auto& cells = T.Rows[Row]->Cells;
  for (size_t c = 0; c < cells.size() && c < n; ++c) {
    TCellObj& cell = *cells[c];
    if (cell.isSpacer() || cell.Cell->Items.empty()) continue;
    const size_t span = std::clamp<size_t>(static_cast<size_t>(cell.ColSpan), 1, n - c);
    cell.SpannedWidth = stored(int64_t{Lefts[c + span]} - Lefts[c]);
    const int64_t room = int64_t{cell.SpannedHeight} - cell.ContentHeight - spacing - cell.VerticalExtra;
    switch (cell.VAlign) {
      case 1: cell.VerticalOffset = 0; break;
      case 2: cell.VerticalOffset = stored(room / 2); break;
      case 3:
      case 4: cell.VerticalOffset = stored(room); break;
      default: break;
    }
    ITableCellContent::TBox box;
    box.X = stored(int64_t{Lefts[c]} + extent(cell.Padding[3]) + extent(cell.BorderWidths[3]));
    box.Y = stored(int64_t{RowTop} + spacing + extent(cell.Padding[0]) + extent(cell.BorderWidths[0]) +
                   cell.VerticalOffset);
    box.Width = stored(std::max<int64_t>(0, int64_t{cell.SpannedWidth} - spacing - cell.HorizontalExtra));
    box.MinHeight = stored(std::max<int64_t>(0, int64_t{cell.SpannedHeight} - cell.VerticalExtra - spacing));
    Content.layOutContent(cell, box);
  }
}

}  // namespace lumora::html
