#include "pair_grid.hpp"

#include <cmath>

namespace qor {
namespace roomface {

namespace {

// About as many cells as boxes; no axis finer than this.
const int kMaxCellsPerAxis = 96;

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
  cells_.overlapping(lo, hi, &found_);
  return found_;
}

}  // namespace roomface
}  // namespace qor
