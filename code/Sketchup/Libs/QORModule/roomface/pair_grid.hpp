// Which boxes overlap a query box: a uniform grid over the boxes of the
// faces (or rooms) a pair pass compares.  Boxes are numbered in the order
// they are added, and a query answers their numbers ascending, so callers
// visit candidates in the order the all-pairs loops do.
//
// Plain numbers only: the owner keeps it alive across host calls only
// under protect().
#pragma once

#include "../core/native_array.hpp"

namespace qor {
namespace roomface {

class PairGrid {
 public:
  void add(const double lo[3], const double hi[3]);
  // A box not known: in every answer.
  void add_unbounded();
  void build();

  // The boxes overlapping [lo, hi], ascending.  Valid until the next query.
  const NativeArray<int>& overlapping(const double lo[3], const double hi[3]);

 private:
  struct Box {
    double lo[3], hi[3];
  };
  int cell_along(int axis, double x) const;
  int cell_index(int i, int j, int k) const { return (i * dims_[1] + j) * dims_[2] + k; }

  NativeArray<Box> boxes_;
  NativeArray<bool> bounded_;
  NativeArray<int> unbounded_;

  bool has_grid_ = false;
  Box grid_;
  int dims_[3] = {1, 1, 1};
  double cell_[3] = {1.0, 1.0, 1.0};
  NativeArray<int> cell_start_;  // per cell into cell_boxes_, one extra at the end
  NativeArray<int> cell_boxes_;

  NativeArray<unsigned> seen_;  // per box: the query that last collected it
  unsigned query_ = 0;
  NativeArray<int> found_;
};

}  // namespace roomface
}  // namespace qor
