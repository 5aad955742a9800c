#include "edge_index.hpp"

#include <algorithm>
#include <cmath>

#include "certain.hpp"

namespace qor {
namespace geometry {

namespace {

// At most this many cells along an axis.
const int kMaxCellsPerAxis = 256;

void box_of(const arith::Xyz& a, const arith::Xyz& b, double margin, BoxCells::Box* box) {
  const double pa[3] = {a.x, a.y, a.z}, pb[3] = {b.x, b.y, b.z};
  for (int k = 0; k < 3; ++k) {
    box->lo[k] = std::min(pa[k], pb[k]) - margin;
    box->hi[k] = std::max(pa[k], pb[k]) + margin;
  }
}

bool finite(const BoxCells::Box& box) {
  for (int k = 0; k < 3; ++k)
    if (!std::isfinite(box.lo[k]) || !std::isfinite(box.hi[k])) return false;
  return true;
}

double largest(const arith::Xyz& p) { return std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}); }

}  // namespace

void EdgeIndex::build(const arith::Xyz* points, long n) {
  n_ = n;
  for (long i = 0; i < n; ++i) scale_ = std::max(scale_, largest(points[i]));
  for (long i = 0; i < n; ++i) {
    BoxCells::Box box;
    box_of(points[i], points[(i + 1) % n], 0.0, &box);
    if (finite(box))
      cells_.add(box);
    else
      cells_.add_unbounded();
  }
  cells_.build(kMaxCellsPerAxis);
  built_ = true;
}

// Twice the knife edge on each side, and room for the rounding of
// coordinates as large as the largest here: an edge left out surely meets
// no segment of the walk's, on any host.
void EdgeIndex::query(const arith::Xyz& q0, const arith::Xyz& q1) {
  const double margin = 2.0 * certain::kKnifeEdge + 1e-9 * std::max({scale_, largest(q0), largest(q1)});
  BoxCells::Box box;
  box_of(q0, q1, margin, &box);
  cells_.overlapping(box.lo, box.hi, &found_);
}

}  // namespace geometry
}  // namespace qor
