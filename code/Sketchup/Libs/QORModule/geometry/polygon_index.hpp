// Point in a long polygon, border included, as certain::in_polygon_3d
// answers it, without testing every edge: seen along each axis, only the
// edges whose span across the sight line comes within twice the knife edge
// of the point can hold it near their border or cross the line through it.  Those
// are found in slabs of that span; the polygon's area, which decides
// whether it has an inside at all, is summed once in the same order.
// The edges near the point are also found in slabs cut along the sight
// line, whichever lists fewer: a polygon seen edge-on (a level floor seen
// from the side) is one thin line that slabs across it cannot divide.
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
  // Each edge listed in every slab of one coordinate its span, widened by
  // the margin, touches.
  struct Slabs {
    int axis;
    double lo, step;
    long count;
    NativeArray<long> start;  // per slab, into edges; one extra at the end
    NativeArray<long> edges;  // edge i runs from point i to point i + 1
  };
  // The polygon seen along one axis: its points flattened to (u, v, 0).
  struct View {
    int u, v;          // the coordinates kept
    double area;       // Newell's z
    bool level;        // every v the same: no edge crosses a line of constant v
    Slabs across_v, across_u;
  };

  void build_view(View* view, int u, int v);
  void build_slabs(Slabs* slabs, int axis);
  certain::Sure in_view(View& view, const arith::Xyz& p);
  arith::Xyz flat(const View& view, const arith::Xyz& p) const;
  long slab_of(const Slabs& slabs, double v) const;
  long listed(const Slabs& slabs) const;

  const arith::Xyz* points_ = nullptr;
  long n_ = 0;
  double margin_ = 0.0;
  double scale_ = 0.0;  // the largest coordinate's size
  View views_[3];
  bool built_ = false;
};

}  // namespace geometry
}  // namespace qor
