// Convex hulls and the angular ordering of points round a point.  The
// native sort and pair blocks they use are in sort_blocks.hpp.
#pragma once

#include <ruby.h>

namespace qor {
namespace geometry {

// QORTA.convexHull(object): the hull of object.polygon.
VALUE convexHull(VALUE self, VALUE face);
// QORTA.convexHull2(points): the hull's corners, a subset of the coplanar
// points, starting with the point of greatest x (greatest y among those).
VALUE convexHull2(VALUE self, VALUE points);
// QORTA.orderVerticesRoundMinPoint(points, reference, normal)
VALUE orderVerticesRoundMinPoint(VALUE self, VALUE points, VALUE reference, VALUE normal);

// The operations themselves, for other subsystems.
VALUE convex_hull(VALUE points);
VALUE order_round_point(VALUE points, VALUE reference, VALUE normal);

}  // namespace geometry
}  // namespace qor
