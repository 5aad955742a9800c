// Plane equality, point in a polygon in space, segment intersection.
#pragma once

#include <ruby.h>

namespace qor {
namespace geometry {

// Array#qORTA_isEqualtoPlane(other)
VALUE isEqualtoPlane(VALUE self, VALUE other);
// Geom.point_in_polygon_3D(point, polygon, border)
VALUE pointInPolygon3D(VALUE self, VALUE point, VALUE polygon, VALUE border);
// QORTA.intersection(segment1, segment2, mode)
VALUE intersection(VALUE self, VALUE segment1, VALUE segment2, VALUE mode);

// Plane equality on two plane arrays.
bool planes_equal(VALUE plane, VALUE other);
// Is p strictly inside the segment [a, b]?  False at either end.
bool strictly_inside(VALUE p, VALUE a, VALUE b);
// The segment test itself; mode as for QORTA.intersection.
VALUE segment_intersection(VALUE segment1, VALUE segment2, VALUE mode);

}  // namespace geometry
}  // namespace qor
