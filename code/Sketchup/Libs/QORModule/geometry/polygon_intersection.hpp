// The overlap outline of two coplanar polygons, as tagged edge entries.
#pragma once

#include <ruby.h>

#include "point_arithmetic.hpp"
#include "polygon_walk.hpp"
#include "road.hpp"

namespace qor {
namespace geometry {

// [[tag, from, to, point], ...] with tag "A" or "B".  On the indexed road,
// polygons of the host's own points are read once and walked on their
// numbers, the host asked wherever they leave the answer unsure; any other
// point is asked through the host.
VALUE getIntersectionPointsOfPolygons(VALUE self, VALUE polygonA, VALUE polygonB);
// The same on the caller's road.
VALUE polygon_overlap(Road road, VALUE polygonA, VALUE polygonB);

// polygon_overlap(A, B), and (B, A) in *b_over_a, the points read once for
// both.
VALUE overlaps_both_ways(Road road, VALUE polygonA, VALUE polygonB, VALUE* b_over_a);

// Where the host keeps the points of two polygons given as coordinates:
// A's as an Array, B's i-th made by b_point(context, i) the first time a
// question needs it.
struct HostSides {
  VALUE a;
  VALUE (*b_point)(void* context, long i);
  void* context;
};

// The overlap of two polygons given as coordinates, the host asked on its
// own points wherever the numbers leave a question unsure: how many
// entries, and the first one's point (the host's) in *first_point when
// there is one.  Host calls may raise: the native memory is freed first.
long overlap_of_points(const arith::Xyz* a, long n, const arith::Xyz* b, long m, const HostSides& host,
                       VALUE* first_point);

}  // namespace geometry
}  // namespace qor
