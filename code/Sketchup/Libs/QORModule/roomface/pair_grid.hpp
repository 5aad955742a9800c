// Which boxes overlap a query box: a uniform grid over the boxes of the
// faces (or rooms) a pair pass compares.  Boxes are numbered in the order
// they are added, and a query answers their numbers ascending, so callers
// visit candidates in the order the all-pairs loops do.
//
// Plain numbers only: the owner keeps it alive across host calls only
// under protect().
#pragma once

#include "../core/native_array.hpp"
#include "../geometry/box_cells.hpp"

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
  geometry::BoxCells cells_;
  NativeArray<int> found_;
};

}  // namespace roomface
}  // namespace qor
