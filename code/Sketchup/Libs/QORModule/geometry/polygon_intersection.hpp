// The overlap outline of two coplanar polygons, as tagged edge entries.
#pragma once

#include <ruby.h>

namespace qor {
namespace geometry {

VALUE getIntersectionPointsOfPolygons(VALUE self, VALUE polygonA, VALUE polygonB);

}  // namespace geometry
}  // namespace qor
