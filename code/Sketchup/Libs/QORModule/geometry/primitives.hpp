// Plane equality, point in a polygon in space, segment intersection, and the
// small helpers every geometric pass shares.
#pragma once

#include <ruby.h>

#include "road.hpp"

#include "../core/names.hpp"
#include "../core/ruby.hpp"

namespace qor {
namespace geometry {

// Array#qORTA_isEqualtoPlane(other)
VALUE isEqualtoPlane(VALUE self, VALUE other);
// Geom.point_in_polygon_3D(point, polygon, border), on the road chosen.
VALUE pointInPolygon3D(VALUE self, VALUE point, VALUE polygon, VALUE border);
// The same on the caller's road: with border, the indexed road decides on
// the points' numbers where they are certain.
VALUE point_in_polygon_3d(Road road, VALUE point, VALUE polygon, VALUE border);
// QORTA.intersection(segment1, segment2, mode)
VALUE intersection(VALUE self, VALUE segment1, VALUE segment2, VALUE mode);

// Plane equality on two plane arrays.
bool planes_equal(VALUE plane, VALUE other);
bool planes_equal(const double plane[4], const double other[4]);
// Is p strictly inside the segment [a, b]?  False at either end.
bool strictly_inside(VALUE p, VALUE a, VALUE b);
// The segment test itself; mode as for QORTA.intersection.
VALUE segment_intersection(VALUE segment1, VALUE segment2, VALUE mode);

// Not the full-precision value: the angle bands are defined with this one.
const double kHalfTurn = 3.141592;

// How many entries two Arrays share (the host's Array#&).
inline long common_count(VALUE a, VALUE b) { return len(call(a, id::amp, b)); }

// The positions of vertices, in order.
inline VALUE positions(VALUE vertices) {
  VALUE points = new_array(len(vertices));
  for (long i = 0; i < len(vertices); ++i) push(points, call(at(vertices, i), id::position));
  return points;
}

}  // namespace geometry
}  // namespace qor
