// Point in a long polygon, border included, as exact::point_in_polygon_3d
// answers it, without testing every edge: seen along each axis, only the
// edges whose span across the sight line comes within the tolerance of the
// point can hold it on their border or cross the line through it.  Those
// are found in slabs of that span; the polygon's area, which decides
// whether it has an inside at all, is summed once in the same order.
//
// Plain numbers only: an owner keeps it alive across host calls only under
// protect().
#pragma once

#include "../core/native_array.hpp"
#include "exact_arithmetic.hpp"

namespace qor {
namespace geometry {

class PolygonIndex {
 public:
  void build(const exact::Xyz* points, long n);
  bool built() const { return built_; }
  bool contains(const exact::Xyz& p);

 private:
  // The polygon seen along one axis: its points flattened to (u, v, 0).
  struct View {
    int u, v;          // the coordinates kept
    bool has_area;     // Newell's z, as the host sums it, not near zero
    double lo, step;   // slabs across v
    long slabs;
    NativeArray<long> start;  // per slab, into edges; one extra at the end
    NativeArray<long> edges;  // edge i runs from point i to point i + 1
  };

  void build_view(View* view, int u, int v);
  bool in_view(View& view, const exact::Xyz& p);
  exact::Xyz flat(const View& view, const exact::Xyz& p) const;
  long slab_of(const View& view, double v) const;
  long listed(const View& view) const;

  const exact::Xyz* points_ = nullptr;
  long n_ = 0;
  double margin_ = 0.0;
  View views_[3];
  bool built_ = false;
};

}  // namespace geometry
}  // namespace qor
