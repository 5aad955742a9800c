#include "box_cells.hpp"

#include <cmath>
#include <cstdlib>

#include "grid_cells.hpp"

namespace qor {
namespace geometry {

namespace {

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

void BoxCells::add(const Box& box) {
  boxes_.push(box);
  bounded_.push(true);
}

void BoxCells::add_unbounded() {
  unbounded_.push(size());
  boxes_.push(Box());
  bounded_.push(false);
}

void BoxCells::build(int max_per_axis) {
  const int n = size();
  seen_.assign(n, 0);
  query_ = 0;
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

  grid_cells(grid_.lo, grid_.hi, n, max_per_axis, dims_, cell_);

  // Each box in every cell it touches, ascending within a cell: a count,
  // then the places.
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
            const int c = (i * dims_[1] + j) * dims_[2] + k;
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

int BoxCells::cell_along(int axis, double x) const {
  const double c = std::floor((x - grid_.lo[axis]) / cell_[axis]);
  if (!(c > 0.0)) return 0;
  if (c >= dims_[axis] - 1) return dims_[axis] - 1;
  return static_cast<int>(c);
}

void BoxCells::overlapping(const double lo[3], const double hi[3], NativeArray<int>* found) {
  found->clear();
  new_query();
  bool finite = true;
  for (int a = 0; a < 3; ++a) finite = finite && std::isfinite(lo[a]) && std::isfinite(hi[a]);
  if (!finite) {
    for (int f = 0; f < size(); ++f) found->push(f);
    return;
  }
  if (has_grid_ && overlap(lo, hi, grid_.lo, grid_.hi)) {
    int from[3], to[3];
    for (int a = 0; a < 3; ++a) {
      from[a] = cell_along(a, lo[a]);
      to[a] = cell_along(a, hi[a]);
    }
    for (int i = from[0]; i <= to[0]; ++i)
      for (int j = from[1]; j <= to[1]; ++j)
        for (int k = from[2]; k <= to[2]; ++k)
          each_new_in_cell(i, j, k, [&](int f) {
            if (overlap(lo, hi, boxes_[f].lo, boxes_[f].hi)) found->push(f);
          });
  }
  for (size_t u = 0; u < unbounded_.size(); ++u) found->push(unbounded_[u]);
  if (found->size() > 1) std::qsort(found->begin(), found->size(), sizeof(int), ascending);
}

void BoxCells::new_query() {
  if (++query_ == 0) {  // wrapped: forget every mark
    seen_.assign(seen_.size(), 0);
    query_ = 1;
  }
}

}  // namespace geometry
}  // namespace qor
