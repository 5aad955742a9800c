// The overlap outline of two coplanar polygons, as tagged edge entries.
#pragma once

#include <ruby.h>

#include "point_arithmetic.hpp"
#include "polygon_walk.hpp"

namespace qor {
namespace geometry {

// [[tag, from, to, point], ...] with tag "A" or "B".  On the indexed road,
// polygons of the host's own points are read once and walked on their
// numbers, the host asked wherever they leave the answer unsure; any other
// point is asked through the host.
VALUE getIntersectionPointsOfPolygons(VALUE self, VALUE polygonA, VALUE polygonB);

// The overlap of two polygons given as coordinates: how many entries, and
// the first in *first when there is one; *unsure when some step was too
// close to call on the numbers (the answer is then worthless).  Calls no
// Ruby but to raise NoMemoryError: run it under protect().
long overlap_of_points(const arith::Xyz* a, long n, const arith::Xyz* b, long m, OverlapEntry* first,
                       bool* unsure);

}  // namespace geometry
}  // namespace qor
