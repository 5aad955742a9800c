// Boxes numbered in the order they are added, and a uniform grid whose cells
// list, ascending, the boxes that touch them.  The indexes that pick
// candidate faces (a ray's faces in room construction, the pair passes'
// faces and rooms) build on it and query it their own ways.
//
// Plain numbers only, no Ruby values: an owner keeps it alive across host
// calls only under protect().
#pragma once

#include "../core/native_array.hpp"

namespace qor {
namespace geometry {

class BoxCells {
 public:
  struct Box {
    double lo[3], hi[3];
  };

  void add(const Box& box);
  // A box not known: the owner answers it with every query.
  void add_unbounded();
  // Lays the grid over the known boxes: about one cell per box, at most
  // max_per_axis cells along an axis.
  void build(int max_per_axis);

  int size() const { return static_cast<int>(boxes_.size()); }
  const Box& box(int f) const { return boxes_[f]; }
  const NativeArray<int>& unbounded() const { return unbounded_; }

  bool has_grid() const { return has_grid_; }
  const Box& extent() const { return grid_; }
  int dims(int axis) const { return dims_[axis]; }
  double cell(int axis) const { return cell_[axis]; }
  // The cell along an axis holding coordinate x, clamped to the grid.
  int cell_along(int axis, double x) const;

  // The boxes overlapping [lo, hi] into found, ascending, unbounded ones
  // included; every box for a query the grid cannot place.
  void overlapping(const double lo[3], const double hi[3], NativeArray<int>* found);

  // Starts a query: every box is unseen again.
  void new_query();
  // Calls visit(f) for each box of cell (i, j, k) not seen yet in this
  // query, ascending, and marks it seen.
  template <class Visit>
  void each_new_in_cell(int i, int j, int k, Visit visit) {
    const int c = (i * dims_[1] + j) * dims_[2] + k;
    for (int e = cell_start_[c]; e < cell_start_[c + 1]; ++e) {
      const int f = cell_boxes_[e];
      if (seen_[f] == query_) continue;
      seen_[f] = query_;
      visit(f);
    }
  }

 private:
  NativeArray<Box> boxes_;  // one per number; unused for an unbounded one
  NativeArray<bool> bounded_;
  NativeArray<int> unbounded_;

  bool has_grid_ = false;
  Box grid_;
  int dims_[3] = {1, 1, 1};
  double cell_[3] = {1.0, 1.0, 1.0};
  NativeArray<int> cell_start_;  // per cell, into cell_boxes_; one extra at the end
  NativeArray<int> cell_boxes_;

  NativeArray<unsigned> seen_;  // per box: the query that last collected it
  unsigned query_ = 0;
};

}  // namespace geometry
}  // namespace qor
