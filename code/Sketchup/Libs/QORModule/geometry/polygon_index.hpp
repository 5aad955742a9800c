// Point in a long polygon, border included, as certain::in_polygon_3d
// answers it, without testing every edge: seen along each axis, only the
// edges whose span across the sight line comes within twice the knife edge
// of the point can hold it near their border or cross the line through it.  Those
// are found in slabs of that span; the polygon's area, which decides
// whether it has an inside at all, is summed once in the same order.  A
// view in which the polygon is a line across the sight line (a level floor
// seen from the side) has no edge crossing any sight line, and its slabs
// are cut along the line instead.
//
// Plain numbers only: an owner keeps it alive across host calls only under
// protect().
#pragma once

#include "../core/native_array.hpp"
#include "certain.hpp"

namespace qor {
namespace geometry {

class PolygonIndex {
 public:
  void build(const arith::Xyz* points, long n);
  bool built() const { return built_; }
  certain::Sure contains(const arith::Xyz& p);

 private:
  // The polygon seen along one axis: its points flattened to (u, v, 0).
  struct View {
    int u, v;          // the coordinates kept
    int along;         // the one the slabs are cut across: v, or u when v is one value
    double area;       // Newell's z
    double lo, step;   // slabs across v
    long slabs;
    NativeArray<long> start;  // per slab, into edges; one extra at the end
    NativeArray<long> edges;  // edge i runs from point i to point i + 1
  };

  void build_view(View* view, int u, int v);
  certain::Sure in_view(View& view, const arith::Xyz& p);
  arith::Xyz flat(const View& view, const arith::Xyz& p) const;
  long slab_of(const View& view, double v) const;
  long listed(const View& view) const;

  const arith::Xyz* points_ = nullptr;
  long n_ = 0;
  double margin_ = 0.0;
  double scale_ = 0.0;  // the largest coordinate's size
  View views_[3];
  bool built_ = false;
};

}  // namespace geometry
}  // namespace qor
