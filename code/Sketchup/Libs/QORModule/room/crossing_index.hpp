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
  enum class Kind { Bounded, Unbounded };
  struct Box {
    double lo[3], hi[3];
  };

  bool hits(const double origin[3], const double direction[3], const Box& box, double* t0,
            double* t1) const;
  int cell_along(int axis, double x) const;
  void visit_layer(int k, int layer, const double origin[3], const double direction[3], double t0,
                   double t1);
  void visit_cell(int i, int j, int k);

  NativeArray<Kind> kinds_;
  NativeArray<Box> boxes_;  // widened; one per face (unused when Unbounded)
  NativeArray<int> unbounded_;

  bool has_grid_ = false;
  Box grid_;
  int dims_[3] = {1, 1, 1};
  double cell_[3] = {1.0, 1.0, 1.0};
  NativeArray<int> cell_start_;  // per cell, into cell_faces_; one extra at the end
  NativeArray<int> cell_faces_;

  NativeArray<unsigned> seen_;  // per face: the query that last collected it
  unsigned query_ = 0;
  NativeArray<int> found_;
};

}  // namespace room
}  // namespace qor
