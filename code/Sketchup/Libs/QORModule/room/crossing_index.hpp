// Which faces of a room a ray can cross.  Each face's outline bounds, widened
// by a margin well beyond the host's point tolerance, sit in a uniform grid;
// a ray walks the grid along its dominant axis and keeps the faces whose
// widened bounds it passes through, ahead of (or barely behind) its origin.
// A face it leaves out cannot be crossed: the crossing point would have to
// lie in the face's outline, and so within its bounds.
//
// Plain numbers only, no Ruby values: the owner keeps it alive across host
// calls only under protect().
#pragma once

#include "../core/native_array.hpp"
#include "../geometry/box_cells.hpp"

namespace qor {
namespace room {

class CrossingIndex {
 public:
  // Faces are numbered in the order they are added.
  // A face whose outline has these corner bounds.
  void add_bounds(const double lo[3], const double hi[3]);
  // A face whose bounds are not known: always a candidate.
  void add_unbounded();

  // Builds the grid over every face added.
  void build();

  // The faces the half-line from origin along direction (a unit vector) may
  // cross, in ascending order.  Valid until the next call.
  const NativeArray<int>& candidates(const double origin[3], const double direction[3]);

 private:
  using Box = geometry::BoxCells::Box;

  bool hits(const double origin[3], const double direction[3], const Box& box, double* t0,
            double* t1) const;
  void visit_layer(int k, int layer, const double origin[3], const double direction[3], double t0,
                   double t1);

  geometry::BoxCells cells_;  // widened bounds, one per face
  NativeArray<int> found_;
};

}  // namespace room
}  // namespace qor
