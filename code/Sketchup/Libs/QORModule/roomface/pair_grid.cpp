#include "pair_grid.hpp"

#include "../geometry/grid_cells.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qor {
namespace roomface {

namespace {

// About as many cells as boxes; no axis finer than this.
const int kMaxCellsPerAxis = 96;

int ascending(const void* a, const void* b) {
  const int x = *static_cast<const int*>(a), y = *static_cast<const int*>(b);
  return (x > y) - (x < y);
}

bool overlap(const double alo[3], const double ahi[3], const double blo[3], const double bhi[3]) {
  for (int a = 0; a < 3; ++a)
    if (ahi[a] < blo[a] || bhi[a] < alo[a]) return false;
  return true;
}

}  // namespace

void PairGrid::add(const double lo[3], const double hi[3]) {
  Box box;
  for (int a = 0; a < 3; ++a) {
    if (!std::isfinite(lo[a]) || !std::isfinite(hi[a]) || lo[a] > hi[a]) return add_unbounded();
    box.lo[a] = lo[a];
    box.hi[a] = hi[a];
  }
  boxes_.push(box);
  bounded_.push(true);
}

void PairGrid::add_unbounded() {
  unbounded_.push(static_cast<int>(boxes_.size()));
  boxes_.push(Box());
  bounded_.push(false);
}

void PairGrid::build() {
  const int n = static_cast<int>(boxes_.size());
  seen_.assign(n, 0);
  has_grid_ = false;
  for (int f = 0; f < n; ++f) {
    if (!bounded_[f]) continue;
    for (int a = 0; a < 3; ++a) {
      if (!has_grid_ || boxes_[f].lo[a] < grid_.lo[a]) grid_.lo[a] = boxes_[f].lo[a];
      if (!has_grid_ || boxes_[f].hi[a] > grid_.hi[a]) grid_.hi[a] = boxes_[f].hi[a];
    }
    has_grid_ = true;
  }
  if (!has_grid_) return;

  geometry::grid_cells(grid_.lo, grid_.hi, n, kMaxCellsPerAxis, dims_, cell_);

  // Each box in every cell it touches, ascending within a cell.
  const int cells = dims_[0] * dims_[1] * dims_[2];
  cell_start_.assign(cells + 1, 0);
  NativeArray<int> next;
  for (int pass = 0; pass < 2; ++pass) {
    next.clear();
    for (int c = 0; c < cells; ++c) next.push(cell_start_[c]);
    for (int f = 0; f < n; ++f) {
      if (!bounded_[f]) continue;
      const Box& b = boxes_[f];
      for (int i = cell_along(0, b.lo[0]); i <= cell_along(0, b.hi[0]); ++i)
        for (int j = cell_along(1, b.lo[1]); j <= cell_along(1, b.hi[1]); ++j)
          for (int k = cell_along(2, b.lo[2]); k <= cell_along(2, b.hi[2]); ++k) {
            const int c = cell_index(i, j, k);
            if (pass == 0)
              ++cell_start_[c + 1];
            else
              cell_boxes_[next[c]++] = f;
          }
    }
    if (pass == 0) {
      for (int c = 0; c < cells; ++c) cell_start_[c + 1] += cell_start_[c];
      cell_boxes_.assign(cell_start_[cells], 0);
    }
  }
}

int PairGrid::cell_along(int axis, double x) const {
  const double c = std::floor((x - grid_.lo[axis]) / cell_[axis]);
  if (!(c > 0.0)) return 0;
  if (c >= dims_[axis] - 1) return dims_[axis] - 1;
  return static_cast<int>(c);
}

const NativeArray<int>& PairGrid::overlapping(const double lo[3], const double hi[3]) {
  found_.clear();
  if (++query_ == 0) {  // wrapped: forget every mark
    seen_.assign(seen_.size(), 0);
    query_ = 1;
  }
  bool finite = true;
  for (int a = 0; a < 3; ++a) finite = finite && std::isfinite(lo[a]) && std::isfinite(hi[a]);
  if (!finite) {  // a query the grid cannot place: every box
    for (int f = 0; f < static_cast<int>(boxes_.size()); ++f) found_.push(f);
    return found_;
  }
  if (has_grid_ && overlap(lo, hi, grid_.lo, grid_.hi)) {
    int from[3], to[3];
    for (int a = 0; a < 3; ++a) {
      from[a] = cell_along(a, lo[a]);
      to[a] = cell_along(a, hi[a]);
    }
    for (int i = from[0]; i <= to[0]; ++i)
      for (int j = from[1]; j <= to[1]; ++j)
        for (int k = from[2]; k <= to[2]; ++k) {
          const int c = cell_index(i, j, k);
          for (int e = cell_start_[c]; e < cell_start_[c + 1]; ++e) {
            const int f = cell_boxes_[e];
            if (seen_[f] == query_) continue;
            seen_[f] = query_;
            if (overlap(lo, hi, boxes_[f].lo, boxes_[f].hi)) found_.push(f);
          }
        }
  }
  for (size_t u = 0; u < unbounded_.size(); ++u) found_.push(unbounded_[u]);
  if (found_.size() > 1) std::qsort(found_.begin(), found_.size(), sizeof(int), ascending);
  return found_;
}

}  // namespace roomface
}  // namespace qor
