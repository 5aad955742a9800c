// The overlap outline of two coplanar polygons, as tagged edge entries.
#pragma once

#include <ruby.h>

#include "exact_arithmetic.hpp"
#include "polygon_walk.hpp"

namespace qor {
namespace geometry {

// [[tag, from, to, point], ...] with tag "A" or "B".  On the indexed road,
// polygons of the host's own points are read once and walked on their
// numbers; any other point is asked through the host.
VALUE getIntersectionPointsOfPolygons(VALUE self, VALUE polygonA, VALUE polygonB);

// The overlap of two polygons given as coordinates: how many entries, and
// the first in *first when there is one.  Calls no Ruby but to raise
// NoMemoryError: run it under protect().
long overlap_of_points(const exact::Xyz* a, long n, const exact::Xyz* b, long m, OverlapEntry* first);

}  // namespace geometry
}  // namespace qor
