// Convex hulls, ordering vertices round their minimum point, and the native
// sort and pair blocks.
#pragma once

#include <ruby.h>

namespace qor {
namespace geometry {

VALUE convexHull(VALUE self, VALUE face);
VALUE convexHull2(VALUE self, VALUE points);
VALUE orderVerticesRoundMinPoint(VALUE self, VALUE a, VALUE b, VALUE c);

}  // namespace geometry
}  // namespace qor
