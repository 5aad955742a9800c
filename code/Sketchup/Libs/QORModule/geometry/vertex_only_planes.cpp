#include "vertex_only_planes.hpp"

#include "../core/ruby.hpp"

namespace qor {
namespace geometry {

VALUE findMissingFace(VALUE, VALUE, VALUE) { not_built("QORTA.findMissingFace"); }
VALUE findIPlanesByVertexOnly(VALUE, VALUE, VALUE, VALUE, VALUE, VALUE) {
  not_built("QORTA.findIPlanesByVertexOnly");
}

}  // namespace geometry
}  // namespace qor
