#include "pair_grid.hpp"

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
  geometry::BoxCells::Box box;
  for (int a = 0; a < 3; ++a) {
    if (!std::isfinite(lo[a]) || !std::isfinite(hi[a]) || lo[a] > hi[a]) return add_unbounded();
    box.lo[a] = lo[a];
    box.hi[a] = hi[a];
  }
  cells_.add(box);
}

void PairGrid::add_unbounded() { cells_.add_unbounded(); }

void PairGrid::build() { cells_.build(kMaxCellsPerAxis); }

const NativeArray<int>& PairGrid::overlapping(const double lo[3], const double hi[3]) {
  found_.clear();
  cells_.new_query();
  bool finite = true;
  for (int a = 0; a < 3; ++a) finite = finite && std::isfinite(lo[a]) && std::isfinite(hi[a]);
  if (!finite) {  // a query the grid cannot place: every box
    for (int f = 0; f < cells_.size(); ++f) found_.push(f);
    return found_;
  }
  const geometry::BoxCells::Box& grid = cells_.extent();
  if (cells_.has_grid() && overlap(lo, hi, grid.lo, grid.hi)) {
    int from[3], to[3];
    for (int a = 0; a < 3; ++a) {
      from[a] = cells_.cell_along(a, lo[a]);
      to[a] = cells_.cell_along(a, hi[a]);
    }
    for (int i = from[0]; i <= to[0]; ++i)
      for (int j = from[1]; j <= to[1]; ++j)
        for (int k = from[2]; k <= to[2]; ++k)
          cells_.each_new_in_cell(i, j, k, [&](int f) {
            if (overlap(lo, hi, cells_.box(f).lo, cells_.box(f).hi)) found_.push(f);
          });
  }
  const NativeArray<int>& unbounded = cells_.unbounded();
  for (size_t u = 0; u < unbounded.size(); ++u) found_.push(unbounded[u]);
  if (found_.size() > 1) std::qsort(found_.begin(), found_.size(), sizeof(int), ascending);
  return found_;
}

}  // namespace roomface
}  // namespace qor
