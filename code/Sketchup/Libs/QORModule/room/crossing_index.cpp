#include "crossing_index.hpp"

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
  cells_.add(box);
}

void CrossingIndex::add_unbounded() { cells_.add_unbounded(); }

void CrossingIndex::build() { cells_.build(kMaxCellsPerAxis); }

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

// The cells of one layer across the dominant axis k that the ray passes
// while its parameter lies in [t0, t1].
void CrossingIndex::visit_layer(int k, int layer, const double origin[3], const double direction[3],
                                double t0, double t1) {
  const double c0 = cells_.extent().lo[k] + layer * cells_.cell(k);
  double u0 = (c0 - origin[k]) / direction[k];
  double u1 = (c0 + cells_.cell(k) - origin[k]) / direction[k];
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
    from[a] = cells_.cell_along(a, std::min(x0, x1) - slack(x0));
    to[a] = cells_.cell_along(a, std::max(x0, x1) + slack(x1));
  }
  for (int i = from[0]; i <= to[0]; ++i)
    for (int j = from[1]; j <= to[1]; ++j)
      for (int m = from[2]; m <= to[2]; ++m) cells_.each_new_in_cell(i, j, m, [&](int f) { found_.push(f); });
}

const NativeArray<int>& CrossingIndex::candidates(const double origin[3], const double direction[3]) {
  found_.clear();
  cells_.new_query();

  if (!followable(origin, direction)) {
    for (int f = 0; f < cells_.size(); ++f) found_.push(f);
    return found_;
  }

  double t0, t1;
  if (cells_.has_grid() && hits(origin, direction, cells_.extent(), &t0, &t1)) {
    int k = 0;
    for (int a = 1; a < 3; ++a)
      if (std::fabs(direction[a]) > std::fabs(direction[k])) k = a;
    int first = cells_.cell_along(k, origin[k] + t0 * direction[k]);
    int last = cells_.cell_along(k, origin[k] + t1 * direction[k]);
    if (first > last) std::swap(first, last);
    first = std::max(first - 1, 0);
    last = std::min(last + 1, cells_.dims(k) - 1);
    for (int layer = first; layer <= last; ++layer) visit_layer(k, layer, origin, direction, t0, t1);
  }

  // Keep what the ray really passes; the grid cells are coarser than boxes.
  size_t kept = 0;
  for (size_t e = 0; e < found_.size(); ++e) {
    double a, b;
    if (hits(origin, direction, cells_.box(found_[e]), &a, &b)) found_[kept++] = found_[e];
  }
  found_.truncate(kept);
  const NativeArray<int>& unbounded = cells_.unbounded();
  for (size_t u = 0; u < unbounded.size(); ++u) found_.push(unbounded[u]);
  std::qsort(found_.begin(), found_.size(), sizeof(int), ascending);
  return found_;
}

}  // namespace room
}  // namespace qor
