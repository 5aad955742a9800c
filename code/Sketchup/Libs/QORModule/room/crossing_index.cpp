#include "crossing_index.hpp"

#include "../geometry/grid_cells.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace qor {
namespace room {

namespace {

// Ten times the host's point tolerance (0.001 inch), plus room for rounding
// far from the origin.
const double kMargin = 0.01;
const double kRelativeMargin = 1e-9;
// About as many cells as faces; no axis finer than this.
const int kMaxCellsPerAxis = 128;

double widened_low(double x) { return x - kMargin - kRelativeMargin * std::fabs(x); }
double widened_high(double x) { return x + kMargin + kRelativeMargin * std::fabs(x); }

// A little slack on a ray parameter or coordinate, for rounding.
double slack(double x) { return 1e-9 * (1.0 + std::fabs(x)); }

// A ray the grid can walk: finite numbers and a direction of about unit
// length.  Any other ray is left to the host against every face.
bool followable(const double origin[3], const double direction[3]) {
  double length2 = 0.0;
  for (int a = 0; a < 3; ++a) {
    if (!std::isfinite(origin[a]) || !std::isfinite(direction[a])) return false;
    length2 += direction[a] * direction[a];
  }
  return length2 > 0.25 && length2 < 4.0;
}

int ascending(const void* a, const void* b) {
  const int x = *static_cast<const int*>(a), y = *static_cast<const int*>(b);
  return (x > y) - (x < y);
}

}  // namespace

void CrossingIndex::add_bounds(const double lo[3], const double hi[3]) {
  Box box;
  bool finite = true;
  for (int a = 0; a < 3; ++a) {
    box.lo[a] = widened_low(lo[a]);
    box.hi[a] = widened_high(hi[a]);
    finite = finite && std::isfinite(box.lo[a]) && std::isfinite(box.hi[a]);
  }
  if (!finite) return add_unbounded();
  kinds_.push(Kind::Bounded);
  boxes_.push(box);
}

void CrossingIndex::add_unbounded() {
  unbounded_.push(static_cast<int>(kinds_.size()));
  kinds_.push(Kind::Unbounded);
  boxes_.push(Box());
}

void CrossingIndex::build() {
  const int n = static_cast<int>(kinds_.size());
  seen_.assign(n, 0);
  has_grid_ = false;
  for (int f = 0; f < n; ++f) {
    if (kinds_[f] != Kind::Bounded) continue;
    for (int a = 0; a < 3; ++a) {
      if (!has_grid_ || boxes_[f].lo[a] < grid_.lo[a]) grid_.lo[a] = boxes_[f].lo[a];
      if (!has_grid_ || boxes_[f].hi[a] > grid_.hi[a]) grid_.hi[a] = boxes_[f].hi[a];
    }
    has_grid_ = true;
  }
  if (!has_grid_) return;

  geometry::grid_cells(grid_.lo, grid_.hi, n, kMaxCellsPerAxis, dims_, cell_);

  // Each face in every cell its box touches, faces ascending within a cell.
  const int cells = dims_[0] * dims_[1] * dims_[2];
  cell_start_.assign(cells + 1, 0);
  NativeArray<int> next;
  for (int pass = 0; pass < 2; ++pass) {
    next.clear();
    for (int c = 0; c < cells; ++c) next.push(cell_start_[c]);
    for (int f = 0; f < n; ++f) {
      if (kinds_[f] != Kind::Bounded) continue;
      const Box& b = boxes_[f];
      for (int i = cell_along(0, b.lo[0]); i <= cell_along(0, b.hi[0]); ++i)
        for (int j = cell_along(1, b.lo[1]); j <= cell_along(1, b.hi[1]); ++j)
          for (int k = cell_along(2, b.lo[2]); k <= cell_along(2, b.hi[2]); ++k) {
            const int c = (i * dims_[1] + j) * dims_[2] + k;
            if (pass == 0)
              ++cell_start_[c + 1];
            else
              cell_faces_[next[c]++] = f;
          }
    }
    if (pass == 0) {
      for (int c = 0; c < cells; ++c) cell_start_[c + 1] += cell_start_[c];
      cell_faces_.assign(cell_start_[cells], 0);
    }
  }
}

int CrossingIndex::cell_along(int axis, double x) const {
  const double c = std::floor((x - grid_.lo[axis]) / cell_[axis]);
  if (!(c > 0.0)) return 0;
  if (c >= dims_[axis] - 1) return dims_[axis] - 1;
  return static_cast<int>(c);
}

// The parameters [t0, t1] where the line meets the box, with t0 no less
// than -kMargin (just behind the origin still counts: the host decides).
bool CrossingIndex::hits(const double origin[3], const double direction[3], const Box& box,
                         double* t0, double* t1) const {
  double lo = -kMargin, hi = std::numeric_limits<double>::infinity();
  for (int a = 0; a < 3; ++a) {
    if (direction[a] == 0.0) {
      if (origin[a] < box.lo[a] || origin[a] > box.hi[a]) return false;
      continue;
    }
    double ta = (box.lo[a] - origin[a]) / direction[a];
    double tb = (box.hi[a] - origin[a]) / direction[a];
    if (ta > tb) std::swap(ta, tb);
    lo = std::max(lo, ta - slack(ta));
    hi = std::min(hi, tb + slack(tb));
    if (lo > hi) return false;
  }
  *t0 = lo;
  *t1 = hi;
  return true;
}

void CrossingIndex::visit_cell(int i, int j, int k) {
  const int c = (i * dims_[1] + j) * dims_[2] + k;
  for (int e = cell_start_[c]; e < cell_start_[c + 1]; ++e) {
    const int f = cell_faces_[e];
    if (seen_[f] == query_) continue;
    seen_[f] = query_;
    found_.push(f);
  }
}

// The cells of one layer across the dominant axis k that the ray passes
// while its parameter lies in [t0, t1].
void CrossingIndex::visit_layer(int k, int layer, const double origin[3], const double direction[3],
                                double t0, double t1) {
  const double c0 = grid_.lo[k] + layer * cell_[k];
  double u0 = (c0 - origin[k]) / direction[k];
  double u1 = (c0 + cell_[k] - origin[k]) / direction[k];
  if (u0 > u1) std::swap(u0, u1);
  u0 = std::max(u0 - slack(u0), t0);
  u1 = std::min(u1 + slack(u1), t1);
  if (u0 > u1) return;

  int from[3], to[3];
  from[k] = to[k] = layer;
  for (int a = 0; a < 3; ++a) {
    if (a == k) continue;
    const double x0 = origin[a] + u0 * direction[a];
    const double x1 = origin[a] + u1 * direction[a];
    from[a] = cell_along(a, std::min(x0, x1) - slack(x0));
    to[a] = cell_along(a, std::max(x0, x1) + slack(x1));
  }
  for (int i = from[0]; i <= to[0]; ++i)
    for (int j = from[1]; j <= to[1]; ++j)
      for (int m = from[2]; m <= to[2]; ++m) visit_cell(i, j, m);
}

const NativeArray<int>& CrossingIndex::candidates(const double origin[3], const double direction[3]) {
  found_.clear();
  if (++query_ == 0) {  // wrapped: forget every mark
    seen_.assign(seen_.size(), 0);
    query_ = 1;
  }

  if (!followable(origin, direction)) {
    for (int f = 0; f < static_cast<int>(kinds_.size()); ++f) found_.push(f);
    return found_;
  }

  double t0, t1;
  if (has_grid_ && hits(origin, direction, grid_, &t0, &t1)) {
    int k = 0;
    for (int a = 1; a < 3; ++a)
      if (std::fabs(direction[a]) > std::fabs(direction[k])) k = a;
    int first = cell_along(k, origin[k] + t0 * direction[k]);
    int last = cell_along(k, origin[k] + t1 * direction[k]);
    if (first > last) std::swap(first, last);
    first = std::max(first - 1, 0);
    last = std::min(last + 1, dims_[k] - 1);
    for (int layer = first; layer <= last; ++layer) visit_layer(k, layer, origin, direction, t0, t1);
  }

  // Keep what the ray really passes; the grid cells are coarser than boxes.
  size_t kept = 0;
  for (size_t e = 0; e < found_.size(); ++e) {
    double a, b;
    if (hits(origin, direction, boxes_[found_[e]], &a, &b)) found_[kept++] = found_[e];
  }
  found_.truncate(kept);
  for (size_t u = 0; u < unbounded_.size(); ++u) found_.push(unbounded_[u]);
  std::qsort(found_.begin(), found_.size(), sizeof(int), ascending);
  return found_;
}

}  // namespace room
}  // namespace qor
