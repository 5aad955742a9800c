// Bridging (missing) faces and the vertex-only intermediate-plane search.
#pragma once

#include <ruby.h>

namespace qor {
namespace geometry {

VALUE findMissingFace(VALUE self, VALUE a, VALUE b);
VALUE findIPlanesByVertexOnly(VALUE self, VALUE a, VALUE b, VALUE c, VALUE d, VALUE e);

}  // namespace geometry
}  // namespace qor
