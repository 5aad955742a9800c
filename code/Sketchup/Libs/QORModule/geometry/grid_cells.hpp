// The cells of a uniform grid over a box, shared by the indexes that pick
// candidate faces (room construction's rays, the pair passes).  Plain
// numbers only: no Ruby here.
#pragma once

#include <algorithm>
#include <cmath>

namespace qor {
namespace geometry {

// Cubic cells over [lo, hi], about one per box (eight at least); an axis
// thinner than a cell gets one cell, no axis more than max_per_axis.  An
// axis of no extent gets cells of size 1, so that positions still divide.
inline void grid_cells(const double lo[3], const double hi[3], int boxes, int max_per_axis,
                       int dims[3], double cell[3]) {
  double extent[3];
  for (int a = 0; a < 3; ++a) extent[a] = hi[a] - lo[a];
  const double target = std::max(8, boxes);
  bool flat[3] = {false, false, false};
  double side = 0.0;
  for (int round = 0; round < 3; ++round) {
    double volume = 1.0;
    int axes = 0;
    for (int a = 0; a < 3; ++a)
      if (!flat[a]) {
        volume *= extent[a];
        ++axes;
      }
    // ::pow, not std::pow: the older interpreters' Windows headers rename
    // it (to their exact replacement of the C library's).
    side = axes == 0 ? 1.0 : ::pow(volume / target, 1.0 / axes);
    for (int a = 0; a < 3; ++a) flat[a] = flat[a] || extent[a] < side;
  }
  for (int a = 0; a < 3; ++a) {
    const double cells = flat[a] || !(side > 0.0) ? 1.0 : std::ceil(extent[a] / side);
    dims[a] = static_cast<int>(std::min<double>(std::max(cells, 1.0), max_per_axis));
    cell[a] = extent[a] > 0.0 ? extent[a] / dims[a] : 1.0;
  }
}

}  // namespace geometry
}  // namespace qor
